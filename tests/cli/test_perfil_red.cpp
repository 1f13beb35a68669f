// colvero-check --red MODELO --perfil DESDE[:HASTA] --salida-perfil PERFIL, run through the
// built program (which hands the drawing to its companion).
#include "../apoyo/pdf.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

struct Ejecucion {
    int codigo = -1;
    QString salida, errores;
};

const QString kModelo = QStringLiteral(COLVERO_EJEMPLOS "/red-ejemplo.inp");
const QString kHipotesis = QStringLiteral(COLVERO_EJEMPLOS "/hipotesis.txt");

Ejecucion ejecutar(QStringList argumentos, bool conHipotesis = true) {
    QStringList todos{QStringLiteral("--red"), kModelo, QStringLiteral("--criterio"),
                      QStringLiteral(COLVERO_EJEMPLOS "/criterio-red.CrVek")};
    if (conHipotesis)
        todos << QStringLiteral("--hipotesis") << kHipotesis;
    QProcess p;
    p.start(QStringLiteral(COLVERO_CHECK), todos + argumentos);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The profile of a path to its outfall: one summary line, the path's exit status, and a PDF
// whose text names the path and its reaches.
TEST(PerfilRed, PdfDeUnCaminoHastaElVertido) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("perfil.pdf"));
    const Ejecucion e = ejecutar({QStringLiteral("--perfil"), QStringLiteral("T2"),
                                  QStringLiteral("--salida-perfil"), pdf,
                                  QStringLiteral("--locale"), QStringLiteral("es_ES")});
    EXPECT_EQ(e.codigo, 0) << e.errores.toStdString();
    EXPECT_EQ(e.salida,
              QStringLiteral("Perfil de «P2» a «V1»: 4 tramos, 424,70 m, en %1\n").arg(pdf));
    EXPECT_EQ(e.errores, QString());
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "falta pdftotext (poppler-utils)";
    const QString t = colvero::prueba::textoPdf(pdf).simplified();
    for (const char* esperado :
         {"Perfil longitudinal de «P2» a «V1»", "T2", "T3", "T4", "T5", "424,70", "Cumple"})
        EXPECT_TRUE(t.contains(QString::fromUtf8(esperado))) << esperado;
    EXPECT_FALSE(t.contains(QStringLiteral("T1 "))) << t.toStdString();
}

// A reach that fails makes the run exit 1 and is listed with its failing conditions; without
// the hypothesis no reach has its flows, and the run exits 2 but still draws the profile.
TEST(PerfilRed, CodigoDelCamino) {
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("perfil.svg"));
    QProcess p;
    p.start(QStringLiteral(COLVERO_CHECK),
            {QStringLiteral("--red"), kModelo, QStringLiteral("--hipotesis"), kHipotesis,
             QStringLiteral("--criterio"),
             QStringLiteral(COLVERO_EJEMPLOS "/criterio-estricto.CrVek"),
             QStringLiteral("--perfil"), QStringLiteral("P6:P4"), QStringLiteral("--salida-perfil"),
             svg});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    const QString salida = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(salida.startsWith(QStringLiteral("Perfil de «P6» a «P4»: 3 tramos, ")));
    EXPECT_TRUE(salida.contains(QStringLiteral("  «T7» no cumple: ")));
    QFile f(svg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.count("<rect id=\"tramo-"), 3);
    EXPECT_EQ(bytes.count("<rect id=\"pozo-"), 4);

    const Ejecucion e = ejecutar(
        {QStringLiteral("--perfil"), QStringLiteral("P1"), QStringLiteral("--salida-perfil"), svg},
        false);
    EXPECT_EQ(e.codigo, 2);
    EXPECT_TRUE(e.salida.contains(
        QStringLiteral("  «T1» sin comprobar: no hay caudal para la condición (1)")))
        << e.salida.toStdString();
}

