// The network window against colvero-check --red on the same tables, and a reach carried from
// it into the main window.
#include "apoyo.h"
#include "check/calcular.h"
#include "files/archivos.h"
#include "files/hipotesis.h"
#include "files/red.h"
#include "network/comprobacion_red.h"
#include "ui/controles.h"
#include "ui/disposicion.h"
#include "ui/hilo_red.h"
#include "ui/modelo_red.h"
#include "ui/plano_red.h"
#include "ui/ventana_perfil.h"
#include "ui/ventana_red.h"

#include <QBrush>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGraphicsView>
#include <QHeaderView>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>

#include <map>

using namespace colvero;
using namespace colvero::ui;
using namespace colvero::ui::prueba;

namespace {

QString ejemplo(const char* nombre) {
    return QStringLiteral(COLVERO_EJEMPLOS "/") + QLatin1String(nombre);
}

QByteArray leerBytes(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("no se puede leer " + ruta.toStdString());
    return f.readAll();
}

void escribirBytes(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("no se puede escribir " + ruta.toStdString());
}

// A table read back by the program's own reader, cells by column name.
struct TablaLeida {
    std::vector<std::string> nombres;
    std::vector<std::vector<std::string>> filas;

    const std::string& celda(std::size_t fila, const std::string& columna) const {
        const auto it = std::find(nombres.begin(), nombres.end(), columna);
        if (it == nombres.end())
            throw std::runtime_error("no hay columna " + columna);
        return filas[fila][static_cast<std::size_t>(it - nombres.begin())];
    }
};

TablaLeida leerTabla(const QString& ruta) {
    LectorRed lector(QFile::encodeName(ruta));
    TablaLeida t;
    t.nombres = lector.cabecera().nombres;
    FilaRed f;
    while (lector.siguiente(f))
        t.filas.push_back(f.celdas);
    return t;
}

// colvero-check --red with `argumentos`; its exit status.
int colveroCheck(const QStringList& argumentos) {
    QProcess p;
    p.start(QStringLiteral(COLVERO_CHECK), QStringList{QStringLiteral("--red")} + argumentos);
    if (!p.waitForFinished(120000))
        throw std::runtime_error("colvero-check no termina");
    return p.exitCode();
}

// The class a verdict line of the result table reads as: what the window must show for it.
int claseDelTexto(const std::string& nota) {
    if (nota.empty() || nota == "-")
        return 3;
    for (const auto& [marca, clase] : {std::pair{"[SI]", 0}, {"[NO]", 1}, {"[ERROR]", 2}}) {
        if (nota.find(marca) != std::string::npos)
            return clase;
    }
    return -1;
}

QString deUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

class TestRedVentana : public PruebaDeVentanas {
    Q_OBJECT

public:
    TestRedVentana() : PruebaDeVentanas() {}

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

    // A copy of an example in the test's folder, so that nothing writes beside the sources.
    QString copia(const char* nombre) {
        const QString destino = carpeta_->filePath(QLatin1String(nombre));
        if (!QFile::exists(destino))
            QFile::copy(ejemplo(nombre), destino);
        return destino;
    }

    QString archivo(const char* nombre, const QByteArray& bytes) {
        const QString ruta = carpeta_->filePath(QLatin1String(nombre));
        escribirBytes(ruta, bytes);
        return ruta;
    }

    static bool esperar(VentanaRed& red) {
        return QTest::qWaitFor([&] { return !red.enCurso(); }, 120000);
    }

    // The example model with its hypothesis and criterion, checked to its end.
    bool comprobarModeloDeEjemplo(VentanaRed& red) {
        red.ponerTabla(copia("red-ejemplo.inp"));
        if (!red.ponerHipotesis(copia("hipotesis.txt")) ||
            !red.ponerCriterio(copia("criterio-red.CrVek")))
            return false;
        red.comprobar();
        return esperar(red);
    }

    static QPushButton* boton(VentanaRed& red, const char* nombre) {
        return red.findChild<QPushButton*>(QLatin1String(nombre));
    }

private Q_SLOTS:
    // The same verdicts and the same result file as colvero-check --red --salida.
    void igualQueColveroCheck_data() {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("criterio"); // "" for none
        QTest::addColumn<QString>("serie");    // "" for none
        QTest::addColumn<bool>("pendientes");
        QTest::addColumn<char>("separador");
        QTest::addColumn<bool>("mezcla"); // some reaches pass and some do not
        QTest::newRow("«;», criterio, serie, coma decimal")
            << QStringLiteral("red-ejemplo-punto-y-coma.csv")
            << QStringLiteral("criterio-red.CrVek") << QStringLiteral("hormigon-dn.txt") << true
            << ',' << true;
        QTest::newRow("«,», plantilla, sin pendientes, punto decimal")
            << QStringLiteral("red-ejemplo-coma.csv") << QStringLiteral("colector-1m.caVek")
            << QString() << false << '.' << true;
        QTest::newRow("«,», valores iniciales, serie, coma decimal")
            << QStringLiteral("red-ejemplo-coma.csv") << QString() << QStringLiteral("pvc-sn4.txt")
            << true << ',' << false;
        QTest::newRow("«;», criterio estricto, punto decimal")
            << QStringLiteral("red-ejemplo-punto-y-coma.csv")
            << QStringLiteral("criterio-estricto.CrVek") << QString() << true << '.' << false;
    }
    void igualQueColveroCheck() {
        QFETCH(QString, tabla);
        QFETCH(QString, criterio);
        QFETCH(QString, serie);
        QFETCH(bool, pendientes);
        QFETCH(char, separador);
        QFETCH(bool, mezcla);
        const QString rutaTabla = copia(qPrintable(tabla));
        QStringList argumentos{rutaTabla, QStringLiteral("--locale"),
                               QLatin1String(separador == ',' ? "es_ES" : "C")};
        VentanaRed& red = abrirRed(separador);
        red.ponerTabla(rutaTabla);
        if (!criterio.isEmpty()) {
            const QString ruta = copia(qPrintable(criterio));
            QVERIFY(red.ponerCriterio(ruta));
            argumentos << QLatin1String(criterio.endsWith(QLatin1String(".caVek")) ? "--plantilla"
                                                                                   : "--criterio")
                       << ruta;
        } else {
            // colvero-check needs a criterion: the window's initial one, as a template.
            const QString inicial = carpeta_->filePath(QStringLiteral("inicial.caVek"));
            guardarCalculo(inicial, Calculo{}, '.');
            argumentos << QStringLiteral("--plantilla") << inicial;
        }
        if (!serie.isEmpty()) {
            const QString ruta = QStringLiteral(COLVERO_SERIES "/") + serie;
            QVERIFY(red.ponerSerie(ruta));
            argumentos << QStringLiteral("--serie") << ruta;
        }
        if (!pendientes) {
            red.findChild<QCheckBox*>(QStringLiteral("Pendientes"))->setChecked(false);
            argumentos << QStringLiteral("--sin-pendientes");
        }
        const QString salidaCli = carpeta_->filePath(QStringLiteral("cli.csv"));
        const int codigo = colveroCheck(argumentos << QStringLiteral("--salida") << salidaCli);
        QVERIFY(codigo == 0 || codigo == 1 || codigo == 2);

        QTest::mouseClick(boton(red, "Comprobar"), Qt::LeftButton);
        QVERIFY(esperar(red));
        const TablaLeida cli = leerTabla(salidaCli);
        const ModeloRed& m = red.modelo();
        QCOMPARE(static_cast<std::size_t>(m.filas()), cli.filas.size());
        for (int k = 0; k < m.filas(); ++k) {
            const FilaRedComprobada& f = m.fila(k);
            QCOMPARE(f.numero, k + 2);
            QCOMPARE(deUtf8(f.celdas[0]), deUtf8(cli.celda(k, "tramo")));
            for (int c = 1; c <= 10; ++c) {
                const std::string& nota = cli.celda(k, "(" + std::to_string(c) + ") veredicto");
                const int esperada = claseDelTexto(nota);
                QCOMPARE(m.data(m.index(k, m.columnaVeredicto(c)), ModeloRed::kRolOrden).toInt(),
                         esperada);
            }
            if (!serie.isEmpty()) {
                // An empty cell of a checked row is a series with no passing pipe.
                const std::string& menor = cli.celda(k, "menor que cumple");
                const bool comprobada = cli.celda(k, "(1) veredicto") != "";
                QCOMPARE(m.data(m.index(k, m.columnaMenor())).toString(),
                         menor.empty() && comprobada ? QStringLiteral("ninguno") : deUtf8(menor));
            }
            if (pendientes) {
                // The window's slope cell is the result table's (whose numbers take the table's
                // separator), but for the reason of a row where nothing passes, which only the
                // tooltip gives.
                QString celda = m.data(m.index(k, m.columnaPendientes())).toString();
                QString enTabla = deUtf8(cli.celda(k, "pendientes admisibles (m/m)"));
                celda.replace(QLatin1Char(','), QLatin1Char('.'));
                enTabla.replace(QLatin1Char(','), QLatin1Char('.'));
                QVERIFY2(enTabla.startsWith(celda) &&
                             (enTabla == celda || celda == QStringLiteral("ninguna")),
                         qPrintable(celda + QStringLiteral(" / ") + enTabla));
                QVERIFY(!celda.contains(QLatin1Char('e')));
            }
        }
        if (mezcla) {
            // Reaches that pass and reaches that do not: a verdict mix-up cannot pass unseen.
            QVERIFY(m.porCodigo()[0] > 0);
            QVERIFY(m.porCodigo()[1] + m.porCodigo()[2] > 0);
        }

        auto* exportar = boton(red, "Exportar");
        QVERIFY(exportar->isEnabled());
        const QString salidaVentana = carpeta_->filePath(QStringLiteral("ventana.csv"));
        prueba_->dialogos->respuesta = salidaVentana;
        QTest::mouseClick(exportar, Qt::LeftButton);
        QVERIFY2(prueba_->dialogos->errores.isEmpty(),
                 qPrintable(prueba_->dialogos->errores.join('\n')));
        QCOMPARE(leerBytes(salidaVentana), leerBytes(salidaCli));
    }

