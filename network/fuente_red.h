#pragma once
// Where a network check takes its reaches from, told by the file's extension: a network table
// (.csv, files/red.h), a SWMM model (.inp) with its optional report and flow hypothesis, or GIS
// layers (any other extension, through gis/). A graph source is read whole: its topology is
// built and its flows settled before any reach is checked. It then yields each link as a row
// of a table of its own (the columns below, then the attributes the source carried), so that
// the check, its outputs and the window treat a model's reaches as they treat a table's rows;
// the numbers reach the engine straight from the model, and a cell writes its number with the
// digits that read back as that very double.
#include "files/informe_swmm.h"
#include "files/modelo_swmm.h"
#include "files/red.h"
#include "network/acumulacion.h"
#include "network/comprobacion_red.h"
#include "network/modelo_red.h"
#include "network/topologia.h"
#include "network/tramos_grafo.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <vector>

namespace colvero::red {

enum class TipoFuente { Tabla, ModeloSwmm, CapasSig };

// ".csv" a table, ".inp" a model, anything else GIS layers (any case).
TipoFuente tipoDeFuente(const QByteArray& ruta);

struct OpcionesFuente {
    QByteArray informe;   // a SWMM report (.rpt); empty: none
    QByteArray hipotesis; // a flow hypothesis file; empty: none
    // A hypothesis given whole (the window's editor); takes the place of the file.
    std::optional<Hipotesis> hipotesisDada;
    std::string capa;         // the layer of reaches; empty: the file's only line layer
    QByteArray pozos;         // the manholes, "ARCHIVO[:CAPA]"; empty: none
    double tolerancia = 0.01; // snapping of reach ends, in the layer's units
    DialectoRed dialecto;     // of the rows' cells and of a result table
};

// The fixed columns of a graph source's rows, in order.
enum class ColumnaGrafo {
    Tramo,
    Desde,
    Hasta,
    Longitud,
    CotaInicio,
    CotaFin,
    D,
    n,
    i,
    Q1, // … Q7
    Origen = Q1 + 7,
    CaudalMedioAcumulado,
    CaudalPluvialAcumulado,
    Barriles,
};
inline constexpr int kColumnasGrafo = static_cast<int>(ColumnaGrafo::Barriles) + 1;

struct RedGrafo {
    TipoFuente tipo = TipoFuente::ModeloSwmm;
    ModeloRed modelo;
    Topologia topologia;
    std::vector<TramoGrafo> tramos; // by link
    std::optional<Hipotesis> hipotesis;
    std::optional<UnidadesCaudal> unidades; // of a model
    std::string crsWkt;                     // of GIS layers; empty when none
    std::string capa;                       // the layer of reaches
    CabeceraRed cabecera;                   // the columns of the rows; `filas` links
    // What the source says besides its reaches, in Spanish, one sentence each: how many
    // outfalls and parts, the topology's problems that do not stop the check, barrels.
    std::vector<std::string> avisos;

    // Per link, the column of each of its attributes (-1: a fixed column took its name).
    std::vector<std::vector<int>> columnaDeAtributo;

    // The row of link k (numbered k + 1), its cells in the dialect of `cabecera`.
    FilaRed fila(std::size_t k) const;
};

// Reads a model or GIS layers with the report and hypothesis of `o`. A file that cannot be
// read, or a model that cannot be checked at all (a repeated identifier; a loop or a
// bifurcation when flows come from loads), raises ErrorArchivo with the whole message.
RedGrafo leerRedGrafo(const QByteArray& ruta, const OpcionesFuente& o);

// "SWMM 5 (caudales en CMS, longitudes a lo largo del tubo)"..., for a summary.
std::string describir(const RedGrafo& g);

} // namespace colvero::red
