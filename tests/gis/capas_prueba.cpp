#include "capas_prueba.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

namespace colvero::gis::prueba {

void escribirCapas(const QByteArray& ruta, const char* driver,
                   const std::vector<CapaPrueba>& capas) {
    GDALAllRegister();
    // The Shapefile driver's notes on the names it shortens are expected here.
    CPLPushErrorHandler(CPLQuietErrorHandler);
    struct Quitar {
        ~Quitar() { CPLPopErrorHandler(); }
    } quitar;
    GDALDriver* d = GetGDALDriverManager()->GetDriverByName(driver);
    ASSERT_NE(d, nullptr) << driver;
    GDALDatasetUniquePtr ds(d->Create(ruta.constData(), 0, 0, 0, GDT_Unknown, nullptr));
    ASSERT_NE(ds, nullptr) << CPLGetLastErrorMsg();
    for (const CapaPrueba& c : capas) {
        OGRSpatialReference srs;
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        if (c.epsg) {
            ASSERT_EQ(srs.importFromEPSG(c.epsg), OGRERR_NONE);
        }
        OGRLayer* capa =
            ds->CreateLayer(c.nombre.c_str(), c.epsg ? &srs : nullptr, c.geometria, nullptr);
        ASSERT_NE(capa, nullptr) << CPLGetLastErrorMsg();
        for (const CampoPrueba& campo : c.campos) {
            OGRFieldDefn defn(campo.nombre.c_str(), campo.tipo);
            ASSERT_EQ(capa->CreateField(&defn), OGRERR_NONE) << campo.nombre;
        }
        for (const EntidadPrueba& e : c.entidades) {
            OGRFeatureUniquePtr f(OGRFeature::CreateFeature(capa->GetLayerDefn()));
            for (size_t k = 0; k < e.valores.size(); ++k) {
                if (e.valores[k])
                    f->SetField(static_cast<int>(k), e.valores[k]->c_str());
                else
                    f->SetFieldNull(static_cast<int>(k));
            }
            if (!e.wkt.empty()) {
                OGRGeometry* g = nullptr;
                ASSERT_EQ(OGRGeometryFactory::createFromWkt(e.wkt.c_str(), nullptr, &g),
                          OGRERR_NONE)
                    << e.wkt;
                f->SetGeometryDirectly(g);
            }
            ASSERT_EQ(capa->CreateFeature(f.get()), OGRERR_NONE) << CPLGetLastErrorMsg();
        }
    }
}

} // namespace colvero::gis::prueba
