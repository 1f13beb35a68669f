// The design assistant and the two-depth marks, from the window as the engineer uses them.
#include "apoyo.h"
#include "check/calcular.h"
#include "check/leyendas.h"
#include "check/numero.h"
#include "check/pendientes.h"
#include "check/textos_pendientes.h"
#include "ui/asistente.h"
#include "ui/controles.h"
#include "ui/disposicion.h"
#include "ui/estilos.h"
#include "ui/puente.h"
#include "ui/recientes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace colvero;
using namespace colvero::ui;
using namespace colvero::ui::prueba;

namespace {

// The example case of the README, typed with decimal commas: D = 1 m, n = 0,013, i = 0,005,
// every flow 1 m3/s and limits that every condition meets.
const QStringList kCasoEjemplo{
    "Text34=1",     "Text35=0,013", "Text18=0,005", "Text33=1",   "Text42=1", "Text43=1",
    "Text48=1",     "Text76=1",     "Text67=1",     "Text70=1",   "Text39=3", "Text46=0,6",
    "Text51=75",    "Text54=2,65",  "Text53=1",     "Text56=10",  "Text57=1", "Text58=2",
    "Text64=0,004", "Text63=0,01",  "Text71=50",    "Text72=0,6",
};

QString deUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

class TestAsistente : public PruebaDeVentanas {
    Q_OBJECT

public:
    TestAsistente() : PruebaDeVentanas(',') {}

private:
    void escribirCaso(const QStringList& cambios = {}) {
        for (const QString& entrada : kCasoEjemplo + cambios) {
            const auto partes = entrada.split(QLatin1Char('='));
            teclear(w(), partes[0], partes[1]);
        }
    }
    void pulsarCalcular() {
        QTest::mouseClick(hijo<QPushButton>(w(), "Command13"), Qt::LeftButton);
    }

    QWidget* abrir() {
        QTest::keyClick(w().focusWidget() ? w().focusWidget() : &w(), Qt::Key_D,
                        Qt::ControlModifier);
        auto* asistente = w().findChild<QWidget*>(QStringLiteral("Asistente"));
        return asistente && asistente->isVisible() ? asistente : nullptr;
    }
    template <class T> T* en(QWidget* asistente, const char* nombre) {
        auto* h = asistente->findChild<T*>(QString::fromLatin1(nombre));
        if (!h)
            throw std::runtime_error(std::string("no hay ") + nombre);
        return h;
    }
    // What the engine says of the case the window shows, with its own separator.
    ResultadoPendientes pendientesDelCaso() {
        const std::optional<Entradas> d = convertirEntradas(calculoDe(w().controles()), ',');
        if (!d)
            throw std::runtime_error("el caso no se convierte");
        return pendientesAdmisibles(*d, calculoDe(w().controles()).criterio.activa, ',');
    }
    void comprobarTodoCumple() {
        pulsarCalcular();
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CÁLCULO REALIZADO"));
        for (const Fila& fila : filas()) {
            QVERIFY2(texto(w(), fila.nota).contains(QStringLiteral("[SI]")),
                     qPrintable(texto(w(), fila.nota)));
        }
    }
    void comprobarReiniciado() {
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CALCULO SIN REALIZAR"));
        QVERIFY(!hijo<QPushButton>(w(), "Command6")->isEnabled());
        for (const Fila& fila : filas()) {
            QCOMPARE(texto(w(), fila.nota), QStringLiteral("-"));
        }
        QCOMPARE(texto(w(), "Text37"), QStringLiteral("-"));
    }

private Q_SLOTS:
    void initTestCase() { registrarSustitutosDeFuentes(); }

    // The button lies in the header's free band, over no control, with as much room again to
    // its right for a second button.
    void botonEnLaBandaLibreDeLaCabecera() {
        auto* boton = hijo<QPushButton>(w(), "BotonAsistente");
        QVERIFY(boton->isVisible());
        QVERIFY(boton->toolTip().contains(QStringLiteral("Ctrl+D")));
        const QRect r = boton->geometry();
        const QRect otro = r.translated(r.width() + 8, 0);
        QVERIFY(QRect(0, 0, kAnchoCliente, kAltoCliente).contains(r.united(otro)));
        QVERIFY(r.left() > hijo<QWidget>(w(), "Label6")->geometry().right());
        QVERIFY(r.bottom() < hijo<QWidget>(w(), "Shape21")->geometry().top());
        for (const Control& c : todosLosControles()) {
            const QRect ocupado =
                w().controles().control(QString::fromLatin1(c.nombre))->geometry();
            QVERIFY2(!ocupado.intersects(r), c.nombre);
            QVERIFY2(!ocupado.intersects(otro), c.nombre);
        }
    }

