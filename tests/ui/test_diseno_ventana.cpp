// «Diseñar…» in the network window: the dialog of the limits, the design shown in the table
// and the plan against the design library run on the same inputs, and a cancelled design.
#include "../apoyo/pdf.h"
#include "apoyo.h"
#include "design/diseno_red.h"
#include "files/archivos.h"
#include "files/hipotesis.h"
#include "files/serie.h"
#include "gis/capas.h"
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"
#include "ui/dialogo_diseno.h"
#include "ui/hilo_red.h"
#include "ui/modelo_red.h"
#include "ui/plano_red.h"
#include "ui/ventana_perfil.h"
#include "ui/ventana_red.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <charconv>
#include <cmath>
#include <set>

using namespace colvero;
using namespace colvero::ui;
using namespace colvero::ui::prueba;

namespace {

QString ejemplo(const char* nombre) {
    return QStringLiteral(COLVERO_EJEMPLOS "/") + QLatin1String(nombre);
}

QString serie(const char* nombre) {
    return QStringLiteral(COLVERO_SERIES "/") + QLatin1String(nombre);
}

QString deUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The design the library gives for a model, hypothesis, criterion and series, on one thread:
// what the window must show, whatever threads it used.
diseno::Diseno disenoDeLaBiblioteca(const QString& modelo, const QString& hipotesis,
                                    const QString& criterio, const std::vector<Tubo>& tubos,
                                    const diseno::Limites& l) {
    red::OpcionesFuente o;
    o.hipotesis = QFile::encodeName(hipotesis);
    const red::RedGrafo g = red::leerRedGrafo(QFile::encodeName(modelo), o);
    std::string error;
    const std::optional<red::CriterioListo> base =
        red::prepararCriterio(leerCriterio(criterio, '.'), '.', error);
    if (!base)
        throw std::runtime_error(error);
    red::OpcionesRed opciones;
    opciones.conSerie = true;
    red::PreparadorRed preparador(g.cabecera, QFile::encodeName(modelo), *base, &tubos, opciones);
    const std::optional<diseno::Diseno> d =
        diseno::disenar(g.modelo, g.topologia, tramosADisenar(g, preparador, tubos), tubos, l);
    if (!d)
        throw std::runtime_error("el diseño no termina");
    return *d;
}

// A chain of `n` manholes down a gentle slope to one outfall, with coordinates, ground
// (invert plus maximum depth) and a mean flow at each manhole: long enough that a design of it
// is still under way when the test cancels it.
QByteArray cadena(int n) {
    QByteArray t = "[OPTIONS]\nFLOW_UNITS CMS\n[JUNCTIONS]\n";
    for (int k = 0; k < n; ++k)
        t += "N" + QByteArray::number(k) + " " + QByteArray::number(500.0 - 0.4 * k, 'f', 2) +
             " 2.0\n";
    t += "[OUTFALLS]\nV " + QByteArray::number(500.0 - 0.4 * n, 'f', 2) + " FREE\n[CONDUITS]\n";
    const auto destino = [n](int k) {
        return k + 1 == n ? QByteArray("V") : "N" + QByteArray::number(k + 1);
    };
    for (int k = 0; k < n; ++k)
        t += "T" + QByteArray::number(k) + " N" + QByteArray::number(k) + " " + destino(k) +
             " 50 0.013 0 0\n";
    t += "[XSECTIONS]\n";
    for (int k = 0; k < n; ++k)
        t += "T" + QByteArray::number(k) + " CIRCULAR 0.3 0 0 0 1\n";
    t += "[DWF]\n";
    for (int k = 0; k < n; ++k)
        t += "N" + QByteArray::number(k) + " FLOW 0.0002\n";
    t += "[COORDINATES]\n";
    for (int k = 0; k <= n; ++k)
        t += (k == n ? QByteArray("V") : "N" + QByteArray::number(k)) + " " +
             QByteArray::number(50 * k) + " 0\n";
    return t;
}

} // namespace

class TestDisenoVentana : public PruebaDeVentanas {
    Q_OBJECT

public:
    TestDisenoVentana() : PruebaDeVentanas() {}

private:
    VentanaRed& abrirRed(char separador) {
        nuevaVentana(separador);
        QTest::keyClick(w().focusWidget() ? w().focusWidget() : &w(), Qt::Key_R,
                        Qt::ControlModifier);
        auto* red =
            dynamic_cast<VentanaRed*>(w().findChild<QWidget*>(QStringLiteral("VentanaRed")));
        if (!red || !red->isVisible())
            throw std::runtime_error("Ctrl+R no abre la ventana de la red");
        return *red;
    }

    QString copia(const char* nombre) {
        const QString destino = carpeta_->filePath(QLatin1String(nombre));
        if (!QFile::exists(destino))
            QFile::copy(ejemplo(nombre), destino);
        return destino;
    }

    static bool esperar(VentanaRed& red) {
        return QTest::qWaitFor([&] { return !red.enCurso(); }, 120000);
    }

    // The example network with its hypothesis, criterion and the PVC series, ready to design.
    VentanaRed& redDeEjemplo(const char* modelo = "red-ejemplo.inp",
                             const char* tubos = "pvc-sn4.txt") {
        VentanaRed& red = abrirRed('.');
        red.ponerTabla(copia(modelo));
        if (!red.ponerHipotesis(copia("hipotesis.txt")) ||
            !red.ponerCriterio(copia("criterio-red.CrVek")) || !red.ponerSerie(serie(tubos)))
            throw std::runtime_error("no se preparan las entradas del ejemplo");
        return red;
    }

