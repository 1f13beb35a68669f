#include "check/textos_pendientes.h"

#include "check/numero.h"

#include "caso_base.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace colvero {
namespace {

// gtest takes only letters, digits and '_' in a row's name.
template <class Fila> std::string nombreDeFila(const testing::TestParamInfo<Fila>& i) {
    std::string n = i.param.nombre;
    for (char& c : n) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return n;
}

struct Llano {
    const char* nombre;
    const char* texto;
    char sep;
    const char* esperado;
};

class DecimalLlano : public testing::TestWithParam<Llano> {};

TEST_P(DecimalLlano, MismoValorSinExponente) {
    const Llano& c = GetParam();
    const std::string t = decimalLlano(c.texto, c.sep);
    EXPECT_EQ(t, c.esperado);
    // The same decimal value: both read back as the same double.
    const char enTexto = std::string(c.texto).find(',') != std::string::npos ? ',' : '.';
    const std::optional<double> antes = leerNumero(c.texto, enTexto);
    ASSERT_TRUE(antes.has_value());
    EXPECT_EQ(leerNumero(t, c.sep), antes);
}

INSTANTIATE_TEST_SUITE_P(
    Textos, DecimalLlano,
    testing::Values(Llano{"exponente de C con dos cifras", "1e-07", '.', "0.0000001"},
                    Llano{"exponente corto con coma", "1e-7", ',', "0,0000001"},
                    Llano{"mantisa con decimales", "3,2e-7", ',', "0,00000032"},
                    Llano{"punto a coma", "0.002", ',', "0,002"},
                    Llano{"coma a punto", "0,02544", '.', "0.02544"},
                    Llano{"ceros de la mantisa", "1.500e-3", ',', "0,0015"},
                    Llano{"exponente positivo", "2.5E+1", '.', "25"},
                    Llano{"exponente dentro de la mantisa", "1.2345e2", '.', "123.45"},
                    Llano{"negativo", "-4e-3", ',', "-0,004"},
                    Llano{"sin exponente guarda sus ceros", "0,0100", '.', "0.0100"}),
    nombreDeFila<Llano>);

// Any double in the searched range and beyond, written plain, reads back as itself.
TEST(DecimalLlanoDeUnDouble, LeeElMismoDouble) {
    for (int e = -12; e <= 3; ++e) {
        for (const double m : {1.0, 1.2345678901234567, 3.2, 9.999999999999998}) {
            const double x = m * std::pow(10.0, e);
            for (const char sep : {'.', ','}) {
                const std::string t = decimalLlano(x, sep);
                EXPECT_EQ(t.find_first_of("eE"), std::string::npos) << t;
                EXPECT_EQ(leerNumero(t, sep), x) << t;
            }
        }
    }
    EXPECT_EQ(decimalLlano(kPendienteMinima, ','), "0,0000001");
    EXPECT_EQ(decimalLlano(kPendienteMaxima, ','), "1");
}

ExtremoPendiente extremo(const char* texto, bool incluido, int condicion) {
    ExtremoPendiente e;
    e.texto = texto;
    e.incluido = incluido;
    e.condicion = condicion;
    // `valor` is never written: a formatter that used it would show 0.
    e.valor = 0;
    return e;
}

IntervaloPendientes intervalo(std::optional<ExtremoPendiente> minima,
                              std::optional<ExtremoPendiente> maxima) {
    return {std::move(minima), std::move(maxima)};
}

ResultadoPendientes con(std::vector<IntervaloPendientes> intervalos) {
    ResultadoPendientes r;
    r.intervalos = std::move(intervalos);
    return r;
}

ResultadoPendientes ninguna(FinPendientes fin, const char* motivo) {
    ResultadoPendientes r;
    r.fin = fin;
    r.motivo = motivo;
    return r;
}

struct Ventana {
    const char* nombre;
    ResultadoPendientes r;
    char sep;
    const char* celda;     // without the reason
    const char* conMotivo; // with it
    const char* completo;  // the full text
};

class TextosDeVentana : public testing::TestWithParam<Ventana> {};

TEST_P(TextosDeVentana, CeldaYTextoCompleto) {
    const Ventana& v = GetParam();
    std::string celda = "previo|"; // appended to, never replaced
    anadirCeldaPendientes(celda, v.r, v.sep, false);
    EXPECT_EQ(celda, std::string("previo|") + v.celda);
    std::string conMotivo;
    anadirCeldaPendientes(conMotivo, v.r, v.sep, true);
    EXPECT_EQ(conMotivo, v.conMotivo);
    EXPECT_EQ(textoPendientesCompleto(v.r, v.sep), v.completo);
    for (const std::string& t : {celda, conMotivo}) {
        EXPECT_EQ(t.find("e-"), std::string::npos) << t;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Textos, TextosDeVentana,
    testing::Values(
        Ventana{"cerrado por dos condiciones, coma",
                con({intervalo(extremo("0,004448", true, 6), extremo("0,01", true, 9))}), ',',
                "0,004448 ≤ i ≤ 0,01 · (6) y (9)", "0,004448 ≤ i ≤ 0,01 · (6) y (9)",
                "Pendientes admisibles (m/m): 0,004448 ≤ i ≤ 0,01\n"
                "    Extremo inferior 0,004448: lo decide la condición (6), «Froude mínimo».\n"
                "    Extremo superior 0,01: lo decide la condición (9), «Pendiente "
                "constructiva máxima»."},
        Ventana{"Imin excluida, punto",
                con({intervalo(extremo("0.002", false, 8), extremo("0.02544", true, 7))}), '.',
                "0.002 < i ≤ 0.02544 · (8) y (7)", "0.002 < i ≤ 0.02544 · (8) y (7)",
                "Pendientes admisibles (m/m): 0.002 < i ≤ 0.02544\n"
                "    Extremo inferior 0.002 (excluido): lo decide la condición (8), «Pendiente "
                "constructiva mínima».\n"
                "    Extremo superior 0.02544: lo decide la condición (7), «Froude máximo»."},
        Ventana{"extremo inferior del intervalo buscado",
                con({intervalo(std::nullopt, extremo("0,02544", false, 2))}), ',',
                "0,0000001 ≤ i < 0,02544 · (2)", "0,0000001 ≤ i < 0,02544 · (2)",
                "Pendientes admisibles (m/m): 0,0000001 ≤ i < 0,02544\n"
                "    Extremo inferior 0,0000001: el del intervalo buscado; ninguna condición "
                "lo fija.\n"
                "    Extremo superior 0,02544 (excluido): lo decide la condición (2), "
                "«Velocidad máxima»."},
        Ventana{"todo el intervalo buscado", con({intervalo(std::nullopt, std::nullopt)}), '.',
                "0.0000001 ≤ i ≤ 1", "0.0000001 ≤ i ≤ 1",
                "Pendientes admisibles (m/m): 0.0000001 ≤ i ≤ 1\n"
                "    Extremo inferior 0.0000001: el del intervalo buscado; ninguna condición "
                "lo fija.\n"
                "    Extremo superior 1: el del intervalo buscado; ninguna condición lo fija."},
        Ventana{"dos intervalos, textos escritos con el otro separador",
                con({intervalo(extremo("3,2e-7", true, 5), extremo("0,001", false, 3)),
                     intervalo(extremo("0,005", true, 3), std::nullopt)}),
                '.', "0.00000032 ≤ i < 0.001 · (5) y (3); 0.005 ≤ i ≤ 1 · (3)",
                "0.00000032 ≤ i < 0.001 · (5) y (3); 0.005 ≤ i ≤ 1 · (3)",
                "Pendientes admisibles (m/m): 0.00000032 ≤ i < 0.001\n"
                "    Extremo inferior 0.00000032: lo decide la condición (5), «Condición "
                "autolimpieza (Fórmula de Shields)».\n"
                "    Extremo superior 0.001 (excluido): lo decide la condición (3), «Velocidad "
                "mínima».\n"
                "Pendientes admisibles (m/m): 0.005 ≤ i ≤ 1\n"
                "    Extremo inferior 0.005: lo decide la condición (3), «Velocidad mínima».\n"
                "    Extremo superior 1: el del intervalo buscado; ninguna condición lo fija."},
        Ventana{"ninguna pasa",
                ninguna(FinPendientes::Realizado,
                        "La condición (8) pide i > 0,005 y la (9) i ≤ 0,005."),
                ',', "ninguna", "ninguna (La condición (8) pide i > 0,005 y la (9) i ≤ 0,005.)",
                "Ninguna pendiente cumple todas las condiciones activas.\n"
                "La condición (8) pide i > 0,005 y la (9) i ≤ 0,005."},
        Ventana{"salida de error sin mensaje", ninguna(FinPendientes::Error, ""), ',',
                "Datos de entrada erroneos", "Datos de entrada erroneos",
                "Datos de entrada erroneos"},
        Ventana{"colector rechazado",
                ninguna(FinPendientes::ColectorInvalido,
                        "El Nº de Manning ha de ser superior a 0.0001"),
                '.', "El Nº de Manning ha de ser superior a 0.0001",
                "El Nº de Manning ha de ser superior a 0.0001",
                "El Nº de Manning ha de ser superior a 0.0001"}),
    nombreDeFila<Ventana>);

struct Aviso {
    const char* nombre;
    std::vector<int> condiciones;
    bool mayuscula;
    const char* esperado;
};

class AvisoDosCalados : public testing::TestWithParam<Aviso> {};

TEST_P(AvisoDosCalados, UnaRedaccion) {
    EXPECT_EQ(avisoDosCalados(GetParam().condiciones, GetParam().mayuscula), GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Textos, AvisoDosCalados,
    testing::Values(Aviso{"una",
                          {2},
                          true,
                          "Aviso (2): el caudal está entre Qll y Qmax, donde la sección tiene dos "
                          "calados normales; se toma el menor."},
                    Aviso{"dos tras dos puntos",
                          {2, 6},
                          false,
                          "aviso (2) y (6): los caudales están entre Qll y Qmax, donde la sección "
                          "tiene dos calados normales; se toma el menor."},
                    Aviso{"tres",
                          {3, 5, 7},
                          true,
                          "Aviso (3), (5) y (7): los caudales están entre Qll y Qmax, donde la "
                          "sección tiene dos calados normales; se toma el menor."}),
    nombreDeFila<Aviso>);

// The engine's own windows: the cell's numbers are the shown ends, read back to the same
// values, and the reasons name the searched range without an exponent.
TEST(TextosDelMotor, ExtremosMostradosYMotivos) {
    for (const char sep : {'.', ','}) {
        const Entradas d = prueba::casoBase();
        Activas todas{};
        todas.fill(true);
        const ResultadoPendientes r = pendientesAdmisibles(d, todas, sep);
        ASSERT_FALSE(r.intervalos.empty());
        std::string celda;
        anadirCeldaPendientes(celda, r, sep, true);
        for (const IntervaloPendientes& t : r.intervalos) {
            for (const auto* e : {&t.minima, &t.maxima}) {
                if (!*e)
                    continue;
                const std::string shown = textoExtremoPendiente(**e, sep);
                EXPECT_NE(celda.find(shown), std::string::npos) << celda;
                EXPECT_EQ(leerNumero(shown, sep), leerNumero((*e)->texto, sep));
            }
        }

        Entradas imposible = d;
        imposible.yDmax = 1; // no slope keeps (4)
        Activas cuatro{};
        cuatro[3] = true;
        const ResultadoPendientes n = pendientesAdmisibles(imposible, cuatro, sep);
        EXPECT_EQ(n.motivo, "La condición (4) no se cumple con ninguna pendiente " +
                                textoRangoBuscado(sep) + ".");
        EXPECT_EQ(textoRangoBuscado(sep), std::string("entre 0") + sep + "0000001 y 1 m/m");
    }
}

} // namespace
} // namespace colvero