    void atajoYBotonAbrenElAsistente_data() {
        QTest::addColumn<QString>("foco");
        QTest::addColumn<bool>("conBoton");
        QTest::newRow("Ctrl+D from the slope box") << "Text18" << false;
        QTest::newRow("Ctrl+D from the Calcular button") << "Command13" << false;
        QTest::newRow("the header button") << "Text18" << true;
    }
    void atajoYBotonAbrenElAsistente() {
        QFETCH(QString, foco);
        QFETCH(bool, conBoton);
        escribirCaso();
        hijo<QWidget>(w(), foco)->setFocus();
        QWidget* asistente = nullptr;
        if (conBoton) {
            QTest::mouseClick(hijo<QPushButton>(w(), "BotonAsistente"), Qt::LeftButton);
            asistente = w().findChild<QWidget*>(QStringLiteral("Asistente"));
        } else {
            asistente = abrir();
        }
        QVERIFY(asistente && asistente->isVisible());
        QCOMPARE(asistente->windowTitle(), QStringLiteral("Asistente de diseño"));
        // The slope box kept what it held: Ctrl+D deleted no character there.
        QCOMPARE(texto(w(), "Text18"), QStringLiteral("0,005"));
        QVERIFY(en<QLabel>(asistente, "Caso")->text().contains(QStringLiteral("i = 0,005 m/m")));
    }

    // The interval as the engine gives it, with the locale's comma and the deciding conditions
    // of both ends named by their titles; no Calcular is needed first.
    void intervaloDelCasoDeEjemplo() {
        escribirCaso();
        const QString estado = texto(w(), "NotaCalC");
        QWidget* asistente = abrir();
        QVERIFY(asistente);
        const ResultadoPendientes r = pendientesDelCaso();
        QCOMPARE(r.intervalos.size(), std::size_t{1});
        const IntervaloPendientes& t = r.intervalos.front();
        QVERIFY(t.minima && t.maxima);
        const QString intervalos = en<QLabel>(asistente, "Intervalos")->text();
        QVERIFY(intervalos.startsWith(deUtf8(textoPendientesCompleto(r, ','))));
        QVERIFY2(intervalos.startsWith(QStringLiteral("Pendientes admisibles (m/m): ") +
                                       deUtf8(t.minima->texto) + QStringLiteral(" ≤ i ≤ ") +
                                       deUtf8(t.maxima->texto)),
                 qPrintable(intervalos));
        QVERIFY(deUtf8(t.minima->texto).contains(QLatin1Char(',')));
        for (int k : {t.minima->condicion, t.maxima->condicion}) {
            const QString titulo = QString::fromUtf8(leyendas::kTitulosCondicion[k - 1])
                                       .section(QStringLiteral(". "), 1)
                                       .simplified();
            QVERIFY2(
                intervalos.contains(QStringLiteral("la condición (%1), «%2»").arg(k).arg(titulo)),
                qPrintable(titulo));
        }
        QVERIFY(en<QPushButton>(asistente, "AplicarPendiente")->isEnabled());
        QCOMPARE(texto(w(), "NotaCalC"), estado);
    }

    void sinPendienteAdmisible_data() {
        QTest::addColumn<QStringList>("cambios");
        QTest::newRow("maximum velocity below the minimum one") << QStringList{"Text39=0,5"};
        QTest::newRow("Imax below Imin") << QStringList{"Text63=0,001"};
    }
    void sinPendienteAdmisible() {
        QFETCH(QStringList, cambios);
        escribirCaso(cambios);
        QWidget* asistente = abrir();
        QVERIFY(asistente);
        const ResultadoPendientes r = pendientesDelCaso();
        QVERIFY(r.intervalos.empty());
        QVERIFY(!r.motivo.empty());
        const QString intervalos = en<QLabel>(asistente, "Intervalos")->text();
        QVERIFY(intervalos.startsWith(
            QStringLiteral("Ninguna pendiente cumple todas las condiciones activas.")));
        QVERIFY2(intervalos.contains(deUtf8(r.motivo)), qPrintable(intervalos));
        QVERIFY(!en<QPushButton>(asistente, "AplicarPendiente")->isEnabled());
    }

