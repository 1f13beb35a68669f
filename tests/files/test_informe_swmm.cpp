#include "files/informe_swmm.h"

#include "files/archivos.h"

#include <gtest/gtest.h>

#include <fstream>

namespace colvero {
namespace {

std::string error(const std::string& texto) {
    try {
        informeSwmmDeBytes(texto, QStringLiteral("m.rpt"));
    } catch (const ErrorArchivo& e) {
        return e.what();
    }
    return "(sin error)";
}

const std::string kCabecera =
    "  Flow Units ............... LPS\n\n  ********************\n  Link Flow Summary\n"
    "  ********************\n\n  ------------------------------------\n"
    "                                 Maximum  Time of Max   Maximum    Max/    Max/\n"
    "                                  |Flow|   Occurrence   |Veloc|    Full    Full\n"
    "  Link                 Type          LPS  days hr:min     m/sec    Flow   Depth\n"
    "  ------------------------------------\n";

TEST(InformeSwmm, Ejemplo1) {
    const std::string ruta = std::string(COLVERO_DATOS_SWMM) + "/example1.rpt";
    if (!std::ifstream(ruta))
        GTEST_SKIP() << "no está " << ruta << " (datos compartidos de SWMM)";
    const InformeSwmm i = leerInformeSwmm(QByteArray::fromStdString(ruta));
    EXPECT_EQ(i.unidades, UnidadesCaudal::CFS);
    EXPECT_EQ(i.enlaces.size(), 13u);
    const FlujoInforme& f = i.enlaces.at("13");
    EXPECT_EQ(f.tipo, "CONDUIT");
    EXPECT_DOUBLE_EQ(f.caudalEnUnidades, 8.98);
    EXPECT_DOUBLE_EQ(f.caudal, 8.98 * 0.3048 * 0.3048 * 0.3048);
    EXPECT_DOUBLE_EQ(*f.maxLleno, 0.93);
}

TEST(InformeSwmm, FilasDeConductosYDeOtrosEnlaces) {
    const InformeSwmm i = informeSwmmDeBytes(
        kCabecera +
            "  C1                   CONDUIT    120.50     0  04:01      1.60    0.30    0.38\n"
            "  Con blancos          CONDUIT      2.00     0  04:01      1.10    0.10    0.20\n"
            "  P1                   PUMP        30.00     0  02:00               0.55\n"
            "  W1                   WEIR         0.00     0  00:00\n"
            "\n  C9  CONDUIT  1  0  00:00  1  1  1\n",
        QStringLiteral("m.rpt"));
    EXPECT_EQ(i.unidades, UnidadesCaudal::LPS);
    ASSERT_EQ(i.enlaces.size(), 4u); // the table ends at its blank line
    EXPECT_DOUBLE_EQ(i.enlaces.at("C1").caudal, 0.1205);
    EXPECT_DOUBLE_EQ(*i.enlaces.at("C1").maxLleno, 0.30);
    EXPECT_DOUBLE_EQ(i.enlaces.at("Con blancos").caudal, 0.002);
    EXPECT_EQ(i.enlaces.at("P1").tipo, "PUMP");
    EXPECT_FALSE(i.enlaces.at("P1").maxLleno);
    EXPECT_EQ(i.enlaces.at("W1").caudal, 0);
}

struct InformeMalo {
    const char* nombre;
    std::string texto;
    const char* error;
};

class InformesMalos : public ::testing::TestWithParam<InformeMalo> {};

TEST_P(InformesMalos, ErrorNombraLaLinea) {
    EXPECT_EQ(error(GetParam().texto), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Swmm, InformesMalos,
    ::testing::Values(
        InformeMalo{"sin_tabla", "  Flow Units ... CFS\n  Node Depth Summary\n",
                    "El informe «m.rpt» no es válido: no tiene la tabla «Link Flow Summary»."},
        InformeMalo{"tabla_sin_filas", "  Flow Units ... CFS\n  Link Flow Summary\n  ---\n",
                    "El informe «m.rpt» no es válido: no tiene la tabla «Link Flow Summary»."},
        InformeMalo{"caudal_no_numero", kCabecera + "  C1  CONDUIT  1,5  0  04:01  1  0.3  0.4\n",
                    "El informe «m.rpt» no es válido: línea 12, tabla «Link Flow Summary»: «1,5» "
                    "no es un número (caudal máximo)."},
        InformeMalo{"conducto_sin_columnas", kCabecera + "  C1  CONDUIT  1.5  0  04:01\n",
                    "El informe «m.rpt» no es válido: línea 12, tabla «Link Flow Summary»: la "
                    "fila del conducto «C1» no tiene las siete columnas."},
        InformeMalo{"sin_tipo", kCabecera + "  C1  1.5\n",
                    "El informe «m.rpt» no es válido: línea 12, tabla «Link Flow Summary»: la "
                    "fila no tiene enlace, tipo y caudal máximo."},
        InformeMalo{"repetido", kCabecera + "  C1  PUMP  1\n  C1  PUMP  2\n",
                    "El informe «m.rpt» no es válido: línea 13, tabla «Link Flow Summary»: el "
                    "enlace «C1» ya está en la línea 12."},
        InformeMalo{"unidad_desconocida", "  Flow Units ......... M3H\n",
                    "El informe «m.rpt» no es válido: línea 1: «M3H» no es una unidad de "
                    "caudal."}),
    [](const auto& i) { return std::string(i.param.nombre); });

TEST(InformeSwmm, UnidadesDeLaCabeceraDeLaTabla) {
    std::string texto = kCabecera.substr(kCabecera.find("\n\n") + 2);
    texto += "  C1  CONDUIT  2  0  04:01  1  0.3  0.4\n";
    EXPECT_DOUBLE_EQ(informeSwmmDeBytes(texto, QStringLiteral("m.rpt")).enlaces.at("C1").caudal,
                     0.002);
}

} // namespace
} // namespace colvero
