#pragma once
// A sewer network from GIS layers (any vector format GDAL opens): a line layer of reaches and an
// optional point layer of manholes. The only part of the program that knows GDAL; its headers
// stay behind this folder.
//
// Fields are matched by name as the network table's columns are (case, accents and blanks
// around ignored; the ten-character names a Shapefile cuts them to are accepted too). Reaches:
// `tramo`, `D` (m), `n` required; `i`, `Q`, `Q1`…`Q7` (m3/s), `nombre`, `criterio`, `serie`,
// `cota_inicio`, `cota_fin` (m), `longitud` (m), `caudal_por_metro` (m3/s per m) optional.
// Manholes: `pozo` required; `cota_terreno`, `cota_solera` (m), `caudal_medio`,
// `caudal_pluvial` (m3/s) optional. A line runs from its first vertex (upstream) to its last.
//
// Failures raise ErrorArchivo (files/archivos.h) whose Spanish message names the file, the
// layer, the feature (its FID, and its reach or manhole when known) and the field. GDAL's own
// messages are caught while a call runs and never reach stderr.
#include "network/modelo_red.h"

#include <QByteArray>

#include <string>
#include <vector>

namespace colvero::gis {

struct OrigenCapa {
    QByteArray ruta;  // native path
    std::string capa; // empty: the only line (or point) layer of the file
};

// "ARCHIVO:CAPA" split at its last ':' unless the whole text names an existing file; "ARCHIVO"
// alone leaves the layer empty.
OrigenCapa separarArchivoCapa(const QByteArray& texto);

struct RedSig {
    red::ModeloRed red; // MedidaLongitud::Horizontal; node positions and vertices in layer units
    std::string crsWkt; // the reaches' coordinate reference system (WKT 2); empty when none
    std::string capa;   // the reach layer's name
    // The reach layer's fields in their order, as written, for the outputs.
    std::vector<std::string> campos;
};

// Reads the reaches of `tramos` and, when `pozos.ruta` is not empty, the manholes of `pozos`.
// Reach ends closer than `tolerancia` (layer units) to a manhole join it (the closest), else
// they join each other; an end with no manhole near gets a generated node ("N1", "N2"… not
// taken by a manhole) whose invert is the lowest invert of the reaches that end there (NaN when
// nothing gives one). A node that reaches enter and none leaves is an outfall. A layer in degrees,
// a reach layer without a coordinate system whose lengths come from the geometry, or manholes in
// another system, are refused.
RedSig leerRedSig(const OrigenCapa& tramos, const OrigenCapa& pozos, double tolerancia = 0.01);

// The names of the layers of a vector file, as GDAL lists them.
std::vector<std::string> capasDe(const QByteArray& ruta);

} // namespace colvero::gis
