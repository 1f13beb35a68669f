// The fields of a layer of results: which exist for a network, and what a link that is not
// checked, or not yet noted, holds.
#include "network/resultados_sig.h"

#include "files/archivos.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace colvero::red {
namespace {

// Two reaches with flows for conditions 1 and 4 only, and a pump.
const std::string kModelo = "[OPTIONS]\nFLOW_UNITS CMS\n"
                            "[JUNCTIONS]\nA 10 2\nB 9.5 2\n"
                            "[OUTFALLS]\nS 9 FREE\n"
                            "[CONDUITS]\nT1 A B 50 0.013 0 0\nT2 B S 50 0.013 0 0\n"
                            "[PUMPS]\nP1 A S * ON 0 0\n"
                            "[XSECTIONS]\nT1 CIRCULAR 0.4\nT2 CIRCULAR 0.4\n";

std::vector<std::string> nombres(const std::vector<gis::CampoResultado>& c) {
    std::vector<std::string> n;
    for (const gis::CampoResultado& f : c)
        n.push_back(f.nombre);
    return n;
}

const gis::Valor& valor(const std::vector<gis::CampoResultado>& c, const std::string& nombre,
                        std::size_t enlace) {
    for (const gis::CampoResultado& f : c)
        if (f.nombre == nombre)
            return f.valores.at(enlace);
    throw std::out_of_range(nombre);
}

TEST(ResultadosSig, CamposYEnlacesSinComprobar) {
    QTemporaryDir dir;
    const QString ruta = dir.filePath("m.inp");
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kModelo.data(), static_cast<qint64>(kModelo.size()));
    f.close();
    RedGrafo g = leerRedGrafo(QFile::encodeName(ruta), OpcionesFuente{});
    ASSERT_EQ(g.tramos.size(), 3u);
    for (TramoGrafo& t : g.tramos) {
        t.Q[0] = 0.05;
        t.Q[3] = 0.02;
    }
    CriterioListo c;
    c.activas.fill(false);
    c.activas[0] = c.activas[3] = true;
    c.limites.yDmax = 75;

    OpcionesRed o;
    o.pendientes = false;
    ResultadosSig sin(g, o);
    EXPECT_EQ(nombres(sin.campos()),
              (std::vector<std::string>{"cumple", "estado", "c1", "c2", "c3", "c4", "c5", "c6",
                                        "c7", "c8", "c9", "c10", "yD_4", "v_4"}));
    o.pendientes = true;
    o.conSerie = true;
    ResultadosSig r(g, o);
    PreparadorRed p(g.cabecera, QFile::encodeName(ruta), c, nullptr, o);
    for (const std::size_t k : {0u, 2u}) {
        Trabajo t;
        t.fila = g.fila(k);
        p.preparar(t, g.tramos[k]);
        comprobarTrabajo(t, o, g.cabecera.dialecto);
        r.anotar(k, t);
    }
    const std::vector<gis::CampoResultado> campos = r.campos();
    EXPECT_EQ(nombres(campos).size(), 16u);
    EXPECT_EQ(valor(campos, "cumple", 0), gis::Valor(std::int64_t{1}));
    EXPECT_EQ(valor(campos, "c1", 0), gis::Valor(std::string("[SI]")));
    EXPECT_EQ(valor(campos, "c2", 0), gis::Valor(std::string("-")));
    EXPECT_TRUE(std::holds_alternative<double>(valor(campos, "yD_4", 0)));
    EXPECT_TRUE(std::holds_alternative<std::string>(valor(campos, "pendientes", 0)));
    EXPECT_EQ(valor(campos, "menor_tubo", 0), gis::Valor());
    // T2 was never noted; the pump is not checked and says why.
    for (const char* n : {"cumple", "estado", "c1", "yD_4", "pendientes"})
        EXPECT_EQ(valor(campos, n, 1), gis::Valor()) << n;
    EXPECT_EQ(valor(campos, "estado", 2), gis::Valor(std::string("no es un conducto (bomba)")));
    EXPECT_EQ(valor(campos, "cumple", 2), gis::Valor());
    EXPECT_EQ(valor(campos, "c1", 2), gis::Valor());
}

} // namespace
} // namespace colvero::red