    void campoQueNoEsNumero() {
        escribirCaso({"Text42=uno"});
        QWidget* asistente = abrir();
        QVERIFY(asistente);
        auto* error = en<QLabel>(asistente, "Error");
        QVERIFY(error->isVisible());
        QVERIFY2(error->text().startsWith(QStringLiteral("«") +
                                          QString::fromUtf8(nombreCampo(CampoNumerico::Q2)) +
                                          QStringLiteral("» no es un número")),
                 qPrintable(error->text()));
        QCOMPARE(en<QTableWidget>(asistente, "Diametros")->rowCount(), 0);
        // Corrected in the window, "Actualizar" reads it again.
        teclear(w(), "Text42", "1");
        QTest::mouseClick(en<QPushButton>(asistente, "Actualizar"), Qt::LeftButton);
        QVERIFY(!error->isVisible());
        QVERIFY(en<QTableWidget>(asistente, "Diametros")->rowCount() > 0);
    }

    // The assistant follows the main window's case by itself: the «Aplicar» buttons go off
    // at the first keystroke, and the answer of the new case brings them back.
    void sigueAlCasoDeLaVentana_data() {
        QTest::addColumn<QString>("cambio");
        QTest::addColumn<QString>("enCaso"); // in the case caption once recomputed
        QTest::newRow("another diameter") << "Text34=1,2"
                                          << "D = 1,2 m";
        QTest::newRow("another slope") << "Text18=0,007"
                                       << "i = 0,007 m/m";
        QTest::newRow("a condition switched off") << "Check2"
                                                  << "D = 1 m";
        QTest::newRow("a field that is not a number") << "Text42=uno"
                                                      << "D = 1 m";
    }
    void sigueAlCasoDeLaVentana() {
        QFETCH(QString, cambio);
        QFETCH(QString, enCaso);
        escribirCaso();
        QWidget* asistente = abrir();
        QVERIFY(asistente);
        auto* pendiente = en<QPushButton>(asistente, "AplicarPendiente");
        auto* diametro = en<QPushButton>(asistente, "AplicarDiametro");
        auto* tabla = en<QTableWidget>(asistente, "Diametros");
        QVERIFY(pendiente->isEnabled());
        QVERIFY(diametro->isEnabled());
        if (cambio.startsWith(QLatin1String("Check"))) {
            hijo<QCheckBox>(w(), cambio)->click();
        } else {
            const auto partes = cambio.split(QLatin1Char('='));
            teclear(w(), partes[0], partes[1]);
        }
        // Nothing of the old answer can be applied, even by choosing a pipe again.
        QVERIFY(!pendiente->isEnabled());
        QVERIFY(!diametro->isEnabled());
        tabla->selectRow(0);
        QVERIFY(!diametro->isEnabled());
        QTRY_VERIFY(en<QLabel>(asistente, "Caso")->text().contains(enCaso));
        if (cambio.contains(QLatin1String("uno"))) {
            QTRY_VERIFY(en<QLabel>(asistente, "Error")->isVisible());
            QVERIFY(!pendiente->isEnabled());
            QVERIFY(!diametro->isEnabled());
            return;
        }
        QTRY_VERIFY(pendiente->isEnabled());
        QVERIFY(diametro->isEnabled() || tabla->selectedItems().isEmpty());
        // The answer shown is the engine's for the new case.
        const ResultadoPendientes r = pendientesDelCaso();
        QVERIFY(!r.intervalos.empty());
        QVERIFY2(
            en<QLabel>(asistente, "Intervalos")
                ->text()
                .contains(deUtf8(r.intervalos.front().maxima ? r.intervalos.front().maxima->texto
                                                             : r.intervalos.front().minima->texto)),
            qPrintable(en<QLabel>(asistente, "Intervalos")->text()));
    }

    // «Otra serie…» starts in the folder remembered from the last file opened or saved.
    void otraSerieEmpiezaEnLaCarpetaRecordada() {
        recordarCarpetaDe(ruta(QStringLiteral("caso.caVek")));
        escribirCaso();
        QWidget* asistente = abrir();
        QVERIFY(asistente);
        auto* series = en<QComboBox>(asistente, "Serie");
        const int otra = series->count() - 1;
        series->setCurrentIndex(otra);
        Q_EMIT series->activated(otra);
        QCOMPARE(prueba_->dialogos->llamadas.size(), 1);
        QCOMPARE(prueba_->dialogos->llamadas[0].carpeta, carpeta_->path());
    }