    static void escribir(DialogoDiseno& d, const char* caja, const QString& valor) {
        hijo<QLineEdit>(d, QLatin1String(caja))->setText(valor);
    }

private Q_SLOTS:
    // Each box refuses what is not a number, with the window's separator, and the fixed
    // inverts what is not «NODO=COTA»; the dialog then stays open and says why.
    void dialogoRechaza_data() {
        QTest::addColumn<char>("sep");
        QTest::addColumn<QString>("caja");
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("recubrimiento con letras")
            << '.' << "Recubrimiento"
            << "uno"
            << "El recubrimiento mínimo «uno» no es un número: escriba metros, como 1.0.";
        QTest::newRow("profundidad con punto en una ventana de coma")
            << ',' << "ProfundidadMaxima"
            << "6.5"
            << "La profundidad máxima «6.5» no es un número: escriba metros, como 6,0.";
        QTest::newRow("resalto vacío")
            << '.' << "ResaltoMinimo"
            << ""
            << "El resalto mínimo «» no es un número: escriba metros, como 0.0.";
        QTest::newRow("sobreancho infinito")
            << '.' << "Sobreancho"
            << "inf"
            << "El sobreancho «inf» no es un número: escriba metros, como 0.3.";
        QTest::newRow("cama con dos separadores")
            << ',' << "Cama"
            << "0,1,0"
            << "La cama «0,1,0» no es un número: escriba metros, como 0,10.";
        QTest::newRow("cota fija sin igual")
            << '.' << "CotasFijas"
            << "V1=109.3\nP1 112"
            << "La línea 2 de las cotas fijas, «P1 112», no es «NODO=COTA» con la cota en "
               "metros, como P1=100.25.";
        QTest::newRow("cota fija sin nodo")
            << ',' << "CotasFijas"
            << "=109,3"
            << "La línea 1 de las cotas fijas, «=109,3», no es «NODO=COTA» con la cota en "
               "metros, como P1=100,25.";
        QTest::newRow("cota fija con el otro separador")
            << ',' << "CotasFijas"
            << "V1=109.3"
            << "La línea 1 de las cotas fijas, «V1=109.3», no es «NODO=COTA» con la cota en "
               "metros, como P1=100,25.";
        QTest::newRow("dos cotas fijas de un nodo")
            << '.' << "CotasFijas"
            << "V1=109.3\n\nV1 = 109.2"
            << "El nodo «V1» tiene dos cotas fijas: deje una.";
    }
    void dialogoRechaza() {
        QFETCH(char, sep);
        QFETCH(QString, caja);
        QFETCH(QString, valor);
        QFETCH(QString, mensaje);
        DialogoDiseno d(sep, nullptr);
        if (caja == QLatin1String("CotasFijas"))
            hijo<QPlainTextEdit>(d, caja)->setPlainText(valor);
        else
            escribir(d, qPrintable(caja), valor);
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(texto(d, QStringLiteral("FalloDiseno")), mensaje);
        // Nothing refused is remembered.
        QCOMPARE(limitesGuardados().recubrimiento, diseno::Limites{}.recubrimiento);
        QVERIFY(limitesGuardados().fijas.empty());
    }

    // Limits the library refuses (a negative cover, a fixed invert at a node the network
    // lacks) are refused in the dialog with the library's own words; before the network is
    // read, all but the fixed nodes.
    void dialogoRechazaLoQueLaBibliotecaRechaza() {
        {
            DialogoDiseno sinRed('.', nullptr);
            escribir(sinRed, "ProfundidadMaxima", QStringLiteral("0"));
            hijo<QPlainTextEdit>(sinRed, QStringLiteral("CotasFijas"))
                ->setPlainText(QStringLiteral("PX=100"));
            sinRed.accept();
            QCOMPARE(sinRed.result(), int(QDialog::Rejected));
            diseno::Limites l;
            l.profundidadMaxima = 0;
            const std::optional<std::string> esperado = diseno::errorDeLimites(red::ModeloRed{}, l);
            QVERIFY(esperado);
            QCOMPARE(texto(sinRed, QStringLiteral("FalloDiseno")), deUtf8(*esperado));
            escribir(sinRed, "ProfundidadMaxima", QStringLiteral("5"));
            sinRed.accept();
            QCOMPARE(sinRed.result(), int(QDialog::Accepted));
        }
        red::OpcionesFuente o;
        const red::RedGrafo g = red::leerRedGrafo(QFile::encodeName(ejemplo("red-ejemplo.inp")), o);
        DialogoDiseno d(',', &g.modelo);
        escribir(d, "Recubrimiento", QStringLiteral("-0,5"));
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        diseno::Limites l;
        l.recubrimiento = -0.5;
        const std::optional<std::string> esperado = diseno::errorDeLimites(g.modelo, l);
        QVERIFY(esperado);
        QCOMPARE(texto(d, QStringLiteral("FalloDiseno")), deUtf8(*esperado));

        escribir(d, "Recubrimiento", QStringLiteral("1"));
        hijo<QPlainTextEdit>(d, QStringLiteral("CotasFijas"))
            ->setPlainText(QStringLiteral("PX=100"));
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        l = {};
        l.recubrimiento = 1;
        l.fijas = {{"PX", 100.0}};
        const std::optional<std::string> desconocido = diseno::errorDeLimites(g.modelo, l);
        QVERIFY(desconocido);
        QCOMPARE(texto(d, QStringLiteral("FalloDiseno")), deUtf8(*desconocido));
    }

