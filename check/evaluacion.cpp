#include "check/evaluacion.h"

#include "hydraulics/aritmetica.h"
#include "hydraulics/relaciones.h"
#include "hydraulics/seccion.h"

#include <cassert>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace colvero {

namespace {

using hidraulica::dividir;
using hidraulica::EstadoFlujo;
using hidraulica::finito;

constexpr double kSinCalcular = std::numeric_limits<double>::quiet_NaN();

// A flow state with the collector data; every computed field NaN until a procedure writes it
// (the procedures only ever write finite values).
EstadoFlujo estadoInicial(const Entradas& d) {
    EstadoFlujo e;
    e.Q = e.v = e.y = e.yD = e.AAf = e.A = e.teta = e.P = e.Rh = e.K = e.T = e.L = e.F =
        kSinCalcular;
    e.D = d.D;
    e.n = d.n;
    e.i = d.i;
    return e;
}

} // namespace

// One pass over the conditions. Each condition writes its outcome into the result as soon as
// it is decided and its quantities as the procedures compute them.
class Evaluador {
public:
    Evaluador(const Entradas& d, Evaluacion& r, bool avisos, MemoriaColector* memoria = nullptr,
              bool cotas = false)
        : d_(d), r_(r), avisos_(avisos), cotas_(cotas), memoria_(memoria),
          areaLlena_(hidraulica::All1(d.D)) {}

    void condicion(int k) {
        switch (k) {
        case 1:
            return condicion1();
        case 2:
            return velocidad(2, d_.Vmax, [this](double v) { return v <= d_.Vmax; });
        case 3:
            return velocidad(3, d_.Vmin, [this](double v) { return v >= d_.Vmin; });
        case 4:
            return conFlujo(4, [this](const EstadoFlujo& e) { return e.yD <= d_.yDmax; });
        case 5:
            return condicion5();
        case 6:
            return conFlujo(6, [this](const EstadoFlujo& e) { return e.F > d_.Fmin; });
        case 7:
            return conFlujo(7, [this](const EstadoFlujo& e) { return e.F <= d_.Fmax; });
        case 8:
            return decide(8, !(d_.Imin >= d_.i));
        case 9:
            return decide(9, d_.Imax >= d_.i);
        case 10:
            return condicion10();
        }
    }

private:
    ResultadoCondicion& res(int k) { return r_.condiciones[k - 1]; }
    void decide(int k, bool cumple) {
        res(k).veredicto = cumple ? Veredicto::Cumple : Veredicto::NoCumple;
        res(k).margen = margen(k);
        if (cotas_) {
            try {
                cotasMargen(k);
            } catch (const hidraulica::ErrorAritmetico&) {
                res(k).margenMinimo = res(k).margenMaximo = kSinCalcular;
            }
        }
    }

    // The margin of condition k when its quantity is q, and the size of the numbers it
    // subtracts.
    std::pair<double, double> margenCon(int k, double q) const {
        double limite = 0;
        switch (k) {
        case 2:
            return {d_.Vmax - q, std::abs(d_.Vmax) + std::abs(q)};
        case 3:
            limite = d_.Vmin;
            break;
        case 4:
            // The fill ratio's rounding is absolute near an empty section.
            return {d_.yDmax - q, std::abs(d_.yDmax) + std::abs(q) + 100.0};
        case 5:
            limite = d_.dpMin;
            break;
        case 6:
            limite = d_.Fmin;
            break;
        case 7:
            return {d_.Fmax - q, std::abs(d_.Fmax) + std::abs(q)};
        }
        return {q - limite, std::abs(limite) + std::abs(q)};
    }

    // Condition k's quantity at a depth y of the bracket of its normal flow, with the geometry
    // g of y; the limit as the depth goes to 0 for y = 0.
    double cantidadEn(int k, double y, const hidraulica::GeometriaProfundidad& g,
                      double raizI) const {
        if (y == 0) {
            return 0; // v, y/D, Rh·i and F all vanish with the depth
        }
        switch (k) {
        case 4:
            return hidraulica::PY1(hidraulica::Y1(d_.D, g.teta), d_.D);
        case 5:
            return arrastre(g.Rh);
        case 6:
        case 7: {
            const double v = hidraulica::V2Raiz(raizI, d_.n, g.Rh23);
            return hidraulica::F1(v, hidraulica::L1(hidraulica::T1(d_.D, g.teta), g.A));
        }
        }
        return hidraulica::V2Raiz(raizI, d_.n, g.Rh23);
    }

