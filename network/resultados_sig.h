#pragma once
// The results of a network check as the fields of a GIS layer of its reaches (gis/salida.h):
// a small record per link, taken as each batch is checked, and the layer written with the
// model's lines once all are in. colvero-check --red and the network window export with it.
//
// Fields: `cumple` (1 every condition passes, 0 some does not, NULL when the reach is not
// checked, could not be, or some condition is [ERROR]), `estado` (the row error, why the link
// is not checked, or how the run ended), `c1`…`c10` ("[SI]", "[NO]", "[ERROR]" or "-"; NULL
// without a run), `pendientes` (the admissible slopes as the result table writes them; with the
// slopes), `menor_tubo` (with a series), and `yD_k` (%) and `v_k` (m/s) of the conditions k = 2
// to 7 for which some reach has a flow.
#include "gis/salida.h"
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace colvero::red {

class ResultadosSig {
public:
    // For the links of `g`, which outlives this, checked with `o`: its separator writes the
    // slope cells as the search quoted them.
    ResultadosSig(const RedGrafo& g, const OpcionesRed& o);

    // The outcome of link `enlace` once comprobarTrabajo has run on `t`.
    void anotar(std::size_t enlace, const Trabajo& t);

    // One value per link; a link never noted is NULL throughout.
    std::vector<gis::CampoResultado> campos() const;

    // Writes the layer of reaches to `ruta`, never over one of `entradas` (gis::escribirRedSig;
    // raises ErrorArchivo).
    void escribir(const QByteArray& ruta, const std::vector<QByteArray>& entradas) const;

private:
    struct Registro {
        std::int8_t cumple = -1; // -1: NULL
        // claseDeVeredicto of each condition; -1 without a run.
        std::array<std::int8_t, 10> clase{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
        std::string estado;
        std::optional<std::string> pendientes, menor;
        std::array<double, 6> yD{}, v{}; // as Trabajo::yD and Trabajo::v; NaN: NULL
    };

    const RedGrafo& grafo_;
    char sep_;
    bool conPendientes_;
    bool conSerie_;
    std::array<bool, 6> conCaudal_{}; // conditions 2 to 7 that some link has a flow for
    std::vector<Registro> registros_;
};

} // namespace colvero::red