    // What is accepted comes back in the next dialog, whatever the separator of the window
    // that opens it, and the limits read are the numbers typed.
    void dialogoRecuerdaLoAceptado() {
        {
            DialogoDiseno d(',', nullptr);
            escribir(d, "Recubrimiento", QStringLiteral("1,25"));
            escribir(d, "ProfundidadMaxima", QStringLiteral("4,5"));
            escribir(d, "ResaltoMinimo", QStringLiteral("0,02"));
            escribir(d, "Sobreancho", QStringLiteral("0,35"));
            escribir(d, "Cama", QStringLiteral("0,15"));
            hijo<QCheckBox>(d, QStringLiteral("AlinearClaves"))->setChecked(true);
            hijo<QPlainTextEdit>(d, QStringLiteral("CotasFijas"))
                ->setPlainText(QStringLiteral(" V1 = 109,3 \nP10=111,085\n"));
            d.accept();
            QCOMPARE(d.result(), int(QDialog::Accepted));
            const diseno::Limites& l = d.aceptados();
            QCOMPARE(l.recubrimiento, 1.25);
            QCOMPARE(l.profundidadMaxima, 4.5);
            QCOMPARE(l.resaltoMinimo, 0.02);
            QCOMPARE(l.sobreancho, 0.35);
            QCOMPARE(l.cama, 0.15);
            QVERIFY(l.alinearClaves);
            const std::vector<std::pair<std::string, double>> fijas{{"V1", 109.3},
                                                                    {"P10", 111.085}};
            QVERIFY(l.fijas == fijas);
        }
        DialogoDiseno otro('.', nullptr);
        QCOMPARE(texto(otro, QStringLiteral("Recubrimiento")), QStringLiteral("1.25"));
        QCOMPARE(texto(otro, QStringLiteral("ProfundidadMaxima")), QStringLiteral("4.5"));
        QCOMPARE(texto(otro, QStringLiteral("ResaltoMinimo")), QStringLiteral("0.02"));
        QCOMPARE(texto(otro, QStringLiteral("Sobreancho")), QStringLiteral("0.35"));
        QCOMPARE(texto(otro, QStringLiteral("Cama")), QStringLiteral("0.15"));
        QVERIFY(hijo<QCheckBox>(otro, QStringLiteral("AlinearClaves"))->isChecked());
        QCOMPARE(hijo<QPlainTextEdit>(otro, QStringLiteral("CotasFijas"))->toPlainText(),
                 QStringLiteral("V1=109.3\nP10=111.085\n"));
        // Cancelled: the remembered limits stay.
        escribir(otro, "Recubrimiento", QStringLiteral("2"));
        otro.reject();
        QCOMPARE(limitesGuardados().recubrimiento, 1.25);
    }

    // «Diseñar…» only with a model or layers and a series.
    void botonSoloConModeloYSerie() {
        VentanaRed& red = abrirRed('.');
        auto* disenar = red.findChild<QPushButton*>(QStringLiteral("Disenar"));
        QVERIFY(disenar);
        QVERIFY(!disenar->isEnabled());
        red.ponerTabla(copia("red-ejemplo.inp"));
        QVERIFY(!disenar->isEnabled());
        QVERIFY(red.ponerSerie(serie("pvc-sn4.txt")));
        QVERIFY(disenar->isEnabled());
        red.ponerTabla(copia("red-ejemplo-coma.csv"));
        QVERIFY(!disenar->isEnabled());
        // Called anyway, it says why and starts nothing.
        red.disenar(diseno::Limites{});
        QVERIFY(!red.enCurso());
        QCOMPARE(dialogos().errores.size(), 1);
        QVERIFY2(dialogos().errores.front().startsWith(
                     QStringLiteral("El diseño necesita un modelo SWMM (.inp) o una capa SIG")),
                 qPrintable(dialogos().errores.front()));
    }

