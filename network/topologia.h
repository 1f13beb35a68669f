#pragma once
// The topology of a network model, built once before any reach is checked: the links of each
// node, the slope of each conduit, and every problem named by its reach or node.
#include "network/modelo_red.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace colvero::red {

enum class TipoProblema {
    NodoDesconocido, // a link's end is no known node
    MismoNodo,       // a link from a node to itself
    EnlaceRepetido,  // two links with one identifier
    NodoRepetido,    // two nodes with one identifier
    Bifurcacion,     // a node with more than one outgoing link
    Bucle,           // a closed path of links
};

// What a problem stops.
enum class Gravedad {
    Modelo,    // nothing can be checked
    ConCargas, // flows cannot be derived from loads; with given flows it is only listed
    Aviso,     // listed
};

struct ProblemaTopologia {
    TipoProblema tipo;
    Gravedad gravedad;
    std::string mensaje; // Spanish, names the reach or node
};

// Node index of each link end; -1 for an unknown node.
struct Extremos {
    int desde = -1;
    int hasta = -1;
};

struct Topologia {
    std::vector<Extremos> extremos; // by link
    // The link that carries a node's flow on when flows are derived from loads: its one
    // outgoing conduit, or its one outgoing link when it has no conduit; -1 for none (an
    // outfall, a node with two outgoing conduits).
    std::vector<int> sigue;              // by node
    std::vector<double> pendiente;       // by link, m/m; NaN where not known
    std::vector<std::string> errorTramo; // by link: why the conduit cannot be checked
    std::vector<ProblemaTopologia> problemas;
    int vertidos = 0; // outfall nodes
    int partes = 0;   // connected parts (links taken both ways)

    // Whether a problem of this gravity or worse is present.
    bool hay(Gravedad g) const;
};

// Builds the topology of `m`. Linear in the nodes and links; no recursion.
Topologia construirTopologia(const ModeloRed& m);

// The slope of a conduit from its end inverts and its length: Δz / √(L² − Δz²) along the pipe,
// Δz / L horizontally. `error` is set when the reach cannot be checked with it: an adverse
// slope (the value is still returned, negative: a reach is never reversed), a zero slope, a
// length that is not positive or, along the pipe, not longer than the drop (NaN then).
double pendienteDe(double cotaInicio, double cotaFin, double longitud, MedidaLongitud medida,
                   std::string& error);

} // namespace colvero::red
