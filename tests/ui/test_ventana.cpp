// Layout, tab order and reactions of the window.
#include "apoyo.h"
#include "ui/estilos.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace colvero::ui;
using namespace colvero::ui::prueba;

namespace {

const QStringList kNotas{"NotaCol", "Nota1", "Nota2", "Nota3", "Nota4", "Nota5",
                         "Nota6",   "Nota7", "Nota8", "Nota9", "Nota10"};
const QStringList kCalculados{"Text37", "Text38", "Text47", "Text52", "Text55", "Text19",
                              "Text59", "Text60", "Text62", "Text61", "Text73"};

// Controls of each row that its check box hides, written out apart from the window's own table.
const QList<QStringList> kFilas{
    {"Text33", "Text37", "Text9", "Label7"},
    {"Text42", "Text39", "Text38", "Text8", "Label57", "Label11"},
    {"Text43", "Text46", "Text47", "Text7", "Label18", "Label8"},
    {"Text48", "Text51", "Text6", "Text52", "Label65", "Label12"},
    {"Text76", "Text53", "Text54", "Text56", "Text3", "Text55", "Text19", "Label75", "Label74",
     "Label76", "Label1", "Label33"},
    {"Text67", "Text57", "Text5", "Text59", "Label24", "Label15"},
    {"Text70", "Text58", "Text4", "Text60", "Label23", "Label14"},
    {"Text64", "Text13", "Text62", "Label22", "Label9", "Text12"},
    {"Text63", "Text15", "Text61", "Label21", "Text14", "Label13"},
    {"Text71", "Text72", "Text10", "Text73", "Label100", "Label101", "Label10", "Text11"},
};
const QStringList kTitulos{"Label35", "Label54", "Label58", "Label61", "Label78",
                           "Label83", "Label90", "Label97", "Label96", "Label102"};

// Receives the addresses that the window asks the desktop to open.
class Navegador : public QObject {
    Q_OBJECT
public:
    QList<QUrl> abiertas;
public Q_SLOTS:
    void abrir(const QUrl& direccion) { abiertas << direccion; }
};

} // namespace

class TestVentana : public PruebaDeVentanas {
    Q_OBJECT

public:
    TestVentana() : PruebaDeVentanas('.') {}

private:
    QPushButton* informe() { return hijo<QPushButton>(w(), "Command6"); }

    // A completed run: condition 1 gets a value, so there are results to clear.
    void calcularCasoValido() {
        teclear(w(), "Text34", "1");
        teclear(w(), "Text35", "0.013");
        teclear(w(), "Text18", "0.005");
        teclear(w(), "Text33", "1");
        QTest::mouseClick(hijo<QPushButton>(w(), "Command13"), Qt::LeftButton);
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CÁLCULO REALIZADO"));
        QCOMPARE(texto(w(), "Text37"), QStringLiteral("1.69534772"));
        QVERIFY(informe()->isEnabled());
    }

    void comprobarReiniciado() {
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CALCULO SIN REALIZAR"));
        QVERIFY(!informe()->isEnabled());
        for (const QString& nombre : kNotas + kCalculados) {
            QVERIFY2(texto(w(), nombre) == QStringLiteral("-"), qPrintable(nombre));
        }
    }

private Q_SLOTS:
    void initTestCase() { registrarSustitutosDeFuentes(); }