    // The example designed in the window: every designed reach passes, the table's design
    // columns and inputs are the library's design for the same inputs, the plan is coloured by
    // pipe with the pipes used in its legend, and a check without design hides the columns.
    void disenoDelEjemplo_data() {
        QTest::addColumn<QString>("modelo");
        QTest::addColumn<QString>("tubos");
        QTest::addColumn<int>("adversos"); // reaches whose source slope is refused
        QTest::newRow("red de ejemplo, PVC") << "red-ejemplo.inp"
                                             << "pvc-sn4.txt" << 0;
        QTest::newRow("red para el diseño, PVC") << "diseno-ejemplo.inp"
                                                 << "pvc-sn4.txt" << 1;
        QTest::newRow("red para el diseño, hormigón") << "diseno-ejemplo.inp"
                                                      << "hormigon-dn.txt" << 1;
    }
    void disenoDelEjemplo() {
        QFETCH(QString, modelo);
        QFETCH(QString, tubos);
        QFETCH(int, adversos);
        VentanaRed& red = redDeEjemplo(qPrintable(modelo), qPrintable(tubos));
        diseno::Limites l;
        l.recubrimiento = 1.0;
        l.profundidadMaxima = 4.0;
        red.disenar(l);
        QVERIFY(esperar(red));
        QVERIFY2(dialogos().errores.isEmpty(), qPrintable(dialogos().errores.join('\n')));
        const std::vector<Tubo> serieLeida = leerSerie(serie(qPrintable(tubos)));
        const diseno::Diseno d =
            disenoDeLaBiblioteca(copia(qPrintable(modelo)), copia("hipotesis.txt"),
                                 copia("criterio-red.CrVek"), serieLeida, l);
        const red::RedGrafo fuente =
            red::leerRedGrafo(QFile::encodeName(ejemplo(qPrintable(modelo))), {});
        const ModeloRed& m = red.modelo();
        QVERIFY(m.diseno());
        QCOMPARE(m.filas(), static_cast<int>(fuente.modelo.enlaces.size()));
        QCOMPARE(m.diseno()->diseno.tramos.size(), d.tramos.size());
        const auto dato = [&](int fila, ColumnaDiseno c, int rol) {
            return m.data(m.index(fila, m.columnaDiseno(c)), rol);
        };
        int disenados = 0, corregidos = 0;
        std::set<std::size_t> usados;
        for (const diseno::TramoDisenado& t : d.tramos) {
            const int fila = static_cast<int>(t.enlace); // a model's rows follow its links
            const FilaRedComprobada& f = m.fila(fila);
            const QString quien = deUtf8(f.celdas[0]);
            QCOMPARE(dato(fila, ColumnaDiseno::SinDiseno, Qt::DisplayRole).toString(),
                     deUtf8(t.sinDiseno));
            const auto celda = [&](ColumnaRed c) {
                return f.numeros[static_cast<std::size_t>(m.cabecera().columna(c))];
            };
            // A source slope the check refuses (adverse, flat) is what the design replaces.
            const std::string& errorFuente = fuente.tramos[t.enlace].error;
            if (!errorFuente.empty()) {
                QVERIFY2(errorFuente == fuente.topologia.errorTramo[t.enlace], errorFuente.c_str());
                QVERIFY2(t.sinDiseno.find(errorFuente) == std::string::npos, t.sinDiseno.c_str());
                corregidos += t.sinDiseno.empty();
            }
            if (!t.sinDiseno.empty()) {
                // Without a design a reach keeps the source's pipe and inverts.
                const red::Enlace& e = fuente.modelo.enlaces[t.enlace];
                QCOMPARE(celda(ColumnaRed::D), e.D);
                QCOMPARE(celda(ColumnaRed::i), fuente.topologia.pendiente[t.enlace]);
                QVERIFY(dato(fila, ColumnaDiseno::Tubo, Qt::DisplayRole).toString().isEmpty());
                continue;
            }
            ++disenados;
            usados.insert(t.tubo);
            // Checked by the engine as «Comprobar» checks: every condition [SI] or not enabled.
            QVERIFY2(f.codigo == 0, qPrintable(quien + QStringLiteral(": ") + deUtf8(f.estado)));
            for (int c = 0; c < 10; ++c)
                QVERIFY2(f.clases[static_cast<std::size_t>(c)] == 0 ||
                             f.clases[static_cast<std::size_t>(c)] == 3,
                         qPrintable(quien));
            QCOMPARE(dato(fila, ColumnaDiseno::Tubo, Qt::DisplayRole).toString(),
                     QString::fromStdString(serieLeida[t.tubo].nombre));
            QCOMPARE(dato(fila, ColumnaDiseno::CotaInicio, ModeloRed::kRolOrden).toDouble(),
                     static_cast<double>(t.cotaInicio) / 100.0);
            QCOMPARE(dato(fila, ColumnaDiseno::CotaFin, ModeloRed::kRolOrden).toDouble(),
                     static_cast<double>(t.cotaFin) / 100.0);
            QCOMPARE(dato(fila, ColumnaDiseno::ProfundidadInicio, ModeloRed::kRolOrden).toDouble(),
                     t.profundidadInicio);
            QCOMPARE(dato(fila, ColumnaDiseno::ProfundidadFin, ModeloRed::kRolOrden).toDouble(),
                     t.profundidadFin);
            QCOMPARE(dato(fila, ColumnaDiseno::Resalto, ModeloRed::kRolOrden).toDouble(),
                     t.resalto);
            QCOMPARE(dato(fila, ColumnaDiseno::Coste, ModeloRed::kRolOrden).toDouble(), t.coste);
            // An invert is shown to the centimetre, from the design's whole centimetres.
            QCOMPARE(dato(fila, ColumnaDiseno::CotaInicio, Qt::DisplayRole).toString(),
                     QStringLiteral("%1.%2")
                         .arg(t.cotaInicio / 100)
                         .arg(t.cotaInicio % 100, 2, 10, QLatin1Char('0')));
            // The reach's own columns are the designed network's: the pipe and the slope the
            // design passed.
            QCOMPARE(celda(ColumnaRed::D), serieLeida[t.tubo].diametro);
            QCOMPARE(celda(ColumnaRed::i), t.i);
        }
        QVERIFY(disenados > 0);
        QCOMPARE(corregidos, adversos);
        // A link that is no reach to design (a weir) has no design cells.
        for (int k = 0; k < m.filas(); ++k) {
            if (m.diseno()->de(static_cast<std::size_t>(k)))
                continue;
            QVERIFY(!fuente.tramos[static_cast<std::size_t>(k)].omitido.empty());
            QVERIFY(dato(k, ColumnaDiseno::Tubo, Qt::DisplayRole).toString().isEmpty());
            QVERIFY(dato(k, ColumnaDiseno::SinDiseno, Qt::DisplayRole).toString().isEmpty());
        }
        QCOMPARE(m.headerData(m.columnaDiseno(ColumnaDiseno::Coste), Qt::Horizontal).toString(),
                 QStringLiteral("Coste (m³)"));

        // Sorted by cost: designed reaches by their cost, then those without a design, then the
        // links that are not reaches to design.
        auto* vista = red.findChild<QTableView*>(QStringLiteral("Tabla"));
        vista->sortByColumn(m.columnaDiseno(ColumnaDiseno::Coste), Qt::AscendingOrder);
        const QAbstractItemModel* ordenada = vista->model();
        std::vector<int> clases;
        double anterior = -1;
        for (int k = 0; k < ordenada->rowCount(); ++k) {
            const QVariant v = ordenada->data(
                ordenada->index(k, m.columnaDiseno(ColumnaDiseno::Coste)), ModeloRed::kRolOrden);
            if (v.isValid() && v.typeId() == QMetaType::Double) {
                QVERIFY(v.toDouble() >= anterior);
                anterior = v.toDouble();
                clases.push_back(0);
            } else {
                clases.push_back(1);
            }
        }
        QVERIFY(std::is_sorted(clases.begin(), clases.end()));

        const QString estado = texto(red, QStringLiteral("Estado"));
        QVERIFY2(estado.contains(QStringLiteral("Diseño: coste %1 m³ de excavación; %2 resaltos, "
                                                "%3 pozos de resalto (más de 0.50 m)")
                                     .arg(QString::number(d.coste, 'f', 2))
                                     .arg(d.resaltos)
                                     .arg(d.pozosDeResalto)),
                 qPrintable(estado));

        const PlanoRed& plano = red.plano();
        QVERIFY(plano.porTubo());
        QStringList leyenda, esperada;
        for (const PlanoRed::EntradaLeyenda& e : plano.leyenda())
            leyenda << e.tubo;
        for (const std::size_t t : usados)
            esperada << QString::fromStdString(serieLeida[t].nombre);
        QCOMPARE(leyenda, esperada);
        // Two pipes used, two colours; a designed reach is drawn in its pipe's colour.
        for (std::size_t a = 0; a < plano.leyenda().size(); ++a)
            for (std::size_t b = a + 1; b < plano.leyenda().size(); ++b)
                QVERIFY(plano.leyenda()[a].color != plano.leyenda()[b].color);
        for (const diseno::TramoDisenado& t : d.tramos) {
            if (!t.sinDiseno.empty())
                continue;
            const auto k =
                static_cast<std::size_t>(std::distance(usados.begin(), usados.find(t.tubo)));
            QCOMPARE(plano.pluma(t.enlace).color(), plano.leyenda()[k].color);
        }

        // A saved plan carries the legend.
        const QString svg = ruta(QStringLiteral("plano.svg"));
        QVERIFY(red.guardarPlano(svg));
        QFile dibujo(svg);
        QVERIFY(dibujo.open(QIODevice::ReadOnly));
        const QByteArray bytes = dibujo.readAll();
        for (const QString& tubo : esperada)
            QVERIFY2(bytes.contains(">" + tubo.toUtf8() + "<"), qPrintable(tubo));

        // A plain check afterwards: no design columns, verdict colours.
        red.comprobar();
        QVERIFY(esperar(red));
        QVERIFY(!red.modelo().diseno());
        QCOMPARE(red.modelo().columnCount(), red.modelo().columnaEstado() + 1);
        QCOMPARE(red.modelo().columnaDiseno(ColumnaDiseno::Tubo), -1);
        QVERIFY(!red.plano().porTubo());
        QVERIFY(red.plano().leyenda().empty());
        QVERIFY(!texto(red, QStringLiteral("Estado")).contains(QStringLiteral("Diseño:")));
    }

