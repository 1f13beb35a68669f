#include "chart/elementos.h"
#include "check/pendientes.h"
#include "check/textos_pendientes.h"
#include "note/caso.h"
#include "note/nota.h"

#include "../apoyo/pdf.h"

#include <QFont>
#include <QFontMetricsF>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(colvero::Calculo)
Q_DECLARE_METATYPE(colvero::nota::Encabezado)

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

using prueba::escribirEn;
using prueba::salidaPoppler;
using prueba::textoPdf;

} // namespace

class PruebaNota : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void puntosDeDiseno_data();
    void puntosDeDiseno();
    void textoDelPdf_data();
    void textoDelPdf();
    void veredictoGeneral_data();
    void veredictoGeneral();
    void partirLineas_data();
    void partirLineas();
    void unidadesSinPartir();
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
    QTest::addColumn<nota::Encabezado>("encabezado");
    QTest::addColumn<QStringList>("tambien");
    QTest::addColumn<QStringList>("nunca");
    nota::Encabezado firmado;
    firmado.archivo = QStringLiteral("colector-1m.caVek");
    firmado.autor = QStringLiteral("Ana Pérez Núñez");
    firmado.proyecto = QStringLiteral("Saneamiento de Villanueva, fase 2");
    QTest::newRow("coma decimal, todo cumple, firmado")
        << casoBase(',') << ',' << firmado
        << QStringList{"0,013",
                       "0,005",
                       "Caudal mínimo",
                       "Resultado: Cumple todas las condiciones activas",
                       "Archivo de cálculo: colector-1m.caVek",
                       "Autor: Ana Pérez Núñez",
                       "Proyecto: Saneamiento de Villanueva, fase 2",
                       "Límites introducidos en el cálculo.",
                       "0,938 · D",
                       "g = 9,81 m/s²"}
        << QStringList{"No cumple", "(modificado)", "0.938"};
    Calculo c = casoBase('.');
    c.criterio.activa[2] = false;
    c.criterio.Vmax = "1.2";
    nota::Encabezado conCriterio;
    conCriterio.criterio = QStringLiteral("criterio-estricto.CrVek");
    QTest::newRow("punto decimal, (2) no cumple y (3) desactivada")
        << c << '.' << conCriterio
        << QStringList{"0.013",
                       "Criterio: criterio-estricto.CrVek.",
                       "v (m/s) < 1.2",
                       "Resultado: No cumple: (2)",
                       "Archivo de cálculo: sin guardar",
                       "0.938 · D"}
        << QStringList{"Cumple todas", "(modificado)", "Autor:", "Proyecto:", "0,938"};
    conCriterio.criterioModificado = true;
    c.caudal[3] = "0";
    QTest::newRow("criterio modificado, (2) no cumple y (4) con error de datos")
        << c << '.' << conCriterio
        << QStringList{"Criterio: criterio-estricto.CrVek (modificado).",
                       "Resultado: No cumple: (2). Datos erróneos: (4)"}
        << QStringList{"Cumple todas"};
    c = casoBase(',');
    c.caudal[1] = "1,75";
    c.caudal[6] = "5";
    QTest::newRow("dos calados en (2), capacidad insuficiente en (7)")
        << c << ',' << nota::Encabezado{}
        << QStringList{"Aviso (2): el caudal está entre Qll y Qmax, donde la sección tiene dos "
                       "calados normales; se toma el menor.",
                       "(7) [NO] Capacidad insuficiente", "Resultado: No cumple: (7)"}
        << QStringList{"Cumple todas"};
    c = casoBase(',');
    c.criterio.activa.fill(false);
    QTest::newRow("ninguna condición activa")
        << c << ',' << nota::Encabezado{}
        << QStringList{"Resultado: Ninguna condición activa", "Condiciones activas: ninguna."}
        << QStringList{"Cumple todas", "No cumple"};
}

