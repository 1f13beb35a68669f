#include "files/escritura_swmm.h"

#include "check/numero.h"
#include "files/archivos.h"
#include "files/escritura.h"
#include "files/lectura.h"
#include "files/modelo_swmm.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <optional>
#include <unordered_set>
#include <vector>

namespace colvero {
namespace {

using red::Enlace;
using red::Nodo;

bool igual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto mayus = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
               return mayus(x) == mayus(y);
           });
}

bool blanco(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// A value of a line as the model reader splits it: [inicio, fin) of the raw bytes, quotes
// included.
struct Ficha {
    size_t inicio = 0, fin = 0;
    std::string_view texto; // without quotes
};

// The values of `linea`, up to a ";" comment. An unclosed quote ends the line (the reader has
// refused such a model already).
std::vector<Ficha> fichas(std::string_view linea) {
    std::vector<Ficha> f;
    size_t k = 0;
    while (k < linea.size()) {
        while (k < linea.size() && blanco(linea[k]))
            ++k;
        if (k == linea.size() || linea[k] == ';')
            break;
        if (linea[k] == '"') {
            const size_t cierre = linea.find('"', k + 1);
            if (cierre == std::string_view::npos)
                break;
            f.push_back({k, cierre + 1, linea.substr(k + 1, cierre - k - 1)});
            k = cierre + 1;
            continue;
        }
        const size_t inicio = k;
        while (k < linea.size() && !blanco(linea[k]) && linea[k] != ';' && linea[k] != '"')
            ++k;
        f.push_back({inicio, k, linea.substr(inicio, k - inicio)});
    }
    return f;
}

// The text of a number with the fewest decimals whose value v, read by the model reader,
// gives `objetivo` through `lectura` (monotonic non-decreasing in v). `v0` is where to look.
// `exacto` false: no text gives it; the one whose value comes nearest is returned, with
// `noMayor` the nearest below the target.
struct TextoNumero {
    std::string texto;
    bool exacto = true;
};

std::string fijo(double v, int decimales) {
    char b[512];
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, decimales);
    return r.ec == std::errc() ? std::string(b, r.ptr) : std::string();
}

TextoNumero textoQueDa(double objetivo, double v0, const std::function<double(double)>& lectura,
                       bool noMayor = false) {
    if (!std::isfinite(v0))
        v0 = 0;
    if (v0 == 0)
        v0 = 0.0; // never "-0"
    // The doubles near v0 that give the target: an interval, as the reading is monotonic.
    double v = v0;
    bool hallado = lectura(v) == objetivo;
    if (!hallado) {
        double arriba = v0, abajo = v0;
        const auto admisible = [&](double c) { return !noMayor || lectura(c) <= objetivo; };
        double mejor = v0;
        double error = admisible(v0) ? std::fabs(lectura(v0) - objetivo) : HUGE_VAL;
        for (int paso = 0; paso < 64 && !hallado; ++paso) {
            arriba = std::nextafter(arriba, HUGE_VAL);
            abajo = std::nextafter(abajo, -HUGE_VAL);
            for (const double c : {arriba, abajo}) {
                const double e = std::fabs(lectura(c) - objetivo);
                if (e < error && admisible(c)) {
                    mejor = c;
                    error = e;
                }
                if (!hallado && lectura(c) == objetivo) {
                    v = c;
                    hallado = true;
                }
            }
        }
        if (!hallado) {
            char b[32];
            const auto r = std::to_chars(b, b + sizeof b, mejor);
            return {std::string(b, r.ptr), false};
        }
    }
    double bajo = v, alto = v;
    for (int paso = 0; paso < 4096; ++paso) {
        const double c = std::nextafter(bajo, -HUGE_VAL);
        if (lectura(c) != objetivo)
            break;
        bajo = c;
    }
    for (int paso = 0; paso < 4096; ++paso) {
        const double c = std::nextafter(alto, HUGE_VAL);
        if (lectura(c) != objetivo)
            break;
        alto = c;
    }
    const double medio = bajo + (alto - bajo) / 2;
    for (int decimales = 0; decimales <= 30; ++decimales) {
        for (const double c : {medio, v, bajo, alto}) {
            std::string s = fijo(c, decimales);
            const std::optional<double> x = leerNumero(s, '.');
            if (!x || *x < bajo || *x > alto || lectura(*x) != objetivo)
                continue;
            if (s.find('.') != std::string::npos) { // "2.50" is "2.5"
                while (s.back() == '0')
                    s.pop_back();
                if (s.back() == '.')
                    s.pop_back();
            }
            if (s == "-0")
                s = "0";
            return {s, true};
        }
    }
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, v);
    return {std::string(b, r.ptr), true};
}

