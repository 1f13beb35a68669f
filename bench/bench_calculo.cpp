// Timings of the normal-depth search, the largest flow, one whole Calcular and one window of
// admissible slopes.
#include "check/calcular.h"
#include "check/pendientes.h"
#include "hydraulics/estado_flujo.h"
#include "tests/check/caso_base.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace colvero;
using namespace std::string_literals;

void BM_TEO4(benchmark::State& state) {
    for (auto _ : state) {
        hidraulica::EstadoFlujo e;
        e.Q = 1.0;
        e.D = 1.0;
        e.n = 0.013;
        e.i = 0.005;
        benchmark::DoNotOptimize(hidraulica::TEO4(e));
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(BM_TEO4);

void BM_Qmax(benchmark::State& state) {
    double D = 1.0, n = 0.013, i = 0.005;
    for (auto _ : state) {
        double Q = 0, v = 0, y = 0;
        benchmark::DoNotOptimize(D);
        hidraulica::Qmax(Q, v, y, D, n, i);
        benchmark::DoNotOptimize(Q);
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_Qmax);

void BM_CalcularDiezCondiciones(benchmark::State& state) {
    Calculo c;
    c.colector = {"1"s, "0.013"s, "0.005"s};
    c.caudal.fill("1"s);
    Criterio& k = c.criterio;
    k.Vmax = "3"s;
    k.Vmin = "0.6"s;
    k.yDmax = "75"s;
    k.gammaParticula = "2.65"s;
    k.gammaAgua = "1"s;
    k.dpMin = "10"s;
    k.Fmin = "1"s;
    k.Fmax = "2"s;
    k.Imin = "0.004"s;
    k.Imax = "0.01"s;
    k.yD10 = "50"s;
    k.Vmin10 = "0.6"s;
    ValoresGuardados g;
    for (auto _ : state) {
        ResultadoCalculo r = calcular(c, g, '.');
        if (r.fin != FinCalculo::Realizado) {
            state.SkipWithError("the run did not complete");
            break;
        }
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_CalcularDiezCondiciones);

// The admissible slopes of the case of BM_CalcularDiezCondiciones, every condition enabled.
void BM_PendientesDiezCondiciones(benchmark::State& state) {
    const Entradas d = prueba::casoBase();
    Activas activas;
    activas.fill(true);
    int evaluaciones = 0;
    for (auto _ : state) {
        ResultadoPendientes r = pendientesAdmisibles(d, activas, ',');
        if (r.intervalos.size() != 1) {
            state.SkipWithError("expected one interval");
            break;
        }
        evaluaciones = r.evaluaciones;
        benchmark::DoNotOptimize(r);
    }
    state.counters["evaluaciones"] = evaluaciones;
}
BENCHMARK(BM_PendientesDiezCondiciones)->Unit(benchmark::kMillisecond);

// The same window with every flow at 2e-11 m3/s: the depth search accepts depths far from the
// exact one, no margin bound proves an outcome, and every grid slope and halving is evaluated.
void BM_PendientesCaudalesDiminutos(benchmark::State& state) {
    Entradas d = prueba::casoBase();
    d.Q.fill(2.04e-11);
    d.Vmax = 0.0032;
    d.Vmin = 1e-4;
    d.dpMin = 1e-6;
    d.Fmin = 0.01;
    Activas activas;
    activas.fill(true);
    int evaluaciones = 0;
    for (auto _ : state) {
        ResultadoPendientes r = pendientesAdmisibles(d, activas, ',');
        evaluaciones = r.evaluaciones;
        benchmark::DoNotOptimize(r);
    }
    state.counters["evaluaciones"] = evaluaciones;
}
BENCHMARK(BM_PendientesCaudalesDiminutos)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
