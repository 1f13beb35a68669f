#include "design/diseno_red.h"

#include "check/pendientes.h"
#include "network/comprobacion_red.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <numeric>
#include <unordered_map>

// How the design works. Every reach r with pipe p ends at an invert zf (cm); f_r,p(zf) is the
// least excavation of r and of everything upstream of it. At r's upstream node the junction,
// crown and diameter rules tie each incoming reach to r's (zi, p) alone, so the upstream part
// is a sum over the incoming reaches of a minimum over their (pipe, end invert): suffix minima
// of their tables. The slope window of (r, p) is a union of ranges of drops Δ = zi − zf, and
// the cost is a(zi) + b(zf), so f_r,p(zf) is a sliding-window minimum over zi. This is exact on
// the 1 cm grid; the tables are kept for the way back from each tree's outfall.
namespace colvero::diseno {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTolerancia = 1e-9; // m, on cover and depth
// Slope windows are taken this much (relative) inside their ends: the slope from two inverts
// differs from the slope of their drop alone by a few ulps. The final check with the engine
// decides anyway.
constexpr double kDentro = 1e-9;
constexpr long long kPozoDeResalto = 50; // cm: a drop over this needs a drop manhole

std::string comillas(const std::string& s) {
    return "«" + s + "»";
}

// The slope of a drop of `delta` cm alone; +inf where it is steeper than the length allows.
double pendienteDelta(long long delta, double L, red::MedidaLongitud medida) {
    const double dz = static_cast<double>(delta) / 100.0;
    if (medida == red::MedidaLongitud::AlLargoDelTubo && !(L > dz))
        return kInf;
    std::string error;
    return red::pendienteDe(dz, 0.0, L, medida, error);
}

// The least Δ in [1, tope + 1] whose slope is at least `s` (or, `estricta`, above it);
// tope + 1 when none up to `tope` is. Found from the closed form and settled by stepping.
long long primerDelta(double s, bool estricta, double L, red::MedidaLongitud medida,
                      long long tope) {
    const auto llega = [&](long long d) {
        const double x = pendienteDelta(d, L, medida);
        return estricta ? x > s : x >= s;
    };
    double dz = s * L;
    if (medida == red::MedidaLongitud::AlLargoDelTubo)
        dz = s * L / std::sqrt(1 + s * s);
    long long d = std::clamp<long long>(static_cast<long long>(std::floor(dz * 100.0)), 1,
                                        std::max<long long>(1, tope + 1));
    while (d > 1 && llega(d - 1))
        --d;
    while (d <= tope && !llega(d))
        ++d;
    return d;
}

// A table of f over zf = lo, lo + 1...; +inf where nothing is feasible.
struct Tabla {
    long long lo = 0;
    std::vector<double> f;
    long long hi() const { return lo + static_cast<long long>(f.size()) - 1; }
    bool vacia() const { return f.empty(); }
};

// The suffix minima of a table: min over z' ≥ z of f(z').
struct Sufijo {
    long long lo = 0;
    std::vector<double> s;
    double en(long long z) const {
        if (s.empty())
            return kInf;
        if (z < lo)
            return s.front();
        const long long k = z - lo;
        return k < static_cast<long long>(s.size()) ? s[static_cast<size_t>(k)] : kInf;
    }
};

Sufijo sufijo(const Tabla& t) {
    Sufijo r{t.lo, t.f};
    for (size_t k = r.s.size(); k-- > 1;)
        r.s[k - 1] = std::min(r.s[k - 1], r.s[k]);
    return r;
}

enum class Estado { Excluido, Candidato, Hecho, Inviable, Bucle };

struct Rango {
    long long lo = 1, hi = 0; // inclusive; empty when lo > hi
    bool vacio() const { return lo > hi; }
};

// The working data of one reach; pipes in the order of `orden` (ascending diameter).
struct Trabajo {
    Estado estado = Estado::Excluido;
    std::string motivo;
    int u = -1, v = -1;
    double Gu = 0, Gv = 0, L = 0;
    // No ground at the end node, where no conduit leaves (an outfall, a weir, a pump): the end
    // is free of cover and depth limits, and the cost counts the upstream depth along the reach.
    bool sinTerrenoV = false;
    std::vector<Rango> U, V;                                          // by pipe: zi and zf levels
    std::vector<std::vector<std::pair<long long, long long>>> deltas; // by pipe: Δ ranges
    std::vector<char> ventana;  // by pipe: the window was asked for (the pipe fits)
    bool conPendientes = false; // some pipe passes at some slope in [1e-7, 1]
    std::string colector;       // the engine refuses the collector (n out of range...)
    std::vector<Tabla> F;
    std::vector<size_t> hijos; // incoming reaches at u whose outflow is this one
    int padre = -1;            // the reach at v that takes its flow on; -1 none
    // The design.
    size_t tubo = 0;
    long long zi = 0, zf = 0;
};

struct Opciones {
    bool hijos = true;
    bool relajaU = false, relajaV = false; // no depth limit at that end
    bool sinFija = false;                  // ignore a fixed invert at u
    bool sinDiametros = false;             // ignore the diameter rule at u
};

class Disenador {
public:
    Disenador(const red::ModeloRed& m, const red::Topologia& t,
              const std::vector<TramoADisenar>& tramos, const std::vector<Tubo>& serie,
              const Limites& l)
        : m_(m), t_(t), tramos_(tramos), serie_(serie), l_(l) {}