    // Whether condition k's quantity is monotone in the depth between a and b (fractions of D):
    // the fill ratio always; the velocity and Rh up to their peak at 0.8128·D and beyond it;
    // the Froude number at one slope up to its peak at 0.2969·D and beyond it.
    static bool monotona(int k, double a, double b) {
        if (k == 4) {
            return true;
        }
        const double pico = k == 6 || k == 7 ? 0.2969 : 0.8128;
        return b <= pico - 0.002 || a >= pico + 0.003;
    }

    // margenMinimo and margenMaximo of condition k, just decided by a comparison.
    void cotasMargen(int k) {
        ResultadoCondicion& c = res(k);
        double minimo = c.margen, maximo = c.margen, escala = 0;
        switch (k) {
        case 1:
            escala = std::abs(r_.caudalLleno) + std::abs(d_.Q[0]);
            break;
        case 8:
        case 9:
            escala = std::abs(d_.i) + std::abs(k == 8 ? d_.Imin : d_.Imax);
            break;
        case 10:
            escala = std::abs(r_.flujoAutolimpieza.v) + std::abs(d_.Vmin10);
            break;
        default: {
            const std::optional<hidraulica::InformeTeta3>& b = r_.busqueda[k - 2];
            // A bracket that no trial lowered, or one that ran out, bounds nothing.
            if (!b || b->fin != hidraulica::FinTeta3::Tolerancia || !(b->alto < d_.D) ||
                !monotona(k, b->bajo / d_.D, b->alto / d_.D)) {
                return;
            }
            const double raizI = k == 4 || k == 5 ? 0 : hidraulica::potencia(d_.i, 0.5);
            const auto [m1, e1] = margenCon(k, cantidadEn(k, b->bajo, b->geometriaBajo, raizI));
            const auto [m2, e2] = margenCon(k, cantidadEn(k, b->alto, b->geometriaAlto, raizI));
            minimo = std::min(m1, m2);
            maximo = std::max(m1, m2);
            escala = std::max(e1, e2);
        }
        }
        // The relations round to some 1e-15 of the numbers they take.
        const double holgura = 1e-12 * escala;
        c.margenMinimo = minimo - holgura;
        c.margenMaximo = maximo + holgura;
    }

    // Shields: the largest particle (mm) that the flow moves at the hydraulic radius Rh.
    double arrastre(double Rh) const {
        const double empuje = finito(finito(Rh * d_.gammaAgua) * d_.i);
        const double resistencia = finito(0.047 * finito(d_.gammaParticula - d_.gammaAgua));
        return finito(1000.0 * dividir(empuje, resistencia));
    }

    double margen(int k) const {
        const auto& normal = r_.flujoNormal;
        switch (k) {
        case 1:
            return r_.caudalLleno - d_.Q[0];
        case 2:
            return d_.Vmax - normal[0].v;
        case 3:
            return normal[1].v - d_.Vmin;
        case 4:
            return d_.yDmax - normal[2].yD;
        case 5:
            return r_.diametroArrastre - d_.dpMin;
        case 6:
            return normal[4].F - d_.Fmin;
        case 7:
            return d_.Fmax - normal[5].F;
        case 8:
            return d_.i - d_.Imin;
        case 9:
            return d_.Imax - d_.i;
        default:
            return r_.flujoAutolimpieza.v - d_.Vmin10;
        }
    }
    void error(int k, DatoErroneo dato) {
        res(k).veredicto = Veredicto::ErrorDeDato;
        res(k).dato = dato;
    }

    // The full-section flow at this slope for the two-depth flag, whether or not condition 1
    // runs. A fault here is not the run's: the flag is then left unset.
    double caudalLlenoAviso() {
        if (!qllAvisoCalculado_) {
            qllAvisoCalculado_ = true;
            try {
                EstadoFlujo e = estadoInicial(d_);
                e.y = finito(d_.D - 1e-11);
                hidraulica::TEO6(e);
                qllAviso_ = e.Q;
            } catch (const hidraulica::ErrorAritmetico&) {
                qllAviso_ = kSinCalcular;
            }
        }
        return qllAviso_;
    }

