#pragma once
// A sewer network as a graph of nodes (manholes, outfalls, storage) and links (pipes, and the
// pumps, orifices, weirs and outlets that carry the flow on without being pipes to check), as
// a hydraulic model or a GIS layer holds it. Lengths and elevations in metres, flows in m3/s,
// whatever the units of the source: the readers convert.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace colvero::red {

enum class TipoNodo { Pozo, Vertido, Deposito };

struct Nodo {
    std::string id;
    TipoNodo tipo = TipoNodo::Pozo;
    double cotaSolera = 0;                             // invert elevation, m
    std::optional<double> cotaTerreno;                 // ground elevation, m
    std::optional<std::pair<double, double>> posicion; // x, y in the source's map units
    double caudalMedio = 0;                            // mean (dry-weather) load, m3/s
    double caudalPluvial = 0;                          // storm load, m3/s
    int linea = 0; // where the source defines it (0: not a text line)
};

enum class TipoEnlace { Conducto, Bomba, Orificio, Vertedero, Salida };

struct Enlace {
    std::string id;
    TipoEnlace tipo = TipoEnlace::Conducto;
    std::string desde, hasta; // end nodes as the source names them
    // Conduits only.
    double longitud = 0;              // m; along the pipe or horizontal (ModeloRed::longitudes)
    double n = 0;                     // Manning's n
    std::optional<double> cotaInicio; // invert at the upstream end, m (none from an unknown node)
    std::optional<double> cotaFin;    // invert at the downstream end, m
    std::string forma;                // cross-section shape as the source writes it; empty: none
    bool circular = false;
    double D = 0;                    // inner diameter of a circular section, m
    int barriles = 1;                // identical barrels side by side
    std::optional<double> pendiente; // a slope the source gives directly, m/m
    double caudalPorMetro = 0;       // load along the reach, m3/s per metre
    // Design flows of conditions 1 to 7 that the source gives for the whole reach, m3/s.
    std::array<std::optional<double>, 7> caudales{};
    std::vector<std::pair<double, double>> vertices; // inner points, map units
    // Attributes the source carried besides the ones above, copied to the outputs.
    std::vector<std::pair<std::string, std::string>> atributos;
    int linea = 0;

    bool esConducto() const { return tipo == TipoEnlace::Conducto; }
};

// How a source measures a reach's length: along the pipe (a hydraulic model: the slope is
// Δz / √(L² − Δz²)) or horizontally (a GIS layer: Δz / L).
enum class MedidaLongitud { AlLargoDelTubo, Horizontal };

struct ModeloRed {
    std::vector<Nodo> nodos;
    std::vector<Enlace> enlaces;
    MedidaLongitud longitudes = MedidaLongitud::AlLargoDelTubo;
};

// «no es un conducto»: a link that carries the flow but is not checked.
inline constexpr const char* kNoEsUnConducto = "no es un conducto";

// The Spanish name of a link's kind («bomba», «orificio»...), for messages.
const char* nombreTipo(TipoEnlace tipo);

// Why a link is not checked («no es un conducto», «sección no circular: no se comprueba
// (RECT_CLOSED)»); empty for a circular conduit.
std::string motivoOmision(const Enlace& e);

} // namespace colvero::red
