#include "check/pendientes.h"

#include "check/calcular.h"
#include "check/numero.h"
#include "check/textos_pendientes.h"
#include "hydraulics/aritmetica.h"
#include "hydraulics/relaciones.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace colvero {

namespace {

// A change of verdict of condition k between the grid slopes lo < hi, narrowed to two adjacent
// doubles (the last of one verdict, the first of the other) only when its value is needed.
struct Cambio {
    int k;
    double lo, hi;
    bool pasaLo;
    bool refinado = false;
};

// An end of a run of passing slopes: a change of verdict (`cambio` >= 0: a run starting there
// starts at its `hi`, one ending there ends at its `lo`) or an end of the searched range.
struct Cota {
    int cambio = -1;
    bool inicio = true;
    double valor = 0; // the range's end
};

struct Tramo {
    Cota desde, hasta;
};

// The verdicts of the enabled conditions over the slope, with one memory of the collector for
// every evaluation.
class Busqueda {
public:
    Busqueda(const Entradas& d, ResultadoPendientes& r, MemoriaColector& memoria)
        : d_(d), r_(r), memoria_(memoria) {}

    bool huboError() const { return huboError_; }

    // The outcome of condition k at the slope i, as the grid tells them apart.
    enum class Salida : char { Cumple, NoCumple, Capacidad, Error };

    // `margenes`, when given, receives the condition's margin and capacity margin.
    Salida salida(int k, double i, std::pair<double, double>* margenes = nullptr) {
        d_.i = i;
        ++r_.evaluaciones;
        try {
            const ResultadoCondicion c = evaluarCondicion(d_, k, &memoria_);
            if (margenes) {
                *margenes = {c.margen, c.holguraCapacidad};
            }
            switch (c.veredicto) {
            case Veredicto::Cumple:
                return Salida::Cumple;
            case Veredicto::CapacidadInsuficiente:
                return Salida::Capacidad;
            default:
                return Salida::NoCumple;
            }
        } catch (const hidraulica::ErrorAritmetico&) {
            huboError_ = true;
            return Salida::Error;
        }
    }

    bool pasa(int k, double i) { return salida(k, i) == Salida::Cumple; }

    // Whether each of `condiciones` passes at each slope of `malla`. Every condition compares a
    // quantity that is monotone in the slope (the capacity, a velocity, the fill ratio, the
    // particle size, the Froude number, the slope itself), so a run of grid slopes whose two
    // ends give the same outcome gives it throughout. The grid is evaluated at its anchors, and
    // a run between two anchors that disagree is halved until the ends of each part agree: the
    // same grid steps are found as by evaluating every slope, with a fraction of the
    // normal-depth searches.
    std::vector<std::vector<char>> barrer(const std::vector<int>& condiciones,
                                          const std::vector<double>& malla) {
        const std::size_t n = malla.size();
        std::vector<std::size_t> anclas;
        for (std::size_t j = 0; j < n; j += kAnclasCada) {
            anclas.push_back(j);
        }
        if (anclas.back() != n - 1) {
            anclas.push_back(n - 1);
        }
        std::vector<std::vector<Salida>> en(condiciones.size(), std::vector<Salida>(n));
        // Anchor by anchor, so that the conditions of one slope share its normal flows.
        for (const std::size_t j : anclas) {
            for (std::size_t c = 0; c < condiciones.size(); ++c) {
                en[c][j] = salida(condiciones[c], malla[j]);
            }
        }
        std::vector<std::size_t> todas(condiciones.size());
        for (std::size_t c = 0; c < todas.size(); ++c) {
            todas[c] = c;
        }
        for (std::size_t a = 1; a < anclas.size(); ++a) {
            rellenar(condiciones, malla, en, anclas[a - 1], anclas[a], todas);
        }
        std::vector<std::vector<char>> pasaEn(condiciones.size(), std::vector<char>(n));
        for (std::size_t c = 0; c < condiciones.size(); ++c) {
            for (std::size_t j = 0; j < n; ++j) {
                pasaEn[c][j] = en[c][j] == Salida::Cumple;
            }
        }
        return pasaEn;
    }

