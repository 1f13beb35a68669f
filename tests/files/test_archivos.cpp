#include "files/archivos.h"
#include "files/lectura.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace colvero;

namespace {

// A case with a different text in every field, so a value in the wrong place shows. Texts hold
// "." to prove that only numeric fields are converted.
Calculo ejemplo(char sep) {
    const auto num = [sep](std::string s) {
        for (char& c : s)
            if (c == '.')
                c = sep;
        return s;
    };
    Calculo c;
    c.titulo1 = "Colector Norte";
    c.titulo2 = "Tramo 3.1";
    c.colector = {num("0.6"), num("0.013"), num("0.005")};
    c.caudal = {num("0.11"), num("0.12"), num("0.13"), num("0.14"),
                num("0.15"), num("0.16"), num("0.17")};
    c.marcador = {"-", "n.9", "sin"};
    Criterio& k = c.criterio;
    k.activa = {true, false, true, true, false, true, false, false, true, true};
    k.denominacion = {"Punta 1.5", "Punta (2)",  "Media (3)", "Punta (4)",
                      "Media (5)", "Mínima (6)", "Máxima (7)"};
    k.Vmax = "3";
    k.Vmin = num("0.6");
    k.yDmax = "75";
    k.gammaParticula = num("2.65");
    k.gammaAgua = "1";
    k.dpMin = num("0.2");
    k.Fmin = num("0.5");
    k.Fmax = num("1.6");
    k.Imin = num("0.002");
    k.Imax = num("0.15");
    k.yD10 = "20";
    k.Vmin10 = num("0.3");
    return c;
}

const QByteArray kEjemploCalculo = "Colector Norte,Tramo 3.1,0.6,0.013,0.005\r\n"
                                   " 1 ,0.11,Punta 1.5\r\n"
                                   " 0 ,0.12,Punta (2),3\r\n"
                                   " 1 ,0.13,Media (3),0.6\r\n"
                                   " 1 ,0.14,Punta (4),75\r\n"
                                   " 0 ,0.15,Media (5),2.65,1,0.2\r\n"
                                   " 1 ,0.16,M\xEDnima (6),0.5\r\n"
                                   " 0 ,0.17,M\xE1xima (7),1.6\r\n"
                                   " 0 ,-,0.002\r\n"
                                   " 1 ,n.9,0.15\r\n"
                                   " 1 ,sin,20,0.3\r\n"
                                   "EOF\r\n";

const QByteArray kEjemploCriterio = "-,-,-,-\r\n"
                                    " 1 ,-,Punta 1.5,-\r\n"
                                    " 0 ,-,Punta (2),3,-\r\n"
                                    " 1 ,-,Media (3),0.6,-\r\n"
                                    " 1 ,-,Punta (4),75,-\r\n"
                                    " 0 ,-,Media (5),2.65,1,0.2,-\r\n"
                                    " 1 ,-,M\xEDnima (6),0.5,-\r\n"
                                    " 0 ,-,M\xE1xima (7),1.6,-\r\n"
                                    " 0 ,-,0.002,-\r\n"
                                    " 1 ,-,0.15,-\r\n"
                                    " 1 ,-,20,0.3,-\r\n"
                                    "-,-,-\r\n"
                                    "EOF\r\n";

template <class F> std::string mensajeDe(F&& f) {
    try {
        f();
    } catch (const ErrorArchivo& e) {
        return e.what();
    }
    return "(ningún error)";
}

QByteArray contenido(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return "(no se abre)";
    return f.readAll();
}

void escribirContenido(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray reemplazado(QByteArray b, const QByteArray& de, const QByteArray& a) {
    return b.replace(de, a);
}

// ---- Calculation file: writing --------------------------------------------------------------

TEST(ArchivoCalculoEscritura, InitialCaseIsWrittenAsTheTwelveLineLayout) {
    const QByteArray esperado = "T\xEDtulo 1,T\xEDtulo 2,0,0,0\r\n"
                                " 1 ,0,Denominaci\xF3n de caudal (1)\r\n"
                                " 1 ,0,Denominaci\xF3n de caudal (2),0\r\n"
                                " 1 ,0,Denominaci\xF3n de caudal (3),0\r\n"
                                " 1 ,0,Denominaci\xF3n de caudal (4),0\r\n"
                                " 1 ,0,Denominaci\xF3n de caudal (5),0,0,0\r\n"
                                " 1 ,0,Denominaci\xF3n de caudal (6),0\r\n"
                                " 1 ,0,Denominaci\xF3n de caudal (7),0\r\n"
                                " 1 ,-,0\r\n"
                                " 1 ,-,0\r\n"
                                " 1 ,-,0,0\r\n"
                                "EOF\r\n";
    EXPECT_EQ(bytesDeCalculo(Calculo{}, '.'), esperado);
}

TEST(ArchivoCalculoEscritura, EveryFieldGoesToItsPlace) {
    EXPECT_EQ(bytesDeCalculo(ejemplo('.'), '.'), kEjemploCalculo);
}

TEST(ArchivoCalculoEscritura, CommaLocaleStoresDecimalPointInNumericFieldsOnly) {
    // ejemplo(',') holds "0,013" and the like in its 22 numeric fields.
    EXPECT_EQ(bytesDeCalculo(ejemplo(','), ','), kEjemploCalculo);
}

// ---- Calculation file: reading --------------------------------------------------------------

TEST(ArchivoCalculoLectura, EveryFieldComesFromItsPlace) {
    EXPECT_EQ(calculoDeBytes(kEjemploCalculo, "caso.caVek", '.'), ejemplo('.'));
}

TEST(ArchivoCalculoLectura, CommaLocaleGetsItsSeparatorBackInNumericFieldsOnly) {
    EXPECT_EQ(calculoDeBytes(kEjemploCalculo, "caso.caVek", ','), ejemplo(','));
}

TEST(ArchivoCalculoLectura, LeadingBlanksAreDroppedTrailingBlanksAndQuotesKept) {
    QByteArray b = reemplazado(kEjemploCalculo, "Colector Norte,", " \t  \"Colector\" Norte  ,");
    b = reemplazado(b, ",0.013,", ",   0.013,");
    const Calculo c = calculoDeBytes(b, "caso.caVek", '.');
    EXPECT_EQ(c.titulo1, "\"Colector\" Norte  ");
    EXPECT_EQ(c.colector.n, "0.013");
}

TEST(ArchivoCalculoLectura, FlagsAcceptSurroundingBlanks) {
    const QByteArray b = reemplazado(kEjemploCalculo, " 0 ,0.12,", "\t0,0.12,");
    const Calculo c = calculoDeBytes(reemplazado(b, " 1 ,0.13,", "1    ,0.13,"), "c", '.');
    EXPECT_FALSE(c.criterio.activa[1]);
    EXPECT_TRUE(c.criterio.activa[2]);
}

struct Variante {
    const char* nombre;
    std::function<QByteArray(QByteArray)> transformar;
};

void PrintTo(const Variante& v, std::ostream* os) {
    *os << v.nombre;
}

class ArchivoCalculoVariantes : public testing::TestWithParam<Variante> {};

TEST_P(ArchivoCalculoVariantes, ReadsTheSameAsTheLaidOutFile) {
    const QByteArray b = GetParam().transformar(kEjemploCalculo);
    EXPECT_EQ(calculoDeBytes(b, "caso.caVek", '.'), ejemplo('.'));
}

QByteArray sinEOF(QByteArray b) {
    return b.replace("EOF\r\n", "");
}

INSTANTIATE_TEST_SUITE_P(
    , ArchivoCalculoVariantes,
    testing::Values(Variante{"SinEOF", sinEOF},
                    Variante{"SinFinDeLineaTrasElUltimoValor",
                             [](QByteArray b) { return b.replace("\r\nEOF\r\n", ""); }},
                    Variante{"LineasTrasEOF",
                             [](QByteArray b) { return b + "otra,cosa\r\n\r\n,,,\r\nx"; }},
                    Variante{"TodoEnUnaLinea",
                             [](QByteArray b) { return sinEOF(b).replace("\r\n", ",") + "\r\n"; }},
                    Variante{"SoloLF", [](QByteArray b) { return b.replace("\r\n", "\n"); }},
                    Variante{"SoloCR", [](QByteArray b) { return b.replace("\r\n", "\r"); }},
                    Variante{"FinesDeLineaMezclados",
                             [](QByteArray b) {
                                 b.replace("0.005\r\n", "0.005\n");
                                 return b.replace("3\r\n", "3\r");
                             }},
                    Variante{"BlancosAntesDeCadaValor",
                             [](QByteArray b) {
                                 b.replace(",", ", \t");
                                 return b.replace("\r\n", "\r\n\t ");
                             }}),
    [](const testing::TestParamInfo<Variante>& i) { return std::string(i.param.nombre); });

TEST(ArchivoCalculoLectura, AccentsAndEuroRoundTripThroughWindows1252) {
    Calculo c;
    c.titulo1 = "Título Nº 5 · año ½ — 3 €";
    c.titulo2 = "Denominación «ÁÉÍÓÚÜÑ» ñ";
    c.criterio.denominacion[3] = "Caudal máximo ‰";
    const QByteArray b = bytesDeCalculo(c, '.');
    EXPECT_TRUE(b.startsWith("T\xEDtulo N\xBA 5 \xB7 a\xF1o \xBD \x97 3 \x80,"));
    EXPECT_EQ(calculoDeBytes(b, "c", '.'), c);
}

// The reader's fixed table must decode every byte as the system's Windows-1252 decoder does.
TEST(Windows1252, TableMatchesTheSystemDecoderForAll256Bytes) {
    const TablaWindows1252& t = tablaWindows1252();
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        QStringDecoder d("windows-1252");
        ASSERT_TRUE(d.isValid());
        const char byte = static_cast<char>(b);
        const QByteArray esperado = QString(d(QByteArrayView(&byte, 1))).toUtf8();
        EXPECT_FALSE(d.hasError());
        const auto i = static_cast<size_t>(b);
        EXPECT_EQ(QByteArray(t.utf8[i].data(), t.largo[i]), esperado);
    }
}

TEST(ArchivoCalculoLectura, FileWrittenUnderCommaLocaleReadsTheSameUnderPointLocale) {
    const Calculo c = calculoDeBytes(bytesDeCalculo(ejemplo(','), ','), "c", '.');
    EXPECT_EQ(c, ejemplo('.'));
}

TEST(ArchivoCalculoLectura, CommaBeforeEndOfDataOpensAnEmptyValue) {
    QByteArray b = kEjemploCalculo;
    b.replace(",0.3\r\nEOF\r\n", ",");
    EXPECT_EQ(calculoDeBytes(b, "c", '.').criterio.Vmin10, "");
}

// ---- Calculation file: reading errors -------------------------------------------------------

TEST(ArchivoCalculoErrores, FileEndingAfterItsFortyThirdValueIsIncomplete) {
    QByteArray b = kEjemploCalculo;
    b.replace(",0.3\r\nEOF\r\n", "\r\n");
    EXPECT_EQ(mensajeDe([&] { calculoDeBytes(b, "caso.caVek", '.'); }),
              "El archivo «caso.caVek» está incompleto: tiene 43 valores y hacen falta 44.");
    EXPECT_EQ(mensajeDe([&] { calculoDeBytes("", "vacío.caVek", '.'); }),
              "El archivo «vacío.caVek» está incompleto: tiene 0 valores y hacen falta 44.");
}

TEST(ArchivoCalculoErrores, EndMarkIsNotTakenForAMissingValue) {
    QByteArray b = kEjemploCalculo;
    b.replace(",0.3\r\nEOF\r\n", "\r\nEOF\r\n");
    EXPECT_EQ(mensajeDe([&] { calculoDeBytes(b, "caso.caVek", '.'); }),
              "El archivo «caso.caVek» está incompleto: tiene 43 valores y hacen falta 44.");
    b.replace("\r\nEOF\r\n", "\nEOF");
    EXPECT_EQ(mensajeDe([&] { calculoDeBytes(b, "caso.caVek", '.'); }),
              "El archivo «caso.caVek» está incompleto: tiene 43 valores y hacen falta 44.");
}

TEST(ArchivoCalculoLectura, TextsReadingEofAreOrdinaryValues) {
    Calculo c = ejemplo('.');
    c.titulo1 = "EOF";
    c.criterio.denominacion[0] = "EOF";
    c.criterio.Vmin10 = "EOF";
    EXPECT_EQ(calculoDeBytes(bytesDeCalculo(c, '.'), "c", '.'), c);
}

struct CasillaMala {
    const char* nombre;
    QByteArray valor;
};

void PrintTo(const CasillaMala& v, std::ostream* os) {
    *os << v.nombre;
}

class ArchivoCalculoCasillaMala : public testing::TestWithParam<CasillaMala> {};

TEST_P(ArchivoCalculoCasillaMala, NamesTheCondition) {
    const QByteArray b = reemplazado(kEjemploCalculo, " 1 ,0.13,", GetParam().valor + ",0.13,");
    EXPECT_EQ(mensajeDe([&] { calculoDeBytes(b, "caso.caVek", '.'); }),
              "El archivo «caso.caVek» no es válido: la casilla de la condición (3) no vale 0 ni "
              "1.");
}

INSTANTIATE_TEST_SUITE_P(
    , ArchivoCalculoCasillaMala,
    testing::Values(CasillaMala{"Dos", " 2 "}, CasillaMala{"Vacia", ""},
                    CasillaMala{"SoloBlancos", "   "}, CasillaMala{"Decimal", " 1.0 "},
                    CasillaMala{"CeroDelante", "01"}, CasillaMala{"Negativo", "-1"},
                    CasillaMala{"Palabra", "Verdadero"}),
    [](const testing::TestParamInfo<CasillaMala>& i) { return std::string(i.param.nombre); });

TEST(ArchivoCalculoErrores, CriterionFileIsNotACalculationFile) {
    EXPECT_EQ(mensajeDe([&] { calculoDeBytes(kEjemploCriterio, "criterio.CrVek", '.'); }),
              "El archivo «criterio.CrVek» no es válido: la casilla de la condición (1) no vale 0 "
              "ni 1.");
}

TEST(ArchivoCalculoErrores, ValueLongerThan4096BytesIsRefused) {
    const QByteArray largo(4096, 'x');
    const QByteArray b = reemplazado(kEjemploCalculo, "Tramo 3.1", largo);
    EXPECT_EQ(calculoDeBytes(b, "c", '.').titulo2, largo.toStdString());
    EXPECT_EQ(mensajeDe([&] { calculoDeBytes(reemplazado(b, largo, largo + "x"), "c", '.'); }),
              "El archivo «c» no es válido: el valor 2 («Título 2») pasa de 4096 caracteres.");
    // Blanks before a value count too: a file of endless blanks ends as well.
    EXPECT_EQ(mensajeDe([&] { calculoDeBytes(QByteArray(5000, ' '), "c", '.'); }),
              "El archivo «c» no es válido: el valor 1 («Título 1») pasa de 4096 caracteres.");
}

// The value of an index is named by its place in the layout, fillers and flags included.
struct ValorLargo {
    const char* nombre;
    bool criterio;
    int indice; // 0-based, in file order
    const char* mensaje;
};

void PrintTo(const ValorLargo& v, std::ostream* os) {
    *os << v.nombre;
}

class ArchivoValorLargo : public testing::TestWithParam<ValorLargo> {};

TEST_P(ArchivoValorLargo, NamesTheField) {
    const ValorLargo& v = GetParam();
    // The values before the long one, each a short text, then the long one.
    QByteArray b;
    for (int k = 0; k < v.indice; ++k)
        b += "1,";
    b += QByteArray(5000, 'x');
    const std::string m = mensajeDe([&] {
        if (v.criterio)
            criterioDeBytes(b, "c", '.');
        else
            calculoDeBytes(b, "c", '.');
    });
    EXPECT_EQ(m, std::string("El archivo «c» no es válido: ") + v.mensaje);
}

INSTANTIATE_TEST_SUITE_P(
    , ArchivoValorLargo,
    testing::Values(
        ValorLargo{"Pendiente", false, 4,
                   "el valor 5 («Pendiente i (m/m)») pasa de 4096 caracteres."},
        ValorLargo{"CasillaDeLaCondicion2", false, 8,
                   "el valor 9 («casilla de la condición (2)») pasa de 4096 caracteres."},
        ValorLargo{"Valor43", false, 42,
                   "el valor 43 («y/D de autolimpieza (%)») pasa de 4096 caracteres."},
        ValorLargo{"RellenoDelCriterio", true, 0, "el valor 1 pasa de 4096 caracteres."},
        ValorLargo{"VelocidadMaximaDelCriterio", true, 11,
                   "el valor 12 («Velocidad máxima (m/s)») pasa de 4096 caracteres."}),
    [](const testing::TestParamInfo<ValorLargo>& i) { return std::string(i.param.nombre); });

// What messages echo of a cell: nothing invisible left as it is.
struct Visible {
    const char* nombre;
    std::string texto;
    std::string visible;
    std::string sinInvisibles;
};

void PrintTo(const Visible& v, std::ostream* os) {
    *os << v.nombre;
}

class TextoVisible : public testing::TestWithParam<Visible> {};

TEST_P(TextoVisible, ShowsAndDropsTheInvisibleCharacters) {
    EXPECT_EQ(textoVisible(GetParam().texto), GetParam().visible);
    EXPECT_EQ(sinInvisibles(GetParam().texto), GetParam().sinInvisibles);
}

INSTANTIATE_TEST_SUITE_P(
    , TextoVisible,
    testing::Values(
        Visible{"Corriente", "Tramo ñ 3,5 €", "Tramo ñ 3,5 €", "Tramo ñ 3,5 €"},
        Visible{"Nul",
                std::string("1\0"
                            "2",
                            3),
                "1\\02", "12"},
        Visible{"MarcaDeOrden",
                "\xEF\xBB\xBF"
                "1,5",
                "U+FEFF1,5", "1,5"},
        Visible{"SaltosDeLinea", "a\r\nb", "a\\r\\nb", "ab"},
        Visible{"TabulacionSeQueda", "a\tb", "a\tb", "a\tb"},
        Visible{"AnchoCeroGuionesYDireccion", "a\xE2\x80\x8B\xC2\xAD\xE2\x80\xAEz\x7F",
                "aU+200BU+00ADU+202EzU+007F", "az"},
        Visible{"ControlC1", "x\xC2\x85y", "xU+0085y", "xy"},
        // Bytes that are not UTF-8 are neither shown nor dropped here: decoding comes first.
        Visible{"NoUtf8", "\xFF\xFE", "\xFF\xFE", "\xFF\xFE"}),
    [](const testing::TestParamInfo<Visible>& i) { return std::string(i.param.nombre); });

// ---- Calculation file: refused texts --------------------------------------------------------

struct Rechazo {
    const char* nombre;
    std::function<void(Calculo&)> cambiar;
    char separador;
    const char* mensaje;
};

void PrintTo(const Rechazo& v, std::ostream* os) {
    *os << v.nombre;
}

class ArchivoCalculoRechazo : public testing::TestWithParam<Rechazo> {};

TEST_P(ArchivoCalculoRechazo, NamesFieldAndCharacter) {
    Calculo c = ejemplo(GetParam().separador);
    GetParam().cambiar(c);
    EXPECT_EQ(mensajeDe([&] { bytesDeCalculo(c, GetParam().separador); }), GetParam().mensaje);
}

INSTANTIATE_TEST_SUITE_P(
    , ArchivoCalculoRechazo,
    testing::Values(
        Rechazo{"ComaEnTitulo", [](Calculo& c) { c.titulo1 = "Norte, tramo 1"; }, '.',
                "«Título 1» contiene una coma, que el archivo usa para separar valores."},
        Rechazo{"ComaDecimalConSeparadorPunto", [](Calculo& c) { c.colector.D = "0,6"; }, '.',
                "«Diámetro interior D (m)» contiene una coma, que el archivo usa para separar "
                "valores."},
        Rechazo{"PuntoConSeparadorComa", [](Calculo& c) { c.criterio.Vmax = "1.5"; }, ',',
                "«Velocidad máxima (m/s)» contiene un punto, que el archivo no distingue del "
                "separador decimal «,»."},
        Rechazo{"SaltoLF", [](Calculo& c) { c.criterio.denominacion[2] = "Punta\nmedia"; }, '.',
                "«Denominación de caudal (3)» contiene un salto de línea."},
        Rechazo{"SaltoCR", [](Calculo& c) { c.titulo2 = "a\rb"; }, '.',
                "«Título 2» contiene un salto de línea."},
        Rechazo{"CaracterFueraDeWindows1252", [](Calculo& c) { c.caudal[4] = "0.1☃"; }, '.',
                "«Q (m3/s) de la condición (5)» contiene «☃» (U+2603), un carácter que "
                "Windows-1252 no tiene."},
        Rechazo{"CaracterFueraDelPlanoBasico", [](Calculo& c) { c.marcador[2] = "😀"; }, '.',
                "«Q (m3/s) de la condición (10)» contiene «😀» (U+1F600), un carácter que "
                "Windows-1252 no tiene."},
        Rechazo{"UTF8Roto", [](Calculo& c) { c.criterio.Imax = "0\xFF"; }, '.',
                "«Pendiente constructiva máxima (m/m)» contiene «\xEF\xBF\xBD» (U+FFFD), un "
                "carácter que Windows-1252 no tiene."},
        Rechazo{"TextoDemasiadoLargo", [](Calculo& c) { c.titulo1 = std::string(4097, 'a'); }, '.',
                "«Título 1» tiene 4097 caracteres y el archivo admite 4096 como máximo."}),
    [](const testing::TestParamInfo<Rechazo>& i) { return std::string(i.param.nombre); });

TEST(ArchivoCalculoEscritura, EuroAndLongestTextAreAccepted) {
    Calculo c;
    c.titulo1 = "Coste 3 €";
    c.titulo2 = std::string(4096, 'b');
    EXPECT_EQ(calculoDeBytes(bytesDeCalculo(c, '.'), "c", '.'), c);
}

// ---- Files on disk --------------------------------------------------------------------------

class ArchivoDisco : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString ruta(const QString& nombre) const { return dir.filePath(nombre); }
    QTemporaryDir dir;
};

