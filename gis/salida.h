#pragma once
// The reaches of a network with their results, written as a GIS layer of lines: a GeoPackage
// (with a QGIS style that colours the reaches by the field `cumple`), a Shapefile or a GeoJSON
// file, chosen by the target's extension.
//
// The layer holds, per link of the model and in its order: the line (the upstream node, the
// inner vertices, the downstream node; no geometry when a node has no position), the input
// fields `tramo`, `desde`, `hasta`, `D`, `n`, `longitud`, `cota_inicio`, `cota_fin`, `i`,
// `Q1`…`Q7`, `caudal_por_metro` (NULL where the source gave nothing), the attributes the
// source carried (as text; one whose name a field above or a result takes is left out) and
// the caller's result fields. A Shapefile keeps ten characters of a field name (GDAL makes the
// cut names unique).
#include "network/modelo_red.h"

#include <QByteArray>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace colvero::gis {

enum class TipoCampo { Entero, Real, Texto };

// monostate: NULL.
using Valor = std::variant<std::monostate, std::int64_t, double, std::string>;

struct CampoResultado {
    std::string nombre;
    TipoCampo tipo = TipoCampo::Real;
    std::vector<Valor> valores; // one per link of the model
};

enum class FormatoSig { GeoPackage, Shapefile, GeoJson };

// The format of a target by its extension (any case): ".shp", ".geojson" or ".json", else a
// GeoPackage.
FormatoSig formatoDe(const QByteArray& ruta);

// Writes the layer `capa` to `ruta` whole or not at all: into a temporary folder beside the
// target, renamed over it (with every file of a Shapefile) only once everything is written and
// synced. A target that is one of `entradas` is refused before anything is written. `crsWkt`
// is the layers' coordinate system as WKT (empty: none). Failures raise ErrorArchivo
// (files/archivos.h); a result field whose values are not one per link, or whose name is taken
// by an input field, raises std::invalid_argument.
void escribirRedSig(const QByteArray& ruta, const red::ModeloRed& modelo, const std::string& crsWkt,
                    const std::vector<CampoResultado>& resultados,
                    const std::vector<QByteArray>& entradas, const std::string& capa = "tramos");

// The QGIS style (QML) of a layer of results: a categorised renderer on `cumple`, green for 1,
// red for 0, amber for anything else (a reach that could not be checked has NULL).
std::string estiloQml();

} // namespace colvero::gis
