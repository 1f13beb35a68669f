#include "check/calcular.h"

#include "check/leyendas.h"
#include "check/numero.h"

#include <array>
#include <cmath>
#include <optional>
#include <string>

namespace colvero {

namespace {

// A field text that is not a number in the user's locale.
struct DatoNoNumerico {
    CampoNumerico campo;
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

// Verdict lines by condition (index 0 is condition 1); nullptr where a condition has no such
// line.
constexpr std::array<const char*, 10> kLineaCumple{
    "(1)  [SI]  Qll > Q1",          "(2)  [SI]  V2 < Vmax",       "(3)  [SI]  V3 > Vmin",
    "(4)  [SI]  (y/D)4 < (y/D)max", "(5)  [SI]  (dp)5 > (dp)min", "(6)  [SI]  F6 > Fmin",
    "(7)  [SI]  F7 < Fmax",         "(8)  [SI]  I8 > Imin",       "(9)  [SI]  I9 < Imax",
    "(10) [SI]  V10 > Vmin10"};
constexpr std::array<const char*, 10> kLineaNoCumple{
    "(1)  [NO]  Qll < Q1",          "(2)  [NO]  V2 > Vmax",       "(3)  [NO]  V3 < Vmin",
    "(4)  [NO]  (y/D)4 > (y/D)max", "(5)  [NO]  (dp)5 < (dp)min", "(6)  [NO]  F6 < Fmin",
    "(7)  [NO]  F7 > Fmax",         "(8)  [NO]  I8 < Imin",       "(9)  [NO]  I9 > Imax",
    "(10) [NO]  V10 < Vmin10"};
constexpr std::array<const char*, 10> kLineaCapacidad{nullptr,
                                                      "(2)  [NO]  Capacidad insuficiente",
                                                      "(3)  [NO]  Capacidad insuficiente",
                                                      "(4)  [NO]  Capacidad insuficiente",
                                                      "(5)  [NO]  Capacidad insuficiente",
                                                      "(6)  [NO]  Capacidad insuficiente",
                                                      "(7)  [NO]  Capacidad insuficiente",
                                                      nullptr,
                                                      nullptr,
                                                      "(10)  [NO]  Capacidad insuficiente"};
constexpr std::array<const char*, 7> kLineaCaudalNoPositivo{
    "(1)  [ERROR]  Q1<=0", "(2)  [ERROR]  Q2<=0", "(3)  [ERROR]  Q3<=0", "(4)  [ERROR]  Q4<=0",
    "(5)  [ERROR]  Q5<=0", "(6)  [ERROR]  Q6<=0", "(7)  [ERROR]  Q7<=0"};

// The value of a computed field when the run wrote it, else the stored one.
void guardar(double& guardado, double calculado) {
    if (!std::isnan(calculado)) {
        guardado = calculado;
    }
}

// The stored values after a run: each is the very quantity the procedure computes, and changes
// exactly when the procedure writes it, even when a later step fails.
void actualizarGuardados(const Entradas& d, const Evaluacion& ev, ValoresGuardados& g) {
    const auto evaluada = [&](int k) {
        return ev.condiciones[k - 1].veredicto != Veredicto::NoEvaluada;
    };
    guardar(g.Qll, ev.caudalLleno);
    guardar(g.Vel2, ev.flujoNormal[0].v);
    guardar(g.Vel3, ev.flujoNormal[1].v);
    guardar(g.yD4, ev.flujoNormal[2].yD);
    guardar(g.Rh5, ev.flujoNormal[3].Rh);
    guardar(g.dp5, ev.diametroArrastre);
    guardar(g.F6, ev.flujoNormal[4].F);
    guardar(g.F7, ev.flujoNormal[5].F);
    if (evaluada(8)) {
        g.I8 = d.i;
    }
    if (evaluada(9)) {
        g.I9 = d.i;
    }
    guardar(g.Vel10, ev.flujoAutolimpieza.v);
}

// Display texts of the computed fields of a completed run: a condition that produced no value
// leaves its field empty.
CamposCalculados camposCalculados(const Evaluacion& ev, const ValoresGuardados& g, char sep) {
    const auto conValor = [&](int k) {
        const Veredicto v = ev.condiciones[k - 1].veredicto;
        return v == Veredicto::Cumple || v == Veredicto::NoCumple;
    };
    const auto texto = [&](int k, double x) {
        return conValor(k) ? formato1(x, sep) : std::string();
    };
    CamposCalculados c;
    c.Text37 = texto(1, ev.caudalLleno);
    c.Text38 = texto(2, ev.flujoNormal[0].v);
    c.Text47 = texto(3, ev.flujoNormal[1].v);
    c.Text52 = texto(4, ev.flujoNormal[2].yD);
    c.Text55 = texto(5, ev.flujoNormal[3].Rh);
    c.Text19 = texto(5, ev.diametroArrastre);
    c.Text59 = texto(6, ev.flujoNormal[4].F);
    c.Text60 = texto(7, ev.flujoNormal[5].F);
    c.Text62 = conversionSimple(g.I8, sep);
    c.Text61 = conversionSimple(g.I9, sep);
    c.Text73 = texto(10, ev.flujoAutolimpieza.v);
    return c;
}

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

std::string lineaVeredicto(int k, const ResultadoCondicion& resultado) {
    const auto linea = [](const char* t) { return t ? std::string(t) : std::string("-"); };
    switch (resultado.veredicto) {
    case Veredicto::Cumple:
        return kLineaCumple[k - 1];
    case Veredicto::NoCumple:
        return kLineaNoCumple[k - 1];
    case Veredicto::CapacidadInsuficiente:
        return linea(kLineaCapacidad[k - 1]);
    case Veredicto::ErrorDeDato:
        switch (resultado.dato) {
        case DatoErroneo::CaudalNoPositivo:
            return k <= 7 ? kLineaCaudalNoPositivo[k - 1] : "-";
        case DatoErroneo::VelocidadNoPositiva:
            return "(" + std::to_string(k) + ")  [ERROR]  V" + std::to_string(k) + "<=0";
        case DatoErroneo::LlenadoNoPositivo:
            return "(10)  [ERROR]  (y/D)<=0%";
        case DatoErroneo::LlenadoMayorQue100:
            return "(10)  [ERROR]  (y/D)>100%";
        case DatoErroneo::Ninguno:
            break;
        }
        break;
    case Veredicto::NoEvaluada:
        break;
    }
    return "-";
}

std::optional<Entradas> convertirEntradas(const Calculo& calculo, char separadorDecimal,
                                          std::optional<CampoNumerico>* campoErroneo) {
    try {
        return convertir(calculo, separadorDecimal);
    } catch (const DatoNoNumerico& dato) {
        if (campoErroneo) {
            *campoErroneo = dato.campo;
        }
        return std::nullopt;
    }
}

ResultadoCalculo calcular(const Calculo& calculo, ValoresGuardados& guardados,
                          char separadorDecimal) {
    ResultadoCalculo r; // every field and verdict "-"
    const std::optional<Entradas> d = convertirEntradas(calculo, separadorDecimal, &r.campoErroneo);
    if (!d) {
        r.fin = FinCalculo::Error;
        r.notaCalC = kDatosErroneos;
        return r;
    }
    return resultadoDeEvaluacion(*d, evaluar(*d, calculo.criterio.activa), guardados,
                                 separadorDecimal);
}

ResultadoCalculo resultadoDeEvaluacion(const Entradas& d, const Evaluacion& ev,
                                       ValoresGuardados& guardados, char separadorDecimal) {
    ResultadoCalculo r;
    if (ev.fin == FinEvaluacion::ColectorInvalido) {
        r.fin = FinCalculo::ColectorInvalido;
        r.notaCol = mensajeColector(ev.colector);
        return r;
    }
    for (int k = 1; k <= 10; ++k) {
        r.notas[k - 1] = lineaVeredicto(k, ev.condiciones[k - 1]);
    }
    r.condiciones = ev.condiciones;
    actualizarGuardados(d, ev, guardados);
    if (ev.fin == FinEvaluacion::ErrorAritmetico) {
        r.fin = FinCalculo::Error;
        r.notaCalC = kDatosErroneos;
        return r;
    }
    r.campos = camposCalculados(ev, guardados, separadorDecimal);
    r.fin = FinCalculo::Realizado;
    r.notaCalC = kRealizado;
    return r;
}

} // namespace colvero