TEST_F(ArchivoDisco, SaveAndOpenGiveTheCaseBackInBothLocales) {
    for (const char sep : {'.', ','}) {
        SCOPED_TRACE(sep);
        const QString r = ruta("caso.caVek");
        guardarCalculo(r, ejemplo(sep), sep);
        EXPECT_EQ(contenido(r), kEjemploCalculo);
        EXPECT_EQ(leerCalculo(r, sep), ejemplo(sep));

        const QString k = ruta("criterio.CrVek");
        guardarCriterio(k, ejemplo(sep).criterio, sep);
        EXPECT_EQ(contenido(k), kEjemploCriterio);
        EXPECT_EQ(leerCriterio(k, sep), ejemplo(sep).criterio);
    }
}

TEST_F(ArchivoDisco, SavingReplacesAnExistingLongerFile) {
    const QString r = ruta("caso.caVek");
    escribirContenido(r, QByteArray(100000, 'z'));
    guardarCalculo(r, Calculo{}, '.');
    EXPECT_EQ(contenido(r), bytesDeCalculo(Calculo{}, '.'));
}

TEST_F(ArchivoDisco, RefusedSaveLeavesTheExistingFileUntouched) {
    const QString r = ruta("caso.caVek");
    escribirContenido(r, kEjemploCalculo);
    Calculo c = ejemplo('.');
    c.titulo1 = "Nieve ☃";
    EXPECT_EQ(mensajeDe([&] { guardarCalculo(r, c, '.'); }),
              "No se puede guardar el archivo «" + r.toStdString() +
                  "»: «Título 1» contiene «☃» (U+2603), un carácter que Windows-1252 no tiene.");
    Criterio k;
    k.denominacion[0] = "a,b";
    EXPECT_EQ(mensajeDe([&] { guardarCriterio(r, k, '.'); }),
              "No se puede guardar el archivo «" + r.toStdString() +
                  "»: «Denominación de caudal (1)» contiene una coma, que el archivo usa para "
                  "separar valores.");
    EXPECT_EQ(contenido(r), kEjemploCalculo);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"caso.caVek"});
}