// Replaces value k of `linea` (its values `f`, from the right: the ones after k are already
// done) by `nuevo`, or appends it, and the values missing before it as `relleno`. The blanks
// after it shrink or grow so that the next column keeps its place where it can.
void poner(std::string& linea, const std::vector<Ficha>& f, size_t k, const std::string& nuevo) {
    if (k < f.size()) {
        const size_t viejo = f[k].fin - f[k].inicio;
        linea.replace(f[k].inicio, viejo, nuevo);
        if (k + 1 >= f.size())
            return;
        const size_t finGap = f[k + 1].inicio + nuevo.size() - viejo;
        size_t ini = f[k].inicio + nuevo.size();
        const std::string_view gap = std::string_view(linea).substr(ini, finGap - ini);
        if (gap.find_first_not_of(' ') != std::string_view::npos)
            return; // tabs: left as they are
        if (nuevo.size() > viejo)
            linea.erase(ini, std::min(nuevo.size() - viejo, gap.size() - 1));
        else
            linea.insert(ini, viejo - nuevo.size(), ' ');
        return;
    }
    // Appended after the last value, before a comment or the line's end.
    size_t fin = f.empty() ? 0 : f.back().fin;
    linea.insert(fin, " " + nuevo);
}

struct Cambio {
    size_t ficha;
    std::string texto;
};

// Applies the changes of one line (any order) and returns it.
std::string aplicar(std::string linea, std::vector<Cambio> cambios) {
    if (cambios.empty())
        return linea;
    const std::vector<Ficha> f = fichas(linea);
    std::sort(cambios.begin(), cambios.end(),
              [](const Cambio& a, const Cambio& b) { return a.ficha < b.ficha; });
    // Missing values in between are appended first, left to right, then the rest from the right.
    std::vector<Cambio> anadidos, reemplazos;
    for (Cambio& c : cambios)
        (c.ficha < f.size() ? reemplazos : anadidos).push_back(std::move(c));
    for (auto it = reemplazos.rbegin(); it != reemplazos.rend(); ++it)
        poner(linea, f, it->ficha, it->texto);
    if (!anadidos.empty()) {
        std::vector<Ficha> g = fichas(linea);
        for (const Cambio& c : anadidos) {
            poner(linea, g, g.size(), c.texto);
            g = fichas(linea);
        }
    }
    return linea;
}

enum class Seccion {
    Otra,
    Pozos,
    Vertidos,
    Depositos,
    Divisores,
    Conductos,
    Secciones,
    Orificios,
    Vertederos,
    Salidas
};

} // namespace

