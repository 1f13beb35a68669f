// Runs the built colvero-check --red on tables written to a temporary folder.
#include "check/calculo.h"
#include "check/textos_pendientes.h"
#include "ejecutar.h"
#include "files/archivos.h"
#include "files/red.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace colvero {
namespace {

const QString kEjemplos = QStringLiteral(COLVERO_EJEMPLOS);

using prueba::Ejecucion;
using prueba::ejecutar;
using prueba::escribir;
using prueba::objetos;

// Reaches whose outcomes are out of the ordinary, besides the example network: Manning number
// out of range, a slope of 0, a flow of 0 ([ERROR]), a flow between the full-section flow and
// the largest one (two normal depths), and a flow above the largest (capacity).
const QByteArray kRaros = "tramo,D,n,i,Q,Q2,Q4\n"
                          "n-grande,1,0.5,0.01,1,,\n"
                          "sin-pendiente,1,0.013,0,1,,\n"
                          "caudal-nulo,1,0.013,0.01,1,0,\n"
                          "dos-calados,1,0.013,0.01,1,2.5,2.55\n"
                          "sin-capacidad,1,0.013,0.01,1,5,\n"
                          "exponente,1e0,1.3E-2,1e-2,0.5,,\n";

struct Caso {
    const char* nombre;
    QString tabla; // empty: kRaros
    const char* locale;
};

class RedComoCalculos : public ::testing::TestWithParam<Caso> {};

// Every row gives, to the byte, the verdicts and values of the same reach saved as a
// calculation file and checked by itself.
TEST_P(RedComoCalculos, MismosVeredictosYValores) {
    QTemporaryDir dir;
    const QString tabla =
        GetParam().tabla.isEmpty() ? escribir(dir, "raros.csv", kRaros) : GetParam().tabla;
    const QString criterio = kEjemplos + "/criterio-red.CrVek";
    const Ejecucion red = ejecutar({"--red", tabla, "--criterio", criterio, "--json",
                                    "--sin-pendientes", "--locale", GetParam().locale});
    ASSERT_LE(red.codigo, 2);
    const std::vector<QJsonObject> registros = objetos(red.salida);

    // The rows as calculation files, written with the reader's own cells.
    LectorRed lector(QFile::encodeName(tabla));
    const CabeceraRed& c = lector.cabecera();
    const Criterio cr = leerCriterio(QFile::encodeName(criterio), '.');
    QStringList calculos{"--json", "--locale", "C"};
    const auto celda = [&](const FilaRed& f, ColumnaRed col) {
        const int k = c.columna(col);
        std::string s = k < 0 ? std::string() : f.celdas[static_cast<size_t>(k)];
        std::replace(s.begin(), s.end(), c.dialecto.decimal, '.');
        return s;
    };
    for (FilaRed f; lector.siguiente(f);) {
        Calculo calc;
        calc.criterio = cr;
        calc.colector = {celda(f, ColumnaRed::D), celda(f, ColumnaRed::n), celda(f, ColumnaRed::i)};
        for (int k = 0; k < 7; ++k) {
            const std::string qk =
                celda(f, static_cast<ColumnaRed>(static_cast<int>(ColumnaRed::Q1) + k));
            calc.caudal[static_cast<size_t>(k)] = qk.empty() ? celda(f, ColumnaRed::Q) : qk;
        }
        const QString ruta = dir.filePath(QStringLiteral("fila-%1.caVek").arg(f.numero));
        guardarCalculo(QFile::encodeName(ruta), calc, '.');
        calculos << ruta;
    }
    calculos[2] = GetParam().locale;
    const std::vector<QJsonObject> porArchivo = objetos(ejecutar(calculos).salida);
    ASSERT_EQ(registros.size(), porArchivo.size());
    ASSERT_FALSE(registros.empty());
    for (size_t k = 0; k < registros.size(); ++k) {
        SCOPED_TRACE(registros[k]["tramo"].toString().toStdString());
        for (const char* clave : {"colector", "condiciones", "estado", "campo_erroneo"})
            EXPECT_EQ(registros[k][clave], porArchivo[k][clave]) << clave;
        EXPECT_EQ(registros[k]["fila"].toInt(), static_cast<int>(k) + 2);
    }
    if (GetParam().tabla.isEmpty()) {
        EXPECT_EQ(registros[3]["dos_calados"].toArray(), (QJsonArray{2, 4}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tablas, RedComoCalculos,
    ::testing::Values(Caso{"PuntoYComaEs", kEjemplos + "/red-ejemplo-punto-y-coma.csv", "es_ES"},
                      Caso{"PuntoYComaC", kEjemplos + "/red-ejemplo-punto-y-coma.csv", "C"},
                      Caso{"ComaEs", kEjemplos + "/red-ejemplo-coma.csv", "es_ES"},
                      Caso{"RarosC", QString(), "C"}, Caso{"RarosEs", QString(), "es_ES"}),
    [](const auto& info) { return std::string(info.param.nombre); });

// Both dialects of the example hold the same network: the same records, slopes included.
TEST(Red, LosDosDialectosDanLoMismo) {
    const QString criterio = kEjemplos + "/criterio-red.CrVek";
    const auto correr = [&](const char* tabla) {
        const Ejecucion e =
            ejecutar({"--red", kEjemplos + "/" + tabla, "--criterio", criterio, "--json"});
        EXPECT_EQ(e.codigo, 1) << e.errores.toStdString();
        std::vector<QJsonObject> o = objetos(e.salida);
        for (QJsonObject& r : o)
            r.remove("archivo");
        return o;
    };
    const std::vector<QJsonObject> pc = correr("red-ejemplo-punto-y-coma.csv");
    EXPECT_EQ(pc.size(), 50u);
    EXPECT_EQ(pc, correr("red-ejemplo-coma.csv"));
    EXPECT_FALSE(pc[0]["pendientes"].toArray().isEmpty());
    EXPECT_FALSE(pc[0].contains("menor_que_cumple"));
}

// With a series, each reach names the smallest pipe that passes at its slope, or null.
TEST(Red, MenorTuboQueCumple) {
    QTemporaryDir dir;
    escribir(dir, "serie.txt", "DN 300;0,3\nDN 500;0,5\nDN 800;0,8\n");
    const QString tabla = escribir(dir, "red.csv",
                                   "tramo,D,n,i,Q,Q3,serie\n"
                                   "grande,1.2,0.013,0.005,0.12,0.02,\n"
                                   "imposible,0.3,0.013,0.005,9,0.02,\n");
    const Ejecucion e =
        ejecutar({"--red", tabla, "--criterio", kEjemplos + "/criterio-red.CrVek", "--json",
                  "--sin-pendientes", "--serie", dir.filePath("serie.txt")});
    const std::vector<QJsonObject> o = objetos(e.salida);
    ASSERT_EQ(o.size(), 2u) << e.errores.toStdString();
    EXPECT_EQ(o[0]["menor_que_cumple"].toString(), "DN 500");
    EXPECT_TRUE(o[1]["menor_que_cumple"].isNull());
    EXPECT_FALSE(o[0].contains("pendientes"));
}

// Each bad row gets its own message with the row and the column; the good rows around it are
// checked.
TEST(Red, FilasMalasNoParanLaRed) {
    QTemporaryDir dir;
    escribir(dir, "malo.CrVek", "no es un criterio");
    const QString tabla = escribir(dir, "red.csv",
                                   "tramo;D;n;i;Q;Q4;criterio;notas\r\n"
                                   "A;1;0,013;0,01;1;;;\r\n"
                                   "B;1;0,013;0,0O5;1;;;\r\n"
                                   "C;;0,013;0,01;1;;;\r\n"
                                   "D;1;0,013;0,01;;;;\r\n"
                                   ";1;0,013;0,01;1;;;\r\n"
                                   "F;1;0,013;0,01;1;;\r\n"
                                   "G;1;0,013;0,01;1;;no-existe.CrVek;\r\n"
                                   "H;1;0,013;0,01;1;;malo.CrVek;\r\n"
                                   "I;1;0,013;0,01;1;0.5;;\r\n"
                                   "J;1;0,013;0,01;1;;;\r\n");
    const Ejecucion e = ejecutar({"--red", tabla, "--json", "--sin-pendientes", "--criterio",
                                  kEjemplos + "/criterio-red.CrVek"});
    EXPECT_EQ(e.codigo, 2);
    const std::vector<QJsonObject> o = objetos(e.salida);
    ASSERT_EQ(o.size(), 10u);
    const std::vector<std::pair<int, std::string>> errores{
        {3, "fila 3, columna i: «0,0O5» no es un número"},
        {4, "fila 4, columna D: la celda está vacía"},
        {5, "fila 5, columna Q: la celda está vacía"},
        {6, "fila 6, columna tramo: la celda está vacía"},
        {7, "fila 7: tiene 7 campos y la cabecera 8"},
        {8, "fila 8, columna criterio: El archivo «" +
                dir.filePath("no-existe.CrVek").toStdString() + "» no existe."},
        {10, "fila 10, columna Q4: «0.5» no es un número"},
    };
    for (const auto& [fila, mensaje] : errores) {
        const QJsonObject& r = o[static_cast<size_t>(fila - 2)];
        EXPECT_EQ(r["fila"].toInt(), fila);
        EXPECT_EQ(r["error"].toString().toStdString(), mensaje);
        EXPECT_FALSE(r.contains("condiciones"));
    }
    EXPECT_TRUE(o[7]["error"].toString().startsWith("fila 9, columna criterio: "))
        << o[7]["error"].toString().toStdString();
    EXPECT_EQ(o[0]["tramo"].toString(), "A");
    EXPECT_TRUE(o[0].contains("condiciones"));
    EXPECT_TRUE(o[9].contains("condiciones"));

    // The summary lists the same messages, one a line.
    const Ejecucion resumen = ejecutar(
        {"--red", tabla, "--sin-pendientes", "--criterio", kEjemplos + "/criterio-red.CrVek"});
    for (const auto& [fila, mensaje] : errores)
        EXPECT_TRUE(resumen.salida.contains(QByteArray::fromStdString(mensaje + "\n"))) << mensaje;
    EXPECT_TRUE(resumen.salida.contains("no se han podido comprobar 8\n"))
        << resumen.salida.toStdString();
}

TEST(Red, CodigosDeSalida) {
    QTemporaryDir dir;
    const QString criterio = kEjemplos + "/criterio-red.CrVek";
    const QString pasa =
        escribir(dir, "pasa.csv", "tramo,D,n,i,Q,Q3\nA,0.5,0.013,0.005,0.12,0.02\n");
    const QString falla =
        escribir(dir, "falla.csv", "tramo,D,n,i,Q,Q3\nA,0.5,0.013,0.005,0.12,0.002\n");
    const QString sinQ3 = escribir(dir, "sinq3.csv", "tramo,D,n,i,Q2\nA,0.5,0.013,0.005,0.12\n");
    EXPECT_EQ(ejecutar({"--red", pasa, "--criterio", criterio}).codigo, 0);
    EXPECT_EQ(ejecutar({"--red", falla, "--criterio", criterio}).codigo, 1);
    const Ejecucion e = ejecutar({"--red", sinQ3, "--criterio", criterio});
    EXPECT_EQ(e.codigo, 2);
    EXPECT_EQ(e.salida, "");
    EXPECT_EQ(e.errores.toStdString(), "colvero-check: La tabla «" + sinQ3.toStdString() +
                                           "» no es válida: falta la columna Q o Q1, que necesita "
                                           "la condición (1).\n");
    EXPECT_EQ(ejecutar({"--red", pasa, "--criterio", criterio, "--plantilla", criterio}).codigo, 2);
    EXPECT_EQ(ejecutar({"--red", pasa, "otro.caVek"}).codigo, 2);
    // Without a criterion nothing is checked: the window's initial limits are all 0, and every
    // reach would come out "[ERROR]".
    const Ejecucion sinCriterio = ejecutar({"--red", pasa});
    EXPECT_EQ(sinCriterio.codigo, 2);
    EXPECT_EQ(sinCriterio.salida, "");
    EXPECT_TRUE(sinCriterio.errores.contains("falta el criterio de los tramos"));
}

// Without a criterion for the whole network, each row names its own: a row that leaves its
// cell empty is that row's error, not a check against the window's zero limits.
TEST(Red, SinCriterioGeneralCadaFilaDaElSuyo) {
    QTemporaryDir dir;
    Criterio c;
    c.activa.fill(false);
    c.activa[1] = true;
    c.Vmax = "100";
    guardarCriterio(QFile::encodeName(dir.filePath(QStringLiteral("c.CrVek"))), c, '.');
    const Ejecucion e = ejecutar({"--red",
                                  escribir(dir, "red.csv",
                                           "tramo;D;n;i;Q;criterio\r\n"
                                           "propio;1;0,013;0,01;1;c.CrVek\r\n"
                                           "sin;1;0,013;0,01;1;\r\n"),
                                  "--sin-pendientes", "--json"});
    EXPECT_EQ(e.codigo, 2) << e.errores.toStdString();
    const std::vector<QJsonObject> o = objetos(e.salida);
    ASSERT_EQ(o.size(), 2u) << e.errores.toStdString();
    EXPECT_EQ(o[0]["condiciones"].toArray()[1].toObject()["veredicto"].toString(),
              QStringLiteral("(2)  [SI]  V2 < Vmax"));
    EXPECT_TRUE(o[1]["error"].toString().contains(
        QStringLiteral("la celda está vacía y no se ha dado un criterio para toda la red")))
        << QJsonDocument(o[1]).toJson().toStdString();
}

// A template's criterion is the one used.
TEST(Red, PlantillaAportaSuCriterio) {
    QTemporaryDir dir;
    Calculo plantilla;
    plantilla.criterio = leerCriterio(QFile::encodeName(kEjemplos + "/criterio-red.CrVek"), '.');
    plantilla.colector.D = "7";
    const QString ruta = dir.filePath("plantilla.caVek");
    guardarCalculo(QFile::encodeName(ruta), plantilla, '.');
    const QString tabla = kEjemplos + "/red-ejemplo-coma.csv";
    const Ejecucion conPlantilla = ejecutar({"--red", tabla, "--plantilla", ruta, "--json"});
    const Ejecucion conCriterio =
        ejecutar({"--red", tabla, "--criterio", kEjemplos + "/criterio-red.CrVek", "--json"});
    EXPECT_EQ(conPlantilla.codigo, 1);
    EXPECT_EQ(conPlantilla.salida, conCriterio.salida);
}

// Many rows on every core come out in the order of the table, and the output table reads back
// with the input's cells, dialect and one row per reach.
TEST(Red, OrdenYTablaDeResultados) {
    QTemporaryDir dir;
    QByteArray t = "tramo;D;n;i;Q;Q3;nota\r\n";
    const int filas = 3000;
    for (int k = 0; k < filas; ++k)
        t += QStringLiteral("T%1;%2;0,013;0,%3;%4;0,02;\"x;%1\"\r\n")
                 .arg(k)
                 .arg(k % 2 ? "0,5" : "0,8")
                 .arg(k % 7 + 1, 3, 10, QLatin1Char('0'))
                 .arg(k % 5 ? "0,12" : "0,9")
                 .toUtf8();
    const QString tabla = escribir(dir, "red.csv", t);
    const QString salida = dir.filePath("resultados.csv");
    const Ejecucion e =
        ejecutar({"--red", tabla, "--criterio", kEjemplos + "/criterio-red.CrVek", "--json",
                  "--salida", salida, "--locale", "C", "--sin-pendientes"});
    EXPECT_LE(e.codigo, 1) << e.errores.toStdString();
    const std::vector<QJsonObject> o = objetos(e.salida);
    ASSERT_EQ(o.size(), static_cast<size_t>(filas));
    for (int k = 0; k < filas; ++k) {
        ASSERT_EQ(o[static_cast<size_t>(k)]["fila"].toInt(), k + 2);
        ASSERT_EQ(o[static_cast<size_t>(k)]["tramo"].toString(), QStringLiteral("T%1").arg(k));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2); // no temporary left

    LectorRed leida(QFile::encodeName(salida));
    const CabeceraRed& c = leida.cabecera();
    EXPECT_EQ(c.dialecto.campos, ';');
    EXPECT_EQ(c.codificacion, CodificacionRed::Utf8ConMarca);
    EXPECT_EQ(c.filas, filas);
    EXPECT_EQ(c.nombres[6], "nota");
    EXPECT_EQ(c.nombres[7], "estado");
    EXPECT_EQ(c.nombres[8], "(1) veredicto");
    EXPECT_EQ(c.nombres.back(), "dos calados");
    int k = 0;
    for (FilaRed f; leida.siguiente(f); ++k) {
        ASSERT_TRUE(f.error.empty()) << f.numero;
        const QJsonObject& r = o[static_cast<size_t>(k)];
        EXPECT_EQ(f.celdas[0], r["tramo"].toString().toStdString());
        EXPECT_EQ(f.celdas[6], "x;" + std::to_string(k));
        EXPECT_EQ(f.celdas[7], r["estado"].toString().toStdString());
        const QJsonObject c1 = r["condiciones"].toArray()[0].toObject();
        EXPECT_EQ(f.celdas[8], c1["veredicto"].toString().toStdString());
        // The values in the table's decimal comma, the JSON in the locale's point.
        std::string qll = c1["valores"].toArray()[0].toString().toStdString();
        std::replace(qll.begin(), qll.end(), '.', ',');
        EXPECT_EQ(f.celdas[9], qll);
    }
    EXPECT_EQ(k, filas);
}

// The slope cell of a comma table: its numbers take the decimal comma, the numbers inside the
// reason when no slope passes too, as a comma locale writes that sentence; its full stop stays.
TEST(Red, CeldaDePendientesEnUnaTablaConComa) {
    QTemporaryDir dir;
    const QString tabla = escribir(dir, "red.csv",
                                   "tramo;D;n;i;Q\r\n"
                                   "bien;0,8;0,013;0,005;0,3\r\n"
                                   "imposible;0,3;0,013;0,005;30\r\n");
    const QString salida = dir.filePath("resultados.csv");
    const Ejecucion e = ejecutar({"--red", tabla, "--criterio", kEjemplos + "/criterio-red.CrVek",
                                  "--json", "--salida", salida, "--locale", "C"});
    const std::vector<QJsonObject> o = objetos(e.salida);
    ASSERT_EQ(o.size(), 2u) << e.errores.toStdString();
    LectorRed leida(QFile::encodeName(salida));
    FilaRed f;
    ASSERT_TRUE(leida.siguiente(f));
    const std::string bien = f.celdas.back();
    const std::string minima = o[0]["pendientes"]
                                   .toArray()[0]
                                   .toObject()["minima"]
                                   .toObject()["valor"]
                                   .toString()
                                   .toStdString();
    ASSERT_NE(minima.find('.'), std::string::npos);
    std::string conComa = minima;
    std::replace(conComa.begin(), conComa.end(), '.', ',');
    EXPECT_NE(bien.find(conComa), std::string::npos) << bien;
    EXPECT_EQ(bien.find('.'), std::string::npos) << bien;
    ASSERT_TRUE(leida.siguiente(f));
    const Ejecucion es = ejecutar({"--red", tabla, "--criterio", kEjemplos + "/criterio-red.CrVek",
                                   "--json", "--locale", "es_ES"});
    const std::vector<QJsonObject> oEs = objetos(es.salida);
    ASSERT_EQ(oEs.size(), 2u) << es.errores.toStdString();
    const std::string motivo = oEs[1]["motivo_pendientes"].toString().toStdString();
    ASSERT_NE(motivo.find("0,0000001"), std::string::npos) << motivo;
    EXPECT_EQ(f.celdas.back(), "ninguna (" + motivo + ")");
}

// The summary words the two-depth warning as the single-file check does, and counts the reach.
TEST(Red, AvisoDeDosCaladosConLaRedaccionComun) {
    QTemporaryDir dir;
    // Q = 1.75 m3/s lies between Qll (1.695) and Qmax (1.824) at this slope.
    const QString tabla = escribir(dir, "red.csv",
                                   "tramo,D,n,i,Q\n"
                                   "uno,1,0.013,0.005,1.75\n"
                                   "otro,1,0.013,0.005,0.5\n");
    const Ejecucion e = ejecutar(
        {"--red", tabla, "--criterio", kEjemplos + "/criterio-red.CrVek", "--sin-pendientes"});
    const std::string salida = e.salida.toStdString();
    // The example criterion enables (2) to (5) and (7); each has the flow Q.
    EXPECT_NE(salida.find("fila 2, tramo «uno»: " + avisoDosCalados({2, 3, 4, 5, 7}, false) + "\n"),
              std::string::npos)
        << salida;
    EXPECT_EQ(salida.find("tramo «otro»"), std::string::npos) << salida;
    EXPECT_NE(salida.find("Tramos con aviso de dos calados: 1\n"), std::string::npos) << salida;
}

// What a cell holds is echoed so that it can be seen: a number too large for a double is out of
// range, not a non-number, and invisible bytes are spelt out.
TEST(Red, CeldasRarasSeNombranVisibles) {
    QTemporaryDir dir;
    const QString tabla = escribir(dir, "red.csv",
                                   QByteArray("tramo;D;n;i;Q\r\n"
                                              "A;1e400;0,013;0,01;1\r\n"
                                              "B;1;0,013;-1E+999;1\r\n"
                                              "C;1;0,013;0,01;1") +
                                       QByteArray(1, '\0') +
                                       "\r\n"
                                       "D;\xEF\xBB\xBF"
                                       "1;0,013;0,01;1\r\n"
                                       "E;1;0,013;1e-400;1\r\n");
    const Ejecucion e = ejecutar(
        {"--red", tabla, "--sin-pendientes", "--criterio", kEjemplos + "/criterio-red.CrVek"});
    EXPECT_EQ(e.codigo, 2);
    for (const char* linea : {"fila 2, columna D: «1e400» está fuera de rango\n",
                              "fila 3, columna i: «-1E+999» está fuera de rango\n",
                              "fila 4, columna Q: «1\\0» no es un número\n",
                              "fila 5, columna D: «U+FEFF1» no es un número\n"})
        EXPECT_TRUE(e.salida.contains(linea)) << linea << "\n" << e.salida.toStdString();
    // A value too small for a double reads as 0, as the single-file check reads it.
    EXPECT_FALSE(e.salida.contains("fila 6, columna i")) << e.salida.toStdString();
}

// No output of a run may replace one of its inputs: refused before anything is written, the
// input left as it was, no other file made.
struct MismoArchivo {
    const char* nombre;
    const char* opcion; // the input given as --salida too
    bool enlace;        // --salida is a symbolic link to it
};

void PrintTo(const MismoArchivo& v, std::ostream* os) {
    *os << v.nombre;
}

class RedSalidaSobreEntrada : public ::testing::TestWithParam<MismoArchivo> {};

TEST_P(RedSalidaSobreEntrada, SeRechazaSinEscribir) {
    const MismoArchivo& m = GetParam();
    QTemporaryDir dir;
    const QString tabla = escribir(dir, "red.csv", "tramo;D;n;i;Q\r\nA;1;0,013;0,01;1\r\n");
    Criterio k;
    k.activa.fill(false);
    k.activa[0] = true;
    guardarCriterio(QFile::encodeName(dir.filePath("c.CrVek")), k, '.');
    Calculo plantilla;
    plantilla.criterio = k;
    guardarCalculo(QFile::encodeName(dir.filePath("p.caVek")), plantilla, '.');
    escribir(dir, "s.txt", "DN 1000;1\n");
    const QMap<QString, QString> entradas{{"red", tabla},
                                          {"criterio", dir.filePath("c.CrVek")},
                                          {"plantilla", dir.filePath("p.caVek")},
                                          {"serie", dir.filePath("s.txt")}};
    QMap<QString, QByteArray> antes;
    for (const QString& ruta : entradas) {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        antes[ruta] = f.readAll();
    }
    const QString entrada = entradas[QString::fromUtf8(m.opcion)];
    QString salida = entrada;
    if (m.enlace) {
        salida = dir.filePath("enlace.csv");
        ASSERT_TRUE(QFile::link(entrada, salida));
    }
    QStringList argumentos{"--red", tabla, "--salida", salida};
    if (QString::fromUtf8(m.opcion) == "plantilla")
        argumentos << "--plantilla" << entradas["plantilla"];
    else
        argumentos << "--criterio" << entradas["criterio"];
    if (QString::fromUtf8(m.opcion) == "serie")
        argumentos << "--serie" << entradas["serie"];
    const Ejecucion e = ejecutar(argumentos);
    EXPECT_EQ(e.codigo, 2);
    EXPECT_EQ(e.errores.toStdString(),
              "colvero-check: --salida «" + salida.toStdString() + "» es el mismo archivo que --" +
                  m.opcion + " «" + entrada.toStdString() +
                  "»: los resultados lo reemplazarían. Elija otro nombre para la salida.\n");
    EXPECT_TRUE(e.salida.isEmpty()) << e.salida.toStdString();
    for (const QString& ruta : entradas) {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), antes[ruta]) << ruta.toStdString();
    }
    QStringList esperados{"c.CrVek", "p.caVek", "red.csv", "s.txt"};
    if (m.enlace)
        esperados.insert(1, "enlace.csv");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name),
              esperados);
}