    // Normal flow of condition k after the capacity test. False when its flow exceeds the
    // largest flow of the section.
    bool flujoNormal(int k) {
        const double Q = d_.Q[k - 1];
        res(k).holguraCapacidad = caudalMaximo() - Q;
        if (Q > caudalMaximo()) {
            res(k).veredicto = Veredicto::CapacidadInsuficiente;
            res(k).margen = res(k).holguraCapacidad;
            return false;
        }
        EstadoFlujo& e = r_.flujoNormal[k - 2];
        // The normal flow depends on the flow alone at one slope: an earlier condition of this
        // pass, or the memory, may have it already.
        for (int j = 2; j < k; ++j) {
            if (normalCalculada_[j - 2] && d_.Q[j - 1] == Q) {
                e = r_.flujoNormal[j - 2];
                r_.busqueda[k - 2] = r_.busqueda[j - 2];
                normalCalculada_[k - 2] = true;
                return true;
            }
        }
        if (memoria_) {
            for (const MemoriaColector::Normal& m : memoria_->normales_) {
                if (m.Q == Q) {
                    e = m.estado;
                    r_.busqueda[k - 2] = m.informe;
                    normalCalculada_[k - 2] = true;
                    return true;
                }
            }
        }
        e = estadoInicial(d_);
        e.Q = Q;
        r_.busqueda[k - 2] = hidraulica::TEO4(e, seccion());
        normalCalculada_[k - 2] = true;
        if (memoria_) {
            memoria_->normales_.push_back({Q, e, *r_.busqueda[k - 2]});
        }
        return true;
    }

    // Qmax at this slope, computed once per pass; a memory keeps it, and the normal flows, for
    // one slope.
    double caudalMaximo() {
        if (!std::isnan(qmax_)) {
            return qmax_;
        }
        if (memoria_ && memoria_->pendiente_ == d_.i) {
            return qmax_ = memoria_->qmax_;
        }
        double qmax = 0, vmax = 0, ymax = 0;
        hidraulica::Qmax(qmax, vmax, ymax, d_.D, d_.n, d_.i, seccion());
        if (memoria_) {
            memoria_->pendiente_ = d_.i;
            memoria_->qmax_ = qmax;
            memoria_->normales_.clear();
        }
        return qmax_ = qmax;
    }

    hidraulica::MemoriaSeccion* seccion() { return memoria_ ? &memoria_->seccion_ : nullptr; }

    void avisoDosCalados(int k) {
        if (avisos_ && d_.Q[k - 1] > caudalLlenoAviso()) {
            res(k).dosCalados = true;
        }
    }

    template <typename Cumple> void conFlujo(int k, Cumple cumple) {
        if (d_.Q[k - 1] <= 0) {
            return error(k, DatoErroneo::CaudalNoPositivo);
        }
        if (flujoNormal(k)) {
            decide(k, cumple(r_.flujoNormal[k - 2]));
            avisoDosCalados(k);
        }
    }

    template <typename Cumple> void velocidad(int k, double limite, Cumple cumple) {
        if (limite <= 0) {
            return error(k, DatoErroneo::VelocidadNoPositiva);
        }
        conFlujo(k, [&cumple](const EstadoFlujo& e) { return cumple(e.v); });
    }

    void condicion1() {
        if (d_.Q[0] <= 0) {
            return error(1, DatoErroneo::CaudalNoPositivo);
        }
        EstadoFlujo e = estadoInicial(d_);
        e.y = finito(d_.D - 1e-11); // just below the full section, whose top width is 0
        try {
            hidraulica::TEO6(e, seccion());
        } catch (...) {
            r_.caudalLleno = e.Q;
            throw;
        }
        r_.caudalLleno = e.Q;
        qllAviso_ = e.Q;
        qllAvisoCalculado_ = true;
        decide(1, !(d_.Q[0] > e.Q));
    }

    void condicion5() {
        if (d_.Q[4] <= 0) {
            return error(5, DatoErroneo::CaudalNoPositivo);
        }
        if (!flujoNormal(5)) {
            return;
        }
        // Equal specific weights make the divisor 0, an arithmetic error that ends the run.
        r_.diametroArrastre = arrastre(r_.flujoNormal[3].Rh);
        decide(5, r_.diametroArrastre > d_.dpMin);
        avisoDosCalados(5);
    }