TEST_F(ArchivoDisco, SaveIntoMissingFolderOrOverAFolderFails) {
    const QString falta = ruta("no-existe/caso.caVek");
    EXPECT_EQ(mensajeDe([&] { guardarCalculo(falta, Calculo{}, '.'); }),
              "No se puede crear el archivo «" + falta.toStdString() + "»: la carpeta no existe.");
    EXPECT_EQ(mensajeDe([&] { guardarCriterio(dir.path(), Criterio{}, '.'); }),
              "No se puede guardar el archivo «" + dir.path().toStdString() + "»: es una carpeta.");
}

TEST_F(ArchivoDisco, OpeningMissingFileOrFolderFails) {
    const QString falta = ruta("falta.caVek");
    EXPECT_EQ(mensajeDe([&] { leerCalculo(falta, '.'); }),
              "El archivo «" + falta.toStdString() + "» no existe.");
    EXPECT_EQ(mensajeDe([&] { leerCriterio(dir.path(), '.'); }),
              "No se puede abrir el archivo «" + dir.path().toStdString() + "»: es una carpeta.");
}

// ---- Failed saves and opens -----------------------------------------------------------------

// Runs `guardar` in a child process whose files cannot grow past `limite` bytes (the writes
// beyond it fail with EFBIG) and gives back the message the child got.
std::string mensajeConLimite(rlim_t limite, const std::function<void()>& guardar) {
    int tubo[2];
    if (::pipe(tubo) != 0)
        return "(sin tubería)";
    const pid_t hijo = ::fork();
    if (hijo == 0) {
        ::close(tubo[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{limite, limite};
        std::string m = ::setrlimit(RLIMIT_FSIZE, &r) == 0 ? mensajeDe(guardar) : "(sin límite)";
        (void)!::write(tubo[1], m.data(), m.size());
        ::_exit(0);
    }
    ::close(tubo[1]);
    std::string m;
    char b[512];
    for (ssize_t n; (n = ::read(tubo[0], b, sizeof b)) > 0;)
        m.append(b, static_cast<size_t>(n));
    ::close(tubo[0]);
    int estado = 0;
    ::waitpid(hijo, &estado, 0);
    return m;
}

struct GuardadoLimitado {
    const char* nombre;
    rlim_t limite;
    bool criterio;
};

void PrintTo(const GuardadoLimitado& v, std::ostream* os) {
    *os << v.nombre;
}

class ArchivoGuardadoFallido : public testing::TestWithParam<GuardadoLimitado> {};

TEST_P(ArchivoGuardadoFallido, KeepsTheEarlierFileByteForByteAndSaysWhy) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString r = dir.filePath("caso.caVek");
    escribirContenido(r, kEjemploCalculo);
    Calculo c;
    c.titulo1 = std::string(3000, 'a'); // well past every limit of the rows
    const std::string m = mensajeConLimite(GetParam().limite, [&] {
        if (GetParam().criterio)
            guardarCriterio(r, c.criterio, '.');
        else
            guardarCalculo(r, c, '.');
    });
    EXPECT_EQ(m, "No se puede escribir el archivo «" + r.toStdString() +
                     "»: el archivo supera el tamaño máximo permitido.");
    EXPECT_EQ(contenido(r), kEjemploCalculo);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"caso.caVek"});
}