EscrituraSwmm modeloSwmmConTubos(std::string_view fuente, const QString& nombre,
                                 const std::unordered_map<std::string, TuboNuevo>& tubos) {
    const ModeloSwmm m = modeloSwmmDeBytes(fuente, nombre);
    const double l = unidadesEeuu(m.unidades) ? kPie : 1.0;
    const bool profundidad = !m.desplazamientosComoCota;
    const std::vector<Nodo>& nodos = m.red.nodos;
    const std::vector<Enlace>& enlaces = m.red.enlaces;

    std::unordered_map<std::string_view, size_t> nodo, enlace;
    for (size_t k = 0; k < nodos.size(); ++k)
        nodo.emplace(nodos[k].id, k);
    for (size_t k = 0; k < enlaces.size(); ++k)
        enlace.emplace(enlaces[k].id, k);
    for (const auto& [id, t] : tubos) {
        const auto it = enlace.find(id);
        if (it == enlace.end() || !enlaces[it->second].esConducto())
            falloArchivo(QStringLiteral("No se puede cambiar el modelo %1: «%2» no es uno de sus "
                                        "conductos.")
                             .arg(entreComillas(nombre), QString::fromStdString(id)));
        if (!(t.D > 0) || !std::isfinite(t.cotaInicio) || !std::isfinite(t.cotaFin))
            falloArchivo(QStringLiteral("No se puede cambiar el modelo %1: el conducto «%2» no "
                                        "tiene un diámetro y unas cotas válidos.")
                             .arg(entreComillas(nombre), QString::fromStdString(id)));
    }

    // The inverts every conduit end must keep or take, and the nodes that move.
    std::vector<std::optional<double>> inicio(enlaces.size()), fin(enlaces.size());
    std::vector<const TuboNuevo*> nuevo(enlaces.size(), nullptr);
    std::vector<char> movido(nodos.size(), 0);
    for (size_t k = 0; k < enlaces.size(); ++k) {
        const Enlace& e = enlaces[k];
        if (!e.esConducto())
            continue;
        inicio[k] = e.cotaInicio;
        fin[k] = e.cotaFin;
        if (const auto it = tubos.find(e.id); it != tubos.end()) {
            nuevo[k] = &it->second;
            inicio[k] = it->second.cotaInicio;
            fin[k] = it->second.cotaFin;
            for (const std::string* extremo : {&e.desde, &e.hasta})
                if (const auto n = nodo.find(*extremo); n != nodo.end())
                    movido[n->second] = 1;
        }
    }
    std::vector<std::optional<double>> minimo(nodos.size());
    for (size_t k = 0; k < enlaces.size(); ++k) {
        const Enlace& e = enlaces[k];
        const std::pair<const std::string*, const std::optional<double>*> extremos[] = {
            {&e.desde, &inicio[k]}, {&e.hasta, &fin[k]}};
        for (const auto& [id, cota] : extremos) {
            const auto n = nodo.find(*id);
            if (n == nodo.end() || !*cota)
                continue;
            std::optional<double>& z = minimo[n->second];
            z = z ? std::min(*z, **cota) : **cota;
        }
    }

    EscrituraSwmm r;
    const auto numero = [&](double objetivo, double v0, const std::function<double(double)>& f,
                            bool noMayor = false) {
        TextoNumero t = textoQueDa(objetivo, v0, f, noMayor);
        if (!t.exacto)
            ++r.inexactos;
        return t.texto;
    };
    // The new invert of each moved node, as written and as it reads back.
    std::vector<std::string> textoSolera(nodos.size());
    std::vector<double> solera(nodos.size());
    for (size_t k = 0; k < nodos.size(); ++k) {
        solera[k] = nodos[k].cotaSolera;
        if (!movido[k] || !minimo[k])
            continue;
        const double z = *minimo[k];
        // Never above its lowest conduit: a negative offset is no offset for SWMM.
        textoSolera[k] = numero(
            z, z / l, [l](double v) { return v * l; }, true);
        solera[k] = *leerNumero(textoSolera[k], '.') * l;
        if (nodos[k].cotaTerreno && !(*nodos[k].cotaTerreno > solera[k]))
            falloArchivo(QStringLiteral("No se puede cambiar el modelo %1: la solera del nodo «%2» "
                                        "quedaría a la cota de su terreno o por encima.")
                             .arg(entreComillas(nombre), QString::fromStdString(nodos[k].id)));
    }
    const auto textoProfundidad = [&](size_t k) {
        const double g = *nodos[k].cotaTerreno;
        const double s = solera[k];
        return numero(g, (g - s) / l, [s, l](double v) { return s + v * l; });
    };
    // An offset that places a conduit end at `cota` over node k.
    const auto desplazamiento = [&](size_t k, double cota) {
        if (!profundidad)
            return numero(cota, cota / l, [l](double v) { return v * l; });
        const double s = solera[k];
        if (cota == s)
            return std::string("0");
        return numero(cota, (cota - s) / l, [s, l](double v) { return s + v * l; });
    };

    // The bytes, line by line: only the lines of moved nodes, changed conduits and what hangs
    // on moved nodes are rebuilt.
    const bool utf8 = fuente.starts_with("\xEF\xBB\xBF") || esUtf8Valido(fuente);
    const auto id = [&](std::string_view ficha) {
        if (utf8)
            return std::string(ficha);
        std::string s;
        anadirWindows1252(s, ficha, tablaWindows1252());
        return s;
    };
    std::string salida;
    salida.reserve(fuente.size() + fuente.size() / 8);
    Seccion seccion = Seccion::Otra;
    size_t inicioLinea = 0;
    bool primera = true;
    while (inicioLinea <= fuente.size()) {
        size_t finLinea = fuente.find('\n', inicioLinea);
        const bool ultima = finLinea == std::string_view::npos;
        if (ultima)
            finLinea = fuente.size();
        std::string_view linea = fuente.substr(inicioLinea, finLinea - inicioLinea);
        inicioLinea = finLinea + 1;
        std::string_view marca;
        if (primera && linea.starts_with("\xEF\xBB\xBF")) {
            marca = linea.substr(0, 3);
            linea.remove_prefix(3);
        }
        primera = false;
        salida += marca;
        const auto copiar = [&] {
            salida += linea;
            if (!ultima)
                salida += '\n';
        };
        const size_t k0 = linea.find_first_not_of(" \t\r\f\v");
        if (k0 != std::string_view::npos && linea[k0] == '[') {
            const size_t cierre = linea.find(']', k0);
            const std::string_view s = linea.substr(k0 + 1, cierre - k0 - 1);
            seccion = igual(s, "JUNCTIONS")   ? Seccion::Pozos
                      : igual(s, "OUTFALLS")  ? Seccion::Vertidos
                      : igual(s, "STORAGE")   ? Seccion::Depositos
                      : igual(s, "DIVIDERS")  ? Seccion::Divisores
                      : igual(s, "CONDUITS")  ? Seccion::Conductos
                      : igual(s, "XSECTIONS") ? Seccion::Secciones
                      : igual(s, "ORIFICES")  ? Seccion::Orificios
                      : igual(s, "WEIRS")     ? Seccion::Vertederos
                      : igual(s, "OUTLETS")   ? Seccion::Salidas
                                              : Seccion::Otra;
            copiar();
            continue;
        }
        if (seccion == Seccion::Otra) {
            copiar();
            continue;
        }
        const std::vector<Ficha> f = fichas(linea);
        if (f.empty()) {
            copiar();
            continue;
        }
        const std::string nombreFicha = id(f[0].texto);
        std::vector<Cambio> cambios;
        switch (seccion) {
        case Seccion::Pozos:
        case Seccion::Vertidos:
        case Seccion::Depositos:
        case Seccion::Divisores: {
            const auto n = nodo.find(nombreFicha);
            if (n == nodo.end() || !movido[n->second] || textoSolera[n->second].empty())
                break;
            cambios.push_back({1, textoSolera[n->second]});
            const bool conProfundidad = seccion == Seccion::Pozos || seccion == Seccion::Depositos;
            if (conProfundidad && f.size() > 2 && nodos[n->second].cotaTerreno)
                cambios.push_back({2, textoProfundidad(n->second)});
            break;
        }
        case Seccion::Conductos: {
            const auto e = enlace.find(nombreFicha);
            if (e == enlace.end() || f.size() < 5)
                break;
            const size_t k = e->second;
            const Enlace& en = enlaces[k];
            const auto a = nodo.find(en.desde), b = nodo.find(en.hasta);
            const bool tocaA = a != nodo.end() && movido[a->second];
            const bool tocaB = b != nodo.end() && movido[b->second];
            // An unchanged conduit keeps its inverts: DEPTH offsets and "*" follow a moved node.
            if (!nuevo[k] && !tocaA && !tocaB)
                break;
            if (a == nodo.end() || b == nodo.end() || !inicio[k] || !fin[k])
                break;
            std::string ini = desplazamiento(a->second, *inicio[k]);
            std::string fi = desplazamiento(b->second, *fin[k]);
            // An unchanged conduit's offsets are rewritten only where they no longer hold.
            // As the reader takes them: a missing offset is 0, "*" the node's invert.
            const auto vale = [&](size_t ficha, size_t n, double cota) {
                if (ficha < f.size() && f[ficha].texto == "*")
                    return cota == solera[n];
                const std::optional<double> d =
                    ficha < f.size() ? leerNumero(f[ficha].texto, '.') : std::optional(0.0);
                return d && (profundidad ? solera[n] + *d * l : *d * l) == cota;
            };
            const bool cambiaIni = nuevo[k] || !vale(5, a->second, *inicio[k]);
            const bool cambiaFin = nuevo[k] || !vale(6, b->second, *fin[k]);
            if (cambiaIni || cambiaFin || f.size() < 6) {
                if (cambiaIni || f.size() < 6)
                    cambios.push_back({5, ini});
                if (cambiaFin)
                    cambios.push_back({6, fi});
            }
            break;
        }
        case Seccion::Secciones: {
            const auto e = enlace.find(nombreFicha);
            if (e == enlace.end() || !nuevo[e->second] || f.size() < 3)
                break;
            const double D = nuevo[e->second]->D;
            if (!igual(f[1].texto, "CIRCULAR"))
                cambios.push_back({1, "CIRCULAR"});
            cambios.push_back({2, numero(D, D / l, [l](double v) { return v * l; })});
            break;
        }
        case Seccion::Orificios:
        case Seccion::Vertederos:
        case Seccion::Salidas: {
            // The crest or opening over the upstream node keeps its elevation.
            const size_t ficha = seccion == Seccion::Salidas ? 3 : 4;
            const auto e = enlace.find(nombreFicha);
            if (!profundidad || e == enlace.end() || f.size() <= ficha)
                break;
            const auto n = nodo.find(enlaces[e->second].desde);
            if (n == nodo.end() || !movido[n->second] || textoSolera[n->second].empty())
                break;
            const std::optional<double> d = leerNumero(f[ficha].texto, '.');
            if (!d)
                break;
            const double cota = nodos[n->second].cotaSolera + *d * l;
            const double s = solera[n->second];
            cambios.push_back(
                {ficha, numero(cota, (cota - s) / l, [s, l](double v) { return s + v * l; })});
            break;
        }
        case Seccion::Otra:
            break;
        }
        if (cambios.empty()) {
            copiar();
            continue;
        }
        salida += aplicar(std::string(linea), std::move(cambios));
        if (!ultima)
            salida += '\n';
    }
    r.bytes = std::move(salida);
    return r;
}

EscrituraSwmm escribirModeloSwmmConTubos(const QByteArray& rutaNativa, const QString& nombreSalida,
                                         std::string_view fuente, const QString& nombreFuente,
                                         const std::unordered_map<std::string, TuboNuevo>& tubos) {
    EscrituraSwmm r = modeloSwmmConTubos(fuente, nombreFuente, tubos);
    escribirAtomicamente(rutaNativa, nombreSalida, r.bytes);
    return r;
}

} // namespace colvero
