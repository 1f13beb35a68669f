#include "check/pendientes.h"

#include "check/calcular.h"
#include "check/numero.h"
#include "hydraulics/aritmetica.h"
#include "hydraulics/relaciones.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace colvero {

namespace {

// A run of admissible slopes of one condition (or of all): `desde` and `hasta` are the first
// and the last passing doubles; `porDesde`, `porHasta` the conditions that decide them (0 at
// an end of the range).
struct Tramo {
    double desde, hasta;
    int porDesde, porHasta;
};

enum class Estado { Pasa, NoPasa, Error };

// Verdicts of one condition as the slope varies.
class Barrido {
public:
    Barrido(const Entradas& d, int k, ResultadoPendientes& r, bool& huboError,
            hidraulica::MemoriaSeccion& memoria)
        : d_(d), k_(k), r_(r), huboError_(huboError), memoria_(memoria) {}

    bool pasa(double i) {
        d_.i = i;
        ++r_.evaluaciones;
        try {
            return evaluarCondicion(d_, k_, &memoria_).veredicto == Veredicto::Cumple;
        } catch (const hidraulica::ErrorAritmetico&) {
            huboError_ = true;
            return false;
        }
    }

    // Narrows lo < hi, whose verdicts differ, to two adjacent doubles. Positive doubles are
    // ordered as their bit patterns, so halving the distance between the patterns gets there
    // in at most 64 steps whatever the magnitudes.
    void refinar(double& lo, double& hi, bool pasaLo) {
        auto a = std::bit_cast<std::uint64_t>(lo);
        auto b = std::bit_cast<std::uint64_t>(hi);
        while (b - a > 1) {
            const std::uint64_t m = a + (b - a) / 2;
            if (pasa(std::bit_cast<double>(m)) == pasaLo) {
                a = m;
            } else {
                b = m;
            }
        }
        lo = std::bit_cast<double>(a);
        hi = std::bit_cast<double>(b);
    }

