#include "check/numero.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace colvero {
namespace {

struct Lectura {
    std::string nombre;
    std::string texto;
    char separador;
    double valor;
};

class NumeroValido : public testing::TestWithParam<Lectura> {};

TEST_P(NumeroValido, SeLeeConSuValor) {
    const Lectura& l = GetParam();
    const std::optional<double> x = leerNumero(l.texto, l.separador);
    ASSERT_TRUE(x.has_value()) << '"' << l.texto << '"';
    EXPECT_EQ(*x, l.valor);
    EXPECT_EQ(std::signbit(*x), std::signbit(l.valor));
}

INSTANTIATE_TEST_SUITE_P(
    Lectura, NumeroValido,
    testing::Values(
        Lectura{"Cero", "0", '.', 0.0}, Lectura{"Entero", "12", '.', 12.0},
        Lectura{"DecimalConPunto", "0.013", '.', 0.013},
        Lectura{"DecimalConComa", "0,013", ',', 0.013}, Lectura{"SignoMas", "+2.5", '.', 2.5},
        Lectura{"SignoMenos", "-2,5", ',', -2.5}, Lectura{"MenosCero", "-0", '.', -0.0},
        Lectura{"BlancosAlrededor", " \t 1.5\t  ", '.', 1.5},
        Lectura{"SinDecimalesTrasElSeparador", "7.", '.', 7.0},
        Lectura{"SinEnterosAnteElSeparador", ",5", ',', 0.5},
        Lectura{"CerosALaIzquierda", "000123.4500", '.', 123.45},
        Lectura{"Exponente", "1e3", '.', 1000.0},
        Lectura{"ExponenteMayusculaNegativo", "5E-3", '.', 0.005},
        Lectura{"ExponenteConSignoMas", "1,5e+2", ',', 150.0},
        Lectura{"MayorDoble", "1.7976931348623157e308", '.', std::numeric_limits<double>::max()},
        Lectura{"MayorDobleEscritoConCerosDelante", "0.00017976931348623157e312", '.',
                std::numeric_limits<double>::max()},
        Lectura{"Subnormal", "4.9e-324", '.', std::numeric_limits<double>::denorm_min()},
        Lectura{"SubdesbordeEsCero", "2e-324", '.', 0.0},
        Lectura{"SubdesbordeNegativoEsMenosCero", "-1e-400", '.', -0.0},
        Lectura{"ExponenteNegativoAbsurdo", "1e-99999999999999999999999999", '.', 0.0},
        Lectura{"CeroConExponenteAbsurdo", "0e99999999999999999999999999", '.', 0.0},
        Lectura{"MuchasCifrasCompensadasPorElExponente",
                "100000000000000000000000000000000000000000e-40", '.', 10.0}),
    [](const testing::TestParamInfo<Lectura>& info) { return info.param.nombre; });

struct Rechazo {
    std::string nombre;
    std::string texto;
    char separador;
};

class NumeroInvalido : public testing::TestWithParam<Rechazo> {};

TEST_P(NumeroInvalido, NoSeLee) {
    EXPECT_FALSE(leerNumero(GetParam().texto, GetParam().separador).has_value())
        << '"' << GetParam().texto << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Lectura, NumeroInvalido,
    testing::Values(
        Rechazo{"Vacio", "", '.'}, Rechazo{"SoloBlancos", "  \t ", ','},
        Rechazo{"Letras", "abc", '.'}, Rechazo{"CifraYLetra", "1a", '.'},
        Rechazo{"PuntoBajoComa", "0.5", ','}, Rechazo{"ComaBajoPunto", "0,5", '.'},
        Rechazo{"SeparadorDeMilesComa", "1,000.5", '.'},
        Rechazo{"SeparadorDeMilesPunto", "1.000,5", ','}, Rechazo{"DosSeparadores", "1.2.3", '.'},
        Rechazo{"SoloSeparador", ".", '.'}, Rechazo{"SoloSigno", "-", '.'},
        Rechazo{"DosSignos", "+-1", '.'}, Rechazo{"BlancoInterior", "1 5", '.'},
        Rechazo{"BlancoTrasSigno", "- 1", '.'}, Rechazo{"ExponenteSinCifras", "1e", '.'},
        Rechazo{"ExponenteSoloSigno", "1e+", '.'}, Rechazo{"ExponenteSinMantisa", "e5", '.'},
        Rechazo{"ExponenteDecimal", "1e2.5", '.'}, Rechazo{"Infinito", "inf", '.'},
        Rechazo{"InfinitoLargo", "-Infinity", '.'}, Rechazo{"NoNumero", "nan", '.'},
        Rechazo{"Hexadecimal", "0x1A", '.'}, Rechazo{"HexadecimalFlotante", "0x1p3", '.'},
        Rechazo{"ExponenteFortran", "1d3", '.'}, Rechazo{"SaltoDeLinea", "1\n", '.'},
        Rechazo{"Desborde", "1e309", '.'}, Rechazo{"DesbordeNegativo", "-2e308", '.'},
        Rechazo{"DesbordePorRedondeo", "1.7976931348623159e308", '.'},
        Rechazo{"DesbordeConExponenteAbsurdo", "1e99999999999999999999999", '.'}),
    [](const testing::TestParamInfo<Rechazo>& info) { return info.param.nombre; });

struct Texto {
    std::string nombre;
    double x;
    char separador;
    std::string texto;
};

class Formato1 : public testing::TestWithParam<Texto> {};

TEST_P(Formato1, EscribeElPatronQueCorresponde) {
    EXPECT_EQ(formato1(GetParam().x, GetParam().separador), GetParam().texto);
}

INSTANTIATE_TEST_SUITE_P(
    Valores, Formato1,
    testing::Values(Texto{"FijoCentesimas", 0.05, '.', "0.05000000"},
                    Texto{"FijoMillares", 1234.5, '.', "1234.50000000"},
                    Texto{"FijoEnElLimiteInferior", 0.01, '.', "0.01000000"},
                    Texto{"FijoEnElLimiteSuperior", 10000, '.', "10000.00000000"},
                    Texto{"FijoRedondeaAlOctavo", 1.695347724, '.', "1.69534772"},
                    Texto{"FijoConComa", 2.158580864, ',', "2,15858086"},
                    Texto{"CientificoRedondeaAlQuinto", 0.001234567, '.', "1.23457e-3"},
                    Texto{"CientificoSinDecimales", 0.005, '.', "5.e-3"},
                    Texto{"CientificoJustoBajoElLimite", 0.0099, '.', "9.9e-3"},
                    Texto{"CientificoRenormalizaADiez", 9.999996e-3, '.', "1.e-2"},
                    Texto{"CientificoGrande", 123456, '.', "1.23456e5"},
                    Texto{"CientificoGrandeSinDecimales", 50000, '.', "5.e4"},
                    Texto{"CientificoJustoSobreElLimite", 10000.5, '.', "1.00005e4"},
                    Texto{"CientificoConComa", 0.001234567, ',', "1,23457e-3"},
                    Texto{"CientificoExponenteDeTresCifras", 1.5e300, '.', "1.5e300"},
                    Texto{"Negativo", -0.005, '.', "-5.e-3"},
                    Texto{"NegativoGrande", -123456, ',', "-1,23456e5"},
                    Texto{"Cero", 0.0, '.', "0.e0"}, Texto{"MenosCero", -0.0, '.', "0.e0"}),
    [](const testing::TestParamInfo<Texto>& info) { return info.param.nombre; });

class ConversionSimple : public testing::TestWithParam<Texto> {};

TEST_P(ConversionSimple, EscribeQuinceCifrasSinCerosFinales) {
    EXPECT_EQ(conversionSimple(GetParam().x, GetParam().separador), GetParam().texto);
}

INSTANTIATE_TEST_SUITE_P(Valores, ConversionSimple,
                         testing::Values(Texto{"Pendiente", 0.005, '.', "0.005"},
                                         Texto{"PendienteConComa", 0.005, ',', "0,005"},
                                         Texto{"Cero", 0, '.', "0"},
                                         Texto{"Entero", 100000, '.', "100000"},
                                         Texto{"QuinceCifras", 1.0 / 3.0, ',', "0,333333333333333"},
                                         Texto{"SumaInexacta", 0.1 + 0.2, '.', "0.3"},
                                         Texto{"ExponentePequeno", 1e-5, '.', "1e-05"},
                                         Texto{"ExponenteGrande", 1.5e15, ',', "1,5e+15"},
                                         Texto{"Negativo", -2.5, '.', "-2.5"}),
                         [](const testing::TestParamInfo<Texto>& info) {
                             return info.param.nombre;
                         });

} // namespace
} // namespace colvero
