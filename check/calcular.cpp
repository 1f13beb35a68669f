#include "check/calcular.h"

#include "check/leyendas.h"
#include "check/numero.h"
#include "hydraulics/aritmetica.h"
#include "hydraulics/estado_flujo.h"
#include "hydraulics/relaciones.h"

#include <optional>
#include <string>

namespace colvero {

namespace {

using hidraulica::dividir;
using hidraulica::EstadoFlujo;
using hidraulica::finito;

// A field text that is not a number in the user's locale.
struct DatoNoNumerico {
    CampoNumerico campo;
};

// The 22 numeric inputs of a run, converted.
struct Entradas {
    double D, n, i;
    double Q[7];
    double Vmax, Vmin, yDmax, gammaAgua, gammaParticula, dpMin, Fmin, Fmax, Imin, Imax, yD10,
        Vmin10;
};

Entradas convertir(const Calculo& c, char sep) {
    const auto num = [sep](const std::string& texto, CampoNumerico campo) {
        const std::optional<double> x = leerNumero(texto, sep);
        if (!x) {
            throw DatoNoNumerico{campo};
        }
        return *x;
    };
    using C = CampoNumerico;
    const Criterio& cr = c.criterio;
    Entradas e{};
    // The window's order of conversion.
    e.D = num(c.colector.D, C::D);
    e.n = num(c.colector.n, C::n);
    e.i = num(c.colector.i, C::i);
    e.Q[0] = num(c.caudal[0], C::Q1);
    e.Q[1] = num(c.caudal[1], C::Q2);
    e.Vmax = num(cr.Vmax, C::Vmax);
    e.Q[2] = num(c.caudal[2], C::Q3);
    e.Vmin = num(cr.Vmin, C::Vmin);
    e.Q[3] = num(c.caudal[3], C::Q4);
    e.yDmax = num(cr.yDmax, C::yDmax);
    e.Q[4] = num(c.caudal[4], C::Q5);
    e.gammaAgua = num(cr.gammaAgua, C::gammaAgua);
    e.gammaParticula = num(cr.gammaParticula, C::gammaParticula);
    e.dpMin = num(cr.dpMin, C::dpMin);
    e.Q[5] = num(c.caudal[5], C::Q6);
    e.Fmin = num(cr.Fmin, C::Fmin);
    e.Q[6] = num(c.caudal[6], C::Q7);
    e.Fmax = num(cr.Fmax, C::Fmax);
    e.Imin = num(cr.Imin, C::Imin);
    e.Imax = num(cr.Imax, C::Imax);
    e.yD10 = num(cr.yD10, C::yD10);
    e.Vmin10 = num(cr.Vmin10, C::Vmin10);
    return e;
}

// The collector message of invalid data, or nothing.
const char* validarColector(const Entradas& d) {
    if (!(d.n > 0.0001)) {
        return "El Nº de Manning ha de ser superior a 0.0001";
    }
    if (!(d.n <= 0.3)) {
        return "El Nº de Manning ha de ser inferior a 0.3";
    }
    if (!(d.D > 0)) {
        return "El diámetro ha de ser superior a 0";
    }
    if (!(d.i > 0)) {
        return "La pendiente ha de ser superior al 0%";
    }
    return nullptr;
}

// One run in progress: the verdicts go straight into the result as they are decided, the
// display texts are held back until the run completes.
class Ejecucion {
public:
    Ejecucion(const Entradas& d, ValoresGuardados& g, ResultadoCalculo& r, char sep)
        : d_(d), g_(g), r_(r), sep_(sep), areaLlena_(hidraulica::All1(d.D)) {}

    void condicion(int k) {
        switch (k) {
        case 1:
            return condicion1();
        case 2:
            return condicion2();
        case 3:
            return condicion3();
        case 4:
            return condicion4();
        case 5:
            return condicion5();
        case 6:
            return condicion6();
        case 7:
            return condicion7();
        case 8:
            return condicion8();
        case 9:
            return condicion9();
        case 10:
            return condicion10();
        }
    }

