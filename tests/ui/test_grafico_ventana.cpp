// The chart button of the window and the chart window: where the button sits, what the chart
// shows before and after Calcular, and saving its picture and the note.
#include "apoyo.h"
#include "files/archivos.h"
#include "note/caso.h"
#include "ui/puente.h"
#include "ui/ventana_grafico.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>

using namespace colvero;
using namespace colvero::ui;
using namespace colvero::ui::prueba;

namespace {

// A collector where every condition is evaluated, typed into the window.
const QStringList kCaso{
    "Text1=Tramo 3-4", "Text34=1",     "Text35=0.013", "Text18=0.005", "Text33=1",  "Text42=1",
    "Text39=3",        "Text43=0.2",   "Text46=0.6",   "Text48=1",     "Text51=75", "Text76=0.5",
    "Text54=2.65",     "Text53=1",     "Text56=10",    "Text67=1",     "Text57=1",  "Text70=1.2",
    "Text58=2",        "Text64=0.004", "Text63=0.01",  "Text71=50",    "Text72=0.6"};

void calcularEn(QWidget& w, const QStringList& entradas) {
    for (const QString& entrada : entradas) {
        const auto partes = entrada.split(QLatin1Char('='));
        teclear(w, partes[0], partes[1]);
    }
    QTest::mouseClick(hijo<QPushButton>(w, "Command13"), Qt::LeftButton);
}

VentanaGrafico* abrirGrafico(QWidget& w) {
    QTest::mouseClick(hijo<QPushButton>(w, "CommandGrafico"), Qt::LeftButton);
    return w.findChild<VentanaGrafico*>(QStringLiteral("VentanaGrafico"));
}

} // namespace

class TestGraficoVentana : public PruebaDeVentanas {
    Q_OBJECT

public:
    TestGraficoVentana() : PruebaDeVentanas() {}

private Q_SLOTS:

    void botonEnLaBandaDelTitulo() {
        VentanaDePrueba v;
        auto* boton = hijo<QPushButton>(*v.ventana, "CommandGrafico");
        QCOMPARE(boton->text(), QStringLiteral("Gráfico"));
        QVERIFY(boton->isVisible());
        const QRect r = boton->geometry();
        // Above the status frame, inside its width, right of the subtitle.
        const QRect marco = hijo<QWidget>(*v.ventana, "Shape21")->geometry();
        QVERIFY(r.bottom() < marco.top());
        QVERIFY(r.right() <= marco.right());
        // The maker's panel of the background starts at the maker's captions.
        QVERIFY(r.right() < hijo<QWidget>(*v.ventana, "Label2")->geometry().left() - 16);
        QVERIFY(r.left() > hijo<QWidget>(*v.ventana, "Label32")->geometry().right());
        const auto hijos = v.ventana->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (const QWidget* otro : hijos) {
            if (otro != boton && otro->isVisible() && otro->geometry().intersects(r)) {
                QFAIL(qPrintable(QStringLiteral("el botón tapa ") + otro->objectName()));
            }
        }
        QCOMPARE(boton->toolTip(), VentanaGrafico::sinCalculo() + QStringLiteral(" (Ctrl+G)"));
    }

    void graficoSigueAlUltimoCalculo() {
        VentanaDePrueba v;
        VentanaGrafico* g = abrirGrafico(*v.ventana);
        QVERIFY(g && g->isVisible());
        QVERIFY(g->datos().puntos.empty());
        QCOMPARE(texto(*g, "aviso"), VentanaGrafico::sinCalculo());
        QVERIFY(!hijo<QPushButton>(*g, "guardarNota")->isEnabled());

        calcularEn(*v.ventana, kCaso);
        QVERIFY(g->caso().has_value());
        QCOMPARE(g->datos().puntos.size(), size_t{6});
        const auto esperado = nota::calcularCaso(g->caso()->calculo, '.');
        QVERIFY(esperado.has_value());
        QCOMPARE(g->datos().puntos[0].qQll, nota::datosGrafico(*esperado).puntos[0].qQll);
        QVERIFY(hijo<QPushButton>(*g, "guardarNota")->isEnabled());
        QVERIFY(hijo<QPushButton>(*v.ventana, "CommandGrafico")->toolTip() !=
                VentanaGrafico::sinCalculo());

        // A new Calcular with a larger flow (2) moves its point; one that does not complete
        // leaves the last completed one.
        const double antes = g->datos().puntos[0].qQll;
        calcularEn(*v.ventana, {"Text42=1.5"});
        QCOMPARE(g->caso()->calculo.caudal[1], std::string("1.5"));
        QVERIFY(g->datos().puntos[0].qQll > antes);
        calcularEn(*v.ventana, {"Text42=x"});
        QCOMPARE(g->caso()->calculo.caudal[1], std::string("1.5"));
    }

