#include "files/modelo_swmm.h"

#include "check/numero.h"
#include "files/archivos.h"
#include "files/lectura.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace colvero {
namespace {

using red::Enlace;
using red::Nodo;
using red::TipoEnlace;
using red::TipoNodo;

constexpr qint64 kMaximoModelo = qint64{1} << 30; // bytes: line numbers stay within an int

// US gallon: 231 cubic inches of 0.0254 m.
constexpr double kGalon = 231 * 0.0254 * 0.0254 * 0.0254; // m3

bool igual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto mayus = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
               return mayus(x) == mayus(y);
           });
}

enum class Seccion {
    Ninguna,
    Otra,
    Opciones,
    Pozos,
    Vertidos,
    Depositos,
    Divisores,
    Conductos,
    Secciones,
    Bombas,
    Orificios,
    Vertederos,
    Salidas,
    Coordenadas,
    Vertices,
    Dwf,
    Aportes,
};

struct NombreSeccion {
    const char* nombre;
    Seccion seccion;
};
constexpr std::array<NombreSeccion, 15> kSecciones{{
    {"OPTIONS", Seccion::Opciones},
    {"JUNCTIONS", Seccion::Pozos},
    {"OUTFALLS", Seccion::Vertidos},
    {"STORAGE", Seccion::Depositos},
    {"DIVIDERS", Seccion::Divisores},
    {"CONDUITS", Seccion::Conductos},
    {"XSECTIONS", Seccion::Secciones},
    {"PUMPS", Seccion::Bombas},
    {"ORIFICES", Seccion::Orificios},
    {"WEIRS", Seccion::Vertederos},
    {"OUTLETS", Seccion::Salidas},
    {"COORDINATES", Seccion::Coordenadas},
    {"VERTICES", Seccion::Vertices},
    {"DWF", Seccion::Dwf},
    {"INFLOWS", Seccion::Aportes},
}};

// Raw values of a line, in the file's units, resolved once every section is read.
struct NodoLeido {
    double cota = 0;
    std::optional<double> profundidad; // maximum depth
};
struct ConductoLeido {
    std::optional<double> desplazamiento[2]; // none: "*"
};
struct Pendiente {
    int linea;
    std::string seccion;
    std::string nombre;
    std::array<double, 2> valor; // coordinates, or flow in [0]
    std::string forma;
    int barriles = 1;
};

class Lector {
public:
    Lector(std::string_view texto, const QString& nombre) : texto_(texto), nombre_(nombre) {}

    ModeloSwmm leer();

private:
    [[noreturn]] void fallo(const std::string& que) const {
        falloArchivo(QStringLiteral("El modelo %1 no es válido: línea %2, sección %3: %4.")
                         .arg(entreComillas(nombre_))
                         .arg(linea_)
                         .arg(QString::fromStdString(seccionTexto_), QString::fromStdString(que)));
    }
    [[noreturn]] void falloEn(int linea, const std::string& seccion, const std::string& que) {
        linea_ = linea;
        seccionTexto_ = seccion;
        fallo(que);
    }
    void partir(std::string_view linea);
    void minimo(size_t cuantos, const std::string& que) const {
        if (tok_.size() < cuantos)
            fallo("faltan datos: " + que);
    }
    double numero(size_t k, const char* campo) const {
        const std::optional<double> x = leerNumero(tok_[k], '.');
        if (!x)
            fallo(std::string("«") + std::string(tok_[k]) + "» no es un número (" + campo + ")");
        return *x;
    }
    std::optional<double> desplazamiento(size_t k, const char* campo) const {
        if (k >= tok_.size() || tok_[k] == "*")
            return k >= tok_.size() ? std::optional<double>(0) : std::nullopt;
        return numero(k, campo);
    }
    void opcion();
    void nodo(TipoNodo tipo);
    void vertido();
    void deposito();
    void conducto();
    void enlace(TipoEnlace tipo);
    void pendiente(std::vector<Pendiente>& lista, int valores, const char* que);
    void seccion();
    void resolver(ModeloSwmm& m);

