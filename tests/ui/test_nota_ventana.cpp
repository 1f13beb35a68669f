// What the window gives the calculation note beyond the case: the author and project of the
// preferences dialog, the calculation file's name, and the criterion's name marked
// «(modificado)» once its limits differ from its file.
#include "apoyo.h"
#include "ui/disposicion.h"
#include "ui/preferencias.h"
#include "ui/recientes.h"
#include "ui/ventana_grafico.h"

#include <QCheckBox>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

using namespace colvero;
using namespace colvero::ui;
using namespace colvero::ui::prueba;

namespace {

const QString kEjemplos = QStringLiteral(COLVERO_EJEMPLOS);

VentanaGrafico* calcularYVerGrafico(QWidget& w) {
    QTest::mouseClick(hijo<QPushButton>(w, "Command13"), Qt::LeftButton);
    QTest::mouseClick(hijo<QPushButton>(w, "CommandGrafico"), Qt::LeftButton);
    return w.findChild<VentanaGrafico*>(QStringLiteral("VentanaGrafico"));
}

// Answers the preferences dialog once it is open: `autor` and `proyecto` typed, then Aceptar
// (or Cancelar). A dialog of another kind, or one still open after two seconds, is closed, so
// the test fails instead of hanging.
void responderPreferencias(const QString& autor, const QString& proyecto, bool aceptar,
                           bool& respondido) {
    auto* sondeo = new QTimer;
    sondeo->setInterval(10);
    auto vueltas = std::make_shared<int>(0);
    QObject::connect(sondeo, &QTimer::timeout, [=, &respondido] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialogo = dynamic_cast<DialogoPreferencias*>(modal)) {
            dialogo->findChild<QLineEdit*>(QStringLiteral("Autor"))->setText(autor);
            dialogo->findChild<QLineEdit*>(QStringLiteral("Proyecto"))->setText(proyecto);
            respondido = true;
            aceptar ? dialogo->accept() : dialogo->reject();
        } else if (auto* otro = qobject_cast<QDialog*>(modal)) {
            otro->reject();
        } else if (++*vueltas < 200) {
            return;
        }
        sondeo->stop();
        sondeo->deleteLater();
    });
    sondeo->start();
}

} // namespace