INSTANTIATE_TEST_SUITE_P(
    , ArchivoGuardadoFallido,
    testing::Values(GuardadoLimitado{"CalculoCortadoTras100Bytes", 100, false},
                    GuardadoLimitado{"CalculoSinNingunByte", 0, false},
                    GuardadoLimitado{"CriterioCortadoTras100Bytes", 100, true}),
    [](const testing::TestParamInfo<GuardadoLimitado>& i) { return std::string(i.param.nombre); });

TEST_F(ArchivoDisco, BytesAreSavedWholeOrNotAtAll) {
    const QString r = ruta("grafico.png");
    const QByteArray imagen("\x89PNG\r\n\x1a\n\0binario", 16);
    guardarBytes(r, imagen);
    EXPECT_EQ(contenido(r), imagen);
    guardarBytes(r, "otro");
    EXPECT_EQ(contenido(r), "otro");

    const QString falta = ruta("no-existe/nota.pdf");
    EXPECT_EQ(mensajeDe([&] { guardarBytes(falta, imagen); }),
              "No se puede crear el archivo «" + falta.toStdString() + "»: la carpeta no existe.");
    const std::string m = mensajeConLimite(3, [&] { guardarBytes(r, imagen); });
    EXPECT_EQ(m, "No se puede escribir el archivo «" + r.toStdString() +
                     "»: el archivo supera el tamaño máximo permitido.");
    EXPECT_EQ(contenido(r), "otro");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"grafico.png"});
}