    // Step 7: a field of a condition that produced no value ends empty.
    CamposCalculados campos() const {
        CamposCalculados c;
        c.Text37 = t37_;
        c.Text38 = t38_;
        c.Text47 = t47_;
        c.Text52 = t52_;
        c.Text55 = t55_;
        c.Text19 = t19_;
        c.Text59 = t59_;
        c.Text60 = t60_;
        c.Text62 = conversionSimple(g_.I8, sep_);
        c.Text61 = conversionSimple(g_.I9, sep_);
        c.Text73 = t73_;
        return c;
    }

private:
    std::string& nota(int k) { return r_.notas[k - 1]; }
    std::string texto(double x) const { return formato1(x, sep_); }

    EstadoFlujo estado() const {
        EstadoFlujo e;
        e.D = d_.D;
        e.n = d_.n;
        e.i = d_.i;
        return e;
    }

    // The stored value of a condition is the very field of the flow state that the condition
    // takes: it changes exactly when the procedure writes that field, even when a later step of
    // the procedure fails.
    template <typename Procedimiento>
    static void conGuardado(EstadoFlujo& e, double EstadoFlujo::*campo, double& guardado,
                            Procedimiento procedimiento) {
        e.*campo = guardado;
        try {
            procedimiento(e);
        } catch (...) {
            guardado = e.*campo;
            throw;
        }
        guardado = e.*campo;
    }

    // Normal flow of Q, after the capacity test. False when Q exceeds the largest flow.
    bool flujoNormal(double Q, double EstadoFlujo::*campo, double& guardado) {
        double qmax = 0, vmax = 0, ymax = 0;
        hidraulica::Qmax(qmax, vmax, ymax, d_.D, d_.n, d_.i);
        if (Q > qmax) {
            return false;
        }
        EstadoFlujo e = estado();
        e.Q = Q;
        conGuardado(e, campo, guardado, [](EstadoFlujo& s) { hidraulica::TEO4(s); });
        return true;
    }

    void condicion1() {
        const double Q = d_.Q[0];
        if (Q <= 0) {
            nota(1) = "(1)  [ERROR]  Q1<=0";
            return;
        }
        EstadoFlujo e = estado();
        e.y = finito(d_.D - 1e-11); // just below the full section, whose top width is 0
        conGuardado(e, &EstadoFlujo::Q, g_.Qll, hidraulica::TEO6);
        nota(1) = Q > g_.Qll ? "(1)  [NO]  Qll < Q1" : "(1)  [SI]  Qll > Q1";
        t37_ = texto(g_.Qll);
    }

    void condicion2() {
        const double Q = d_.Q[1];
        if (d_.Vmax <= 0) {
            nota(2) = "(2)  [ERROR]  V2<=0";
        } else if (Q <= 0) {
            nota(2) = "(2)  [ERROR]  Q2<=0";
        } else if (!flujoNormal(Q, &EstadoFlujo::v, g_.Vel2)) {
            nota(2) = "(2)  [NO]  Capacidad insuficiente";
        } else {
            nota(2) = g_.Vel2 <= d_.Vmax ? "(2)  [SI]  V2 < Vmax" : "(2)  [NO]  V2 > Vmax";
            t38_ = texto(g_.Vel2);
        }
    }

    void condicion3() {
        const double Q = d_.Q[2];
        if (d_.Vmin <= 0) {
            nota(3) = "(3)  [ERROR]  V3<=0";
        } else if (Q <= 0) {
            nota(3) = "(3)  [ERROR]  Q3<=0";
        } else if (!flujoNormal(Q, &EstadoFlujo::v, g_.Vel3)) {
            nota(3) = "(3)  [NO]  Capacidad insuficiente";
        } else {
            nota(3) = g_.Vel3 >= d_.Vmin ? "(3)  [SI]  V3 > Vmin" : "(3)  [NO]  V3 < Vmin";
            t47_ = texto(g_.Vel3);
        }
    }