    void filtroYOrden() {
        VentanaRed& red = abrirRed(',');
        QVERIFY(red.ponerCriterio(copia("criterio-red.CrVek")));
        // i with an exponent and D with two integer digits: text order differs from numbers.
        red.ponerTabla(archivo("orden.csv", "tramo;D;n;i;Q\n"
                                            "A;0,5;0,013;0,01;0,05\n"
                                            "B;12;0,013;5e-3;0,05\n"
                                            "C;0,6;0,013;0,004;0,05\n"
                                            "D;9;0,013;abc;0,05\n"
                                            "E;0,45;0,013;0,02;0,05\n"
                                            "F;0,55;0,013;1E-2;0,05\n"));
        red.comprobar();
        QVERIFY(esperar(red));
        const ModeloRed& m = red.modelo();
        const FiltroRed& f = red.filtro();
        QCOMPARE(m.filas(), 6);
        auto* vista = red.findChild<QTableView*>(QStringLiteral("Tabla"));
        const auto orden = [&] {
            QString s;
            for (int k = 0; k < f.rowCount(); ++k)
                s += f.index(k, m.columnaEntrada(ColumnaRed::Tramo)).data().toString();
            return s;
        };
        QCOMPARE(orden(), QStringLiteral("ABCDEF"));
        vista->sortByColumn(m.columnaEntrada(ColumnaRed::i), Qt::AscendingOrder);
        // Equal numbers keep the table's order; the cell that is not a number goes last.
        QCOMPARE(orden(), QStringLiteral("CBAFED"));
        vista->sortByColumn(m.columnaEntrada(ColumnaRed::D), Qt::AscendingOrder);
        QCOMPARE(orden(), QStringLiteral("EAFCDB"));
        vista->horizontalHeader()->setSortIndicator(m.columnaEntrada(ColumnaRed::D),
                                                    Qt::DescendingOrder);
        QCOMPARE(orden(), QStringLiteral("BDCFAE"));

        // The row that could not be checked is among those that do not pass, with its message.
        const int fallida = 3;
        QCOMPARE(m.fila(fallida).codigo, 2);
        QCOMPARE(m.data(m.index(fallida, m.columnaEstado())).toString(),
                 QStringLiteral("fila 5, columna i: «abc» no es un número"));
        QCOMPARE(m.data(m.index(fallida, m.columnaVeredicto(1))).toString(), QStringLiteral("-"));

        auto* solo = red.findChild<QCheckBox*>(QStringLiteral("SoloNoCumplen"));
        solo->setChecked(true);
        QCOMPARE(f.rowCount(), static_cast<int>(m.porCodigo()[1] + m.porCodigo()[2]));
        QVERIFY(f.rowCount() < m.filas());
        QVERIFY(f.rowCount() > 0);
        for (int k = 0; k < f.rowCount(); ++k)
            QVERIFY(m.fila(f.mapToSource(f.index(k, 0)).row()).codigo != 0);
        solo->setChecked(false);
        QCOMPARE(f.rowCount(), m.filas());
    }

    void ordenDeVeredictosYFilasDeLaRed() {
        VentanaRed& red = abrirRed('.');
        red.ponerTabla(copia("red-ejemplo-coma.csv"));
        QVERIFY(red.ponerCriterio(copia("criterio-red.CrVek")));
        red.comprobar();
        QVERIFY(esperar(red));
        const ModeloRed& m = red.modelo();
        const FiltroRed& f = red.filtro();
        auto* vista = red.findChild<QTableView*>(QStringLiteral("Tabla"));
        for (const ColumnaRed c : {ColumnaRed::D, ColumnaRed::i}) {
            vista->sortByColumn(m.columnaEntrada(c), Qt::AscendingOrder);
            double anterior = 0;
            for (int k = 0; k < f.rowCount(); ++k) {
                const QVariant v = f.index(k, m.columnaEntrada(c)).data(ModeloRed::kRolOrden);
                QCOMPARE(v.typeId(), QMetaType::Double);
                QVERIFY(v.toDouble() >= anterior);
                anterior = v.toDouble();
            }
        }
        // By the verdict of condition 3: those that pass first, each class together.
        vista->sortByColumn(m.columnaVeredicto(3), Qt::AscendingOrder);
        QStringList clases;
        for (int k = 0; k < f.rowCount(); ++k) {
            const QString t = f.index(k, m.columnaVeredicto(3)).data().toString();
            if (clases.isEmpty() || clases.last() != t)
                clases << t;
        }
        QCOMPARE(clases, (QStringList{"[SI]", "[NO]"}));
    }

