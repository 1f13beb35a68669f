#include "check/pendientes.h"

#include "check/calcular.h"
#include "check/numero.h"
#include "check/textos_pendientes.h"
#include "hydraulics/aritmetica.h"
#include "hydraulics/relaciones.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
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

// What the slopes evaluated so far prove about the outcome of one condition at the others.
// The compared quantity of every condition is monotone in the slope, but what the engine
// computes for conditions 2 to 7 is the quantity at whichever depth the depth search accepts,
// anywhere in its last bracket: with tiny flows that bracket is wide and the computed quantity
// saw-tooths as the slope grows. Its bounds at slope p (ResultadoCondicion::margenMinimo,
// margenMaximo) hold nonetheless for every slope on one side of p: at a slope below p the
// accepted depth carries a flow Q' within the tolerance of the target, and the quantity of Q'
// at slope p is at least (or at most, as the quantity falls) the one at that slope, the depth
// of Q' at p lying in p's bracket. So a margin bound above 0 at p proves a pass, and one below
// 0 a failure, over a whole ray of slopes; the capacity, which searches no depth, likewise.
// Where no bound clears 0 the outcome is evaluated: the search then gives what evaluating
// every slope gives, wavering verdicts included.
struct Certezas {
    int sentido = 1;   // +1 the margin grows with the slope, -1 it falls
    bool valen = true; // false after an arithmetic error or for inputs beyond the proof
    double capacidadDesde = std::numeric_limits<double>::infinity();  // enough at and above
    double capacidadHasta = -std::numeric_limits<double>::infinity(); // short at and below
    double cumple = 0; // passes at and above it (sentido +1), at and below it (-1)
    double falla = 0;  // fails at and below it (sentido +1), at and above it (-1)
};

// Whether the proof above holds for condition k of the case d: the depth search ends on its
// tolerance (flows far below 1e4 m3/s, whose last place stays under 1e-10 m3/s) and no
// relation can overflow or divide by zero at one slope and not at another.
bool demostrable(const Entradas& d, int k) {
    if (!(d.D >= 1e-4 && d.D <= 1e3)) {
        return false;
    }
    if (k >= 2 && k <= 7 && !(d.Q[k - 1] <= 1e3)) {
        return false;
    }
    return k != 5 ||
           (std::abs(d.gammaAgua) <= 1e6 && std::abs(d.gammaParticula - d.gammaAgua) >= 1e-6);
}

// The verdicts of the enabled conditions over the slope, with one memory of the collector for
// every evaluation.
class Busqueda {
public:
    Busqueda(const Entradas& d, const std::vector<int>& condiciones, ResultadoPendientes& r,
             MemoriaColector& memoria)
        : d_(d), condiciones_(condiciones), r_(r), memoria_(memoria) {
        constexpr double inf = std::numeric_limits<double>::infinity();
        for (int k = 1; k <= 10; ++k) {
            Certezas& z = certezas_[k];
            z.sentido = sentidoMargen(d, k);
            z.valen = demostrable(d, k);
            z.cumple = z.sentido > 0 ? inf : -inf;
            z.falla = -z.cumple;
            if (k == 1 || k == 8 || k == 9) {
                z.capacidadDesde = -inf; // no capacity test
            }
        }
    }

    bool huboError() const { return huboError_; }

    // The outcome of condition k at the slope i, as the grid tells them apart.
    enum class Salida : char { Cumple, NoCumple, Capacidad, Error, Desconocida };

    // `margenes`, when given, receives the condition's margin and capacity margin.
    Salida salida(int k, double i, std::pair<double, double>* margenes = nullptr) {
        d_.i = i;
        ++r_.evaluaciones;
        try {
            const ResultadoCondicion c = evaluarCondicion(d_, k, &memoria_);
            if (margenes) {
                *margenes = {c.margen, c.holguraCapacidad};
            }
            aprender(k, i, c);
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
            certezas_[k].valen = false;
            return Salida::Error;
        }
    }

    bool pasa(int k, double i) { return salida(k, i) == Salida::Cumple; }

