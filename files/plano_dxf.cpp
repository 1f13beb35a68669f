#include "files/plano_dxf.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace colvero::dxf {
namespace {

bool finito(Punto p) {
    return std::isfinite(p.first) && std::isfinite(p.second);
}

// The point halfway along a line and the direction of the segment it falls on, in degrees.
std::pair<Punto, double> mitad(const std::vector<Punto>& l) {
    double total = 0;
    for (std::size_t k = 1; k < l.size(); ++k)
        total += std::hypot(l[k].first - l[k - 1].first, l[k].second - l[k - 1].second);
    double falta = total / 2;
    for (std::size_t k = 1; k < l.size(); ++k) {
        const double dx = l[k].first - l[k - 1].first, dy = l[k].second - l[k - 1].second;
        const double s = std::hypot(dx, dy);
        if (s > 0 && (falta <= s || k + 1 == l.size())) {
            const double t = std::min(1.0, falta / s);
            return {{l[k - 1].first + t * dx, l[k - 1].second + t * dy},
                    std::atan2(dy, dx) * 180 / 3.14159265358979};
        }
        falta -= s;
    }
    return {l.front(), 0.0};
}

} // namespace

const char* capaDe(EstadoTramo e) {
    switch (e) {
    case EstadoTramo::Cumple:
        return "CUMPLE";
    case EstadoTramo::NoCumple:
        return "NO_CUMPLE";
    case EstadoTramo::SinComprobar:
        return "SIN_COMPROBAR";
    case EstadoTramo::NoSeComprueba:
        return "NO_SE_COMPRUEBA";
    }
    return "SIN_COMPROBAR";
}

std::vector<Capa> capasDelPlano() {
    // AutoCAD colour index: 3 green, 1 red, 30 orange, 8 grey, 5 blue, 4 cyan, 7 black/white.
    return {{capaDe(EstadoTramo::Cumple), 3},
            {capaDe(EstadoTramo::NoCumple), 1},
            {capaDe(EstadoTramo::SinComprobar), 30},
            {capaDe(EstadoTramo::NoSeComprueba), 8},
            {kCapaPozos, 5},
            {kCapaVertidos, 4},
            {kCapaTextos, 7}};
}

namespace {

// Each link's line from its upstream node through its vertices to its downstream node; empty
// when a node has no finite position or a vertex is not finite.
std::vector<std::vector<Punto>> lineas(const red::ModeloRed& m) {
    std::unordered_map<std::string_view, std::size_t> indice;
    for (std::size_t k = 0; k < m.nodos.size(); ++k)
        indice.emplace(m.nodos[k].id, k);
    const auto posicion = [&](const std::string& id) -> std::optional<Punto> {
        const auto it = indice.find(id);
        if (it == indice.end() || !m.nodos[it->second].posicion ||
            !finito(*m.nodos[it->second].posicion))
            return std::nullopt;
        return *m.nodos[it->second].posicion;
    };
    std::vector<std::vector<Punto>> l(m.enlaces.size());
    for (std::size_t k = 0; k < m.enlaces.size(); ++k) {
        const red::Enlace& e = m.enlaces[k];
        const std::optional<Punto> a = posicion(e.desde), b = posicion(e.hasta);
        if (!a || !b || !std::all_of(e.vertices.begin(), e.vertices.end(), finito))
            continue;
        l[k].push_back(*a);
        l[k].insert(l[k].end(), e.vertices.begin(), e.vertices.end());
        l[k].push_back(*b);
    }
    return l;
}

} // namespace

std::size_t dibujables(const red::ModeloRed& m) {
    const std::vector<std::vector<Punto>> l = lineas(m);
    return static_cast<std::size_t>(
        std::count_if(l.begin(), l.end(), [](const auto& x) { return !x.empty(); }));
}

Plano dibujarPlano(Dibujo& d, const red::ModeloRed& m, const std::vector<EstadoTramo>& estados) {
    Plano plano;
    const std::vector<std::vector<Punto>> lineas = dxf::lineas(m);
    std::vector<double> longitudes;
    for (const std::vector<Punto>& l : lineas) {
        if (l.empty()) {
            ++plano.sinPosicion;
            continue;
        }
        double s = 0;
        for (std::size_t j = 1; j < l.size(); ++j)
            s += std::hypot(l[j].first - l[j - 1].first, l[j].second - l[j - 1].second);
        if (s > 0 && std::isfinite(s))
            longitudes.push_back(s);
    }
    double tipico = 1;
    if (!longitudes.empty()) {
        const auto medio = longitudes.begin() + static_cast<std::ptrdiff_t>(longitudes.size() / 2);
        std::nth_element(longitudes.begin(), medio, longitudes.end());
        tipico = *medio;
    }
    const double altura = tipico / 25;
    const double radio = altura / 2;
    plano.alturaTexto = altura;

    for (std::size_t k = 0; k < m.enlaces.size(); ++k) {
        const std::vector<Punto>& l = lineas[k];
        if (l.empty())
            continue;
        const EstadoTramo e = k < estados.size() ? estados[k] : EstadoTramo::SinComprobar;
        d.polilinea(capaDe(e), l);
        ++plano.tramos;
        // The name along the link, read from the left or from below, a little above the line.
        auto [p, angulo] = mitad(l);
        if (angulo > 90 || angulo <= -90)
            angulo += angulo > 0 ? -180 : 180;
        const double r = angulo * 3.14159265358979 / 180;
        const Punto sobre{p.first - std::sin(r) * altura / 4, p.second + std::cos(r) * altura / 4};
        if (finito(sobre)) // not near the largest doubles
            d.texto(kCapaTextos, sobre, altura, angulo, m.enlaces[k].id, Anclaje::CentroAbajo);
    }
    for (const red::Nodo& n : m.nodos) {
        if (!n.posicion || !finito(*n.posicion))
            continue;
        const Punto c = *n.posicion;
        d.circulo(n.tipo == red::TipoNodo::Vertido ? kCapaVertidos : kCapaPozos, c, radio);
        const Punto junto{c.first + radio * 1.5, c.second + radio * 1.5};
        if (finito(junto))
            d.texto(kCapaTextos, junto, altura, 0, n.id);
        ++plano.nodos;
    }
    return plano;
}

Plano escribirPlanoDxf(const QByteArray& rutaNativa, const QString& nombre, const red::ModeloRed& m,
                       const std::vector<EstadoTramo>& estados, Unidades unidades) {
    Dibujo d(capasDelPlano(), unidades);
    const Plano plano = dibujarPlano(d, m, estados);
    d.escribir(rutaNativa, nombre);
    return plano;
}

} // namespace colvero::dxf