    void cancelarDejaUnaTablaCoherente() {
        // Many reaches, so that the check is still under way when the first rows arrive.
        const QByteArray ejemplo = leerBytes(copia("red-ejemplo-punto-y-coma.csv"));
        const QList<QByteArray> lineas = ejemplo.split('\n');
        QByteArray grande = lineas[0] + '\n';
        const int vueltas = 400;
        for (int v = 0; v < vueltas; ++v) {
            for (qsizetype k = 1; k < lineas.size(); ++k) {
                if (!lineas[k].trimmed().isEmpty())
                    grande += QByteArray::number(v) + lineas[k] + '\n';
            }
        }
        VentanaRed& red = abrirRed(',');
        red.ponerTabla(archivo("grande.csv", grande));
        // With a criterion every row has its slope window to find: the slow case.
        QVERIFY(red.ponerCriterio(copia("criterio-red.CrVek")));
        int lotes = 0;
        connect(&red.modelo(), &QAbstractItemModel::rowsInserted, this, [&] {
            if (++lotes == 1)
                QTest::mouseClick(boton(red, "Cancelar"), Qt::LeftButton);
        });
        auto* progreso = red.findChild<QProgressBar*>(QStringLiteral("Progreso"));
        red.comprobar();
        QVERIFY(boton(red, "Cancelar")->isEnabled());
        QVERIFY(!boton(red, "Comprobar")->isEnabled());
        QVERIFY(esperar(red));
        disconnect(&red.modelo(), nullptr, this, nullptr);

        const ModeloRed& m = red.modelo();
        QCOMPARE(m.cabecera().filas, 50 * vueltas);
        QVERIFY(m.filas() > 0);
        QVERIFY(m.filas() < 50 * vueltas / 4);
        // A prefix of the table, every row whole, the counts matching the rows.
        qint64 cuentas = 0;
        for (int k = 0; k < m.filas(); ++k) {
            QCOMPARE(m.fila(k).numero, k + 2);
            QVERIFY(!m.fila(k).csv.empty());
            ++cuentas;
        }
        QCOMPARE(m.porCodigo()[0] + m.porCodigo()[1] + m.porCodigo()[2], cuentas);
        QCOMPARE(progreso->value(), m.filas());
        const QString estado = red.findChild<QLabel*>(QStringLiteral("Estado"))->text();
        QVERIFY2(estado.startsWith(QStringLiteral("Comprobación cancelada: %1 de %2 tramos")
                                       .arg(m.filas())
                                       .arg(50 * vueltas)),
                 qPrintable(estado));
        // A cut table is not exported as if it were the network.
        QVERIFY(!boton(red, "Exportar")->isEnabled());
        QVERIFY(!red.exportar(carpeta_->filePath(QStringLiteral("cortada.csv"))));
        QCOMPARE(prueba_->dialogos->errores.size(), 1);
        QVERIFY(!QFile::exists(carpeta_->filePath(QStringLiteral("cortada.csv"))));
        prueba_->dialogos->errores.clear();

        // The window takes another check at once.
        QVERIFY(boton(red, "Comprobar")->isEnabled());
        red.ponerTabla(copia("red-ejemplo-coma.csv"));
        red.comprobar();
        QVERIFY(esperar(red));
        QCOMPARE(red.modelo().filas(), 50);
        QVERIFY(boton(red, "Exportar")->isEnabled());
    }

    // A double click carries the reach into the main window; its Calcular gives the row's
    // verdict lines and values.
    // A SWMM model with flows from an edited hypothesis: a pump left out, an adverse reach
    // that fails by its name, and a reach carried to the main window with its flow names and
    // with numbers that, typed, give what the table says.
    void modeloSwmmConHipotesis() {
        const QString modelo = archivo(
            "m.inp", "[OPTIONS]\nFLOW_UNITS LPS\n[JUNCTIONS]\nA 10.07 2\nB 9.3 2.5\nC 7 2\n"
                     "[OUTFALLS]\nS 8.1 FREE\n[CONDUITS]\nT1 A B 33.3 0.013\nT2 B S 41 0.011\n"
                     "T3 C S 20 0.013\n[PUMPS]\nP1 A S * ON 0 0\n[XSECTIONS]\nT1 CIRCULAR 0.3\n"
                     "T2 CIRCULAR 0.4\nT3 CIRCULAR 0.3\n[DWF]\nA FLOW 1.7\nB FLOW 0.9\n");
        VentanaRed& red = abrirRed(',');
        red.ponerTabla(modelo);
        QVERIFY(boton(red, "ElegirInforme")->isVisibleTo(&red));
        QVERIFY(!boton(red, "ElegirPozos")->isVisibleTo(&red));
        QVERIFY(boton(red, "EditarHipotesis")->isVisibleTo(&red));
        QString error;
        QVERIFY(!red.ponerTextoHipotesis(QStringLiteral("factor_minimo = mucho\n"), &error));
        QVERIFY2(error.contains(QStringLiteral("línea 1")), qPrintable(error));
        QVERIFY(red.ponerTextoHipotesis(QStringLiteral("factor_minimo = 0,4\n"), &error));
        QVERIFY(red.ponerCriterio(copia("criterio-red.CrVek")));
        red.comprobar();
        QVERIFY(esperar(red));
        const ModeloRed& m = red.modelo();
        QCOMPARE(m.filas(), 4);
        QCOMPARE(m.omitidos(), qint64(1));
        QVERIFY(m.fila(3).omitido);
        QCOMPARE(deUtf8(m.fila(3).estado), QStringLiteral("no es un conducto (bomba)"));
        QCOMPARE(m.fila(2).codigo, std::uint8_t(2));
        QVERIFY(
            deUtf8(m.fila(2).estado).startsWith(QStringLiteral("tramo «T3»: pendiente negativa")));
        const QString estado = red.findChild<QLabel*>(QStringLiteral("Estado"))->text();
        QVERIFY2(estado.contains(QStringLiteral("Formato: modelo SWMM 5, caudales en LPS")),
                 qPrintable(estado));
        QVERIFY2(estado.contains(QStringLiteral("no se comprueban 1")), qPrintable(estado));
        // Without coordinates the table stands alone, and the status says why.
        QVERIFY(red.findChild<QWidget*>(QStringLiteral("PanelPlano"))->isHidden());
        QVERIFY2(estado.contains(QStringLiteral("Sin plano: ")), qPrintable(estado));

        // The results take their hypothesis with them.
        QVERIFY(red.exportar(carpeta_->filePath(QStringLiteral("resultados.csv"))));
        red::Hipotesis editada;
        editada.factorMinimo = 0.4;
        QCOMPARE(leerBytes(carpeta_->filePath(QStringLiteral("resultados.hipotesis.txt"))),
                 QByteArray::fromStdString(textoDeHipotesis(editada)));

        red.cargarFila(1);
        const FilaRedComprobada& f = m.fila(1);
        const auto celda = [&](ColumnaRed c) {
            return deUtf8(f.celdas[static_cast<std::size_t>(m.cabecera().columna(c))]);
        };
        QCOMPARE(texto(w(), "Text34"), celda(ColumnaRed::D));
        QCOMPARE(texto(w(), "Text18"), celda(ColumnaRed::i));
        QCOMPARE(texto(w(), "Text42"), celda(ColumnaRed::Q2));
        QCOMPARE(texto(w(), "Text8"), QStringLiteral("Caudal punta"));
        QCOMPARE(texto(w(), "Text9"), QStringLiteral("Caudal de cálculo"));
        QTest::mouseClick(hijo<QPushButton>(w(), "Command13"), Qt::LeftButton);
        for (int c = 1; c <= 10; ++c) {
            const int clase =
                m.data(m.index(1, m.columnaVeredicto(c)), ModeloRed::kRolOrden).toInt();
            const QString nota = texto(w(), QLatin1String(filas()[c - 1].nota));
            QCOMPARE(claseDelTexto(nota.toStdString()), clase);
        }
    }