TEST(ArchivoDispositivo, FullDeviceReportsNoSpaceLeft) {
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "sin /dev/full";
    EXPECT_EQ(mensajeDe([] { guardarCalculo("/dev/full", Calculo{}, '.'); }),
              "No se puede escribir el archivo «/dev/full»: no queda espacio en el disco.");
    EXPECT_EQ(mensajeDe([] { guardarCriterio(QStringLiteral("/dev/full"), Criterio{}, '.'); }),
              "No se puede escribir el archivo «/dev/full»: no queda espacio en el disco.");
}

TEST_F(ArchivoDisco, ReadOnlyFileIsNotReplacedAndUnreadableFileNotRead) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root escribe en cualquier archivo";
    const QString r = ruta("caso.caVek");
    escribirContenido(r, kEjemploCalculo);
    ASSERT_EQ(::chmod(QFile::encodeName(r).constData(), 0444), 0);
    EXPECT_EQ(mensajeDe([&] { guardarCalculo(r, Calculo{}, '.'); }),
              "No se puede escribir el archivo «" + r.toStdString() + "»: permiso denegado.");
    EXPECT_EQ(contenido(r), kEjemploCalculo);
    ASSERT_EQ(::chmod(QFile::encodeName(r).constData(), 0), 0);
    EXPECT_EQ(mensajeDe([&] { leerCalculo(r, '.'); }),
              "No se puede abrir el archivo «" + r.toStdString() + "»: permiso denegado.");
}

