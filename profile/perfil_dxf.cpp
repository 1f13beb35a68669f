#include "profile/perfil_dxf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace colvero::perfil {
namespace {

std::string fijo(double x, int decimales, char sep) {
    if (!std::isfinite(x))
        return "-";
    char b[64];
    const auto [fin, error] =
        std::to_chars(b, b + sizeof b, x, std::chars_format::fixed, decimales);
    if (error != std::errc())
        return "-";
    std::replace(b, fin, '.', sep);
    return std::string(b, fin);
}

} // namespace

dxf::Dibujo dxfPerfil(const Perfil& p, const std::string& titulo, char sep) {
    dxf::Dibujo d({{"TERRENO", 3},
                   {"SOLERA", 7},
                   {"CLAVE", 8},
                   {"LAMINA_Q1", 5},
                   {"LAMINA_Q3", 4},
                   {"POZOS", 7},
                   {"GUITARRA", 7}},
                  dxf::Unidades::Metros);
    double base = std::numeric_limits<double>::infinity();
    for (const NodoPerfil& n : p.nodos)
        base = std::min(base, n.soleraMinima);
    if (!std::isfinite(base))
        return d;
    base = std::floor(base) - 1; // the datum line sits a metre below the lowest floor
    const auto Y = [&](double z) { return (z - base) * kExageracionDxf; };
    const double largo = std::max(p.longitud(), 1.0);
    const double h = largo / 150; // text height
    const double anchoPozo = largo / 200;

    std::vector<dxf::Punto> terreno;
    for (const NodoPerfil& n : p.nodos) {
        if (n.cotaTerreno && std::isfinite(*n.cotaTerreno))
            terreno.emplace_back(n.distancia, Y(*n.cotaTerreno));
        else if (terreno.size() >= 2)
            d.polilinea("TERRENO", terreno), terreno.clear();
        else
            terreno.clear();
        const double techo = n.cotaTerreno.value_or(n.soleraMinima);
        if (techo > n.soleraMinima) {
            const double x0 = n.distancia - anchoPozo / 2, x1 = n.distancia + anchoPozo / 2;
            const dxf::Punto caja[] = {{x0, Y(n.soleraMinima)},
                                       {x1, Y(n.soleraMinima)},
                                       {x1, Y(techo)},
                                       {x0, Y(techo)},
                                       {x0, Y(n.soleraMinima)}};
            d.polilinea("POZOS", caja);
        }
    }
    if (terreno.size() >= 2)
        d.polilinea("TERRENO", terreno);

    for (const TramoPerfil& t : p.tramos) {
        if (!t.cotaInicio || !t.cotaFin)
            continue;
        const dxf::Punto solera[] = {{t.inicio, Y(*t.cotaInicio)}, {t.fin, Y(*t.cotaFin)}};
        d.polilinea("SOLERA", solera);
        if (t.conducto() && t.datos.D > 0) {
            const dxf::Punto clave[] = {{t.inicio, Y(*t.cotaInicio + t.datos.D)},
                                        {t.fin, Y(*t.cotaFin + t.datos.D)}};
            d.polilinea("CLAVE", clave);
        }
        for (const auto& [capa, normal] :
             {std::pair{"LAMINA_Q1", &t.normal1}, std::pair{"LAMINA_Q3", &t.normal3}}) {
            const auto a = t.lamina(*normal, false), b = t.lamina(*normal, true);
            if (a && b) {
                const dxf::Punto lamina[] = {{t.inicio, Y(*a)}, {t.fin, Y(*b)}};
                d.polilinea(capa, lamina);
            }
        }
    }

    // The band: one row per quantity under the datum line, its label at the left.
    const double fila = 3 * h;
    const double x0 = -12 * h;
    double arriba = base;
    for (const NodoPerfil& n : p.nodos)
        arriba = std::max(arriba, n.cotaTerreno.value_or(n.soleraMinima));
    for (const TramoPerfil& t : p.tramos)
        arriba = std::max({arriba, t.cotaInicio.value_or(base) + t.datos.D,
                           t.cotaFin.value_or(base) + t.datos.D});
    d.texto("GUITARRA", {0, Y(arriba) + 2 * h}, 2 * h, 0, titulo);
    const dxf::Punto datum[] = {{x0, 0}, {p.longitud(), 0}};
    d.polilinea("GUITARRA", datum);
    const auto nodos = [&](int k, const char* rotulo, auto valor) {
        const double y = -fila * (k + 1);
        const dxf::Punto raya[] = {{x0, y}, {p.longitud(), y}};
        d.polilinea("GUITARRA", raya);
        d.texto("GUITARRA", {x0, y + h}, h, 0, rotulo);
        for (const NodoPerfil& n : p.nodos)
            if (const std::string v = valor(n); !v.empty())
                d.texto("GUITARRA", {n.distancia, y + h}, h, 0, v, dxf::Anclaje::CentroAbajo);
    };
    const auto opcional = [&](const std::optional<double>& x) {
        return x ? fijo(*x, 2, sep) : std::string();
    };
    nodos(0, "Nodo", [](const NodoPerfil& n) { return n.nombre; });
    nodos(1, "Distancia (m)", [&](const NodoPerfil& n) { return fijo(n.distancia, 2, sep); });
    nodos(2, "Cota terreno (m)", [&](const NodoPerfil& n) { return opcional(n.cotaTerreno); });
    nodos(3, "Solera entrada (m)", [&](const NodoPerfil& n) { return opcional(n.soleraEntrada); });
    nodos(4, "Solera salida (m)", [&](const NodoPerfil& n) { return opcional(n.soleraSalida); });
    nodos(5, "Profundidad (m)", [&](const NodoPerfil& n) { return opcional(n.profundidad); });
    const auto tramos = [&](int k, const char* rotulo, auto valor) {
        const double y = -fila * (k + 1);
        const dxf::Punto raya[] = {{x0, y}, {p.longitud(), y}};
        d.polilinea("GUITARRA", raya);
        d.texto("GUITARRA", {x0, y + h}, h, 0, rotulo);
        for (const TramoPerfil& t : p.tramos)
            d.texto("GUITARRA", {(t.inicio + t.fin) / 2, y + h}, h, 0, valor(t),
                    dxf::Anclaje::CentroAbajo);
    };
    tramos(6, "Tramo", [](const TramoPerfil& t) { return t.datos.tramo; });
    tramos(7, "D (m)", [&](const TramoPerfil& t) {
        return t.conducto() ? fijo(t.datos.D, 3, sep) : std::string("-");
    });
    tramos(8, "Pendiente (‰)",
           [&](const TramoPerfil& t) { return fijo(1000 * t.datos.i, 2, sep); });
    tramos(9, "Longitud (m)", [&](const TramoPerfil& t) { return fijo(t.longitud, 2, sep); });
    tramos(10, "Veredicto", [](const TramoPerfil& t) {
        return t.clase == ClasePerfil::Cumple     ? std::string("Cumple")
               : t.clase == ClasePerfil::NoCumple ? std::string("No cumple")
                                                  : std::string("Sin comprobar");
    });
    return d;
}

void guardarPerfilDxf(const Perfil& p, const QByteArray& rutaNativa, const QString& nombre,
                      const std::string& titulo, char sep) {
    dxfPerfil(p, titulo, sep).escribir(rutaNativa, nombre);
}

} // namespace colvero::perfil
