#pragma once
// The reaches of a network check as a table model: one column per column of the table, one
// verdict column per condition, the admissible slopes, the smallest passing pipe and the
// state of the row. Rows are kept compact; the texts the view shows are made when it asks.
#include "design/diseno_red.h"
#include "files/red.h"
#include "network/comprobacion_red.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace colvero::ui {

// One checked reach.
struct FilaRedComprobada {
    int numero = 0;                  // as a spreadsheet numbers it: the header is row 1
    std::vector<std::string> celdas; // as read, UTF-8
    std::vector<double> numeros;     // each cell as a number; NaN when it is not one
    std::array<std::uint8_t, 10> clases{3, 3, 3, 3, 3, 3, 3, 3, 3, 3}; // red::claseDeVeredicto
    std::uint8_t codigo = 0; // 0 passes, 1 some condition does not, 2 not checked
    bool omitido = false;    // not a pipe to check (estado says why): code 0, no verdicts
    bool sinMenor = false;   // the row was checked against a series and no pipe passes
    std::string estado;      // the row's error, or how its run ended
    std::optional<ResultadoPendientes> pendientes; // the admissible slopes, when searched
    std::string menor; // smallest passing pipe; empty when none or no series
    std::string csv;   // its line of the result table
    // The criterion the row ran with; nullptr when the row failed before it was settled.
    const red::CriterioListo* criterio = nullptr;
};

// What the table keeps of a checked Trabajo; `decimalTabla` is the separator of the table's
// numbers. The slope texts are written when shown, with the model's OpcionesRed::sep.
FilaRedComprobada filaComprobada(red::Trabajo&& t, char sep, char decimalTabla);

// A design shown with the check of the designed network.
struct DisenoMostrado {
    diseno::Diseno diseno;
    diseno::Limites limites;
    std::vector<Tubo> serie;
    std::vector<int> deEnlace; // by link: its index in diseno.tramos; -1 when not designed

    // The design of link `enlace`; nullptr when it was not one to design.
    const diseno::TramoDisenado* de(std::size_t enlace) const {
        return enlace < deEnlace.size() && deEnlace[enlace] >= 0
                   ? &diseno.tramos[static_cast<std::size_t>(deEnlace[enlace])]
                   : nullptr;
    }
};

// The columns a design adds after the state, in order.
enum class ColumnaDiseno {
    Tubo,
    CotaInicio,
    CotaFin,
    ProfundidadInicio,
    ProfundidadFin,
    Resalto,
    Coste,
    SinDiseno,
};
inline constexpr int kColumnasDiseno = static_cast<int>(ColumnaDiseno::SinDiseno) + 1;

class ModeloRed : public QAbstractTableModel {
public:
    // Numbers as numbers, verdicts by their class, texts as texts.
    static constexpr int kRolOrden = Qt::UserRole + 1;

    explicit ModeloRed(QObject* padre = nullptr);

    // Starts an empty table with the columns of `cabecera`. `dueno` keeps alive what the
    // rows point at (their criteria).
    void empezar(const CabeceraRed& cabecera, const red::OpcionesRed& opciones,
                 std::shared_ptr<const void> dueno);
    void anadir(std::vector<FilaRedComprobada>&& filas);
    void vaciar();
    // The design whose check the rows are (rows numbered by link); nullptr: none, and no
    // design columns. `empezar` takes it away.
    void ponerDiseno(std::shared_ptr<const DisenoMostrado> diseno);
    const DisenoMostrado* diseno() const { return diseno_.get(); }

    const CabeceraRed& cabecera() const { return cabecera_; }
    const red::OpcionesRed& opciones() const { return opciones_; }
    const FilaRedComprobada& fila(int k) const { return filas_[static_cast<std::size_t>(k)]; }
    int filas() const { return static_cast<int>(filas_.size()); }
    // Whether row `a` goes before row `b` by `columna`: numbers by value and before texts,
    // verdicts by their class, texts by their bytes. What the sorting proxy asks, without the
    // cost of a QVariant per comparison.
    bool menorQue(int a, int b, int columna) const;
    // Rows by code: pass, do not pass, could not be checked; the links left out count apart.
    const std::array<qint64, 3>& porCodigo() const { return porCodigo_; }
    qint64 omitidos() const { return omitidos_; }

    // Column of the table's column `c` (-1 when absent), of condition k (1..10), and of the
    // columns after the verdicts (-1 when the run has none).
    int columnaEntrada(ColumnaRed c) const;
    int columnaVeredicto(int k) const;
    int columnaPendientes() const;
    int columnaMenor() const;
    int columnaEstado() const;
    // -1 when no design is shown.
    int columnaDiseno(ColumnaDiseno c) const;

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol = Qt::DisplayRole) const override;
    QVariant headerData(int seccion, Qt::Orientation orientacion,
                        int rol = Qt::DisplayRole) const override;

private:
    int columnasEntrada() const { return 1 + static_cast<int>(cabecera_.nombres.size()); }
    QVariant datoDeDiseno(const FilaRedComprobada& f, ColumnaDiseno c, int rol) const;

    CabeceraRed cabecera_;
    red::OpcionesRed opciones_;
    std::shared_ptr<const void> dueno_;
    std::shared_ptr<const DisenoMostrado> diseno_;
    std::vector<FilaRedComprobada> filas_;
    std::array<qint64, 3> porCodigo_{};
    qint64 omitidos_ = 0;
};

// Sorting by kRolOrden and the filters «solo los que no cumplen» and «solo los que tienen
// errores».
class FiltroRed : public QSortFilterProxyModel {
public:
    enum class Mostrar {
        Todos,
        NoCumplen,  // every row that does not pass, errors included
        ConErrores, // the rows that could not be checked
    };
    explicit FiltroRed(QObject* padre = nullptr);
    void mostrar(Mostrar filas);
    void soloNoCumplen(bool activo) { mostrar(activo ? Mostrar::NoCumplen : Mostrar::Todos); }

protected:
    bool filterAcceptsRow(int fila, const QModelIndex& padre) const override;
    bool lessThan(const QModelIndex& izquierda, const QModelIndex& derecha) const override;

private:
    Mostrar mostrar_ = Mostrar::Todos;
};

} // namespace colvero::ui