    std::optional<Diseno> ejecutar(const Progreso& progreso, int hilos);

private:
    void preparar();
    void ventanas(size_t r);
    long long k(size_t q, size_t p) const; // least zin − zo for pipes q in, p out
    Tabla paso(size_t r, size_t p, const Opciones& o, const std::vector<std::vector<Sufijo>>& S,
               std::vector<double>* E = nullptr, Rango* rangoU = nullptr) const;
    std::vector<std::vector<Sufijo>> sufijos(size_t r, const Opciones& o) const;
    Rango rangoU(size_t r, size_t p, const Opciones& o) const;
    Rango rangoV(size_t r, size_t p, const Opciones& o) const;
    void adelante(size_t r);
    void descartarDominadas(size_t r);
    bool factible(size_t r, const Opciones& o) const;
    std::string motivoInviable(size_t r) const;
    void raices();
    void atras(size_t r);
    std::string nodo(int v) const { return comillas(m_.nodos[static_cast<size_t>(v)].id); }

    const red::ModeloRed& m_;
    const red::Topologia& t_;
    const std::vector<TramoADisenar>& tramos_;
    const std::vector<Tubo>& serie_;
    const Limites& l_;
    std::vector<size_t> orden_; // series indices by ascending diameter
    std::vector<double> D_;     // diameter by pipe of `orden_`
    std::vector<Trabajo> w_;
    std::vector<std::optional<long long>> fija_; // by node, cm
    std::vector<int> salida_;                    // by node: its candidate outgoing reach
    std::vector<int> conductosQueSalen_;         // by node
    long long kr_ = 0;                           // minimum drop, cm
    long long holgura_ = 0; // extra depth of the relaxed levels (diagnosis only), cm
};

long long Disenador::k(size_t q, size_t p) const {
    if (!l_.alinearClaves)
        return kr_;
    return std::max(kr_, desnivelMinimo(D_[p] - D_[q]));
}

void Disenador::preparar() {
    const size_t nn = m_.nodos.size();
    orden_.resize(serie_.size());
    std::iota(orden_.begin(), orden_.end(), size_t{0});
    std::stable_sort(orden_.begin(), orden_.end(),
                     [&](size_t a, size_t b) { return serie_[a].diametro < serie_[b].diametro; });
    for (size_t j : orden_)
        D_.push_back(serie_[j].diametro);
    kr_ = desnivelMinimo(l_.resaltoMinimo);

    std::unordered_map<std::string_view, int> indice;
    for (size_t v = 0; v < nn; ++v)
        indice.emplace(m_.nodos[v].id, static_cast<int>(v));
    fija_.assign(nn, std::nullopt);
    for (const auto& [id, z] : l_.fijas) {
        const auto it = indice.find(id);
        if (it != indice.end())
            fija_[static_cast<size_t>(it->second)] = centimetros(z);
    }

    // Outgoing conduits of every node, whether designed or not.
    conductosQueSalen_.assign(nn, 0);
    for (size_t e = 0; e < m_.enlaces.size() && e < t_.extremos.size(); ++e) {
        const red::Extremos& x = t_.extremos[e];
        if (m_.enlaces[e].esConducto() && x.desde >= 0 && x.hasta >= 0 && x.desde != x.hasta)
            ++conductosQueSalen_[static_cast<size_t>(x.desde)];
    }

    w_.resize(tramos_.size());
    std::vector<char> visto(m_.enlaces.size(), 0);
    for (size_t r = 0; r < tramos_.size(); ++r) {
        Trabajo& w = w_[r];
        const TramoADisenar& td = tramos_[r];
        const auto excluir = [&](std::string motivo) {
            w.estado = Estado::Excluido;
            w.motivo = std::move(motivo);
        };
        if (td.enlace >= m_.enlaces.size() || td.enlace >= t_.extremos.size()) {
            excluir("el tramo no está en el modelo");
            continue;
        }
        const red::Enlace& e = m_.enlaces[td.enlace];
        const red::Extremos& x = t_.extremos[td.enlace];
        if (visto[td.enlace]) {
            excluir("el tramo " + comillas(e.id) + " está dos veces entre los tramos a diseñar");
            continue;
        }
        visto[td.enlace] = 1;
        if (!td.error.empty()) {
            excluir(td.error);
            continue;
        }
        if (!e.esConducto()) {
            excluir(std::string(red::kNoEsUnConducto) + " (" + red::nombreTipo(e.tipo) + ")");
            continue;
        }
        if (x.desde < 0 || x.hasta < 0) {
            excluir("el nodo " + comillas(x.desde < 0 ? e.desde : e.hasta) +
                    " no está en el modelo");
            continue;
        }
        if (x.desde == x.hasta) {
            excluir("el tramo va del nodo " + comillas(e.desde) + " a sí mismo");
            continue;
        }
        w.u = x.desde;
        w.v = x.hasta;
        if (conductosQueSalen_[static_cast<size_t>(w.u)] > 1) {
            excluir("no se diseña: del nodo " + nodo(w.u) + " salen varios conductos");
            continue;
        }
        const red::Nodo& nu = m_.nodos[static_cast<size_t>(w.u)];
        const red::Nodo& nv = m_.nodos[static_cast<size_t>(w.v)];
        if (!nu.cotaTerreno || !std::isfinite(*nu.cotaTerreno)) {
            excluir("el pozo " + nodo(w.u) + " no tiene cota de terreno");
            continue;
        }
        const bool terrenoV = nv.cotaTerreno && std::isfinite(*nv.cotaTerreno);
        if (!terrenoV && conductosQueSalen_[static_cast<size_t>(w.v)] > 0) {
            excluir("el pozo " + nodo(w.v) + " no tiene cota de terreno");
            continue;
        }
        if (!(e.longitud > 0) || !std::isfinite(e.longitud)) {
            excluir("la longitud no es positiva");
            continue;
        }
        w.Gu = *nu.cotaTerreno;
        w.sinTerrenoV = !terrenoV;
        w.Gv = terrenoV ? *nv.cotaTerreno : std::numeric_limits<double>::quiet_NaN();
        w.L = e.longitud;
        w.estado = Estado::Candidato;
    }

    salida_.assign(nn, -1);
    for (size_t r = 0; r < w_.size(); ++r) {
        if (w_[r].estado == Estado::Candidato)
            salida_[static_cast<size_t>(w_[r].u)] = static_cast<int>(r);
    }
    for (size_t r = 0; r < w_.size(); ++r) {
        Trabajo& w = w_[r];
        if (w.estado != Estado::Candidato)
            continue;
        w.padre = salida_[static_cast<size_t>(w.v)];
        if (w.padre >= 0)
            w_[static_cast<size_t>(w.padre)].hijos.push_back(r);
    }

    // Relaxed levels reach this far below the depth limit: deep enough to tell whether the
    // depth is what stops a reach.
    const double Dmax = D_.empty() ? 0.0 : D_.back();
    holgura_ =
        static_cast<long long>(std::ceil((2 * l_.profundidadMaxima + Dmax) * 100)) + kr_ + 100;

    // Levels by pipe at both ends.
    const size_t P = D_.size();
    for (Trabajo& w : w_) {
        if (w.estado != Estado::Candidato)
            continue;
        w.U.resize(P);
        w.V.resize(P);
        const auto bajo = [&](double G) {
            long long z = static_cast<long long>(std::ceil((G - l_.profundidadMaxima) * 100));
            while (!cumpleProfundidad(G, z, l_.profundidadMaxima))
                ++z;
            while (cumpleProfundidad(G, z - 1, l_.profundidadMaxima))
                --z;
            return z;
        };
        const auto alto = [&](double G, double D) {
            long long z = static_cast<long long>(std::floor((G - D - l_.recubrimiento) * 100));
            while (!cumpleRecubrimiento(G, z, D, l_.recubrimiento))
                --z;
            while (cumpleRecubrimiento(G, z + 1, D, l_.recubrimiento))
                ++z;
            return z;
        };
        const long long bu = bajo(w.Gu), bv = w.sinTerrenoV ? 0 : bajo(w.Gv);
        for (size_t p = 0; p < P; ++p) {
            w.U[p] = {bu, alto(w.Gu, D_[p])};
            // Without ground, any end below the start that a slope of the range could reach.
            w.V[p] = w.sinTerrenoV ? Rango{w.U[p].lo - holgura_, w.U[p].hi - 1}
                                   : Rango{bv, alto(w.Gv, D_[p])};
        }
    }
}

Rango Disenador::rangoU(size_t r, size_t p, const Opciones& o) const {
    const Trabajo& w = w_[r];
    Rango x = w.U[p];
    if (o.relajaU)
        x.lo -= holgura_;
    const auto& z = fija_[static_cast<size_t>(w.u)];
    if (z && !o.sinFija)
        x = *z >= x.lo && *z <= x.hi ? Rango{*z, *z} : Rango{};
    return x;
}

Rango Disenador::rangoV(size_t r, size_t p, const Opciones& o) const {
    Rango x = w_[r].V[p];
    if (o.relajaV)
        x.lo -= holgura_;
    return x;
}

// The admissible drops of each pipe that fits at both ends.
void Disenador::ventanas(size_t r) {
    Trabajo& w = w_[r];
    const size_t P = D_.size();
    w.deltas.assign(P, {});
    w.ventana.assign(P, 0);
    const red::MedidaLongitud medida = m_.longitudes;
    for (size_t p = 0; p < P; ++p) {
        if (w.U[p].vacio() || w.V[p].vacio() || !(D_[p] > 0))
            continue;
        w.ventana[p] = 1;
        // No drop can exceed the highest upstream level less the lowest relaxed one.
        const long long tope = w.U[p].hi - (w.V[p].lo - holgura_);
        if (tope < 1)
            continue;
        Entradas d = tramos_[r].d;
        d.D = D_[p];
        const ResultadoPendientes rp = pendientesAdmisibles(d, tramos_[r].activas, '.');
        if (rp.fin != FinPendientes::Realizado) {
            if (rp.fin == FinPendientes::ColectorInvalido && w.colector.empty())
                w.colector = rp.motivo;
            continue;
        }
        w.conPendientes = w.conPendientes || !rp.intervalos.empty();
        for (const IntervaloPendientes& iv : rp.intervalos) {
            const double a =
                (iv.minima ? std::max(iv.minima->valor, kPendienteMinima) : kPendienteMinima) *
                (1 + kDentro);
            const double b =
                (iv.maxima ? std::min(iv.maxima->valor, kPendienteMaxima) : kPendienteMaxima) *
                (1 - kDentro);
            if (!(a <= b))
                continue;
            const long long da = primerDelta(a, false, w.L, medida, tope);
            const long long db = primerDelta(b, true, w.L, medida, tope) - 1;
            if (da <= db) {
                w.deltas[p].emplace_back(da, db);
            }
        }
    }
}

std::vector<std::vector<Sufijo>> Disenador::sufijos(size_t r, const Opciones& o) const {
    std::vector<std::vector<Sufijo>> S;
    if (!o.hijos)
        return S;
    for (size_t s : w_[r].hijos) {
        if (w_[s].estado != Estado::Hecho)
            continue; // an infeasible reach upstream is left out: its own subtree is a tree
        std::vector<Sufijo> x;
        for (const Tabla& t : w_[s].F)
            x.push_back(sufijo(t));
        S.push_back(std::move(x));
    }
    return S;
}

// f_r,p over its zf levels. With `E`, also the upstream part by zi over `rangoU`.
Tabla Disenador::paso(size_t r, size_t p, const Opciones& o,
                      const std::vector<std::vector<Sufijo>>& S, std::vector<double>* Esal,
                      Rango* rangoUsal) const {
    const Trabajo& w = w_[r];
    Tabla t;
    if (w.deltas.empty() || w.deltas[p].empty())
        return t;
    const Rango U = rangoU(r, p, o);
    const Rango V0 = rangoV(r, p, o);
    if (U.vacio() || V0.vacio())
        return t;
    const double ancho = w.L * (D_[p] + 2 * l_.sobreancho);
    const size_t nU = static_cast<size_t>(U.hi - U.lo + 1);
    std::vector<double> E(nU);
    for (size_t k = 0; k < nU; ++k) {
        const long long zi = U.lo + static_cast<long long>(k);
        const double profundidad = w.Gu - static_cast<double>(zi) / 100.0;
        E[k] = w.sinTerrenoV ? ancho * (profundidad + l_.cama) : ancho * profundidad / 2;
    }
    const size_t P = D_.size();
    for (const std::vector<Sufijo>& Ss : S) {
        for (size_t k = 0; k < nU; ++k) {
            if (E[k] == kInf)
                continue;
            const long long zi = U.lo + static_cast<long long>(k);
            double h = kInf;
            for (size_t q = 0; q < P; ++q) {
                if (!o.sinDiametros && D_[q] > D_[p])
                    break;
                h = std::min(h, Ss[q].en(zi + this->k(q, p)));
            }
            E[k] += h;
        }
    }
    const long long dmin = w.deltas[p].front().first;
    const Rango V{V0.lo, std::min(V0.hi, U.hi - dmin)};
    if (!V.vacio()) {
        const size_t nV = static_cast<size_t>(V.hi - V.lo + 1);
        std::vector<double> f(nV, kInf);
        std::deque<long long> cola; // zi of increasing E, ties to the higher zi
        for (const auto& [da, db] : w.deltas[p]) {
            cola.clear();
            long long siguiente = U.lo; // the next zi to enter the window
            for (size_t k = 0; k < nV; ++k) {
                const long long zf = V.lo + static_cast<long long>(k);
                const long long desde = std::max(U.lo, zf + da);
                const long long hasta = std::min(U.hi, zf + db);
                siguiente = std::max(siguiente, desde);
                for (; siguiente <= hasta; ++siguiente) {
                    const double e = E[static_cast<size_t>(siguiente - U.lo)];
                    while (!cola.empty() && E[static_cast<size_t>(cola.back() - U.lo)] >= e)
                        cola.pop_back();
                    cola.push_back(siguiente);
                }
                while (!cola.empty() && cola.front() < desde)
                    cola.pop_front();
                if (!cola.empty())
                    f[k] = std::min(f[k], E[static_cast<size_t>(cola.front() - U.lo)]);
            }
        }
        for (size_t k = 0; k < nV; ++k) {
            if (f[k] == kInf)
                continue;
            const long long zf = V.lo + static_cast<long long>(k);
            if (!w.sinTerrenoV)
                f[k] += ancho * ((w.Gv - static_cast<double>(zf) / 100.0) / 2 + l_.cama);
        }
        // Keep the finite span only.
        size_t a = 0, b = nV;
        while (a < b && f[a] == kInf)
            ++a;
        while (b > a && f[b - 1] == kInf)
            --b;
        t.lo = V.lo + static_cast<long long>(a);
        t.f.assign(f.begin() + static_cast<std::ptrdiff_t>(a),
                   f.begin() + static_cast<std::ptrdiff_t>(b));
    }
    if (Esal)
        *Esal = std::move(E);
    if (rangoUsal)
        *rangoUsal = U;
    return t;
}

bool Disenador::factible(size_t r, const Opciones& o) const {
    const auto S = sufijos(r, o);
    for (size_t p = 0; p < D_.size(); ++p) {
        if (!paso(r, p, o, S).vacia())
            return true;
    }
    return false;
}

void Disenador::adelante(size_t r) {
    Trabajo& w = w_[r];
    const Opciones o;
    const auto S = sufijos(r, o);
    w.F.resize(D_.size());
    bool alguna = false;
    for (size_t p = 0; p < D_.size(); ++p) {
        w.F[p] = paso(r, p, o, S);
        alguna = alguna || !w.F[p].vacia();
    }
    if (alguna) {
        w.estado = Estado::Hecho;
        descartarDominadas(r);
        return;
    }
    w.estado = Estado::Inviable;
    w.motivo = motivoInviable(r);
    w.F.clear();
    w.F.shrink_to_fit();
}

// Drops the table of a pipe that a smaller one beats at every end invert: whatever is chosen
// below, the smaller pipe fits wherever this one does and costs no more, and it wins ties, so
// the table is never read again. Without crown alignment only (with it, a smaller pipe needs
// a larger drop). Where the end node has a fixed invert the reach may have to end at exactly
// that level, so the comparison is level by level; elsewhere on the suffix minima, which is
// all a reach below reads.
void Disenador::descartarDominadas(size_t r) {
    if (l_.alinearClaves)
        return;
    Trabajo& w = w_[r];
    const bool exacta = fija_[static_cast<size_t>(w.v)].has_value();
    std::vector<Sufijo> S;
    for (const Tabla& t : w.F)
        S.push_back(exacta ? Sufijo{t.lo, t.f} : sufijo(t));
    const auto valor = [&](size_t q, long long z) {
        const Sufijo& x = S[q];
        if (exacta && (z < x.lo || z >= x.lo + static_cast<long long>(x.s.size())))
            return kInf;
        return x.en(z);
    };
    for (size_t q = D_.size(); q-- > 1;) {
        if (w.F[q].vacia())
            continue;
        for (size_t a = 0; a < q; ++a) {
            if (w.F[a].vacia())
                continue;
            bool domina = true;
            for (long long z = w.F[q].lo; z <= w.F[q].hi() && domina; ++z)
                domina = valor(a, z) <= valor(q, z);
            if (domina) {
                w.F[q] = Tabla{};
                break;
            }
        }
    }
}

// Why a reach has no design: the limit whose relaxation lets it through, tried from the
// plainest cause on.
std::string Disenador::motivoInviable(size_t r) const {
    const Trabajo& w = w_[r];
    const size_t P = D_.size();
    bool cabe = false, ventana = false;
    for (size_t p = 0; p < P; ++p) {
        cabe = cabe || w.ventana[p];
        ventana = ventana || !w.deltas[p].empty();
    }
    if (!cabe) {
        const bool enU = std::all_of(w.U.begin(), w.U.end(), [](Rango x) { return x.vacio(); });
        return "ningún tubo de la serie cabe entre el recubrimiento mínimo y la profundidad "
               "máxima en el pozo " +
               nodo(enU ? w.u : w.v);
    }
    const std::string noCabe = "ningún tubo de la serie cumple a una pendiente que quepa entre "
                               "los pozos " +
                               nodo(w.u) + " y " + nodo(w.v);
    if (!ventana && !w.conPendientes && !w.colector.empty())
        return w.colector;
    if (!ventana && !w.conPendientes)
        return "ningún tubo de la serie cumple a ninguna pendiente con estos caudales";
    if (!ventana)
        return noCabe;
    const bool fijaU = fija_[static_cast<size_t>(w.u)].has_value();
    const std::string profundidadV = "se superaría la profundidad máxima en el pozo " + nodo(w.v);
    const std::string profundidadU = "se superaría la profundidad máxima en el pozo " + nodo(w.u);
    const std::string cotaFijaU = "no se puede llegar a la cota fija del nodo " + nodo(w.u);
    Opciones solo;
    solo.hijos = false;
    if (!factible(r, solo)) {
        Opciones x = solo;
        x.sinFija = true;
        if (fijaU && factible(r, x))
            return cotaFijaU;
        x = solo;
        x.relajaV = true;
        if (factible(r, x))
            return profundidadV;
        x.relajaU = true;
        if (factible(r, x))
            return profundidadU;
        return noCabe;
    }
    Opciones x;
    x.relajaV = true;
    if (factible(r, x))
        return profundidadV;
    x.relajaU = true;
    if (factible(r, x))
        return profundidadU;
    x = Opciones{};
    x.sinDiametros = true;
    if (factible(r, x))
        return "ningún tubo de la serie que cumpla es de diámetro igual o mayor que los de "
               "los tramos que llegan al pozo " +
               nodo(w.u);
    x = Opciones{};
    x.sinFija = true;
    if (fijaU && factible(r, x))
        return cotaFijaU;
    return "no enlaza con los tramos que llegan al pozo " + nodo(w.u);
}

// Every reach whose flow goes nowhere designed is the outfall of a tree: its end invert is
// free, or the fixed invert of its end node (exactly at an outfall, a weir or a pump; at most
// the minimum drop above it where an undesigned conduit leaves). A root that cannot meet it is
// left out and the reaches into it become roots.
void Disenador::raices() {
    std::vector<size_t> pila;
    for (size_t r = 0; r < w_.size(); ++r) {
        const Trabajo& w = w_[r];
        if (w.estado == Estado::Hecho &&
            (w.padre < 0 || w_[static_cast<size_t>(w.padre)].estado != Estado::Hecho))
            pila.push_back(r);
    }
    std::reverse(pila.begin(), pila.end());
    while (!pila.empty()) {
        const size_t r = pila.back();
        pila.pop_back();
        Trabajo& w = w_[r];
        const auto& z = fija_[static_cast<size_t>(w.v)];
        const bool sinConducto = conductosQueSalen_[static_cast<size_t>(w.v)] == 0;
        double mejor = kInf;
        for (size_t p = 0; p < w.F.size(); ++p) {
            const Tabla& t = w.F[p];
            long long lo = t.lo, hi = t.hi();
            if (z && sinConducto) {
                lo = std::max(lo, *z);
                hi = std::min(hi, *z);
            } else if (z) {
                lo = std::max(lo, *z + kr_);
            }
            for (long long zf = hi; zf >= lo; --zf) {
                const double f = t.f[static_cast<size_t>(zf - t.lo)];
                if (f < mejor) {
                    mejor = f;
                    w.tubo = p;
                    w.zf = zf;
                }
            }
        }
        if (mejor < kInf) {
            atras(r);
            continue;
        }
        w.estado = Estado::Inviable;
        w.motivo = "no se puede llegar a la cota fija del nodo " + nodo(w.v);
        for (auto it = w.hijos.rbegin(); it != w.hijos.rend(); ++it) {
            if (w_[*it].estado == Estado::Hecho)
                pila.push_back(*it);
        }
    }
}

// The way back from a reach whose pipe and end invert are chosen: its start invert, then the
// pipe and end invert of each incoming reach, down to the heads.
void Disenador::atras(size_t raiz) {
    std::vector<size_t> pila{raiz};
    const Opciones o;
    while (!pila.empty()) {
        const size_t r = pila.back();
        pila.pop_back();
        Trabajo& w = w_[r];
        const size_t p = w.tubo;
        const auto S = sufijos(r, o);
        std::vector<double> E;
        Rango U;
        paso(r, p, o, S, &E, &U);
        double mejor = kInf;
        for (auto it = w.deltas[p].rbegin(); it != w.deltas[p].rend(); ++it) {
            const long long desde = std::max(U.lo, w.zf + it->first);
            for (long long zi = std::min(U.hi, w.zf + it->second); zi >= desde; --zi) {
                const double e = E[static_cast<size_t>(zi - U.lo)];
                if (e < mejor) {
                    mejor = e;
                    w.zi = zi;
                }
            }
        }
        for (size_t s : w.hijos) {
            Trabajo& h = w_[s];
            if (h.estado != Estado::Hecho)
                continue;
            double min = kInf;
            for (size_t q = 0; q < h.F.size() && D_[q] <= D_[p]; ++q) {
                const Tabla& t = h.F[q];
                for (long long z = t.hi(); z >= std::max(t.lo, w.zi + k(q, p)); --z) {
                    const double f = t.f[static_cast<size_t>(z - t.lo)];
                    if (f < min) {
                        min = f;
                        h.tubo = q;
                        h.zf = z;
                    }
                }
            }
            pila.push_back(s);
        }
    }
}

std::optional<Diseno> Disenador::ejecutar(const Progreso& progreso, int hilos) {
    preparar();
    const size_t n = w_.size();
    const size_t total = 2 * n;
    size_t hechos = 0;
    const auto cancelado = [&] {
        return progreso.cancelar && progreso.cancelar->load(std::memory_order_relaxed);
    };
    const auto avisar = [&] {
        if (progreso.avance)
            progreso.avance(hechos, total);
    };

    // The slope windows: what the design's time goes into.
    std::vector<size_t> candidatos;
    for (size_t r = 0; r < n; ++r) {
        if (w_[r].estado == Estado::Candidato)
            candidatos.push_back(r);
        else
            ++hechos;
    }
    const size_t lote = std::max<size_t>(64, candidatos.size() / 100);
    for (size_t a = 0; a < candidatos.size(); a += lote) {
        if (cancelado())
            return std::nullopt;
        const size_t b = std::min(candidatos.size(), a + lote);
        red::enParalelo(b - a, std::max(1, hilos), [&](size_t k) {
            if (!cancelado())
                ventanas(candidatos[a + k]);
        });
        if (cancelado())
            return std::nullopt;
        hechos += b - a;
        avisar();
    }

    // Upstream first (Kahn's order on the trees); the reaches never reached are on loops.
    std::vector<size_t> faltan(n, 0), cola;
    for (size_t r : candidatos) {
        faltan[r] = w_[r].hijos.size();
        if (faltan[r] == 0)
            cola.push_back(r);
    }
    for (size_t k = 0; k < cola.size(); ++k) {
        const size_t r = cola[k];
        adelante(r);
        ++hechos;
        if (k % lote == lote - 1) {
            if (cancelado())
                return std::nullopt;
            avisar();
        }
        const int p = w_[r].padre;
        if (p >= 0 && --faltan[static_cast<size_t>(p)] == 0)
            cola.push_back(static_cast<size_t>(p));
    }
    for (size_t r : candidatos) {
        if (w_[r].estado == Estado::Candidato) {
            w_[r].estado = Estado::Bucle;
            w_[r].motivo = "no se diseña: el tramo forma parte de un bucle";
            ++hechos;
        }
    }
    raices();
    if (cancelado())
        return std::nullopt;

    // The result, each designed reach checked by the engine at its very slope.
    Diseno d;
    d.tramos.resize(n);
    std::vector<char> pasa(n, 0);
    red::enParalelo(n, std::max(1, hilos), [&](size_t r) {
        const Trabajo& w = w_[r];
        TramoDisenado& x = d.tramos[r];
        x.enlace = tramos_[r].enlace;
        if (w.estado != Estado::Hecho)
            return;
        std::string error;
        const double i =
            red::pendienteDe(static_cast<double>(w.zi) / 100.0, static_cast<double>(w.zf) / 100.0,
                             w.L, m_.longitudes, error);
        Entradas e = tramos_[r].d;
        e.D = D_[w.tubo];
        e.i = i;
        const Evaluacion ev = evaluar(e, tramos_[r].activas);
        bool cumple = error.empty() && ev.fin == FinEvaluacion::Completa;
        for (size_t c = 0; c < 10 && cumple; ++c)
            cumple = !tramos_[r].activas[c] || ev.condiciones[c].veredicto == Veredicto::Cumple;
        pasa[r] = cumple;
        x.i = i;
    });
    for (size_t r = 0; r < n; ++r) {
        Trabajo& w = w_[r];
        if (w.estado == Estado::Hecho && !pasa[r]) {
            w.estado = Estado::Inviable;
            w.motivo = "el diseño no cumple alguna condición a su pendiente";
        }
    }
    d.cotaNodo.assign(m_.nodos.size(), std::nullopt);
    const auto bajar = [&](int v, long long z) {
        auto& c = d.cotaNodo[static_cast<size_t>(v)];
        c = c ? std::min(*c, z) : z;
    };
    for (size_t r = 0; r < n; ++r) {
        const Trabajo& w = w_[r];
        TramoDisenado& x = d.tramos[r];
        if (w.estado != Estado::Hecho) {
            x.sinDiseno = w.motivo;
            x.i = 0;
            continue;
        }
        const double D = D_[w.tubo];
        x.tubo = orden_[w.tubo];
        x.cotaInicio = w.zi;
        x.cotaFin = w.zf;
        x.profundidadInicio = w.Gu - static_cast<double>(w.zi) / 100.0;
        x.profundidadFin = w.Gv - static_cast<double>(w.zf) / 100.0;
        x.recubrimientoInicio = w.Gu - (static_cast<double>(w.zi) / 100.0 + D);
        x.recubrimientoFin = w.Gv - (static_cast<double>(w.zf) / 100.0 + D);
        // The fall of the highest incoming pipe decides whether the manhole needs a drop.
        std::optional<long long> entra;
        for (size_t s : w.hijos) {
            if (w_[s].estado == Estado::Hecho)
                entra = entra ? std::max(*entra, w_[s].zf) : w_[s].zf;
        }
        const long long resalto = entra ? *entra - w.zi : 0;
        x.resalto = static_cast<double>(resalto) / 100.0;
        d.resaltos += resalto > 0;
        d.pozosDeResalto += resalto > kPozoDeResalto;
        const double media =
            w.sinTerrenoV ? x.profundidadInicio : (x.profundidadInicio + x.profundidadFin) / 2;
        x.coste = w.L * (D + 2 * l_.sobreancho) * (media + l_.cama);
        d.coste += x.coste;
        bajar(w.u, w.zi);
        bajar(w.v, w.zf);
    }
    hechos = total;
    avisar();
    return d;
}

} // namespace

