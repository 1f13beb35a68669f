// A press of «Calcular» in the window: the calculation, the texts written into the controls
// and a synchronous repaint of the whole window (offscreen raster), with all ten conditions on.
#include "ui/estilos.h"
#include "ui/ventana.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>

namespace {

void escribir(const colvero::ui::VentanaPrincipal& ventana, const char* nombre, const char* texto) {
    ventana.findChild<QLineEdit*>(QString::fromLatin1(nombre))->setText(QString::fromUtf8(texto));
}

void BM_PulsarCalcular(benchmark::State& estado) {
    colvero::ui::VentanaPrincipal ventana('.');
    ventana.show();
    QCoreApplication::processEvents(); // the window is exposed, so repaint() really paints
    for (const char* caudal :
         {"Text33", "Text42", "Text43", "Text48", "Text76", "Text67", "Text70"})
        escribir(ventana, caudal, "1");
    const char* datos[][2] = {{"Text34", "1"},    {"Text35", "0.013"}, {"Text18", "0.005"},
                              {"Text39", "3"},    {"Text46", "0.6"},   {"Text51", "75"},
                              {"Text54", "2.65"}, {"Text53", "1"},     {"Text56", "10"},
                              {"Text57", "1"},    {"Text58", "2"},     {"Text64", "0.004"},
                              {"Text63", "0.01"}, {"Text71", "50"},    {"Text72", "0.6"}};
    for (const auto& [nombre, texto] : datos)
        escribir(ventana, nombre, texto);
    auto* calcular = ventana.findChild<QAbstractButton*>(QStringLiteral("Command13"));
    for (auto _ : estado) {
        calcular->click();
        ventana.repaint();
    }
    if (ventana.findChild<QWidget*>(QStringLiteral("NotaCalC"))->property("text").toString() !=
        QStringLiteral("CÁLCULO REALIZADO"))
        estado.SkipWithError("el cálculo no se ha completado");
}
BENCHMARK(BM_PulsarCalcular)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacion(argc, argv);
    colvero::ui::registrarSustitutosDeFuentes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
