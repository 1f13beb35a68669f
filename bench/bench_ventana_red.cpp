// The network window on a large table, offscreen: the time to check it, the longest stretch
// during the check in which the window's thread does not get back to its event loop, the
// time to sort, filter and scroll the result, and the peak memory.
// Usage: bench_ventana_red [REACHES [sin-pendientes]]   (100000 by default; the example network
// repeated, with its criterion and no series; the admissible slopes unless told otherwise)
#include "bench/medidas.h"
#include "ui/dialogos.h"
#include "ui/modelo_red.h"
#include "ui/ventana_red.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <string>

namespace {

using colvero::bench::ms;
using colvero::bench::picoDeMemoriaKb;

class SinDialogos : public colvero::ui::Dialogos {
public:
    QString abrir(const QString&, const QString&, const QString&) override { return {}; }
    using Dialogos::guardar;
    QString guardar(const QString&, const QString&, const QString&,
                    colvero::ui::Guardado) override {
        return {};
    }
    bool confirmar(const QString&, const QString&) override { return false; }
    void avisarError(const QString&, const QString& mensaje) override {
        std::fprintf(stderr, "error: %s\n", qPrintable(mensaje));
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    const int tramos = argc > 1 ? std::stoi(argv[1]) : 100000;

    QFile ejemplo(QStringLiteral(COLVERO_EJEMPLOS "/red-ejemplo-punto-y-coma.csv"));
    if (!ejemplo.open(QIODevice::ReadOnly))
        return 2;
    const QList<QByteArray> lineas = ejemplo.readAll().split('\n');
    QByteArrayList filas;
    for (qsizetype k = 1; k < lineas.size(); ++k) {
        if (!lineas[k].trimmed().isEmpty())
            filas << lineas[k];
    }
    QTemporaryDir carpeta;
    const QString ruta = carpeta.filePath(QStringLiteral("red.csv"));
    {
        QFile tabla(ruta);
        if (!tabla.open(QIODevice::WriteOnly))
            return 2;
        tabla.write(lineas[0] + '\n');
        for (int k = 0; k < tramos; ++k)
            tabla.write(QByteArray::number(k / filas.size()) + filas[k % filas.size()] + '\n');
    }

    SinDialogos dialogos;
    colvero::ui::VentanaRed ventana('.', dialogos, nullptr);
    ventana.show();
    QCoreApplication::processEvents();
    ventana.ponerTabla(ruta);
    ventana.ponerCriterio(QStringLiteral(COLVERO_EJEMPLOS "/criterio-red.CrVek"));
    if (argc > 2 && std::string(argv[2]) == "sin-pendientes")
        ventana.findChild<QCheckBox*>(QStringLiteral("Pendientes"))->setChecked(false);

    // A timer every 2 ms measures the window's stalls: the longest time between two of its
    // ticks, less its interval. (A busy zero-time timer would take a core from the check.)
    QElapsedTimer entreVueltas;
    double peorParada = 0;
    QTimer vigia;
    vigia.setTimerType(Qt::PreciseTimer);
    vigia.setInterval(2);
    QObject::connect(&vigia, &QTimer::timeout, &vigia, [&] {
        if (entreVueltas.isValid())
            peorParada = std::max(peorParada, ms(entreVueltas) - 2);
        entreVueltas.restart();
    });
    QElapsedTimer total;
    total.start();
    vigia.start();
    ventana.comprobar();
    while (ventana.enCurso())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double comprobar = ms(total);
    vigia.stop();

    auto* vista = ventana.findChild<QTableView*>(QStringLiteral("Tabla"));
    const colvero::ui::ModeloRed& modelo = ventana.modelo();
    QElapsedTimer t;
    t.start();
    vista->sortByColumn(modelo.columnaEntrada(colvero::ColumnaRed::D), Qt::DescendingOrder);
    const double ordenar = ms(t);
    t.restart();
    ventana.findChild<QCheckBox*>(QStringLiteral("SoloNoCumplen"))->setChecked(true);
    const double filtrar = ms(t);
    ventana.findChild<QCheckBox*>(QStringLiteral("SoloNoCumplen"))->setChecked(false);
    QScrollBar* barra = vista->verticalScrollBar();
    double peorPagina = 0;
    t.restart();
    const int paginas = 200;
    for (int p = 0; p < paginas; ++p) {
        QElapsedTimer una;
        una.start();
        barra->setValue(barra->maximum() / paginas * p);
        vista->viewport()->repaint();
        peorPagina = std::max(peorPagina, ms(una));
    }
    const double desplazar = ms(t) / paginas;

    std::printf("tramos %d, filas en la tabla %d\n", tramos, modelo.filas());
    std::printf("comprobar: %.0f ms (%.0f tramos/s); parada más larga de la ventana: %.1f ms\n",
                comprobar, tramos / comprobar * 1000, peorParada);
    std::printf("ordenar por D: %.0f ms; filtrar «solo los que no cumplen»: %.0f ms\n", ordenar,
                filtrar);
    std::printf("desplazar y pintar una página: %.2f ms de media, %.2f ms la peor\n", desplazar,
                peorPagina);
    std::printf("pico de memoria: %ld MB\n", picoDeMemoriaKb() / 1024);
    return modelo.filas() == tramos ? 0 : 1;
}