    // «Guardar diseño…» writes the source model with the designed pipes: read back, every
    // designed reach has its pipe and inverts, the rest what the source gave; checked again, it
    // passes as the design did.
    void guardarDisenoLeidoDeVuelta() {
        VentanaRed& red = redDeEjemplo();
        auto* guardar = red.findChild<QPushButton*>(QStringLiteral("GuardarDiseno"));
        QVERIFY(guardar);
        QVERIFY(!guardar->isEnabled());
        red.disenar(diseno::Limites{});
        QVERIFY(esperar(red));
        QVERIFY(guardar->isEnabled());
        const QString salida = ruta(QStringLiteral("disenada.inp"));
        dialogos().respuesta = salida;
        QTest::mouseClick(guardar, Qt::LeftButton);
        QVERIFY2(dialogos().errores.isEmpty(), qPrintable(dialogos().errores.join('\n')));
        QCOMPARE(dialogos().llamadas.size(), 1);
        QVERIFY(dialogos().llamadas.front().modo == Guardado::Preguntando);
        QCOMPARE(dialogos().llamadas.front().filtro,
                 QStringLiteral("Modelos SWMM (*.inp);;Capas SIG (*.gpkg *.shp *.geojson "
                                "*.json);;Tablas CSV (*.csv)"));

        const red::RedGrafo fuente =
            red::leerRedGrafo(QFile::encodeName(ejemplo("red-ejemplo.inp")), {});
        const red::RedGrafo leida = red::leerRedGrafo(QFile::encodeName(salida), {});
        const DisenoMostrado d = *red.modelo().diseno(); // a copy: checking again drops it
        QCOMPARE(leida.modelo.enlaces.size(), fuente.modelo.enlaces.size());
        for (const diseno::TramoDisenado& t : d.diseno.tramos) {
            const red::Enlace& e = leida.modelo.enlaces[t.enlace];
            const red::Enlace& antes = fuente.modelo.enlaces[t.enlace];
            if (!t.sinDiseno.empty()) {
                QCOMPARE(e.D, antes.D);
                QCOMPARE(e.cotaInicio, antes.cotaInicio);
                QCOMPARE(e.cotaFin, antes.cotaFin);
                continue;
            }
            QCOMPARE(e.D, d.serie[t.tubo].diametro);
            QCOMPARE(*e.cotaInicio, static_cast<double>(t.cotaInicio) / 100.0);
            QCOMPARE(*e.cotaFin, static_cast<double>(t.cotaFin) / 100.0);
            QCOMPARE(leida.topologia.pendiente[t.enlace], t.i);
        }
        // Grounds stay where the source put them.
        for (std::size_t k = 0; k < fuente.modelo.nodos.size(); ++k)
            QCOMPARE(leida.modelo.nodos[k].cotaTerreno, fuente.modelo.nodos[k].cotaTerreno);

        // The note and the exported results are those of the designed network.
        // The note says how the pipes were chosen, with the design's own excavation.
        QVERIFY(red.escribirNota(ruta(QStringLiteral("nota.pdf"))));
        const QString texto = colvero::prueba::textoPdf(ruta(QStringLiteral("nota.pdf")));
        QVERIFY(texto.contains(QStringLiteral("Diseño de la red")));
        QVERIFY2(
            texto.contains(
                QStringLiteral("Excavación: %1 m3").arg(QString::number(d.diseno.coste, 'f', 2))),
            qPrintable(texto.left(3000)));
        QVERIFY(red.exportar(ruta(QStringLiteral("resultados.csv"))));
        QVERIFY(dialogos().errores.isEmpty());

        // The saved model checked in the window: every designed reach passes.
        red.ponerTabla(salida);
        red.comprobar();
        QVERIFY(esperar(red));
        for (const diseno::TramoDisenado& t : d.diseno.tramos) {
            if (t.sinDiseno.empty())
                QCOMPARE(red.modelo().fila(static_cast<int>(t.enlace)).codigo, std::uint8_t(0));
        }
    }

