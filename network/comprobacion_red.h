#pragma once
// The check of a network table (files/red.h), reach by reach, with the same engine and texts
// as a calculation file: the preparation of each row in the reading thread (cells to inputs,
// the criterion and series files named in rows read once), the pure check of a row run on
// every core, and the lines of the result table. colvero-check --red and the network window
// both drive it.
#include "check/calcular.h"
#include "check/calculo.h"
#include "check/evaluacion.h"
#include "check/pendientes.h"
#include "check/serie_diametros.h"
#include "files/red.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace colvero::red {

struct TramoGrafo;

// A criterion ready for the engine: its limits converted once, its texts kept for whoever
// shows the criterion of a reach.
struct CriterioListo {
    Activas activas{};
    Entradas limites{}; // D, n, i and the flows unused
    Criterio criterio;
    QByteArray rutaNativa; // the criterion file, empty when the criterion came from elsewhere
};

// The criterion converted with `sep`; nothing, and `error` says why, when a limit is not a
// number.
std::optional<CriterioListo> prepararCriterio(const Criterio& criterio, char sep,
                                              std::string& error);

struct OpcionesRed {
    char sep = '.';         // decimal separator of the computed values shown
    bool pendientes = true; // the admissible slopes of each reach
    bool conSerie = false;  // a series is given: the output has the smallest-pipe column
    bool csv = false;       // each row writes its line of the result table
    // The result table, which no file named in a row may be (the run stops).
    QByteArray salida;
    // How many of the files named in rows stay read; 0 keeps them all, as a caller that keeps
    // Trabajo::criterio and Trabajo::serie past the row's turn needs.
    std::size_t archivosLeidos = 0;
    // No criterion was given for the whole network: a row must name its own.
    bool soloCriteriosDeFila = false;
};

// One reach on its way through the check.
struct Trabajo {
    FilaRed fila;
    std::string tramo;
    std::string error; // the row could not be checked: the whole message
    // Not a pipe to check (a pump, a non-circular section), and why: no engine, no failure.
    std::string omitido;
    Entradas d{};
    const CriterioListo* criterio = nullptr;
    const std::vector<Tubo>* serie = nullptr;
    // The row's own criterion and series, alive while the row holds them.
    std::shared_ptr<const CriterioListo> criterioPropio;
    std::shared_ptr<const std::vector<Tubo>> seriePropia;
    // Filled by comprobarTrabajo.
    ResultadoCalculo r;
    std::optional<ResultadoPendientes> pendientes;
    std::optional<std::string> menor;
    std::vector<int> avisos; // conditions with two normal depths
    int codigo = 0;          // 0 passes, 1 some condition does not, 2 not checked or [ERROR]
    std::string csv;         // the row's line of the result table, when OpcionesRed::csv
    // The normal flow of conditions 2 to 7 (index 0 is condition 2): fill ratio y/D (%) and
    // velocity (m/s) where the table shows them (a completed run, a [SI] or [NO] by
    // comparison), else NaN.
    std::array<double, 6> yD{}, v{};

    // Ready to take the next row of the table.
    void limpiar();
};

// Turns rows into Trabajo: everything that reads files or depends on the order of the rows.
// Not thread-safe; the criteria and series it hands out stay valid while it lives.
class PreparadorRed {
public:
    // `base` is the criterion of rows without their own and `serie` the series of every row
    // (nullptr: none); both outlive this. `rutaTabla` locates the files named in rows.
    PreparadorRed(const CabeceraRed& cabecera, const QByteArray& rutaTabla,
                  const CriterioListo& base, const std::vector<Tubo>* serie,
                  const OpcionesRed& opciones);

    // The refusal of a table whose rows cannot take a flow that `base` needs; `nombre` names
    // the table in the message.
    std::optional<QString> columnaQueFalta(const QString& nombre) const;

    // Converts the cells of `t.fila`; leaves `t.error` set when the row cannot be checked.
    void preparar(Trabajo& t);
    // The same for a reach of a network model whose row `t.fila` already holds: the criterion
    // and series its cells name, the numbers straight from `tramo`.
    void preparar(Trabajo& t, const TramoGrafo& tramo);

    // The text of a known column of `fila` (nullptr when the table lacks it).
    const std::string* celda(const FilaRed& fila, ColumnaRed c) const;

private:
    template <class T> struct Recurso {
        std::shared_ptr<const T> valor;
        std::string error;
    };
    // The files named in rows, by cell, the least recently used dropped past a limit.
    template <class T> class Leidos {
    public:
        explicit Leidos(std::size_t limite) : limite_(limite) {}
        // The entry of `celda`, read by `leer` when it is not held.
        template <class F> const Recurso<T>& obtener(const std::string& celda, F&& leer);

    private:
        struct Entrada {
            Recurso<T> recurso;
            std::list<std::string>::iterator uso;
        };
        std::size_t limite_;
        std::unordered_map<std::string, Entrada> entradas_;
        std::list<std::string> usos_; // most recent first
    };
    // The row's criterion and series; false, and `t.error` set, when one cannot be had.
    bool prepararRecursos(Trabajo& t, const std::string& fila);
    QByteArray rutaDe(const std::string& celda) const;
    const Recurso<CriterioListo>& criterioDe(const std::string& celda, const std::string& fila);
    const Recurso<std::vector<Tubo>>& serieDe(const std::string& celda, const std::string& fila);
    void comprobarQueNoEsLaSalida(const QByteArray& ruta, const std::string& fila,
                                  ColumnaRed c) const;
    std::string nombreColumna(ColumnaRed c) const;

    const CabeceraRed& cabecera_;
    QByteArray carpeta_;
    const CriterioListo& base_;
    const std::vector<Tubo>* serie_;
    OpcionesRed opciones_;
    Leidos<CriterioListo> criterios_;
    Leidos<std::vector<Tubo>> series_;
};

// Checks one prepared row: evaluation, texts, two-depth list, admissible slopes, smallest
// pipe, exit code and, with OpcionesRed::csv, the output line. Pure: run it on any thread.
void comprobarTrabajo(Trabajo& t, const OpcionesRed& o, const DialectoRed& dialecto);

// Per condition: 0 "[SI]", 1 "[NO]", 2 "[ERROR]", 3 not evaluated ("-").
int claseDeVeredicto(Veredicto v);

// The first line of the result table, byte-order mark included.
std::string cabeceraCsv(const CabeceraRed& c, const OpcionesRed& o);

// Threads the system lets this process run on.
int nucleos();

// Runs `accion` on every index below `cuantos` on `hilos` threads, the calling one included;
// each index goes to one thread, once. The calling thread first runs `antes` (when given), for
// instance to read the next rows while the others check these.
void enParalelo(std::size_t cuantos, int hilos, const std::function<void(std::size_t)>& accion,
                const std::function<void()>& antes = nullptr);

} // namespace colvero::red
