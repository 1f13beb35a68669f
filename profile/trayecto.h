#pragma once
// A path of a network for its longitudinal profile: the links the water follows from a reach
// or a node down to an outfall, or between two nodes of one flow path.
#include "network/modelo_red.h"
#include "network/topologia.h"

#include <string>
#include <vector>

namespace colvero::perfil {

struct Trayecto {
    std::vector<int> enlaces; // link indices, upstream first
    std::vector<int> nodos;   // node indices; one more than the links
};

// The path that `desde` starts: a reach (by its id) and then, from its downstream node, the
// links that carry the flow on (Topologia::sigue); or a node and the links from it. It ends at
// the first node without a link that carries its flow on (an outfall) or, when `hasta` is not
// empty, at the node `hasta`, which must lie downstream on that path. A node and a reach of
// one name: `desde` is the reach. Raises ErrorTrayecto naming what was given when a name is
// unknown, `hasta` is not downstream of `desde`, the path meets a loop, or no link leaves the
// first node.
Trayecto trazarTrayecto(const red::ModeloRed& m, const red::Topologia& t, const std::string& desde,
                        const std::string& hasta = {});

// "DESDE" or "DESDE:HASTA" as the user writes it; the empty `hasta` for one name. A name of
// `m` is taken whole even when it holds a colon; else the text splits at the colon that leaves
// two nodes of `m`, or at its last colon.
void partirTrayecto(const red::ModeloRed& m, const std::string& texto, std::string& desde,
                    std::string& hasta);

struct ErrorTrayecto {
    std::string mensaje; // Spanish, whole
};

} // namespace colvero::perfil