class TestNotaVentana : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        QLocale::setDefault(QLocale::c());
        ajustesDelPrograma().clear();
    }

    // Ctrl+, and the button open the dialog; Aceptar keeps one line of each, Cancelar nothing.
    void preferenciasRecordadas() {
        VentanaDePrueba p;
        bool respondido = false;
        responderPreferencias(QStringLiteral("  Ana Pérez\nNúñez "),
                              QStringLiteral("Villanueva, fase 2"), true, respondido);
        QApplication::setActiveWindow(p.ventana.get());
        QVERIFY(QTest::qWaitForWindowActive(p.ventana.get()));
        QWidget* foco = p.ventana->focusWidget();
        QTest::keyClick(foco ? foco : p.ventana.get(), Qt::Key_Comma, Qt::ControlModifier);
        QVERIFY(respondido);
        QCOMPARE(leerPreferencias(), (Preferencias{QStringLiteral("Ana Pérez Núñez"),
                                                   QStringLiteral("Villanueva, fase 2")}));
        respondido = false;
        responderPreferencias(QStringLiteral("Otro"), QString(), false, respondido);
        hijo<QPushButton>(*p.ventana, "BotonPreferencias")->click();
        QVERIFY(respondido);
        QCOMPARE(leerPreferencias().autor, QStringLiteral("Ana Pérez Núñez"));
        // The dialog starts from what is saved.
        DialogoPreferencias dialogo;
        QCOMPARE(dialogo.preferencias(), leerPreferencias());
    }

    // The button sits in free space: over no other control of the window.
    void botonPreferenciasSinTapar() {
        VentanaDePrueba p;
        auto* boton = hijo<QPushButton>(*p.ventana, "BotonPreferencias");
        for (QWidget* otro : p.ventana->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (otro != boton && otro->isVisible()) {
                QVERIFY2(!otro->geometry().intersects(boton->geometry()),
                         qPrintable(otro->objectName()));
            }
        }
        QVERIFY(p.ventana->rect().contains(boton->geometry()));
    }

    // The criterion keeps its file's name, marked «(modificado)» while its limits or switches
    // differ from the file; a calculation file names itself and no criterion.
    void criterioModificado() {
        VentanaDePrueba p;
        QWidget& w = *p.ventana;
        QVERIFY(p.ventana->abrirArchivo(kEjemplos + QStringLiteral("/colector-1m.caVek")));
        VentanaGrafico* grafico = calcularYVerGrafico(w);
        QVERIFY(grafico && grafico->caso());
        QCOMPARE(grafico->encabezado().archivo, QStringLiteral("colector-1m.caVek"));
        QVERIFY(grafico->encabezado().criterio.isEmpty());

        QVERIFY(p.ventana->abrirArchivo(kEjemplos + QStringLiteral("/criterio-estricto.CrVek")));
        calcularYVerGrafico(w);
        QCOMPARE(grafico->encabezado().criterio, QStringLiteral("criterio-estricto.CrVek"));
        QVERIFY(!grafico->encabezado().criterioModificado);

        const QString vmax = texto(w, QStringLiteral("Text39"));
        teclear(w, QStringLiteral("Text39"), vmax + QStringLiteral("1"));
        calcularYVerGrafico(w);
        QCOMPARE(grafico->encabezado().criterio, QStringLiteral("criterio-estricto.CrVek"));
        QVERIFY(grafico->encabezado().criterioModificado);

        // Typed back as the file has it, the criterion is the file's again.
        teclear(w, QStringLiteral("Text39"), vmax);
        calcularYVerGrafico(w);
        QVERIFY(!grafico->encabezado().criterioModificado);

        auto* casilla = w.findChild<QCheckBox*>(QString::fromLatin1(filas()[2].casilla));
        QVERIFY(casilla);
        casilla->click();
        calcularYVerGrafico(w);
        QVERIFY(grafico->encabezado().criterioModificado);

        // Saved under a new name, the criterion is that file, unmodified.
        QTemporaryDir dir;
        p.dialogos->respuesta = dir.filePath(QStringLiteral("propio.CrVek"));
        hijo<QPushButton>(w, "Command17")->click();
        calcularYVerGrafico(w);
        QCOMPARE(grafico->encabezado().criterio, QStringLiteral("propio.CrVek"));
        QVERIFY(!grafico->encabezado().criterioModificado);
    }

    // The saved note carries the preferences and the marked criterion.
    void notaGuardadaConFirma() {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty()) {
            QSKIP("falta pdftotext (poppler-utils)");
        }
        guardarPreferencias({QStringLiteral("Ana Pérez"), QStringLiteral("Villanueva")});
        VentanaDePrueba p;
        QWidget& w = *p.ventana;
        QVERIFY(p.ventana->abrirArchivo(kEjemplos + QStringLiteral("/colector-1m.caVek")));
        QVERIFY(p.ventana->abrirArchivo(kEjemplos + QStringLiteral("/criterio-estricto.CrVek")));
        teclear(w, QStringLiteral("Text39"), texto(w, QStringLiteral("Text39")) + "1");
        VentanaGrafico* grafico = calcularYVerGrafico(w);
        QVERIFY(grafico);
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("nota.pdf"));
        p.dialogos->respuesta = ruta;
        hijo<QPushButton>(*grafico, "guardarNota")->click();
        QVERIFY2(QFile::exists(ruta), qPrintable(p.dialogos->errores.join(u'\n')));
        QProcess proceso;
        proceso.start(pdftotext, {ruta, QStringLiteral("-")});
        QVERIFY(proceso.waitForFinished(60000));
        const QString leido = QString::fromUtf8(proceso.readAllStandardOutput()).simplified();
        for (const QString& e :
             {QStringLiteral("Autor: Ana Pérez"), QStringLiteral("Proyecto: Villanueva"),
              QStringLiteral("Criterio: criterio-estricto.CrVek (modificado)."),
              QStringLiteral("Archivo de cálculo: sin guardar"), QStringLiteral("Resultado: ")}) {
            QVERIFY2(leido.contains(e), qPrintable(e + QStringLiteral(" en ") + leido));
        }
    }
};

QTEST_MAIN(TestNotaVentana)
#include "test_nota_ventana.moc"