    std::vector<Tramo> tramos(const std::vector<double>& malla) {
        std::vector<Tramo> t;
        bool anterior = pasa(malla.front());
        if (anterior) {
            t.push_back({malla.front(), malla.back(), 0, 0});
        }
        for (std::size_t j = 1; j < malla.size(); ++j) {
            const bool ahora = pasa(malla[j]);
            if (ahora == anterior) {
                continue;
            }
            double lo = malla[j - 1], hi = malla[j];
            refinar(lo, hi, anterior);
            if (ahora) {
                t.push_back({hi, malla.back(), k_, 0});
            } else {
                t.back().hasta = lo;
                t.back().porHasta = k_;
            }
            anterior = ahora;
        }
        return t;
    }

private:
    Entradas d_; // its slope is the one under test
    int k_;
    ResultadoPendientes& r_;
    bool& huboError_;
    hidraulica::MemoriaSeccion& memoria_;
};

// The geometric grid of the first sweep, with both ends of the range exact.
std::vector<double> malla() {
    const int decadas = 7; // 1e-7 .. 1
    std::vector<double> m;
    for (int j = 0; j <= decadas * kPuntosPorDecada; ++j) {
        m.push_back(std::pow(10.0, -7.0 + static_cast<double>(j) / kPuntosPorDecada));
    }
    m.front() = kPendienteMinima;
    m.back() = kPendienteMaxima;
    return m;
}

// The slopes where both sets pass. A shared end goes to the condition met first (the
// smallest number), since the conditions come in in ascending order.
std::vector<Tramo> interseccion(const std::vector<Tramo>& a, const std::vector<Tramo>& b) {
    std::vector<Tramo> r;
    std::size_t x = 0, y = 0;
    while (x < a.size() && y < b.size()) {
        Tramo t = a[x];
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
        if (a[x].hasta < b[y].hasta) {
            ++x;
        } else {
            ++y;
        }
    }
    return r;
}

// Mantissa digits and decimal exponent: the value is m · 10^(e − digits + 1).
struct Decimal {
    std::int64_t m;
    int e;
    int cifras;
};

std::string escribir(const Decimal& x, char sep) {
    const std::string digitos = std::to_string(x.m);
    std::string t;
    if (x.e >= -5) {
        const int enteros = x.e + 1;
        if (enteros <= 0) {
            t = "0" + std::string(1, sep) + std::string(-enteros, '0') + digitos;
        } else if (enteros >= x.cifras) {
            t = digitos + std::string(enteros - x.cifras, '0');
        } else {
            t = digitos.substr(0, enteros) + sep + digitos.substr(enteros);
        }
        if (t.find(sep) != std::string::npos) {
            while (t.back() == '0') {
                t.pop_back();
            }
            if (t.back() == sep) {
                t.pop_back();
            }
        }
        return t;
    }
    std::string mantisa = digitos.substr(0, 1);
    std::string resto = digitos.substr(1);
    while (!resto.empty() && resto.back() == '0') {
        resto.pop_back();
    }
    if (!resto.empty()) {
        mantisa += sep + resto;
    }
    return mantisa + "e" + std::to_string(x.e);
}

// x rounded to `cifras` significant digits, up (hacia > 0) or down (< 0), judged by the value
// that the text reads back.
std::string redondeo(double x, int cifras, int hacia, char sep) {
    char buf[64];
    const auto fin =
        std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, cifras - 1).ptr;
    Decimal d{0, 0, cifras};
    const char* p = buf;
    for (; p != fin && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') {
            d.m = d.m * 10 + (*p - '0');
        }
    }
    std::from_chars(p + 1 + (p[1] == '+'), fin, d.e);
    std::int64_t tope = 1;
    for (int c = 0; c < cifras; ++c) {
        tope *= 10;
    }
    const double leido = leerNumero(escribir(d, sep), sep).value_or(x);
    if ((hacia > 0 && leido < x) || (hacia < 0 && leido > x)) {
        d.m += hacia > 0 ? 1 : -1;
        if (d.m == tope) {
            d.m = tope / 10;
            ++d.e;
        } else if (d.m < tope / 10) {
            d.m = tope - 1;
            --d.e;
        }
    }
    return escribir(d, sep);
}

ExtremoPendiente extremo(const Tramo& t, bool esMinima, char sep) {
    ExtremoPendiente e;
    e.condicion = esMinima ? t.porDesde : t.porHasta;
    e.valor = esMinima ? t.desde : t.hasta;
    if (e.condicion == 8 && esMinima) {
        // i > Imin: the end is Imin itself, excluded.
        e.valor = std::nextafter(t.desde, 0.0);
        e.incluido = false;
        e.texto = conversionSimple(e.valor, sep);
    } else if (e.condicion == 9 && !esMinima) {
        e.texto = conversionSimple(e.valor, sep); // Imax, included
    } else {
        e.texto = textoExtremo(e.valor, esMinima, t.desde, t.hasta, sep);
    }
    return e;
}

std::string condicion(int k) {
    return "(" + std::to_string(k) + ")";
}

// Why no slope passes when every condition passes somewhere: the highest lower bound above
// the lowest upper bound.
std::string conflicto(const std::vector<std::vector<Tramo>>& porCondicion, char sep) {
    const Tramo* inferior = nullptr;
    const Tramo* superior = nullptr;
    for (const auto& t : porCondicion) {
        if (t.size() != 1) {
            return "Ninguna pendiente entre 1e-7 y 1 m/m cumple a la vez todas las condiciones "
                   "activas.";
        }
        if (!inferior || t[0].desde > inferior->desde) {
            inferior = &t[0];
        }
        if (!superior || t[0].hasta < superior->hasta) {
            superior = &t[0];
        }
    }
    const auto pide = [sep](const Tramo& t, bool minima) {
        const int k = minima ? t.porDesde : t.porHasta;
        if (k == 8) {
            return "i > " + conversionSimple(std::nextafter(t.desde, 0.0), sep);
        }
        if (k == 9) {
            return "i ≤ " + conversionSimple(t.hasta, sep);
        }
        return std::string(minima ? "i ≥ " : "i ≤ ") +
               textoExtremo(minima ? t.desde : t.hasta, minima, t.desde, t.hasta, sep);
    };
    return "La condición " + condicion(inferior->porDesde) + " pide " + pide(*inferior, true) +
           " y la " + condicion(superior->porHasta) + " " + pide(*superior, false) + ".";
}

} // namespace