    std::string_view texto_;
    QString nombre_;
    int linea_ = 0;
    Seccion seccion_ = Seccion::Ninguna;
    std::string seccionTexto_;
    std::vector<std::string_view> tok_;
    std::deque<std::string> citas_; // quoted tokens without their quotes (stable addresses)
    std::optional<UnidadesCaudal> unidades_;
    bool elevacion_ = false;
    std::vector<Nodo> nodos_;
    std::vector<NodoLeido> nodosLeidos_;
    std::vector<Enlace> enlaces_;
    std::vector<ConductoLeido> conductosLeidos_;
    std::vector<Pendiente> secciones_, coordenadas_, vertices_, dwf_, aportes_;
};

void Lector::partir(std::string_view linea) {
    tok_.clear();
    size_t citas = 0;
    size_t k = 0;
    const auto blanco = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
    };
    while (k < linea.size()) {
        while (k < linea.size() && blanco(linea[k]))
            ++k;
        if (k == linea.size() || linea[k] == ';')
            break;
        if (linea[k] == '"') {
            const size_t fin = linea.find('"', k + 1);
            if (fin == std::string_view::npos)
                fallo("unas comillas no se cierran");
            if (citas == citas_.size())
                citas_.emplace_back();
            citas_[citas].assign(linea.substr(k + 1, fin - k - 1));
            tok_.push_back(citas_[citas++]);
            k = fin + 1;
            continue;
        }
        const size_t inicio = k;
        while (k < linea.size() && !blanco(linea[k]) && linea[k] != ';' && linea[k] != '"')
            ++k;
        tok_.push_back(linea.substr(inicio, k - inicio));
    }
}

void Lector::opcion() {
    minimo(2, "la opción y su valor");
    if (igual(tok_[0], "FLOW_UNITS")) {
        unidades_ = unidadesDeNombre(tok_[1]);
        if (!unidades_)
            fallo("«" + std::string(tok_[1]) +
                  "» no es una unidad de caudal (CFS, GPM, MGD, CMS, LPS o MLD)");
    } else if (igual(tok_[0], "LINK_OFFSETS")) {
        if (igual(tok_[1], "ELEVATION"))
            elevacion_ = true;
        else if (igual(tok_[1], "DEPTH"))
            elevacion_ = false;
        else
            fallo("«" + std::string(tok_[1]) +
                  "» no es un modo de LINK_OFFSETS (DEPTH o ELEVATION)");
    }
}

void Lector::nodo(TipoNodo tipo) {
    Nodo n;
    n.id.assign(tok_[0]);
    n.tipo = tipo;
    n.linea = linea_;
    NodoLeido l;
    l.cota = numero(1, "cota de solera");
    nodos_.push_back(std::move(n));
    nodosLeidos_.push_back(l);
}

void Lector::vertido() {
    minimo(3, "nombre, cota de solera y tipo de vertido");
    nodo(TipoNodo::Vertido);
    const std::string_view tipo = tok_[2];
    size_t siguiente = 3;
    if (igual(tipo, "FIXED") || igual(tipo, "TIDAL") || igual(tipo, "TIMESERIES")) {
        minimo(4, "el dato del vertido " + std::string(tipo));
        if (igual(tipo, "FIXED"))
            numero(3, "cota fija del vertido");
        siguiente = 4;
    } else if (!igual(tipo, "FREE") && !igual(tipo, "NORMAL")) {
        fallo("«" + std::string(tipo) +
              "» no es un tipo de vertido (FREE, NORMAL, FIXED, TIDAL o TIMESERIES)");
    }
    if (siguiente < tok_.size() && !igual(tok_[siguiente], "YES") && !igual(tok_[siguiente], "NO"))
        fallo("«" + std::string(tok_[siguiente]) + "» no es YES ni NO (compuerta)");
}

void Lector::deposito() {
    minimo(5, "nombre, cota de solera, profundidad máxima, profundidad inicial y forma");
    nodo(TipoNodo::Deposito);
    nodosLeidos_.back().profundidad = numero(2, "profundidad máxima");
    numero(3, "profundidad inicial");
    const std::string_view forma = tok_[4];
    if (igual(forma, "TABULAR")) {
        minimo(6, "la curva del depósito");
    } else if (igual(forma, "FUNCTIONAL") || igual(forma, "CYLINDRICAL") ||
               igual(forma, "CONICAL") || igual(forma, "PARABOLIC") || igual(forma, "PYRAMIDAL")) {
        minimo(8, "los tres coeficientes de la forma del depósito");
        for (size_t k = 5; k < 8; ++k)
            numero(k, "coeficiente de la forma del depósito");
    } else {
        fallo("«" + std::string(forma) + "» no es una forma de depósito (FUNCTIONAL o TABULAR)");
    }
}

