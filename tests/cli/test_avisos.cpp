// colvero-check's warnings (a file without "EOF", a diameter in millimetres) and the messages
// that point a misused option to the right one. A warning goes to standard error and, in JSON,
// to "avisos"; it changes no result.
#include "check/calcular.h"
#include "files/archivos.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct Ejecucion {
    int codigo = -1;
    QByteArray salida;
    QByteArray errores;
};

const QString kEjemplos = QStringLiteral(COLVERO_EJEMPLOS);

class Avisos : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString escribir(const QString& nombre, const QByteArray& bytes) {
        const QString ruta = dir_.filePath(nombre);
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return ruta;
    }

    static QByteArray leer(const QString& ruta) {
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    Ejecucion ejecutar(const QStringList& argumentos) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LC_NUMERIC");
        env.remove("LANG");
        env.insert("LC_ALL", "C");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir_.path());
        p.start(COLVERO_CHECK, argumentos);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    }

    // The example case, whole and without its "EOF" line (nothing else missing).
    QString entero() { return escribir("entero.caVek", leer(kEjemplos + "/colector-1m.caVek")); }
    QString sinEof() {
        QByteArray b = leer(kEjemplos + "/colector-1m.caVek");
        EXPECT_TRUE(b.endsWith("\r\nEOF\r\n"));
        b.chop(5);
        return escribir("sin-eof.caVek", b);
    }

    QTemporaryDir dir_;
};