TEST_F(ArchivoDisco, SavingThroughALinkReplacesTheFileBehindIt) {
    const QString r = ruta("caso.caVek");
    const QString enlace = ruta("enlace.caVek");
    escribirContenido(r, kEjemploCalculo);
    ASSERT_EQ(::symlink("caso.caVek", QFile::encodeName(enlace).constData()), 0);
    guardarCalculo(enlace, Calculo{}, '.');
    EXPECT_EQ(contenido(r), bytesDeCalculo(Calculo{}, '.'));
    EXPECT_TRUE(QFileInfo(enlace).isSymLink());
}

struct CausaDelError {
    const char* nombre;
    int error;
    const char* causa;
};

void PrintTo(const CausaDelError& v, std::ostream* os) {
    *os << v.nombre;
}

class ArchivoCausas : public testing::TestWithParam<CausaDelError> {};

TEST_P(ArchivoCausas, InSpanish) {
    EXPECT_EQ(causaDelError(GetParam().error).toStdString(), GetParam().causa);
}

INSTANTIATE_TEST_SUITE_P(
    , ArchivoCausas,
    testing::Values(CausaDelError{"DiscoLleno", ENOSPC, "no queda espacio en el disco"},
                    CausaDelError{"CuotaAgotada", EDQUOT,
                                  "no queda espacio en el disco (cuota agotada)"},
                    CausaDelError{"ArchivoDemasiadoGrande", EFBIG,
                                  "el archivo supera el tamaño máximo permitido"},
                    CausaDelError{"SoloLectura", EROFS, "sistema de archivos de solo lectura"},
                    CausaDelError{"SinAcceso", EACCES, "permiso denegado"},
                    CausaDelError{"OperacionNoPermitida", EPERM, "permiso denegado"},
                    CausaDelError{"NoEsCarpeta", ENOTDIR, "la carpeta no existe"},
                    CausaDelError{"NoExiste", ENOENT, "el archivo no existe"},
                    CausaDelError{"NombreLargo", ENAMETOOLONG, "nombre demasiado largo"},
                    CausaDelError{"Enlaces", ELOOP, "demasiados enlaces simbólicos"},
                    CausaDelError{"Carpeta", EISDIR, "es una carpeta"},
                    CausaDelError{"EntradaSalida", EIO, "error de entrada/salida del dispositivo"},
                    CausaDelError{"Desconocido", 9999, "error del sistema n.º 9999"}),
    [](const testing::TestParamInfo<CausaDelError>& i) { return std::string(i.param.nombre); });

// Paths that fail for a reason the system gives; opening and saving both name it.
struct RutaMala {
    const char* nombre;
    std::function<QString(const QTemporaryDir&)> preparar;
    const char* causa;
};

void PrintTo(const RutaMala& v, std::ostream* os) {
    *os << v.nombre;
}

class ArchivoRutaMala : public testing::TestWithParam<RutaMala> {};

TEST_P(ArchivoRutaMala, OpenAndSaveNameTheCause) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString r = GetParam().preparar(dir);
    const auto entradas = [&] {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList antes = entradas();
    const std::string causa = GetParam().causa;
    EXPECT_EQ(mensajeDe([&] { leerCalculo(r, '.'); }),
              "No se puede abrir el archivo «" + r.toStdString() + "»: " + causa + ".");
    EXPECT_EQ(mensajeDe([&] { guardarCriterio(r, Criterio{}, '.'); }),
              "No se puede crear el archivo «" + r.toStdString() + "»: " + causa + ".");
    EXPECT_EQ(entradas(), antes);
}

INSTANTIATE_TEST_SUITE_P(
    , ArchivoRutaMala,
    testing::Values(RutaMala{"CarpetaQueFalta",
                             [](const QTemporaryDir& d) { return d.filePath("falta/caso.caVek"); },
                             "la carpeta no existe"},
                    RutaMala{"ArchivoComoCarpeta",
                             [](const QTemporaryDir& d) {
                                 escribirContenido(d.filePath("archivo"), "x");
                                 return d.filePath("archivo/caso.caVek");
                             },
                             "la carpeta no existe"},
                    RutaMala{"NombreDemasiadoLargo",
                             [](const QTemporaryDir& d) {
                                 return d.filePath(QString(300, u'n') + ".caVek");
                             },
                             "nombre demasiado largo"},
                    RutaMala{"EnlacesEnBucle",
                             [](const QTemporaryDir& d) {
                                 const QByteArray a = QFile::encodeName(d.filePath("a.caVek"));
                                 const QByteArray b = QFile::encodeName(d.filePath("b.caVek"));
                                 (void)::symlink(b.constData(), a.constData());
                                 (void)::symlink(a.constData(), b.constData());
                                 return d.filePath("a.caVek");
                             },
                             "demasiados enlaces simbólicos"}),
    [](const testing::TestParamInfo<RutaMala>& i) { return std::string(i.param.nombre); });

TEST_F(ArchivoDisco, NameThatIsNotUtf8IsSavedAndReadByItsBytes) {
    const QByteArray r = QFile::encodeName(dir.path()) + "/caso-\xE9.caVek";
    guardarCalculo(r, ejemplo('.'), '.');
    struct stat st;
    EXPECT_EQ(::stat(r.constData(), &st), 0);
    EXPECT_EQ(leerCalculo(r, '.'), ejemplo('.'));
    guardarCriterio(r, ejemplo('.').criterio, '.');
    EXPECT_EQ(leerCriterio(r, '.'), ejemplo('.').criterio);
    const QByteArray falta = QFile::encodeName(dir.path()) + "/falta-\xE9.caVek";
    EXPECT_EQ(mensajeDe([&] { leerCalculo(falta, '.'); }),
              "El archivo «" + dir.path().toStdString() + "/falta-\xEF\xBF\xBD.caVek» no existe.");
}

// A FIFO holds what a writer puts into it; reading one must never wait for a writer that
// may never come.
class ArchivoFifo : public ArchivoDisco {
protected:
    void SetUp() override {
        ArchivoDisco::SetUp();
        fifo = ruta("tuberia.caVek");
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    }

    // Runs `lectura` and fails if it is still waiting after five seconds; a writer that opens
    // and closes the FIFO then releases it, so the test ends either way.
    std::string mensajeSinEspera(std::function<void()> lectura) {
        auto pendiente = std::async(std::launch::async, [&] { return mensajeDe(lectura); });
        if (pendiente.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            ADD_FAILURE() << "la lectura espera a un escritor";
            const int escritor = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (escritor >= 0)
                ::close(escritor);
        }
        return pendiente.get();
    }

