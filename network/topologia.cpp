#include "network/topologia.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace colvero::red {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr size_t kNombresEnMensaje = 8; // a long loop is named by its first links

std::string comillas(const std::string& s) {
    return "«" + s + "»";
}

// Links of each node in one array (compressed rows): `inicio[k]` to `inicio[k + 1]`.
struct Adyacencia {
    std::vector<int> inicio;
    std::vector<int> enlaces;

    void construir(size_t nodos, const std::vector<Extremos>& ex, bool salida) {
        inicio.assign(nodos + 1, 0);
        for (const Extremos& e : ex) {
            if (valido(e))
                ++inicio[static_cast<size_t>(salida ? e.desde : e.hasta) + 1];
        }
        std::partial_sum(inicio.begin(), inicio.end(), inicio.begin());
        enlaces.assign(static_cast<size_t>(inicio.back()), -1);
        std::vector<int> lleno(inicio.begin(), inicio.end() - 1);
        for (size_t k = 0; k < ex.size(); ++k) {
            if (valido(ex[k])) {
                const int nodo = salida ? ex[k].desde : ex[k].hasta;
                enlaces[static_cast<size_t>(lleno[static_cast<size_t>(nodo)]++)] =
                    static_cast<int>(k);
            }
        }
    }
    // Links joining two different known nodes are the graph's edges.
    static bool valido(const Extremos& e) {
        return e.desde >= 0 && e.hasta >= 0 && e.desde != e.hasta;
    }
    int cuantos(int nodo) const {
        return inicio[static_cast<size_t>(nodo) + 1] - inicio[static_cast<size_t>(nodo)];
    }
    const int* primero(int nodo) const {
        return enlaces.data() + inicio[static_cast<size_t>(nodo)];
    }
};

std::string listaDeEnlaces(const ModeloRed& m, const std::vector<int>& enlaces) {
    std::string s;
    for (size_t k = 0; k < enlaces.size() && k < kNombresEnMensaje; ++k)
        s += (k ? ", " : "") + comillas(m.enlaces[static_cast<size_t>(enlaces[k])].id);
    if (enlaces.size() > kNombresEnMensaje)
        s += " y " + std::to_string(enlaces.size() - kNombresEnMensaje) + " más";
    return s;
}

int raiz(std::vector<int>& padre, int x) {
    while (padre[static_cast<size_t>(x)] != x) {
        padre[static_cast<size_t>(x)] = padre[static_cast<size_t>(padre[static_cast<size_t>(x)])];
        x = padre[static_cast<size_t>(x)];
    }
    return x;
}

} // namespace

const char* nombreTipo(TipoEnlace tipo) {
    switch (tipo) {
    case TipoEnlace::Conducto:
        return "conducto";
    case TipoEnlace::Bomba:
        return "bomba";
    case TipoEnlace::Orificio:
        return "orificio";
    case TipoEnlace::Vertedero:
        return "vertedero";
    case TipoEnlace::Salida:
        return "salida";
    }
    return "";
}

std::string motivoOmision(const Enlace& e) {
    if (!e.esConducto())
        return std::string(kNoEsUnConducto) + " (" + nombreTipo(e.tipo) + ")";
    if (!e.forma.empty() && !e.circular)
        return "sección no circular: no se comprueba (" + e.forma + ")";
    return {};
}

bool Topologia::hay(Gravedad g) const {
    return std::any_of(problemas.begin(), problemas.end(), [&](const ProblemaTopologia& p) {
        return static_cast<int>(p.gravedad) <= static_cast<int>(g);
    });
}

double pendienteDe(double cotaInicio, double cotaFin, double longitud, MedidaLongitud medida,
                   std::string& error) {
    const double dz = cotaInicio - cotaFin;
    if (!(longitud > 0)) {
        error = "la longitud no es positiva";
        return kNaN;
    }
    if (medida == MedidaLongitud::AlLargoDelTubo && !(longitud > std::fabs(dz))) {
        error = "la longitud, medida a lo largo del tubo, no es mayor que el desnivel entre "
                "sus soleras";
        return kNaN;
    }
    const double i = medida == MedidaLongitud::Horizontal
                         ? dz / longitud
                         : dz / std::sqrt(longitud * longitud - dz * dz);
    if (dz < 0)
        error = "pendiente negativa: la solera de aguas abajo está más alta que la de aguas "
                "arriba";
    else if (dz == 0)
        error = "pendiente nula: las soleras de los dos extremos están a la misma cota";
    return i;
}

