#include "gis/salida.h"
#include "files/red.h"

#include "files/archivos.h"
#include "files/escritura.h"
#include "files/lectura.h"
#include "gis/gdal_comun.h"

#include <ogrsf_frmts.h>

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace colvero::gis {

namespace {

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const char* driverDe(FormatoSig f) {
    switch (f) {
    case FormatoSig::Shapefile:
        return "ESRI Shapefile";
    case FormatoSig::GeoJson:
        return "GeoJSON";
    case FormatoSig::GeoPackage:
        break;
    }
    return "GPKG";
}

// A folder beside the target that holds the new files until they are complete; removed, with
// whatever is left in it, on every way out.
class CarpetaTemporal {
public:
    CarpetaTemporal(const QByteArray& carpeta, const QString& nombre) {
        QByteArray plantilla = carpeta + "/.colvero-XXXXXX";
        if (!::mkdtemp(plantilla.data()))
            falloArchivo(QStringLiteral("No se puede crear %1: %2.")
                             .arg(entreComillas(nombre), causaDelError(errno)));
        ruta_ = plantilla;
    }
    ~CarpetaTemporal() { QDir(QFile::decodeName(ruta_)).removeRecursively(); }
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;

    const QByteArray& ruta() const { return ruta_; }

private:
    QByteArray ruta_;
};

std::string citaSql(const std::string& s) {
    std::string r = "'";
    for (const char c : s) {
        r += c;
        if (c == '\'')
            r += '\'';
    }
    return r + "'";
}

std::string simbolo(int numero, const char* color) {
    return std::string(R"(   <symbol type="line" name=")") + std::to_string(numero) +
           R"(" alpha="1" clip_to_extent="1" force_rhr="0">
    <data_defined_properties><Option type="Map"><Option type="QString" name="name" value=""/><Option name="properties"/><Option type="QString" name="type" value="collection"/></Option></data_defined_properties>
    <layer class="SimpleLine" enabled="1" locked="0" pass="0">
     <Option type="Map">
      <Option type="QString" name="capstyle" value="round"/>
      <Option type="QString" name="joinstyle" value="round"/>
      <Option type="QString" name="line_color" value=")" +
           color + R"("/>
      <Option type="QString" name="line_style" value="solid"/>
      <Option type="QString" name="line_width" value="0.8"/>
      <Option type="QString" name="line_width_unit" value="MM"/>
      <Option type="QString" name="offset" value="0"/>
      <Option type="QString" name="offset_unit" value="MM"/>
     </Option>
    </layer>
   </symbol>
)";
}

// Shapefile files that a target's folder may hold beside its .shp.
constexpr const char* kAcompanantes[] = {".shx", ".dbf", ".prj", ".cpg", ".qix", ".sbn", ".sbx"};

// Flushes a file to the disk before it replaces the target.
bool sincronizar(const QByteArray& ruta) {
    const int fd = ::open(ruta.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool bien = ::fsync(fd) == 0;
    ::close(fd);
    return bien;
}

} // namespace

FormatoSig formatoDe(const QByteArray& ruta) {
    const QByteArray r = ruta.toLower();
    if (r.endsWith(".shp"))
        return FormatoSig::Shapefile;
    if (r.endsWith(".geojson") || r.endsWith(".json"))
        return FormatoSig::GeoJson;
    return FormatoSig::GeoPackage;
}

std::string estiloQml() {
    return std::string(R"(<!DOCTYPE qgis PUBLIC 'http://mrcc.com/qgis.dtd' 'SYSTEM'>
<qgis version="3.22.16" styleCategories="Symbology">
 <renderer-v2 type="categorizedSymbol" attr="cumple" symbollevels="0" enableorderby="0" forceraster="0" referencescale="-1">
  <categories>
   <category render="true" symbol="0" value="1" label="Cumple"/>
   <category render="true" symbol="1" value="0" label="No cumple"/>
   <category render="true" symbol="2" value="" label="Sin comprobar"/>
  </categories>
  <symbols>
)") + simbolo(0, "0,153,0,255") +
           simbolo(1, "215,25,28,255") + simbolo(2, "255,170,0,255") + R"(  </symbols>
  <rotation/>
  <sizescale/>
 </renderer-v2>
 <layerGeometryType>1</layerGeometryType>
</qgis>
)";
}