    QString fifo;
};

TEST_F(ArchivoFifo, WithoutAWriterReadsAsEmpty) {
    EXPECT_EQ(mensajeSinEspera([&] { leerCalculo(fifo, '.'); }),
              "El archivo «" + fifo.toStdString() +
                  "» está incompleto: tiene 0 valores y hacen "
                  "falta 44.");
    EXPECT_EQ(mensajeSinEspera([&] { leerCriterio(fifo, '.'); }),
              "El archivo «" + fifo.toStdString() +
                  "» está incompleto: tiene 0 valores y hacen "
                  "falta 56.");
}

TEST_F(ArchivoFifo, HoldingAWholeFileReadsLikeTheFile) {
    // A reader of our own lets the writer open, and keeps the data in the pipe once the
    // writer has closed.
    const int lector = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(lector, 0);
    const int escritor = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
    ASSERT_GE(escritor, 0);
    ASSERT_EQ(::write(escritor, kEjemploCalculo.constData(), kEjemploCalculo.size()),
              kEjemploCalculo.size());
    ::close(escritor);
    Calculo leido;
    EXPECT_EQ(mensajeSinEspera([&] { leido = leerCalculo(fifo, '.'); }), "(ningún error)");
    EXPECT_EQ(leido, ejemplo('.'));
    ::close(lector);
}

TEST_F(ArchivoDisco, NothingAfterTheNeededValuesIsRead) {
    // A 100 000-byte value after the 44th would be refused if the reader went on.
    const QString r = ruta("largo.caVek");
    escribirContenido(r, kEjemploCalculo + QByteArray(100000, 'x'));
    EXPECT_EQ(leerCalculo(r, '.'), ejemplo('.'));
}

TEST_F(ArchivoDisco, EndlessFileIsRefusedNotSwallowed) {
    EXPECT_EQ(
        mensajeDe([&] { leerCalculo("/dev/zero", '.'); }),
        "El archivo «/dev/zero» no es válido: el valor 1 («Título 1») pasa de 4096 caracteres.");
}

TEST_F(ArchivoDisco, CrLfSplitBetweenReadChunksIsOneLineEnd) {
    // One value per line, padded with leading blanks so that a CR is the last byte of the
    // reader's first 64 KiB chunk and its LF the first byte of the next.
    constexpr qsizetype kFrontera = 64 * 1024 - 1;
    QByteArrayList valores;
    for (const QByteArray& linea : sinEOF(kEjemploCalculo).split('\n'))
        if (!linea.isEmpty())
            valores += linea.chopped(1).split(',');
    ASSERT_EQ(valores.size(), 44);
    QByteArray b;
    for (const QByteArray& v : valores) {
        const qsizetype hasta = kFrontera - b.size() - v.size();
        b += QByteArray(hasta > 4000 ? 2000 : std::max<qsizetype>(hasta, 0), ' ') + v + "\r\n";
    }
    ASSERT_EQ(b.mid(kFrontera, 2), "\r\n");
    const QString r = ruta("partido.caVek");
    escribirContenido(r, b);
    EXPECT_EQ(leerCalculo(r, '.'), ejemplo('.'));
}

// ---- Files saved as UTF-8 by other editors ---------------------------------------------------

QByteArray comoUtf8(const QByteArray& windows1252) {
    QStringDecoder d("windows-1252");
    return QString(d(windows1252)).toUtf8();
}

struct ArchivoEnUtf8 {
    const char* nombre;
    bool marca;
    bool criterio;
};

void PrintTo(const ArchivoEnUtf8& v, std::ostream* os) {
    *os << v.nombre;
}

class ArchivoUtf8 : public testing::TestWithParam<ArchivoEnUtf8> {};

TEST_P(ArchivoUtf8, ReadsTheSameAsTheWindows1252File) {
    const QByteArray marca = GetParam().marca ? "\xEF\xBB\xBF" : "";
    if (GetParam().criterio) {
        const QByteArray b = marca + comoUtf8(kEjemploCriterio);
        EXPECT_EQ(criterioDeBytes(b, "c", '.'), ejemplo('.').criterio);
    } else {
        const QByteArray b = marca + comoUtf8(kEjemploCalculo);
        EXPECT_EQ(calculoDeBytes(b, "c", '.'), ejemplo('.'));
    }
}

INSTANTIATE_TEST_SUITE_P(, ArchivoUtf8,
                         testing::Values(ArchivoEnUtf8{"CalculoConMarca", true, false},
                                         ArchivoEnUtf8{"CalculoSinMarca", false, false},
                                         ArchivoEnUtf8{"CriterioConMarca", true, true},
                                         ArchivoEnUtf8{"CriterioSinMarca", false, true}),
                         [](const testing::TestParamInfo<ArchivoEnUtf8>& i) {
                             return std::string(i.param.nombre);
                         });

TEST(ArchivoUtf8Lectura, Windows1252BytesThatAreNotUtf8ReadAsBefore) {
    // "Título" in Windows-1252: 54 ED 74 75 6C 6F, not valid UTF-8.
    const QByteArray b = reemplazado(kEjemploCalculo, "Colector Norte", "T\xEDtulo");
    EXPECT_EQ(calculoDeBytes(b, "c", '.').titulo1, "Título");
}

TEST(ArchivoUtf8Lectura, OneValueThatIsNotUtf8MakesTheWholeFileWindows1252) {
    QByteArray b = reemplazado(kEjemploCalculo, "Colector Norte", "\xC3\xA9");
    b = reemplazado(b, "Tramo 3.1", "\xE9");
    const Calculo c = calculoDeBytes(b, "c", '.');
    EXPECT_EQ(c.titulo1, "Ã©");
    EXPECT_EQ(c.titulo2, "é");
}

TEST(ArchivoUtf8Lectura, MarkedFileWithInvalidBytesGetsReplacementCharacters) {
    const QByteArray b =
        "\xEF\xBB\xBF" + reemplazado(kEjemploCalculo, "Colector Norte", "T\xEDtulo");
    EXPECT_EQ(calculoDeBytes(b, "c", '.').titulo1, "T\xEF\xBF\xBDtulo");
}

