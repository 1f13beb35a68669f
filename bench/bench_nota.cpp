// A calculated case from its texts to the chart data, to a chart PNG of 1200 × 900 and to the
// calculation note (PDF, admissible slopes included), offscreen. Byte counts are counters, so
// that a run also gives the file sizes.
#include "note/caso.h"
#include "note/nota.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

using namespace colvero;

// The sample case of scripts/muestras.sh: one flow past its fill limit, one with two depths.
Calculo caso() {
    Calculo c;
    c.titulo1 = "Colector general - tramo 3-4";
    c.titulo2 = "Proyecto de saneamiento de ejemplo";
    c.colector = {"1", "0,013", "0,005"};
    c.caudal = {"1,2", "1,5", "0,15", "1,5", "0,5", "0,9", "1,75"};
    Criterio& k = c.criterio;
    k.Vmax = "3";
    k.Vmin = "0,6";
    k.yDmax = "70";
    k.gammaParticula = "2,65";
    k.gammaAgua = "1";
    k.dpMin = "10";
    k.Fmin = "1";
    k.Fmax = "2";
    k.Imin = "0,004";
    k.Imax = "0,01";
    k.yD10 = "50";
    k.Vmin10 = "0,6";
    return c;
}

void BM_CasoYDatosGrafico(benchmark::State& s) {
    const Calculo c = caso();
    for (auto _ : s) {
        const auto calculado = nota::calcularCaso(c, ',');
        benchmark::DoNotOptimize(nota::datosGrafico(*calculado).puntos.data());
    }
}
BENCHMARK(BM_CasoYDatosGrafico)->Unit(benchmark::kMicrosecond);

void BM_GraficoDelCasoPng(benchmark::State& s) {
    const grafico::DatosGrafico d = nota::datosGrafico(*nota::calcularCaso(caso(), ','));
    std::size_t bytes = 0;
    for (auto _ : s) {
        const QByteArray png = grafico::pngGrafico(QSize(1200, 900), 1.0, d, ',');
        bytes = static_cast<std::size_t>(png.size());
        benchmark::DoNotOptimize(png.data());
    }
    s.counters["bytes"] = static_cast<double>(bytes);
    if (bytes == 0)
        s.SkipWithError("sin imagen");
}
BENCHMARK(BM_GraficoDelCasoPng)->Unit(benchmark::kMillisecond);

void BM_NotaPdf(benchmark::State& s) {
    const auto calculado = nota::calcularCaso(caso(), ',');
    std::size_t bytes = 0;
    for (auto _ : s) {
        const QByteArray pdf = nota::pdfNota(*calculado, ',', QDate(2026, 12, 9));
        bytes = static_cast<std::size_t>(pdf.size());
        benchmark::DoNotOptimize(pdf.data());
    }
    s.counters["bytes"] = static_cast<double>(bytes);
    if (bytes == 0)
        s.SkipWithError("sin PDF");
}
BENCHMARK(BM_NotaPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication aplicacion(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