    void condicion4() {
        const double Q = d_.Q[3];
        if (Q <= 0) {
            nota(4) = "(4)  [ERROR]  Q4<=0";
        } else if (!flujoNormal(Q, &EstadoFlujo::yD, g_.yD4)) {
            nota(4) = "(4)  [NO]  Capacidad insuficiente";
        } else {
            nota(4) = g_.yD4 <= d_.yDmax ? "(4)  [SI]  (y/D)4 < (y/D)max"
                                         : "(4)  [NO]  (y/D)4 > (y/D)max";
            t52_ = texto(g_.yD4);
        }
    }

    void condicion5() {
        const double Q = d_.Q[4];
        if (Q <= 0) {
            nota(5) = "(5)  [ERROR]  Q5<=0";
            return;
        }
        if (!flujoNormal(Q, &EstadoFlujo::Rh, g_.Rh5)) {
            nota(5) = "(5)  [NO]  Capacidad insuficiente";
            return;
        }
        // Shields: the largest particle (mm) that the flow moves. Equal specific weights make
        // the divisor 0, an arithmetic error that ends the run.
        const double empuje = finito(finito(g_.Rh5 * d_.gammaAgua) * d_.i);
        const double resistencia = finito(0.047 * finito(d_.gammaParticula - d_.gammaAgua));
        g_.dp5 = finito(1000.0 * dividir(empuje, resistencia));
        nota(5) = g_.dp5 > d_.dpMin ? "(5)  [SI]  (dp)5 > (dp)min" : "(5)  [NO]  (dp)5 < (dp)min";
        t55_ = texto(g_.Rh5);
        t19_ = texto(g_.dp5);
    }

    void condicion6() {
        const double Q = d_.Q[5];
        if (Q <= 0) {
            nota(6) = "(6)  [ERROR]  Q6<=0";
        } else if (!flujoNormal(Q, &EstadoFlujo::F, g_.F6)) {
            nota(6) = "(6)  [NO]  Capacidad insuficiente";
        } else {
            nota(6) = g_.F6 > d_.Fmin ? "(6)  [SI]  F6 > Fmin" : "(6)  [NO]  F6 < Fmin";
            t59_ = texto(g_.F6);
        }
    }

    void condicion7() {
        const double Q = d_.Q[6];
        if (Q <= 0) {
            nota(7) = "(7)  [ERROR]  Q7<=0";
        } else if (!flujoNormal(Q, &EstadoFlujo::F, g_.F7)) {
            nota(7) = "(7)  [NO]  Capacidad insuficiente";
        } else {
            nota(7) = g_.F7 <= d_.Fmax ? "(7)  [SI]  F7 < Fmax" : "(7)  [NO]  F7 > Fmax";
            t60_ = texto(g_.F7);
        }
    }

    void condicion8() {
        g_.I8 = d_.i;
        nota(8) = d_.Imin >= d_.i ? "(8)  [NO]  I8 < Imin" : "(8)  [SI]  I8 > Imin";
    }

    void condicion9() {
        g_.I9 = d_.i;
        nota(9) = d_.Imax >= d_.i ? "(9)  [SI]  I9 < Imax" : "(9)  [NO]  I9 > Imax";
    }

    void condicion10() {
        if (d_.yD10 <= 0) {
            nota(10) = "(10)  [ERROR]  (y/D)<=0%";
            return;
        }
        if (d_.yD10 > 100) {
            nota(10) = "(10)  [ERROR]  (y/D)>100%";
            return;
        }
        // The full section itself has no hydraulic depth: test just below it.
        const double r = d_.yD10 == 100 ? 100 - 1e-11 : d_.yD10;
        EstadoFlujo e = estado();
        e.y = finito((d_.D * r) / 100);
        conGuardado(e, &EstadoFlujo::v, g_.Vel10, hidraulica::TEO6);
        if (e.A > areaLlena_) {
            nota(10) = "(10)  [NO]  Capacidad insuficiente";
            return;
        }
        nota(10) = d_.Vmin10 > g_.Vel10 ? "(10) [NO]  V10 < Vmin10" : "(10) [SI]  V10 > Vmin10";
        t73_ = texto(g_.Vel10);
    }