    // The assistant's button is a stop of the tab chain, just before the chart's.
    void botonDelAsistenteEnLaCadenaDeTabulacion() {
        auto* boton = hijo<QPushButton>(w(), "BotonAsistente");
        QVERIFY(boton->focusPolicy() & Qt::TabFocus);
        hijo<QWidget>(w(), "Text18")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), boton);
        QTest::keyClick(boton, Qt::Key_Return);
        QVERIFY(w().findChild<QWidget*>(QStringLiteral("Asistente"))->isVisible());
    }

    // The applied slope resets the results as typing does, and Calcular then passes every
    // condition; where Imin decides, the slope written lies above it.
    void aplicarPendiente_data() {
        QTest::addColumn<QStringList>("cambios");
        QTest::newRow("example case") << QStringList{};
        QTest::newRow("Imin decides the lower end") << QStringList{"Text34=1,2"};
    }
    void aplicarPendiente() {
        QFETCH(QStringList, cambios);
        escribirCaso(cambios);
        pulsarCalcular();
        QWidget* asistente = abrir();
        QVERIFY(asistente);
        const IntervaloPendientes t = pendientesDelCaso().intervalos.front();
        QTest::mouseClick(en<QPushButton>(asistente, "AplicarPendiente"), Qt::LeftButton);
        const QString escrito = texto(w(), "Text18");
        if (t.minima->incluido) {
            QCOMPARE(escrito, deUtf8(t.minima->texto));
        } else {
            QCOMPARE(t.minima->condicion, 8);
            QVERIFY(*leerNumero(escrito.toStdString(), ',') > 0.004);
        }
        comprobarReiniciado();
        QVERIFY(en<QLabel>(asistente, "Caso")->text().contains(escrito));
        comprobarTodoCumple();
    }

    // The smallest pipe of each shipped series that passes at the case's slope, found here by
    // running Calcular on every pipe, is the one the assistant names and selects; "Aplicar
    // diámetro" writes its diameter and Calcular then passes.
    void menorTuboQueCumpleYAplicarDiametro_data() {
        QTest::addColumn<int>("serie");
        QTest::newRow("concrete") << 0;
        QTest::newRow("PVC-U SN4") << 1;
    }
    void menorTuboQueCumpleYAplicarDiametro() {
        QFETCH(int, serie);
        escribirCaso({"Text34=0,6"});
        QWidget* asistente = abrir();
        QVERIFY(asistente);
        if (serie > 0) {
            auto* series = en<QComboBox>(asistente, "Serie");
            series->setCurrentIndex(serie);
            Q_EMIT series->activated(serie);
        }
        const std::vector<Tubo> tubos = leerSerieIncluida(kSeriesIncluidas[serie]);
        std::optional<Tubo> menor;
        for (const Tubo& tubo : tubos) {
            Calculo caso = calculoDe(w().controles());
            caso.colector.D = textoDiametro(tubo.diametro, ',').toStdString();
            ValoresGuardados g;
            const ResultadoCalculo r = calcular(caso, g, ',');
            const bool cumple = std::all_of(r.notas.begin(), r.notas.end(), [](const auto& n) {
                return n.find("[SI]") != std::string::npos;
            });
            if (cumple && (!menor || tubo.diametro < menor->diametro))
                menor = tubo;
        }
        QVERIFY(menor);
        auto* tabla = en<QTableWidget>(asistente, "Diametros");
        QCOMPARE(tabla->rowCount(), static_cast<int>(tubos.size()));
        QVERIFY(en<QLabel>(asistente, "ResumenSerie")
                    ->text()
                    .contains(QStringLiteral("i = 0,005: <b>%1</b>").arg(deUtf8(menor->nombre))));
        const int fila = tabla->currentRow();
        QCOMPARE(tabla->item(fila, 0)->text(), deUtf8(menor->nombre));
        QCOMPARE(tabla->item(fila, 2)->text(), QStringLiteral("Sí"));

        pulsarCalcular();
        QTest::mouseClick(en<QPushButton>(asistente, "AplicarDiametro"), Qt::LeftButton);
        const QString escrito = texto(w(), "Text34");
        QCOMPARE(escrito, tabla->item(fila, 1)->text());
        QCOMPARE(leerNumero(escrito.toStdString(), ','), std::optional<double>(menor->diametro));
        comprobarReiniciado();
        comprobarTodoCumple();
    }

    void otraSerie_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QStringList>("tubos");
        QTest::addColumn<QString>("error");
        QTest::newRow("both separators") << QByteArray("# prueba\nA;0,5\nB,0.75\nC;1.5\n")
                                         << QStringList{"A", "B", "C"} << QString();
        QTest::newRow("a line that is not a pipe")
            << QByteArray("A;0,5\nB sin diámetro\n") << QStringList{} << "serie.txt";
        QTest::newRow("missing file") << QByteArray() << QStringList{} << "no-existe.txt";
    }
    void otraSerie() {
        QFETCH(QByteArray, contenido);
        QFETCH(QStringList, tubos);
        QFETCH(QString, error);
        QTemporaryDir carpeta;
        QString ruta = carpeta.filePath(QStringLiteral("serie.txt"));
        if (contenido.isEmpty()) {
            ruta = carpeta.filePath(QStringLiteral("no-existe.txt"));
        } else {
            QFile archivo(ruta);
            QVERIFY(archivo.open(QIODevice::WriteOnly));
            archivo.write(contenido);
        }
        escribirCaso();
        QWidget* asistente = abrir();
        QVERIFY(asistente);
        prueba_->dialogos->respuesta = ruta;
        auto* series = en<QComboBox>(asistente, "Serie");
        const int otra = series->count() - 1;
        QCOMPARE(series->itemText(otra), QStringLiteral("Otra serie…"));
        series->setCurrentIndex(otra);
        Q_EMIT series->activated(otra);
        auto* tabla = en<QTableWidget>(asistente, "Diametros");
        if (error.isEmpty()) {
            QVERIFY(prueba_->dialogos->errores.isEmpty());
            QStringList nombres;
            for (int f = 0; f < tabla->rowCount(); ++f)
                nombres << tabla->item(f, 0)->text();
            QCOMPARE(nombres, tubos);
            QCOMPARE(series->currentIndex(), otra);
        } else {
            QCOMPARE(prueba_->dialogos->errores.size(), 1);
            QVERIFY2(prueba_->dialogos->errores.front().contains(error),
                     qPrintable(prueba_->dialogos->errores.front()));
            // The series shown before stays, and so does its name in the list.
            QCOMPARE(series->currentIndex(), 0);
            QCOMPARE(tabla->rowCount(),
                     static_cast<int>(leerSerieIncluida(kSeriesIncluidas[0]).size()));
        }
    }

    // Qll is 1,69534772 m3/s and Qmax about 1,824 m3/s for the example collector.
    void marcaDeDosCalados_data() {
        QTest::addColumn<QString>("caudal");
        QTest::addColumn<bool>("marca");
        QTest::newRow("below Qll") << "1" << false;
        QTest::newRow("between Qll and Qmax") << "1,75" << true;
        QTest::newRow("above Qmax: capacity, no mark") << "1,9" << false;
    }
    void marcaDeDosCalados() {
        QFETCH(QString, caudal);
        QFETCH(bool, marca);
        escribirCaso({"Text42=" + caudal, "Text39=10"});
        pulsarCalcular();
        ValoresGuardados g;
        const ResultadoCalculo r = calcular(calculoDe(w().controles()), g, ',');
        QCOMPARE(texto(w(), "Nota2"), deUtf8(r.notas[1]));
        auto* aviso = hijo<QLabel>(w(), "AvisoDosCalados2");
        QCOMPARE(aviso->isVisible(), marca);
        for (int k = 3; k <= 7; ++k) {
            QVERIFY(!hijo<QLabel>(w(), QStringLiteral("AvisoDosCalados%1").arg(k))->isVisible());
        }
        if (!marca)
            return;
        QCOMPARE(aviso->toolTip(), QStringLiteral("Aviso (2): el caudal está entre Qll y Qmax, "
                                                  "donde la sección tiene dos calados normales; "
                                                  "se toma el menor."));
        // Beside the verdict, over none of its text.
        auto* nota = hijo<QLabel>(w(), "Nota2");
        QVERIFY(aviso->x() > nota->x() + nota->fontMetrics().horizontalAdvance(nota->text()));
        QVERIFY(aviso->geometry().right() < kAnchoCliente);
        // Cleared with the verdicts.
        teclear(w(), "Text35", "0,014");
        QCOMPARE(texto(w(), "Nota2"), QStringLiteral("-"));
        QVERIFY(!aviso->isVisible());
    }
};

QTEST_MAIN(TestAsistente)
#include "test_asistente.moc"
