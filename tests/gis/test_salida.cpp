#include "capas_prueba.h"
#include "files/archivos.h"
#include "gis/capas.h"
#include "gis/salida.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace colvero::gis {
namespace {

using namespace prueba;

QByteArray contenido(const QByteArray& ruta) {
    QFile f(QString::fromUtf8(ruta));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no se puede leer)");
}

void escribirTexto(const QByteArray& ruta, const QByteArray& texto) {
    QFile f(QString::fromUtf8(ruta));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(texto);
}

class Salida : public ::testing::Test {
protected:
    QByteArray ruta(const char* nombre) const {
        return QDir(dir_.path()).filePath(nombre).toUtf8();
    }

    // Two reaches in a chain, one with an inner vertex, from a GeoPackage with manholes.
    RedSig entrada() {
        const QByteArray tr = ruta("entrada.gpkg");
        escribirCapas(tr, "GPKG",
                      {{"tramos",
                        wkbLineString,
                        25830,
                        {{"tramo", OFTString},
                         {"D", OFTReal},
                         {"n", OFTReal},
                         {"Q2", OFTReal},
                         {"cota_inicio", OFTReal},
                         {"calle", OFTString},
                         {"cumple", OFTString}},
                        {{"LINESTRING (500000 4000000, 500030 4000040, 500100 4000040)",
                          {"T1", "0.4", "0.013", "0.03", "101", "Mayor", "viejo"}},
                         {"LINESTRING (500100 4000040, 500200 4000040)",
                          {"T2", "0.5", "0.014", std::nullopt, "100", "Real", "viejo"}}}},
                       {"pozos",
                        wkbPoint,
                        25830,
                        {{"pozo", OFTString}, {"cota_solera", OFTReal}},
                        {{"POINT (500200 4000040)", {"V", "99"}}}}});
        return leerRedSig({tr, "tramos"}, {tr, "pozos"});
    }

    static std::vector<CampoResultado> resultados() {
        return {{"cumple", TipoCampo::Entero, {std::int64_t{1}, std::monostate{}}},
                {"velocidad_Q1", TipoCampo::Real, {1.25, std::monostate{}}},
                {"veredicto", TipoCampo::Texto, {std::string("Cumple"), std::string("sin Q1")}}};
    }

    QTemporaryDir dir_;
};

struct Formato {
    const char* nombre;
    const char* archivo;
    const char* driver;
};

class SalidaPorFormato : public Salida, public ::testing::WithParamInterface<Formato> {};