    const Entradas& d_;   // the converted inputs of the run
    ValoresGuardados& g_; // the stored values, overwritten as the conditions compute them
    ResultadoCalculo& r_; // receives each verdict line as soon as it is decided
    char sep_;            // decimal separator of the display texts
    double areaLlena_;    // m2
    // Display texts of the computed fields, by control name; empty until the condition
    // produces its value.
    std::string t37_, t38_, t47_, t52_, t55_, t19_, t59_, t60_, t73_;
};

} // namespace

const char* nombreCampo(CampoNumerico campo) {
    switch (campo) {
    case CampoNumerico::D:
        return leyendas::kDiametro;
    case CampoNumerico::n:
        return leyendas::kManning;
    case CampoNumerico::i:
        return leyendas::kPendiente;
    case CampoNumerico::Q1:
        return "Caudal de la condición (1)";
    case CampoNumerico::Q2:
        return "Caudal de la condición (2)";
    case CampoNumerico::Vmax:
        return "Vmax (m/s) de la condición (2)";
    case CampoNumerico::Q3:
        return "Caudal de la condición (3)";
    case CampoNumerico::Vmin:
        return "Vmin (m/s) de la condición (3)";
    case CampoNumerico::Q4:
        return "Caudal de la condición (4)";
    case CampoNumerico::yDmax:
        return "(y/D)max (%) de la condición (4)";
    case CampoNumerico::Q5:
        return "Caudal de la condición (5)";
    case CampoNumerico::gammaAgua:
        return "Peso específico del agua (t/m3) de la condición (5)";
    case CampoNumerico::gammaParticula:
        return "Peso específico de la partícula (t/m3) de la condición (5)";
    case CampoNumerico::dpMin:
        return "Diámetro de la partícula (mm) de la condición (5)";
    case CampoNumerico::Q6:
        return "Caudal de la condición (6)";
    case CampoNumerico::Fmin:
        return "Fmin de la condición (6)";
    case CampoNumerico::Q7:
        return "Caudal de la condición (7)";
    case CampoNumerico::Fmax:
        return "Fmax de la condición (7)";
    case CampoNumerico::Imin:
        return "Imin (m/m) de la condición (8)";
    case CampoNumerico::Imax:
        return "Imax (m/m) de la condición (9)";
    case CampoNumerico::yD10:
        return "(y/D) (%) de la condición (10)";
    case CampoNumerico::Vmin10:
        return "Vmin10 (m/s) de la condición (10)";
    }
    return "";
}

ResultadoCalculo calcular(const Calculo& calculo, ValoresGuardados& guardados,
                          char separadorDecimal) {
    ResultadoCalculo r; // every field and verdict "-"
    try {
        const Entradas d = convertir(calculo, separadorDecimal);
        if (const char* mensaje = validarColector(d)) {
            r.fin = FinCalculo::ColectorInvalido;
            r.notaCol = mensaje;
            return r;
        }
        Ejecucion ejecucion(d, guardados, r, separadorDecimal);
        for (int k = 1; k <= 10; ++k) {
            if (calculo.criterio.activa[k - 1]) {
                ejecucion.condicion(k);
            }
        }
        r.campos = ejecucion.campos();
        r.fin = FinCalculo::Realizado;
        r.notaCalC = kRealizado;
    } catch (const DatoNoNumerico& dato) {
        r.fin = FinCalculo::Error;
        r.notaCalC = kDatosErroneos;
        r.campoErroneo = dato.campo;
    } catch (const hidraulica::ErrorAritmetico&) {
        r.fin = FinCalculo::Error;
        r.notaCalC = kDatosErroneos;
    }
    return r;
}

} // namespace colvero
