// Timings of the file readers on the example files: from disk and from bytes in memory.
#include "files/archivos.h"

#include <benchmark/benchmark.h>

#include <QFile>

namespace {

using namespace colvero;

const QString kCalculo = QStringLiteral(COLVERO_EJEMPLOS "/colector-1m.caVek");
const QString kCriterio = QStringLiteral(COLVERO_EJEMPLOS "/criterio-estricto.CrVek");

void BM_LeerCalculo(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(leerCalculo(kCalculo, ','));
}
BENCHMARK(BM_LeerCalculo);

void BM_LeerCriterio(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(leerCriterio(kCriterio, ','));
}
BENCHMARK(BM_LeerCriterio);

void BM_CalculoDeBytes(benchmark::State& state) {
    QFile f(kCalculo);
    if (!f.open(QIODevice::ReadOnly)) {
        state.SkipWithError("no se abre el ejemplo");
        return;
    }
    const QByteArray bytes = f.readAll();
    for (auto _ : state)
        benchmark::DoNotOptimize(calculoDeBytes(bytes, kCalculo, ','));
}
BENCHMARK(BM_CalculoDeBytes);

} // namespace

BENCHMARK_MAIN();
