#pragma once
// The plainest search of admissible slopes there is, to hold pendientesAdmisibles against:
// every enabled condition at every grid slope, evaluated alone and without any memory, every
// change between two grid slopes narrowed to adjacent doubles by evaluating every halving of
// their bit patterns, and the runs of the conditions intersected.
#include "check/evaluacion.h"
#include "check/pendientes.h"
#include "hydraulics/aritmetica.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace colvero::prueba {

// A run of slopes that pass every condition, with the condition that decides each end (0 at an
// end of the range).
struct Racha {
    double desde, hasta;
    int porDesde, porHasta;
};

// Whether condition k passes at i; an arithmetic error fails, and is noted in `error`.
inline bool pasaLlana(Entradas d, int k, double i, bool& error) {
    d.i = i;
    try {
        return evaluarCondicion(d, k).veredicto == Veredicto::Cumple;
    } catch (const hidraulica::ErrorAritmetico&) {
        error = true;
        return false;
    }
}

inline std::vector<double> mallaLlana() {
    std::vector<double> malla;
    for (int j = 0; j <= 7 * kPuntosPorDecada; ++j) {
        malla.push_back(std::pow(10.0, -7.0 + static_cast<double>(j) / kPuntosPorDecada));
    }
    malla.front() = kPendienteMinima;
    malla.back() = kPendienteMaxima;
    return malla;
}

inline std::vector<Racha> rachasLlanas(const Entradas& d, int k, bool& error) {
    const std::vector<double> malla = mallaLlana();
    std::vector<Racha> r;
    bool antes = pasaLlana(d, k, malla[0], error);
    if (antes) {
        r.push_back({malla[0], malla.back(), 0, 0});
    }
    for (std::size_t j = 1; j < malla.size(); ++j) {
        const bool ahora = pasaLlana(d, k, malla[j], error);
        if (ahora == antes) {
            continue;
        }
        auto a = std::bit_cast<std::uint64_t>(malla[j - 1]);
        auto b = std::bit_cast<std::uint64_t>(malla[j]);
        while (b - a > 1) {
            const std::uint64_t m = a + (b - a) / 2;
            (pasaLlana(d, k, std::bit_cast<double>(m), error) == antes ? a : b) = m;
        }
        if (ahora) {
            r.push_back({std::bit_cast<double>(b), malla.back(), k, 0});
        } else {
            r.back().hasta = std::bit_cast<double>(a);
            r.back().porHasta = k;
        }
        antes = ahora;
    }
    return r;
}

// The runs of slopes where every enabled condition passes; `error` tells whether any
// evaluation ended in an arithmetic error.
inline std::vector<Racha> busquedaLlana(const Entradas& d, const Activas& activas, bool& error) {
    // Calcular stops at its error exit before any condition when the full section itself
    // overflows, even with every condition off; so does the answer.
    Entradas minima = d;
    minima.i = kPendienteMinima;
    if (evaluar(minima, Activas{}).fin == FinEvaluacion::ErrorAritmetico) {
        error = true;
        return {};
    }
    std::vector<Racha> todas{{kPendienteMinima, kPendienteMaxima, 0, 0}};
    for (int k = 1; k <= 10; ++k) {
        if (!activas[k - 1]) {
            continue;
        }
        const std::vector<Racha> b = rachasLlanas(d, k, error);
        std::vector<Racha> r;
        for (std::size_t x = 0, y = 0; x < todas.size() && y < b.size();) {
            Racha t = todas[x];
            if (b[y].desde > t.desde) {
                t.desde = b[y].desde;
                t.porDesde = b[y].porDesde;
            }
            if (b[y].hasta < t.hasta) {
                t.hasta = b[y].hasta;
                t.porHasta = b[y].porHasta;
            }
            if (t.desde <= t.hasta) {
                r.push_back(t);
            }
            (todas[x].hasta < b[y].hasta ? x : y)++;
        }
        todas = r;
    }
    return todas;
}

// Whether the search's answer `r` has the very ends of the plain one, `esperadas`: the same
// runs, decided by the same conditions, at the same doubles (condition 8's lower end is the
// last failing double, Imin itself).
inline bool mismosExtremos(const ResultadoPendientes& r, const std::vector<Racha>& esperadas) {
    if (r.intervalos.size() != esperadas.size()) {
        return false;
    }
    for (std::size_t t = 0; t < esperadas.size(); ++t) {
        const Racha& e = esperadas[t];
        const IntervaloPendientes& i = r.intervalos[t];
        if (i.minima.has_value() != (e.porDesde != 0) ||
            i.maxima.has_value() != (e.porHasta != 0)) {
            return false;
        }
        if (i.minima &&
            (i.minima->condicion != e.porDesde ||
             i.minima->valor != (e.porDesde == 8 ? std::nextafter(e.desde, 0.0) : e.desde))) {
            return false;
        }
        if (i.maxima && (i.maxima->condicion != e.porHasta || i.maxima->valor != e.hasta)) {
            return false;
        }
    }
    return true;
}

// Both answers in hexadecimal, for a failure's message.
inline std::string resumen(const ResultadoPendientes& r, const std::vector<Racha>& esperadas) {
    std::string t = "busqueda:";
    char buf[96];
    const auto extremo = [&](const std::optional<ExtremoPendiente>& e) {
        std::snprintf(buf, sizeof buf, " %a(%d)", e ? e->valor : 0.0, e ? e->condicion : 0);
        t += buf;
    };
    for (const IntervaloPendientes& i : r.intervalos) {
        extremo(i.minima);
        extremo(i.maxima);
        t += ";";
    }
    t += " llana:";
    for (const Racha& e : esperadas) {
        std::snprintf(buf, sizeof buf, " %a(%d) %a(%d);", e.desde, e.porDesde, e.hasta, e.porHasta);
        t += buf;
    }
    return t;
}

// Whether a whole run at slope i passes every enabled condition.
inline bool todasCumplen(Entradas d, const Activas& activas, double i) {
    d.i = i;
    const Evaluacion ev = evaluar(d, activas);
    if (ev.fin != FinEvaluacion::Completa)
        return false;
    for (int k = 1; k <= 10; ++k) {
        if (activas[k - 1] && ev.condiciones[k - 1].veredicto != Veredicto::Cumple)
            return false;
    }
    return true;
}

} // namespace colvero::prueba