void PruebaNota::textoDelPdf() {
    QFETCH(Calculo, calculo);
    QFETCH(char, separador);
    QFETCH(nota::Encabezado, encabezado);
    QFETCH(QStringList, tambien);
    QFETCH(QStringList, nunca);
    const auto caso = nota::calcularCaso(calculo, separador);
    QVERIFY(caso.has_value());
    const QByteArray pdf = nota::pdfNota(*caso, separador, QDate(2026, 12, 9), encabezado);
    QVERIFY(pdf.startsWith("%PDF"));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString ruta = escribirEn(dir, QStringLiteral("nota.pdf"), pdf);
    QVERIFY(!ruta.isNull());

    // Spacing is where pdftotext guesses it: compare with blanks collapsed.
    const QString texto = textoPdf(ruta).simplified();
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

    for (const QString& e : nunca) {
        if (texto.contains(e)) {
            QFAIL(qPrintable(QStringLiteral("sobra «%1» en: %2").arg(e, texto)));
        }
    }

    const QString paginas = salidaPoppler(QStringLiteral("pdfinfo"), {ruta});
    QVERIFY2(paginas.contains(QRegularExpression(QStringLiteral("Pages:\\s+[12]\\n"))),
             qPrintable(paginas));

    // pdffonts: two header lines, then one font a line with "emb" as the fourth last column.
    const QStringList fuentes =
        salidaPoppler(QStringLiteral("pdffonts"), {ruta}).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(fuentes.size() > 2, qPrintable(fuentes.join(u'\n')));
    for (qsizetype i = 2; i < fuentes.size(); ++i) {
        const QStringList columnas = fuentes[i].split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(columnas.size() >= 7 && columnas[columnas.size() - 5] == QLatin1String("yes"),
                 qPrintable(fuentes[i]));
    }
}

void PruebaNota::veredictoGeneral_data() {
    using V = Veredicto;
    QTest::addColumn<QList<int>>("veredictos"); // Veredicto of conditions 1 to 10
    QTest::addColumn<QList<bool>>("activas");
    QTest::addColumn<QString>("esperado");
    const QList<bool> todas(10, true);
    const auto v = [](std::initializer_list<V> l) {
        QList<int> r;
        for (V x : l) {
            r << static_cast<int>(x);
        }
        return r;
    };
    const QList<int> cumplen = v({V::Cumple, V::Cumple, V::Cumple, V::Cumple, V::Cumple, V::Cumple,
                                  V::Cumple, V::Cumple, V::Cumple, V::Cumple});
    QTest::newRow("todas cumplen")
        << cumplen << todas << QStringLiteral("Cumple todas las condiciones activas");
    QList<int> algunas = cumplen;
    algunas[1] = static_cast<int>(V::NoCumple);
    algunas[3] = static_cast<int>(V::CapacidadInsuficiente);
    QTest::newRow("(2) no cumple, (4) sin capacidad")
        << algunas << todas << QStringLiteral("No cumple: (2), (4)");
    algunas[9] = static_cast<int>(V::NoCumple);
    algunas[4] = static_cast<int>(V::ErrorDeDato);
    QTest::newRow("con un error de datos")
        << algunas << todas << QStringLiteral("No cumple: (2), (4), (10). Datos erróneos: (5)");
    QList<int> soloError = cumplen;
    soloError[6] = static_cast<int>(V::ErrorDeDato);
    QTest::newRow("solo un error de datos")
        << soloError << todas << QStringLiteral("Datos erróneos: (7)");
    // A disabled condition is not looked at, whatever value it holds.
    QList<bool> sinLa2 = todas;
    sinLa2[1] = false;
    QList<int> desactivada = cumplen;
    desactivada[1] = static_cast<int>(V::NoEvaluada);
    QTest::newRow("(2) desactivada")
        << desactivada << sinLa2 << QStringLiteral("Cumple todas las condiciones activas");
    // An enabled condition that was not evaluated has not passed.
    QList<int> sinEvaluar = cumplen;
    sinEvaluar[2] = static_cast<int>(V::NoEvaluada);
    QTest::newRow("activa sin evaluar no cumple")
        << sinEvaluar << todas << QStringLiteral("Sin evaluar: (3)");
    QTest::newRow("ninguna activa")
        << QList<int>(10, static_cast<int>(V::NoEvaluada)) << QList<bool>(10, false)
        << QStringLiteral("Ninguna condición activa");
}