QJsonObject objeto(const QByteArray& linea) {
    QJsonParseError error;
    const QJsonDocument d = QJsonDocument::fromJson(linea, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << linea.toStdString();
    return d.object();
}

// Every kind of output gives the same answer for the file without "EOF"; only standard error
// and the JSON "avisos" say it may have been cut.
TEST_F(Avisos, ArchivoSinEofEnCadaSalida) {
    const QString bien = entero();
    const QString cortado = sinEof();
    const QByteArray aviso = "colvero-check: aviso: " + cortado.toUtf8() +
                             ": el archivo no termina en EOF: puede estar cortado\n";
    const std::vector<QStringList> formas{
        {}, {"--informe"}, {"--pendientes"}, {"--diametros", "hormigon"}, {"--json"}};
    for (const QStringList& forma : formas) {
        SCOPED_TRACE(forma.join(' ').toStdString());
        const Ejecucion a = ejecutar(forma + QStringList{bien});
        const Ejecucion b = ejecutar(forma + QStringList{cortado});
        EXPECT_EQ(a.errores, "");
        EXPECT_EQ(b.errores, aviso);
        EXPECT_EQ(a.codigo, b.codigo);
        if (forma == QStringList{"--json"}) {
            QJsonObject oa = objeto(a.salida);
            QJsonObject ob = objeto(b.salida);
            QJsonArray avisos = ob["avisos"].toArray();
            ASSERT_FALSE(avisos.isEmpty());
            EXPECT_EQ(
                avisos.last().toObject(),
                (QJsonObject{{"tipo", "sin_eof"},
                             {"mensaje", "el archivo no termina en EOF: puede estar cortado"}}));
            avisos.removeLast();
            ob["avisos"] = avisos;
            ob.remove("archivo");
            oa.remove("archivo");
            EXPECT_EQ(oa, ob);
        } else {
            EXPECT_EQ(QString::fromUtf8(a.salida).replace(bien, "X"),
                      QString::fromUtf8(b.salida).replace(cortado, "X"));
        }
    }
}

// The fault behind the warning: the end mark and the end of the last value cut off.
TEST_F(Avisos, ArchivoCortadoEnElUltimoValorAvisa) {
    QByteArray b = leer(kEjemplos + "/colector-1m.caVek");
    b.chop(8);
    const QString cortado = escribir("cortado.caVek", b);
    const Ejecucion e = ejecutar({"--json", cortado});
    EXPECT_TRUE(e.errores.contains("no termina en EOF")) << e.errores.toStdString();
    EXPECT_TRUE(e.salida.contains("\"tipo\":\"sin_eof\""));
}

// A diameter typed in millimetres: warned, and the run is exactly the engine's.
TEST_F(Avisos, DiametroEnMilimetros) {
    QByteArray b = leer(kEjemplos + "/colector-1m.caVek");
    const qsizetype inicio = b.indexOf(',', b.indexOf(',') + 1) + 1;
    const qsizetype fin = b.indexOf(',', inicio);
    ASSERT_EQ(b.mid(inicio, fin - inicio), "1");
    b.replace(inicio, fin - inicio, "1000");
    const QString ruta = escribir("mm.caVek", b);
    const Ejecucion e = ejecutar({"--json", ruta});
    EXPECT_EQ(e.errores, "colvero-check: aviso: " + ruta.toUtf8() +
                             ": el diámetro D = 1000 pasa de 5 m: ¿está en milímetros? D se da "
                             "en metros\n");
    const QJsonObject o = objeto(e.salida);
    EXPECT_EQ(o["avisos"].toArray().last().toObject()["tipo"].toString(), "diametro_en_milimetros");

    colvero::ValoresGuardados guardados;
    const colvero::ResultadoCalculo r =
        colvero::calcular(colvero::leerCalculo(QFile::encodeName(ruta), '.'), guardados, '.');
    const QJsonArray condiciones = o["condiciones"].toArray();
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(condiciones[k].toObject()["veredicto"].toString().toStdString(),
                  r.notas[static_cast<size_t>(k)]);
    // Within 5 m nothing is said.
    EXPECT_EQ(ejecutar({"--json", entero()}).errores, "");
}

TEST_F(Avisos, SerieIncluidaPorSuNombre) {
    const QString caso = entero();
    const QString serie = QStringLiteral(COLVERO_EJEMPLOS "/../series/hormigon-dn.txt");
    const Ejecucion porNombre = ejecutar({"--diametros", "hormigon", "--json", caso});
    const Ejecucion porRuta = ejecutar({"--diametros", serie, "--json", caso});
    EXPECT_EQ(porNombre.codigo, porRuta.codigo);
    EXPECT_EQ(porNombre.salida, porRuta.salida);
    EXPECT_EQ(porNombre.errores, "");

    const Ejecucion mm =
        ejecutar({"--diametros", escribir("mm.txt", "DN 300;300\nDN 400;0.4\n"), "--json", caso});
    EXPECT_EQ(mm.errores, "colvero-check: aviso: la serie «" + dir_.filePath("mm.txt").toUtf8() +
                              "» tiene un tubo («DN 300») de más de 5 m de diámetro: ¿está en "
                              "milímetros? Los diámetros se dan en metros\n");
}

struct Uso {
    const char* nombre;
    QStringList argumentos; // $C a calculation file, $K a criterion, $R a network table
    int codigo;
    QByteArray errores; // $C, $K and $R as above
};

class UsosQueOrientan : public Avisos, public ::testing::WithParamInterface<Uso> {};

TEST_P(UsosQueOrientan, DicenQueHacer) {
    const QString c = entero();
    const QString k = kEjemplos + "/criterio-red.CrVek";
    const QString r = kEjemplos + "/red-ejemplo-coma.csv";
    QStringList argumentos = GetParam().argumentos;
    for (QString& a : argumentos)
        a.replace("$C", c).replace("$K", k).replace("$R", r);
    const Ejecucion e = ejecutar(argumentos);
    QByteArray esperado = GetParam().errores;
    esperado.replace("$C", c.toUtf8()).replace("$K", k.toUtf8()).replace("$R", r.toUtf8());
    EXPECT_EQ(e.codigo, GetParam().codigo);
    EXPECT_EQ(e.errores, esperado);
}

const QByteArray kAyuda = "\nUse «colvero-check --help» para ver las opciones.\n";
const QByteArray kAyudaRed = "\nUse «colvero-check --red --help» para ver las opciones.\n";
const QByteArray kPlantilla = "colvero-check: El archivo «$C» es un cálculo (.caVek), no un "
                              "criterio (.CrVek): para tomar el criterio de un cálculo, use "
                              "--plantilla $C.\n";

INSTANTIATE_TEST_SUITE_P(
    Casos, UsosQueOrientan,
    ::testing::Values(
        Uso{"LocaleDesconocida",
            {"--locale", "xx_ZZ", "$C"},
            2,
            "colvero-check: la configuración regional «xx_ZZ» no existe (se admiten, por "
            "ejemplo, C, en_US o es_ES)" +
                kAyuda},
        Uso{"LocaleDesconocidaEnRed",
            {"--red", "$R", "--criterio", "$K", "--locale", "espanol"},
            2,
            "colvero-check: la configuración regional «espanol» no existe (se admiten, por "
            "ejemplo, C, en_US o es_ES)" +
                kAyudaRed},
        Uso{"LocaleConocida", {"--locale", "es_ES", "$C"}, 0, ""},
        Uso{"RedSinCriterio",
            {"--red", "$R"},
            2,
            "colvero-check: falta el criterio de los tramos: dé un criterio con --criterio "
            "ARCHIVO.CrVek, o tome el de un cálculo con --plantilla ARCHIVO.caVek (o ponga en la "
            "tabla la columna criterio, con el archivo de criterio de cada tramo)" +
                kAyudaRed},
        Uso{"CalculoComoCriterio", {"--criterio", "$C", "$C"}, 2, kPlantilla},
        Uso{"CalculoComoCriterioEnRed", {"--red", "$R", "--criterio", "$C"}, 2, kPlantilla},
        Uso{"CriterioComoPlantilla",
            {"--plantilla", "$K", "$C"},
            2,
            "colvero-check: El archivo «$K» es un criterio (.CrVek), no un cálculo: use "
            "--criterio $K.\n"},
        Uso{"PlantillaBuena", {"--plantilla", "$C", "$C"}, 0, ""},
        Uso{"CriterioYPlantilla",
            {"--criterio", "$K", "--plantilla", "$C", "$C"},
            2,
            "colvero-check: --criterio y --plantilla no se pueden usar juntas" + kAyuda},
        Uso{"TablaSinRed",
            {"$R"},
            2,
            "colvero-check: $R parece una tabla de red: compruébela con colvero-check --red "
            "$R\n"}),
    [](const auto& info) { return std::string(info.param.nombre); });

// A network table in millimetres: every reach still checked as written, one warning.
TEST_F(Avisos, RedConDiametrosEnMilimetros) {
    const QString tabla = escribir(
        "mm.csv", "tramo;D;n;i;Q\nA;0,5;0,013;0,005;0,1\nB;500;0,013;0,005;0,1\nC;600;0,013;"
                  "0,005;0,1\n");
    const QString criterio = kEjemplos + "/criterio-red.CrVek";
    const Ejecucion e = ejecutar({"--red", tabla, "--criterio", criterio, "--json"});
    EXPECT_EQ(e.errores, "colvero-check: aviso: " + tabla.toUtf8() +
                             ": 2 tramos, el primero en la fila 3, tienen un diámetro D de más de "
                             "5 m: ¿está en milímetros? D se da en metros\n");
    const QList<QByteArray> lineas = e.salida.trimmed().split('\n');
    ASSERT_EQ(lineas.size(), 3);
    const auto tipos = [](const QByteArray& linea) {
        QStringList t;
        for (const auto& a : objeto(linea)["avisos"].toArray())
            t << a.toObject()["tipo"].toString();
        return t;
    };
    EXPECT_EQ(tipos(lineas[0]), QStringList());
    EXPECT_EQ(tipos(lineas[1]), QStringList{"diametro_en_milimetros"});
    EXPECT_EQ(tipos(lineas[2]), QStringList{"diametro_en_milimetros"});
}

// A result table with decimal commas writes every number with them, the reasons why no slope
// passes included, whatever --locale says for the summary.
TEST_F(Avisos, TablaDeResultadosConComaDecimalEnSusMensajes) {
    const QString salida = dir_.filePath("resultados.csv");
    const Ejecucion e =
        ejecutar({"--red", kEjemplos + "/red-ejemplo-punto-y-coma.csv", "--criterio",
                  kEjemplos + "/criterio-red.CrVek", "--locale", "C", "--salida", salida});
    ASSERT_EQ(e.errores, "");
    const QString tabla = QString::fromUtf8(leer(salida));
    EXPECT_TRUE(tabla.contains(QStringLiteral("pide i ≥ 0,"))) << "no row without slopes";
    EXPECT_FALSE(tabla.contains(QRegularExpression(QStringLiteral("[0-9]\\.[0-9]"))));
}

// The counts of the network summary sit under their headings, whatever the bytes of
// «Condición».
TEST_F(Avisos, ColumnasDelResumenDeRed) {
    const Ejecucion e = ejecutar({"--red", kEjemplos + "/red-ejemplo-coma.csv", "--criterio",
                                  kEjemplos + "/criterio-red.CrVek", "--sin-pendientes"});
    const QStringList lineas = QString::fromUtf8(e.salida).split(u'\n');
    qsizetype k = 0;
    while (k < lineas.size() && !lineas[k].startsWith(QStringLiteral("Condición ")))
        ++k;
    ASSERT_LT(k + 10, lineas.size());
    const QString cabecera = lineas[k];
    std::vector<qsizetype> finales;
    for (const char* titulo : {"cumplen", "no cumplen", "[ERROR]", "sin evaluar"})
        finales.push_back(cabecera.indexOf(QLatin1String(titulo)) + qstrlen(titulo));
    for (int fila = 1; fila <= 10; ++fila) {
        const QString l = lineas[k + fila];
        ASSERT_TRUE(l.startsWith(QStringLiteral("(%1)").arg(fila))) << l.toStdString();
        EXPECT_EQ(l.size(), finales.back()) << l.toStdString();
        for (const qsizetype f : finales) {
            EXPECT_TRUE(l[f - 1].isDigit()) << l.toStdString();
            EXPECT_TRUE(f == l.size() || l[f] == u' ') << l.toStdString();
        }
    }
}

} // namespace