TEST_P(SalidaPorFormato, WrittenLayerReadsBackWithFieldsGeometryAndCrs) {
    const RedSig s = entrada();
    const QByteArray out = ruta(GetParam().archivo);
    escribirRedSig(out, s.red, s.crsWkt, resultados(), {ruta("entrada.gpkg")});

    GDALDatasetUniquePtr ds(GDALDataset::Open(out.constData(), GDAL_OF_VECTOR));
    ASSERT_NE(ds, nullptr);
    EXPECT_STREQ(ds->GetDriver()->GetDescription(), GetParam().driver);
    OGRLayer* l = nullptr;
    for (OGRLayer* c : ds->GetLayers())
        if (wkbFlatten(c->GetGeomType()) == wkbLineString)
            l = c;
    ASSERT_NE(l, nullptr);
    ASSERT_EQ(l->GetFeatureCount(), 2);
    ASSERT_NE(l->GetSpatialRef(), nullptr);
    OGRSpatialReference utm;
    utm.importFromEPSG(25830);
    EXPECT_TRUE(l->GetSpatialRef()->IsSame(&utm));

    const auto campo = [&](OGRFeature& f, const char* nombre) {
        const int k = f.GetFieldIndex(nombre);
        EXPECT_GE(k, 0) << nombre;
        return k;
    };
    l->ResetReading();
    OGRFeatureUniquePtr f1(l->GetNextFeature());
    OGRFeatureUniquePtr f2(l->GetNextFeature());
    ASSERT_TRUE(f1 && f2);
    EXPECT_STREQ(f1->GetFieldAsString(campo(*f1, "tramo")), "T1");
    EXPECT_STREQ(f1->GetFieldAsString(campo(*f1, "hasta")),
                 f2->GetFieldAsString(campo(*f2, "desde")));
    EXPECT_STREQ(f2->GetFieldAsString(campo(*f2, "hasta")), "V");
    EXPECT_DOUBLE_EQ(f2->GetFieldAsDouble(campo(*f2, "D")), 0.5);
    EXPECT_DOUBLE_EQ(f1->GetFieldAsDouble(campo(*f1, "longitud")), 50.0 + 70.0);
    EXPECT_DOUBLE_EQ(f2->GetFieldAsDouble(campo(*f2, "cota_fin")), 99.0);
    EXPECT_DOUBLE_EQ(f1->GetFieldAsDouble(campo(*f1, "Q2")), 0.03);
    EXPECT_FALSE(f2->IsFieldSetAndNotNull(campo(*f2, "Q2")));
    EXPECT_FALSE(f1->IsFieldSetAndNotNull(campo(*f1, "i")));
    EXPECT_STREQ(f2->GetFieldAsString(campo(*f2, "calle")), "Real");
    // The result replaces the input's own `cumple`.
    const int cumple = campo(*f1, "cumple");
    EXPECT_EQ(f1->GetFieldDefnRef(cumple)->GetType() == OFTString, false);
    EXPECT_EQ(f1->GetFieldAsInteger(cumple), 1);
    EXPECT_FALSE(f2->IsFieldSetAndNotNull(cumple));
    // A Shapefile keeps ten characters of a name.
    const bool shp = std::string(GetParam().driver) == "ESRI Shapefile";
    EXPECT_DOUBLE_EQ(f1->GetFieldAsDouble(campo(*f1, shp ? "velocidad_" : "velocidad_Q1")), 1.25);
    EXPECT_STREQ(f2->GetFieldAsString(campo(*f2, "veredicto")), "sin Q1");

    const OGRGeometry* g = f1->GetGeometryRef();
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(wkbFlatten(g->getGeometryType()), wkbLineString);
    const OGRLineString* linea = g->toLineString();
    ASSERT_EQ(linea->getNumPoints(), 3);
    EXPECT_EQ(linea->getX(0), 500000);
    EXPECT_EQ(linea->getY(1), 4000040);
    EXPECT_EQ(linea->getX(2), 500100);
    ds.reset();

    // Nothing but the written file (and a Shapefile's companions) is left in the folder.
    for (const QString& h :
         QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        EXPECT_TRUE(h.startsWith("entrada.gpkg") ||
                    h.startsWith(QFileInfo(GetParam().archivo).completeBaseName()))
            << h.toStdString();

    // And it is a network again.
    const RedSig otra = leerRedSig({out, {}}, {});
    ASSERT_EQ(otra.red.enlaces.size(), 2u);
    EXPECT_EQ(otra.red.enlaces[0].hasta, otra.red.enlaces[1].desde);
    EXPECT_DOUBLE_EQ(otra.red.enlaces[1].longitud, 100.0);
}

INSTANTIATE_TEST_SUITE_P(Formatos, SalidaPorFormato,
                         ::testing::Values(Formato{"GeoPackage", "salida.gpkg", "GPKG"},
                                           Formato{"Shapefile", "salida.shp", "ESRI Shapefile"},
                                           Formato{"GeoJSON", "salida.geojson", "GeoJSON"}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(Salida, GeoPackageCarriesTheDefaultQgisStyle) {
    const RedSig s = entrada();
    const QByteArray out = ruta("estilo.gpkg");
    escribirRedSig(out, s.red, s.crsWkt, resultados(), {}, "comprobacion");
    GDALDatasetUniquePtr ds(GDALDataset::Open(out.constData(), GDAL_OF_VECTOR));
    ASSERT_NE(ds, nullptr);
    ASSERT_NE(ds->GetLayerByName("comprobacion"), nullptr);
    OGRLayer* r = ds->ExecuteSQL("SELECT f_table_name, f_geometry_column, useAsDefault, styleQML "
                                 "FROM layer_styles",
                                 nullptr, nullptr);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetFeatureCount(), 1);
    OGRFeatureUniquePtr f(r->GetNextFeature());
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(f->GetFieldAsString(0), "comprobacion");
    EXPECT_STREQ(f->GetFieldAsString(1), "geom");
    EXPECT_EQ(f->GetFieldAsInteger(2), 1);
    const std::string qml = f->GetFieldAsString(3);
    ds->ReleaseResultSet(r);
    EXPECT_EQ(qml, estiloQml());
    // The geometry column the style names is the layer's.
    EXPECT_STREQ(ds->GetLayerByName("comprobacion")->GetGeometryColumn(), "geom");

    // Well-formed, with the renderer on `cumple` and three classes: 1, 0 and the rest.
    QXmlStreamReader xml(QByteArray::fromStdString(qml));
    QStringList valores;
    QString renderer, atributo;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("renderer-v2")) {
            renderer = xml.attributes().value("type").toString();
            atributo = xml.attributes().value("attr").toString();
        } else if (xml.name() == QLatin1String("category")) {
            valores << xml.attributes().value("value").toString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(renderer, "categorizedSymbol");
    EXPECT_EQ(atributo, "cumple");
    EXPECT_EQ(valores, QStringList({"1", "0", ""}));
}

TEST_F(Salida, AnInputIsNeverReplaced) {
    const RedSig s = entrada();
    const QByteArray in = ruta("entrada.gpkg");
    const QByteArray antes = contenido(in);
    try {
        escribirRedSig(in, s.red, s.crsWkt, resultados(), {in});
        ADD_FAILURE() << "escrito sobre la entrada";
    } catch (const ErrorArchivo& e) {
        EXPECT_EQ(std::string(e.what()),
                  "No se escribe «" + in.toStdString() + "»: es uno de los archivos de entrada.");
    }
    EXPECT_EQ(contenido(in), antes);
}

// A failure once the temporary folder exists leaves the old target as it was and nothing else.
TEST_F(Salida, AFailedWriteLeavesTheTargetAndNoTemporary) {
    const RedSig s = entrada();
    const QByteArray out = ruta("viejo.gpkg");
    escribirTexto(out, "contenido anterior");
    EXPECT_THROW(escribirRedSig(out, s.red, "esto no es WKT", resultados(), {}), ErrorArchivo);
    EXPECT_EQ(contenido(out), "contenido anterior");
    auto r = resultados();
    r[1].valores.pop_back();
    EXPECT_THROW(escribirRedSig(out, s.red, s.crsWkt, r, {}), std::invalid_argument);
    r = resultados();
    r[2].nombre = "Tramo";
    EXPECT_THROW(escribirRedSig(out, s.red, s.crsWkt, r, {}), std::invalid_argument);
    EXPECT_EQ(contenido(out), "contenido anterior");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"entrada.gpkg", "viejo.gpkg"}));
}