    void leyendasAlArrancar_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("program title") << "Label6"
                                       << "Colvero 2";
        QTest::newRow("title shadow") << "Label26"
                                      << "Colvero 2";
        QTest::newRow("version line, two blanks before 2") << "Label38"
                                                           << "Colvero Versión  2";
        QTest::newRow("maker") << "Label2"
                               << "Fluvenor";
        QTest::newRow("subtitle") << "Label32"
                                  << "Comprobación de condiciones de diseño";
        QTest::newRow("sponsor line keeps its blank") << "Label5"
                                                      << "Patrocina esta aplicación ";
        QTest::newRow("status") << "NotaCalC"
                                << "-";
        QTest::newRow("collector note") << "NotaCol"
                                        << "-";
        QTest::newRow("calculation file") << "Label1ap"
                                          << "-";
        QTest::newRow("criterion file") << "Label3ap"
                                        << "-";
        QTest::newRow("first title") << "Text1"
                                     << "Título 1";
        QTest::newRow("diameter") << "Text34"
                                  << "0";
        QTest::newRow("flow name 5") << "Text3"
                                     << "Denominación de caudal (5)";
        QTest::newRow("placeholder name 9") << "Text15"
                                            << "Condición independiente del Caudal";
        QTest::newRow("placeholder flow 10") << "Text11"
                                             << "-";
        QTest::newRow("limit of condition 10") << "Text72"
                                               << "0";
        QTest::newRow("result field") << "Text19"
                                      << "-";
        QTest::newRow("verdict") << "Nota10"
                                 << "-";
        QTest::newRow("row 5 title wraps at its blanks")
            << "Label78"
            << "(5). Condición autolimpieza            (Fórmula de Shields)";
    }
    void leyendasAlArrancar() {
        QFETCH(QString, control);
        QFETCH(QString, esperado);
        QCOMPARE(texto(w(), control), esperado);
    }

    void ventanaAlArrancar() {
        QCOMPARE(w().windowTitle(), QStringLiteral("Colvero 2"));
        QCOMPARE(w().size(), QSize(1003, 727));
        QCOMPARE(w().minimumSize(), w().maximumSize());
        QVERIFY(!(w().windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w().windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!informe()->isEnabled());
        QVERIFY(!hijo<QWidget>(w(), "Image1")->isVisible());
        QCOMPARE(QApplication::focusWidget(), hijo<QWidget>(w(), "Text1"));
        for (int k = 1; k <= 10; ++k) {
            auto* casilla = hijo<QCheckBox>(w(), QStringLiteral("Check%1").arg(k));
            QVERIFY(casilla->isChecked());
            QVERIFY(casilla->text().isEmpty());
            QCOMPARE(casilla->size(), QSize(16, 16));
        }
        for (const QStringList& fila : kFilas) {
            for (const QString& nombre : fila) {
                QVERIFY2(hijo<QWidget>(w(), nombre)->isVisible(), qPrintable(nombre));
            }
        }
    }

    void geometria_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("esperado");
        QTest::newRow("diameter box") << "Text34" << QRect(748, 305, 67, 19);
        QTest::newRow("calculate button") << "Command13" << QRect(10, 196, 86, 21);
        QTest::newRow("report button") << "Command6" << QRect(103, 199, 86, 35);
        QTest::newRow("tall flow name of row 5") << "Text3" << QRect(280, 511, 149, 51);
        QTest::newRow("slope limit, wider") << "Text64" << QRect(642, 630, 43, 19);
        QTest::newRow("verdict 10 passes the client edge") << "Nota10" << QRect(828, 686, 223, 18);
        QTest::newRow("panel of the file names") << "Shape23" << QRect(200, 246, 615, 50);
        QTest::newRow("Shields picture") << "Image1" << QRect(35, 500, 243, 28);
    }
    void geometria() {
        QFETCH(QString, control);
        QFETCH(QRect, esperado);
        QCOMPARE(hijo<QWidget>(w(), control)->geometry(), esperado);
    }

    void aspecto_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<QColor>("texto");
        QTest::addColumn<QColor>("fondo");
        QTest::newRow("number input")
            << "Text33" << true << QColor(0, 64, 0) << QColor(192, 255, 192);
        QTest::newRow("text input")
            << "Text2" << true << QColor(64, 64, 64) << QColor(192, 255, 192);
        QTest::newRow("limit input")
            << "Text57" << true << QColor(192, 255, 192) << QColor(0, 0, 0);
        QTest::newRow("parameter of row 10 is a number input")
            << "Text71" << true << QColor(0, 64, 0) << QColor(192, 255, 192);
        QTest::newRow("result field")
            << "Text73" << false << QColor(0, 0, 64) << QColor(0, 128, 128);
        QTest::newRow("hydraulic radius")
            << "Text55" << false << QColor(0, 255, 0) << QColor(128, 128, 0);
        QTest::newRow("flow placeholder")
            << "Text14" << false << QColor(0, 64, 0) << QColor(192, 255, 192);
        QTest::newRow("name placeholder")
            << "Text10" << false << QColor(64, 64, 64) << QColor(192, 255, 192);
    }
    void aspecto() {
        QFETCH(QString, control);
        QFETCH(bool, editable);
        QFETCH(QColor, texto);
        QFETCH(QColor, fondo);
        auto* caja = hijo<QLineEdit>(w(), control);
        QCOMPARE(caja->isEnabled() && !caja->isReadOnly(), editable);
        const auto grupo = caja->isEnabled() ? QPalette::Active : QPalette::Disabled;
        QCOMPARE(caja->palette().color(grupo, QPalette::Text), texto);
        QCOMPARE(caja->palette().color(grupo, QPalette::Base), fondo);
    }

    // No caption runs under a box, button or check box: its whole text stays readable.
    void ningunaLeyendaBajoUnaCaja() {
        const auto cajas = w().findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QStringList tapadas;
        for (QLabel* etiqueta : w().findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (etiqueta->wordWrap() || etiqueta->text().isEmpty()) {
                continue;
            }
            const QFontMetrics medidas = etiqueta->fontMetrics();
            const QRect texto(etiqueta->pos(),
                              QSize(medidas.horizontalAdvance(etiqueta->text()), medidas.height()));
            for (QWidget* caja : cajas) {
                const bool tapa =
                    qobject_cast<QLineEdit*>(caja) || qobject_cast<QAbstractButton*>(caja);
                if (tapa && caja->isVisible() && caja->geometry().intersects(texto)) {
                    tapadas << etiqueta->objectName() + " < " + caja->objectName();
                }
            }
        }
        QVERIFY2(tapadas.isEmpty(), qPrintable(tapadas.join(", ")));
    }

    void aspectoDeEtiquetas_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("familia");
        QTest::addColumn<qreal>("puntos");
        QTest::addColumn<bool>("negrita");
        const QString sans = QStringLiteral("MS Sans Serif");
        const QString bell = QStringLiteral("Bell MT");
        const QColor verdeClaro(192, 255, 192);
        const QColor verdeOscuro(0, 64, 0);
        QTest::newRow("program title") << "Label6" << verdeClaro << bell << 48.0 << true;
        QTest::newRow("title shadow") << "Label26" << verdeOscuro << bell << 48.0 << true;
        QTest::newRow("version line") << "Label38" << verdeClaro << bell << 12.0 << true;
        QTest::newRow("subtitle") << "Label32" << verdeClaro << sans << 9.75 << false;
        QTest::newRow("maker's name") << "Label2" << verdeOscuro << sans << 9.75 << true;
        QTest::newRow("sponsor's address") << "Label4" << verdeOscuro << sans << 9.75 << false;
        QTest::newRow("sponsor line") << "Label5" << verdeOscuro << sans << 8.25 << true;
        QTest::newRow("maker's address") << "Label3" << verdeOscuro << sans << 9.75 << false;
        QTest::newRow("calculation status") << "NotaCalC" << verdeClaro << sans << 9.75 << true;
        QTest::newRow("file label") << "Label3ap" << verdeClaro << sans << 8.25 << false;
        QTest::newRow("title caption")
            << "Label29" << QColor(255, 255, 255) << sans << 8.25 << true;
        QTest::newRow("row title") << "Label102" << QColor(255, 255, 255) << sans << 8.25 << true;
        QTest::newRow("header caption") << "Label52" << QColor(64, 64, 64) << sans << 8.25 << true;
        QTest::newRow("first header caption is black")
            << "Label19" << QColor(0, 0, 0) << sans << 8.25 << true;
        QTest::newRow("quantity caption") << "Label46" << verdeClaro << sans << 8.25 << false;
        QTest::newRow("limit caption")
            << "Label101" << QColor(255, 255, 0) << sans << 8.25 << false;
        QTest::newRow("particle caption of row 5")
            << "Label75" << QColor(255, 255, 0) << sans << 8.25 << false;
        QTest::newRow("verdict") << "Nota7" << verdeClaro << sans << 8.25 << false;
    }
    void aspectoDeEtiquetas() {
        QFETCH(QString, control);
        QFETCH(QColor, color);
        QFETCH(QString, familia);
        QFETCH(qreal, puntos);
        QFETCH(bool, negrita);
        auto* etiqueta = hijo<QLabel>(w(), control);
        QCOMPARE(etiqueta->palette().color(QPalette::WindowText), color);
        QCOMPARE(etiqueta->font().family(), familia);
        QCOMPARE(etiqueta->font().pointSizeF(), puntos);
        QCOMPARE(etiqueta->font().bold(), negrita);
        QVERIFY(!etiqueta->autoFillBackground());
    }

    void fondoDeBotones_data() {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<QColor>("fondo");
        QTest::newRow("Calcular") << "Command13" << QColor(255, 255, 255);
        QTest::newRow("Salir") << "Command8" << QColor(224, 224, 224);
        QTest::newRow("report") << "Command6" << QColor(192, 192, 192);
        QTest::newRow("Abrir Cálculo") << "Command20" << QColor(192, 192, 192);
        QTest::newRow("Guardar Cálculo") << "Command21" << QColor(192, 192, 192);
        QTest::newRow("Abrir criterio") << "Command16" << QColor(128, 128, 128);
        QTest::newRow("Guardar criterio") << "Command17" << QColor(128, 128, 128);
    }
    void fondoDeBotones() {
        QFETCH(QString, boton);
        QFETCH(QColor, fondo);
        QCOMPARE(hijo<QPushButton>(w(), boton)->palette().color(QPalette::Button), fondo);
    }

    // The report button starts disabled: its caption must still read against its grey.
    void informeDeshabilitadoSeLee() {
        const QPalette paleta = informe()->palette();
        const int fondo = paleta.color(QPalette::Disabled, QPalette::Button).lightness();
        const int letra = paleta.color(QPalette::Disabled, QPalette::ButtonText).lightness();
        QVERIFY2(qAbs(fondo - letra) >= 64,
                 qPrintable(QStringLiteral("%1 / %2").arg(letra).arg(fondo)));
        // Still told apart from the enabled caption.
        QVERIFY(paleta.color(QPalette::Active, QPalette::ButtonText).lightness() + 64 <= letra);
    }

    void enlaceDelFabricante_data() {
        QTest::addColumn<Qt::MouseButton>("boton");
        QTest::addColumn<QPoint>("suelta");
        QTest::addColumn<bool>("abre");
        QTest::newRow("left click opens the address shown")
            << Qt::LeftButton << QPoint(5, 5) << true;
        QTest::newRow("released off the label opens nothing")
            << Qt::LeftButton << QPoint(5, 500) << false;
        QTest::newRow("right click opens nothing") << Qt::RightButton << QPoint(5, 5) << false;
    }

    void enlaceDelFabricante() {
        QFETCH(Qt::MouseButton, boton);
        QFETCH(QPoint, suelta);
        QFETCH(bool, abre);
        Navegador navegador;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &navegador, "abrir");
        auto* enlace = hijo<QLabel>(w(), "Label3");
        QTest::mousePress(enlace, boton, {}, QPoint(5, 5));
        QTest::mouseRelease(enlace, boton, {}, suelta);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QVERIFY(enlace->text().startsWith(QStringLiteral("https://")));
        const QList<QUrl> esperadas = abre ? QList<QUrl>{QUrl(enlace->text())} : QList<QUrl>{};
        QCOMPARE(navegador.abiertas, esperadas);
    }

    // The events of a real double click: press, release, press, double click, release.
    void dobleClicEnElEnlaceAbreUnaVez() {
        Navegador navegador;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &navegador, "abrir");
        auto* enlace = hijo<QLabel>(w(), "Label3");
        const QPoint punto(5, 5);
        QTest::mouseClick(enlace, Qt::LeftButton, {}, punto);
        QTest::mousePress(enlace, Qt::LeftButton, {}, punto);
        QMouseEvent doble(QEvent::MouseButtonDblClick, punto, enlace->mapToGlobal(punto),
                          Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(enlace, &doble);
        QTest::mouseRelease(enlace, Qt::LeftButton, {}, punto);
        const qsizetype trasDobleClic = navegador.abiertas.size();
        // The next click opens again.
        QTest::mouseClick(enlace, Qt::LeftButton, {}, punto);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(trasDobleClic, 1);
        QCOMPARE(navegador.abiertas.size(), 2);
    }

    void ordenDeTabulacion_data() {
        QTest::addColumn<bool>("informeHabilitado");
        QTest::newRow("report button disabled is skipped") << false;
        QTest::newRow("report button enabled sits after Salir") << true;
    }
    void ordenDeTabulacion() {
        QFETCH(bool, informeHabilitado);
        informe()->setEnabled(informeHabilitado);
        QStringList esperado{
            "Text1",  "Text2",  "Text34", "Text35", "Text33", "Text42", "Text43",    "Text48",
            "Text76", "Text67", "Text70", "Text9",  "Text8",  "Text7",  "Text6",     "Text3",
            "Text5",  "Text4",  "Text39", "Text46", "Text51", "Text54", "Text53",    "Text56",
            "Text57", "Text58", "Text64", "Text63", "Text71", "Text72", "Command13", "Command8"};
        if (informeHabilitado) {
            esperado << "Command6";
        }
        esperado << "Command20"
                 << "Command21"
                 << "Command16"
                 << "Command17";
        for (int k = 1; k <= 10; ++k) {
            esperado << QStringLiteral("Check%1").arg(k);
        }
        // The assistant's and the chart's buttons, added later, follow every stop of the
        // original order.
        esperado << "Text18"
                 << "BotonAsistente"
                 << "CommandGrafico"
                 << "Text1";

        QStringList recorrido{QApplication::focusWidget()->objectName()};
        for (qsizetype k = 1; k < esperado.size(); ++k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            recorrido << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(recorrido, esperado);
    }

    void editarCampoVigiladoReinicia_data() {
        QTest::addColumn<QString>("campo");
        for (const char* nombre :
             {"Text34", "Text35", "Text18", "Text33", "Text42", "Text43", "Text48",
              "Text76", "Text67", "Text70", "Text39", "Text46", "Text51", "Text54",
              "Text53", "Text56", "Text57", "Text58", "Text64", "Text63", "Text71"}) {
            QTest::addRow("typing into %s", nombre) << nombre;
        }
    }
    void editarCampoVigiladoReinicia() {
        QFETCH(QString, campo);
        calcularCasoValido();
        QTest::keyClick(hijo<QLineEdit>(w(), campo), Qt::Key_7);
        comprobarReiniciado();
        // A second change finds nothing more to clear.
        QTest::keyClick(hijo<QLineEdit>(w(), campo), Qt::Key_Backspace);
        comprobarReiniciado();
    }

    void marcadorDeCondicion8Reinicia() {
        calcularCasoValido();
        hijo<QLineEdit>(w(), "Text12")->setText(QStringLiteral("x"));
        comprobarReiniciado();
    }

    void editarCampoSinReaccionConservaResultados_data() {
        QTest::addColumn<QString>("campo");
        for (const char* nombre :
             {"Text1", "Text2", "Text9", "Text8", "Text7", "Text6", "Text3", "Text5", "Text4",
              "Text14", "Text11", "Text13", "Text15", "Text10"}) {
            QTest::addRow("changing %s", nombre) << nombre;
        }
    }
    void editarCampoSinReaccionConservaResultados() {
        QFETCH(QString, campo);
        calcularCasoValido();
        auto* caja = hijo<QLineEdit>(w(), campo);
        const QString antes = caja->text();
        if (caja->isEnabled()) {
            QTest::sendKeyEvent(QTest::Click, caja, Qt::Key_unknown, QStringLiteral("í"), {});
        } else {
            caja->setText(QStringLiteral("otro"));
        }
        QVERIFY(caja->text() != antes);
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CÁLCULO REALIZADO"));
        QVERIFY(informe()->isEnabled());
        QCOMPARE(texto(w(), "Text37"), QStringLiteral("1.69534772"));
        QCOMPARE(texto(w(), "Nota1"), QStringLiteral("(1)  [SI]  Qll > Q1"));
    }

    // Focus starts in the first title with its text selected: the first key replaces it.
    void teclearAlArrancarReemplazaElTitulo() {
        QTest::keyClicks(QApplication::focusWidget(), "Obra");
        QCOMPARE(texto(w(), "Text1"), QStringLiteral("Obra"));
    }

    // Return and Enter press the focused button, as Space does; other keys do not.
    void teclaSobreBotonEnfocado_data() {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<int>("tecla");
        QTest::addColumn<Qt::KeyboardModifiers>("modificadores");
        QTest::addColumn<bool>("pulsa");
        QTest::newRow("Return on Calcular")
            << "Command13" << int(Qt::Key_Return) << Qt::KeyboardModifiers() << true;
        QTest::newRow("keypad Enter on Calcular")
            << "Command13" << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
            << true;
        QTest::newRow("Space on Calcular")
            << "Command13" << int(Qt::Key_Space) << Qt::KeyboardModifiers() << true;
        QTest::newRow("Return on Abrir criterio")
            << "Command16" << int(Qt::Key_Return) << Qt::KeyboardModifiers() << true;
        QTest::newRow("Return on Guardar Cálculo")
            << "Command21" << int(Qt::Key_Return) << Qt::KeyboardModifiers() << true;
        QTest::newRow("Shift+Return on Abrir Cálculo")
            << "Command20" << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ShiftModifier)
            << false;
        QTest::newRow("a letter on Abrir Cálculo")
            << "Command20" << int(Qt::Key_A) << Qt::KeyboardModifiers() << false;
    }
    void teclaSobreBotonEnfocado() {
        QFETCH(QString, boton);
        QFETCH(int, tecla);
        QFETCH(Qt::KeyboardModifiers, modificadores);
        QFETCH(bool, pulsa);
        auto* control = hijo<QPushButton>(w(), boton);
        QSignalSpy pulsado(control, &QPushButton::clicked);
        control->setFocus();
        QTest::keyClick(control, Qt::Key(tecla), modificadores);
        QCOMPARE(pulsado.count(), pulsa ? 1 : 0);
        if (boton == QLatin1String("Command13") && pulsa) {
            QCOMPARE(texto(w(), "NotaCol"),
                     QStringLiteral("El Nº de Manning ha de ser superior a 0.0001"));
        }
    }

    // Keyboard shortcuts work from any field.
    void atajos_data() {
        QTest::addColumn<QString>("desde");
        QTest::addColumn<QKeySequence>("atajo");
        QTest::addColumn<QString>("boton");
        QTest::newRow("Ctrl+O opens a calculation")
            << "Text34" << QKeySequence(Qt::CTRL | Qt::Key_O) << "Command20";
        QTest::newRow("Ctrl+S saves the calculation")
            << "Text9" << QKeySequence(Qt::CTRL | Qt::Key_S) << "Command21";
        QTest::newRow("Ctrl+Return runs Calcular from a flow")
            << "Text33" << QKeySequence(Qt::CTRL | Qt::Key_Return) << "Command13";
        QTest::newRow("Ctrl+Enter runs Calcular from a limit")
            << "Text72" << QKeySequence(Qt::CTRL | Qt::Key_Enter) << "Command13";
        QTest::newRow("F9 runs Calcular from the last field")
            << "Text18" << QKeySequence(Qt::Key_F9) << "Command13";
        QTest::newRow("F9 runs Calcular from a check box")
            << "Check3" << QKeySequence(Qt::Key_F9) << "Command13";
    }
    void atajos() {
        QFETCH(QString, desde);
        QFETCH(QKeySequence, atajo);
        QFETCH(QString, boton);
        QSignalSpy pulsado(hijo<QPushButton>(w(), boton), &QPushButton::clicked);
        QWidget* campo = hijo<QWidget>(w(), desde);
        campo->setFocus();
        QTest::keySequence(campo, atajo);
        QCOMPARE(pulsado.count(), 1);
    }

    void textoNoAsciiLlegaAlCampo() {
        auto* titulo = hijo<QLineEdit>(w(), "Text1");
        titulo->clear();
        QTest::sendKeyEvent(QTest::Click, titulo, Qt::Key_unknown, QStringLiteral("Í"), {});
        QTest::sendKeyEvent(QTest::Click, titulo, Qt::Key_unknown, QStringLiteral("ñ"), {});
        QCOMPARE(titulo->text(), QStringLiteral("Íñ"));
    }

    void velocidadMinimaDeCondicion10SoloMarcaSinCalcular() {
        calcularCasoValido();
        QTest::keyClick(hijo<QLineEdit>(w(), "Text72"), Qt::Key_1);
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CALCULO SIN REALIZAR"));
        QVERIFY(!informe()->isEnabled());
        QCOMPARE(texto(w(), "Nota1"), QStringLiteral("(1)  [SI]  Qll > Q1"));
        QCOMPARE(texto(w(), "Nota8"), QStringLiteral("(8)  [SI]  I8 > Imin"));
        QCOMPARE(texto(w(), "Text37"), QStringLiteral("1.69534772"));
        QCOMPARE(texto(w(), "Text62"), QStringLiteral("0.005"));
    }

    void casillaOcultaSuFila_data() {
        QTest::addColumn<int>("condicion");
        for (int k = 1; k <= 10; ++k) {
            QTest::addRow("unticking Check%d", k) << k;
        }
    }
    void casillaOcultaSuFila() {
        QFETCH(int, condicion);
        calcularCasoValido();
        auto* casilla = hijo<QCheckBox>(w(), QStringLiteral("Check%1").arg(condicion));
        QTest::mouseClick(casilla, Qt::LeftButton, {}, casilla->rect().center());
        QVERIFY(!casilla->isChecked());
        comprobarReiniciado();
        for (int k = 1; k <= 10; ++k) {
            const bool visible = k != condicion;
            for (const QString& nombre : kFilas[k - 1]) {
                QVERIFY2(hijo<QWidget>(w(), nombre)->isVisible() == visible, qPrintable(nombre));
            }
            QVERIFY(hijo<QWidget>(w(), kTitulos[k - 1])->isVisible());
            QVERIFY(hijo<QWidget>(w(), QStringLiteral("Check%1").arg(k))->isVisible());
            QVERIFY(hijo<QWidget>(w(), QStringLiteral("Nota%1").arg(k))->isVisible());
        }

        // Ticking again shows the row with the texts it held.
        QTest::mouseClick(casilla, Qt::LeftButton, {}, casilla->rect().center());
        for (const QString& nombre : kFilas[condicion - 1]) {
            QVERIFY2(hijo<QWidget>(w(), nombre)->isVisible(), qPrintable(nombre));
        }
        if (condicion == 1) {
            QCOMPARE(texto(w(), "Text33"), QStringLiteral("1"));
        }
    }

    void casillasPuestasPorCodigoTambienActualizanFilas() {
        hijo<QCheckBox>(w(), "Check4")->setChecked(false);
        QVERIFY(!hijo<QWidget>(w(), "Text51")->isVisible());
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CALCULO SIN REALIZAR"));
    }

    void formulaDeShieldsMientrasSePulsa_data() {
        QTest::addColumn<Qt::MouseButton>("boton");
        QTest::newRow("left button") << Qt::LeftButton;
        QTest::newRow("right button") << Qt::RightButton;
    }
    void formulaDeShieldsMientrasSePulsa() {
        QFETCH(Qt::MouseButton, boton);
        auto* titulo = hijo<QWidget>(w(), "Label78");
        auto* formula = hijo<QLabel>(w(), "Image1");
        QTest::mousePress(titulo, boton, {}, QPoint(10, 5));
        QVERIFY(formula->isVisible());
        QCOMPARE(formula->pixmap().size(), QSize(243, 28));
        QTest::mouseRelease(titulo, boton, {}, QPoint(10, 5));
        QVERIFY(!formula->isVisible());
    }

    void salirTerminaElPrograma() {
        QTimer::singleShot(0, informe(), [this] {
            QTest::mouseClick(hijo<QPushButton>(w(), "Command8"), Qt::LeftButton);
        });
        // Should Salir not end the loop, the guard ends it with another code.
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(3); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }
};

QTEST_MAIN(TestVentana)
#include "test_ventana.moc"
