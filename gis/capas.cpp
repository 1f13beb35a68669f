#include "gis/capas.h"
#include "files/red.h"

#include "files/archivos.h"
#include "files/lectura.h"
#include "gis/gdal_comun.h"

#include <ogrsf_frmts.h>

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unordered_map>

namespace colvero::gis {

namespace {

enum CampoTramo {
    cTramo,
    cD,
    cN,
    cI,
    cQ,
    cQ1,
    cQ2,
    cQ3,
    cQ4,
    cQ5,
    cQ6,
    cQ7,
    cNombre,
    cCriterio,
    cSerie,
    cCotaInicio,
    cCotaFin,
    cLongitud,
    cCaudalPorMetro,
    kCamposTramo
};
constexpr std::array<const char*, kCamposTramo> kNombresTramo{"tramo",
                                                              "D",
                                                              "n",
                                                              "i",
                                                              "Q",
                                                              "Q1",
                                                              "Q2",
                                                              "Q3",
                                                              "Q4",
                                                              "Q5",
                                                              "Q6",
                                                              "Q7",
                                                              "nombre",
                                                              "criterio",
                                                              "serie",
                                                              "cota_inicio",
                                                              "cota_fin",
                                                              "longitud",
                                                              "caudal_por_metro"};

enum CampoPozo { cPozo, cCotaTerreno, cCotaSolera, cCaudalMedio, cCaudalPluvial, kCamposPozo };
constexpr std::array<const char*, kCamposPozo> kNombresPozo{"pozo", "cota_terreno", "cota_solera",
                                                            "caudal_medio", "caudal_pluvial"};

// A Shapefile keeps ten characters of a field name.
constexpr qsizetype kLargoShapefile = 10;

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Where a message points: the file, the layer and, once known, the feature and the field.
struct Lugar {
    Lugar(QString archivo_, std::string capa_)
        : archivo(std::move(archivo_)), capa(std::move(capa_)) {}

    QString archivo;
    std::string capa;
    std::optional<GIntBig> fid;
    const char* clase = "tramo"; // what the feature is
    std::string ident;           // its reach or manhole, once read
    std::string campo;