std::string textoExtremo(double x, bool esMinima, double minima, double maxima,
                         char separadorDecimal) {
    std::string t;
    for (int cifras = 4; cifras <= 17; ++cifras) {
        t = redondeo(x, cifras, esMinima ? 1 : -1, separadorDecimal);
        const std::optional<double> v = leerNumero(t, separadorDecimal);
        if (v && *v >= minima && *v <= maxima) {
            return t;
        }
    }
    return t; // not reached: 17 digits read back as x itself
}

ResultadoPendientes pendientesAdmisibles(const Entradas& d, const Activas& activas,
                                         char separadorDecimal) {
    ResultadoPendientes r;
    Entradas base = d;
    base.i = kPendienteMinima;
    if (const ColectorInvalido c = validarColector(base); c != ColectorInvalido::Ninguno) {
        r.fin = FinPendientes::ColectorInvalido;
        r.motivo = mensajeColector(c);
        return r;
    }
    try {
        (void)hidraulica::All1(d.D);
    } catch (const hidraulica::ErrorAritmetico&) {
        r.fin = FinPendientes::Error;
        r.motivo = kDatosErroneos;
        return r;
    }

    // Input errors do not depend on the slope: such a condition gives "[ERROR]" everywhere.
    std::string errores;
    for (int k = 1; k <= 10; ++k) {
        if (!activas[k - 1]) {
            continue;
        }
        ResultadoCondicion c;
        try {
            c = evaluarCondicion(base, k);
        } catch (const hidraulica::ErrorAritmetico&) {
            continue; // the sweep meets it again
        }
        if (c.veredicto == Veredicto::ErrorDeDato) {
            errores += (errores.empty() ? "" : " ") + std::string("La condición ") + condicion(k) +
                       " da «" + lineaVeredicto(k, c) + "» con cualquier pendiente.";
        }
    }
    if (!errores.empty()) {
        r.motivo = errores;
        return r;
    }

    const std::vector<double> m = malla();
    bool huboError = false;
    std::vector<Tramo> admisibles{{kPendienteMinima, kPendienteMaxima, 0, 0}};
    std::vector<std::vector<Tramo>> porCondicion;
    std::string nunca;
    hidraulica::MemoriaSeccion memoria(base.D);
    for (int k = 1; k <= 10; ++k) {
        if (!activas[k - 1]) {
            continue;
        }
        porCondicion.push_back(Barrido(base, k, r, huboError, memoria).tramos(m));
        if (porCondicion.back().empty() && nunca.empty()) {
            nunca = "La condición " + condicion(k) +
                    " no se cumple con ninguna pendiente entre 1e-7 y 1 m/m.";
        }
        admisibles = interseccion(admisibles, porCondicion.back());
    }

    for (const Tramo& t : admisibles) {
        IntervaloPendientes i;
        if (t.porDesde != 0) {
            i.minima = extremo(t, true, separadorDecimal);
        }
        if (t.porHasta != 0) {
            i.maxima = extremo(t, false, separadorDecimal);
        }
        r.intervalos.push_back(i);
    }
    if (r.intervalos.empty()) {
        if (huboError) {
            r.fin = FinPendientes::Error;
            r.motivo = kDatosErroneos;
        } else if (!nunca.empty()) {
            r.motivo = nunca;
        } else {
            r.motivo = conflicto(porCondicion, separadorDecimal);
        }
    }
    return r;
}

} // namespace colvero
