#include "files/hipotesis.h"

#include "files/archivos.h"

#include <gtest/gtest.h>

namespace colvero {
namespace {

red::Hipotesis leer(const std::string& texto) {
    return hipotesisDeBytes(texto, QStringLiteral("h.txt"));
}

std::string error(const std::string& texto) {
    try {
        leer(texto);
    } catch (const ErrorArchivo& e) {
        return e.what();
    }
    return "(sin error)";
}

TEST(Hipotesis, VaciaDaLosValoresPorDefecto) {
    const red::Hipotesis h = leer("# nada\n\n   \r\n");
    EXPECT_EQ(h, red::Hipotesis{});
    EXPECT_EQ(h.a, 1.15);
    EXPECT_EQ(h.b, 2.575);
    EXPECT_EQ(h.c, 0.25);
    EXPECT_EQ(h.cpMinimo, 1.0);
    EXPECT_EQ(h.cpMaximo, 4.0);
    EXPECT_EQ(h.factorMinimo, 0.3);
    EXPECT_EQ(h.caudalMinimo, 0.0015);
    EXPECT_EQ(h.infiltracion, 0);
    using T = red::TipoCaudal;
    EXPECT_EQ(h.condicion, (std::array{T::Calculo, T::Punta, T::Minimo, T::Punta, T::Medio,
                                       T::Medio, T::Maximo}));
}

TEST(Hipotesis, ClavesConComaOPuntoYComentarios) {
    const red::Hipotesis h =
        leer("coeficiente_punta_a = 1,5  # Cp constante\r\ncoeficiente_punta_b=0\n"
             "\tfactor_minimo\t=\t0.25\ncaudal_minimo = 2e-3\ninfiltracion = 0,000001\n"
             "condicion_3 = medio\ncondicion_7=calculo # diseño\n");
    EXPECT_EQ(h.a, 1.5);
    EXPECT_EQ(h.b, 0);
    EXPECT_EQ(h.factorMinimo, 0.25);
    EXPECT_EQ(h.caudalMinimo, 0.002);
    EXPECT_EQ(h.infiltracion, 0.000001);
    EXPECT_EQ(h.condicion[2], red::TipoCaudal::Medio);
    EXPECT_EQ(h.condicion[6], red::TipoCaudal::Calculo);
    EXPECT_EQ(h.condicion[0], red::TipoCaudal::Calculo);
}

TEST(Hipotesis, TextoSeLeeIgual) {
    red::Hipotesis h;
    h.a = 0.1 + 0.2;
    h.infiltracion = 1.0 / 3e6;
    h.condicion[4] = red::TipoCaudal::Maximo;
    const std::string texto = textoDeHipotesis(h);
    EXPECT_EQ(leer(texto), h);
    // The window's editor shows it: plain decimals, never an exponent.
    const std::size_t linea = texto.find("infiltracion = ");
    ASSERT_NE(linea, std::string::npos);
    EXPECT_EQ(texto.substr(linea, texto.find('\n', linea) - linea),
              "infiltracion = 0.00000033333333333333335");
}

struct HipotesisMala {
    const char* nombre;
    const char* texto;
    const char* error;
};
const HipotesisMala kMalas[] = {
    {"clave_desconocida", "# h\ncoeficiente_punta = 2\n",
     "La hipótesis «h.txt» no es válida: línea 2: la clave «coeficiente_punta» no existe."},
    {"condicion_8", "condicion_8 = punta\n",
     "La hipótesis «h.txt» no es válida: línea 1: la clave «condicion_8» no existe."},
    {"clave_repetida", "factor_minimo = 0.2\n\nfactor_minimo = 0.3\n",
     "La hipótesis «h.txt» no es válida: línea 3: la clave «factor_minimo» ya está en la "
     "línea 1."},
    {"no_numero", "caudal_minimo = poco\n",
     "La hipótesis «h.txt» no es válida: línea 1: el valor «poco» de «caudal_minimo» no es un "
     "número."},
    {"vacio", "caudal_minimo =\n",
     "La hipótesis «h.txt» no es válida: línea 1: el valor «» de «caudal_minimo» no es un "
     "número."},
    {"miles_y_decimales", "infiltracion = 1.000,5\n",
     "La hipótesis «h.txt» no es válida: línea 1: el valor «1.000,5» de «infiltracion» no es "
     "un número."},
    {"sin_igual", "factor_minimo 0.3\n",
     "La hipótesis «h.txt» no es válida: línea 1: falta «=» entre la clave y su valor."},
    {"tipo_desconocido", "condicion_2 = pico\n",
     "La hipótesis «h.txt» no es válida: línea 1: «pico» no es un tipo de caudal (calculo, "
     "punta, minimo, medio o maximo)."},
    {"negativo", "infiltracion = -1e-6\n",
     "La hipótesis «h.txt» no es válida: línea 1: el valor de «infiltracion» no puede ser "
     "negativo."},
    {"cp_cruzados", "coeficiente_punta_maximo = 1.5\ncoeficiente_punta_minimo = 2\n",
     "La hipótesis «h.txt» no es válida: línea 2: el coeficiente punta mínimo es mayor que el "
     "máximo."},
};

class HipotesisMalas : public ::testing::TestWithParam<HipotesisMala> {};

TEST_P(HipotesisMalas, ErrorNombraLaLinea) {
    EXPECT_EQ(error(GetParam().texto), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Hipotesis, HipotesisMalas, ::testing::ValuesIn(kMalas),
                         [](const auto& i) { return std::string(i.param.nombre); });

} // namespace
} // namespace colvero