void PruebaNota::veredictoGeneral() {
    QFETCH(QList<int>, veredictos);
    QFETCH(QList<bool>, activas);
    QFETCH(QString, esperado);
    std::array<ResultadoCondicion, 10> condiciones{};
    Activas a{};
    for (size_t k = 0; k < 10; ++k) {
        condiciones[k].veredicto = static_cast<Veredicto>(veredictos[static_cast<qsizetype>(k)]);
        a[k] = activas[static_cast<qsizetype>(k)];
    }
    QCOMPARE(nota::veredictoGeneral(condiciones, a), esperado);
    QCOMPARE(nota::cumpleTodas(condiciones, a), esperado.startsWith(QStringLiteral("Cumple")));
}

void PruebaNota::partirLineas_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("caracteres"); // width of the line, in letters "x"
    QTest::newRow("unidades con barra en una celda estrecha")
        << QStringLiteral("Peso esp. partícula (t/m3) = 2,65\nPeso esp. agua (t/m3) = 1\n"
                          "dp (mm) > 10")
        << 18;
    QTest::newRow("número y unidad juntos")
        << QStringLiteral("Condición (2): el caudal Q2 = 1,75 m3/s está entre el de sección "
                          "llena y el máximo, con g = 9,81 m/s² y 0,5 %.")
        << 27;
    QTest::newRow("línea de veredicto con dos blancos")
        << QStringLiteral("(10) [SI]  V10 > Vmin10") << 200;
    QTest::newRow("palabra más ancha que la línea") << QStringLiteral("a Q/Qll,v/vll,y/D b") << 4;
}

void PruebaNota::partirLineas() {
    QFETCH(QString, texto);
    QFETCH(int, caracteres);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(8);
    const QFontMetricsF m(f);
    const double ancho = m.horizontalAdvance(QString(caracteres, u'x'));
    const QString partido = nota::partirLineas(texto, m, ancho);
    // Only blanks become breaks: joined again, the text is the same word for word.
    QCOMPARE(partido.split(u'\n').join(u' ').simplified(), texto.simplified());
    QCOMPARE(partido.count(u'\n') >= texto.count(u'\n'), true);
    const QRegularExpression unidad(QStringLiteral("^(m3/s|m/s|m/m|mm|t/m3|%)(\\W|$)|/$"));
    for (const QString& linea : partido.split(u'\n')) {
        QVERIFY2(!unidad.match(linea).hasMatch(), qPrintable(partido));
        QVERIFY2(m.horizontalAdvance(linea) <= ancho || !linea.trimmed().contains(u' '),
                 qPrintable(linea));
    }
    if (caracteres >= 200) {
        QCOMPARE(partido, texto);
    }
}

// In the PDF itself no unit is cut by a line break and none stands apart from its number.
void PruebaNota::unidadesSinPartir() {
    Calculo c = casoBase(',');
    c.caudal[1] = "1,75";
    c.caudal[4] = "0,123456789";
    const auto caso = nota::calcularCaso(c, ',');
    QVERIFY(caso.has_value());
    QTemporaryDir dir;
    const QString ruta =
        escribirEn(dir, QStringLiteral("nota.pdf"), nota::pdfNota(*caso, ',', QDate(2026, 12, 9)));
    QVERIFY(!ruta.isNull());
    const QString texto = textoPdf(ruta);
    QVERIFY2(texto.contains(QStringLiteral("(t/m3)")), qPrintable(texto));
    const QRegularExpression corte(QStringLiteral("/\\s*\\n|\\n\\s*(m3/s|m/s|m/m|mm|t/m3)\\b"));
    const QRegularExpressionMatch m = corte.match(texto);
    QVERIFY2(!m.hasMatch(),
             qPrintable(texto.mid(std::max<qsizetype>(0, m.capturedStart() - 60), 120)));
}

QTEST_MAIN(PruebaNota)
#include "test_nota.moc"