    [[noreturn]] void fallo(const std::string& que) const {
        QString m =
            QStringLiteral("La capa %1 de %2").arg(entreComillas(qs(capa)), entreComillas(archivo));
        if (fid) {
            m += QStringLiteral(", entidad %1").arg(*fid);
            if (!ident.empty())
                m += QStringLiteral(" (%1 %2)").arg(QLatin1String(clase), entreComillas(qs(ident)));
        }
        if (!campo.empty())
            m += QStringLiteral(", campo %1").arg(entreComillas(qs(campo)));
        falloArchivo(m + QStringLiteral(": ") + qs(que) + QLatin1Char('.'));
    }
};

GDALDatasetUniquePtr abrir(const QByteArray& ruta, const QString& nombre,
                           const CapturaErrores& captura) {
    comprobarNombre(ruta, nombre, "abrir");
    struct stat st {};
    if (::stat(ruta.constData(), &st) != 0)
        falloArchivo(QStringLiteral("No se puede abrir %1: no existe.").arg(entreComillas(nombre)));
    registrarDrivers();
    GDALDatasetUniquePtr ds(GDALDataset::Open(ruta.constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!ds)
        falloArchivo(QStringLiteral("No se puede abrir %1 como capa SIG%2.")
                         .arg(entreComillas(nombre), qs(captura.causa())));
    return ds;
}

std::string listaCapas(GDALDataset& ds) {
    std::string lista;
    for (OGRLayer* l : ds.GetLayers()) {
        if (!lista.empty())
            lista += ", ";
        lista += std::string("«") + l->GetName() + "»";
    }
    return lista.empty() ? std::string("ninguna") : lista;
}

bool esDeLineas(OGRwkbGeometryType t) {
    t = wkbFlatten(t);
    return t == wkbLineString || t == wkbMultiLineString;
}
bool esDePuntos(OGRwkbGeometryType t) {
    t = wkbFlatten(t);
    return t == wkbPoint || t == wkbMultiPoint;
}

// The layer named `capa`, else the file's only layer of the wanted geometry (the only layer of
// the file when no layer tells its geometry).
OGRLayer& elegirCapa(GDALDataset& ds, const std::string& capa, bool lineas, const QString& nombre) {
    if (!capa.empty()) {
        if (OGRLayer* l = ds.GetLayerByName(capa.c_str()))
            return *l;
        falloArchivo(QStringLiteral("%1 no tiene la capa %2; sus capas son: %3.")
                         .arg(entreComillas(nombre), entreComillas(qs(capa)), qs(listaCapas(ds))));
    }
    std::vector<OGRLayer*> candidatas;
    for (OGRLayer* l : ds.GetLayers()) {
        const OGRwkbGeometryType t = l->GetGeomType();
        if (lineas ? esDeLineas(t) : esDePuntos(t))
            candidatas.push_back(l);
    }
    if (candidatas.empty() && ds.GetLayerCount() == 1 &&
        wkbFlatten(ds.GetLayer(0)->GetGeomType()) == wkbUnknown)
        candidatas.push_back(ds.GetLayer(0));
    const QString que = lineas ? QStringLiteral("líneas") : QStringLiteral("puntos");
    if (candidatas.size() == 1)
        return *candidatas.front();
    if (candidatas.empty())
        falloArchivo(QStringLiteral("%1 no tiene ninguna capa de %2; sus capas son: %3.")
                         .arg(entreComillas(nombre), que, qs(listaCapas(ds))));
    falloArchivo(QStringLiteral("%1 tiene varias capas de %2; indique cuál: %3.")
                     .arg(entreComillas(nombre), que, qs(listaCapas(ds))));
}

// The index of each known field in the layer, -1 when absent.
template <size_t N>
std::array<int, N> indices(OGRFeatureDefn& defn, const std::array<const char*, N>& nombres,
                           const Lugar& lugar) {
    std::array<int, N> indice;
    indice.fill(-1);
    for (int k = 0; k < defn.GetFieldCount(); ++k) {
        const std::string escrito = defn.GetFieldDefn(k)->GetNameRef();
        const QString n = normalizarNombreDeColumna(escrito);
        for (size_t c = 0; c < N; ++c) {
            const QString conocido = QString::fromLatin1(nombres[c]).toCaseFolded();
            const bool corto =
                conocido.size() > kLargoShapefile && n == conocido.left(kLargoShapefile);
            if (n != conocido && !corto)
                continue;
            if (indice[c] >= 0) {
                Lugar l = lugar;
                l.campo = escrito;
                l.fallo(std::string("es el mismo campo que «") +
                        defn.GetFieldDefn(indice[c])->GetNameRef() + "»");
            }
            indice[c] = k;
        }
    }
    return indice;
}

void exigirCampo(int indice, const char* nombre, const Lugar& lugar) {
    if (indice < 0) {
        Lugar l = lugar;
        l.campo = nombre;
        l.fallo("falta el campo");
    }
}

std::string_view recortar(std::string_view s) {
    const auto blanco = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blanco(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blanco(s.back()))
        s.remove_suffix(1);
    return s;
}

// A number of the field, with a decimal point or comma when the field holds text; nothing when
// the field is NULL, unset or blank.
std::optional<double> numero(OGRFeature& f, int campo, const Lugar& donde) {
    if (campo < 0 || !f.IsFieldSetAndNotNull(campo))
        return std::nullopt;
    OGRFieldDefn* defn = f.GetFieldDefnRef(campo);
    const auto fallo = [&](const std::string& que) {
        Lugar lugar = donde;
        lugar.campo = defn->GetNameRef();
        lugar.fallo(que);
    };
    double x = 0;
    switch (defn->GetType()) {
    case OFTInteger:
    case OFTInteger64:
    case OFTReal:
        x = f.GetFieldAsDouble(campo);
        break;
    case OFTString: {
        std::string texto(recortar(f.GetFieldAsString(campo)));
        if (texto.empty())
            return std::nullopt;
        if (texto.find('.') == std::string::npos)
            std::replace(texto.begin(), texto.end(), ',', '.');
        const char* fin = texto.data() + texto.size();
        const char* inicio = texto.data() + (texto.front() == '+' ? 1 : 0);
        const auto r = std::from_chars(inicio, fin, x);
        if (r.ec != std::errc() || r.ptr != fin)
            fallo("«" + std::string(recortar(f.GetFieldAsString(campo))) + "» no es un número");
        break;
    }
    default:
        fallo(std::string("es de tipo ") + OGRFieldDefn::GetFieldTypeName(defn->GetType()) +
              ", no un número");
    }
    if (!std::isfinite(x))
        fallo("el valor no es un número finito");
    return x;
}

std::string texto(OGRFeature& f, int campo) {
    if (campo < 0 || !f.IsFieldSetAndNotNull(campo))
        return {};
    return std::string(recortar(f.GetFieldAsString(campo)));
}

std::string nombreCapa(OGRLayer& l) {
    return l.GetName();
}

// The coordinate system of a layer, refused in degrees; null when the layer has none.
const OGRSpatialReference* sistema(OGRLayer& l, const Lugar& lugar) {
    const OGRSpatialReference* srs = l.GetSpatialRef();
    // A GeoPackage without a system says so with one of its two "undefined" systems.
    if (srs && srs->GetName() &&
        (EQUAL(srs->GetName(), "Undefined geographic SRS") ||
         EQUAL(srs->GetName(), "Undefined Cartesian SRS")))
        return nullptr;
    if (srs && srs->IsGeographic())
        lugar.fallo("está en coordenadas geográficas (grados); las longitudes y la tolerancia "
                    "necesitan un sistema proyectado en metros, p. ej. ETRS89 / UTM "
                    "(EPSG:25830)");
    return srs;
}

using Punto = std::pair<double, double>;

// The points of a reach's line: a LineString, or a MultiLineString of one part.
std::vector<Punto> puntosDeLinea(OGRFeature& f, const Lugar& lugar) {
    const OGRGeometry* g = f.GetGeometryRef();
    if (!g || g->IsEmpty())
        lugar.fallo("no tiene geometría");
    const OGRwkbGeometryType t = wkbFlatten(g->getGeometryType());
    const OGRLineString* linea = nullptr;
    if (t == wkbLineString) {
        linea = g->toLineString();
    } else if (t == wkbMultiLineString) {
        const OGRMultiLineString* m = g->toMultiLineString();
        if (m->getNumGeometries() != 1)
            lugar.fallo("es una línea múltiple (MultiLineString) de " +
                        std::to_string(m->getNumGeometries()) +
                        " partes; cada tramo debe ser una sola línea");
        linea = m->getGeometryRef(0);
    } else {
        lugar.fallo(std::string("su geometría es ") + OGRGeometryTypeToName(t) + ", no una línea");
    }
    if (linea->getNumPoints() < 2)
        lugar.fallo("su línea tiene menos de dos vértices");
    std::vector<Punto> puntos;
    puntos.reserve(static_cast<size_t>(linea->getNumPoints()));
    for (int k = 0; k < linea->getNumPoints(); ++k) {
        const double x = linea->getX(k), y = linea->getY(k);
        if (!std::isfinite(x) || !std::isfinite(y))
            lugar.fallo("su línea tiene un vértice sin coordenadas finitas");
        puntos.emplace_back(x, y);
    }
    return puntos;
}

// Points hashed by grid cells as wide as the tolerance: the points within the tolerance of a
// point lie in its cell or the eight around it.
class Rejilla {
public:
    Rejilla(double tolerancia, const std::vector<Punto>& puntos)
        : tolerancia_(tolerancia), celda_(tolerancia > 0 ? tolerancia : 1.0), puntos_(puntos) {}

    void poner(int k) { celdas_[clave(puntos_[static_cast<size_t>(k)])].push_back(k); }

    // The closest point within the tolerance (the first of equals), -1 for none.
    int cercano(Punto p) const {
        const auto [cx, cy] = clave(p);
        int mejor = -1;
        double dMejor = std::numeric_limits<double>::infinity();
        for (std::int64_t dx = -1; dx <= 1; ++dx) {
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                const auto it = celdas_.find({cx + dx, cy + dy});
                if (it == celdas_.end())
                    continue;
                for (const int k : it->second) {
                    const Punto& q = puntos_[static_cast<size_t>(k)];
                    const double d = std::hypot(q.first - p.first, q.second - p.second);
                    if (d <= tolerancia_ && (d < dMejor || (d == dMejor && k < mejor))) {
                        mejor = k;
                        dMejor = d;
                    }
                }
            }
        }
        return mejor;
    }

private:
    using Clave = std::pair<std::int64_t, std::int64_t>;
    struct Hash {
        size_t operator()(const Clave& c) const {
            return std::hash<std::int64_t>()(c.first) * 0x9E3779B97F4A7C15ULL ^
                   std::hash<std::int64_t>()(c.second);
        }
    };
    Clave clave(Punto p) const {
        // Far beyond any map: cells saturate rather than overflow.
        const auto eje = [this](double v) {
            const double c = std::floor(v / celda_);
            return static_cast<std::int64_t>(std::clamp(c, -4.0e18, 4.0e18));
        };
        return {eje(p.first), eje(p.second)};
    }

    double tolerancia_, celda_;
    const std::vector<Punto>& puntos_;
    std::unordered_map<Clave, std::vector<int>, Hash> celdas_;
};

struct PozoLeido {
    red::Nodo nodo;
    bool conSolera = false;
};

std::vector<PozoLeido> leerPozos(const OrigenCapa& origen, const OGRSpatialReference* srsTramos,
                                 CapturaErrores& captura) {
    const QString nombre = nombreVisible(origen.ruta);
    GDALDatasetUniquePtr ds = abrir(origen.ruta, nombre, captura);
    OGRLayer& capa = elegirCapa(*ds, origen.capa, false, nombre);
    captura.olvidar();
    Lugar lugar(nombre, nombreCapa(capa));
    lugar.clase = "pozo";
    const OGRSpatialReference* srs = sistema(capa, lugar);
    if (srs && srsTramos && !srs->IsSame(srsTramos))
        lugar.fallo("su sistema de coordenadas no es el de los tramos");
    const auto ind = indices(*capa.GetLayerDefn(), kNombresPozo, lugar);
    exigirCampo(ind[cPozo], kNombresPozo[cPozo], lugar);

    std::vector<PozoLeido> pozos;
    capa.ResetReading();
    for (auto& f : capa) {
        Lugar l = lugar;
        l.fid = f->GetFID();
        PozoLeido p;
        p.nodo.id = texto(*f, ind[cPozo]);
        if (p.nodo.id.empty()) {
            l.campo = capa.GetLayerDefn()->GetFieldDefn(ind[cPozo])->GetNameRef();
            l.fallo("el pozo no tiene identificador");
        }
        l.ident = p.nodo.id;
        const OGRGeometry* g = f->GetGeometryRef();
        if (!g || g->IsEmpty())
            l.fallo("no tiene geometría");
        const OGRwkbGeometryType t = wkbFlatten(g->getGeometryType());
        const OGRPoint* punto = nullptr;
        if (t == wkbPoint) {
            punto = g->toPoint();
        } else if (t == wkbMultiPoint && g->toMultiPoint()->getNumGeometries() == 1) {
            punto = g->toMultiPoint()->getGeometryRef(0);
        } else {
            l.fallo(std::string("su geometría es ") + OGRGeometryTypeToName(t) + ", no un punto");
        }
        if (!std::isfinite(punto->getX()) || !std::isfinite(punto->getY()))
            l.fallo("su punto no tiene coordenadas finitas");
        p.nodo.posicion = Punto(punto->getX(), punto->getY());
        p.nodo.cotaTerreno = numero(*f, ind[cCotaTerreno], l);
        const std::optional<double> solera = numero(*f, ind[cCotaSolera], l);
        p.nodo.cotaSolera = solera.value_or(std::numeric_limits<double>::quiet_NaN());
        p.conSolera = solera.has_value();
        p.nodo.caudalMedio = numero(*f, ind[cCaudalMedio], l).value_or(0.0);
        p.nodo.caudalPluvial = numero(*f, ind[cCaudalPluvial], l).value_or(0.0);
        pozos.push_back(std::move(p));
    }
    if (captura.causa().size() > 0)
        lugar.fallo("GDAL no ha podido leerla entera" + captura.causa());
    return pozos;
}

struct TramoLeido {
    red::Enlace enlace;
    Punto inicio, fin;
    bool longitudDeGeometria = false;
};

} // namespace

OrigenCapa separarArchivoCapa(const QByteArray& texto) {
    struct stat st {};
    const qsizetype dos = texto.lastIndexOf(':');
    if (dos <= 0 || ::stat(texto.constData(), &st) == 0)
        return {texto, {}};
    return {texto.left(dos), texto.mid(dos + 1).toStdString()};
}

std::vector<std::string> capasDe(const QByteArray& ruta) {
    CapturaErrores captura;
    GDALDatasetUniquePtr ds = abrir(ruta, nombreVisible(ruta), captura);
    std::vector<std::string> capas;
    for (OGRLayer* l : ds->GetLayers())
        capas.emplace_back(l->GetName());
    return capas;
}

RedSig leerRedSig(const OrigenCapa& tramos, const OrigenCapa& pozos, double tolerancia) {
    if (!(tolerancia >= 0) || !std::isfinite(tolerancia))
        falloArchivo(QStringLiteral("La tolerancia de unión de los extremos debe ser un número "
                                    "positivo o cero."));
    CapturaErrores captura;
    const QString nombre = nombreVisible(tramos.ruta);
    GDALDatasetUniquePtr ds = abrir(tramos.ruta, nombre, captura);
    OGRLayer& capa = elegirCapa(*ds, tramos.capa, true, nombre);
    captura.olvidar();
    const Lugar lugar(nombre, nombreCapa(capa));
    const OGRSpatialReference* srs = sistema(capa, lugar);
    OGRFeatureDefn& defn = *capa.GetLayerDefn();
    const auto ind = indices(defn, kNombresTramo, lugar);
    for (const CampoTramo c : {cTramo, cD, cN})
        exigirCampo(ind[c], kNombresTramo[c], lugar);

    RedSig r;
    r.capa = nombreCapa(capa);
    r.red.longitudes = red::MedidaLongitud::Horizontal;
    for (int k = 0; k < defn.GetFieldCount(); ++k)
        r.campos.emplace_back(defn.GetFieldDefn(k)->GetNameRef());
    if (srs) {
        char* wkt = nullptr;
        const char* opciones[] = {"FORMAT=WKT2_2018", nullptr};
        if (srs->exportToWkt(&wkt, opciones) == OGRERR_NONE && wkt)
            r.crsWkt = wkt;
        CPLFree(wkt);
    }

    // The fields the reach takes its values from; the rest, and the names and criteria the
    // model has no place for, are kept as attributes.
    std::vector<bool> propio(static_cast<size_t>(defn.GetFieldCount()), false);
    for (const CampoTramo c : {cTramo, cD, cN, cI, cQ, cQ1, cQ2, cQ3, cQ4, cQ5, cQ6, cQ7,
                               cCotaInicio, cCotaFin, cLongitud, cCaudalPorMetro})
        if (ind[c] >= 0)
            propio[static_cast<size_t>(ind[c])] = true;

    std::vector<TramoLeido> leidos;
    if (const GIntBig cuantos = capa.GetFeatureCount(false); cuantos > 0 && cuantos < (1 << 26))
        leidos.reserve(static_cast<size_t>(cuantos));
    capa.ResetReading();
    for (auto& f : capa) {
        Lugar l = lugar;
        l.fid = f->GetFID();
        TramoLeido t;
        red::Enlace& e = t.enlace;
        e.id = texto(*f, ind[cTramo]);
        if (e.id.empty()) {
            l.campo = defn.GetFieldDefn(ind[cTramo])->GetNameRef();
            l.fallo("el tramo no tiene identificador");
        }
        l.ident = e.id;
        e.circular = true;
        const auto obligatorio = [&](CampoTramo c) {
            const std::optional<double> x = numero(*f, ind[c], l);
            if (!x) {
                Lugar m = l;
                m.campo = defn.GetFieldDefn(ind[c])->GetNameRef();
                m.fallo("el campo está vacío");
            }
            return *x;
        };
        e.forma = "CIRCULAR"; // a layer of reaches holds circular pipes
        e.circular = true;
        e.D = obligatorio(cD);
        e.n = obligatorio(cN);
        e.pendiente = numero(*f, ind[cI], l);
        const std::optional<double> q = numero(*f, ind[cQ], l);
        for (size_t k = 0; k < 7; ++k) {
            const std::optional<double> qk = numero(*f, ind[cQ1 + static_cast<int>(k)], l);
            e.caudales[k] = qk ? qk : q;
        }
        e.cotaInicio = numero(*f, ind[cCotaInicio], l);
        e.cotaFin = numero(*f, ind[cCotaFin], l);
        e.caudalPorMetro = numero(*f, ind[cCaudalPorMetro], l).value_or(0.0);
        const std::vector<Punto> puntos = puntosDeLinea(*f, l);
        t.inicio = puntos.front();
        t.fin = puntos.back();
        e.vertices.assign(puntos.begin() + 1, puntos.end() - 1);
        if (const auto largo = numero(*f, ind[cLongitud], l)) {
            e.longitud = *largo;
        } else {
            for (size_t k = 1; k < puntos.size(); ++k)
                e.longitud += std::hypot(puntos[k].first - puntos[k - 1].first,
                                         puntos[k].second - puntos[k - 1].second);
            t.longitudDeGeometria = true;
        }
        for (int k = 0; k < defn.GetFieldCount(); ++k)
            if (!propio[static_cast<size_t>(k)])
                e.atributos.emplace_back(defn.GetFieldDefn(k)->GetNameRef(), texto(*f, k));
        leidos.push_back(std::move(t));
    }
    if (!captura.causa().empty())
        lugar.fallo("GDAL no ha podido leerla entera" + captura.causa());
    if (leidos.empty())
        lugar.fallo("no tiene ningún tramo");
    if (!srs) {
        for (const TramoLeido& t : leidos)
            if (t.longitudDeGeometria) {
                Lugar l = lugar;
                l.ident = t.enlace.id;
                l.fallo("no tiene sistema de coordenadas, y la longitud del tramo «" + t.enlace.id +
                        "» sale de su geometría; asígnele un sistema proyectado en metros, p. ej. "
                        "ETRS89 / UTM (EPSG:25830), o dé el campo «longitud»");
            }
    }

    std::vector<PozoLeido> leidosPozos;
    if (!pozos.ruta.isEmpty())
        leidosPozos = leerPozos(pozos, srs, captura);

    // Nodes: the manholes first, then one per group of reach ends that no manhole takes.
    std::vector<Punto> posiciones;
    std::vector<bool> conSolera;
    std::unordered_map<std::string, int> ids;
    for (PozoLeido& p : leidosPozos) {
        posiciones.push_back(*p.nodo.posicion);
        conSolera.push_back(p.conSolera);
        ids.emplace(p.nodo.id, static_cast<int>(r.red.nodos.size()));
        r.red.nodos.push_back(std::move(p.nodo));
    }
    const size_t numPozos = r.red.nodos.size();
    Rejilla rejillaPozos(tolerancia, posiciones);
    for (size_t k = 0; k < numPozos; ++k)
        rejillaPozos.poner(static_cast<int>(k));
    Rejilla rejillaNuevos(tolerancia, posiciones);
    int siguienteId = 1;
    const auto nodoEn = [&](Punto p) {
        if (const int k = rejillaPozos.cercano(p); k >= 0)
            return k;
        if (const int k = rejillaNuevos.cercano(p); k >= 0)
            return k;
        red::Nodo n;
        do {
            n.id = "N" + std::to_string(siguienteId++);
        } while (ids.count(n.id));
        n.posicion = p;
        n.cotaSolera = std::numeric_limits<double>::quiet_NaN();
        const int k = static_cast<int>(r.red.nodos.size());
        ids.emplace(n.id, k);
        r.red.nodos.push_back(std::move(n));
        posiciones.push_back(p);
        conSolera.push_back(false);
        rejillaNuevos.poner(k);
        return k;
    };

    std::vector<std::pair<int, int>> extremos;
    extremos.reserve(leidos.size());
    for (const TramoLeido& t : leidos)
        extremos.emplace_back(nodoEn(t.inicio), nodoEn(t.fin));

    // A node without its own invert takes the lowest of the reaches' ends there.
    std::vector<bool> sale(r.red.nodos.size(), false), llega(r.red.nodos.size(), false);
    for (size_t k = 0; k < leidos.size(); ++k) {
        const auto [a, b] = extremos[k];
        sale[static_cast<size_t>(a)] = true;
        llega[static_cast<size_t>(b)] = true;
        for (const auto& [nodo, cota] :
             {std::pair(a, leidos[k].enlace.cotaInicio), std::pair(b, leidos[k].enlace.cotaFin)}) {
            double& solera = r.red.nodos[static_cast<size_t>(nodo)].cotaSolera;
            if (cota && !conSolera[static_cast<size_t>(nodo)] &&
                !(solera <= *cota)) // NaN or higher
                solera = *cota;
        }
    }
    for (size_t k = 0; k < r.red.nodos.size(); ++k)
        if (llega[k] && !sale[k])
            r.red.nodos[k].tipo = red::TipoNodo::Vertido;

    r.red.enlaces.reserve(leidos.size());
    for (size_t k = 0; k < leidos.size(); ++k) {
        red::Enlace& e = leidos[k].enlace;
        const red::Nodo& a = r.red.nodos[static_cast<size_t>(extremos[k].first)];
        const red::Nodo& b = r.red.nodos[static_cast<size_t>(extremos[k].second)];
        e.desde = a.id;
        e.hasta = b.id;
        if (!e.cotaInicio && std::isfinite(a.cotaSolera))
            e.cotaInicio = a.cotaSolera;
        if (!e.cotaFin && std::isfinite(b.cotaSolera))
            e.cotaFin = b.cotaSolera;
        r.red.enlaces.push_back(std::move(e));
    }
    return r;
}

} // namespace colvero::gis