Topologia construirTopologia(const ModeloRed& m) {
    Topologia t;
    const size_t nn = m.nodos.size();
    const size_t ne = m.enlaces.size();
    std::unordered_map<std::string_view, int> indice;
    indice.reserve(nn);
    for (size_t k = 0; k < nn; ++k) {
        const Nodo& nodo = m.nodos[k];
        if (!indice.emplace(nodo.id, static_cast<int>(k)).second)
            t.problemas.push_back({TipoProblema::NodoRepetido, Gravedad::Modelo,
                                   "el nodo " + comillas(nodo.id) + " está definido dos veces"});
        if (nodo.tipo == TipoNodo::Vertido)
            ++t.vertidos;
    }
    {
        std::unordered_map<std::string_view, int> enlaces;
        enlaces.reserve(ne);
        for (const Enlace& e : m.enlaces) {
            if (!enlaces.emplace(e.id, 0).second)
                t.problemas.push_back({TipoProblema::EnlaceRepetido, Gravedad::Modelo,
                                       "el enlace " + comillas(e.id) + " está definido dos veces"});
        }
    }

    t.extremos.resize(ne);
    t.pendiente.assign(ne, kNaN);
    t.errorTramo.resize(ne);
    for (size_t k = 0; k < ne; ++k) {
        const Enlace& e = m.enlaces[k];
        Extremos& x = t.extremos[k];
        std::string& error = t.errorTramo[k];
        const auto buscar = [&](const std::string& id) {
            const auto it = indice.find(id);
            return it == indice.end() ? -1 : it->second;
        };
        x.desde = buscar(e.desde);
        x.hasta = buscar(e.hasta);
        for (const auto& [nodo, id] :
             {std::pair{x.desde, &e.desde}, std::pair{x.hasta, &e.hasta}}) {
            if (nodo < 0 && error.empty()) {
                error = "el nodo " + comillas(*id) + " no está en el modelo";
                t.problemas.push_back({TipoProblema::NodoDesconocido, Gravedad::Aviso,
                                       "el extremo " + comillas(*id) + " del " +
                                           nombreTipo(e.tipo) + " " + comillas(e.id) +
                                           " no es un nodo del modelo"});
            }
        }
        if (x.desde >= 0 && x.desde == x.hasta) {
            error = "el tramo va del nodo " + comillas(e.desde) + " a sí mismo";
            t.problemas.push_back({TipoProblema::MismoNodo, Gravedad::ConCargas,
                                   "el " + std::string(nombreTipo(e.tipo)) + " " + comillas(e.id) +
                                       " va del nodo " + comillas(e.desde) + " a sí mismo"});
        }
        if (!e.esConducto())
            continue;
        if (e.pendiente) {
            t.pendiente[k] = *e.pendiente;
        } else if (error.empty() && e.cotaInicio && e.cotaFin) {
            t.pendiente[k] =
                pendienteDe(*e.cotaInicio, *e.cotaFin, e.longitud, m.longitudes, error);
        } else if (error.empty()) {
            error = "faltan las cotas de solera de sus extremos";
        }
    }

    Adyacencia salen;
    salen.construir(nn, t.extremos, true);

    // The link followed from each node, and the bifurcations.
    t.sigue.assign(nn, -1);
    std::vector<int> conductos;
    for (size_t v = 0; v < nn; ++v) {
        const int nodo = static_cast<int>(v);
        const int total = salen.cuantos(nodo);
        if (total == 0)
            continue;
        conductos.clear();
        const int* l = salen.primero(nodo);
        for (int k = 0; k < total; ++k) {
            if (m.enlaces[static_cast<size_t>(l[k])].esConducto())
                conductos.push_back(l[k]);
        }
        if (conductos.size() == 1)
            t.sigue[v] = conductos.front();
        else if (conductos.empty() && total == 1)
            t.sigue[v] = l[0];
        if (total == 1)
            continue;
        const std::vector<int> todos(l, l + total);
        const std::string nombre = comillas(m.nodos[v].id);
        if (t.sigue[v] >= 0) {
            t.problemas.push_back({TipoProblema::Bifurcacion, Gravedad::Aviso,
                                   "del nodo " + nombre + " salen varios enlaces (" +
                                       listaDeEnlaces(m, todos) + "): el caudal sigue por " +
                                       comillas(m.enlaces[static_cast<size_t>(t.sigue[v])].id)});
        } else {
            t.problemas.push_back({TipoProblema::Bifurcacion, Gravedad::ConCargas,
                                   "del nodo " + nombre + " salen " +
                                       (conductos.empty() ? "varios enlaces" : "varios conductos") +
                                       " (" +
                                       listaDeEnlaces(m, conductos.empty() ? todos : conductos) +
                                       "): no se sabe por cuál sigue el caudal"});
        }
    }

    // Loops along the followed links: each node has at most one, so a walk either ends or
    // comes back to a node of its own path.
    std::vector<char> estado(nn, 0); // 0 not seen, 1 on the current walk, 2 done
    std::vector<int> camino;
    std::vector<char> enBucleSeguido(ne, 0);
    for (size_t inicio = 0; inicio < nn; ++inicio) {
        camino.clear();
        int v = static_cast<int>(inicio);
        while (v >= 0 && estado[static_cast<size_t>(v)] == 0) {
            estado[static_cast<size_t>(v)] = 1;
            camino.push_back(v);
            const int l = t.sigue[static_cast<size_t>(v)];
            v = l < 0 ? -1 : t.extremos[static_cast<size_t>(l)].hasta;
        }
        if (v >= 0 && estado[static_cast<size_t>(v)] == 1) {
            std::vector<int> bucle;
            auto it = std::find(camino.begin(), camino.end(), v);
            for (; it != camino.end(); ++it) {
                const int l = t.sigue[static_cast<size_t>(*it)];
                bucle.push_back(l);
                enBucleSeguido[static_cast<size_t>(l)] = 1;
            }
            t.problemas.push_back({TipoProblema::Bucle, Gravedad::ConCargas,
                                   "los enlaces " + listaDeEnlaces(m, bucle) +
                                       " forman un bucle: el caudal vuelve a su origen"});
        }
        for (const int u : camino)
            estado[static_cast<size_t>(u)] = 2;
    }

    // Other loops (through a link the flow does not follow): the nodes that Kahn's order
    // leaves all have an incoming link from another node left, so walking those links
    // backwards always closes a loop.
    {
        Adyacencia entran;
        entran.construir(nn, t.extremos, false);
        std::vector<int> grado(nn);
        std::vector<int> cola;
        for (size_t v = 0; v < nn; ++v) {
            grado[v] = entran.cuantos(static_cast<int>(v));
            if (grado[v] == 0)
                cola.push_back(static_cast<int>(v));
        }
        for (size_t k = 0; k < cola.size(); ++k) {
            const int v = cola[k];
            const int* l = salen.primero(v);
            for (int j = 0; j < salen.cuantos(v); ++j) {
                const int w = t.extremos[static_cast<size_t>(l[j])].hasta;
                if (--grado[static_cast<size_t>(w)] == 0)
                    cola.push_back(w);
            }
        }
        std::vector<int> visto(nn, -1); // the walk that reached a node
        for (size_t inicio = 0; inicio < nn; ++inicio) {
            if (grado[inicio] == 0 || visto[inicio] >= 0)
                continue;
            camino.clear();
            int v = static_cast<int>(inicio);
            std::vector<int> enlacesCamino;
            while (visto[static_cast<size_t>(v)] < 0) {
                visto[static_cast<size_t>(v)] = static_cast<int>(inicio);
                camino.push_back(v);
                const int* l = entran.primero(v);
                int elegido = -1;
                for (int j = 0; j < entran.cuantos(v) && elegido < 0; ++j) {
                    if (grado[static_cast<size_t>(t.extremos[static_cast<size_t>(l[j])].desde)] > 0)
                        elegido = l[j];
                }
                enlacesCamino.push_back(elegido);
                v = t.extremos[static_cast<size_t>(elegido)].desde;
            }
            if (visto[static_cast<size_t>(v)] != static_cast<int>(inicio))
                continue;
            const auto pos = std::find(camino.begin(), camino.end(), v) - camino.begin();
            std::vector<int> bucle(enlacesCamino.begin() + pos, enlacesCamino.end());
            std::reverse(bucle.begin(), bucle.end());
            const bool seguido = std::all_of(bucle.begin(), bucle.end(), [&](int l) {
                return enBucleSeguido[static_cast<size_t>(l)] != 0;
            });
            if (!seguido)
                t.problemas.push_back(
                    {TipoProblema::Bucle, Gravedad::Aviso,
                     "los enlaces " + listaDeEnlaces(m, bucle) + " forman un bucle"});
        }
    }

    // Connected parts, the links taken both ways.
    std::vector<int> padre(nn);
    std::iota(padre.begin(), padre.end(), 0);
    for (const Extremos& e : t.extremos) {
        if (e.desde >= 0 && e.hasta >= 0) {
            const int a = raiz(padre, e.desde);
            const int b = raiz(padre, e.hasta);
            if (a != b)
                padre[static_cast<size_t>(a)] = b;
        }
    }
    for (size_t v = 0; v < nn; ++v)
        t.partes += raiz(padre, static_cast<int>(v)) == static_cast<int>(v);
    return t;
}

} // namespace colvero::red