    // The example model's plan: each reach coloured by its row, a click on it selects the
    // row (showing it if the filter hid it), a row selected lights its reach, and the plan
    // saved as a picture.
    void planoDelModeloDeEjemplo() {
        VentanaRed& red = abrirRed(',');
        QVERIFY(comprobarModeloDeEjemplo(red));
        QVERIFY(QTest::qWaitForWindowExposed(&red));
        const ModeloRed& m = red.modelo();
        const PlanoRed& plano = red.plano();
        QVERIFY(!red.findChild<QWidget*>(QStringLiteral("PanelPlano"))->isHidden());
        QCOMPARE(m.filas(), 11);
        int fallan = 0;
        for (int k = 0; k < m.filas(); ++k) {
            const FilaRedComprobada& f = m.fila(k);
            const EstadoPlano esperado = f.omitido       ? EstadoPlano::Omitido
                                         : f.codigo == 0 ? EstadoPlano::Cumple
                                         : f.codigo == 1 ? EstadoPlano::NoCumple
                                                         : EstadoPlano::NoComprobado;
            QCOMPARE(plano.estado(static_cast<std::size_t>(k)), esperado);
            fallan += f.codigo == 1;
        }
        QVERIFY(fallan > 0 && fallan < 10); // the example mixes verdicts

        auto* vista = red.findChild<QTableView*>(QStringLiteral("Tabla"));
        vista->setCurrentIndex(red.filtro().mapFromSource(m.index(3, 1)));
        QCOMPARE(plano.resaltado(), std::optional<std::size_t>(3));

        // A passing reach clicked while only failures are listed: the filter lets it through.
        int pasa = 0;
        while (m.fila(pasa).codigo != 0 || m.fila(pasa).omitido)
            ++pasa;
        red.findChild<QCheckBox*>(QStringLiteral("SoloNoCumplen"))->setChecked(true);
        const QPolygonF linea = plano.linea(static_cast<std::size_t>(pasa));
        QVERIFY(!linea.isEmpty());
        const QPoint donde = plano.vista()->mapFromScene((linea.first() + linea.last()) / 2);
        QTest::mouseClick(plano.vista()->viewport(), Qt::LeftButton, {}, donde);
        QCOMPARE(red.filtro().mapToSource(vista->currentIndex()).row(), pasa);
        QVERIFY(!red.findChild<QCheckBox*>(QStringLiteral("SoloNoCumplen"))->isChecked());

        const QString png = carpeta_->filePath(QStringLiteral("plano.png"));
        QVERIFY(red.guardarPlano(png));
        QVERIFY(leerBytes(png).startsWith("\x89PNG"));

        // The profile from the failing reach T10 down to the outfall, its drawing saved.
        QVERIFY(red.abrirPerfil(-1) == nullptr);
        QVERIFY(dialogos().errores.last().contains(QStringLiteral("Elija en la tabla")));
        int t10 = 0;
        while (m.fila(t10).celdas[0] != "T10")
            ++t10;
        auto* ventana = dynamic_cast<VentanaPerfil*>(red.abrirPerfil(t10));
        QVERIFY(ventana);
        const perfil::Perfil& p = ventana->perfil();
        QCOMPARE(QString::fromStdString(p.tramos.front().datos.tramo), QStringLiteral("T10"));
        QCOMPARE(QString::fromStdString(p.tramos.back().datos.tramo), QStringLiteral("T5"));
        QCOMPARE(QString::fromStdString(p.nodos.back().nombre), QStringLiteral("V1"));
        QCOMPARE(p.tramos.front().clase, perfil::ClasePerfil::NoCumple);
        const QString pdfPerfil = carpeta_->filePath(QStringLiteral("perfil.pdf"));
        QVERIFY(ventana->guardar(pdfPerfil));
        QVERIFY(leerBytes(pdfPerfil).startsWith("%PDF"));
        ventana->close();

        // The network's note, written whole, and never over an input.
        const QString nota = carpeta_->filePath(QStringLiteral("nota.pdf"));
        QVERIFY(red.escribirNota(nota));
        QVERIFY(leerBytes(nota).startsWith("%PDF"));
        QVERIFY(!red.escribirNota(carpeta_->filePath(QStringLiteral("hipotesis.txt"))));
        QVERIFY(leerBytes(carpeta_->filePath(QStringLiteral("hipotesis.txt"))).startsWith("#"));
    }