    // The outcomes strictly between the grid slopes lo and hi of the conditions `cuales` (by
    // index), whose outcomes at lo and hi `en` holds. A condition whose ends disagree is
    // evaluated at the middle slope, together with the others that need it there, so that they
    // share its normal flows. An arithmetic error is no outcome to spread.
    void rellenar(const std::vector<int>& condiciones, const std::vector<double>& malla,
                  std::vector<std::vector<Salida>>& en, std::size_t lo, std::size_t hi,
                  const std::vector<std::size_t>& cuales) {
        if (hi - lo < 2) {
            return;
        }
        std::vector<std::size_t> dudosas;
        for (const std::size_t c : cuales) {
            if (en[c][lo] == en[c][hi] && en[c][lo] != Salida::Error) {
                std::fill(en[c].begin() + static_cast<std::ptrdiff_t>(lo) + 1,
                          en[c].begin() + static_cast<std::ptrdiff_t>(hi), en[c][lo]);
            } else {
                dudosas.push_back(c);
            }
        }
        if (dudosas.empty()) {
            return;
        }
        const std::size_t m = lo + (hi - lo) / 2;
        for (const std::size_t c : dudosas) {
            en[c][m] = salida(condiciones[c], malla[m]);
        }
        rellenar(condiciones, malla, en, lo, m, dudosas);
        rellenar(condiciones, malla, en, m, hi, dudosas);
    }

    // The runs where condition k passes, from its verdicts `pasaEn` at the grid slopes.
    std::vector<Tramo> tramos(int k, const std::vector<double>& malla,
                              const std::vector<char>& pasaEn) {
        std::vector<Tramo> t;
        if (pasaEn.front()) {
            t.push_back({Cota{-1, true, malla.front()}, Cota{-1, false, malla.back()}});
        }
        for (std::size_t j = 1; j < malla.size(); ++j) {
            if (pasaEn[j] == pasaEn[j - 1]) {
                continue;
            }
            cambios_.push_back({k, malla[j - 1], malla[j], pasaEn[j - 1] != 0});
            const int c = static_cast<int>(cambios_.size()) - 1;
            if (pasaEn[j]) {
                t.push_back({Cota{c, true}, Cota{-1, false, malla.back()}});
            } else {
                t.back().hasta = Cota{c, false};
            }
        }
        return t;
    }

    // The condition whose change of verdict is the end `c`; 0 at an end of the range.
    int condicion(const Cota& c) const { return c.cambio < 0 ? 0 : cambios_[c.cambio].k; }

    double valor(const Cota& c) {
        if (c.cambio < 0) {
            return c.valor;
        }
        Cambio& x = cambios_[c.cambio];
        if (!x.refinado) {
            refinar(x);
        }
        return c.inicio ? x.hi : x.lo;
    }

    // a > b. Ends that lie in grid steps apart compare without narrowing them.
    bool mayor(const Cota& a, const Cota& b) {
        const auto [aMin, aMax] = alcance(a);
        const auto [bMin, bMax] = alcance(b);
        if (aMin > bMax) {
            return true;
        }
        if (aMax <= bMin) {
            return false;
        }
        return valor(a) > valor(b);
    }

    // The slopes where both sets pass. A shared end goes to the condition met first (the
    // smallest number), since the conditions come in in ascending order.
    std::vector<Tramo> interseccion(const std::vector<Tramo>& a, const std::vector<Tramo>& b) {
        std::vector<Tramo> r;
        std::size_t x = 0, y = 0;
        while (x < a.size() && y < b.size()) {
            Tramo t = a[x];
            if (mayor(b[y].desde, t.desde)) {
                t.desde = b[y].desde;
            }
            if (mayor(t.hasta, b[y].hasta)) {
                t.hasta = b[y].hasta;
            }
            if (!mayor(t.desde, t.hasta)) {
                r.push_back(t);
            }
            if (mayor(b[y].hasta, a[x].hasta)) {
                ++x;
            } else {
                ++y;
            }
        }
        return r;
    }

private:
    // The closed range that holds the value of `c`.
    std::pair<double, double> alcance(const Cota& c) const {
        if (c.cambio < 0) {
            return {c.valor, c.valor};
        }
        const Cambio& x = cambios_[c.cambio];
        if (x.refinado) {
            return {c.inicio ? x.hi : x.lo, c.inicio ? x.hi : x.lo};
        }
        // A run starts at a passing double above lo, and ends at one below hi.
        return c.inicio ? std::pair{std::nextafter(x.lo, 2.0), x.hi}
                        : std::pair{x.lo, std::nextafter(x.hi, 0.0)};
    }

    // Narrows the change to two adjacent doubles by halving the bit patterns between lo and hi:
    // positive doubles are ordered as their bit patterns, so at most 64 halvings get there
    // whatever the magnitudes. Most halvings lie far from the change, and their answer is
    // foregone for a condition monotone in the slope: once false position on the margin has
    // bracketed the change closely, the halvings outside the bracket take the answer of its
    // ends, and only those inside are evaluated. The doubles found are those that evaluating
    // every halving finds.
    static constexpr std::uint64_t kBitsHolgura = std::uint64_t{1} << 33;

