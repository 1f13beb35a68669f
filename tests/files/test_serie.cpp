#include "files/serie.h"

#include "files/archivos.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

namespace colvero {
namespace {

QByteArray escribir(const QTemporaryDir& dir, const char* nombre, const std::string& bytes) {
    const QByteArray ruta = QFile::encodeName(dir.filePath(QString::fromUtf8(nombre)));
    std::ofstream(ruta.constData(), std::ios::binary) << bytes;
    return ruta;
}

// Names keep their accents whether an editor saved the file as UTF-8 (with or without the
// byte-order mark) or as Windows-1252.
TEST(ArchivoSerie, NombresConTildesEnLasTresCodificaciones) {
    QTemporaryDir dir;
    const std::vector<Tubo> esperada{{"Hormigón DN 300", 0.3}, {"Hormigón DN 400", 0.4}};
    const std::string utf8 = "Hormigón DN 300;0,3\r\nHormigón DN 400;0.4\r\n";
    std::string w1252 = utf8;
    for (std::size_t p; (p = w1252.find("ó")) != std::string::npos;) {
        w1252.replace(p, 2, "\xF3");
    }
    EXPECT_EQ(leerSerie(escribir(dir, "utf8.txt", utf8)), esperada);
    EXPECT_EQ(leerSerie(escribir(dir, "bom.txt", "\xEF\xBB\xBF" + utf8)), esperada);
    EXPECT_EQ(leerSerie(escribir(dir, "w1252.txt", w1252)), esperada);
}

TEST(ArchivoSerie, ErroresNombranElArchivo) {
    QTemporaryDir dir;
    const QByteArray mala = escribir(dir, "mala.txt", "DN 300;0.3\nDN 400;cuatro\n");
    try {
        leerSerie(mala);
        FAIL();
    } catch (const ErrorArchivo& e) {
        EXPECT_EQ(std::string(e.what()), "La serie de diámetros «" + mala.toStdString() +
                                             "» no es válida: línea 2: «cuatro» no es un "
                                             "diámetro en metros.");
    }
    const QByteArray falta = QFile::encodeName(dir.filePath("no-está.txt"));
    try {
        leerSerie(falta);
        FAIL();
    } catch (const ErrorArchivo& e) {
        EXPECT_EQ(std::string(e.what()), "El archivo «" + falta.toStdString() + "» no existe.");
    }
}

// colvero-check names a shipped series by its key; a path, even one that looks like a key, is
// a file.
TEST(SerieDeOpcion, ClaveDeSerieIncluidaOArchivo) {
    for (const SerieIncluida& incluida : kSeriesIncluidas) {
        SCOPED_TRACE(incluida.clave);
        const SerieLeida s = leerSerieDeOpcion(QByteArray(incluida.clave));
        EXPECT_EQ(s.tubos, leerSerieIncluida(incluida));
        EXPECT_FALSE(s.tubos.empty());
        EXPECT_TRUE(s.enMilimetros.empty());
        EXPECT_FALSE(avisoDeSerie(s));
    }
    QTemporaryDir dir;
    const QByteArray propia = escribir(dir, "hormigon", "Propio;0.45\n");
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_EQ(leerSerieDeOpcion("./hormigon").tubos, (std::vector<Tubo>{{"Propio", 0.45}}));
    EXPECT_EQ(leerSerieDeOpcion("hormigon").tubos, leerSerieIncluida(kSeriesIncluidas[0]));
}

TEST(SerieDeOpcion, UnNombreQueNoEsNiArchivoNiSerieDiceLasIncluidas) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const auto mensaje = [](const char* valor) {
        try {
            leerSerieDeOpcion(valor);
        } catch (const ErrorArchivo& e) {
            return std::string(e.what());
        }
        return std::string("leída");
    };
    EXPECT_EQ(mensaje("hormigón"), "El archivo «hormigón» no existe. Las series incluidas se "
                                   "nombran hormigon o pvc-sn4.");
    // A path or a file name with an extension is plainly a file.
    EXPECT_EQ(mensaje("pvc.txt"), "El archivo «pvc.txt» no existe.");
}

// "DN 300;300": the diameters in millimetres read, and are used as they are, with a warning.
TEST(SerieDeOpcion, DiametrosDeMasDeCincoMetrosAvisan) {
    QTemporaryDir dir;
    const SerieLeida mm =
        leerSerieDeOpcion(escribir(dir, "mm.txt", "DN 300;300\nDN 5;5\nDN 400;400\n"));
    EXPECT_EQ(mm.tubos, (std::vector<Tubo>{{"DN 300", 300}, {"DN 5", 5}, {"DN 400", 400}}));
    EXPECT_EQ(mm.enMilimetros, (std::vector<size_t>{0, 2}));
    EXPECT_EQ(avisoDeSerie(mm), "la serie «" + mm.nombre.toStdString() +
                                    "» tiene 2 tubos (el primero, «DN 300») de más de 5 m de "
                                    "diámetro: ¿están en milímetros? Los diámetros se dan en "
                                    "metros");
    const SerieLeida uno = leerSerieDeOpcion(escribir(dir, "uno.txt", "A;0.3\nB;800\n"));
    EXPECT_EQ(avisoDeSerie(uno), "la serie «" + uno.nombre.toStdString() +
                                     "» tiene un tubo («B») de más de 5 m de diámetro: ¿está en "
                                     "milímetros? Los diámetros se dan en metros");
}

} // namespace
} // namespace colvero