    // After the main window's case changes, the chart window keeps its own case whole and
    // says plainly that it is no longer the window's; the next Calcular brings them together.
    void casoCambiado_data() {
        QTest::addColumn<QString>("cambio");
        QTest::addColumn<bool>("abiertaAntes"); // the chart window was open at the change
        QTest::newRow("a box edited") << "Text35=0.014" << true;
        QTest::newRow("a title edited") << "Text1=Tramo 5-6" << true;
        QTest::newRow("a condition switched off") << "Check3" << true;
        QTest::newRow("the same case read from a file") << "archivo" << true;
        QTest::newRow("a box edited, chart opened later") << "Text35=0.014" << false;
    }
    void casoCambiado() {
        QFETCH(QString, cambio);
        QFETCH(bool, abiertaAntes);
        QTemporaryDir dir;
        VentanaDePrueba v;
        calcularEn(*v.ventana, kCaso);
        VentanaGrafico* g = abiertaAntes ? abrirGrafico(*v.ventana) : nullptr;
        const QString frase =
            QStringLiteral("El caso de la ventana principal ha cambiado desde este cálculo");
        if (g)
            QVERIFY(!texto(*g, "aviso").contains(frase));
        if (cambio == QLatin1String("archivo")) {
            const QString ruta = dir.filePath(QStringLiteral("caso.caVek"));
            guardarCalculo(ruta, calculoDe(v.ventana->controles()), '.');
            v.dialogos->respuesta = ruta;
            QTest::mouseClick(hijo<QPushButton>(*v.ventana, "Command20"), Qt::LeftButton);
            QCOMPARE(texto(*v.ventana, "Label1ap"), ruta);
        } else if (cambio.startsWith(QLatin1String("Check"))) {
            hijo<QCheckBox>(*v.ventana, cambio)->click();
        } else {
            const auto partes = cambio.split(QLatin1Char('='));
            teclear(*v.ventana, partes[0], partes[1]);
        }
        if (!g)
            g = abrirGrafico(*v.ventana);
        QVERIFY(g->cambiado());
        QVERIFY2(texto(*g, "aviso").contains(frase), qPrintable(texto(*g, "aviso")));
        // Its case is still the one calculated, titles included.
        QCOMPARE(g->caso()->calculo.titulo1, std::string("Tramo 3-4"));
        QCOMPARE(g->caso()->calculo.colector.n, std::string("0.013"));
        QVERIFY(hijo<QPushButton>(*g, "guardarNota")
                    ->toolTip()
                    .contains(QStringLiteral("«Tramo 3-4»")));

        QTest::mouseClick(hijo<QPushButton>(*v.ventana, "Command13"), Qt::LeftButton);
        QVERIFY(!g->cambiado());
        QVERIFY(!texto(*g, "aviso").contains(frase));
        QCOMPARE(g->caso()->calculo, calculoDe(v.ventana->controles()));
        if (cambio == QLatin1String("archivo"))
            QVERIFY2(texto(*g, "aviso").endsWith(QStringLiteral(" · caso.caVek")),
                     qPrintable(texto(*g, "aviso")));
    }

    void atajoAbreElGrafico() {
        VentanaDePrueba v;
        QApplication::setActiveWindow(v.ventana.get());
        QVERIFY(QTest::qWaitForWindowActive(v.ventana.get()));
        QTest::keyClick(v.ventana->focusWidget(), Qt::Key_G, Qt::ControlModifier);
        auto* g = v.ventana->findChild<VentanaGrafico*>(QStringLiteral("VentanaGrafico"));
        QVERIFY(g && g->isVisible());
    }

    void guardar_data() {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QByteArray>("inicio");
        QTest::newRow("imagen PNG") << "guardarImagen"
                                    << "grafico.png" << QByteArray("\x89PNG");
        QTest::newRow("imagen SVG, extensión en mayúsculas")
            << "guardarImagen"
            << "grafico.SVG" << QByteArray("<?xml");
        QTest::newRow("nota PDF") << "guardarNota"
                                  << "nota.pdf" << QByteArray("%PDF-");
    }
    void guardar() {
        QFETCH(QString, boton);
        QFETCH(QString, nombre);
        QFETCH(QByteArray, inicio);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        VentanaDePrueba v;
        calcularEn(*v.ventana, kCaso);
        VentanaGrafico* g = abrirGrafico(*v.ventana);
        v.dialogos->respuesta = dir.filePath(nombre);
        QTest::mouseClick(hijo<QPushButton>(*g, boton), Qt::LeftButton);
        QCOMPARE(v.dialogos->errores, QStringList{});
        QCOMPARE(v.dialogos->llamadas.size(), 1);
        // The dialog asks before replacing a file and completes a bare name.
        QCOMPARE(v.dialogos->llamadas[0].modo, Guardado::Preguntando);
        QFile archivo(dir.filePath(nombre));
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        QVERIFY(archivo.readAll().startsWith(inicio));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{nombre});
    }

    void guardarFallido_data() {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("imagen en una carpeta que no existe") << "guardarImagen"
                                                             << "falta/grafico.png"
                                                             << "la carpeta no existe";
        QTest::newRow("nota en una carpeta que no existe") << "guardarNota"
                                                           << "falta/nota.pdf"
                                                           << "la carpeta no existe";
        QTest::newRow("imagen sin extensión conocida") << "guardarImagen"
                                                       << "grafico.jpg"
                                                       << "extensión .png o .svg";
        QTest::newRow("nota sin extensión .pdf") << "guardarNota"
                                                 << "nota"
                                                 << "extensión .pdf";
    }
    void guardarFallido() {
        QFETCH(QString, boton);
        QFETCH(QString, nombre);
        QFETCH(QString, mensaje);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        VentanaDePrueba v;
        calcularEn(*v.ventana, kCaso);
        VentanaGrafico* g = abrirGrafico(*v.ventana);
        v.dialogos->respuesta = dir.filePath(nombre);
        QTest::mouseClick(hijo<QPushButton>(*g, boton), Qt::LeftButton);
        QCOMPARE(v.dialogos->errores.size(), 1);
        QVERIFY2(v.dialogos->errores[0].contains(mensaje), qPrintable(v.dialogos->errores[0]));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{});
    }
};

QTEST_MAIN(TestGraficoVentana)
#include "test_grafico_ventana.moc"
