#pragma once
// Small layers written with GDAL itself for the GIS tests.
#include <ogr_core.h>

#include <QByteArray>

#include <optional>
#include <string>
#include <vector>

namespace colvero::gis::prueba {

struct CampoPrueba {
    std::string nombre;
    OGRFieldType tipo = OFTReal;
};

struct EntidadPrueba {
    std::string wkt; // empty: no geometry
    // One value a field, as text (GDAL turns it into the field's type); none: NULL.
    std::vector<std::optional<std::string>> valores;
};

struct CapaPrueba {
    std::string nombre;
    OGRwkbGeometryType geometria = wkbLineString;
    int epsg = 25830; // 0: no coordinate system
    std::vector<CampoPrueba> campos;
    std::vector<EntidadPrueba> entidades;
};

// Writes the layers into a new file `ruta` with the GDAL driver `driver` ("GPKG", "ESRI
// Shapefile", "GeoJSON"); a test failure when GDAL refuses.
void escribirCapas(const QByteArray& ruta, const char* driver,
                   const std::vector<CapaPrueba>& capas);

} // namespace colvero::gis::prueba