    // GIS layers with their manholes' ground: designed with the length measured horizontally,
    // every designed reach passes; the design is not saved as a model from layers.
    void disenoDeCapas() {
        VentanaRed& red = abrirRed('.');
        red.ponerTabla(copia("tramos-ejemplo.geojson"));
        red.ponerPozos(copia("pozos-ejemplo.geojson"));
        QVERIFY(red.ponerHipotesis(copia("hipotesis.txt")));
        QVERIFY(red.ponerCriterio(copia("criterio-red.CrVek")));
        QVERIFY(red.ponerSerie(serie("pvc-sn4.txt")));
        red.disenar(diseno::Limites{});
        QVERIFY(esperar(red));
        QVERIFY2(dialogos().errores.isEmpty(), qPrintable(dialogos().errores.join('\n')));
        const ModeloRed& m = red.modelo();
        QVERIFY(m.diseno());
        int disenados = 0;
        for (const diseno::TramoDisenado& t : m.diseno()->diseno.tramos) {
            const FilaRedComprobada& f = m.fila(static_cast<int>(t.enlace));
            if (!t.sinDiseno.empty())
                continue;
            ++disenados;
            QVERIFY2(f.codigo == 0, qPrintable(deUtf8(f.celdas[0]) + ": " + deUtf8(f.estado)));
            QCOMPARE(f.numeros[static_cast<std::size_t>(m.cabecera().columna(ColumnaRed::i))], t.i);
        }
        QVERIFY(disenados > 0);
        QVERIFY(!red.guardarDiseno(ruta(QStringLiteral("capas.inp"))));
        QVERIFY2(dialogos().errores.back().startsWith(
                     QStringLiteral("El diseño se guarda como modelo SWMM cuando la red es un "
                                    "modelo SWMM (.inp)")),
                 qPrintable(dialogos().errores.back()));
        QVERIFY(!QFile::exists(ruta(QStringLiteral("capas.inp"))));
    }

