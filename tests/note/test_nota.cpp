#include "chart/elementos.h"
#include "check/pendientes.h"
#include "check/textos_pendientes.h"
#include "note/caso.h"
#include "note/nota.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(colvero::Calculo)

using namespace colvero;

namespace {

// A one-metre collector where every condition passes, as the window holds it.
Calculo casoBase(char sep) {
    const auto n = [sep](std::string s) {
        for (char& c : s) {
            if (c == '.') {
                c = sep;
            }
        }
        return s;
    };
    Calculo c;
    c.titulo1 = "Colector general, tramo 3-4";
    c.titulo2 = "Proyecto de saneamiento de ejemplo";
    c.colector = {"1", n("0.013"), n("0.005")};
    c.caudal = {"1", "1", n("0.2"), "1", n("0.5"), "1", n("1.2")};
    Criterio& k = c.criterio;
    k.denominacion = {"Caudal de cálculo", "Caudal punta", "Caudal mínimo", "Caudal punta",
                      "Caudal medio",      "Caudal punta", "Caudal máximo"};
    k.Vmax = "3";
    k.Vmin = n("0.6");
    k.yDmax = "75";
    k.gammaParticula = n("2.65");
    k.gammaAgua = "1";
    k.dpMin = "10";
    k.Fmin = "1";
    k.Fmax = "2";
    k.Imin = n("0.004");
    k.Imax = n("0.01");
    k.yD10 = "50";
    k.Vmin10 = n("0.6");
    return c;
}

QString ejecutar(const QString& programa, const QStringList& argumentos) {
    const QString ruta = QStandardPaths::findExecutable(programa);
    if (ruta.isEmpty()) {
        return QStringLiteral("falta %1 (poppler-utils)").arg(programa);
    }
    QProcess proceso;
    proceso.start(ruta, argumentos);
    proceso.waitForFinished(60000);
    return QString::fromUtf8(proceso.readAllStandardOutput());
}

} // namespace

class PruebaNota : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void puntosDeDiseno_data();
    void puntosDeDiseno();
    void textoDelPdf_data();
    void textoDelPdf();
};

void PruebaNota::puntosDeDiseno_data() {
    QTest::addColumn<Calculo>("calculo");
    QTest::addColumn<QList<int>>("conPunto");
    const Calculo base = casoBase('.');
    QTest::newRow("todas las condiciones activas") << base << QList<int>{2, 3, 4, 5, 6, 7};
    Calculo c = base;
    c.criterio.activa[2] = false;
    c.criterio.activa[5] = false;
    c.criterio.activa[1] = false;
    QTest::newRow("2, 3 y 6 desactivadas") << c << QList<int>{4, 5, 7};
    c = base;
    c.caudal[3] = "0";
    QTest::newRow("caudal 4 nulo: [ERROR] sin punto") << c << QList<int>{2, 3, 5, 6, 7};
    c = base;
    c.caudal[4] = "5";
    QTest::newRow("caudal 5 mayor que Qmax: sin punto") << c << QList<int>{2, 3, 4, 6, 7};
    c = base;
    c.caudal[1] = "1.75";
    c.caudal[5] = "0.001";
    QTest::newRow("dos calados y caudal muy pequeño") << c << QList<int>{2, 3, 4, 5, 6, 7};
    c = base;
    c.colector.n = "0";
    QTest::newRow("colector no válido: ningún punto") << c << QList<int>{};
}

void PruebaNota::puntosDeDiseno() {
    QFETCH(Calculo, calculo);
    QFETCH(QList<int>, conPunto);
    const Entradas d = *convertirEntradas(calculo, '.');
    const Activas& activas = calculo.criterio.activa;
    const Evaluacion ev = evaluar(d, activas);
    const grafico::DatosGrafico datos = nota::datosGrafico(d, activas, ev);

    QList<int> condiciones;
    for (const grafico::PuntoDiseno& p : datos.puntos) {
        condiciones << p.condicion;
        const hidraulica::EstadoFlujo& e = ev.flujoNormal[static_cast<size_t>(p.condicion - 2)];
        // The flow and velocity back from the ratios against the state TEO4 left.
        const grafico::SeccionLlena llena = grafico::seccionLlena(d.D, d.n, d.i);
        QCOMPARE(p.yD, e.yD / 100.0);
        QVERIFY(std::abs(p.qQll * llena.Q - e.Q) <= 1e-12 * e.Q);
        QVERIFY(std::abs(p.vVll * llena.v - e.v) <= 1e-12 * e.v);
        QCOMPARE(p.cumple, ev.condiciones[static_cast<size_t>(p.condicion - 1)].veredicto ==
                               Veredicto::Cumple);
    }
    QCOMPARE(condiciones, conPunto);
    if (conPunto.isEmpty()) {
        return; // a rejected collector has no full section to scale the limits by
    }
    const grafico::SeccionLlena llena = grafico::seccionLlena(d.D, d.n, d.i);
    QCOMPARE(datos.vVllMax.has_value(), activas[1]);
    QCOMPARE(datos.vVllMin.has_value(), activas[2]);
    QCOMPARE(datos.yDMax.has_value(), activas[3]);
    if (datos.vVllMax) {
        QVERIFY(std::abs(*datos.vVllMax * llena.v - d.Vmax) <= 1e-12 * d.Vmax);
    }
    if (datos.yDMax) {
        QCOMPARE(*datos.yDMax, d.yDmax / 100.0);
    }
    QVERIFY(datos.condicion10.has_value());
    QCOMPARE(datos.condicion10->yD, d.yD10 / 100.0);
    QVERIFY(std::abs(datos.condicion10->vVll * llena.v - ev.flujoAutolimpieza.v) <=
            1e-12 * ev.flujoAutolimpieza.v);
    QCOMPARE(datos.region.has_value(), activas[1] || activas[2] || activas[3]);
}