    void refinar(Cambio& x) {
        const std::uint64_t lo = std::bit_cast<std::uint64_t>(x.lo);
        const std::uint64_t hi = std::bit_cast<std::uint64_t>(x.hi);
        std::uint64_t L = lo, H = hi; // x.pasaLo at L, the other verdict at H
        acotar(x, L, H);
        // The bracket's ends themselves may lie where the rounding of the depth search makes
        // the verdict waver; the halvings are foregone only well outside it.
        L = L - std::min(L - lo, kBitsHolgura);
        H = H + std::min(hi - H, kBitsHolgura);
        std::uint64_t a = lo, b = hi;
        bool supuestos = mitades(x, a, b, L, H);
        // Where the rounding of the depth search makes the verdict waver far and wide (tiny
        // flows), a foregone answer may be wrong: then every halving is evaluated.
        if (supuestos && (pasa(x.k, std::bit_cast<double>(a)) != x.pasaLo ||
                          pasa(x.k, std::bit_cast<double>(b)) == x.pasaLo)) {
            a = lo;
            b = hi;
            mitades(x, a, b, lo, hi);
        }
        x.lo = std::bit_cast<double>(a);
        x.hi = std::bit_cast<double>(b);
        x.refinado = true;
    }

    // Halves a < b to adjacent patterns, evaluating the halvings strictly between L and H and
    // taking those outside as a's (at or below L) or b's (at or above H). Returns whether a or b
    // ends on such a foregone halving.
    bool mitades(const Cambio& x, std::uint64_t& a, std::uint64_t& b, std::uint64_t L,
                 std::uint64_t H) {
        bool aSupuesto = false, bSupuesto = false;
        while (b - a > 1) {
            const std::uint64_t m = a + (b - a) / 2;
            if (m <= L) {
                a = m;
                aSupuesto = true;
            } else if (m >= H) {
                b = m;
                bSupuesto = true;
            } else if (pasa(x.k, std::bit_cast<double>(m)) == x.pasaLo) {
                a = m;
                aSupuesto = false;
            } else {
                b = m;
                bSupuesto = false;
            }
        }
        return aSupuesto || bSupuesto;
    }

    // Closes L < H round the change of x by false position (with the Illinois correction) on
    // its margin against the logarithm of the slope, until they are kBitsAcotado apart: some
    // 2e-7 of the slope, far wider than the rounding of the depth search. The capacity's margin
    // serves when the capacity test decides an end. Stops early, with L and H as good as they
    // are, when a margin is not of use.
    void acotar(const Cambio& x, std::uint64_t& L, std::uint64_t& H) {
        constexpr std::uint64_t kBitsAcotado = std::uint64_t{1} << 28;
        std::pair<double, double> mL, mH;
        const Salida sL = salida(x.k, std::bit_cast<double>(L), &mL);
        const Salida sH = salida(x.k, std::bit_cast<double>(H), &mH);
        if ((sL == Salida::Cumple) != x.pasaLo || (sH == Salida::Cumple) == x.pasaLo) {
            return;
        }
        const bool porCapacidad = sL == Salida::Capacidad || sH == Salida::Capacidad;
        double fL = porCapacidad ? mL.second : mL.first;
        double fH = porCapacidad ? mH.second : mH.first;
        int ultimo = 0; // the end moved last: -1 L, 1 H
        for (int paso = 0; paso < 16 && H - L > kBitsAcotado; ++paso) {
            if (!std::isfinite(fL) || !std::isfinite(fH) || (fL > 0) == (fH > 0)) {
                return;
            }
            const double lL = std::log(std::bit_cast<double>(L));
            const double lH = std::log(std::bit_cast<double>(H));
            double t = fL / (fL - fH);
            t = t > 0.001 && t < 0.999 ? t : t <= 0.001 ? 0.001 : 0.999;
            std::uint64_t m = std::bit_cast<std::uint64_t>(std::exp(lL + t * (lH - lL)));
            if (m <= L || m >= H) {
                m = L + (H - L) / 2;
            }
            std::pair<double, double> mm;
            const Salida s = salida(x.k, std::bit_cast<double>(m), &mm);
            if (s == Salida::Error) {
                return;
            }
            const double f = porCapacidad ? mm.second : mm.first;
            if ((s == Salida::Cumple) == x.pasaLo) {
                L = m;
                fL = f;
                if (ultimo == -1) {
                    fH /= 2;
                }
                ultimo = -1;
            } else {
                H = m;
                fH = f;
                if (ultimo == 1) {
                    fL /= 2;
                }
                ultimo = 1;
            }
        }
    }

