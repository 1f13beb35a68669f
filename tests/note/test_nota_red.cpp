// The note of a checked network, read back from the PDF with poppler-utils.
#include "files/archivos.h"
#include "files/red.h"
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"
#include "note/nota_red.h"

#include "../apoyo/pdf.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace colvero;

namespace {

enum class Fuente { Modelo, ModeloSinCoordenadas, Tabla, Larga };

// What the run itself says, counted from the engine's outcome, not from the note's records.
struct Corrida {
    std::optional<red::RedGrafo> grafo;
    std::vector<nota::TramoNota> tramos;
    long long porCodigo[3] = {0, 0, 0};
    long long omitidos = 0;
    QStringList ids;
    QString tramoQueFalla, lineaQueFalla;
};

// A chain of `n` conduits with coordinates and loads, for a table over many pages.
QByteArray modeloLargo(int n) {
    QByteArray m = "[OPTIONS]\nFLOW_UNITS CMS\n\n[JUNCTIONS]\n";
    for (int k = 0; k < n; ++k)
        m += QByteArray("N") + QByteArray::number(k) + " " + QByteArray::number(200.0 - 0.4 * k) +
             " 3\n";
    m += "\n[OUTFALLS]\nSALIDA " + QByteArray::number(200.0 - 0.4 * n) + " FREE\n\n[CONDUITS]\n";
    for (int k = 0; k < n; ++k)
        m += QByteArray("COLECTOR-") + QByteArray::number(k) + " N" + QByteArray::number(k) + " " +
             (k + 1 < n ? "N" + QByteArray::number(k + 1) : QByteArray("SALIDA")) +
             " 80 0.013 0 0\n";
    m += "\n[XSECTIONS]\n";
    for (int k = 0; k < n; ++k)
        m += QByteArray("COLECTOR-") + QByteArray::number(k) + " CIRCULAR " +
             (k % 3 == 0 ? "0.3" : "0.6") + " 0 0 0 1\n";
    m += "\n[DWF]\n";
    for (int k = 0; k < n; ++k)
        m += QByteArray("N") + QByteArray::number(k) + " FLOW 0.002\n";
    m += "\n[COORDINATES]\n";
    for (int k = 0; k <= n; ++k)
        m += (k < n ? "N" + QByteArray::number(k) : QByteArray("SALIDA")) + " " +
             QByteArray::number(80 * (k % 20)) + " " + QByteArray::number(-60 * (k / 20)) + "\n";
    return m;
}

Corrida comprobar(Fuente fuente, const QTemporaryDir& dir, char sep) {
    Corrida c;
    std::string error;
    const std::optional<red::CriterioListo> base = red::prepararCriterio(
        leerCriterio(COLVERO_EJEMPLOS "/criterio-red.CrVek", sep), sep, error);
    if (!base)
        qFatal("%s", error.c_str());
    red::OpcionesRed o;
    o.sep = sep;
    const auto anotar = [&](red::Trabajo& t, const red::TramoGrafo* g) {
        c.tramos.push_back(nota::tramoNota(t, g, true, sep));
        c.ids << QString::fromStdString(t.tramo);
        if (!t.omitido.empty()) {
            ++c.omitidos;
            return;
        }
        ++c.porCodigo[t.codigo];
        for (std::size_t k = 0; k < 10 && c.lineaQueFalla.isEmpty(); ++k) {
            if (t.error.empty() && t.r.condiciones[k].veredicto == Veredicto::NoCumple) {
                c.tramoQueFalla = QString::fromStdString(t.tramo);
                c.lineaQueFalla = QString::fromStdString(t.r.notas[k]);
            }
        }
    };
    if (fuente == Fuente::Tabla) {
        const QByteArray ruta = COLVERO_EJEMPLOS "/red-ejemplo-coma.csv";
        LectorRed lector(ruta);
        red::PreparadorRed p(lector.cabecera(), ruta, *base, nullptr, o);
        red::Trabajo t;
        while (lector.siguiente(t.fila)) {
            t.limpiar();
            p.preparar(t);
            red::comprobarTrabajo(t, o, lector.cabecera().dialecto);
            anotar(t, nullptr);
        }
        return c;
    }
    red::OpcionesFuente f;
    f.dialecto = {sep == ',' ? ';' : ',', sep};
    QByteArray ruta = COLVERO_EJEMPLOS "/red-ejemplo.inp";
    if (fuente == Fuente::Larga) {
        ruta = QFile::encodeName(dir.filePath(QStringLiteral("larga.inp")));
        QFile m(QFile::decodeName(ruta));
        m.open(QIODevice::WriteOnly);
        m.write(modeloLargo(260));
        f.hipotesisDada = red::Hipotesis{};
    } else {
        f.hipotesis = COLVERO_EJEMPLOS "/hipotesis.txt";
    }
    c.grafo = red::leerRedGrafo(ruta, f);
    if (fuente == Fuente::ModeloSinCoordenadas) {
        for (red::Nodo& n : c.grafo->modelo.nodos)
            n.posicion.reset();
        for (red::Enlace& e : c.grafo->modelo.enlaces)
            e.vertices.clear();
    }
    const red::RedGrafo& g = *c.grafo;
    red::PreparadorRed p(g.cabecera, ruta, *base, nullptr, o);
    red::Trabajo t;
    for (std::size_t k = 0; k < g.tramos.size(); ++k) {
        t.fila = g.fila(k);
        t.limpiar();
        p.preparar(t, g.tramos[k]);
        red::comprobarTrabajo(t, o, g.cabecera.dialecto);
        anotar(t, &g.tramos[k]);
    }
    return c;
}

using prueba::paginasPdf;
using prueba::salidaPoppler;
using prueba::textoPdf;

} // namespace