TEST(ArchivoUtf8Lectura, MarkIsOnlyTakenAtTheStart) {
    const QByteArray b = reemplazado(kEjemploCalculo, "Colector Norte", " \xEF\xBB\xBFN");
    // The rest of the file is Windows-1252 ("Mínima"), so its bytes are three characters.
    EXPECT_EQ(calculoDeBytes(b, "c", '.').titulo1, "ï»¿N");
}

TEST_F(ArchivoDisco, MarkedUtf8FileOnDiskReads) {
    const QString r = ruta("utf8.caVek");
    escribirContenido(r, "\xEF\xBB\xBF" + comoUtf8(kEjemploCalculo));
    EXPECT_EQ(leerCalculo(r, ','), ejemplo(','));
}

TEST(ArchivoUtf8Escritura, TextsWhoseWindows1252BytesWouldReadAsUtf8AreRefused) {
    Calculo c = ejemplo('.');
    c.criterio.denominacion[5] = "Minima (6)";
    c.criterio.denominacion[6] = "Maxima (7)";
    c.titulo2 = "Caf\xC3\x83\xC2\xA9 norte"; // "CafÃ© norte": C3 A9 in Windows-1252
    EXPECT_EQ(
        mensajeDe([&] { bytesDeCalculo(c, '.'); }),
        "«Título 2» contiene «Ã©», que al abrir el archivo se leería como UTF-8 y cambiaría.");
    EXPECT_EQ(mensajeDe([&] { bytesDeCriterio(c.criterio, '.'); }), "(ningún error)");
    c.titulo2 = "Norte";
    c.titulo1 = "ï»¿Norte"; // EF BB BF: the byte-order mark
    EXPECT_EQ(
        mensajeDe([&] { bytesDeCalculo(c, '.'); }),
        "«Título 1» contiene «ï»¿», que al abrir el archivo se leería como UTF-8 y cambiaría.");
    // Any byte that is not UTF-8 elsewhere keeps the whole file Windows-1252.
    c.titulo1 = "CafÃ©";
    c.criterio.denominacion[0] = "Año";
    EXPECT_EQ(calculoDeBytes(bytesDeCalculo(c, '.'), "c", '.'), c);
}

// ---- Criterion file -------------------------------------------------------------------------

TEST(ArchivoCriterio, InitialCriterionHasFillerLinesAndDashAfterEveryFlag) {
    const QByteArray esperado = "-,-,-,-\r\n"
                                " 1 ,-,Denominaci\xF3n de caudal (1),-\r\n"
                                " 1 ,-,Denominaci\xF3n de caudal (2),0,-\r\n"
                                " 1 ,-,Denominaci\xF3n de caudal (3),0,-\r\n"
                                " 1 ,-,Denominaci\xF3n de caudal (4),0,-\r\n"
                                " 1 ,-,Denominaci\xF3n de caudal (5),0,0,0,-\r\n"
                                " 1 ,-,Denominaci\xF3n de caudal (6),0,-\r\n"
                                " 1 ,-,Denominaci\xF3n de caudal (7),0,-\r\n"
                                " 1 ,-,0,-\r\n"
                                " 1 ,-,0,-\r\n"
                                " 1 ,-,0,0,-\r\n"
                                "-,-,-\r\n"
                                "EOF\r\n";
    EXPECT_EQ(bytesDeCriterio(Criterio{}, '.'), esperado);
}

TEST(ArchivoCriterio, EveryFieldGoesToAndComesFromItsPlace) {
    EXPECT_EQ(bytesDeCriterio(ejemplo('.').criterio, '.'), kEjemploCriterio);
    EXPECT_EQ(bytesDeCriterio(ejemplo(',').criterio, ','), kEjemploCriterio);
    EXPECT_EQ(criterioDeBytes(kEjemploCriterio, "c", '.'), ejemplo('.').criterio);
    EXPECT_EQ(criterioDeBytes(kEjemploCriterio, "c", ','), ejemplo(',').criterio);
}

TEST(ArchivoCriterio, FillersAreSkippedWhateverTheyHold) {
    QByteArray b = kEjemploCriterio;
    b.replace("-,-,-,-\r\n", "a,\"b\",,  1 \r\n");
    b.replace(",-,", ",x y z,");
    b.replace(",-\r\n", ", 2\r\n");
    b.replace("-,-,-\r\n", ",,\r\n");
    EXPECT_EQ(criterioDeBytes(b, "c", '.'), ejemplo('.').criterio);
}

TEST(ArchivoCriterio, ErrorsNameFileAndFault) {
    QByteArray corto = kEjemploCriterio;
    corto.replace("-,-,-\r\nEOF\r\n", "-,-\r\n");
    EXPECT_EQ(mensajeDe([&] { criterioDeBytes(corto, "criterio.CrVek", '.'); }),
              "El archivo «criterio.CrVek» está incompleto: tiene 55 valores y hacen falta 56.");
    // A calculation file is 44 values and its end mark: too short for a criterion.
    EXPECT_EQ(mensajeDe([&] { criterioDeBytes(kEjemploCalculo, "caso.caVek", '.'); }),
              "El archivo «caso.caVek» está incompleto: tiene 44 valores y hacen falta 56.");
    const QByteArray malo = reemplazado(kEjemploCriterio, " 1 ,-,20,", " si ,-,20,");
    EXPECT_EQ(mensajeDe([&] { criterioDeBytes(malo, "criterio.CrVek", '.'); }),
              "El archivo «criterio.CrVek» no es válido: la casilla de la condición (10) no vale 0 "
              "ni 1.");
}

TEST(ArchivoCriterio, RefusesTextsTheFormatCannotHold) {
    Criterio k;
    k.dpMin = "0.2";
    EXPECT_EQ(mensajeDe([&] { bytesDeCriterio(k, ','); }),
              "«Diámetro de la partícula a arrastrar (mm)» contiene un punto, que el archivo no "
              "distingue del separador decimal «,».");
    k = {};
    k.denominacion[6] = "fin\r\n";
    EXPECT_EQ(mensajeDe([&] { bytesDeCriterio(k, '.'); }),
              "«Denominación de caudal (7)» contiene un salto de línea.");
}

} // namespace