    Entradas d_; // its slope is the one under test
    ResultadoPendientes& r_;
    MemoriaColector& memoria_;
    bool huboError_ = false;
    std::vector<Cambio> cambios_;
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

ExtremoPendiente extremo(Busqueda& b, const Tramo& t, bool esMinima, char sep) {
    ExtremoPendiente e;
    const double desde = b.valor(t.desde);
    const double hasta = b.valor(t.hasta);
    e.condicion = b.condicion(esMinima ? t.desde : t.hasta);
    e.valor = esMinima ? desde : hasta;
    if (e.condicion == 8 && esMinima) {
        // i > Imin: the end is Imin itself, excluded.
        e.valor = std::nextafter(desde, 0.0);
        e.incluido = false;
        e.texto = conversionSimple(e.valor, sep);
    } else if (e.condicion == 9 && !esMinima) {
        e.texto = conversionSimple(e.valor, sep); // Imax, included
    } else {
        e.texto = textoExtremo(e.valor, esMinima, desde, hasta, sep);
    }
    return e;
}

std::string condicion(int k) {
    return "(" + std::to_string(k) + ")";
}

// Why no slope passes when every condition passes somewhere: the highest lower bound above
// the lowest upper bound.
std::string conflicto(Busqueda& b, const std::vector<std::vector<Tramo>>& porCondicion, char sep) {
    const Tramo* inferior = nullptr;
    const Tramo* superior = nullptr;
    for (const auto& t : porCondicion) {
        if (t.size() != 1) {
            return "Ninguna pendiente " + textoRangoBuscado(sep) +
                   " cumple a la vez todas las condiciones activas.";
        }
        if (!inferior || b.mayor(t[0].desde, inferior->desde)) {
            inferior = &t[0];
        }
        if (!superior || b.mayor(superior->hasta, t[0].hasta)) {
            superior = &t[0];
        }
    }
    const auto pide = [&b, sep](const Tramo& t, bool minima) {
        const int k = b.condicion(minima ? t.desde : t.hasta);
        const double desde = b.valor(t.desde);
        const double hasta = b.valor(t.hasta);
        if (k == 8) {
            return "i > " + decimalLlano(conversionSimple(std::nextafter(desde, 0.0), sep), sep);
        }
        if (k == 9) {
            return "i ≤ " + decimalLlano(conversionSimple(hasta, sep), sep);
        }
        return std::string(minima ? "i ≥ " : "i ≤ ") +
               decimalLlano(textoExtremo(minima ? desde : hasta, minima, desde, hasta, sep), sep);
    };
    return "La condición " + condicion(b.condicion(inferior->desde)) + " pide " +
           pide(*inferior, true) + " y la " + condicion(b.condicion(superior->hasta)) + " " +
           pide(*superior, false) + ".";
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

    // One memory per thread, its storage reused from one window to the next.
    thread_local MemoriaColector memoria(base.D, base.n);
    memoria.reiniciar(base.D, base.n);

    // Input errors do not depend on the slope: such a condition gives "[ERROR]" everywhere.
    std::string errores;
    for (int k = 1; k <= 10; ++k) {
        if (!activas[k - 1]) {
            continue;
        }
        ResultadoCondicion c;
        try {
            c = evaluarCondicion(base, k, &memoria);
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

    // Every enabled condition over the grid, then the runs of each condition.
    const std::vector<double> m = malla();
    Busqueda busqueda(base, r, memoria);
    std::vector<int> condiciones;
    for (int k = 1; k <= 10; ++k) {
        if (activas[k - 1]) {
            condiciones.push_back(k);
        }
    }
    const std::vector<std::vector<char>> pasaEn = busqueda.barrer(condiciones, m);
    std::vector<Tramo> admisibles{
        {Cota{-1, true, kPendienteMinima}, Cota{-1, false, kPendienteMaxima}}};
    std::vector<std::vector<Tramo>> porCondicion;
    std::string nunca;
    for (std::size_t c = 0; c < condiciones.size(); ++c) {
        porCondicion.push_back(busqueda.tramos(condiciones[c], m, pasaEn[c]));
        if (porCondicion.back().empty() && nunca.empty()) {
            nunca = "La condición " + condicion(condiciones[c]) +
                    " no se cumple con ninguna pendiente " + textoRangoBuscado(separadorDecimal) +
                    ".";
        }
        admisibles = busqueda.interseccion(admisibles, porCondicion.back());
    }

    for (const Tramo& t : admisibles) {
        IntervaloPendientes i;
        if (busqueda.condicion(t.desde) != 0) {
            i.minima = extremo(busqueda, t, true, separadorDecimal);
        }
        if (busqueda.condicion(t.hasta) != 0) {
            i.maxima = extremo(busqueda, t, false, separadorDecimal);
        }
        r.intervalos.push_back(i);
    }
    if (r.intervalos.empty()) {
        if (busqueda.huboError()) {
            r.fin = FinPendientes::Error;
            r.motivo = kDatosErroneos;
        } else if (!nunca.empty()) {
            r.motivo = nunca;
        } else {
            r.motivo = conflicto(busqueda, porCondicion, separadorDecimal);
        }
    }
    return r;
}

} // namespace colvero