    void perfilEntreDosPozos_data() {
        QTest::addColumn<QString>("desde");
        QTest::addColumn<QString>("hasta");
        QTest::addColumn<QString>("tramos"); // of the profile drawn; "" for none
        QTest::addColumn<QString>("error");  // what the dialog says when there is none
        const auto fila = [](const char* nombre, const char* desde, const char* hasta,
                             const char* tramos, const QString& error) {
            QTest::newRow(nombre) << QString::fromUtf8(desde) << QString::fromUtf8(hasta)
                                  << QString::fromUtf8(tramos) << error;
        };
        fila("aguas abajo", "P6", "P4", "T6,T7,T3", {});
        fila("dados al revés", "P4", "P6", "T6,T7,T3", {});
        fila("hasta el vertido", "P10", "V1", "T10,T4,T5", {});
        fila("con espacios alrededor", " P1 ", "P3 ", "T1,T2", {});
        const QString noHay = QStringLiteral("No hay perfil: los nodos «%1» y «%2» no están en "
                                             "un mismo camino del agua");
        fila("ramales distintos", "P6", "P10", "", noHay.arg("P6", "P10"));
        fila("por el aliviadero, otro vertido", "P1", "V2", "", noHay.arg("P1", "V2"));
        fila("el mismo pozo", "P3", "P3", "",
             QStringLiteral("No hay perfil: el trayecto de «P3» a «P3» no tiene ningún tramo: dé "
                            "dos nodos distintos"));
        fila("pozo desconocido", "P2", "X9", "",
             QStringLiteral("No hay perfil: no hay ningún nodo «X9»"));
        fila("un tramo no es un pozo", "T1", "P3", "",
             QStringLiteral("No hay perfil: no hay ningún nodo «T1»"));
        fila("sin el segundo pozo", "P2", "", "",
             QStringLiteral("Escriba o elija los dos pozos del perfil."));
    }
    // «Perfil…» → «Entre dos pozos…»: two manholes of one flow path, in either order, open the
    // profile of the path between them; two that are not give the reason in the dialog, which
    // stays open, and no window.
    void perfilEntreDosPozos() {
        QFETCH(QString, desde);
        QFETCH(QString, hasta);
        QFETCH(QString, tramos);
        QFETCH(QString, error);
        sinVigilante(); // the dialog is closed here
        VentanaRed& red = abrirRed(',');
        QVERIFY(comprobarModeloDeEjemplo(red));
        QVERIFY(boton(red, "Perfil")->isEnabled());

        // The reach T10 chosen: the dialog starts from its path, P10 down to V1.
        const ModeloRed& m = red.modelo();
        int t10 = 0;
        while (m.fila(t10).celdas[0] != "T10")
            ++t10;
        auto* vista = red.findChild<QTableView*>(QStringLiteral("Tabla"));
        vista->setCurrentIndex(red.filtro().mapFromSource(m.index(t10, 1)));
        auto* accion = red.findChild<QAction*>(QStringLiteral("PerfilEntrePozos"));
        QVERIFY(accion);
        QVERIFY(boton(red, "Perfil")->menu()->actions().contains(accion));
        accion->trigger();
        auto* dialogo = red.findChild<QDialog*>(QStringLiteral("PozosDelPerfil"));
        QVERIFY(dialogo && dialogo->isVisible());
        auto* cajaDesde = dialogo->findChild<QComboBox*>(QStringLiteral("PozoDesde"));
        auto* cajaHasta = dialogo->findChild<QComboBox*>(QStringLiteral("PozoHasta"));
        QCOMPARE(cajaDesde->currentText(), QStringLiteral("P10"));
        QCOMPARE(cajaHasta->currentText(), QStringLiteral("V1"));
        // Every node once, numbered names in their order.
        QCOMPARE(cajaHasta->count(), 12);
        QVERIFY(cajaHasta->findText(QStringLiteral("P9")) <
                cajaHasta->findText(QStringLiteral("P10")));
        QVERIFY(cajaHasta->findText(QStringLiteral("P10")) <
                cajaHasta->findText(QStringLiteral("V1")));

        cajaDesde->setEditText(desde);
        cajaHasta->setEditText(hasta);
        // VentanaPerfil has no meta-object of its own: found by name, then by type.
        const auto ventanasDePerfil = [&red] {
            QList<VentanaPerfil*> r;
            for (QWidget* w : red.findChildren<QWidget*>(QStringLiteral("VentanaPerfil"),
                                                         Qt::FindDirectChildrenOnly))
                if (auto* v = dynamic_cast<VentanaPerfil*>(w))
                    r << v;
            return r;
        };
        const auto antes = ventanasDePerfil().size();
        auto* botones = dialogo->findChild<QDialogButtonBox*>();
        QTest::mouseClick(botones->button(QDialogButtonBox::Ok), Qt::LeftButton);
        const QList<VentanaPerfil*> perfiles = ventanasDePerfil();
        if (tramos.isEmpty()) {
            QCOMPARE(perfiles.size(), antes);
            QVERIFY(dialogo->isVisible());
            QCOMPARE(dialogo->findChild<QLabel*>(QStringLiteral("FalloPerfil"))->text(), error);
            QVERIFY(dialogos().errores.isEmpty());
            dialogo->reject();
            return;
        }
        QCOMPARE(perfiles.size(), antes + 1);
        QVERIFY(!dialogo->isVisible());
        const perfil::Perfil& p = perfiles.last()->perfil();
        QStringList obtenidos;
        for (const perfil::TramoPerfil& t : p.tramos)
            obtenidos << QString::fromStdString(t.datos.tramo);
        QCOMPARE(obtenidos.join(QLatin1Char(',')), tramos);
        QCOMPARE(p.nodos.size(), p.tramos.size() + 1);
        // The path's ends are the two manholes, upstream first.
        const QStringList extremos{QString::fromStdString(p.nodos.front().nombre),
                                   QString::fromStdString(p.nodos.back().nombre)};
        QCOMPARE(QSet<QString>(extremos.begin(), extremos.end()),
                 QSet<QString>({desde.trimmed(), hasta.trimmed()}));
        perfiles.last()->close();
    }

