// The window on screens smaller and larger than its fixed size.
#include "apoyo.h"
#include "ui/marco.h"

#include <QCheckBox>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

using namespace colvero::ui;
using namespace colvero::ui::prueba;

namespace {

// Outer and inner sizes of the window: 15130 x 11340 twips, and the fixed client area.
const QSize kExterior(1009, 756);
const QSize kCliente(1003, 727);
const QSize kMarco = kExterior - kCliente;

} // namespace

class TestPantalla : public PruebaDeVentanas {
    Q_OBJECT

public:
    TestPantalla() : PruebaDeVentanas() {}

private:
    // Shows what start-up shows for a screen whose free area is `disponible`.
    static std::unique_ptr<QWidget> mostrar(QSize disponible, VentanaPrincipal*& ventana) {
        auto nueva = std::make_unique<VentanaPrincipal>('.', std::make_unique<DialogosDePrueba>());
        ventana = nueva.get();
        auto visible = ventanaParaPantalla(std::move(nueva), disponible);
        visible->show();
        return visible;
    }

private Q_SLOTS:

    void necesitaDesplazamiento_data() {
        QTest::addColumn<QSize>("disponible");
        QTest::addColumn<bool>("desplaza");
        QTest::newRow("1920x1080 less a taskbar") << QSize(1920, 1040) << false;
        QTest::newRow("exactly the outer size") << kExterior << false;
        QTest::newRow("one pixel too narrow") << QSize(1008, 900) << true;
        QTest::newRow("one pixel too low") << QSize(1200, 755) << true;
        QTest::newRow("1366x768 laptop with a 40-pixel taskbar") << QSize(1366, 728) << true;
        QTest::newRow("800x600") << QSize(800, 600) << true;
    }
    void necesitaDesplazamiento() {
        QFETCH(QSize, disponible);
        QFETCH(bool, desplaza);
        QCOMPARE(colvero::ui::necesitaDesplazamiento(disponible, kExterior), desplaza);
    }

    void tamanoDesplazado_data() {
        QTest::addColumn<QSize>("disponible");
        QTest::addColumn<QSize>("esperado");
        const QSize barras(16, 16);
        // Only the height overflows: the vertical bar fits beside the whole width.
        QTest::newRow("laptop: all the width and the bar, the free height")
            << QSize(1366, 728) << QSize(1003 + 16, 728 - 29);
        // The vertical bar takes the last free pixels of width: a horizontal bar follows.
        QTest::newRow("just wide enough without the bar")
            << QSize(1015, 700) << QSize(1015 - 6, 700 - 29);
        QTest::newRow("800x600: both bars") << QSize(800, 600) << QSize(794, 571);
        // Only the width overflows: the horizontal bar fits below the whole height.
        QTest::newRow("narrow and tall") << QSize(900, 1200) << QSize(894, 727 + 16);
    }
    void tamanoDesplazado() {
        QFETCH(QSize, disponible);
        QFETCH(QSize, esperado);
        QCOMPARE(colvero::ui::tamanoDesplazado(disponible, kMarco, kCliente, QSize(16, 16)),
                 esperado);
    }

    // On a large screen the window is shown as it always was: itself, fixed, unscrolled.
    void pantallaGrandeSinCambios() {
        VentanaPrincipal* ventana = nullptr;
        const auto visible = mostrar(QSize(1920, 1040), ventana);
        QCOMPARE(visible.get(), static_cast<QWidget*>(ventana));
        QVERIFY(ventana->isWindow());
        QCOMPARE(ventana->size(), kCliente);
        QCOMPARE(ventana->minimumSize(), ventana->maximumSize());
    }

    // On a small screen every control can be scrolled to, and the window can be resized.
    void pantallaPequenaDesplaza_data() {
        QTest::addColumn<QSize>("disponible");
        QTest::newRow("1366x768 laptop with a taskbar") << QSize(1366, 728);
        QTest::newRow("800x600") << QSize(800, 600);
    }
    void pantallaPequenaDesplaza() {
        QFETCH(QSize, disponible);
        VentanaPrincipal* ventana = nullptr;
        const auto visible = mostrar(disponible, ventana);
        auto* area = qobject_cast<QScrollArea*>(visible.get());
        QVERIFY(area);
        QVERIFY(area->isWindow());
        QCOMPARE(area->widget(), static_cast<QWidget*>(ventana));
        QCOMPARE(area->windowTitle(), QStringLiteral("Colvero 2"));
        QVERIFY((area->size() + kMarco).width() <= disponible.width());
        QVERIFY((area->size() + kMarco).height() <= disponible.height());
        QVERIFY(area->minimumSize() != area->maximumSize());
        // The layout inside is untouched.
        QCOMPARE(ventana->size(), kCliente);
        QCOMPARE(hijo<QWidget>(*ventana, "Text34")->geometry(), QRect(748, 305, 67, 19));
        // Scrolled to either end, the viewport shows the corners of the client area.
        for (const bool alFinal : {false, true}) {
            for (QScrollBar* barra : {area->horizontalScrollBar(), area->verticalScrollBar()}) {
                barra->setValue(alFinal ? barra->maximum() : barra->minimum());
            }
            const QPoint esquina =
                alFinal ? QPoint(kCliente.width() - 1, kCliente.height() - 1) : QPoint(0, 0);
            QVERIFY(area->viewport()->rect().contains(ventana->mapTo(area->viewport(), esquina)));
        }
    }