INSTANTIATE_TEST_SUITE_P(, RedSalidaSobreEntrada,
                         ::testing::Values(MismoArchivo{"LaTabla", "red", false},
                                           MismoArchivo{"ElCriterio", "criterio", false},
                                           MismoArchivo{"LaPlantilla", "plantilla", false},
                                           MismoArchivo{"LaSerie", "serie", false},
                                           MismoArchivo{"UnEnlaceALaTabla", "red", true}),
                         [](const auto& info) { return std::string(info.param.nombre); });

// A criterion named in a row is an input too: the run stops at that row and the result table
// is not written.
TEST(Red, SalidaNombradaEnUnaFila) {
    QTemporaryDir dir;
    const QString salida = escribir(dir, "r.csv", "anterior\n");
    const QString tabla = escribir(dir, "red.csv",
                                   "tramo;D;n;i;Q;criterio\r\n"
                                   "A;1;0,013;0,01;1;\r\n"
                                   "B;1;0,013;0,01;1;r.csv\r\n");
    const Ejecucion e = ejecutar({"--red", tabla, "--sin-pendientes", "--salida", salida,
                                  "--criterio", kEjemplos + "/criterio-red.CrVek"});
    EXPECT_EQ(e.codigo, 2);
    EXPECT_EQ(e.errores.toStdString(),
              "colvero-check: fila 3, columna criterio: «" + salida.toStdString() +
                  "» es el mismo archivo que la tabla de resultados, que lo reemplazaría. Elija "
                  "otro nombre para la salida.\n");
    QFile f(salida);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "anterior\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"r.csv", "red.csv"}));
}

