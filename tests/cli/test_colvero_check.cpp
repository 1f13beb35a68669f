// Runs the built colvero-check on files written to a temporary folder.
#include "check/calcular.h"
#include "cli/comprobacion.h"
#include "files/archivos.h"
#include "report/informe.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <array>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

namespace {

struct Ejecucion {
    int codigo = -1;
    QByteArray salida;
    QByteArray errores;
};

// Lines 1 to 11 of a calculation file (Windows-1252) for D = 1 m, n = 0.013, i = 0.005 whose
// ten conditions all pass.
using Lineas = std::array<std::string, 11>;
const Lineas kPasa{
    "Colector de prueba,Di\xe1metro 1 m,1,0.013,0.005",
    " 1 ,1,Caudal de c\xe1lculo",
    " 1 ,1,Caudal punta,3",
    " 1 ,1,Caudal medio,0.6",
    " 1 ,1,Caudal punta,75",
    " 1 ,1,Caudal medio,2.65,1,10",
    " 1 ,1,Caudal punta,1",
    " 1 ,1,Caudal punta,2",
    " 1 ,-,0.004",
    " 1 ,-,0.01",
    " 1 ,-,50,0.6",
};

const std::array<std::string, 10> kVeredictosPasa{
    "(1)  [SI]  Qll > Q1",          "(2)  [SI]  V2 < Vmax",       "(3)  [SI]  V3 > Vmin",
    "(4)  [SI]  (y/D)4 < (y/D)max", "(5)  [SI]  (dp)5 > (dp)min", "(6)  [SI]  F6 > Fmin",
    "(7)  [SI]  F7 < Fmax",         "(8)  [SI]  I8 > Imin",       "(9)  [SI]  I9 < Imax",
    "(10) [SI]  V10 > Vmin10"};

class ColveroCheck : public ::testing::Test {
protected:
    QString escribir(const QString& nombre, const QByteArray& bytes) {
        const QString ruta = dir_.filePath(nombre);
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return ruta;
    }

    QString calculo(const QString& nombre, const Lineas& lineas) {
        QByteArray b;
        for (const auto& l : lineas) {
            b += QByteArray::fromStdString(l) + "\r\n";
        }
        return escribir(nombre, b + "EOF\r\n");
    }

    // Criterion that fails conditions 2 to 10 on the passing case: every limit is tightened.
    QString criterioEstricto() {
        return escribir("estricto.CrVek", "-,-,-,-\r\n"
                                          " 1 ,-,Caudal de c\xe1lculo,-\r\n"
                                          " 1 ,-,Caudal punta,2,-\r\n"
                                          " 1 ,-,Caudal medio,0.6,-\r\n"
                                          " 1 ,-,Caudal punta,50,-\r\n"
                                          " 1 ,-,Caudal medio,2.65,1,20,-\r\n"
                                          " 1 ,-,Caudal punta,1,-\r\n"
                                          " 1 ,-,Caudal punta,1,-\r\n"
                                          " 1 ,-,0.005,-\r\n"
                                          " 1 ,-,0.004,-\r\n"
                                          " 1 ,-,50,3,-\r\n"
                                          "-,-,-\r\n"
                                          "EOF\r\n");
    }

    static Ejecucion ejecutar(const QStringList& argumentos, const QString& lcAll = "C") {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LC_NUMERIC");
        env.remove("LANG");
        env.insert("LC_ALL", lcAll);
        p.setProcessEnvironment(env);
        p.start(COLVERO_CHECK, argumentos);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    }