TEST_F(Salida, ALinkKeepsPointingAtTheFileItNames) {
    const RedSig s = entrada();
    const QByteArray out = ruta("real.gpkg");
    escribirTexto(out, "contenido anterior");
    ASSERT_TRUE(QFile::link(QString::fromUtf8(out), QString::fromUtf8(ruta("enlace.gpkg"))));
    escribirRedSig(ruta("enlace.gpkg"), s.red, s.crsWkt, resultados(), {});
    EXPECT_TRUE(QFileInfo(QString::fromUtf8(ruta("enlace.gpkg"))).isSymLink());
    EXPECT_EQ(leerRedSig({out, {}}, {}).red.enlaces.size(), 2u);
    try {
        escribirRedSig(ruta("no-hay/salida.gpkg"), s.red, s.crsWkt, resultados(), {});
        ADD_FAILURE() << "escrito en una carpeta que no existe";
    } catch (const ErrorArchivo& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "No se puede crear «" + ruta("no-hay/salida.gpkg").toStdString() + "»: ", 0),
                  0u)
            << e.what();
    }
}

// A Shapefile written over an older one: no file of the old layer stays beside the new one.
TEST_F(Salida, ShapefileReplacesEveryCompanion) {
    const RedSig s = entrada();
    const QByteArray out = ruta("red.shp");
    escribirRedSig(out, s.red, s.crsWkt, resultados(), {});
    escribirTexto(ruta("red.qix"), "índice viejo");
    escribirRedSig(out, s.red, "", resultados(), {});
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(ruta("red.qix"))));
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(ruta("red.prj"))))
        << "the new layer has no system";
    EXPECT_TRUE(QFile::exists(QString::fromUtf8(ruta("red.dbf"))));
    const RedSig otra = leerRedSig({out, {}}, {});
    EXPECT_TRUE(otra.crsWkt.empty());
    EXPECT_EQ(otra.red.enlaces.size(), 2u);
}

// GeoJSON as other programs write it: with the old `crs` member it is read in its system;
// without it the format's rule makes it WGS 84 in degrees, refused.
TEST_F(Salida, GeoJsonWithAndWithoutItsCrsMember) {
    const QByteArray cuerpo =
        R"("features": [{"type": "Feature", "properties": {"tramo": "T1", "D": 0.3, "n": 0.013},
            "geometry": {"type": "LineString", "coordinates": [[440000, 4474000], [440030, 4474040]]}}]})";
    const QByteArray con = ruta("con.geojson");
    escribirTexto(con, R"({"type": "FeatureCollection", "crs": {"type": "name", "properties": )"
                       R"({"name": "urn:ogc:def:crs:EPSG::25830"}}, )" +
                           cuerpo);
    const RedSig s = leerRedSig({con, {}}, {});
    ASSERT_EQ(s.red.enlaces.size(), 1u);
    EXPECT_DOUBLE_EQ(s.red.enlaces[0].longitud, 50.0);
    const QByteArray sin = ruta("sin.geojson");
    escribirTexto(sin, R"({"type": "FeatureCollection", )" + cuerpo);
    try {
        leerRedSig({sin, {}}, {});
        ADD_FAILURE() << "leída en grados";
    } catch (const ErrorArchivo& e) {
        EXPECT_NE(std::string(e.what()).find("coordenadas geográficas (grados)"), std::string::npos)
            << e.what();
    }
}

} // namespace
} // namespace colvero::gis