    void dobleClicCargaElTramo_data() {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<char>("separador");
        QTest::addColumn<int>("fila"); // of the model
        QTest::newRow("«;» a una ventana de punto decimal")
            << "red-ejemplo-punto-y-coma.csv" << '.' << 6;
        QTest::newRow("«,» a una ventana de coma decimal") << "red-ejemplo-coma.csv" << ',' << 13;
        QTest::newRow("«,» a una ventana de punto decimal") << "red-ejemplo-coma.csv" << '.' << 0;
    }
    void dobleClicCargaElTramo() {
        QFETCH(QString, tabla);
        QFETCH(char, separador);
        QFETCH(int, fila);
        const QString rutaTabla = copia(qPrintable(tabla));
        const QByteArray bytesTabla = leerBytes(rutaTabla);
        const QString rutaCriterio = copia("criterio-red.CrVek");
        const QString salidaCli = carpeta_->filePath(QStringLiteral("cli.csv"));
        colveroCheck({rutaTabla, QStringLiteral("--criterio"), rutaCriterio,
                      QStringLiteral("--salida"), salidaCli});
        const TablaLeida cli = leerTabla(salidaCli);
        const TablaLeida entrada = leerTabla(rutaTabla);

        VentanaRed& red = abrirRed(separador);
        red.ponerTabla(rutaTabla);
        QVERIFY(red.ponerCriterio(rutaCriterio));
        red.comprobar();
        QVERIFY(esperar(red));
        auto* vista = red.findChild<QTableView*>(QStringLiteral("Tabla"));
        QVERIFY(QTest::qWaitForWindowExposed(&red));
        const QModelIndex indice = red.filtro().mapFromSource(red.modelo().index(fila, 1));
        vista->scrollTo(indice);
        // The press of the first click picks the row that the double click then opens.
        const QPoint centro = vista->visualRect(indice).center();
        QTest::mouseClick(vista->viewport(), Qt::LeftButton, {}, centro);
        QTest::mouseDClick(vista->viewport(), Qt::LeftButton, {}, centro);

        const auto conSeparador = [&](std::string s) {
            std::replace(s.begin(), s.end(), tabla.contains("punto-y-coma") ? ',' : '.', separador);
            return deUtf8(s);
        };
        const auto celda = [&](const char* columna) {
            return conSeparador(entrada.celda(static_cast<std::size_t>(fila), columna));
        };
        const std::size_t k = static_cast<std::size_t>(fila);
        QCOMPARE(texto(w(), "Text34"), celda("D"));
        QCOMPARE(texto(w(), "Text35"), celda("n"));
        QCOMPARE(texto(w(), "Text18"), celda("i"));
        // Q3 and Q5 have their own columns; the other flows take Q.
        const char* caudales[] = {"Text33", "Text42", "Text43", "Text48",
                                  "Text76", "Text67", "Text70"};
        for (int c = 0; c < 7; ++c)
            QCOMPARE(texto(w(), caudales[c]), celda(c == 2 ? "Q3" : c == 4 ? "Q5" : "Q"));
        const Criterio esperado = leerCriterio(rutaCriterio, separador);
        QCOMPARE(texto(w(), "Text39"), deUtf8(esperado.Vmax));
        QCOMPARE(texto(w(), "Text54"), deUtf8(esperado.gammaParticula));
        QCOMPARE(texto(w(), "Text72"), deUtf8(esperado.Vmin10));
        QCOMPARE(w().controles().casilla("Check6")->isChecked(), esperado.activa[5]);
        QCOMPARE(texto(w(), "Label1ap"),
                 QStringLiteral("tramo %1 (%2)")
                     .arg(deUtf8(entrada.celda(k, "tramo")), QFileInfo(rutaTabla).fileName()));
        QCOMPARE(texto(w(), "Label3ap"), rutaCriterio);

        QTest::mouseClick(hijo<QPushButton>(w(), "Command13"), Qt::LeftButton);
        for (int c = 1; c <= 10; ++c) {
            const std::string& nota = cli.celda(k, "(" + std::to_string(c) + ") veredicto");
            QCOMPARE(texto(w(), QLatin1String(filas()[c - 1].nota)),
                     nota.empty() ? QStringLiteral("-") : deUtf8(nota));
        }
        const char* valores[][2] = {{"Text37", "(1) Qll (m3/s)"},
                                    {"Text38", "(2) v2 (m/s)"},
                                    {"Text52", "(4) y/D4 (%)"},
                                    {"Text19", "(5) dp (mm)"},
                                    {"Text73", "(10) v10 (m/s)"}};
        for (const auto& [control, columna] : valores) {
            // The result table leaves a cell empty where the window shows "-" or nothing.
            const std::string& v = cli.celda(k, columna);
            const QString enVentana = texto(w(), QLatin1String(control));
            if (v.empty())
                QVERIFY2(enVentana == QStringLiteral("-") || enVentana.isEmpty(),
                         qPrintable(enVentana));
            else
                QCOMPARE(enVentana, conSeparador(v));
        }

        // Saving asks for a name: the table is not the reach's file.
        prueba_->dialogos->respuesta.clear();
        const qsizetype llamadas = prueba_->dialogos->llamadas.size();
        // The main window comes to the front with the reach.
        QTRY_COMPARE(QApplication::activeWindow(), &w());
        QWidget* campo = hijo<QWidget>(w(), "Text34");
        campo->setFocus();
        QTest::keySequence(campo, QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(prueba_->dialogos->llamadas.size(), llamadas + 1);
        QCOMPARE(prueba_->dialogos->llamadas.last().tipo, QStringLiteral("guardar"));
        QCOMPARE(leerBytes(rutaTabla), bytesTabla);
    }

    // Tables and files that cannot be used: a message, an empty table, a window that goes on.
    void tablaRechazadaAvisa_data() {
        QTest::addColumn<QByteArray>("contenido"); // empty: the table does not exist
        QTest::addColumn<QString>("mensaje");      // a part of the one message
        QTest::newRow("sin columna i")
            << QByteArray("tramo;D;n;Q\nT1;0,5;0,013;0,1\n") << "falta la columna";
        QTest::newRow("sin caudal")
            << QByteArray("tramo;D;n;i\nT1;0,5;0,013;0,01\n") << "falta la columna de caudal";
        QTest::newRow("sin el caudal de una condición activa")
            << QByteArray("tramo;D;n;i;Q3\nT1;0,5;0,013;0,01;0,1\n")
            << "falta la columna Q o Q1, que necesita la condición (1)";
        QTest::newRow("tramo repetido")
            << QByteArray("tramo;D;n;i;Q\nT1;0,5;0,013;0,01;0,1\nT1;0,5;0,013;0,01;0,1\n") << "T1";
        QTest::newRow("sin filas") << QByteArray("tramo;D;n;i;Q\n") << "";
        QTest::newRow("no existe") << QByteArray() << "";
    }
    void tablaRechazadaAvisa() {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, mensaje);
        VentanaRed& red = abrirRed(',');
        const QString ruta = contenido.isEmpty()
                                 ? carpeta_->filePath(QStringLiteral("no-existe.csv"))
                                 : archivo("rechazada.csv", contenido);
        prueba_->dialogos->respuesta = ruta;
        QTest::mouseClick(boton(red, "ElegirTabla"), Qt::LeftButton);
        QTest::mouseClick(boton(red, "Comprobar"), Qt::LeftButton);
        QVERIFY(esperar(red));
        QCOMPARE(prueba_->dialogos->errores.size(), 1);
        QVERIFY2(prueba_->dialogos->errores[0].contains(mensaje),
                 qPrintable(prueba_->dialogos->errores[0]));
        QVERIFY(prueba_->dialogos->errores[0].contains(QFileInfo(ruta).fileName()));
        QCOMPARE(red.modelo().filas(), 0);
        QVERIFY(!boton(red, "Exportar")->isEnabled());
        QVERIFY(boton(red, "Comprobar")->isEnabled());
    }

    void archivoQueNoSirveNoSeToma() {
        VentanaRed& red = abrirRed('.');
        const QString criterio = archivo("malo.CrVek", "no es un criterio\r\n");
        QVERIFY(!red.ponerCriterio(criterio));
        QVERIFY(!red.ponerSerie(archivo("mala.txt", "DN 300;x\n")));
        QCOMPARE(prueba_->dialogos->errores.size(), 2);
        QVERIFY(prueba_->dialogos->errores[0].contains(QStringLiteral("malo.CrVek")));
        QVERIFY(prueba_->dialogos->errores[1].contains(QStringLiteral("mala.txt")));
        // The run goes on with what was chosen before: the initial values, no series.
        QVERIFY(red.findChild<QLabel*>(QStringLiteral("OrigenCriterio"))
                    ->text()
                    .startsWith(QStringLiteral("valores iniciales")));
        QCOMPARE(red.findChild<QComboBox*>(QStringLiteral("Serie"))->currentIndex(), 0);
        red.ponerTabla(copia("red-ejemplo-coma.csv"));
        red.comprobar();
        QVERIFY(esperar(red));
        QCOMPARE(red.modelo().columnaMenor(), -1);
        QCOMPARE(red.modelo().filas(), 50);

        // An export that cannot be written says so and leaves nothing behind.
        const QString destino = carpeta_->filePath(QStringLiteral("no-hay/resultados.csv"));
        QVERIFY(!red.exportar(destino));
        QCOMPARE(prueba_->dialogos->errores.size(), 3);
        QVERIFY2(prueba_->dialogos->errores[2].startsWith(
                     QStringLiteral("No se han podido exportar los resultados.")),
                 qPrintable(prueba_->dialogos->errores[2]));
        QVERIFY(!QFile::exists(destino));
    }