void escribirRedSig(const QByteArray& ruta, const red::ModeloRed& modelo, const std::string& crsWkt,
                    const std::vector<CampoResultado>& resultados,
                    const std::vector<QByteArray>& entradas, const std::string& capa) {
    const QString nombre = nombreVisible(ruta);
    comprobarNombre(ruta, nombre, "crear");
    for (const QByteArray& e : entradas)
        if (mismoArchivo(ruta, e))
            falloArchivo(QStringLiteral("No se escribe %1: es uno de los archivos de entrada.")
                             .arg(entreComillas(nombre)));

    // Fields: the inputs, the source's attributes that no other field names, the results.
    struct Campo {
        std::string nombre;
        OGRFieldType tipo;
    };
    std::vector<Campo> campos{
        {"tramo", OFTString},     {"desde", OFTString},  {"hasta", OFTString},
        {"D", OFTReal},           {"n", OFTReal},        {"longitud", OFTReal},
        {"cota_inicio", OFTReal}, {"cota_fin", OFTReal}, {"i", OFTReal}};
    for (int k = 1; k <= 7; ++k)
        campos.push_back({"Q" + std::to_string(k), OFTReal});
    campos.push_back({"caudal_por_metro", OFTReal});
    const size_t numEntrada = campos.size();
    std::unordered_set<std::string> tomados;
    for (const Campo& c : campos)
        tomados.insert(normalizarNombreDeColumna(c.nombre).toStdString());
    for (const CampoResultado& r : resultados) {
        if (r.valores.size() != modelo.enlaces.size())
            throw std::invalid_argument("el resultado «" + r.nombre +
                                        "» no tiene un valor por tramo");
        if (!tomados.insert(normalizarNombreDeColumna(r.nombre).toStdString()).second)
            throw std::invalid_argument("el resultado «" + r.nombre + "» repite un campo");
    }
    std::vector<std::string> atributos;
    std::unordered_map<std::string, int> indiceAtributo;
    for (const red::Enlace& e : modelo.enlaces)
        for (const auto& [n, v] : e.atributos)
            if (!indiceAtributo.count(n) &&
                tomados.insert(normalizarNombreDeColumna(n).toStdString()).second) {
                indiceAtributo.emplace(n, static_cast<int>(numEntrada + atributos.size()));
                atributos.push_back(n);
            }
    for (const std::string& a : atributos)
        campos.push_back({a, OFTString});
    const size_t primerResultado = campos.size();
    for (const CampoResultado& r : resultados)
        campos.push_back({r.nombre, r.tipo == TipoCampo::Entero ? OFTInteger64
                                    : r.tipo == TipoCampo::Real ? OFTReal
                                                                : OFTString});

    const FormatoSig formato = formatoDe(ruta);
    // A link keeps pointing at the file it names; the file behind it is replaced.
    QFileInfo destino(QFile::decodeName(ruta));
    if (destino.isSymLink())
        destino = QFileInfo(destino.symLinkTarget());
    const QByteArray carpeta = QFile::encodeName(destino.absolutePath());
    CarpetaTemporal temporal(carpeta, nombre);
    const QByteArray base = QFile::encodeName(destino.fileName());
    const QByteArray rutaTemporal = temporal.ruta() + "/" + base;

    CapturaErrores captura;
    const auto fallo = [&](const QString& que) {
        falloArchivo(QStringLiteral("No se puede escribir %1: %2%3.")
                         .arg(entreComillas(nombre), que, qs(captura.causa())));
    };
    registrarDrivers();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverDe(formato));
    if (!driver)
        fallo(QStringLiteral("falta el formato %1 de GDAL").arg(QLatin1String(driverDe(formato))));
    GDALDatasetUniquePtr ds(
        driver->Create(rutaTemporal.constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!ds)
        fallo(QStringLiteral("GDAL no puede crearlo"));

    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const bool conSistema = !crsWkt.empty();
    if (conSistema && srs.importFromWkt(crsWkt.c_str()) != OGRERR_NONE)
        fallo(QStringLiteral("su sistema de coordenadas no se entiende"));
    CPLStringList opciones;
    if (formato == FormatoSig::Shapefile)
        opciones.SetNameValue("ENCODING", "UTF-8");
    if (formato == FormatoSig::GeoPackage)
        opciones.SetNameValue("GEOMETRY_NAME", "geom");
    OGRLayer* l =
        ds->CreateLayer(capa.c_str(), conSistema ? &srs : nullptr, wkbLineString, opciones.List());
    if (!l)
        fallo(QStringLiteral("GDAL no puede crear la capa %1").arg(entreComillas(qs(capa))));
    for (const Campo& c : campos) {
        OGRFieldDefn defn(c.nombre.c_str(), c.tipo);
        if (l->CreateField(&defn) != OGRERR_NONE)
            fallo(
                QStringLiteral("GDAL no puede crear el campo %1").arg(entreComillas(qs(c.nombre))));
    }

    std::unordered_map<std::string, const red::Nodo*> nodos;
    for (const red::Nodo& n : modelo.nodos)
        nodos.emplace(n.id, &n);
    const bool transaccion = ds->StartTransaction() == OGRERR_NONE;
    OGRFeatureDefn* defn = l->GetLayerDefn();
    for (size_t k = 0; k < modelo.enlaces.size(); ++k) {
        const red::Enlace& e = modelo.enlaces[k];
        OGRFeature f(defn);
        int c = 0;
        const auto real = [&](std::optional<double> x) {
            if (x)
                f.SetField(c, *x);
            else
                f.SetFieldNull(c);
            ++c;
        };
        f.SetField(c++, e.id.c_str());
        f.SetField(c++, e.desde.c_str());
        f.SetField(c++, e.hasta.c_str());
        const bool conducto = e.esConducto();
        real(conducto && e.circular ? std::optional(e.D) : std::nullopt);
        real(conducto ? std::optional(e.n) : std::nullopt);
        real(conducto ? std::optional(e.longitud) : std::nullopt);
        real(e.cotaInicio);
        real(e.cotaFin);
        real(e.pendiente);
        for (const std::optional<double>& q : e.caudales)
            real(q);
        real(conducto ? std::optional(e.caudalPorMetro) : std::nullopt);
        for (size_t a = 0; a < atributos.size(); ++a)
            f.SetFieldNull(static_cast<int>(numEntrada + a));
        for (const auto& [n, v] : e.atributos)
            if (const auto it = indiceAtributo.find(n); it != indiceAtributo.end())
                f.SetField(it->second, v.c_str());
        for (size_t r = 0; r < resultados.size(); ++r) {
            const int campo = static_cast<int>(primerResultado + r);
            const Valor& v = resultados[r].valores[k];
            if (const auto* i = std::get_if<std::int64_t>(&v))
                f.SetField(campo, static_cast<GIntBig>(*i));
            else if (const auto* x = std::get_if<double>(&v))
                f.SetField(campo, *x);
            else if (const auto* s = std::get_if<std::string>(&v))
                f.SetField(campo, s->c_str());
            else
                f.SetFieldNull(campo);
        }
        const auto a = nodos.find(e.desde);
        const auto b = nodos.find(e.hasta);
        if (a != nodos.end() && b != nodos.end() && a->second->posicion && b->second->posicion) {
            auto linea = std::make_unique<OGRLineString>();
            linea->addPoint(a->second->posicion->first, a->second->posicion->second);
            for (const auto& [x, y] : e.vertices)
                linea->addPoint(x, y);
            linea->addPoint(b->second->posicion->first, b->second->posicion->second);
            f.SetGeometryDirectly(linea.release());
        }
        if (l->CreateFeature(&f) != OGRERR_NONE)
            fallo(QStringLiteral("GDAL no puede guardar el tramo %1").arg(entreComillas(qs(e.id))));
    }
    if (transaccion && ds->CommitTransaction() != OGRERR_NONE)
        fallo(QStringLiteral("GDAL no puede terminar la capa"));

    if (formato == FormatoSig::GeoPackage) {
        const std::string sql[] = {
            "CREATE TABLE layer_styles (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, "
            "f_table_catalog TEXT(256), f_table_schema TEXT(256), f_table_name TEXT(256), "
            "f_geometry_column TEXT(256), styleName TEXT(30), styleQML TEXT, styleSLD TEXT, "
            "useAsDefault BOOLEAN, description TEXT, owner TEXT(30), ui TEXT(30), update_time "
            "DATETIME DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ','now')))",
            "INSERT INTO gpkg_contents (table_name, data_type, identifier) VALUES "
            "('layer_styles', 'attributes', 'layer_styles')",
            "INSERT INTO layer_styles (f_table_catalog, f_table_schema, f_table_name, "
            "f_geometry_column, styleName, styleQML, styleSLD, useAsDefault, description, owner) "
            "VALUES ('', '', " +
                citaSql(capa) + ", 'geom', " + citaSql(capa) + ", " + citaSql(estiloQml()) +
                ", '', 1, " + citaSql("Tramos por resultado de la comprobación") + ", '')"};
        for (const std::string& s : sql) {
            captura.olvidar();
            if (OGRLayer* r = ds->ExecuteSQL(s.c_str(), nullptr, nullptr))
                ds->ReleaseResultSet(r);
            if (!captura.causa().empty())
                fallo(QStringLiteral("GDAL no puede guardar el estilo de la capa"));
        }
    }
    captura.olvidar();
    ds.reset();
    if (!captura.causa().empty())
        fallo(QStringLiteral("GDAL no ha podido cerrarlo"));

    // Every file written, synced; the main file last, so that a reader never finds it beside
    // the old files of a Shapefile that are about to go.
    const QStringList hechos = QDir(QFile::decodeName(temporal.ruta()))
                                   .entryList(QDir::Files | QDir::Hidden | QDir::System);
    std::vector<QByteArray> orden;
    for (const QString& h : hechos)
        if (QFile::encodeName(h) != base)
            orden.push_back(QFile::encodeName(h));
    orden.push_back(base);
    for (const QByteArray& h : orden)
        if (!sincronizar(temporal.ruta() + "/" + h))
            fallo(QStringLiteral("no se puede llevar al disco %1")
                      .arg(entreComillas(QFile::decodeName(h))));
    for (const QByteArray& h : orden)
        if (::rename((temporal.ruta() + "/" + h).constData(), (carpeta + "/" + h).constData()) != 0)
            fallo(QStringLiteral("no se puede poner en su sitio %1 (%2)")
                      .arg(entreComillas(QFile::decodeName(h)), causaDelError(errno)));
    if (formato == FormatoSig::Shapefile) {
        // Files of the old layer that the new one does not have (an index, a .prj) would
        // describe the wrong data.
        const QByteArray raiz = carpeta + "/" + base.left(base.size() - 4);
        for (const char* ext : kAcompanantes) {
            const QByteArray viejo = raiz + ext;
            if (!hechos.contains(QFile::decodeName(base.left(base.size() - 4) + ext)))
                ::unlink(viejo.constData());
        }
    }
}

} // namespace colvero::gis
