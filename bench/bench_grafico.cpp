// One hydraulic-elements chart with six design points, every criterion and condition 10,
// rendered to a 1200 × 900 PNG and to SVG (offscreen). The byte counts are reported as
// counters, so that a run also gives the file sizes.
#include "chart/grafico.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

using namespace colvero::grafico;
namespace h = colvero::hidraulica;

h::EstadoFlujo estado(double Q, double y) {
    h::EstadoFlujo e;
    e.D = 1.0;
    e.n = 0.013;
    e.i = 0.005;
    if (Q > 0) {
        e.Q = Q;
        h::TEO4(e);
    } else {
        e.y = y;
        h::TEO6(e);
    }
    return e;
}

DatosGrafico datos() {
    const SeccionLlena llena = seccionLlena(1.0, 0.013, 0.005);
    DatosGrafico d;
    int k = 2;
    for (const double Q : {1.0, 0.08, 1.0, 0.3, 1.0, 1.0}) {
        d.puntos.push_back(puntoDiseno(k, estado(Q, 0), llena, k != 3 && k != 7));
        ++k;
    }
    d.yDMax = 0.75;
    d.vVllMax = 3.0 / llena.v;
    d.vVllMin = 0.6 / llena.v;
    d.condicion10 = Condicion10{0.5, estado(0, 0.5).v / llena.v, 0.6 / llena.v, true};
    d.region = regionDeLosLimites(d);
    return d;
}

void BM_GraficoPng(benchmark::State& s) {
    const DatosGrafico d = datos();
    std::size_t bytes = 0;
    for (auto _ : s) {
        const QByteArray png = pngGrafico(QSize(1200, 900), 1.0, d, ',');
        bytes = static_cast<std::size_t>(png.size());
        benchmark::DoNotOptimize(png.data());
    }
    s.counters["bytes"] = static_cast<double>(bytes);
    if (bytes == 0)
        s.SkipWithError("sin imagen");
}
BENCHMARK(BM_GraficoPng)->Unit(benchmark::kMillisecond);

// The painting alone, without the PNG encoding.
void BM_GraficoPintado(benchmark::State& s) {
    const DatosGrafico d = datos();
    QImage imagen(QSize(1200, 900), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : s) {
        QPainter painter(&imagen);
        dibujarGrafico(painter, QRectF(0, 0, 1200, 900), d, ',');
    }
}
BENCHMARK(BM_GraficoPintado)->Unit(benchmark::kMillisecond);

void BM_GraficoSvg(benchmark::State& s) {
    const DatosGrafico d = datos();
    std::size_t bytes = 0;
    for (auto _ : s) {
        const QByteArray svg = svgGrafico(QSize(1200, 900), d, ',');
        bytes = static_cast<std::size_t>(svg.size());
        benchmark::DoNotOptimize(svg.data());
    }
    s.counters["bytes"] = static_cast<double>(bytes);
    if (bytes == 0)
        s.SkipWithError("sin SVG");
}
BENCHMARK(BM_GraficoSvg)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication aplicacion(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