void PruebaNota::textoDelPdf_data() {
    QTest::addColumn<Calculo>("calculo");
    QTest::addColumn<char>("separador");
    QTest::addColumn<QString>("criterio");
    QTest::addColumn<QStringList>("tambien");
    QTest::newRow("coma decimal, todo cumple")
        << casoBase(',') << ',' << QString() << QStringList{"0,013", "0,005", "Caudal mínimo"};
    Calculo c = casoBase('.');
    c.criterio.activa[2] = false;
    c.criterio.Vmax = "1.2";
    QTest::newRow("punto decimal, (2) no cumple y (3) desactivada")
        << c << '.' << QStringLiteral("criterio-estricto.CrVek")
        << QStringList{"0.013", "Criterio: criterio-estricto.CrVek", "v (m/s) < 1.2"};
    c = casoBase(',');
    c.caudal[1] = "1,75";
    c.caudal[6] = "5";
    QTest::newRow("dos calados en (2), capacidad insuficiente en (7)")
        << c << ',' << QString()
        << QStringList{"Aviso (2): el caudal está entre Qll y Qmax, donde la sección tiene dos "
                       "calados normales; se toma el menor.",
                       "(7) [NO] Capacidad insuficiente"};
}

void PruebaNota::textoDelPdf() {
    QFETCH(Calculo, calculo);
    QFETCH(char, separador);
    QFETCH(QString, criterio);
    QFETCH(QStringList, tambien);
    const auto caso = nota::calcularCaso(calculo, separador);
    QVERIFY(caso.has_value());
    const QByteArray pdf = nota::pdfNota(*caso, separador, QDate(2026, 12, 9), criterio);
    QVERIFY(pdf.startsWith("%PDF"));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString ruta = dir.filePath(QStringLiteral("nota.pdf"));
    QFile archivo(ruta);
    QVERIFY(archivo.open(QIODevice::WriteOnly));
    archivo.write(pdf);
    archivo.close();

    // Spacing is where pdftotext guesses it: compare with blanks collapsed.
    const QString texto =
        ejecutar(QStringLiteral("pdftotext"), {ruta, QStringLiteral("-")}).simplified();
    QStringList esperados{QString::fromStdString(calculo.titulo1),
                          QString::fromStdString(calculo.titulo2), QStringLiteral("09/12/2026"),
                          QStringLiteral("Diámetro interior D (m): 1")};
    for (size_t k = 0; k < caso->resultado.notas.size(); ++k) {
        const std::string& linea = caso->resultado.notas[k];
        QCOMPARE(linea == "-", !calculo.criterio.activa[k]);
        esperados << QString::fromStdString(linea).simplified();
    }
    esperados << QStringLiteral("Qll (m3/s) = ") +
                     QString::fromStdString(caso->resultado.campos.Text37)
              << QStringLiteral("v2 (m/s) = ") +
                     QString::fromStdString(caso->resultado.campos.Text38);
    const ResultadoPendientes p =
        pendientesAdmisibles(caso->entradas, calculo.criterio.activa, separador);
    for (const QString& linea :
         QString::fromStdString(textoPendientesCompleto(p, separador)).split(u'\n')) {
        esperados << linea.simplified();
    }
    esperados << tambien;
    for (const QString& e : esperados) {
        if (!texto.contains(e)) {
            QFAIL(qPrintable(QStringLiteral("falta «%1» en: %2").arg(e, texto)));
        }
    }

    const QString paginas = ejecutar(QStringLiteral("pdfinfo"), {ruta});
    QVERIFY2(paginas.contains(QRegularExpression(QStringLiteral("Pages:\\s+[12]\\n"))),
             qPrintable(paginas));

    // pdffonts: two header lines, then one font a line with "emb" as the fourth last column.
    const QStringList fuentes =
        ejecutar(QStringLiteral("pdffonts"), {ruta}).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(fuentes.size() > 2, qPrintable(fuentes.join(u'\n')));
    for (qsizetype i = 2; i < fuentes.size(); ++i) {
        const QStringList columnas = fuentes[i].split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(columnas.size() >= 7 && columnas[columnas.size() - 5] == QLatin1String("yes"),
                 qPrintable(fuentes[i]));
    }
}

QTEST_MAIN(PruebaNota)
#include "test_nota.moc"