    // A design of GIS layers saved from the window as colvero-check --disenar --salida writes
    // it for the same inputs: a table byte for byte, a layer with the same reaches and fields;
    // both read back with the design's pipes and inverts.
    void guardarDisenoDeCapas_data() {
        QTest::addColumn<QString>("nombre");
        QTest::newRow("capa GeoPackage") << "diseno.gpkg";
        QTest::newRow("capa GeoJSON") << "diseno.geojson";
        QTest::newRow("tabla CSV") << "diseno.csv";
    }
    void guardarDisenoDeCapas() {
        QFETCH(QString, nombre);
        VentanaRed& red = abrirRed('.');
        const QString tramos = copia("tramos-ejemplo.geojson");
        const QString pozos = copia("pozos-ejemplo.geojson");
        const QString hipotesis = copia("hipotesis.txt");
        const QString criterio = copia("criterio-red.CrVek");
        red.ponerTabla(tramos);
        red.ponerPozos(pozos);
        QVERIFY(red.ponerHipotesis(hipotesis));
        QVERIFY(red.ponerCriterio(criterio));
        QVERIFY(red.ponerSerie(serie("pvc-sn4.txt")));
        red.disenar(diseno::Limites{});
        QVERIFY(esperar(red));
        const QString ventana = ruta(QStringLiteral("ventana-") + nombre);
        dialogos().respuesta = ventana;
        QTest::mouseClick(red.findChild<QPushButton*>(QStringLiteral("GuardarDiseno")),
                          Qt::LeftButton);
        QVERIFY2(dialogos().errores.isEmpty(), qPrintable(dialogos().errores.join('\n')));
        // No model filter: layers are not a SWMM model.
        QCOMPARE(dialogos().llamadas.back().filtro,
                 QStringLiteral("Capas SIG (*.gpkg *.shp *.geojson *.json);;Tablas CSV (*.csv)"));
        QVERIFY(QFile::exists(ventana));

        const QString linea = ruta(QStringLiteral("linea-") + nombre);
        QProcess p;
        p.start(QStringLiteral(COLVERO_CHECK),
                {QStringLiteral("--red"), tramos, QStringLiteral("--pozos"), pozos,
                 QStringLiteral("--hipotesis"), hipotesis, QStringLiteral("--criterio"), criterio,
                 QStringLiteral("--serie"), serie("pvc-sn4.txt"), QStringLiteral("--disenar"),
                 QStringLiteral("--locale"), QStringLiteral("C"), QStringLiteral("--salida"),
                 linea});
        QVERIFY(p.waitForFinished(120000));
        QVERIFY2(p.exitCode() <= 1, p.readAllStandardError().constData());

        const DisenoMostrado d = *red.modelo().diseno();
        const red::RedGrafo fuente = [&] {
            red::OpcionesFuente o;
            o.pozos = QFile::encodeName(pozos);
            return red::leerRedGrafo(QFile::encodeName(tramos), o);
        }();
        int disenados = 0;
        if (nombre.endsWith(QLatin1String(".csv"))) {
            QFile a(ventana), b(linea);
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            const QByteArray bytes = a.readAll();
            QCOMPARE(bytes, b.readAll());
            // Row k + 1 is the reach d.diseno.tramos[k]: its diameter and inverts read back.
            const QList<QByteArray> filas = bytes.split('\n');
            QVERIFY(filas.size() >= static_cast<qsizetype>(d.diseno.tramos.size()) + 1);
            const auto numero = [](const QByteArray& celda) {
                double x = std::nan("");
                std::from_chars(celda.constData(), celda.constData() + celda.size(), x);
                return x;
            };
            for (std::size_t k = 0; k < d.diseno.tramos.size(); ++k) {
                const diseno::TramoDisenado& t = d.diseno.tramos[k];
                const QList<QByteArray> c =
                    filas[static_cast<qsizetype>(k) + 1].trimmed().split(',');
                QCOMPARE(c.size(), 13);
                QCOMPARE(c[0].toStdString(), fuente.modelo.enlaces[t.enlace].id);
                if (!t.sinDiseno.empty()) {
                    QVERIFY(c[1].isEmpty() && !c[12].isEmpty());
                    continue;
                }
                ++disenados;
                QCOMPARE(c[1].toStdString(), d.serie[t.tubo].nombre);
                QCOMPARE(numero(c[2]), d.serie[t.tubo].diametro);
                QCOMPARE(numero(c[3]), static_cast<double>(t.cotaInicio) / 100.0);
                QCOMPARE(numero(c[4]), static_cast<double>(t.cotaFin) / 100.0);
                QCOMPARE(numero(c[5]), t.i);
            }
        } else {
            const gis::RedSig a = gis::leerRedSig({QFile::encodeName(ventana), {}}, {});
            const gis::RedSig b = gis::leerRedSig({QFile::encodeName(linea), {}}, {});
            QCOMPARE(a.red.enlaces.size(), b.red.enlaces.size());
            QCOMPARE(a.red.enlaces.size(), fuente.modelo.enlaces.size());
            QCOMPARE(a.crsWkt, b.crsWkt);
            for (std::size_t k = 0; k < a.red.enlaces.size(); ++k) {
                const red::Enlace& x = a.red.enlaces[k];
                const red::Enlace& y = b.red.enlaces[k];
                QCOMPARE(x.id, y.id);
                QCOMPARE(x.D, y.D);
                QCOMPARE(x.cotaInicio, y.cotaInicio);
                QCOMPARE(x.cotaFin, y.cotaFin);
                QCOMPARE(x.longitud, y.longitud);
                QVERIFY(x.vertices == y.vertices);
                QVERIFY(x.atributos == y.atributos);
            }
            for (const diseno::TramoDisenado& t : d.diseno.tramos) {
                const red::Enlace& e = a.red.enlaces[t.enlace];
                const auto atributo = [&](const char* campo) {
                    for (const auto& [n, v] : e.atributos)
                        if (n == campo)
                            return v;
                    return std::string();
                };
                QCOMPARE(e.id, fuente.modelo.enlaces[t.enlace].id);
                if (!t.sinDiseno.empty()) {
                    QVERIFY(!atributo("sin_diseno").empty());
                    QCOMPARE(e.D, fuente.modelo.enlaces[t.enlace].D);
                    continue;
                }
                ++disenados;
                QCOMPARE(atributo("tubo"), d.serie[t.tubo].nombre);
                QVERIFY(atributo("sin_diseno").empty());
                QCOMPARE(e.D, d.serie[t.tubo].diametro);
                QCOMPARE(*e.cotaInicio, static_cast<double>(t.cotaInicio) / 100.0);
                QCOMPARE(*e.cotaFin, static_cast<double>(t.cotaFin) / 100.0);
            }
        }
        QVERIFY(disenados > 0);
    }

    // «Perfil…» on a designed network draws the design: its pipes, inverts and verdicts.
    void perfilDelDiseno() {
        VentanaRed& red = redDeEjemplo();
        red.disenar(diseno::Limites{});
        QVERIFY(esperar(red));
        const DisenoMostrado& d = *red.modelo().diseno();
        std::unique_ptr<QWidget> ventana(red.abrirPerfil(0)); // from T1 down to V1
        auto* perfil = dynamic_cast<VentanaPerfil*>(ventana.get());
        QVERIFY(perfil);
        const red::RedGrafo fuente =
            red::leerRedGrafo(QFile::encodeName(ejemplo("red-ejemplo.inp")), {});
        int disenados = 0;
        for (const perfil::TramoPerfil& tp : perfil->perfil().tramos) {
            std::size_t enlace = 0;
            while (fuente.modelo.enlaces[enlace].id != tp.datos.tramo)
                ++enlace;
            const diseno::TramoDisenado* t = d.de(enlace);
            QVERIFY(t);
            if (!t->sinDiseno.empty()) {
                QCOMPARE(tp.cotaInicio, fuente.modelo.enlaces[enlace].cotaInicio);
                continue;
            }
            ++disenados;
            QCOMPARE(tp.datos.D, d.serie[t->tubo].diametro);
            QCOMPARE(*tp.cotaInicio, static_cast<double>(t->cotaInicio) / 100.0);
            QCOMPARE(*tp.cotaFin, static_cast<double>(t->cotaFin) / 100.0);
            QCOMPARE(tp.datos.i, t->i);
            QVERIFY(tp.clase == perfil::ClasePerfil::Cumple);
        }
        QCOMPARE(disenados, 5); // T1 to T5, the last one into an outfall without ground
    }

