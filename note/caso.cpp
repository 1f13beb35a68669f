#include "note/caso.h"

#include "chart/elementos.h"

#include <cmath>

namespace colvero::nota {
namespace {

// A condition whose value was computed and compared with its limit.
bool comparada(const ResultadoCondicion& r) {
    return r.veredicto == Veredicto::Cumple || r.veredicto == Veredicto::NoCumple;
}

} // namespace

std::optional<CasoCalculado>
casoCalculado(const Calculo& calculo, const ResultadoCalculo& resultado, char separadorDecimal) {
    if (resultado.fin != FinCalculo::Realizado) {
        return std::nullopt;
    }
    const std::optional<Entradas> entradas = convertirEntradas(calculo, separadorDecimal);
    if (!entradas) {
        return std::nullopt;
    }
    const Activas& activas = calculo.criterio.activa;
    return CasoCalculado{calculo, resultado, *entradas, evaluar(*entradas, activas)};
}

std::optional<CasoCalculado> calcularCaso(const Calculo& calculo, char separadorDecimal) {
    ValoresGuardados guardados;
    return casoCalculado(calculo, calcular(calculo, guardados, separadorDecimal), separadorDecimal);
}

grafico::DatosGrafico datosGrafico(const Entradas& d, const Activas& activas,
                                   const Evaluacion& ev) {
    grafico::DatosGrafico datos;
    if (ev.fin == FinEvaluacion::ColectorInvalido) {
        return datos;
    }
    const grafico::SeccionLlena llena = grafico::seccionLlena(d.D, d.n, d.i);
    for (int k = 2; k <= 7; ++k) {
        const ResultadoCondicion& r = ev.condiciones[static_cast<size_t>(k - 1)];
        const hidraulica::EstadoFlujo& normal = ev.flujoNormal[static_cast<size_t>(k - 2)];
        if (comparada(r) && std::isfinite(normal.Q) && std::isfinite(normal.yD)) {
            datos.puntos.push_back(
                grafico::puntoDiseno(k, normal, llena, r.veredicto == Veredicto::Cumple));
        } else if (r.veredicto == Veredicto::CapacidadInsuficiente) {
            datos.excedidos.push_back({k, d.Q[static_cast<size_t>(k - 1)] / llena.Q});
        }
    }
    if (activas[1]) {
        datos.vVllMax = d.Vmax / llena.v;
    }
    if (activas[2]) {
        datos.vVllMin = d.Vmin / llena.v;
    }
    if (activas[3]) {
        datos.yDMax = d.yDmax / 100.0;
    }
    const ResultadoCondicion& r10 = ev.condiciones[9];
    if (activas[9] && comparada(r10)) {
        datos.condicion10 =
            grafico::Condicion10{d.yD10 / 100.0, ev.flujoAutolimpieza.v / llena.v,
                                 d.Vmin10 / llena.v, r10.veredicto == Veredicto::Cumple};
    }
    datos.region = grafico::regionDeLosLimites(datos);
    return datos;
}

grafico::DatosGrafico datosGrafico(const CasoCalculado& caso) {
    return datosGrafico(caso.entradas, caso.calculo.criterio.activa, caso.evaluacion);
}

} // namespace colvero::nota