    void condicion10() {
        if (d_.yD10 <= 0) {
            return error(10, DatoErroneo::LlenadoNoPositivo);
        }
        if (d_.yD10 > 100) {
            return error(10, DatoErroneo::LlenadoMayorQue100);
        }
        // The full section itself has no hydraulic depth: test just below it.
        const double r = d_.yD10 == 100 ? 100 - 1e-11 : d_.yD10;
        EstadoFlujo& e = r_.flujoAutolimpieza;
        e = estadoInicial(d_);
        e.y = finito((d_.D * r) / 100);
        hidraulica::TEO6(e, seccion());
        if (e.A > areaLlena_) {
            res(10).veredicto = Veredicto::CapacidadInsuficiente;
            return;
        }
        decide(10, !(d_.Vmin10 > e.v));
    }

    const Entradas& d_;
    Evaluacion& r_;
    bool avisos_; // whether to set the two-depth flags
    bool cotas_;  // whether to bound the margins
    MemoriaColector* memoria_;
    double areaLlena_; // m2
    double qmax_ = kSinCalcular;
    std::array<bool, 6> normalCalculada_{}; // conditions 2 to 7 whose normal flow this pass has
    bool qllAvisoCalculado_ = false;
    double qllAviso_ = kSinCalcular;
};

Evaluacion::Evaluacion()
    : caudalLleno(kSinCalcular), diametroArrastre(kSinCalcular),
      flujoAutolimpieza(estadoInicial(Entradas{})) {
    flujoNormal.fill(flujoAutolimpieza);
}

const char* mensajeColector(ColectorInvalido motivo) {
    switch (motivo) {
    case ColectorInvalido::ManningPequeno:
        return "El Nº de Manning ha de ser superior a 0.0001";
    case ColectorInvalido::ManningGrande:
        return "El Nº de Manning ha de ser inferior a 0.3";
    case ColectorInvalido::DiametroNoPositivo:
        return "El diámetro ha de ser superior a 0";
    case ColectorInvalido::PendienteNoPositiva:
        return "La pendiente ha de ser superior al 0%";
    case ColectorInvalido::Ninguno:
        break;
    }
    return "";
}

ColectorInvalido validarColector(const Entradas& d) {
    if (!(d.n > 0.0001)) {
        return ColectorInvalido::ManningPequeno;
    }
    if (!(d.n <= 0.3)) {
        return ColectorInvalido::ManningGrande;
    }
    if (!(d.D > 0)) {
        return ColectorInvalido::DiametroNoPositivo;
    }
    if (!(d.i > 0)) {
        return ColectorInvalido::PendienteNoPositiva;
    }
    return ColectorInvalido::Ninguno;
}

Evaluacion evaluar(const Entradas& d, const Activas& activas) {
    Evaluacion r;
    r.colector = validarColector(d);
    if (r.colector != ColectorInvalido::Ninguno) {
        r.fin = FinEvaluacion::ColectorInvalido;
        return r;
    }
    int k = 0;
    try {
        Evaluador evaluador(d, r, true);
        for (k = 1; k <= 10; ++k) {
            if (activas[k - 1]) {
                evaluador.condicion(k);
            }
        }
    } catch (const hidraulica::ErrorAritmetico&) {
        r.fin = FinEvaluacion::ErrorAritmetico;
        r.condicionInterrumpida = k;
        if (k >= 1 && k <= 10) {
            r.condiciones[k - 1] = ResultadoCondicion{};
        }
    }
    return r;
}

void MemoriaColector::reiniciar(double D, double n) {
    n_ = n;
    seccion_.reiniciar(D);
    pendiente_ = 0;
    normales_.clear();
}

ResultadoCondicion evaluarCondicion(const Entradas& d, int k, MemoriaColector* memoria) {
    if (!memoria) {
        Evaluacion r;
        Evaluador(d, r, false, nullptr, true).condicion(k);
        return r.condiciones[k - 1];
    }
    assert(memoria->seccion_.diametro() == d.D && memoria->n_ == d.n);
    Evaluacion& r = memoria->resultado_;
    r.condiciones[k - 1] = ResultadoCondicion{};
    Evaluador(d, r, false, memoria, true).condicion(k);
    return r.condiciones[k - 1];
}

int sentidoMargen(const Entradas& d, int k) {
    switch (k) {
    case 2:
    case 7:
    case 9:
        return -1;
    case 5:
        // dp is Rh·i times 1000·γw / (0.047·(γp − γw)): a particle lighter than water turns it.
        return (d.gammaAgua < 0) != (d.gammaParticula - d.gammaAgua < 0) ? -1 : 1;
    }
    return 1;
}

} // namespace colvero
