#include "files/serie.h"

#include "files/archivos.h"

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

} // namespace
} // namespace colvero