    // The outcome of condition k at i where the slopes evaluated so far prove it; Desconocida
    // elsewhere.
    Salida conocida(int k, double i) const {
        const Certezas& z = certezas_[k];
        if (!z.valen) {
            return Salida::Desconocida;
        }
        if (i <= z.capacidadHasta) {
            return Salida::Capacidad;
        }
        if (i < z.capacidadDesde) {
            return Salida::Desconocida;
        }
        if (z.sentido > 0 ? i >= z.cumple : i <= z.cumple) {
            return Salida::Cumple;
        }
        if (z.sentido > 0 ? i <= z.falla : i >= z.falla) {
            return Salida::NoCumple;
        }
        return Salida::Desconocida;
    }

    // Whether condition k passes at i: proven, or evaluated.
    bool pasaSabido(int k, double i) {
        Salida s = conocida(k, i);
        if (s == Salida::Desconocida) {
            s = salida(k, i);
        }
        return s == Salida::Cumple;
    }

    // Whether every enabled condition passes at the slope i, evaluated there.
    bool cumplenTodas(double i) {
        for (const int k : condiciones_) {
            if (!pasa(k, i)) {
                return false;
            }
        }
        return true;
    }

    // Whether each enabled condition passes at each slope of `malla`, exactly as evaluating
    // every slope tells. The grid is evaluated at its anchors first, every condition at one
    // slope together so that they share its normal flows; a slope between them is evaluated
    // only where the slopes evaluated so far do not prove its outcome, halving the runs still
    // in doubt.
    std::vector<std::vector<char>> barrer(const std::vector<double>& malla) {
        const std::size_t n = malla.size();
        std::vector<std::size_t> anclas;
        for (std::size_t j = 0; j < n; j += kAnclasCada) {
            anclas.push_back(j);
        }
        if (anclas.back() != n - 1) {
            anclas.push_back(n - 1);
        }
        std::vector<std::vector<Salida>> en(condiciones_.size(),
                                            std::vector<Salida>(n, Salida::Desconocida));
        for (const std::size_t j : anclas) {
            for (std::size_t c = 0; c < condiciones_.size(); ++c) {
                en[c][j] = conocida(condiciones_[c], malla[j]);
                if (en[c][j] == Salida::Desconocida) {
                    en[c][j] = salida(condiciones_[c], malla[j]);
                }
            }
        }
        std::vector<std::size_t> todas(condiciones_.size());
        for (std::size_t c = 0; c < todas.size(); ++c) {
            todas[c] = c;
        }
        for (std::size_t a = 1; a < anclas.size(); ++a) {
            rellenar(malla, en, anclas[a - 1], anclas[a], todas);
        }
        std::vector<std::vector<char>> pasaEn(condiciones_.size(), std::vector<char>(n));
        for (std::size_t c = 0; c < condiciones_.size(); ++c) {
            for (std::size_t j = 0; j < n; ++j) {
                pasaEn[c][j] = en[c][j] == Salida::Cumple;
            }
        }
        return pasaEn;
    }