// More criterion files than the run keeps read: each row still runs with its own, read again
// when it was dropped. Even files hold a criterion every reach passes, odd ones one that
// none passes; rows name them out of order, each file twice.
TEST(Red, MuchosCriteriosPorFila) {
    QTemporaryDir dir;
    constexpr int kArchivos = 700;
    for (int k = 0; k < kArchivos; ++k) {
        Criterio c;
        c.activa.fill(false);
        c.activa[1] = true;
        c.Vmax = k % 2 == 0 ? "100" : "0.001";
        guardarCriterio(QFile::encodeName(dir.filePath(QStringLiteral("c%1.CrVek").arg(k))), c,
                        '.');
    }
    QByteArray tabla = "tramo;D;n;i;Q;criterio\r\n";
    std::vector<int> archivoDeFila;
    for (int vuelta = 0; vuelta < 2; ++vuelta) {
        for (int j = 0; j < kArchivos; ++j) {
            const int k = vuelta == 0 ? j : (j * 263) % kArchivos; // 263 is prime to 700
            archivoDeFila.push_back(k);
            tabla += QStringLiteral("t%1;1;0,013;0,01;1;c%2.CrVek\r\n")
                         .arg(archivoDeFila.size())
                         .arg(k)
                         .toUtf8();
        }
    }
    const Ejecucion e =
        ejecutar({"--red", escribir(dir, "red.csv", tabla), "--sin-pendientes", "--json"});
    EXPECT_EQ(e.codigo, 1);
    const std::vector<QJsonObject> o = objetos(e.salida);
    ASSERT_EQ(o.size(), archivoDeFila.size());
    for (size_t r = 0; r < o.size(); ++r) {
        const QJsonArray condiciones = o[r]["condiciones"].toArray();
        ASSERT_GE(condiciones.size(), 2) << r;
        const QString veredicto = condiciones[1].toObject()["veredicto"].toString();
        EXPECT_EQ(veredicto.contains("[SI]"), archivoDeFila[r] % 2 == 0)
            << "fila " << r + 2 << ": " << veredicto.toStdString();
    }
}

} // namespace
} // namespace colvero
