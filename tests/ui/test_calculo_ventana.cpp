// Calcular and the report from the window, in both decimal separators.
#include "apoyo.h"
#include "files/separador.h"
#include "report/informe.h"
#include "ui/puente.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>

using namespace colvero;
using namespace colvero::ui;
using namespace colvero::ui::prueba;

class TestCalculoVentana : public PruebaDeVentanas {
    Q_OBJECT

public:
    TestCalculoVentana() : PruebaDeVentanas() {}

private:
    // Fills "control=text" entries, unticks the listed check boxes and presses Calcular.
    static void calcularEn(QWidget& w, const QStringList& entradas, const QStringList& sinMarcar) {
        for (const QString& entrada : entradas) {
            const auto partes = entrada.split(QLatin1Char('='));
            teclear(w, partes[0], partes[1]);
        }
        for (const QString& casilla : sinMarcar) {
            hijo<QCheckBox>(w, casilla)->setChecked(false);
        }
        QTest::mouseClick(hijo<QPushButton>(w, "Command13"), Qt::LeftButton);
    }

private Q_SLOTS:

    void separadorDelLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<char>("esperado");
        QTest::newRow("Spanish") << QLocale(QLocale::Spanish, QLocale::Spain) << ',';
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << ',';
        QTest::newRow("C") << QLocale::c() << '.';
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << '.';
        // Arabic uses its own decimal sign, which the engine does not read.
        QTest::newRow("Arabic falls back to a point")
            << QLocale(QLocale::Arabic, QLocale::Egypt) << '.';
    }
    void separadorDelLocale() {
        QFETCH(QLocale, locale);
        QFETCH(char, esperado);
        QCOMPARE(separadorDecimalDe(locale), esperado);
    }

    void calcular_data() {
        QTest::addColumn<char>("separador");
        QTest::addColumn<QStringList>("entradas");
        QTest::addColumn<QStringList>("sinMarcar");
        QTest::addColumn<QStringList>("esperado");
        QTest::addColumn<bool>("informe");

        const QStringList colector{"Text34=1", "Text35=0.013", "Text18=0.005"};
        QTest::newRow("window as it opens stops at the Manning number")
            << '.' << QStringList{} << QStringList{}
            << QStringList{"NotaCol=El Nº de Manning ha de ser superior a 0.0001", "NotaCalC=-",
                           "Nota1=-", "Text37=-"}
            << false;
        QTest::newRow("collector only: input errors and the two slope checks")
            << '.' << colector << QStringList{}
            << QStringList{"NotaCalC=CÁLCULO REALIZADO",
                           "NotaCol=-",
                           "Nota1=(1)  [ERROR]  Q1<=0",
                           "Nota2=(2)  [ERROR]  V2<=0",
                           "Nota5=(5)  [ERROR]  Q5<=0",
                           "Nota8=(8)  [SI]  I8 > Imin",
                           "Nota9=(9)  [NO]  I9 > Imax",
                           "Nota10=(10)  [ERROR]  (y/D)<=0%",
                           "Text37=",
                           "Text62=0.005",
                           "Text61=0.005"}
            << true;
        QTest::newRow("full-section capacity of 1 m3/s")
            << '.' << colector + QStringList{"Text33=1"} << QStringList{}
            << QStringList{"Nota1=(1)  [SI]  Qll > Q1", "Text37=1.69534772"} << true;
        QTest::newRow("decimal comma")
            << ',' << QStringList{"Text34=1", "Text35=0,013", "Text18=0,005", "Text33=1"}
            << QStringList{}
            << QStringList{"Nota1=(1)  [SI]  Qll > Q1", "Text37=1,69534772", "Text62=0,005"}
            << true;
        QTest::newRow("decimal point under a comma locale is not a number")
            << ',' << colector << QStringList{} << QStringList{"NotaCalC=Datos de entrada erroneos"}
            << false;
        // Its field is hidden and cannot take the caret: the status line names it.
        QTest::newRow("letters in the flow of a disabled condition")
            << '.' << colector + QStringList{"Text42=abc"} << QStringList{"Check2"}
            << QStringList{"NotaCalC=Datos de entrada erroneos: «Caudal de la condición (2)» no "
                           "es un número (su condición está desactivada)",
                           "Nota1=-", "Nota2=-"}
            << false;
        QTest::newRow("letters in the speed limit of a disabled condition, comma locale")
            << ',' << QStringList{"Text34=1", "Text35=0,013", "Text18=0,005", "Text39=3.5"}
            << QStringList{"Check2"}
            << QStringList{"NotaCalC=Datos de entrada erroneos: «Vmax (m/s) de la condición (2)» "
                           "no es un número (su condición está desactivada)"}
            << false;
        QTest::newRow("every condition off")
            << '.' << colector << QStringList{"Check1", "Check2", "Check3", "Check4", "Check5",
                                              "Check6", "Check7", "Check8", "Check9", "Check10"}
            << QStringList{"NotaCalC=CÁLCULO REALIZADO", "Nota8=-", "Text37=", "Text62=0"} << true;
    }
    void calcular() {
        QFETCH(char, separador);
        QFETCH(QStringList, entradas);
        QFETCH(QStringList, sinMarcar);
        QFETCH(QStringList, esperado);
        QFETCH(bool, informe);
        VentanaDePrueba prueba(separador);
        QWidget& w = *prueba.ventana;
        calcularEn(w, entradas, sinMarcar);
        for (const QString& linea : esperado) {
            const qsizetype igual = linea.indexOf(QLatin1Char('='));
            QCOMPARE(texto(w, linea.left(igual)), linea.mid(igual + 1));
        }
        QCOMPARE(hijo<QPushButton>(w, "Command6")->isEnabled(), informe);
    }

    void calcularDosVecesDaLoMismo() {
        VentanaDePrueba prueba('.');
        QWidget& w = *prueba.ventana;
        calcularEn(w, {"Text34=1", "Text35=0.013", "Text18=0.005", "Text42=1", "Text39=3"}, {});
        const QString nota2 = texto(w, "Nota2");
        const QString v2 = texto(w, "Text38");
        QCOMPARE(nota2, QStringLiteral("(2)  [SI]  V2 < Vmax"));
        QTest::mouseClick(hijo<QPushButton>(w, "Command13"), Qt::LeftButton);
        QCOMPARE(texto(w, "Nota2"), nota2);
        QCOMPARE(texto(w, "Text38"), v2);
    }

    // The stored values outlive a run that does not compute them again.
    void valoresGuardadosSobrevivenAlReinicio() {
        VentanaDePrueba prueba('.');
        QWidget& w = *prueba.ventana;
        calcularEn(w, {"Text34=1", "Text35=0.013", "Text18=0.005", "Text33=1"}, {});
        const double qll = prueba.ventana->guardados().Qll;
        QVERIFY(qAbs(qll - 1.69534772) < 1e-8);
        calcularEn(w, {"Text33=0"}, {});
        QCOMPARE(texto(w, "Nota1"), QStringLiteral("(1)  [ERROR]  Q1<=0"));
        QCOMPARE(prueba.ventana->guardados().Qll, qll);
    }

    void informeAlPortapapeles_data() {
        QTest::addColumn<char>("separador");
        QTest::newRow("decimal point") << '.';
        QTest::newRow("decimal comma") << ',';
    }
    void informeAlPortapapeles() {
        QFETCH(char, separador);
        const QString coma = separador == ',' ? QStringLiteral(",") : QStringLiteral(".");
        VentanaDePrueba prueba(separador);
        QWidget& w = *prueba.ventana;
        calcularEn(w,
                   {QStringLiteral("Text34=1"), "Text35=0" + coma + "013",
                    "Text18=0" + coma + "005", QStringLiteral("Text33=1"), "Text76=1" + coma + "0",
                    QStringLiteral("Text53=1"), "Text54=2" + coma + "65",
                    QStringLiteral("Text56=10")},
                   {QStringLiteral("Check7")});
        QVERIFY(hijo<QPushButton>(w, "Command6")->isEnabled());
        // Titles have no reset: the report shows the title as edited after the run.
        teclear(w, "Text2", "Obra nueva");

        QGuiApplication::clipboard()->setText(QStringLiteral("anterior"));
        QTest::mouseClick(hijo<QPushButton>(w, "Command6"), Qt::LeftButton);

        DatosInforme datos;
        datos.calculo.titulo2 = "Obra nueva";
        datos.calculo.colector = {"1", ("0" + coma + "013").toStdString(),
                                  ("0" + coma + "005").toStdString()};
        datos.calculo.caudal[0] = "1";
        datos.calculo.caudal[4] = ("1" + coma + "0").toStdString();
        datos.calculo.criterio.gammaAgua = "1";
        datos.calculo.criterio.gammaParticula = ("2" + coma + "65").toStdString();
        datos.calculo.criterio.dpMin = "10";
        datos.calculo.criterio.activa[6] = false;
        for (int k = 0; k < 10; ++k) {
            datos.notas[k] = texto(w, QStringLiteral("Nota%1").arg(k + 1)).toStdString();
        }
        QCOMPARE(texto(w, "Nota5"), QStringLiteral("(5)  [SI]  (dp)5 > (dp)min"));
        QCOMPARE(texto(w, "Nota7"), QStringLiteral("-"));
        datos.guardados = prueba.ventana->guardados();
        QVERIFY(datos.guardados.dp5 > 17 && datos.guardados.dp5 < 17.2);

        const QString esperado = QString::fromStdString(generarInforme(datos, separador));
        QCOMPARE(QGuiApplication::clipboard()->text(), esperado);
    }

    // A text that is not a number ends the run; the window marks the field that holds it and
    // puts the caret there, so the engineer need not look through every box.
    void campoNoNumericoMarcado_data() {
        QTest::addColumn<QString>("campo");
        for (const char* nombre :
             {"Text34", "Text35", "Text18", "Text33", "Text42", "Text39", "Text43", "Text46",
              "Text48", "Text51", "Text76", "Text53", "Text54", "Text56", "Text67", "Text57",
              "Text70", "Text58", "Text64", "Text63", "Text71", "Text72"}) {
            QTest::addRow("letters in %s", nombre) << nombre;
        }
    }
    void campoNoNumericoMarcado() {
        QFETCH(QString, campo);
        VentanaDePrueba prueba('.');
        QWidget& w = *prueba.ventana;
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        calcularEn(w, {"Text34=1", "Text35=0.013", "Text18=0.005", campo + "=1.5x"}, {});
        QCOMPARE(texto(w, "NotaCalC"), QStringLiteral("Datos de entrada erroneos"));
        auto* caja = hijo<QLineEdit>(w, campo);
        QCOMPARE(caja->property("erroneo").toBool(), true);
        QCOMPARE(caja->toolTip(), QStringLiteral("No es un número. Número con punto decimal, por "
                                                 "ejemplo 0.013 (no con coma)"));
        QVERIFY(!caja->styleSheet().isEmpty());
        QCOMPARE(QApplication::focusWidget(), caja);
        QCOMPARE(caja->selectedText(), QStringLiteral("1.5x"));
        // Typing replaces the selected text, and the mark goes with the first key.
        QTest::keyClick(caja, Qt::Key_2);
        QCOMPARE(caja->text(), QStringLiteral("2"));
        QCOMPARE(caja->property("erroneo").toBool(), false);
        QCOMPARE(caja->toolTip(),
                 QStringLiteral("Número con punto decimal, por ejemplo 0.013 (no con coma)"));
        for (QLineEdit* otra : w.findChildren<QLineEdit*>()) {
            QVERIFY2(!otra->property("erroneo").toBool(), qPrintable(otra->objectName()));
        }
    }

    // The next Calcular clears the mark, or moves it, and the field looks as it did before.
    void marcaSeQuitaAlCalcular() {
        VentanaDePrueba prueba('.');
        QWidget& w = *prueba.ventana;
        auto* caudal = hijo<QLineEdit>(w, "Text42");
        auto* limite = hijo<QLineEdit>(w, "Text39");
        const QImage antes = caudal->grab().toImage();
        // The flow of condition 2 is converted before its limit: the flow is named first.
        calcularEn(w, {"Text34=1", "Text35=0.013", "Text18=0.005", "Text39=x", "Text42=y"}, {});
        QVERIFY(caudal->property("erroneo").toBool());
        QVERIFY(!limite->property("erroneo").toBool());
        QVERIFY(caudal->grab().toImage() != antes);

        // Mended without its change signal, only the next Calcular can move the mark.
        caudal->blockSignals(true);
        caudal->setText(QStringLiteral("0"));
        caudal->blockSignals(false);
        QTest::mouseClick(hijo<QPushButton>(w, "Command13"), Qt::LeftButton);
        QVERIFY(!caudal->property("erroneo").toBool());
        QVERIFY(limite->property("erroneo").toBool());

        teclear(w, "Text39", "3");
        QTest::mouseClick(hijo<QPushButton>(w, "Command13"), Qt::LeftButton);
        QCOMPARE(texto(w, "NotaCalC"), QStringLiteral("CÁLCULO REALIZADO"));
        QVERIFY(!limite->property("erroneo").toBool());
        QVERIFY(caudal->styleSheet().isEmpty());
        QCOMPARE(caudal->grab().toImage(), antes);
    }

    // Results longer than their box: the tooltip holds the whole text, which can be selected
    // and copied; the box is still passed by the Tab key and cannot be edited.
    void resultadoLegibleYCopiable_data() {
        QTest::addColumn<QString>("campo");
        QTest::newRow("full-section capacity") << "Text37";
        QTest::newRow("fill ratio, 55,23997550 in the report") << "Text52";
        QTest::newRow("hydraulic radius, its own colours") << "Text55";
        QTest::newRow("particle diameter") << "Text19";
    }
    void resultadoLegibleYCopiable() {
        QFETCH(QString, campo);
        VentanaDePrueba prueba(',');
        QWidget& w = *prueba.ventana;
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* caja = hijo<QLineEdit>(w, campo);
        QCOMPARE(caja->toolTip(), QStringLiteral("-"));
        calcularEn(w,
                   {"Text34=1", "Text35=0,013", "Text18=0,005", "Text33=1", "Text48=1", "Text76=1",
                    "Text53=1", "Text54=2,65", "Text56=10"},
                   {});
        QVERIFY2(caja->text().size() >= 10, qPrintable(caja->text()));
        QVERIFY(caja->fontMetrics().horizontalAdvance(caja->text()) > caja->width());
        QCOMPARE(caja->toolTip(), caja->text());

        QTest::mouseClick(caja, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), caja);
        QTest::keyClick(caja, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(caja, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), caja->text());
        const QString valor = caja->text();
        QTest::keyClick(caja, Qt::Key_Delete);
        QTest::keyClicks(caja, "9");
        QCOMPARE(caja->text(), valor);
        QVERIFY(!(caja->focusPolicy() & Qt::TabFocus));

        // A reset clears the tooltip with the text.
        teclear(w, "Text34", "2");
        QCOMPARE(caja->toolTip(), QStringLiteral("-"));
    }

    // Every numeric field says which decimal separator it takes; the title boxes say nothing.
    void ayudaDelSeparadorDecimal_data() {
        QTest::addColumn<char>("separador");
        QTest::addColumn<QString>("ayuda");
        QTest::newRow("comma") << ','
                               << "Número con coma decimal, por ejemplo 0,013 (no con punto)";
        QTest::newRow("point") << '.'
                               << "Número con punto decimal, por ejemplo 0.013 (no con coma)";
    }
    void ayudaDelSeparadorDecimal() {
        QFETCH(char, separador);
        QFETCH(QString, ayuda);
        VentanaDePrueba prueba(separador);
        for (int k = 0; k <= static_cast<int>(CampoNumerico::Vmin10); ++k) {
            const char* nombre = controlDe(static_cast<CampoNumerico>(k));
            QCOMPARE(hijo<QLineEdit>(*prueba.ventana, QLatin1String(nombre))->toolTip(), ayuda);
        }
        QVERIFY(hijo<QLineEdit>(*prueba.ventana, "Text1")->toolTip().isEmpty());
    }

    // A diameter over 5 m is almost certainly millimetres: a mark beside the box, and the
    // results exactly those of the same case without it.
    void diametroEnMilimetros_data() {
        QTest::addColumn<char>("separador");
        QTest::addColumn<QString>("diametro");
        QTest::addColumn<bool>("marca");
        QTest::newRow("300, millimetres") << '.' << "300" << true;
        QTest::newRow("just over 5 m") << ',' << "5,001" << true;
        QTest::newRow("5 m itself") << '.' << "5" << false;
        QTest::newRow("0,3 m") << ',' << "0,3" << false;
        QTest::newRow("not a number") << '.' << "3oo" << false;
        QTest::newRow("a point under a comma locale is not a number") << ',' << "300.5" << false;
    }
    void diametroEnMilimetros() {
        QFETCH(char, separador);
        QFETCH(QString, diametro);
        QFETCH(bool, marca);
        VentanaDePrueba prueba(separador);
        QWidget& w = *prueba.ventana;
        auto* aviso = hijo<QLabel>(w, "AvisoDiametro");
        QVERIFY(!aviso->isVisible());
        const QString n = separador == ',' ? QStringLiteral("0,013") : QStringLiteral("0.013");
        calcularEn(w, {"Text34=" + diametro, "Text35=" + n, "Text18=1", "Text33=1"}, {});
        QCOMPARE(aviso->isVisible(), marca);
        if (marca) {
            QVERIFY2(aviso->toolTip().contains(QStringLiteral("milímetros")),
                     qPrintable(aviso->toolTip()));
            // Beside the box, clear of it.
            const QRect caja = hijo<QWidget>(w, "Text34")->geometry();
            QVERIFY(aviso->geometry().left() > caja.right());
            QVERIFY(qAbs(aviso->geometry().center().y() - caja.center().y()) < caja.height());
        }
        ValoresGuardados guardados;
        const ResultadoCalculo esperado =
            colvero::calcular(calculoDe(prueba.ventana->controles()), guardados, separador);
        QCOMPARE(texto(w, "NotaCalC"), QString::fromStdString(esperado.notaCalC));
        QCOMPARE(texto(w, "NotaCol"), QString::fromStdString(esperado.notaCol));
        QCOMPARE(texto(w, "Nota1"), QString::fromStdString(esperado.notas[0]));
        teclear(w, "Text34", separador == ',' ? "0,5" : "0.5");
        QVERIFY(!aviso->isVisible());
    }

    // Edits since a calculation file was last opened or saved are unsaved; opening, saving
    // and a criterion read over them settle it as the file operations say.
    void cambiosSinGuardar() {
        QTemporaryDir dir;
        VentanaDePrueba prueba('.');
        VentanaPrincipal& w = *prueba.ventana;
        QVERIFY(!w.cambiosSinGuardar());
        teclear(w, "Text1", "Colector");
        QVERIFY(w.cambiosSinGuardar());
        prueba.dialogos->respuesta = dir.filePath(QStringLiteral("caso.caVek"));
        QTest::mouseClick(hijo<QPushButton>(w, "Command21"), Qt::LeftButton);
        QVERIFY(!w.cambiosSinGuardar());
        hijo<QCheckBox>(w, "Check4")->click();
        QVERIFY(w.cambiosSinGuardar());
        // Saving the criterion alone leaves the case's other edits unsaved.
        prueba.dialogos->respuesta = dir.filePath(QStringLiteral("c.CrVek"));
        QTest::mouseClick(hijo<QPushButton>(w, "Command17"), Qt::LeftButton);
        QVERIFY(w.cambiosSinGuardar());
        prueba.dialogos->respuesta = dir.filePath(QStringLiteral("caso.caVek"));
        QTest::mouseClick(hijo<QPushButton>(w, "Command20"), Qt::LeftButton);
        QVERIFY(!w.cambiosSinGuardar());
        QCOMPARE(texto(w, "Text1"), QStringLiteral("Colector"));
        prueba.dialogos->respuesta = dir.filePath(QStringLiteral("c.CrVek"));
        QTest::mouseClick(hijo<QPushButton>(w, "Command16"), Qt::LeftButton);
        QVERIFY(w.cambiosSinGuardar());
        QVERIFY(prueba.dialogos->errores.isEmpty());
    }

    void informeDeshabilitadoNoTocaElPortapapeles() {
        VentanaDePrueba prueba('.');
        QGuiApplication::clipboard()->setText(QStringLiteral("anterior"));
        QTest::mouseClick(hijo<QPushButton>(*prueba.ventana, "Command6"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("anterior"));
    }
};

QTEST_MAIN(TestCalculoVentana)
#include "test_calculo_ventana.moc"