    // What «Guardar diseño» refuses, with the file it names left as it was.
    void guardarDisenoRechaza_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("inicio");
        QTest::newRow("el modelo leído") << "red-ejemplo.inp"
                                         << "No se ha guardado el diseño: «";
        QTest::newRow("otra extensión") << "diseno.txt"
                                        << "El diseño se guarda como modelo SWMM (.inp), capa "
                                           "SIG (.gpkg, .shp, .geojson o .json) o tabla (.csv):";
    }
    void guardarDisenoRechaza() {
        QFETCH(QString, nombre);
        QFETCH(QString, inicio);
        VentanaRed& red = redDeEjemplo();
        QVERIFY(!red.guardarDiseno(ruta(QStringLiteral("x.inp"))));
        QCOMPARE(dialogos().errores.size(), 1);
        QVERIFY(dialogos().errores.front().startsWith(QStringLiteral("No hay diseño que guardar")));
        red.disenar(diseno::Limites{});
        QVERIFY(esperar(red));
        const QString destino = ruta(nombre);
        QFile previo(destino);
        const bool existia = previo.exists();
        QByteArray antes;
        if (existia) {
            QVERIFY(previo.open(QIODevice::ReadOnly));
            antes = previo.readAll();
            previo.close();
        }
        QVERIFY(!red.guardarDiseno(destino));
        QCOMPARE(dialogos().errores.size(), 2);
        QVERIFY2(dialogos().errores.back().startsWith(inicio),
                 qPrintable(dialogos().errores.back()));
        QCOMPARE(QFile::exists(destino), existia);
        if (existia) {
            QVERIFY(previo.open(QIODevice::ReadOnly));
            QCOMPARE(previo.readAll(), antes);
        }
    }

    // A fixed invert that is not a whole centimetre is taken to the nearest one, and the
    // status says so; one that is, says nothing.
    void cotaFijaAlCentimetro_data() {
        QTest::addColumn<double>("cota");
        QTest::addColumn<QString>("aviso");
        QTest::newRow("milímetros") << 109.503
                                    << "la cota fija de «P4», 109.503 m, se toma al centímetro: "
                                       "109.50 m";
        QTest::newRow("centímetros") << 109.5 << "";
    }
    void cotaFijaAlCentimetro() {
        QFETCH(double, cota);
        QFETCH(QString, aviso);
        VentanaRed& red = redDeEjemplo();
        diseno::Limites l;
        l.fijas = {{"P4", cota}};
        red.disenar(l);
        QVERIFY(esperar(red));
        QVERIFY(red.modelo().diseno());
        const QString estado = texto(red, QStringLiteral("Estado"));
        if (aviso.isEmpty())
            QVERIFY2(!estado.contains(QStringLiteral("se toma al centímetro")), qPrintable(estado));
        else
            QVERIFY2(estado.contains(aviso), qPrintable(estado));
        // The reach leaving P4 starts at the fixed invert, to the centimetre.
        const diseno::TramoDisenado* t4 = red.modelo().diseno()->de(3);
        QVERIFY(t4);
        QVERIFY2(t4->sinDiseno.empty(), t4->sinDiseno.c_str());
        QCOMPARE(t4->cotaInicio, 10950LL);
    }

    // A design cancelled while it runs, by «Cancelar» or by closing the window, leaves nothing
    // of it: no rows, no design, no plan.
    void cancelarNoDejaMedioDiseno_data() {
        QTest::addColumn<bool>("cerrar");
        QTest::newRow("Cancelar") << false;
        QTest::newRow("cerrar la ventana") << true;
    }
    void cancelarNoDejaMedioDiseno() {
        QFETCH(bool, cerrar);
        VentanaRed& red = abrirRed('.');
        const QString modelo = ruta(QStringLiteral("cadena.inp"));
        {
            QFile f(modelo);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(cadena(3000));
        }
        red.ponerTabla(modelo);
        QVERIFY(red.ponerHipotesis(copia("hipotesis.txt")));
        QVERIFY(red.ponerSerie(serie("pvc-sn4.txt")));
        red.comprobar();
        QVERIFY(esperar(red));
        QCOMPARE(red.modelo().filas(), 3000);
        red.disenar(diseno::Limites{});
        QVERIFY(red.enCurso());
        QCOMPARE(red.findChild<QProgressBar*>(QStringLiteral("Progreso"))->format(),
                 QStringLiteral("Diseñando: %v de %m tramos"));
        if (cerrar)
            red.close();
        else
            QTest::mouseClick(red.findChild<QPushButton*>(QStringLiteral("Cancelar")),
                              Qt::LeftButton);
        QVERIFY(esperar(red));
        QCOMPARE(red.modelo().filas(), 0);
        QVERIFY(!red.modelo().diseno());
        QVERIFY(red.findChild<QWidget*>(QStringLiteral("PanelPlano"))->isHidden());
        QCOMPARE(texto(red, QStringLiteral("Estado")),
                 QStringLiteral("Diseño cancelado: no se muestra ningún diseño."));
        QVERIFY(!red.findChild<QPushButton*>(QStringLiteral("Perfil"))->isEnabled());
        QVERIFY(!red.findChild<QPushButton*>(QStringLiteral("Exportar"))->isEnabled());
        QVERIFY(dialogos().errores.isEmpty());
    }
};

QTEST_MAIN(TestDisenoVentana)
#include "test_diseno_ventana.moc"