void Lector::conducto() {
    minimo(5, "nombre, nodos de los extremos, longitud y rugosidad");
    Enlace e;
    e.id.assign(tok_[0]);
    e.desde.assign(tok_[1]);
    e.hasta.assign(tok_[2]);
    e.longitud = numero(3, "longitud");
    e.n = numero(4, "rugosidad");
    e.linea = linea_;
    ConductoLeido c;
    c.desplazamiento[0] = desplazamiento(5, "desplazamiento de entrada");
    c.desplazamiento[1] = desplazamiento(6, "desplazamiento de salida");
    static constexpr std::array<const char*, 2> kOtros{"caudal_inicial", "caudal_maximo"};
    for (size_t k = 7; k < tok_.size() && k < 9; ++k) {
        numero(k, kOtros[k - 7]);
        e.atributos.emplace_back(kOtros[k - 7], std::string(tok_[k]));
    }
    enlaces_.push_back(std::move(e));
    conductosLeidos_.push_back(c);
}

void Lector::enlace(TipoEnlace tipo) {
    minimo(3, "nombre y nodos de los extremos");
    Enlace e;
    e.id.assign(tok_[0]);
    e.tipo = tipo;
    e.desde.assign(tok_[1]);
    e.hasta.assign(tok_[2]);
    e.linea = linea_;
    enlaces_.push_back(std::move(e));
    conductosLeidos_.emplace_back();
}

void Lector::pendiente(std::vector<Pendiente>& lista, int valores, const char* que) {
    minimo(static_cast<size_t>(1 + valores), que);
    Pendiente p{linea_, seccionTexto_, std::string(tok_[0]), {0, 0}, {}, 1};
    for (int k = 0; k < valores; ++k)
        p.valor[static_cast<size_t>(k)] = numero(static_cast<size_t>(k + 1), "coordenada");
    lista.push_back(std::move(p));
}

void Lector::seccion() {
    minimo(3, "enlace, forma y primera dimensión");
    Pendiente p{linea_, seccionTexto_, std::string(tok_[0]), {0, 0}, std::string(tok_[1]), 1};
    std::transform(p.forma.begin(), p.forma.end(), p.forma.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; });
    if (p.forma == "CIRCULAR") {
        p.valor[0] = numero(2, "diámetro");
        if (tok_.size() > 6) {
            const double b = numero(6, "número de barriles");
            if (!(b >= 1 && b <= 1e6 && b == std::floor(b)))
                fallo("«" + std::string(tok_[6]) + "» no es un número de barriles válido");
            p.barriles = static_cast<int>(b);
        }
    }
    secciones_.push_back(std::move(p));
}

