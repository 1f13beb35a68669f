#include "check/serie_diametros.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace colvero {
namespace {

TEST(SerieDiametros, AmbosSeparadoresComentariosYFinesDeLinea) {
    const auto tubos = leerSerieDiametros("\xEF\xBB\xBF# catálogo\r\n"
                                          "DN 300;0,3\r\n"
                                          "\r\n"
                                          "  DN 400 ; 0.4   # hormigón\n"
                                          "Ø 500 mm,0.5\n"
                                          "DN 1000;1e0",
                                          "serie.txt");
    EXPECT_EQ(tubos, (std::vector<Tubo>{
                         {"DN 300", 0.3}, {"DN 400", 0.4}, {"Ø 500 mm", 0.5}, {"DN 1000", 1}}));
}

struct SerieMala {
    std::string nombre;
    std::string texto;
    std::string mensaje;
};

class SerieNoValida : public testing::TestWithParam<SerieMala> {};

TEST_P(SerieNoValida, NombraArchivoLineaYMotivo) {
    try {
        leerSerieDiametros(GetParam().texto, "mi serie.txt");
        FAIL() << "se esperaba un error";
    } catch (const ErrorSerie& e) {
        EXPECT_EQ(std::string(e.what()),
                  "La serie de diámetros «mi serie.txt» no es válida: " + GetParam().mensaje + ".");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, SerieNoValida,
    testing::Values(
        SerieMala{"Vacia", "", "no contiene ningún tubo"},
        SerieMala{"SoloComentarios", "# nada\n\n  # tampoco\n", "no contiene ningún tubo"},
        SerieMala{"SinSeparador", "DN 300;0.3\nDN 400 0.4\n",
                  "línea 2: falta el «;» o la «,» entre el nombre y el diámetro"},
        // With "," between the fields, a decimal comma would be ambiguous.
        SerieMala{"ComaDecimalConComa", "DN 400,0,4",
                  "línea 1: hay más de una «,»: separe el nombre y el diámetro con «;»"},
        SerieMala{"DosPuntoYComa", "a;b;0.4", "línea 1: hay más de un «;»"},
        SerieMala{"SinNombre", " ;0.4", "línea 1: falta el nombre del tubo"},
        SerieMala{"DiametroNoNumerico", "\n\nDN 400;0.4m",
                  "línea 3: «0.4m» no es un diámetro en metros"},
        SerieMala{"DiametroVacio", "DN 400;", "línea 1: «» no es un diámetro en metros"},
        SerieMala{"DiametroCero", "DN 0;0", "línea 1: el diámetro ha de ser superior a 0"},
        SerieMala{"DiametroNegativo", "DN 1;-1", "línea 1: el diámetro ha de ser superior a 0"}),
    [](const testing::TestParamInfo<SerieMala>& info) { return info.param.nombre; });

std::vector<Tubo> serieDistribuida(const std::string& archivo) {
    std::ifstream f(std::string(COLVERO_SERIES) + "/" + archivo, std::ios::binary);
    std::stringstream texto;
    texto << f.rdbuf();
    return leerSerieDiametros(texto.str(), archivo);
}

int numeroDelNombre(const std::string& nombre) {
    return std::stoi(nombre.substr(3)); // "DN 315"
}

TEST(SeriesDistribuidas, HormigonDiametroNominalEsElInterior) {
    const auto tubos = serieDistribuida("hormigon-dn.txt");
    ASSERT_FALSE(tubos.empty());
    EXPECT_EQ(tubos.front().nombre, "DN 300");
    EXPECT_EQ(tubos.back().nombre, "DN 2000");
    for (const Tubo& t : tubos) {
        EXPECT_EQ(t.diametro, numeroDelNombre(t.nombre) / 1000.0) << t.nombre;
    }
}

// Wall = outer diameter / 41 rounded up to the next tenth of a millimetre.
TEST(SeriesDistribuidas, PvcSn4InteriorEsExteriorMenosDosParedesSdr41) {
    const auto tubos = serieDistribuida("pvc-sn4.txt");
    ASSERT_FALSE(tubos.empty());
    EXPECT_EQ(tubos.front().nombre, "DN 160");
    EXPECT_EQ(tubos.back().nombre, "DN 1000");
    for (const Tubo& t : tubos) {
        const int exterior = numeroDelNombre(t.nombre);     // mm
        const int paredDecimas = (exterior * 10 + 40) / 41; // tenths of a millimetre
        const int interiorDecimas = exterior * 10 - 2 * paredDecimas;
        EXPECT_DOUBLE_EQ(t.diametro, interiorDecimas / 10000.0) << t.nombre;
    }
    EXPECT_DOUBLE_EQ(tubos.at(3).diametro, 0.2996); // DN 315: 7.7 mm wall
}

} // namespace
} // namespace colvero