    // The export never replaces the table, criterion or series the run read.
    void exportarNoReemplazaUnaEntrada() {
        VentanaRed& red = abrirRed('.');
        const QString criterio = copia("criterio-red.CrVek");
        const QString serie = archivo("serie.txt", "DN 1000;1\n");
        const QString tabla = copia("red-ejemplo-coma.csv");
        QVERIFY(red.ponerCriterio(criterio));
        QVERIFY(red.ponerSerie(serie));
        red.ponerTabla(tabla);
        red.comprobar();
        QVERIFY(esperar(red));
        int avisos = 0;
        for (const QString& entrada : {tabla, criterio, serie}) {
            QFile f(entrada);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray antes = f.readAll();
            f.close();
            QVERIFY(!red.exportar(entrada));
            QCOMPARE(prueba_->dialogos->errores.size(), ++avisos);
            QCOMPARE(prueba_->dialogos->errores.back(),
                     QStringLiteral("No se han exportado los resultados: «%1» es el mismo archivo "
                                    "que «%1», que la comprobación ha leído. Elija otro nombre.")
                         .arg(entrada));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), antes);
        }
        QVERIFY(red.exportar(carpeta_->filePath(QStringLiteral("resultados.csv"))));
        QCOMPARE(prueba_->dialogos->errores.size(), avisos);
    }

    // The worker on its own: a check run to its end hands every row over and ends once; one
    // destroyed while its thread runs waits for it, and nothing of it is delivered later.
    void hiloRed_data() {
        QTest::addColumn<bool>("destruirAMitad");
        QTest::newRow("run to its end") << false;
        QTest::newRow("destroyed while checking") << true;
    }
    void hiloRed() {
        QFETCH(bool, destruirAMitad);
        const auto peticion = [&] {
            PeticionRed p;
            p.ruta = copia("red-ejemplo-punto-y-coma.csv");
            p.opciones.sep = ',';
            p.opciones.pendientes = true;
            p.opciones.csv = true;
            std::string error;
            p.base =
                *red::prepararCriterio(leerCriterio(copia("criterio-red.CrVek"), ','), ',', error);
            return p;
        };
        int empezadas = 0;
        QList<bool> terminadas; // cancelled or not, one per end
        QString fallo;
        std::size_t filas = 0;
        {
            HiloRed hilo;
            hilo.empezar(
                peticion(), [&](const CabeceraRed& cab) { empezadas += cab.filas == 50 ? 1 : 100; },
                [&](bool cancelada, const QString& error) {
                    terminadas << cancelada;
                    fallo = error;
                });
            QVERIFY(hilo.enCurso());
            if (!destruirAMitad) {
                QTRY_COMPARE_WITH_TIMEOUT(terminadas.size(), 1, 60000);
                QVERIFY(!hilo.enCurso());
                filas = hilo.recoger().size();
                QVERIFY(hilo.recoger().empty());
            }
        }
        QTest::qWait(100); // anything still queued would arrive now
        if (destruirAMitad) {
            QCOMPARE(empezadas, 0);
            QCOMPARE(terminadas.size(), 0);
        } else {
            QCOMPARE(empezadas, 1);
            QCOMPARE(terminadas, QList<bool>{false});
            QVERIFY2(fallo.isEmpty(), qPrintable(fallo));
            QCOMPARE(filas, std::size_t{50});
        }
    }

    // A table with one reach of each kind: passes, does not pass, cannot be checked.
    QString tablaMezclada() {
        return archivo("mezcla.csv", "tramo;D;n;i;Q\n"
                                     "A;0,5;0,013;0,01;0,05\n"
                                     "B;0,5;0,013;abc;0,05\n"
                                     "C;0,3;0,013;0,001;0,3\n");
    }

    // Rows that could not be checked: coloured whole, their whole message in the state
    // column, a filter of their own that excludes «solo los que no cumplen».
    void filasConErrores() {
        VentanaRed& red = abrirRed(',');
        QVERIFY(red.ponerCriterio(copia("criterio-red.CrVek")));
        red.ponerTabla(tablaMezclada());
        red.comprobar();
        QVERIFY(esperar(red));
        const ModeloRed& m = red.modelo();
        QCOMPARE(m.filas(), 3);
        QCOMPARE(m.fila(1).codigo, 2);
        QVERIFY(m.fila(0).codigo != 2);
        const QColor ambar(255, 225, 150);
        for (int c = 0; c < m.columnCount(); ++c) {
            const QVariant fondo = m.data(m.index(1, c), Qt::BackgroundRole);
            QVERIFY2(fondo.value<QBrush>().color() == ambar, qPrintable(QString::number(c)));
            QVERIFY(m.data(m.index(0, c), Qt::BackgroundRole).value<QBrush>().color() != ambar);
        }
        auto* vista = red.findChild<QTableView*>(QStringLiteral("Tabla"));
        const QString mensaje = m.data(m.index(1, m.columnaEstado())).toString();
        QVERIFY2(mensaje.contains(QStringLiteral("«abc» no es un número")), qPrintable(mensaje));
        QVERIFY(vista->columnWidth(m.columnaEstado()) >
                vista->fontMetrics().horizontalAdvance(mensaje));

        auto* noCumplen = red.findChild<QCheckBox*>(QStringLiteral("SoloNoCumplen"));
        auto* errores = red.findChild<QCheckBox*>(QStringLiteral("SoloErrores"));
        QCOMPARE(errores->text(), QStringLiteral("Solo &los que tienen errores"));
        const FiltroRed& f = red.filtro();
        noCumplen->setChecked(true);
        QCOMPARE(f.rowCount(), 2);
        errores->setChecked(true);
        QVERIFY(!noCumplen->isChecked());
        QCOMPARE(f.rowCount(), 1);
        QCOMPARE(f.mapToSource(f.index(0, 0)).row(), 1);
        noCumplen->setChecked(true);
        QVERIFY(!errores->isChecked());
        QCOMPARE(f.rowCount(), 2);
        noCumplen->setChecked(false);
        QCOMPARE(f.rowCount(), 3);
    }

    // Return on a row does what the double click does; over edits never saved, both ask
    // first, and «no» leaves the main window as it was.
    void introCargaElTramoYPreguntaSiHayCambios_data() {
        QTest::addColumn<bool>("editado");
        QTest::addColumn<bool>("si");
        QTest::addColumn<bool>("cargado");
        QTest::newRow("nothing edited: no question") << false << false << true;
        QTest::newRow("edited, answered no") << true << false << false;
        QTest::newRow("edited, answered yes") << true << true << true;
    }
    void introCargaElTramoYPreguntaSiHayCambios() {
        QFETCH(bool, editado);
        QFETCH(bool, si);
        QFETCH(bool, cargado);
        VentanaRed& red = abrirRed(',');
        QVERIFY(red.ponerCriterio(copia("criterio-red.CrVek")));
        red.ponerTabla(tablaMezclada());
        red.comprobar();
        QVERIFY(esperar(red));
        QVERIFY(!w().cambiosSinGuardar());
        if (editado) {
            teclear(w(), "Text2", "Mi estudio");
            QVERIFY(w().cambiosSinGuardar());
        }
        prueba_->dialogos->si = si;
        red.activateWindow();
        auto* vista = red.findChild<QTableView*>(QStringLiteral("Tabla"));
        vista->setFocus();
        vista->setCurrentIndex(red.filtro().index(2, 0));
        QTest::keyClick(vista, Qt::Key_Return);
        QCOMPARE(prueba_->dialogos->preguntas.size(), editado ? 1 : 0);
        if (editado)
            QVERIFY2(prueba_->dialogos->preguntas[0].contains(QStringLiteral("tramo C")),
                     qPrintable(prueba_->dialogos->preguntas[0]));
        QCOMPARE(texto(w(), "Text34") == QStringLiteral("0,3"), cargado);
        QCOMPARE(texto(w(), "Text2") == QStringLiteral("Mi estudio"), editado && !cargado);
        // A loaded reach holds no edits of its own.
        QCOMPARE(w().cambiosSinGuardar(), !cargado);
    }

    // Any input of the run changed after a check: the results of the old inputs go, and
    // nothing can be exported under the new names until «Comprobar».
    void cambiarUnaEntradaDescartaLosResultados_data() {
        QTest::addColumn<QString>("cambio");
        QTest::newRow("another table") << "tabla";
        QTest::newRow("another criterion") << "criterio";
        QTest::newRow("back to the initial values") << "valores iniciales";
        QTest::newRow("a shipped series") << "serie";
        QTest::newRow("a series file") << "otra serie";
        QTest::newRow("no slopes") << "pendientes";
    }
    void cambiarUnaEntradaDescartaLosResultados() {
        QFETCH(QString, cambio);
        VentanaRed& red = abrirRed(',');
        QVERIFY(red.ponerCriterio(copia("criterio-red.CrVek")));
        red.ponerTabla(copia("red-ejemplo-punto-y-coma.csv"));
        red.comprobar();
        QVERIFY(esperar(red));
        QVERIFY(red.modelo().filas() > 0);
        QPushButton* exportar = boton(red, "Exportar");
        QVERIFY(exportar->isEnabled());
        auto* series = red.findChild<QComboBox*>(QStringLiteral("Serie"));
        if (cambio == QLatin1String("tabla")) {
            red.ponerTabla(copia("red-ejemplo-coma.csv"));
        } else if (cambio == QLatin1String("criterio")) {
            QVERIFY(red.ponerCriterio(copia("criterio-estricto.CrVek")));
        } else if (cambio == QLatin1String("valores iniciales")) {
            QTest::mouseClick(boton(red, "SinCriterio"), Qt::LeftButton);
        } else if (cambio == QLatin1String("serie")) {
            series->setCurrentIndex(1);
            Q_EMIT series->activated(1);
        } else if (cambio == QLatin1String("otra serie")) {
            QVERIFY(red.ponerSerie(QStringLiteral(COLVERO_SERIES "/pvc-sn4.txt")));
        } else {
            red.findChild<QCheckBox*>(QStringLiteral("Pendientes"))->setChecked(false);
        }
        QCOMPARE(red.modelo().filas(), 0);
        QVERIFY(!exportar->isEnabled());
        QVERIFY(!red.exportar(carpeta_->filePath(QStringLiteral("viejos.csv"))));
        QVERIFY(!QFile::exists(carpeta_->filePath(QStringLiteral("viejos.csv"))));
        prueba_->dialogos->errores.clear();
        const QString estado = texto(red, "Estado");
        QVERIFY2(estado.contains(QStringLiteral("«Comprobar»")), qPrintable(estado));
        // Checked again, the results are those of the new inputs, and can be exported.
        red.comprobar();
        QVERIFY(esperar(red));
        QVERIFY(red.modelo().filas() > 0);
        QVERIFY(exportar->isEnabled());
        prueba_->dialogos->respuesta = carpeta_->filePath(QStringLiteral("nuevos.csv"));
        QTest::mouseClick(exportar, Qt::LeftButton);
        QCOMPARE(prueba_->dialogos->llamadas.last().modo, Guardado::Preguntando);
        QVERIFY(QFile::exists(carpeta_->filePath(QStringLiteral("nuevos.csv"))));
    }

    // The window starts with the criterion used last, in this run or the next; «Valores
    // iniciales» is remembered too, and a remembered file that is gone is said in the state
    // line, without a dialog.
    void recuerdaElUltimoCriterio() {
        {
            VentanaRed& red = abrirRed(',');
            QCOMPARE(texto(red, "OrigenCriterio").startsWith(QStringLiteral("valores iniciales")),
                     true);
            QVERIFY(red.ponerCriterio(copia("criterio-red.CrVek")));
        }
        {
            VentanaRed& red = abrirRed(',');
            QCOMPARE(texto(red, "OrigenCriterio"), copia("criterio-red.CrVek"));
            red.ponerTabla(copia("red-ejemplo-punto-y-coma.csv"));
            red.comprobar();
            QVERIFY(esperar(red));
            // The example table passes somewhere with its criterion, never with zero limits.
            QVERIFY(red.modelo().porCodigo()[0] > 0);
            QVERIFY(red.ponerCriterio(copia("colector-1m.caVek")));
        }
        {
            VentanaRed& red = abrirRed(',');
            QVERIFY(texto(red, "OrigenCriterio").contains(copia("colector-1m.caVek")));
            QTest::mouseClick(boton(red, "SinCriterio"), Qt::LeftButton);
        }
        {
            VentanaRed& red = abrirRed(',');
            QVERIFY(texto(red, "OrigenCriterio").startsWith(QStringLiteral("valores iniciales")));
            QVERIFY(red.ponerCriterio(copia("criterio-estricto.CrVek")));
        }
        QVERIFY(QFile::remove(copia("criterio-estricto.CrVek")));
        VentanaRed& red = abrirRed(',');
        QVERIFY(texto(red, "OrigenCriterio").startsWith(QStringLiteral("valores iniciales")));
        QVERIFY2(texto(red, "Estado")
                     .startsWith(QStringLiteral("No se ha podido leer el último criterio usado: ")),
                 qPrintable(texto(red, "Estado")));
        QVERIFY(prueba_->dialogos->errores.isEmpty());
    }

    // The header band's new button sits beside the other two and covers no control.
    void botonEnLaBandaDeLaCabecera() {
        prueba_ = std::make_unique<VentanaDePrueba>('.');
        auto* boton = hijo<QPushButton>(w(), "BotonRed");
        QCOMPARE(boton->text(), QStringLiteral("Comprobar red…"));
        QVERIFY(boton->toolTip().contains(QStringLiteral("Ctrl+R")));
        const QRect r = boton->geometry();
        const QRect asistente = hijo<QPushButton>(w(), "BotonAsistente")->geometry();
        const QRect grafico = hijo<QPushButton>(w(), "CommandGrafico")->geometry();
        QCOMPARE(asistente, QRect(470, 152, 140, 24));
        QCOMPARE(grafico, QRect(618, 152, 140, 24));
        QCOMPARE(r.size(), asistente.size());
        QCOMPARE(r.top(), asistente.top());
        QVERIFY(!r.intersects(asistente));
        QVERIFY(r.bottom() < hijo<QWidget>(w(), "Shape21")->geometry().top());
        // Over the subtitle's label only where its text has ended.
        const auto* subtitulo = hijo<QLabel>(w(), "Label32");
        QVERIFY(subtitulo->x() + subtitulo->fontMetrics().horizontalAdvance(subtitulo->text()) <
                r.left());
        for (const Control& c : todosLosControles()) {
            if (QLatin1String(c.nombre) == QLatin1String("Label32"))
                continue;
            const QRect ocupado =
                w().controles().control(QString::fromLatin1(c.nombre))->geometry();
            QVERIFY2(!ocupado.intersects(r), c.nombre);
            QCOMPARE(ocupado.topLeft(), QPoint(pixeles(c.x), pixeles(c.y)));
        }
    }
};

QTEST_MAIN(TestRedVentana)
#include "test_red_ventana.moc"