ModeloSwmm Lector::leer() {
    size_t inicio = 0;
    while (inicio <= texto_.size()) {
        size_t fin = texto_.find('\n', inicio);
        if (fin == std::string_view::npos)
            fin = texto_.size();
        std::string_view linea = texto_.substr(inicio, fin - inicio);
        inicio = fin + 1;
        ++linea_;
        size_t k = linea.find_first_not_of(" \t\r\f\v");
        if (k == std::string_view::npos)
            continue;
        if (linea[k] == '[') {
            const size_t cierre = linea.find(']', k);
            if (cierre == std::string_view::npos) {
                seccionTexto_ = "(ninguna)";
                fallo("el nombre de sección «" + std::string(linea.substr(k)) +
                      "» no se cierra con «]»");
            }
            const std::string_view nombre = linea.substr(k + 1, cierre - k - 1);
            seccionTexto_ = "[" + std::string(nombre) + "]";
            seccion_ = Seccion::Otra;
            for (const NombreSeccion& s : kSecciones) {
                if (igual(nombre, s.nombre)) {
                    seccion_ = s.seccion;
                    seccionTexto_ = std::string("[") + s.nombre + "]";
                }
            }
            continue;
        }
        if (seccion_ == Seccion::Otra)
            continue;
        partir(linea);
        if (tok_.empty())
            continue;
        switch (seccion_) {
        case Seccion::Ninguna:
            seccionTexto_ = "(ninguna)";
            fallo("hay datos antes de la primera sección");
        case Seccion::Otra:
            break;
        case Seccion::Opciones:
            opcion();
            break;
        case Seccion::Pozos:
            minimo(2, "nombre y cota de solera");
            nodo(TipoNodo::Pozo);
            if (tok_.size() > 2)
                nodosLeidos_.back().profundidad = numero(2, "profundidad máxima");
            break;
        case Seccion::Vertidos:
            vertido();
            break;
        case Seccion::Depositos:
            deposito();
            break;
        case Seccion::Divisores:
            minimo(4, "nombre, cota de solera, enlace desviado y tipo");
            nodo(TipoNodo::Pozo);
            break;
        case Seccion::Conductos:
            conducto();
            break;
        case Seccion::Secciones:
            seccion();
            break;
        case Seccion::Bombas:
            enlace(TipoEnlace::Bomba);
            break;
        case Seccion::Orificios:
            enlace(TipoEnlace::Orificio);
            break;
        case Seccion::Vertederos:
            enlace(TipoEnlace::Vertedero);
            break;
        case Seccion::Salidas:
            enlace(TipoEnlace::Salida);
            break;
        case Seccion::Coordenadas:
            pendiente(coordenadas_, 2, "nodo y coordenadas");
            break;
        case Seccion::Vertices:
            pendiente(vertices_, 2, "enlace y coordenadas");
            break;
        case Seccion::Dwf:
            minimo(3, "nodo, componente y valor medio");
            if (igual(tok_[1], "FLOW"))
                dwf_.push_back({linea_,
                                seccionTexto_,
                                std::string(tok_[0]),
                                {numero(2, "caudal medio"), 0},
                                {},
                                1});
            break;
        case Seccion::Aportes:
            minimo(3, "nodo, componente y serie temporal");
            if (igual(tok_[1], "FLOW"))
                aportes_.push_back({linea_,
                                    seccionTexto_,
                                    std::string(tok_[0]),
                                    {tok_.size() > 6 ? numero(6, "caudal base") : 0.0, 0},
                                    {},
                                    1});
            break;
        }
    }
    ModeloSwmm m;
    resolver(m);
    return m;
}