    static std::vector<QJsonObject> objetos(const QByteArray& salida) {
        std::vector<QJsonObject> v;
        EXPECT_TRUE(salida.endsWith('\n'));
        for (const QByteArray& linea : salida.split('\n')) {
            if (linea.isEmpty()) {
                continue;
            }
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(linea, &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << linea.toStdString();
            v.push_back(doc.object());
        }
        return v;
    }

    static std::vector<std::string> veredictos(const QJsonObject& o) {
        std::vector<std::string> v;
        const QJsonArray c = o["condiciones"].toArray();
        for (int k = 0; k < c.size(); ++k) {
            EXPECT_EQ(c[k].toObject()["numero"].toInt(), k + 1);
            v.push_back(c[k].toObject()["veredicto"].toString().toStdString());
        }
        return v;
    }

    static QStringList valores(const QJsonObject& o, int k) {
        QStringList v;
        for (const auto& x : o["condiciones"].toArray()[k - 1].toObject()["valores"].toArray()) {
            v << x.toString();
        }
        return v;
    }

    QTemporaryDir dir_;
};

TEST_F(ColveroCheck, TodasCumplenDaCeroYValoresEnJson) {
    const QString ruta = calculo("pasa.caVek", kPasa);
    const Ejecucion e = ejecutar({"--json", ruta});
    EXPECT_EQ(e.codigo, 0) << e.errores.toStdString();
    EXPECT_TRUE(e.errores.isEmpty());
    const auto o = objetos(e.salida);
    ASSERT_EQ(o.size(), 1u);
    EXPECT_EQ(o[0]["archivo"].toString(), ruta);
    EXPECT_EQ(o[0]["estado"].toString(), "CÁLCULO REALIZADO");
    EXPECT_EQ(o[0]["colector"].toString(), "-");
    const auto v = veredictos(o[0]);
    EXPECT_EQ(std::vector<std::string>(kVeredictosPasa.begin(), kVeredictosPasa.end()), v);
    EXPECT_EQ(valores(o[0], 1), QStringList{"1.69534772"});
    EXPECT_EQ(valores(o[0], 5).size(), 2);
    EXPECT_TRUE(valores(o[0], 5)[1].startsWith("17.12")) << valores(o[0], 5)[1].toStdString();
    EXPECT_EQ(valores(o[0], 8), QStringList{"0.005"});
    EXPECT_EQ(valores(o[0], 9), QStringList{"0.005"});
    EXPECT_EQ(valores(o[0], 10), QStringList{"2.15858086"});
}

TEST_F(ColveroCheck, CodigosDeSalidaSegunVeredictos) {
    Lineas no = kPasa;
    no[1] = " 1 ,1.8,Caudal de c\xe1lculo"; // above the full-section flow
    no[2] = " 1 ,1.9,Caudal punta,3";       // above the maximum flow
    Lineas error = kPasa;
    error[2] = " 1 ,0,Caudal punta,3";
    const QString pasa = calculo("pasa.caVek", kPasa);
    const QString falla = calculo("no.caVek", no);
    const QString erronea = calculo("error.caVek", error);

    Ejecucion e = ejecutar({"--json", falla});
    EXPECT_EQ(e.codigo, 1);
    auto v = veredictos(objetos(e.salida).at(0));
    EXPECT_EQ(v[0], "(1)  [NO]  Qll < Q1");
    EXPECT_EQ(v[1], "(2)  [NO]  Capacidad insuficiente");
    EXPECT_EQ(valores(objetos(e.salida).at(0), 2), QStringList{""});

    e = ejecutar({"--json", erronea});
    EXPECT_EQ(e.codigo, 2);
    EXPECT_EQ(veredictos(objetos(e.salida).at(0))[1], "(2)  [ERROR]  Q2<=0");

    // The worst outcome of all the files decides; each file gets its own line.
    EXPECT_EQ(ejecutar({"--json", pasa, falla}).codigo, 1);
    e = ejecutar({"--json", falla, erronea, pasa});
    EXPECT_EQ(e.codigo, 2);
    EXPECT_EQ(objetos(e.salida).size(), 3u);
    EXPECT_EQ(ejecutar({pasa, pasa}).codigo, 0);
}

TEST_F(ColveroCheck, CalculoNoRealizadoDaDos) {
    Lineas colector = kPasa;
    colector[0] = "Colector,sin Manning,1,0,0.005";
    Lineas letras = kPasa;
    letras[5] = " 0 ,abc,Caudal medio,2.65,1,10"; // disabled, but every field is converted
    const QString rutaColector = calculo("colector.caVek", colector);
    const QString rutaLetras = calculo("letras.caVek", letras);

    const Ejecucion e = ejecutar({"--json", rutaColector, rutaLetras});
    EXPECT_EQ(e.codigo, 2);
    const auto o = objetos(e.salida);
    ASSERT_EQ(o.size(), 2u);
    EXPECT_EQ(o[0]["estado"].toString(), "-");
    EXPECT_EQ(o[0]["colector"].toString(), "El Nº de Manning ha de ser superior a 0.0001");
    EXPECT_EQ(o[1]["estado"].toString(), "Datos de entrada erroneos");
    EXPECT_EQ(veredictos(o[1]), std::vector<std::string>(10, "-"));
    EXPECT_EQ(valores(o[1], 1), QStringList{"-"});

    for (const QString& ruta : {rutaColector, rutaLetras}) {
        const Ejecucion i = ejecutar({"--informe", ruta});
        EXPECT_EQ(i.codigo, 2);
        EXPECT_TRUE(i.salida.isEmpty());
        EXPECT_TRUE(i.errores.contains("no se ha realizado")) << i.errores.toStdString();
    }
}

// A run stopped by a text that is not a number names that field; no other outcome does.
TEST_F(ColveroCheck, CampoQueNoEsUnNumero) {
    struct Caso {
        const char* nombre;
        size_t linea;
        std::string texto;
        const char* campo; // nullptr: the key and the summary line must be absent
    };
    const Caso casos[] = {
        {"diámetro", 0, "Colector,x,1 m,0.013,0.005", "Diámetro interior D (m)"},
        {"caudal de una condición desactivada", 5, " 0 ,abc,Caudal medio,2.65,1,10",
         "Caudal de la condición (5)"},
        {"límite de la condición 2", 2, " 1 ,1,Caudal punta,3x", "Vmax (m/s) de la condición (2)"},
        {"último campo", 10, " 1 ,-,50,0.6 m/s", "Vmin10 (m/s) de la condición (10)"},
        {"caudal nulo, no es un texto erróneo", 2, " 1 ,0,Caudal punta,3", nullptr},
        {"colector inválido", 0, "Colector,sin Manning,1,0,0.005", nullptr},
        {"todo correcto", 1, kPasa[1], nullptr},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Lineas lineas = kPasa;
        lineas[caso.linea] = caso.texto;
        const QString ruta = calculo("caso.caVek", lineas);
        const auto o = objetos(ejecutar({"--json", ruta}).salida).at(0);
        const QString resumen = QString::fromUtf8(ejecutar({ruta}).salida);
        const Ejecucion informe = ejecutar({"--informe", ruta});
        if (caso.campo == nullptr) {
            EXPECT_FALSE(o.contains("campo_erroneo"));
            EXPECT_FALSE(resumen.contains("Campo erróneo")) << resumen.toStdString();
            continue;
        }
        const QString campo = QString::fromUtf8(caso.campo);
        EXPECT_EQ(o["estado"].toString(), "Datos de entrada erroneos");
        EXPECT_EQ(o["campo_erroneo"].toString(), campo);
        EXPECT_EQ(o.keys(), (QStringList{"archivo", "avisos", "campo_erroneo", "colector",
                                         "condiciones", "estado"}));
        EXPECT_TRUE(resumen.contains("Estado: Datos de entrada erroneos (cálculo no realizado)\n"
                                     "Campo erróneo: «" +
                                     campo + "» no es un número\nColector: -\n"))
            << resumen.toStdString();
        EXPECT_TRUE(QString::fromUtf8(informe.errores).contains("«" + campo + "» no es un número"))
            << informe.errores.toStdString();
    }
}

TEST_F(ColveroCheck, ArchivoIlegibleDaObjetoDeError) {
    const QString falta = dir_.filePath("no-existe.caVek");
    // One value short, and no "EOF" line that the reader would take as the last value.
    QByteArray corto;
    for (const auto& l : kPasa) {
        corto += QByteArray::fromStdString(l) + "\r\n";
    }
    corto.chop(QByteArrayLiteral(",0.6\r\n").size());
    const QString incompleto = escribir("corto.caVek", corto);
    const QString pasa = calculo("pasa.caVek", kPasa);

    const Ejecucion e = ejecutar({"--json", falta, pasa, incompleto, dir_.path()});
    EXPECT_EQ(e.codigo, 2);
    const auto o = objetos(e.salida);
    ASSERT_EQ(o.size(), 4u);
    EXPECT_EQ(o[0].keys(), (QStringList{"archivo", "error"}));
    EXPECT_EQ(o[0]["archivo"].toString(), falta);
    EXPECT_TRUE(o[0]["error"].toString().contains("no-existe.caVek"))
        << o[0]["error"].toString().toStdString();
    EXPECT_EQ(o[1]["estado"].toString(), "CÁLCULO REALIZADO");
    EXPECT_EQ(o[2]["error"].toString(),
              "El archivo «" + incompleto +
                  "» está incompleto: tiene 43 valores y hacen falta 44.");
    EXPECT_EQ(o[3]["error"].toString(),
              "No se puede abrir el archivo «" + dir_.path() + "»: es una carpeta.");

    const Ejecucion i = ejecutar({"--informe", falta});
    EXPECT_EQ(i.codigo, 2);
    EXPECT_TRUE(i.salida.isEmpty());
    EXPECT_TRUE(i.errores.contains("no-existe.caVek"));
}

TEST_F(ColveroCheck, CriterioSustituyeAlDelCalculo) {
    const QString pasa = calculo("pasa.caVek", kPasa);
    const Ejecucion e = ejecutar({"--json", "--criterio", criterioEstricto(), pasa});
    EXPECT_EQ(e.codigo, 1) << e.errores.toStdString();
    const auto v = veredictos(objetos(e.salida).at(0));
    const std::vector<std::string> esperado{
        "(1)  [SI]  Qll > Q1",          "(2)  [NO]  V2 > Vmax",       "(3)  [SI]  V3 > Vmin",
        "(4)  [NO]  (y/D)4 > (y/D)max", "(5)  [NO]  (dp)5 < (dp)min", "(6)  [SI]  F6 > Fmin",
        "(7)  [NO]  F7 > Fmax",         "(8)  [NO]  I8 < Imin",       "(9)  [NO]  I9 > Imax",
        "(10) [NO]  V10 < Vmin10"};
    EXPECT_EQ(v, esperado);

    const Ejecucion mala = ejecutar({"--criterio", dir_.filePath("falta.CrVek"), pasa});
    EXPECT_EQ(mala.codigo, 2);
    EXPECT_TRUE(mala.salida.isEmpty());
    EXPECT_TRUE(mala.errores.contains("falta.CrVek"));
}

// Each file starts from stored values at 0: the slope shown for a disabled condition 8 is
// the initial 0, not the slope stored by the previous file.
TEST_F(ColveroCheck, CadaArchivoEmpiezaDeCero) {
    Lineas sin8 = kPasa;
    sin8[8] = " 0 ,-,0.004";
    const QString pasa = calculo("pasa.caVek", kPasa);
    const QString sinOcho = calculo("sin8.caVek", sin8);
    const auto o = objetos(ejecutar({"--json", pasa, sinOcho}).salida);
    ASSERT_EQ(o.size(), 2u);
    EXPECT_EQ(valores(o[0], 8), QStringList{"0.005"});
    EXPECT_EQ(valores(o[1], 8), QStringList{"0"});
    EXPECT_EQ(veredictos(o[1])[7], "-");
}

TEST_F(ColveroCheck, LocaleDecideElSeparador) {
    const QString pasa = calculo("pasa.caVek", kPasa);
    auto o = objetos(ejecutar({"--json", "--locale", "es_ES", pasa}).salida).at(0);
    EXPECT_EQ(valores(o, 1), QStringList{"1,69534772"});
    EXPECT_EQ(valores(o, 8), QStringList{"0,005"});
    EXPECT_EQ(veredictos(o)[0], "(1)  [SI]  Qll > Q1");

    o = objetos(ejecutar({"--json", "--locale", "en_US", pasa}, "es_ES.UTF-8").salida).at(0);
    EXPECT_EQ(valores(o, 1), QStringList{"1.69534772"});

    // Without --locale the environment decides.
    o = objetos(ejecutar({"--json", pasa}, "es_ES.UTF-8").salida).at(0);
    EXPECT_EQ(valores(o, 10), QStringList{"2,15858086"});
}

// The report must be byte for byte what the window's button builds after the same run.
TEST_F(ColveroCheck, InformeIgualAlDeLaVentana) {
    Lineas mezcla = kPasa;
    mezcla[2] = " 1 ,0,Caudal punta,3"; // [ERROR]: the stored Vel2 stays 0
    mezcla[5] = " 0 ,1,Caudal medio,2.65,1,10";
    const QString criterio = criterioEstricto();
    struct Caso {
        Lineas lineas;
        char separador;
        bool conCriterio;
        int codigo;
    };
    for (const Caso& caso :
         {Caso{kPasa, '.', false, 0}, Caso{kPasa, ',', true, 1}, Caso{mezcla, ',', false, 2}}) {
        const QString ruta = calculo("caso.caVek", caso.lineas);
        QStringList args{"--informe", ruta, "--locale", caso.separador == ',' ? "es_ES" : "C"};
        colvero::Calculo c = colvero::leerCalculo(ruta, caso.separador);
        if (caso.conCriterio) {
            args << "--criterio" << criterio;
            c.criterio = colvero::leerCriterio(criterio, caso.separador);
        }
        colvero::ValoresGuardados guardados;
        const colvero::ResultadoCalculo r = colvero::calcular(c, guardados, caso.separador);
        const std::string esperado =
            colvero::generarInforme({c, r.notas, guardados}, caso.separador);

        const Ejecucion e = ejecutar(args);
        EXPECT_EQ(e.codigo, caso.codigo) << e.errores.toStdString();
        EXPECT_EQ(e.salida.toStdString(), esperado);
        EXPECT_TRUE(e.salida.startsWith('\r'));
        EXPECT_EQ(e.salida.count('\r'), 122);
        EXPECT_FALSE(e.salida.contains('\n'));
    }
}

TEST_F(ColveroCheck, ResumenLegible) {
    const QString pasa = calculo("pasa.caVek", kPasa);
    const QString falta = dir_.filePath("falta.caVek");
    const Ejecucion e = ejecutar({pasa, falta});
    EXPECT_EQ(e.codigo, 2);
    const QString s = QString::fromUtf8(e.salida);
    EXPECT_TRUE(s.contains("Archivo: " + pasa + "\nEstado: CÁLCULO REALIZADO\nColector: -\n"));
    EXPECT_TRUE(
        s.contains(QRegularExpression(R"(\(1\)  \[SI\]  Qll > Q1 +Qll \(m3/s\) = 1\.69534772\n)")))
        << s.toStdString();
    EXPECT_TRUE(s.contains(QRegularExpression(
        R"(\(5\)  \[SI\]  \(dp\)5 > \(dp\)min +Rh \(m\) = \S+; dp \(mm\) = 17\.12)")));
    EXPECT_TRUE(s.contains("Archivo: " + falta + "\nError: "));
}

TEST_F(ColveroCheck, ErroresDeUso) {
    const QString pasa = calculo("pasa.caVek", kPasa);
    struct Caso {
        QStringList argumentos;
        QByteArray mensaje;
    };
    const Caso casos[] = {
        {{}, "falta el archivo de cálculo"},
        {{"--json"}, "falta el archivo de cálculo"},
        {{"--json", "--informe", pasa}, "--json y --informe no se pueden usar juntas"},
        {{"--informe", pasa, pasa}, "--informe admite un solo archivo"},
        {{"--desconocida", pasa}, "opción desconocida: --desconocida"},
        {{pasa, "--criterio"}, "falta el valor de la opción --criterio"},
        {{"--json=1", pasa}, "la opción --json no admite valor"},
    };
    for (const Caso& c : casos) {
        const Ejecucion e = ejecutar(c.argumentos);
        EXPECT_EQ(e.codigo, 2) << c.argumentos.join(' ').toStdString();
        EXPECT_TRUE(e.salida.isEmpty()) << c.argumentos.join(' ').toStdString();
        EXPECT_TRUE(e.errores.contains(c.mensaje)) << e.errores.toStdString();
        EXPECT_TRUE(e.errores.contains("--help")) << e.errores.toStdString();
    }

    const Ejecucion ayuda = ejecutar({"--help"});
    EXPECT_EQ(ayuda.codigo, 0);
    EXPECT_TRUE(ayuda.salida.contains("Códigos de salida"));
    EXPECT_TRUE(ayuda.salida.contains("--criterio"));
    EXPECT_TRUE(ayuda.errores.isEmpty());
}

// Names that are not UTF-8 cannot pass through QProcess: the program is started with argv's
// bytes as they are.
Ejecucion ejecutarConBytes(const std::vector<QByteArray>& argumentos, const QString& carpeta) {
    std::vector<char*> argv{const_cast<char*>(COLVERO_CHECK)};
    for (const QByteArray& a : argumentos) {
        argv.push_back(const_cast<char*>(a.constData()));
    }
    argv.push_back(nullptr);
    const QByteArray salida = QFile::encodeName(carpeta + "/salida.txt");
    const QByteArray errores = QFile::encodeName(carpeta + "/errores.txt");
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(&acciones, 1, salida.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&acciones, 2, errores.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> entorno{const_cast<char*>("LC_ALL=C"), nullptr};
    pid_t pid = 0;
    Ejecucion e;
    if (posix_spawn(&pid, COLVERO_CHECK, &acciones, nullptr, argv.data(), entorno.data()) == 0) {
        int estado = 0;
        waitpid(pid, &estado, 0);
        e.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    }
    posix_spawn_file_actions_destroy(&acciones);
    QFile s(QFile::decodeName(salida));
    QFile r(QFile::decodeName(errores));
    if (s.open(QIODevice::ReadOnly)) {
        e.salida = s.readAll();
    }
    if (r.open(QIODevice::ReadOnly)) {
        e.errores = r.readAll();
    }
    return e;
}

// A calculation, a criterion and a diameter series whose names are not UTF-8 are opened by
// their bytes; messages and "archivo" show the name with each invalid byte as U+FFFD.
TEST_F(ColveroCheck, NombresQueNoSonUtf8SeAbrenPorSusBytes) {
    const QByteArray carpeta = QFile::encodeName(dir_.path());
    const QByteArray caso = carpeta + "/caso-\xff\xe1.caVek";
    const QByteArray criterio = carpeta + "/estricto-\xfe.CrVek";
    const QByteArray ausente = carpeta + "/ausente-\xff.caVek";
    const QByteArray serie = carpeta + "/serie-\xfd.txt";
    const QByteArray red = carpeta + "/red-\xfc.csv";
    const QByteArray resultados = carpeta + "/resultados-\xfb.csv";
    {
        QFile t(QString::fromUtf8(carpeta) + "/red.csv");
        ASSERT_TRUE(t.open(QIODevice::WriteOnly));
        t.write("tramo,D,n,i,Q\nT1,1.0,0.013,0.005,0.3\n");
        t.close();
        ASSERT_EQ(::rename(QFile::encodeName(t.fileName()).constData(), red.constData()), 0);
        QFile f(QString::fromUtf8(carpeta) + "/serie.txt");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("DN 1000;1.0\nDN 1200;1.2\n");
        f.close();
        ASSERT_EQ(::rename(QFile::encodeName(f.fileName()).constData(), serie.constData()), 0);
        const QString pasa = calculo("pasa.caVek", kPasa);
        ASSERT_EQ(::rename(QFile::encodeName(pasa).constData(), caso.constData()), 0);
        const QString estricto = criterioEstricto();
        ASSERT_EQ(::rename(QFile::encodeName(estricto).constData(), criterio.constData()), 0);
    }
    const QString visible = QString::fromUtf8(caso);
    ASSERT_TRUE(visible.contains(QChar::ReplacementCharacter));

    struct Caso {
        const char* nombre;
        std::vector<QByteArray> argumentos;
        int codigo;
        QByteArray salida; // a piece the output must hold
    };
    const Caso casos[] = {
        {"resumen", {caso}, 0, ("Archivo: " + visible + "\nEstado: CÁLCULO REALIZADO").toUtf8()},
        {"json", {"--json", caso}, 0, "\"estado\":\"CÁLCULO REALIZADO\""},
        {"criterio", {"--json", "--criterio", criterio, caso}, 1, "(2)  [NO]  V2 > Vmax"},
        {"criterio tras =", {"--criterio=" + criterio, caso}, 1, "(2)  [NO]  V2 > Vmax"},
        {"informe", {"--informe", caso}, 0, "Colector de prueba"},
        {"tras --", {"--json", "--", caso}, 0, "\"estado\":\"CÁLCULO REALIZADO\""},
        {"serie", {"--json", "--diametros", serie, caso}, 0, "\"menor_que_cumple\":\"DN 1000\""},
        {"red",
         {"--red", red, "--criterio", criterio, "--serie", serie, "--salida", resultados},
         1,
         "Tramos: 1; cumplen 0, no cumplen 1"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        const Ejecucion e = ejecutarConBytes(c.argumentos, dir_.path());
        EXPECT_EQ(e.codigo, c.codigo) << e.errores.toStdString();
        EXPECT_TRUE(e.errores.isEmpty()) << e.errores.toStdString();
        EXPECT_TRUE(e.salida.contains(c.salida)) << e.salida.toStdString();
        if (c.argumentos.front() == "--json") {
            EXPECT_EQ(objetos(e.salida).at(0)["archivo"].toString(), visible);
        }
    }
    EXPECT_EQ(::access(resultados.constData(), F_OK), 0); // the table of results, by its bytes

    const Ejecucion e = ejecutarConBytes({"--json", ausente}, dir_.path());
    EXPECT_EQ(e.codigo, 2);
    EXPECT_EQ(objetos(e.salida).at(0)["error"].toString(),
              "El archivo «" + QString::fromUtf8(ausente) + "» no existe.");
}

// A full disk must not pass for a clean check.
TEST_F(ColveroCheck, SalidaQueNoSePuedeEscribirDaDos) {
    const QString pasa = calculo("pasa.caVek", kPasa);
    for (const QStringList& args : {QStringList{"--informe", pasa}, QStringList{"--json", pasa}}) {
        QProcess p;
        p.setStandardOutputFile("/dev/full");
        p.start(COLVERO_CHECK, args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("no se ha podido escribir"));
    }
}

// The shipped samples: one passing case, one with failures, and a stricter criterion.
TEST_F(ColveroCheck, EjemplosDelProyecto) {
    const QString dir = COLVERO_EJEMPLOS;
    EXPECT_EQ(ejecutar({dir + "/colector-1m.caVek"}).codigo, 0);
    EXPECT_EQ(ejecutar({dir + "/colector-1m-punta.caVek"}).codigo, 1);
    const Ejecucion e = ejecutar(
        {"--json", "--criterio", dir + "/criterio-estricto.CrVek", dir + "/colector-1m.caVek"});
    EXPECT_EQ(e.codigo, 1);
    const auto o = objetos(e.salida).at(0);
    EXPECT_EQ(o["estado"].toString(), "CÁLCULO REALIZADO");
    EXPECT_EQ(veredictos(o)[1], "(2)  [NO]  V2 > Vmax");
}

// The hand-written writers must give the bytes that QJsonDocument and QString gave for any
// text, including bytes that are not UTF-8 (Qt turns them into U+FFFD).
TEST(EscrituraComoQt, JsonYResumen) {
    struct Caso {
        const char* nombre;
        QByteArray texto;
    };
    const Caso casos[] = {
        {"ASCII", "Qll > Q1"},
        {"comillas y barra inversa", "\"a\" \\ b\\"},
        {"controles", QByteArray("\x01\b\t\n\x0b\x0c\r\x1f\x7f", 9)},
        {"nulo en medio", QByteArray("a\0b", 3)},
        {"latinos y euro", "Diámetro ñ €"},
        {"fuera del plano básico", "\xf0\x9f\x98\x80 tubo"},
        {"no carácter", "\xef\xbf\xbe \xef\xb7\x90"},
        {"byte suelto", "a\xff b\x80"},
        {"secuencia cortada", "c\xc3"},
        {"secuencia larga de más", "\xc0\x80 \xe0\x80\x80"},
        {"sustituto", "\xed\xa0\x80"},
        {"más allá de U+10FFFF", "\xf4\x90\x80\x80 \xf5\x80"},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        const QString qt = QString::fromUtf8(caso.texto);
        colvero::cli::Comprobacion c;
        c.archivo = QString::fromUtf8("ruta \"ñ\".caVek");
        c.error = caso.texto.toStdString();
        std::string json;
        colvero::cli::anadirJson(c, json);
        const QJsonObject o{{"archivo", c.archivo}, {"error", qt}};
        EXPECT_EQ(json, QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString());
        std::string resumen;
        colvero::cli::anadirResumen(c, resumen);
        EXPECT_EQ(resumen,
                  ("Archivo: " + c.archivo + "\nError: " + qt + "\n").toUtf8().toStdString());

        // A verdict pads to 34 UTF-16 units before its value.
        colvero::cli::Comprobacion r;
        r.archivo = "a.caVek";
        r.resultado.fin = colvero::FinCalculo::Realizado;
        r.resultado.notas[0] = caso.texto.toStdString();
        r.resultado.campos.Text37 = "1,5";
        resumen.clear();
        colvero::cli::anadirResumen(r, resumen);
        const QByteArray linea = ("  " + qt.leftJustified(34) + "Qll (m3/s) = 1,5\n").toUtf8();
        EXPECT_NE(resumen.find(linea.toStdString()), std::string::npos) << resumen;
    }
}

} // namespace
