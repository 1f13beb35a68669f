#pragma once
// The calculation note of a checked network: A4 landscape pages in Spanish with the title and
// date, the sources of the run, a summary of the verdicts, the table of every reach, the
// failing reaches with the engine's verdict lines and the plan of the network coloured by
// verdict and the longitudinal profiles of chosen paths. Real PDF text with its fonts embedded;
// painted page by page straight to the output, so memory does not grow with the pages. Needs a
// QGuiApplication (fonts).
#include "check/calculo.h"
#include "check/serie_diametros.h"
#include "design/diseno_red.h"
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"
#include "profile/perfil.h"
#include "profile/trayecto.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QIODevice;

namespace colvero::nota {

// What the run read, as the user named it; an empty text leaves its line out.
struct FuentesRed {
    QString red;       // the table, model or layers
    QString formato;   // how the source was read (red::describir)
    QString capa;      // the layer of reaches
    QString pozos;     // the layer of manholes
    QString informe;   // the SWMM report
    QString hipotesis; // where the hypothesis came from (its file, "editada en esta ventana")
    QString criterio;  // where the criterion came from
    QString serie;     // the series of pipes
    // The criterion every reach without its own takes; its limits are listed when given.
    std::optional<Criterio> limites;
};

// The outcome of one reach, kept small: the few numbers the table shows and the texts of
// what does not pass.
struct TramoNota {
    std::string tramo, desde, hasta;
    double D = 0, n = 0, i = 0; // m, -, m/m; NaN when the source gives none
    double longitud = 0;        // m; NaN for a table
    double Q1 = 0;              // m3/s; NaN when none
    double yD4 = 0, v2 = 0;     // the engine's y/D (%) of condition 4 and v (m/s) of condition 2
    // claseDeVeredicto of each condition; -1 when the reach has no run.
    std::array<std::int8_t, 10> clase{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    // 0 passes, 1 fails, 2 could not be checked or [ERROR], -1 not a pipe to check.
    std::int8_t codigo = -1;
    std::string pendientes; // the admissible slopes cell as the result table writes it
    // Not checked: why. Fails or [ERROR]: the engine's lines of the conditions that did not
    // pass, one a line.
    std::string motivo;
};

// The record of a reach once comprobarTrabajo has run on `t`; `g` is its link in a graph
// source (nullptr for a table row). `sep` writes the slopes cell.
TramoNota tramoNota(const red::Trabajo& t, const red::TramoGrafo* g, bool conPendientes, char sep);

// Counts of the summary, from the records.
struct ResumenRed {
    long long tramos = 0, cumplen = 0, noCumplen = 0, noComprobados = 0, omitidos = 0;
    // Per condition: [SI], [NO], [ERROR], not evaluated.
    std::array<std::array<long long, 4>, 10> porCondicion{};
};
ResumenRed resumir(const std::vector<TramoNota>& tramos);

// The profiles of the section «Perfiles longitudinales». Each profile is computed when its
// pages are painted and dropped after them, so only one is ever held.
struct PerfilesNota {
    std::vector<perfil::Trayecto> trayectos;
    bool todos = false; // every main path, else those that fail (for the empty section's text)
    std::function<perfil::Perfil(const perfil::Trayecto&)> perfilDe;
};

// The main paths of `g`: from every upstream end (a node no link enters and whose flow a link
// carries on) down the links that carry the flow (Topologia::sigue) to the node where that
// ends. With `todos` false only the paths with a reach that does not pass (`tramos` by link,
// codigo 1). A path that meets a loop is left out. In the order of the nodes.
std::vector<perfil::Trayecto>
trayectosPrincipales(const red::RedGrafo& g, const std::vector<TramoNota>& tramos, bool todos);

// The section «Diseño de la red» of the note of a designed network: the limits of the design,
// its excavation, the pipe laid per pipe of the series, the drops and the reaches left without
// a design. Plain data, so that whoever designed the network can fill it.
struct SeccionDiseno {
    diseno::Limites limites;
    double coste = 0; // m3
    struct Longitud {
        std::string tubo;
        double D = 0, longitud = 0; // m
    };
    std::vector<Longitud> porTubo; // the pipes used, in the series' order
    struct Resalto {
        std::string pozo, tramo;
        double resalto = 0; // m; over 0.50 m a drop manhole
    };
    std::vector<Resalto> resaltos; // drops > 0, in the order of the reaches
    struct SinDiseno {
        std::string tramo, motivo; // the reason names the reach
    };
    std::vector<SinDiseno> sinDiseno;
    std::size_t tramos = 0; // conduits to design
};

// The section of the design `d` of the conduits of `m` with `serie` under `l`.
SeccionDiseno seccionDiseno(const red::ModeloRed& m, const diseno::Diseno& d,
                            const std::vector<Tubo>& serie, const diseno::Limites& l);

// Writes the note to `destino` (opened for writing). `grafo` gives the plan (node positions,
// vertices) and its warnings; nullptr for a table, whose note says it has no plan. `tramos`
// are in the order of the source (for a graph, by link). Numbers with `sep`. `perfiles` adds
// their section after the plan (a graph only), one page or more per path. `diseno` adds its
// section after the sources; the rest of the note is then that of the designed network.
void escribirNotaRed(QIODevice& destino, const FuentesRed& fuentes,
                     const std::vector<TramoNota>& tramos, const red::RedGrafo* grafo, char sep,
                     QDate fecha, const PerfilesNota* perfiles = nullptr,
                     const SeccionDiseno* diseno = nullptr);

} // namespace colvero::nota
