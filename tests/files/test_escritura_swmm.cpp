// A model with new pipes, read back by the model reader: the very inverts, diameters and
// ground elevations asked for, and every other byte of the source as it was.
#include "files/escritura_swmm.h"

#include "files/archivos.h"
#include "files/modelo_swmm.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace colvero {
namespace {

std::string leerArchivo(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().toStdString();
}

ModeloSwmm leer(std::string_view bytes) {
    return modeloSwmmDeBytes(bytes, QStringLiteral("m.inp"));
}

const red::Nodo& nodo(const ModeloSwmm& m, const std::string& id) {
    for (const red::Nodo& n : m.red.nodos)
        if (n.id == id)
            return n;
    throw std::runtime_error("sin nodo " + id);
}

const red::Enlace& enlace(const ModeloSwmm& m, const std::string& id) {
    for (const red::Enlace& e : m.red.enlaces)
        if (e.id == id)
            return e;
    throw std::runtime_error("sin enlace " + id);
}

// A new pipe for every circular conduit (or every other one): inverts on the 1 cm grid, from
// 0.5 to 3.5 m below the ground of its nodes (or the node's invert where it has none), and a
// diameter of a series.
std::unordered_map<std::string, TuboNuevo> tubosAlAzar(const ModeloSwmm& m, unsigned semilla,
                                                       bool todos) {
    std::mt19937 azar(semilla);
    std::uniform_int_distribution<int> cm(50, 350);
    const double series[] = {0.3, 0.4, 0.5, 0.6, 0.8, 0.2996, 0.3804, 0.4756};
    std::uniform_int_distribution<int> tubo(0, 7);
    std::unordered_map<std::string, TuboNuevo> t;
    int k = 0;
    for (const red::Enlace& e : m.red.enlaces) {
        if (!e.esConducto() || (!todos && k++ % 2))
            continue;
        const auto cota = [&](const std::string& id) {
            const red::Nodo& n = nodo(m, id);
            const double arriba = n.cotaTerreno.value_or(n.cotaSolera + 3.6);
            return static_cast<double>(std::llround(arriba * 100) - cm(azar)) / 100.0;
        };
        t[e.id] = {cota(e.desde), cota(e.hasta), series[tubo(azar)]};
    }
    return t;
}

struct Fuente {
    const char* nombre;
    std::string bytes;
    bool exacto; // metres: every number reads back as the very double
};

std::vector<Fuente> fuentes() {
    std::vector<Fuente> f;
    f.push_back({"ejemplo de diseño (LPS, DEPTH)",
                 leerArchivo(QStringLiteral(COLVERO_EJEMPLOS "/diseno-ejemplo.inp")), true});
    f.push_back({"red de ejemplo con aliviadero (CMS)",
                 leerArchivo(QStringLiteral(COLVERO_EJEMPLOS "/red-ejemplo.inp")), true});
    std::string crlf;
    for (const char c : f[0].bytes) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    f.push_back({"ejemplo de diseño con CR LF", crlf, true});
    // The same inverts as elevations: "*" is the node's invert.
    std::string elevacion = f[1].bytes;
    elevacion.replace(elevacion.find("LINK_OFFSETS         DEPTH"), 26,
                      "LINK_OFFSETS         ELEVATION");
    for (size_t k = elevacion.find("0.013    0 0"); k != std::string::npos;
         k = elevacion.find("0.013    0 0", k))
        elevacion.replace(k, 12, "0.013    * *");
    f.push_back({"red de ejemplo con desplazamientos como cotas", elevacion, true});
    f.push_back({"Example1 de EPA (CFS)",
                 leerArchivo(QStringLiteral(COLVERO_DATOS_SWMM "/Example1.inp")), false});
    // Inverts about 400 m: x / 0.3048 lies two binades up, where the products of feet by
    // 0.3048 skip some doubles.
    std::string alto = "[OPTIONS]\nFLOW_UNITS CFS\n[JUNCTIONS]\n";
    for (int k = 0; k < 12; ++k)
        alto += "N" + std::to_string(k) + " " + std::to_string(1340 - 3 * k) + ".37 14.5\n";
    alto += "[OUTFALLS]\nS 1300 FREE\n[CONDUITS]\n";
    for (int k = 0; k < 12; ++k)
        alto += "C" + std::to_string(k) + " N" + std::to_string(k) + " " +
                (k == 11 ? std::string("S") : "N" + std::to_string(k + 1)) + " 250 0.013 0 0\n";
    alto += "[XSECTIONS]\n";
    for (int k = 0; k < 12; ++k)
        alto += "C" + std::to_string(k) + " CIRCULAR 1.5\n";
    f.push_back({"modelo en pies a unos 400 m (CFS)", alto, false});
    return f;
}

// The lines of a source that a change of pipes may touch: node, conduit, section and
// structure lines; the rest must come out byte for byte.
bool esLineaDeDatos(const std::string& seccion) {
    for (const char* s : {"[JUNCTIONS]", "[OUTFALLS]", "[STORAGE]", "[DIVIDERS]", "[CONDUITS]",
                          "[XSECTIONS]", "[WEIRS]", "[ORIFICES]", "[OUTLETS]"})
        if (seccion == s)
            return true;
    return false;
}

std::vector<std::pair<std::string, std::string>> lineas(const std::string& bytes) {
    std::vector<std::pair<std::string, std::string>> l;
    std::string seccion;
    size_t k = 0;
    while (k <= bytes.size()) {
        size_t fin = bytes.find('\n', k);
        if (fin == std::string::npos)
            fin = bytes.size();
        std::string linea = bytes.substr(k, fin - k);
        k = fin + 1;
        const size_t c = linea.find_first_not_of(" \t");
        if (c != std::string::npos && linea[c] == '[')
            seccion = linea.substr(c, linea.find(']') - c + 1);
        l.emplace_back(seccion, linea);
    }
    return l;
}

TEST(EscrituraSwmm, LasCotasDiametrosYTerrenoSeLeenComoSeDieron) {
    for (const Fuente& f : fuentes()) {
        SCOPED_TRACE(f.nombre);
        if (f.bytes.empty()) {
            ADD_FAILURE() << "falta el modelo";
            continue;
        }
        const ModeloSwmm antes = leer(f.bytes);
        int inexactos = 0;
        for (const bool todos : {true, false}) {
            for (unsigned semilla = 1; semilla <= 20; ++semilla) {
                SCOPED_TRACE(testing::Message() << "semilla " << semilla << ", todos " << todos);
                const auto tubos = tubosAlAzar(antes, semilla, todos);
                const EscrituraSwmm r = modeloSwmmConTubos(f.bytes, QStringLiteral("m.inp"), tubos);
                const ModeloSwmm despues = leer(r.bytes);
                if (f.exacto) {
                    EXPECT_EQ(r.inexactos, 0);
                }
                inexactos += r.inexactos;
                ASSERT_EQ(despues.red.enlaces.size(), antes.red.enlaces.size());
                ASSERT_EQ(despues.red.nodos.size(), antes.red.nodos.size());
                for (size_t k = 0; k < antes.red.enlaces.size(); ++k) {
                    const red::Enlace& a = antes.red.enlaces[k];
                    const red::Enlace& d = despues.red.enlaces[k];
                    SCOPED_TRACE(a.id);
                    const auto it = tubos.find(a.id);
                    if (it == tubos.end()) {
                        // Unchanged conduits keep their inverts, whatever their nodes did.
                        EXPECT_EQ(d.cotaInicio, a.cotaInicio);
                        EXPECT_EQ(d.cotaFin, a.cotaFin);
                        EXPECT_EQ(d.D, a.D);
                        continue;
                    }
                    ASSERT_TRUE(d.cotaInicio && d.cotaFin);
                    // With DEPTH offsets the node's invert plus the offset gives the very
                    // double, in feet too; a diameter in feet may be the nearest one.
                    EXPECT_EQ(*d.cotaInicio, it->second.cotaInicio);
                    EXPECT_EQ(*d.cotaFin, it->second.cotaFin);
                    if (f.exacto) {
                        EXPECT_EQ(d.D, it->second.D);
                    } else {
                        EXPECT_NEAR(d.D, it->second.D, 2e-16);
                    }
                    EXPECT_TRUE(d.circular);
                }
                for (size_t k = 0; k < antes.red.nodos.size(); ++k) {
                    const red::Nodo& a = antes.red.nodos[k];
                    const red::Nodo& d = despues.red.nodos[k];
                    SCOPED_TRACE(a.id);
                    ASSERT_EQ(d.cotaTerreno.has_value(), a.cotaTerreno.has_value());
                    if (!a.cotaTerreno)
                        continue;
                    EXPECT_EQ(*d.cotaTerreno, *a.cotaTerreno);
                }
                // A node sits at the lowest invert of its conduits: no offset below it.
                for (const red::Enlace& e : despues.red.enlaces) {
                    if (!e.esConducto() || !e.cotaInicio)
                        continue;
                    EXPECT_GE(*e.cotaInicio, nodo(despues, e.desde).cotaSolera) << e.id;
                    EXPECT_GE(*e.cotaFin, nodo(despues, e.hasta).cotaSolera) << e.id;
                }
                // Everything else of the source is there, byte for byte and in order.
                const auto la = lineas(f.bytes), ld = lineas(r.bytes);
                ASSERT_EQ(la.size(), ld.size());
                for (size_t k = 0; k < la.size(); ++k) {
                    const std::string& a = la[k].second;
                    const std::string& d = ld[k].second;
                    if (!esLineaDeDatos(la[k].first) || a.find(';') == 0 ||
                        a.find_first_not_of(" \t\r") == std::string::npos) {
                        EXPECT_EQ(d, a) << "línea " << k + 1;
                    } else {
                        // A data line keeps its name and its comment.
                        EXPECT_EQ(d.substr(0, d.find_first_of(" \t")),
                                  a.substr(0, a.find_first_of(" \t")));
                        if (a.find(';') != std::string::npos) {
                            EXPECT_EQ(d.substr(d.find(';')), a.substr(a.find(';')));
                        }
                    }
                    EXPECT_EQ(ld[k].second.ends_with('\r'), la[k].second.ends_with('\r'));
                }
                // Writing the same pipes again changes nothing.
                EXPECT_EQ(modeloSwmmConTubos(r.bytes, QStringLiteral("m.inp"), tubos).bytes,
                          r.bytes);
            }
        }
        if (std::string_view(f.nombre).starts_with("modelo en pies")) {
            EXPECT_GT(inexactos, 0) << "ningún número cae donde 0,3048 salta doubles";
        }
    }
}

// Untouched lines and columns: names in quotes or Windows-1252, comments after the values,
// the column after a rewritten value in its place.
TEST(EscrituraSwmm, CambiaSoloLosValoresTocados) {
    const std::string fuente = "[OPTIONS]\nFLOW_UNITS CMS\n"
                               "[JUNCTIONS]\n"
                               ";;Nombre   Solera  ProfMax\n"
                               "\"Pozo 1\"   10.00   2.00   ; cabecera\n"
                               "Po\xF1o2     9.00    2.50\n"
                               "[OUTFALLS]\nV 8 FREE\n"
                               "[CONDUITS]\n"
                               "\"T 1\"  \"Pozo 1\"  Po\xF1o2  100  0.013  0  0  ; primero\n"
                               "T2     Po\xF1o2     V     50   0.013\n"
                               "[XSECTIONS]\n"
                               "\"T 1\"  CIRCULAR  0.3  0  0  0\n"
                               "T2     RECT_CLOSED  1  1  0  0\n";
    const std::unordered_map<std::string, TuboNuevo> tubos{{"T 1", {9.5, 8.75, 0.4}},
                                                           {"T2", {8.6, 7.9, 0.5}}};
    const EscrituraSwmm r = modeloSwmmConTubos(fuente, QStringLiteral("m.inp"), tubos);
    EXPECT_EQ(r.bytes, "[OPTIONS]\nFLOW_UNITS CMS\n"
                       "[JUNCTIONS]\n"
                       ";;Nombre   Solera  ProfMax\n"
                       "\"Pozo 1\"   9.5     2.5   ; cabecera\n"
                       "Po\xF1o2     8.6     2.9\n"
                       "[OUTFALLS]\nV 7.9 FREE\n"
                       "[CONDUITS]\n"
                       "\"T 1\"  \"Pozo 1\"  Po\xF1o2  100  0.013  0  0.15  ; primero\n"
                       "T2     Po\xF1o2     V     50   0.013 0 0\n"
                       "[XSECTIONS]\n"
                       "\"T 1\"  CIRCULAR  0.4  0  0  0\n"
                       "T2     CIRCULAR     0.5 1  0  0\n");
}

// With DEPTH offsets a weir's crest hangs on its node: it keeps its elevation when the node
// moves, and so do the other conduits there.
TEST(EscrituraSwmm, LoQueCuelgaDeUnNodoMovidoConservaSuCota) {
    const std::string fuente = "[OPTIONS]\nFLOW_UNITS CMS\nLINK_OFFSETS DEPTH\n"
                               "[JUNCTIONS]\nA 10 3\nB 9 3\n"
                               "[OUTFALLS]\nS 8 FREE\nS2 8 FREE\n"
                               "[CONDUITS]\nT1 A B 100 0.013 0 0\nT2 B S 100 0.013 0.2 0\n"
                               "[WEIRS]\nW B S2 TRANSVERSE 0.9 1.84\n"
                               "[XSECTIONS]\nT1 CIRCULAR 0.3\nT2 CIRCULAR 0.3\nW RECT_OPEN 1 1\n";
    const EscrituraSwmm r =
        modeloSwmmConTubos(fuente, QStringLiteral("m.inp"), {{"T1", {9.5, 8.4, 0.3}}});
    const ModeloSwmm m = leer(r.bytes);
    EXPECT_EQ(nodo(m, "B").cotaSolera, 8.4);
    EXPECT_EQ(*nodo(m, "B").cotaTerreno, 12.0);
    EXPECT_EQ(*enlace(m, "T2").cotaInicio, 9.2); // as before
    EXPECT_NE(r.bytes.find("W B S2 TRANSVERSE 1.5 1.84"), std::string::npos) << r.bytes;
}

TEST(EscrituraSwmm, RechazaLoQueNoPuedeEscribir) {
    const std::string fuente =
        "[OPTIONS]\nFLOW_UNITS CMS\n[JUNCTIONS]\nA 10 1\nB 9 1\n[OUTFALLS]\nS 8 FREE\n"
        "[CONDUITS]\nT1 A B 100 0.013\nT2 B S 10 0.013\n"
        "[PUMPS]\nP A S * ON 0 0\n"
        "[XSECTIONS]\nT1 CIRCULAR 0.3\nT2 CIRCULAR 0.3\n";
    const auto error = [&](const std::unordered_map<std::string, TuboNuevo>& t) {
        try {
            modeloSwmmConTubos(fuente, QStringLiteral("m.inp"), t);
        } catch (const ErrorArchivo& e) {
            return std::string(e.what());
        }
        return std::string("(sin error)");
    };
    EXPECT_EQ(error({{"X", {9, 8, 0.3}}}),
              "No se puede cambiar el modelo «m.inp»: «X» no es uno de sus conductos.");
    EXPECT_EQ(error({{"P", {9, 8, 0.3}}}),
              "No se puede cambiar el modelo «m.inp»: «P» no es uno de sus conductos.");
    EXPECT_EQ(error({{"T1", {9, 8, 0}}}), "No se puede cambiar el modelo «m.inp»: el conducto "
                                          "«T1» no tiene un diámetro y unas cotas válidos.");
    EXPECT_EQ(error({{"T1", {11, 8.5, 0.3}}}),
              "No se puede cambiar el modelo «m.inp»: la solera del nodo «A» quedaría a la cota "
              "de su terreno o por encima.");
}

TEST(EscrituraSwmm, EscribeElArchivoEntero) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string fuente =
        "[OPTIONS]\nFLOW_UNITS LPS\n[JUNCTIONS]\nA 10 3\n[OUTFALLS]\nS 8 FREE\n"
        "[CONDUITS]\nT1 A S 100 0.013 0 0\n[XSECTIONS]\nT1 CIRCULAR 0.3\n";
    const QString ruta = dir.filePath(QStringLiteral("d.inp"));
    const EscrituraSwmm r =
        escribirModeloSwmmConTubos(QFile::encodeName(ruta), QStringLiteral("d.inp"), fuente,
                                   QStringLiteral("m.inp"), {{"T1", {9.25, 8.5, 0.4}}});
    EXPECT_EQ(leerArchivo(ruta), r.bytes);
    EXPECT_EQ(*enlace(leer(r.bytes), "T1").cotaInicio, 9.25);
}

} // namespace
} // namespace colvero