Q_DECLARE_METATYPE(Fuente)

class PruebaNotaRed : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        for (const char* programa : {"pdftotext", "pdfinfo", "pdffonts"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(programa)).isEmpty())
                QSKIP("falta poppler-utils");
    }

    void texto_data() {
        QTest::addColumn<Fuente>("fuente");
        QTest::addColumn<char>("sep");
        QTest::addColumn<bool>("plano");
        QTest::newRow("modelo con coordenadas, coma decimal") << Fuente::Modelo << ',' << true;
        QTest::newRow("modelo con coordenadas, punto decimal") << Fuente::Modelo << '.' << true;
        QTest::newRow("modelo sin coordenadas") << Fuente::ModeloSinCoordenadas << ',' << false;
        QTest::newRow("tabla, que no da coordenadas") << Fuente::Tabla << ',' << false;
        QTest::newRow("red de varias páginas") << Fuente::Larga << ',' << true;
    }

    // Title, sources, the run's counts, every reach, a failing reach's reason, the plan or the
    // sentence that replaces it, and «Página k de N» on each of the N pages.
    void texto() {
        QFETCH(Fuente, fuente);
        QFETCH(char, sep);
        QFETCH(bool, plano);
        QTemporaryDir dir;
        const Corrida c = comprobar(fuente, dir, sep);
        nota::FuentesRed f;
        f.red = fuente == Fuente::Tabla ? QStringLiteral("red-ejemplo-coma.csv")
                                        : QStringLiteral("red-ejemplo.inp");
        f.formato =
            c.grafo ? QString::fromStdString(red::describir(*c.grafo)) : QStringLiteral("tabla");
        f.hipotesis = fuente == Fuente::Larga ? QString() : QStringLiteral("hipotesis.txt");
        f.criterio = QStringLiteral("criterio-red.CrVek");
        f.limites = leerCriterio(COLVERO_EJEMPLOS "/criterio-red.CrVek", sep);
        const QString ruta = dir.filePath(QStringLiteral("nota.pdf"));
        QFile salida(ruta);
        QVERIFY(salida.open(QIODevice::WriteOnly));
        nota::escribirNotaRed(salida, f, c.tramos, c.grafo ? &*c.grafo : nullptr, sep,
                              QDate(2026, 3, 14));
        salida.close();

        const QString t = textoPdf(ruta);
        const QString llano = t.simplified();
        QVERIFY2(llano.contains(QStringLiteral("Nota de cálculo de la red")), qPrintable(t));
        QVERIFY(llano.contains(QStringLiteral("Fecha: 14/03/2026")));
        QVERIFY(llano.contains(QStringLiteral("Red: ") + f.red));
        QVERIFY(llano.contains(QStringLiteral("Criterio: criterio-red.CrVek")));
        // The criterion's limits, with the decimal separator of the run.
        QVERIFY2(llano.contains(QStringLiteral("(2). Velocidad máxima: v (m/s) < ")),
                 qPrintable(t));
        if (fuente == Fuente::Modelo || fuente == Fuente::ModeloSinCoordenadas) {
            QVERIFY(llano.contains(QStringLiteral("Hipótesis de caudales: hipotesis.txt")));
            const QString valores = QStringLiteral("a = 1") + QLatin1Char(sep) +
                                    QStringLiteral("15, b = 2") + QLatin1Char(sep) +
                                    QStringLiteral("575");
            QVERIFY2(llano.contains(valores), qPrintable(llano));
        }
        const QString cuentas =
            QStringLiteral("Tramos: %1; cumplen %2, no cumplen %3, no se han podido comprobar "
                           "%4, no se comprueban %5.")
                .arg(c.ids.size())
                .arg(c.porCodigo[0])
                .arg(c.porCodigo[1])
                .arg(c.porCodigo[2])
                .arg(c.omitidos);
        QVERIFY2(llano.contains(cuentas), qPrintable(cuentas + QStringLiteral("\n") + t));
        for (const QString& id : c.ids)
            QVERIFY2(t.contains(id), qPrintable(id));
        QVERIFY2(!c.lineaQueFalla.isEmpty(), "the example has a failing reach");
        QVERIFY(llano.contains(QStringLiteral("Tramo «%1»").arg(c.tramoQueFalla)));
        QVERIFY2(llano.contains(c.lineaQueFalla.simplified()), qPrintable(c.lineaQueFalla));
        QCOMPARE(llano.contains(QStringLiteral("La red no tiene coordenadas: no se dibuja el "
                                               "plano.")),
                 !plano);
        QCOMPARE(llano.contains(QStringLiteral("No cumple (%1)").arg(c.porCodigo[1])), plano);

        const int n = paginasPdf(ruta);
        QVERIFY(n >= 1);
        if (fuente == Fuente::Larga)
            QVERIFY2(n >= 6, qPrintable(QString::number(n)));
        for (int k = 1; k <= n; ++k) {
            const QString pagina = textoPdf(ruta, k);
            QVERIFY2(pagina.contains(QStringLiteral("Página %1 de %2").arg(k).arg(n)),
                     qPrintable(pagina));
        }
        QVERIFY(!llano.contains(QStringLiteral("Página %1 de").arg(n + 1)));
    }

    void seccionDeDiseno_data() {
        QTest::addColumn<char>("sep");
        QTest::addColumn<bool>("alinear");
        QTest::newRow("coma decimal, claves alineadas") << ',' << true;
        QTest::newRow("punto decimal, sin alinear") << '.' << false;
    }

    // The design section from a design: only the pipes laid, each with its length; a drop of
    // exactly 0.50 m is not a drop manhole and one of 0.51 m is; a reason that already names
    // its reach is not named twice; a fixed invert off the grid says where it was taken.
    void seccionDeDiseno() {
        QFETCH(char, sep);
        QFETCH(bool, alinear);
        QTemporaryDir dir;
        const Corrida c = comprobar(Fuente::Modelo, dir, sep);
        const red::ModeloRed& m = c.grafo->modelo;
        std::vector<std::size_t> conductos;
        for (std::size_t k = 0; k < m.enlaces.size(); ++k)
            if (m.enlaces[k].esConducto())
                conductos.push_back(k);
        QVERIFY(conductos.size() >= 4);
        const std::vector<Tubo> serie{{"DN 300", 0.3}, {"DN 400", 0.4}, {"DN 500", 0.5}};
        diseno::Diseno d;
        const auto disenado = [&](std::size_t k, std::size_t tubo, double resalto, double coste) {
            diseno::TramoDisenado t;
            t.enlace = conductos[k];
            t.tubo = tubo;
            t.resalto = resalto;
            t.coste = coste;
            d.tramos.push_back(t);
            d.coste += coste;
        };
        disenado(0, 2, 0.5, 10.25);
        disenado(1, 0, 0.51, 20.5);
        const std::string otro = m.enlaces[conductos[3]].id;
        d.tramos.push_back(
            {.enlace = conductos[2], .sinDiseno = "el pozo «X» no tiene cota de terreno"});
        d.tramos.push_back({.enlace = conductos[3],
                            .sinDiseno = "tramo «" + otro + "»: no se diseña: bifurcación"});
        diseno::Limites l;
        l.alinearClaves = alinear;
        l.fijas = {{"V1", 112.904}};
        const nota::SeccionDiseno s = nota::seccionDiseno(m, d, serie, l);

        QCOMPARE(s.porTubo.size(), std::size_t{2});
        QCOMPARE(s.porTubo[0].tubo, std::string("DN 300"));
        QCOMPARE(s.porTubo[0].longitud, m.enlaces[conductos[1]].longitud);
        QCOMPARE(s.porTubo[1].tubo, std::string("DN 500"));
        QCOMPARE(s.porTubo[1].longitud, m.enlaces[conductos[0]].longitud);
        QCOMPARE(s.resaltos.size(), std::size_t{2});
        QCOMPARE(s.resaltos[0].pozo, m.enlaces[conductos[0]].desde);

        const QString ruta = dir.filePath(QStringLiteral("diseno.pdf"));
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        nota::escribirNotaRed(f, {}, c.tramos, &*c.grafo, sep, QDate(2026, 3, 14), nullptr, &s);
        f.close();
        const QString t = textoPdf(ruta).simplified();
        const auto numero = [&](const char* x) {
            return QString::fromLatin1(x).replace(u'.', QLatin1Char(sep));
        };
        const auto fila = [&](std::size_t k, const char* resalto) {
            const red::Enlace& e = m.enlaces[conductos[k]];
            return QString::fromStdString(e.desde + " " + e.id + " ") + numero(resalto);
        };
        QVERIFY2(t.contains(QStringLiteral("alineación de claves: ") +
                            (alinear ? QStringLiteral("sí") : QStringLiteral("no"))),
                 qPrintable(t));
        QVERIFY(t.contains(QStringLiteral("«V1»: ") + numero("112.904") +
                           QStringLiteral(" m, redondeada al centímetro: ") + numero("112.90")));
        QVERIFY(
            t.contains(QStringLiteral("Excavación: ") + numero("30.75") + QStringLiteral(" m3")));
        QVERIFY(t.contains(QStringLiteral("Tramos: 4; con diseño 2, sin diseño 2.")));
        QVERIFY(t.contains(QStringLiteral("Resaltos: 2; pozos de resalto (más de ") +
                           numero("0.50") + QStringLiteral(" m): 1.")));
        QVERIFY(t.contains(fila(0, "0.50")));
        QVERIFY(!t.contains(fila(0, "0.50") + QStringLiteral(" pozo de resalto")));
        QVERIFY(t.contains(fila(1, "0.51") + QStringLiteral(" pozo de resalto")));
        QVERIFY(t.contains(QString::fromStdString("tramo «" + m.enlaces[conductos[2]].id +
                                                  "»: el pozo «X» no tiene cota de terreno")));
        QVERIFY(t.contains(QString::fromStdString("tramo «" + otro + "»: no se diseña")));
        QVERIFY(!t.contains(QString::fromStdString("tramo «" + otro + "»: tramo")));
    }

    // The table of reaches repeats its header on every page it runs onto.
    void cabeceraRepetida() {
        QTemporaryDir dir;
        const Corrida c = comprobar(Fuente::Larga, dir, ',');
        QBuffer b;
        b.open(QIODevice::WriteOnly);
        nota::escribirNotaRed(b, {}, c.tramos, &*c.grafo, ',', QDate(2026, 3, 14));
        const QString ruta = prueba::escribirEn(dir, QStringLiteral("larga.pdf"), b.data());
        QVERIFY(!ruta.isNull());
        int conTramos = 0, conCabecera = 0;
        for (int k = 1; k <= paginasPdf(ruta); ++k) {
            const QString pagina = textoPdf(ruta, k);
            // A row of the table names its reach bare; the failing reaches' list, in «».
            if (pagina.contains(QRegularExpression(QStringLiteral("(?<!«)COLECTOR-\\d")))) {
                ++conTramos;
                conCabecera += pagina.contains(QStringLiteral("Pendientes admisibles")) ? 1 : 0;
            }
        }
        QVERIFY2(conTramos >= 4, qPrintable(QString::number(conTramos)));
        QCOMPARE(conCabecera, conTramos);
    }

    // Every font the note uses travels inside the PDF.
    void fuentesIncrustadas() {
        QTemporaryDir dir;
        const Corrida c = comprobar(Fuente::Modelo, dir, ',');
        const QString ruta = dir.filePath(QStringLiteral("nota.pdf"));
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        nota::escribirNotaRed(f, {}, c.tramos, &*c.grafo, ',', QDate(2026, 3, 14));
        f.close();
        const QStringList lineas = salidaPoppler(QStringLiteral("pdffonts"), {ruta})
                                       .split(u'\n', Qt::SkipEmptyParts)
                                       .mid(2);
        QVERIFY(!lineas.isEmpty());
        for (const QString& l : lineas) {
            const QStringList columnas = l.split(u' ', Qt::SkipEmptyParts);
            // name type [type] encoding emb sub uni object ID: "emb" is the fifth from the end.
            QVERIFY2(columnas.size() >= 7 && columnas[columnas.size() - 5] == QLatin1String("yes"),
                     qPrintable(l));
        }
    }

    // The record keeps what the note shows: the engine's lines of what did not pass, the
    // reason a link is left out, and no verdicts for either kind of reach without a run.
    // Main paths from a hand-made topology: two upstream ends joining at B (each drawn whole,
    // neither twice), and one whose path runs into a loop F → G → F and is left out.
    void trayectosPrincipales() {
        red::RedGrafo g;
        for (const char* id : {"A", "B", "C", "D", "E", "F", "G"}) {
            red::Nodo n;
            n.id = id;
            g.modelo.nodos.push_back(n);
        }
        const std::vector<std::pair<int, int>> enlaces{{0, 1}, {1, 2}, {3, 1},
                                                       {4, 5}, {5, 6}, {6, 5}};
        for (const auto& [desde, hasta] : enlaces) {
            g.modelo.enlaces.emplace_back();
            g.topologia.extremos.push_back({desde, hasta});
        }
        g.topologia.sigue = {0, 1, -1, 2, 3, 4, 5};
        std::vector<nota::TramoNota> tramos(enlaces.size());
        for (nota::TramoNota& t : tramos)
            t.codigo = 0;
        tramos[2].codigo = 1; // D → B fails
        const auto nodos = [&](const std::vector<perfil::Trayecto>& ts) {
            QStringList r;
            for (const perfil::Trayecto& t : ts) {
                QStringList ns;
                for (int n : t.nodos)
                    ns << QString::fromStdString(g.modelo.nodos[static_cast<size_t>(n)].id);
                r << ns.join(u'-');
            }
            return r;
        };
        QCOMPARE(nodos(nota::trayectosPrincipales(g, tramos, true)),
                 (QStringList{QStringLiteral("A-B-C"), QStringLiteral("D-B-C")}));
        QCOMPARE(nodos(nota::trayectosPrincipales(g, tramos, false)),
                 (QStringList{QStringLiteral("D-B-C")}));
        const auto t = nota::trayectosPrincipales(g, tramos, true);
        QCOMPARE(t[1].enlaces, (std::vector<int>{2, 1}));
        tramos[2].codigo = 2; // a reach that could not be checked does not fail
        QVERIFY(nota::trayectosPrincipales(g, tramos, false).empty());
    }

    void registros() {
        QTemporaryDir dir;
        const Corrida c = comprobar(Fuente::Modelo, dir, ',');
        bool vistoFallo = false, vistoOmitido = false;
        for (const nota::TramoNota& r : c.tramos) {
            if (r.codigo < 0) {
                vistoOmitido = true;
                QVERIFY(!r.motivo.empty());
                QCOMPARE(r.clase[0], std::int8_t{-1});
            } else if (r.codigo == 1) {
                vistoFallo = true;
                QVERIFY(QString::fromStdString(r.motivo).contains(QStringLiteral("[NO]")));
                QVERIFY(!QString::fromStdString(r.motivo).contains(QStringLiteral("[SI]")));
            } else if (r.codigo == 0) {
                QVERIFY(r.motivo.empty());
            }
        }
        QVERIFY(vistoFallo);
        QVERIFY(vistoOmitido);
        const nota::ResumenRed s = nota::resumir(c.tramos);
        QCOMPARE(s.cumplen, c.porCodigo[0]);
        QCOMPARE(s.noCumplen, c.porCodigo[1]);
        QCOMPARE(s.omitidos, c.omitidos);
    }
};

QTEST_MAIN(PruebaNotaRed)
#include "test_nota_red.moc"