// Usage errors and paths that do not exist: a Spanish message, exit 2, nothing written.
TEST(PerfilRed, ErroresSinArchivo) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("p.pdf"));
    const QString ayuda = QStringLiteral("\nUse «colvero-check --red --help» para ver las "
                                         "opciones.\n");
    struct Caso {
        QStringList argumentos;
        QString mensaje;
    };
    for (const Caso& c : {
             Caso{{QStringLiteral("--perfil"), QStringLiteral("X9"),
                   QStringLiteral("--salida-perfil"), pdf},
                  QStringLiteral("--perfil «X9»: no hay ningún tramo ni nodo «X9»\n")},
             Caso{{QStringLiteral("--perfil"), QStringLiteral("P3:P1"),
                   QStringLiteral("--salida-perfil"), pdf},
                  QStringLiteral("--perfil «P3:P1»: los nodos «P3» y «P1» no están en un "
                                 "mismo camino del agua\n")},
             Caso{{QStringLiteral("--perfil"), QStringLiteral("V1"),
                   QStringLiteral("--salida-perfil"), pdf},
                  QStringLiteral("--perfil «V1»: del nodo «V1» no sale ningún tramo que lleve "
                                 "el agua aguas abajo\n")},
             Caso{{QStringLiteral("--perfil"), QStringLiteral("P1")},
                  QStringLiteral(
                      "--perfil necesita --salida-perfil ARCHIVO (.pdf, .svg, .png o .dxf)") +
                      ayuda},
             Caso{{QStringLiteral("--salida-perfil"), pdf},
                  QStringLiteral("--salida-perfil solo sirve con --perfil") + ayuda},
             Caso{{QStringLiteral("--perfil"), QStringLiteral("P1"),
                   QStringLiteral("--salida-perfil"), dir.filePath(QStringLiteral("p.txt"))},
                  QStringLiteral("--salida-perfil «%1»: la extensión dice el formato: .pdf, "
                                 ".svg, .png o .dxf")
                          .arg(dir.filePath(QStringLiteral("p.txt"))) +
                      ayuda},
             Caso{{QStringLiteral("--perfil"), QStringLiteral("P1"),
                   QStringLiteral("--salida-perfil"), pdf, QStringLiteral("--json")},
                  QStringLiteral(
                      "--perfil no se puede usar con --json, --salida, --serie ni --nota-red") +
                      ayuda},
         }) {
        const Ejecucion e = ejecutar(c.argumentos);
        EXPECT_EQ(e.codigo, 2) << c.mensaje.toStdString();
        EXPECT_EQ(e.errores, QStringLiteral("colvero-check: ") + c.mensaje);
        EXPECT_EQ(e.salida, QString());
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());

    // A table says nothing of how its reaches join.
    QProcess p;
    p.start(QStringLiteral(COLVERO_CHECK),
            {QStringLiteral("--red"), QStringLiteral(COLVERO_EJEMPLOS "/red-ejemplo-coma.csv"),
             QStringLiteral("--criterio"), QStringLiteral(COLVERO_EJEMPLOS "/criterio-red.CrVek"),
             QStringLiteral("--perfil"), QStringLiteral("T1"), QStringLiteral("--salida-perfil"),
             pdf});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()),
              QStringLiteral("colvero-check: --perfil solo sirve con un modelo SWMM (.inp) o capas "
                             "SIG") +
                  ayuda);
}

// The profile never replaces a file the run reads.
TEST(PerfilRed, NoReemplazaLaHipotesis) {
    QTemporaryDir dir;
    const QString copia = dir.filePath(QStringLiteral("hipotesis.png"));
    ASSERT_TRUE(QFile::copy(kHipotesis, copia));
    QProcess p;
    p.start(QStringLiteral(COLVERO_CHECK),
            {QStringLiteral("--red"), kModelo, QStringLiteral("--hipotesis"), copia,
             QStringLiteral("--criterio"), QStringLiteral(COLVERO_EJEMPLOS "/criterio-red.CrVek"),
             QStringLiteral("--perfil"), QStringLiteral("P1"), QStringLiteral("--salida-perfil"),
             copia});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()),
              QStringLiteral("colvero-check: --salida-perfil «%1» es el mismo archivo que "
                             "--hipotesis «%1»: el perfil lo reemplazaría. Elija otro nombre para "
                             "la salida.\n")
                  .arg(copia));
    QFile a(copia), b(kHipotesis);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
}

} // namespace
