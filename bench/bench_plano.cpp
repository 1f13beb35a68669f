// The plan of a large network, offscreen: the time to build it, to paint it fitted and
// zoomed in, to set every state one by one and in one batch, to pick a reach, to save it, and
// the peak memory.
// Usage: bench_plano [REACHES [FOLDER]]   (100000 by default: a grid of manholes in UTM
// coordinates, every tenth reach with a vertex, every fiftieth a pump; the saved plans stay
// in FOLDER when given)
#include "bench/medidas.h"
#include "ui/plano_red.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGraphicsView>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

using colvero::bench::ms;
using colvero::bench::picoDeMemoriaKb;

// A grid of lado × lado manholes 40 m apart, each joined to its east and south neighbours
// until `tramos` links are made.
colvero::red::ModeloRed malla(int tramos) {
    using namespace colvero::red;
    const int lado = static_cast<int>(std::ceil(std::sqrt(tramos / 2.0))) + 1;
    ModeloRed m;
    m.nodos.reserve(static_cast<std::size_t>(lado) * lado);
    for (int i = 0; i < lado; ++i) {
        for (int j = 0; j < lado; ++j) {
            Nodo n;
            n.id = "P" + std::to_string(i) + "-" + std::to_string(j);
            n.posicion = {{440000 + 40.0 * j, 4470000 - 40.0 * i}};
            n.tipo = (i == lado - 1 && j == lado - 1) ? TipoNodo::Vertido : TipoNodo::Pozo;
            m.nodos.push_back(std::move(n));
        }
    }
    const auto nombre = [&](int i, int j) { return m.nodos[i * lado + j].id; };
    for (int i = 0; i < lado && static_cast<int>(m.enlaces.size()) < tramos; ++i) {
        for (int j = 0; j < lado && static_cast<int>(m.enlaces.size()) < tramos; ++j) {
            for (int sur = 0; sur < 2; ++sur) {
                const int i2 = i + sur, j2 = j + 1 - sur;
                if (i2 >= lado || j2 >= lado || static_cast<int>(m.enlaces.size()) >= tramos)
                    continue;
                Enlace e;
                e.id = "T" + std::to_string(m.enlaces.size());
                e.desde = nombre(i, j);
                e.hasta = nombre(i2, j2);
                if (m.enlaces.size() % 50 == 0)
                    e.tipo = TipoEnlace::Bomba;
                if (m.enlaces.size() % 10 == 0)
                    e.vertices = {
                        {440000 + 40.0 * j + 20 - 6 * sur, 4470000 - 40.0 * i - 6 - 14 * sur}};
                m.enlaces.push_back(std::move(e));
            }
        }
    }
    return m;
}

} // namespace

int main(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    const int tramos = argc > 1 ? std::stoi(argv[1]) : 100000;
    QTemporaryDir temporal;
    const QString carpeta = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporal.path();

    const colvero::red::ModeloRed m = malla(tramos);
    colvero::ui::PlanoRed plano;
    plano.resize(700, 700);
    plano.show();
    if (!QTest::qWaitForWindowExposed(&plano))
        return 2;
    QWidget* lienzo = plano.vista()->viewport();
    QElapsedTimer t;

    t.start();
    plano.mostrar(m);
    std::printf("mostrar (%zu enlaces, %zu dibujados): %.0f ms\n", m.enlaces.size(),
                plano.dibujados(), ms(t));
    t.start();
    lienzo->grab();
    std::printf("primer pintado, ajustado: %.0f ms\n", ms(t));
    t.start();
    lienzo->grab();
    std::printf("pintado ajustado: %.0f ms\n", ms(t));

    t.start();
    for (std::size_t e = 0; e < m.enlaces.size(); ++e)
        plano.ponerEstado(e, e % 7 == 0 ? colvero::ui::EstadoPlano::NoCumple
                                        : colvero::ui::EstadoPlano::Cumple);
    QApplication::processEvents();
    std::printf("ponerEstado uno a uno y repintar: %.0f ms\n", ms(t));
    std::vector<colvero::ui::EstadoPlano> estados(m.enlaces.size(),
                                                  colvero::ui::EstadoPlano::NoComprobado);
    t.start();
    plano.ponerEstados(estados);
    QApplication::processEvents();
    std::printf("ponerEstados de una vez y repintar: %.0f ms\n", ms(t));

    const QPoint centro = lienzo->rect().center();
    for (int muesca = 0; muesca < 12; ++muesca) {
        QWheelEvent ev(QPointF(centro), lienzo->mapToGlobal(QPointF(centro)), QPoint(),
                       QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(lienzo, &ev);
    }
    t.start();
    const QImage cerca = lienzo->grab().toImage();
    std::printf("pintado acercado (x%.0f): %.0f ms\n", std::pow(1.25, 12), ms(t));
    if (argc > 2)
        cerca.save(carpeta + QStringLiteral("/acercado.png"));
    plano.ajustar();
    t.start();
    QTest::mouseClick(lienzo, Qt::LeftButton, {}, centro);
    std::printf("clic ajustado: %.1f ms (elegido: %s)\n", ms(t),
                plano.resaltado() ? std::to_string(*plano.resaltado()).c_str() : "ninguno");

    for (const char* extension : {"png", "svg", "pdf"}) {
        const QString ruta = carpeta + QStringLiteral("/plano.") + QLatin1String(extension);
        QString error;
        t.start();
        const bool bien = plano.guardar(ruta, error);
        std::printf("guardar %s: %.0f ms, %lld bytes%s%s\n", extension, ms(t),
                    static_cast<long long>(QFileInfo(ruta).size()),
                    bien ? "" : ", error: ", qPrintable(error));
    }
    std::printf("pico de memoria: %ld MiB\n", picoDeMemoriaKb() / 1024);
    return 0;
}