void Lector::resolver(ModeloSwmm& m) {
    m.unidades = unidades_.value_or(UnidadesCaudal::CFS);
    m.desplazamientosComoCota = elevacion_;
    const double l = unidadesEeuu(m.unidades) ? kPie : 1.0;
    const double q = factorCaudal(m.unidades);

    std::unordered_map<std::string_view, size_t> nodo;
    nodo.reserve(nodos_.size());
    for (size_t k = 0; k < nodos_.size(); ++k) {
        Nodo& n = nodos_[k];
        const NodoLeido& r = nodosLeidos_[k];
        n.cotaSolera = r.cota * l;
        if (r.profundidad && *r.profundidad > 0)
            n.cotaTerreno = n.cotaSolera + *r.profundidad * l;
        nodo.emplace(n.id, k);
    }
    std::unordered_map<std::string_view, size_t> enlace;
    enlace.reserve(enlaces_.size());
    for (size_t k = 0; k < enlaces_.size(); ++k)
        enlace.emplace(enlaces_[k].id, k);

    for (size_t k = 0; k < enlaces_.size(); ++k) {
        Enlace& e = enlaces_[k];
        if (!e.esConducto())
            continue;
        e.longitud *= l;
        const ConductoLeido& c = conductosLeidos_[k];
        const auto cota = [&](const std::string& id,
                              const std::optional<double>& d) -> std::optional<double> {
            if (elevacion_ && d)
                return *d * l;
            const auto it = nodo.find(id);
            if (it == nodo.end())
                return std::nullopt;
            const double solera = nodos_[it->second].cotaSolera;
            return d ? solera + *d * l : solera;
        };
        e.cotaInicio = cota(e.desde, c.desplazamiento[0]);
        e.cotaFin = cota(e.hasta, c.desplazamiento[1]);
    }

    const auto buscar = [&](const auto& mapa, const Pendiente& p, const char* que) {
        const auto it = mapa.find(p.nombre);
        if (it == mapa.end())
            falloEn(p.linea, p.seccion,
                    std::string(que) + " «" + p.nombre + "» no está en el modelo");
        return it->second;
    };
    for (const Pendiente& p : secciones_) {
        Enlace& e = enlaces_[buscar(enlace, p, "el enlace")];
        if (!e.esConducto())
            continue; // the opening of an orifice or a weir
        if (!e.forma.empty())
            falloEn(p.linea, p.seccion,
                    "la sección del conducto «" + p.nombre + "» ya está definida");
        e.forma = p.forma;
        e.circular = p.forma == "CIRCULAR";
        e.D = p.valor[0] * l;
        e.barriles = p.barriles;
    }
    // Drawing data of objects the model lacks is left aside: it carries no flow.
    for (const Pendiente& p : coordenadas_) {
        if (const auto it = nodo.find(p.nombre); it != nodo.end())
            nodos_[it->second].posicion = std::pair{p.valor[0], p.valor[1]};
    }
    for (const Pendiente& p : vertices_) {
        if (const auto it = enlace.find(p.nombre); it != enlace.end())
            enlaces_[it->second].vertices.emplace_back(p.valor[0], p.valor[1]);
    }
    std::vector<char> conDwf(nodos_.size(), 0), conAporte(nodos_.size(), 0);
    for (const Pendiente& p : dwf_) {
        const size_t k = buscar(nodo, p, "el nodo");
        if (conDwf[k]++)
            falloEn(p.linea, p.seccion,
                    "el caudal medio del nodo «" + p.nombre + "» ya está definido");
        nodos_[k].caudalMedio = p.valor[0] * q;
    }
    for (const Pendiente& p : aportes_) {
        const size_t k = buscar(nodo, p, "el nodo");
        if (conAporte[k]++)
            falloEn(p.linea, p.seccion,
                    "el aporte de caudal del nodo «" + p.nombre + "» ya está definido");
        nodos_[k].caudalPluvial = p.valor[0] * q;
    }
    m.red.nodos = std::move(nodos_);
    m.red.enlaces = std::move(enlaces_);
    m.red.longitudes = red::MedidaLongitud::AlLargoDelTubo;
}

} // namespace

const char* nombreUnidades(UnidadesCaudal u) {
    static constexpr std::array<const char*, 6> kNombres{"CFS", "GPM", "MGD", "CMS", "LPS", "MLD"};
    return kNombres[static_cast<size_t>(u)];
}

std::optional<UnidadesCaudal> unidadesDeNombre(std::string_view s) {
    for (int k = 0; k < 6; ++k) {
        const auto u = static_cast<UnidadesCaudal>(k);
        if (igual(s, nombreUnidades(u)))
            return u;
    }
    return std::nullopt;
}

double factorCaudal(UnidadesCaudal u) {
    switch (u) {
    case UnidadesCaudal::CFS:
        return kPie * kPie * kPie;
    case UnidadesCaudal::GPM:
        return kGalon / 60;
    case UnidadesCaudal::MGD:
        return 1e6 * kGalon / 86400;
    case UnidadesCaudal::CMS:
        return 1;
    case UnidadesCaudal::LPS:
        return 0.001;
    case UnidadesCaudal::MLD:
        return 1e6 * 0.001 / 86400;
    }
    return 1;
}

bool unidadesEeuu(UnidadesCaudal u) {
    return u == UnidadesCaudal::CFS || u == UnidadesCaudal::GPM || u == UnidadesCaudal::MGD;
}

ModeloSwmm modeloSwmmDeBytes(std::string_view bytes, const QString& nombre) {
    const std::string texto = textoDeArchivo(bytes);
    return Lector(texto, nombre).leer();
}

ModeloSwmm leerModeloSwmm(const QByteArray& rutaNativa) {
    const QString nombre = nombreVisible(rutaNativa);
    const QByteArray bytes = leerArchivoEntero(rutaNativa, nombre, kMaximoModelo);
    return modeloSwmmDeBytes(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                             nombre);
}

} // namespace colvero
