// colvero-check --grafico and --nota, run through the built program.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <tuple>

namespace {

struct Ejecucion {
    int codigo = -1;
    QByteArray errores;
};

Ejecucion ejecutar(const QStringList& argumentos) {
    QProcess p;
    p.start(QStringLiteral(COLVERO_CHECK), argumentos);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), p.readAllStandardError()};
}

const QString kCaso = QStringLiteral(COLVERO_EJEMPLOS "/colector-1m.caVek");
const QString kEstricto = QStringLiteral(COLVERO_EJEMPLOS "/criterio-estricto.CrVek");

// The SVG names every design point; the exit status is the check's own.
TEST(Graficos, SvgConUnElementoTituladoPorPunto) {
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("grafico.svg"));
    const Ejecucion e = ejecutar({QStringLiteral("--grafico"), svg, QStringLiteral("--locale"),
                                  QStringLiteral("es_ES"), kCaso});
    EXPECT_EQ(e.codigo, 0) << e.errores.toStdString();
    EXPECT_TRUE(e.errores.isEmpty()) << e.errores.toStdString();
    QFile f(svg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    QStringList puntos;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.attributes().value(QStringLiteral("id")).startsWith(QStringLiteral("punto-"))) {
            puntos << xml.attributes().value(QStringLiteral("id")).toString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    for (int k = 2; k <= 7; ++k) {
        EXPECT_TRUE(puntos.contains(QStringLiteral("punto-caudal-%1").arg(k))) << k;
        EXPECT_TRUE(puntos.contains(QStringLiteral("punto-velocidad-%1").arg(k))) << k;
    }
}

TEST(Graficos, PngDelTamanoDeLaVentanaDelGrafico) {
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("GRAFICO.PNG"));
    EXPECT_EQ(ejecutar({QStringLiteral("--grafico"), png, kCaso}).codigo, 0);
    EXPECT_EQ(QImage(png).size(), QSize(1200, 900));
}

// The note holds the verdicts as text; a case that fails some condition exits 1 but still
// gets its note.
TEST(Graficos, NotaPdfConLosVeredictosComoTexto) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("nota.pdf"));
    const Ejecucion e =
        ejecutar({QStringLiteral("--nota"), pdf, QStringLiteral("--criterio"), kEstricto, kCaso});
    EXPECT_EQ(e.codigo, 1) << e.errores.toStdString();
    QProcess texto;
    texto.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(texto.waitForFinished(30000));
    // pdftotext joins runs of blanks, so the verdicts are compared with single blanks.
    const QString t = QString::fromUtf8(texto.readAllStandardOutput()).simplified();
    EXPECT_TRUE(t.contains(QStringLiteral("(1) [SI] Qll > Q1"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("(2) [NO] V2 > Vmax"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("criterio-estricto.CrVek"))) << t.toStdString();
    // The heading: the file checked and the overall verdict; no author nor project, which only
    // the window's preferences give.
    EXPECT_TRUE(t.contains(QStringLiteral("Archivo de cálculo: colector-1m.caVek")))
        << t.toStdString();
    EXPECT_TRUE(
        t.contains(QRegularExpression(QStringLiteral("Resultado: No cumple: [^.]*\\(2\\)"))))
        << t.toStdString();
    EXPECT_FALSE(t.contains(QStringLiteral("Autor:"))) << t.toStdString();
}

// A design flow above the capacity gets its arrow in the chart the command draws.
TEST(Graficos, SvgConFlechaDelCaudalExcedido) {
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("grafico.svg"));
    const Ejecucion e = ejecutar({QStringLiteral("--grafico"), svg,
                                  QStringLiteral(COLVERO_EJEMPLOS "/colector-1m-punta.caVek")});
    EXPECT_EQ(e.codigo, 1) << e.errores.toStdString();
    QFile f(svg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains("id=\"punto-excedido-2\"")) << bytes.size();
    EXPECT_FALSE(bytes.contains("id=\"punto-caudal-2\""));
}

// Nothing is written for a wrong extension, an unwritable place or a run that does not
// complete, and each says why.
TEST(Graficos, SinArchivoCuandoNoSePuede) {
    QTemporaryDir dir;
    QFile malo(dir.filePath(QStringLiteral("malo.caVek")));
    ASSERT_TRUE(malo.open(QIODevice::WriteOnly));
    QFile ejemplo(kCaso);
    ASSERT_TRUE(ejemplo.open(QIODevice::ReadOnly));
    malo.write(ejemplo.readAll().replace("0.013", "0"));
    malo.close();
    struct Caso {
        QStringList argumentos;
        const char* mensaje;
    };
    const QString pdf = dir.filePath(QStringLiteral("n.pdf"));
    for (const Caso& c : {
             Caso{{QStringLiteral("--nota"), dir.filePath(QStringLiteral("n.png")), kCaso},
                  "la nota de cálculo se guarda como PDF"},
             Caso{{QStringLiteral("--grafico"), dir.filePath(QStringLiteral("g.pdf")), kCaso},
                  "el gráfico se guarda como PNG o SVG"},
             Caso{{QStringLiteral("--nota"), dir.filePath(QStringLiteral("no/n.pdf")), kCaso},
                  "la carpeta no existe"},
             Caso{{QStringLiteral("--nota"), pdf, malo.fileName()},
                  "no se ha realizado: El Nº de Manning ha de ser superior a 0.0001"},
             Caso{{QStringLiteral("--nota"), pdf, QStringLiteral("--json"), kCaso},
                  "--nota no se puede usar con otra forma de salida"},
             Caso{{QStringLiteral("--grafico"), pdf, kCaso, kCaso},
                  "--grafico admite un solo archivo de cálculo"},
         }) {
        const Ejecucion e = ejecutar(c.argumentos);
        EXPECT_EQ(e.codigo, 2) << c.mensaje;
        EXPECT_TRUE(QString::fromUtf8(e.errores).contains(QString::fromUtf8(c.mensaje)))
            << e.errores.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("malo.caVek")});
}

// The chart or the note never replaces the calculation it is drawn from, through a link
// either: refused before anything is written.
TEST(Graficos, NoReemplazaElCalculo) {
    QTemporaryDir dir;
    for (const auto& [opcion, nombre, enlace] :
         {std::tuple{"--nota", "caso.pdf", false}, std::tuple{"--grafico", "caso.svg", false},
          std::tuple{"--grafico", "enlace.png", true}}) {
        SCOPED_TRACE(nombre);
        const QString calculo = dir.filePath(QStringLiteral("caso.pdf"));
        QFile::remove(calculo);
        ASSERT_TRUE(QFile::copy(kCaso, calculo));
        QFile original(kCaso);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        const QString salida = dir.filePath(QString::fromUtf8(nombre));
        if (enlace)
            ASSERT_TRUE(QFile::link(calculo, salida));
        const QString leido = enlace || salida == calculo ? calculo : salida;
        if (!enlace && salida != calculo)
            ASSERT_TRUE(QFile::copy(kCaso, salida));
        const Ejecucion e = ejecutar({QString::fromUtf8(opcion), salida, leido});
        EXPECT_EQ(e.codigo, 2);
        EXPECT_EQ(e.errores.toStdString(),
                  std::string("colvero-check: ") + opcion + " «" + salida.toStdString() +
                      "» es el mismo archivo que el cálculo «" + leido.toStdString() +
                      "»: " + (std::string(opcion) == "--nota" ? "la nota" : "el gráfico") +
                      " lo reemplazaría. Elija otro nombre para la salida.\n");
        QFile f(leido);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes);
        QFile::remove(salida);
    }
}

} // namespace