bool Diseno::completo() const {
    return std::all_of(tramos.begin(), tramos.end(),
                       [](const TramoDisenado& t) { return t.sinDiseno.empty(); });
}

bool cumpleRecubrimiento(double terreno, long long cota, double D, double recubrimiento) {
    return terreno - (static_cast<double>(cota) / 100.0 + D) >= recubrimiento - kTolerancia;
}

bool cumpleProfundidad(double terreno, long long cota, double profundidadMaxima) {
    return terreno - static_cast<double>(cota) / 100.0 <= profundidadMaxima + kTolerancia;
}

long long desnivelMinimo(double metros) {
    return static_cast<long long>(std::ceil(metros * 100.0 - 1e-6));
}

long long centimetros(double metros) {
    return std::llround(metros * 100.0);
}

std::optional<std::string> errorDeLimites(const red::ModeloRed& m, const Limites& l) {
    const auto finito = [](double x) { return std::isfinite(x); };
    if (!finito(l.recubrimiento) || l.recubrimiento < 0)
        return "el recubrimiento mínimo no puede ser negativo";
    if (!finito(l.profundidadMaxima) || l.profundidadMaxima <= 0)
        return "la profundidad máxima debe ser mayor que cero";
    if (l.profundidadMaxima > 100)
        return "la profundidad máxima no puede pasar de 100 m";
    if (l.recubrimiento >= l.profundidadMaxima)
        return "el recubrimiento mínimo debe ser menor que la profundidad máxima";
    if (!finito(l.resaltoMinimo) || l.resaltoMinimo < 0)
        return "el resalto mínimo no puede ser negativo";
    if (l.resaltoMinimo > l.profundidadMaxima)
        return "el resalto mínimo no puede ser mayor que la profundidad máxima";
    if (!finito(l.sobreancho) || l.sobreancho < 0)
        return "el sobreancho de la zanja no puede ser negativo";
    if (!finito(l.cama) || l.cama < 0)
        return "el espesor de la cama no puede ser negativo";
    std::unordered_map<std::string_view, int> vistos;
    for (const red::Nodo& n : m.nodos)
        vistos.emplace(n.id, 0);
    for (const auto& [id, z] : l.fijas) {
        const auto it = vistos.find(id);
        if (it == vistos.end())
            return "el nodo " + comillas(id) + " de la cota fija no está en el modelo";
        if (it->second++ > 0)
            return "el nodo " + comillas(id) + " tiene dos cotas fijas";
        if (!finito(z) || std::fabs(z) > 1e6)
            return "la cota fija del nodo " + comillas(id) + " no es una cota válida";
    }
    return std::nullopt;
}

std::optional<Diseno> disenar(const red::ModeloRed& m, const red::Topologia& t,
                              const std::vector<TramoADisenar>& tramos,
                              const std::vector<Tubo>& serie, const Limites& l,
                              const Progreso& progreso, int hilos) {
    Disenador d(m, t, tramos, serie, l);
    return d.ejecutar(progreso, hilos);
}

} // namespace colvero::diseno
