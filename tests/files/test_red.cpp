#include "files/red.h"

#include "files/archivos.h"
#include "files/escritura.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace colvero {
namespace {

QByteArray escribir(const QTemporaryDir& dir, const char* nombre, const std::string& bytes) {
    const QByteArray ruta = QFile::encodeName(dir.filePath(QString::fromUtf8(nombre)));
    std::ofstream(ruta.constData(), std::ios::binary) << bytes;
    return ruta;
}

std::string contenido(const QByteArray& ruta) {
    std::ifstream f(ruta.constData(), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<FilaRed> todas(LectorRed& lector) {
    std::vector<FilaRed> filas;
    for (FilaRed f; lector.siguiente(f);)
        filas.push_back(f);
    return filas;
}

// The same two reaches in every dialect and encoding a spreadsheet saves.
struct Variante {
    const char* nombre;
    std::string bytes;
    char campos;
    char decimal;
    CodificacionRed codificacion;
};

std::string aWindows1252(std::string s) {
    for (const auto& [utf8, w] :
         {std::pair{"í", "\xED"}, {"ñ", "\xF1"}, {"Í", "\xCD"}, {"ó", "\xF3"}})
        for (size_t p; (p = s.find(utf8)) != std::string::npos;)
            s.replace(p, std::string(utf8).size(), w);
    return s;
}

class DialectosRed : public ::testing::TestWithParam<Variante> {};

TEST_P(DialectosRed, LeeCabeceraYCeldas) {
    const Variante& v = GetParam();
    QTemporaryDir dir;
    LectorRed lector(escribir(dir, "red.csv", v.bytes));
    const CabeceraRed& c = lector.cabecera();
    EXPECT_EQ(c.dialecto.campos, v.campos);
    EXPECT_EQ(c.dialecto.decimal, v.decimal);
    EXPECT_EQ(c.codificacion, v.codificacion);
    EXPECT_EQ(c.filas, 2);
    ASSERT_EQ(c.nombres.size(), 7u);
    EXPECT_EQ(c.nombres[6], "Observación");
    EXPECT_EQ(c.columna(ColumnaRed::Tramo), 0);
    EXPECT_EQ(c.columna(ColumnaRed::D), 1);
    EXPECT_EQ(c.columna(ColumnaRed::n), 2);
    EXPECT_EQ(c.columna(ColumnaRed::i), 3);
    EXPECT_EQ(c.columna(ColumnaRed::Q), 4);
    EXPECT_EQ(c.columna(ColumnaRed::Q3), 5);
    EXPECT_EQ(c.columna(ColumnaRed::Nombre), -1);
    const std::vector<FilaRed> filas = todas(lector);
    ASSERT_EQ(filas.size(), 2u);
    EXPECT_EQ(filas[0].numero, 2);
    EXPECT_EQ(filas[1].numero, 4); // the blank row is counted, as a spreadsheet shows it
    const std::string d = std::string("0") + v.decimal + "5";
    EXPECT_EQ(filas[0].celdas,
              (std::vector<std::string>{"Pozo 1-2", d, "0" + std::string(1, v.decimal) + "013",
                                        "0" + std::string(1, v.decimal) + "005",
                                        "0" + std::string(1, v.decimal) + "1", "",
                                        "Zanja \"vía\"; año 1990\nreparado"}));
    EXPECT_EQ(filas[1].celdas[0], "Pozo 2-3");
    EXPECT_EQ(filas[1].celdas[6], "Niño");
    EXPECT_TRUE(filas[0].error.empty());
}

Variante variante(const char* nombre, char campos, char decimal, const char* prefijo, bool w1252,
                  const char* fin, CodificacionRed cod) {
    const std::string s(1, campos);
    const std::string dec(1, decimal);
    std::string t = std::string("TRAMO") + s + "d" + s + "N" + s + "Í" + s + "q" + s + "Q3" + s +
                    "Observación" + fin;
    t += "Pozo 1-2" + s + "0" + dec + "5" + s + "0" + dec + "013" + s + "0" + dec + "005" + s +
         "0" + dec + "1" + s + s + "\"Zanja \"\"vía\"\"; año 1990\nreparado\"" + fin;
    t += std::string(s + s + s + s + s + s) + fin;
    t += "Pozo 2-3" + s + "1" + s + "0" + dec + "013" + s + "0" + dec + "01" + s + "2" + s + s +
         "Niño" + fin;
    if (w1252)
        t = aWindows1252(t);
    return {nombre, prefijo + t, campos, decimal, cod};
}

INSTANTIATE_TEST_SUITE_P(
    Variantes, DialectosRed,
    ::testing::Values(
        variante("PuntoYComaUtf8CRLF", ';', ',', "", false, "\r\n", CodificacionRed::Utf8),
        variante("PuntoYComaConMarcaLF", ';', ',', "\xEF\xBB\xBF", false, "\n",
                 CodificacionRed::Utf8ConMarca),
        variante("PuntoYComaWindows1252CRLF", ';', ',', "", true, "\r\n",
                 CodificacionRed::Windows1252),
        variante("ComaUtf8LF", ',', '.', "", false, "\n", CodificacionRed::Utf8),
        variante("ComaWindows1252CRLF", ',', '.', "", true, "\r\n", CodificacionRed::Windows1252),
        variante("ComaConMarcaCRLF", ',', '.', "\xEF\xBB\xBF", false, "\r\n",
                 CodificacionRed::Utf8ConMarca)),
    [](const auto& info) { return std::string(info.param.nombre); });

const std::string kSeLeen =
    "; se leen las columnas tramo, D (m), n, i (m/m) y Q o Q1 a Q7 (m3/s), con la unidad entre "
    "paréntesis o sin ella, y las opcionales nombre, criterio y serie)";

struct TablaMala {
    const char* nombre;
    std::string bytes;
    std::string motivo;
};

class TablasRechazadas : public ::testing::TestWithParam<TablaMala> {};

TEST_P(TablasRechazadas, AntesDeDarNingunaFila) {
    QTemporaryDir dir;
    const QByteArray ruta = escribir(dir, "red.csv", GetParam().bytes);
    try {
        LectorRed lector(ruta);
        FAIL() << "aceptada";
    } catch (const ErrorArchivo& e) {
        EXPECT_EQ(std::string(e.what()),
                  "La tabla «" + ruta.toStdString() + "» no es válida: " + GetParam().motivo + ".");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TablasRechazadas,
    ::testing::Values(
        TablaMala{"Vacia", "", "no tiene fila de cabecera"},
        TablaMala{"SinFilas", "tramo;D;n;i;Q\r\n;;;;\r\n", "no tiene filas de tramos"},
        TablaMala{"FaltaPendiente", "tramo;D;n;Q\n1;1;0,013;1\n",
                  "falta la columna i (la cabecera tiene «tramo», «D», «n», «Q»" + kSeLeen},
        TablaMala{"FaltaTramo", "D;n;i;Q\n1;0,013;0,01;1\n",
                  "falta la columna tramo (la cabecera tiene «D», «n», «i», «Q»" + kSeLeen},
        TablaMala{"SinCaudal", "tramo;D;n;i;Q (l)s\nA;1;0,013;0,01;1\n",
                  "falta la columna de caudal (Q, o Q1 a Q7) (la cabecera tiene «tramo», «D», "
                  "«n», «i», «Q (l)s»" +
                      kSeLeen},
        TablaMala{"MuchasColumnasSinDiametro",
                  "tramo;n;i;Q;a;b;c;d m;e;f;g;h;k;l\nA;0,013;0,01;1;;;;;;;;;;\n",
                  "falta la columna D (la cabecera tiene «tramo», «n», «i», «Q», «a», «b», «c», "
                  "«d m», «e», «f», «g», «h» y 2 más" +
                      kSeLeen},
        TablaMala{"DiametroEnMilimetros", "tramo;D (mm);n;i;Q\nA;300;0,013;0,01;1\n",
                  "la columna «D (mm)» está en mm, y D se lee en m: pase los valores a m y "
                  "escriba la cabecera «D (m)» o «D»"},
        TablaMala{"CaudalEnLitros", "tramo;D;n;i;Q1 [L/s]\nA;0,3;0,013;0,01;1\n",
                  "la columna «Q1 [L/s]» está en l/s, y Q1 se lee en m3/s: pase los valores a "
                  "m3/s y escriba la cabecera «Q1 (m3/s)» o «Q1»"},
        TablaMala{"PendienteEnPorCiento", "tramo;D;n;i (%);Q\nA;0,3;0,013;1;1\n",
                  "la columna «i (%)» está en %, y i se lee en m/m: pase los valores a m/m y "
                  "escriba la cabecera «i (m/m)» o «i»"},
        TablaMala{"ColumnaRepetida", "tramo;D;n;i;Q;d\nA;1;0,013;0,01;1;1\n",
                  "la columna d aparece dos veces"},
        TablaMala{"TramoRepetido",
                  "tramo;D;n;i;Q\nA;1;0,013;0,01;1\nB;1;0,013;0,01;1\n\"A \";1;0,013;0,01;1\n",
                  "el tramo «A» aparece en las filas 2 y 4"},
        TablaMala{"TramoRepetidoConTildeEnWindows1252",
                  "Tr\xE1mo;D;n;i;Q\nA;1;0,013;0,01;1\nA;1;0,013;0,01;1\n",
                  "el tramo «A» aparece en las filas 2 y 3"},
        TablaMala{"ComillasEnCabecera", "tramo;\"D;n;i;Q\n",
                  "en la cabecera unas comillas no se cierran"},
        TablaMala{"Utf16ConMarca", std::string("\xFF\xFEt\0r\0a\0m\0o\0", 12),
                  "está en UTF-16, que no se lee; guárdela como CSV en UTF-8 (en la hoja de "
                  "cálculo, «CSV UTF-8»)"},
        TablaMala{"Utf16SinMarca", std::string("\0t\0r\0a\0m\0o\0;\0D", 14),
                  "está en UTF-16, que no se lee; guárdela como CSV en UTF-8 (en la hoja de "
                  "cálculo, «CSV UTF-8»)"},
        TablaMala{"TramosQueSoloDifierenPorUnaMarcaInvisible",
                  "tramo;D;n;i;Q\nA1;1;0,013;0,01;1\n\xEF\xBB\xBF"
                  "A1;1;0,013;0,01;1\n",
                  "los tramos «A1» de la fila 2 y «U+FEFFA1» de la fila 3 solo se distinguen por "
                  "caracteres invisibles"},
        TablaMala{"TramosQueSoloDifierenPorUnNul",
                  std::string("tramo;D;n;i;Q\nA") + '\0' + "1;1;0,013;0,01;1\nA1;1;0,013;0,01;1\n",
                  "los tramos «A\\01» de la fila 2 y «A1» de la fila 3 solo se distinguen por "
                  "caracteres invisibles"},
        TablaMala{"TramosQueSoloDifierenPorUnEspacioDeAnchoCero",
                  "tramo;D;n;i;Q\nA\xE2\x80\x8B"
                  "1;1;0,013;0,01;1\nB;1;0,013;0,01;1\n"
                  "A1;1;0,013;0,01;1\n",
                  "los tramos «AU+200B1» de la fila 2 y «A1» de la fila 4 solo se distinguen por "
                  "caracteres invisibles"},
        // A stray quote in row 3 would make the rest of the table one cell.
        TablaMala{"ComillaSueltaHastaElFinal",
                  "tramo;D;n;i;Q\nA;1;0,013;0,01;1\nB;\"1;0,013;0,01;1\nC;1;0,013;0,01;1\n"
                  "D;1;0,013;0,01;1\n",
                  "las comillas abiertas en la fila 3, columna D (línea 3), no se cierran: llegan "
                  "al final del archivo, en la línea 5, y ocupan 3 líneas"},
        TablaMala{"ComillaSueltaEnTextoHastaElFinal",
                  "tramo;D;n;i;Q;nombre\r\nA;1;0,013;0,01;1;\"x\r\nB;1;0,013;0,01;1;y",
                  "las comillas abiertas en la fila 2, columna nombre (línea 2), no se cierran: "
                  "llegan al final del archivo, en la línea 3, y ocupan 2 líneas"},
        TablaMala{"NumeroEntreComillasEnVariasLineas",
                  "tramo,D,n,i,Q\nA,1,0.013,0.01,1\nB,1,\"0.013,0.01,1\nC,1,0.013,0.01,1\n"
                  "D,1,0.013,0.01,1\nE,1,0.013\",0.01,1\nF,1,0.013,0.01,1\n",
                  "las comillas abiertas en la fila 3, columna n (línea 3), se cierran en la "
                  "línea 6 y ocupan 4 líneas, pero un número no lleva saltos de línea: sobran o "
                  "faltan unas comillas"}),
    [](const auto& info) { return std::string(info.param.nombre); });

// Spreadsheets write the unit after the name; the program's own units are the same column.
TEST(CabeceraRed, NombresConLaUnidadDelPrograma) {
    QTemporaryDir dir;
    LectorRed lector(escribir(dir, "red.csv",
                              "Tramo ;D (m);n (-);I [m/m];Q1 (m³/s);q2(M3/S);Q3 ( m3 / s );"
                              "Nombre (texto);Notas (m)\nA;0,3;0,013;0,01;1;2;3;x;y\n"));
    const CabeceraRed& c = lector.cabecera();
    EXPECT_EQ(c.columna(ColumnaRed::Tramo), 0);
    EXPECT_EQ(c.columna(ColumnaRed::D), 1);
    EXPECT_EQ(c.columna(ColumnaRed::n), 2);
    EXPECT_EQ(c.columna(ColumnaRed::i), 3);
    EXPECT_EQ(c.columna(ColumnaRed::Q1), 4);
    EXPECT_EQ(c.columna(ColumnaRed::Q2), 5);
    EXPECT_EQ(c.columna(ColumnaRed::Q3), 6);
    // A text column with a unit is some other column of the user's, kept as it is.
    EXPECT_EQ(c.columna(ColumnaRed::Nombre), -1);
    EXPECT_EQ(c.nombres.at(7), "Nombre (texto)");
}

// A bad row is handed out with what is wrong, and the rows after it still read.
TEST(FilasRed, DefectosDeUnaFilaNoParanLasDemas) {
    QTemporaryDir dir;
    LectorRed lector(escribir(dir, "red.csv",
                              "tramo,D,n,i,Q\n"
                              "A,1,0.013,0.01\n"
                              "B,1,0.013,0.01,1,9\n"
                              "C,\"1\"x,0.013,0.01,1\n"
                              "D,1,0.013,0.01,1\n"
                              "E,1,0.013,0.01,1\n"));
    const std::vector<FilaRed> filas = todas(lector);
    ASSERT_EQ(filas.size(), 5u);
    EXPECT_EQ(filas[0].error, "tiene 4 campos y la cabecera 5");
    EXPECT_EQ(filas[0].celdas.size(), 5u);
    EXPECT_EQ(filas[1].error, "tiene 6 campos y la cabecera 5");
    EXPECT_EQ(filas[2].error, "hay texto tras las comillas de cierre de un campo");
    EXPECT_EQ(filas[3].numero, 5);
    EXPECT_TRUE(filas[3].error.empty());
    EXPECT_EQ(filas[4].numero, 6);
    EXPECT_EQ(filas[4].error, "");
}

// A quoted text may hold line breaks: the row counts once, the next rows go on.
TEST(FilasRed, TextoEntreComillasConSaltosDeLinea) {
    QTemporaryDir dir;
    LectorRed lector(escribir(dir, "red.csv",
                              "tramo;nombre;D;n;i;Q\r\nA;\"calle\r\nmayor\";1;0,013;0,01;1\r\n"
                              "B;x;1;0,013;0,01;1\r\n"));
    const std::vector<FilaRed> filas = todas(lector);
    ASSERT_EQ(filas.size(), 2u);
    EXPECT_EQ(filas[0].celdas[1], "calle\r\nmayor");
    EXPECT_EQ(filas[1].numero, 3);
    EXPECT_EQ(filas[1].celdas[0], "B");
}

// Old Mac files end their lines with a lone CR: the same rows as with CR LF.
TEST(FilasRed, FinesDeLineaSoloCr) {
    QTemporaryDir dir;
    LectorRed lector(
        escribir(dir, "red.csv", "tramo;D;n;i;Q\rA;1;0,013;0,01;1\r\rB;\"2\";0,013;0,01;1\r"));
    EXPECT_EQ(lector.cabecera().columna(ColumnaRed::Q), 4);
    EXPECT_EQ(lector.cabecera().filas, 2);
    const std::vector<FilaRed> filas = todas(lector);
    ASSERT_EQ(filas.size(), 2u);
    EXPECT_EQ(filas[0].celdas, (std::vector<std::string>{"A", "1", "0,013", "0,01", "1"}));
    EXPECT_EQ(filas[1].numero, 4);
    EXPECT_EQ(filas[1].celdas[1], "2");
    EXPECT_EQ(filas[1].error, "");
}

// A pipe cannot be read twice: its bytes are held and read like a file.
TEST(FilasRed, TuberiaConNombre) {
    QTemporaryDir dir;
    const QByteArray ruta = QFile::encodeName(dir.filePath("fifo"));
    ASSERT_EQ(::mkfifo(ruta.constData(), 0600), 0);
    // A reader that reads nothing keeps the written bytes in the pipe until the table opens it.
    const int espera = ::open(ruta.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(espera, 0);
    std::thread([&] {
        std::ofstream(ruta.constData(), std::ios::binary) << "tramo;D;n;i;Q\nA;1;0,013;0,01;1\n";
    }).join();
    LectorRed lector(ruta);
    ::close(espera);
    const std::vector<FilaRed> filas = todas(lector);
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0].celdas[1], "1");
}

TEST(CeldaCsv, EntrecomilladoSoloCuandoHaceFalta) {
    const DialectoRed pc{';', ','};
    const DialectoRed c{',', '.'};
    const std::array<std::tuple<std::string, DialectoRed, std::string>, 5> casos{{
        {"0,5", pc, "0,5"},
        {"0,5", c, "\"0,5\""},
        {"a;b", pc, "\"a;b\""},
        {"dijo \"sí\"", pc, "\"dijo \"\"sí\"\"\""},
        {"dos\nlíneas", c, "\"dos\nlíneas\""},
    }};
    for (const auto& [celda, dialecto, esperado] : casos) {
        std::string d;
        anadirCeldaCsv(d, celda, dialecto);
        EXPECT_EQ(d, esperado) << celda;
    }
}

// Pieces reach the target only on confirmar(); an unconfirmed write leaves it as it was and no
// temporary behind.
TEST(EscrituraAtomica, SoloAlConfirmar) {
    QTemporaryDir dir;
    const QByteArray ruta = escribir(dir, "salida.csv", "antiguo");
    {
        EscrituraAtomica e(ruta, QStringLiteral("salida.csv"));
        e.escribir("nuevo ");
        e.escribir("contenido");
    }
    EXPECT_EQ(contenido(ruta), "antiguo");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    {
        EscrituraAtomica e(ruta, QStringLiteral("salida.csv"));
        e.escribir("nuevo ");
        e.escribir("contenido");
        e.confirmar();
    }
    EXPECT_EQ(contenido(ruta), "nuevo contenido");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    const QByteArray enCarpetaQueNoExiste = QFile::encodeName(dir.filePath("no/x.csv"));
    EXPECT_THROW(EscrituraAtomica(enCarpetaQueNoExiste, QStringLiteral("x.csv")), ErrorArchivo);
}

} // namespace
} // namespace colvero