    // A bad field at the bottom of a scrolled window is brought into view with its mark.
    void campoErroneoVisibleAlDesplazar() {
        VentanaPrincipal* ventana = nullptr;
        const auto visible = mostrar(QSize(800, 600), ventana);
        auto* area = qobject_cast<QScrollArea*>(visible.get());
        QVERIFY(area);
        area->verticalScrollBar()->setValue(0);
        teclear(*ventana, "Text72", "x");
        QTest::mouseClick(hijo<QPushButton>(*ventana, "Command13"), Qt::LeftButton);
        auto* caja = hijo<QLineEdit>(*ventana, "Text72");
        QVERIFY(caja->property("erroneo").toBool());
        const QRect cursor = caja->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const QRect enVista(caja->mapTo(area->viewport(), cursor.topLeft()), cursor.size());
        QVERIFY(area->viewport()->rect().contains(enVista));
    }

    // Every other window opens with its frame, its buttons and its status lines inside the
    // free area of the screen, none of them cut off by a scroll area (ctest runs it on screens
    // of 1280 x 720 and 800 x 600 too).
    void ventanasCabenEnLaPantalla_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QStringList>("estados");
        QTest::newRow("asistente") << QStringLiteral("Asistente") << QStringList{"Caso"};
        QTest::newRow("red") << QStringLiteral("VentanaRed") << QStringList{"Estado"};
        QTest::newRow("gráfico") << QStringLiteral("VentanaGrafico") << QStringList{"aviso"};
    }
    void ventanasCabenEnLaPantalla() {
        QFETCH(QString, nombre);
        QFETCH(QStringList, estados);
        const QRect libre = QGuiApplication::primaryScreen()->availableGeometry();
        VentanaPrincipal* ventana = nullptr;
        const auto visible = mostrar(libre.size(), ventana);
        if (nombre == QLatin1String("Asistente")) {
            ventana->abrirAsistente();
        } else if (nombre == QLatin1String("VentanaRed")) {
            ventana->abrirRed();
        } else {
            hijo<QPushButton>(*ventana, "CommandGrafico")->click();
        }
        auto* abierta = ventana->findChild<QWidget*>(nombre, Qt::FindDirectChildrenOnly);
        QVERIFY(abierta && abierta->isWindow() && abierta->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(abierta));
        const auto describir = [](const QRect& r) {
            return QStringLiteral("%1,%2 %3x%4")
                .arg(r.x())
                .arg(r.y())
                .arg(r.width())
                .arg(r.height());
        };
        QVERIFY2(libre.contains(abierta->frameGeometry()),
                 qPrintable(describir(abierta->frameGeometry()) + " en " + describir(libre)));
        // The frame the window manager will add fits too.
        QVERIFY((abierta->size() + kMarcoSupuesto).width() <= libre.width());
        QVERIFY((abierta->size() + kMarcoSupuesto).height() <= libre.height());

        QList<QWidget*> vigilados;
        for (QAbstractButton* b : abierta->findChildren<QAbstractButton*>()) {
            if (qobject_cast<QPushButton*>(b) || qobject_cast<QCheckBox*>(b)) {
                vigilados << b;
            }
        }
        for (const QString& estado : estados) {
            vigilados << abierta->findChild<QWidget*>(estado);
        }
        QVERIFY(vigilados.size() > estados.size());
        for (QWidget* w : vigilados) {
            QVERIFY(w);
            if (!w->isVisibleTo(abierta)) {
                continue;
            }
            const QRect global(w->mapToGlobal(QPoint(0, 0)), w->size());
            QVERIFY2(libre.contains(global),
                     qPrintable(w->objectName() + ": " + describir(global)));
            // Wholly shown: no scroll area or parent cuts it.
            QVERIFY2(
                w->visibleRegion().boundingRect() == w->rect(),
                qPrintable(w->objectName() + ": " + describir(w->visibleRegion().boundingRect())));
        }
        // From 720 pixels up the assistant's axis shows every condition and its scale unscrolled.
        if (auto* eje = abierta->findChild<QWidget*>(QStringLiteral("EjePendientes"));
            eje && libre.height() >= 720) {
            QCOMPARE(eje->height(), eje->sizeHint().height());
            QVERIFY(eje->sizeHint().height() > 10 * 20);
            QVERIFY2(eje->visibleRegion().boundingRect() == eje->rect(),
                     qPrintable(describir(eje->visibleRegion().boundingRect())));
        }
        // Its layout lets it shrink within the free area.
        QVERIFY(abierta->minimumSizeHint().width() <= libre.width() - kMarcoSupuesto.width());
        QVERIFY(abierta->minimumSizeHint().height() <= libre.height() - kMarcoSupuesto.height());
    }

    // The start-up path, on whatever screen the test runs on (ctest runs it on two).
    void ventanaCabeEnLaPantalla() {
        const QSize disponible = QGuiApplication::primaryScreen()->availableGeometry().size();
        VentanaPrincipal* ventana = nullptr;
        const auto visible = mostrar(disponible, ventana);
        QVERIFY((visible->size() + kMarco).width() <= disponible.width());
        QVERIFY((visible->size() + kMarco).height() <= disponible.height());
        QCOMPARE(visible.get() == ventana, disponible.expandedTo(kExterior) == disponible);
    }
};

QTEST_MAIN(TestPantalla)
#include "test_pantalla.moc"