    // The outcomes strictly between the grid slopes lo and hi of the conditions `cuales` (by
    // index), proven or else evaluated at the middle slope, together with the others that need
    // it there, and so on in each half.
    void rellenar(const std::vector<double>& malla, std::vector<std::vector<Salida>>& en,
                  std::size_t lo, std::size_t hi, const std::vector<std::size_t>& cuales) {
        if (hi - lo < 2) {
            return;
        }
        std::vector<std::size_t> dudosas;
        for (const std::size_t c : cuales) {
            // The slopes where an outcome is proven form one interval per outcome: two ends
            // proven alike prove everything between them.
            const Salida a = conocida(condiciones_[c], malla[lo + 1]);
            if (a != Salida::Desconocida && a == conocida(condiciones_[c], malla[hi - 1])) {
                std::fill(en[c].begin() + static_cast<std::ptrdiff_t>(lo) + 1,
                          en[c].begin() + static_cast<std::ptrdiff_t>(hi), a);
            } else {
                dudosas.push_back(c);
            }
        }
        if (dudosas.empty()) {
            return;
        }
        const std::size_t m = lo + (hi - lo) / 2;
        for (const std::size_t c : dudosas) {
            if (en[c][m] == Salida::Desconocida) {
                en[c][m] = conocida(condiciones_[c], malla[m]);
            }
            if (en[c][m] == Salida::Desconocida) {
                en[c][m] = salida(condiciones_[c], malla[m]);
            }
        }
        rellenar(malla, en, lo, m, dudosas);
        rellenar(malla, en, m, hi, dudosas);
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
    // Learns from the outcome c of condition k at the slope i.
    void aprender(int k, double i, const ResultadoCondicion& c) {
        Certezas& z = certezas_[k];
        if (!z.valen) {
            return;
        }
        if (k == 10) {
            // Whether the fill ratio's depth fits the section does not depend on the slope.
            if (c.veredicto == Veredicto::CapacidadInsuficiente) {
                z.capacidadHasta = std::numeric_limits<double>::infinity();
                return;
            }
            z.capacidadDesde = -std::numeric_limits<double>::infinity();
        } else if (k >= 2 && k <= 7) {
            // Qmax, computed at a fixed depth, grows with the slope.
            const double h = c.holguraCapacidad;
            const double holgura = 1e-12 * (2 * std::abs(d_.Q[k - 1]) + std::abs(h));
            if (c.veredicto == Veredicto::CapacidadInsuficiente) {
                if (-h > holgura) {
                    z.capacidadHasta = std::max(z.capacidadHasta, i);
                }
                return;
            }
            if (h > holgura) {
                z.capacidadDesde = std::min(z.capacidadDesde, i);
            }
        }
        const bool sube = z.sentido > 0;
        if (c.margenMinimo > 0) {
            z.cumple = sube ? std::min(z.cumple, i) : std::max(z.cumple, i);
        }
        if (c.margenMaximo < 0) {
            z.falla = sube ? std::max(z.falla, i) : std::min(z.falla, i);
        }
    }

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
    // whatever the magnitudes. False position on the margin first evaluates slopes close to the
    // change; where their bounds prove the outcome of a halving it is not evaluated, so the
    // doubles found are those that evaluating every halving finds.
    void refinar(Cambio& x) {
        acotar(x);
        std::uint64_t a = std::bit_cast<std::uint64_t>(x.lo);
        std::uint64_t b = std::bit_cast<std::uint64_t>(x.hi);
        while (b - a > 1) {
            const std::uint64_t m = a + (b - a) / 2;
            (pasaSabido(x.k, std::bit_cast<double>(m)) == x.pasaLo ? a : b) = m;
        }
        x.lo = std::bit_cast<double>(a);
        x.hi = std::bit_cast<double>(b);
        x.refinado = true;
    }

    // Closes in on the change of x by false position (with the Illinois correction) on its
    // margin against the logarithm of the slope, until the slopes evaluated are kBitsAcotado
    // apart: some 2e-7 of the slope. The capacity's margin serves when the capacity test
    // decides an end. Stops early when a margin is not of use: the evaluations only teach
    // refinar() where the outcomes are proven.
    void acotar(const Cambio& x) {
        constexpr std::uint64_t kBitsAcotado = std::uint64_t{1} << 28;
        std::uint64_t L = std::bit_cast<std::uint64_t>(x.lo);
        std::uint64_t H = std::bit_cast<std::uint64_t>(x.hi);
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

    Entradas d_;                   // its slope is the one under test
    std::vector<int> condiciones_; // the enabled ones, ascending
    ResultadoPendientes& r_;
    MemoriaColector& memoria_;
    bool huboError_ = false;
    std::vector<Cambio> cambios_;
    std::array<Certezas, 11> certezas_{}; // by condition number
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

// x to `cifras` significant digits, to the nearest.
Decimal decimal(double x, int cifras) {
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
    return d;
}

// d one unit of its last digit up (hacia > 0) or down.
Decimal vecino(Decimal d, int hacia) {
    std::int64_t tope = 1;
    for (int c = 0; c < d.cifras; ++c) {
        tope *= 10;
    }
    d.m += hacia > 0 ? 1 : -1;
    if (d.m == tope) {
        d.m = tope / 10;
        ++d.e;
    } else if (d.m < tope / 10) {
        d.m = tope - 1;
        --d.e;
    }
    return d;
}

// x rounded to `cifras` significant digits, up (hacia > 0) or down (< 0), judged by the value
// that the text reads back.
Decimal redondeo(double x, int cifras, int hacia, char sep) {
    const Decimal d = decimal(x, cifras);
    const double leido = leerNumero(escribir(d, sep), sep).value_or(x);
    if ((hacia > 0 && leido < x) || (hacia < 0 && leido > x)) {
        return vecino(d, hacia);
    }
    return d;
}

// The shortest text of up to 17 digits that reads back as x itself.
std::string textoExacto(double x, char sep) {
    std::string t = conversionSimple(x, sep);
    for (int cifras = 16; cifras <= 17 && leerNumero(t, sep) != x; ++cifras) {
        t = escribir(decimal(x, cifras), sep);
    }
    return t;
}

// Steps the shown value of an included end inward, one unit of its last digit at a time and
// then with one digit more, inside [desde, hasta], until the value read back passes every
// enabled condition. A run whose every such value fails (verdicts that waver, in a run narrower
// than the wavering) gives nothing.
std::optional<std::string> textoQueCumple(Busqueda& b, double x, bool esMinima, double desde,
                                          double hasta, char sep) {
    constexpr int kPasos = 32; // per number of digits
    const int hacia = esMinima ? 1 : -1;
    for (int cifras = 4; cifras <= 17; ++cifras) {
        Decimal d = redondeo(x, cifras, hacia, sep);
        for (int paso = 0; paso < kPasos; ++paso, d = vecino(d, hacia)) {
            const std::string t = escribir(d, sep);
            const std::optional<double> v = leerNumero(t, sep);
            if (!v || *v < desde || *v > hasta) {
                break;
            }
            if (b.cumplenTodas(*v)) {
                return t;
            }
        }
    }
    return std::nullopt;
}

// An end as shown. An included end's text, typed as the case's slope, passes every enabled
// condition: the engine is asked at the value it reads back, and where that fails the text
// steps inward. An excluded end (condition 8's Imin, or an end whose run holds no passing
// value) shows the bound itself in as many digits as read back as that very double, at which
// its deciding condition (or some condition) fails. `suelo` is the least value an upper end
// may show: the lower end's shown value, so that the two never cross.
ExtremoPendiente extremo(Busqueda& b, const Tramo& t, bool esMinima, double suelo, char sep) {
    ExtremoPendiente e;
    const double desde = b.valor(t.desde);
    const double hasta = b.valor(t.hasta);
    e.condicion = b.condicion(esMinima ? t.desde : t.hasta);
    e.valor = esMinima ? desde : hasta;
    if (e.condicion == 8 && esMinima) {
        // i > Imin: the end is Imin itself, excluded.
        e.valor = std::nextafter(desde, 0.0);
        e.incluido = false;
        e.texto = textoExacto(e.valor, sep);
        return e;
    }
    if (e.condicion == 9 && !esMinima) {
        e.texto = conversionSimple(e.valor, sep); // Imax, included
    } else {
        e.texto = textoExtremo(e.valor, esMinima, desde, hasta, sep);
    }
    const std::optional<double> v = leerNumero(e.texto, sep);
    if (v && *v >= std::max(desde, suelo) && *v <= hasta && b.cumplenTodas(*v)) {
        return e;
    }
    if (std::optional<std::string> otro =
            textoQueCumple(b, e.valor, esMinima, std::max(desde, suelo), hasta, sep)) {
        e.texto = *otro;
        return e;
    }
    e.incluido = false;
    e.texto = textoExacto(e.valor, sep);
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
        t = escribir(redondeo(x, cifras, esMinima ? 1 : -1, separadorDecimal), separadorDecimal);
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
    std::vector<int> condiciones;
    for (int k = 1; k <= 10; ++k) {
        if (activas[k - 1]) {
            condiciones.push_back(k);
        }
    }
    Busqueda busqueda(base, condiciones, r, memoria);
    const std::vector<std::vector<char>> pasaEn = busqueda.barrer(m);
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
        double desde = busqueda.valor(t.desde);
        if (busqueda.condicion(t.desde) != 0) {
            i.minima = extremo(busqueda, t, true, desde, separadorDecimal);
            if (i.minima->incluido) {
                desde =
                    std::max(desde, leerNumero(i.minima->texto, separadorDecimal).value_or(desde));
            }
        }
        if (busqueda.condicion(t.hasta) != 0) {
            i.maxima = extremo(busqueda, t, false, desde, separadorDecimal);
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
