#pragma once
// A design applied to the model it was made for, so that the designed network is read, checked,
// drawn and profiled by the very paths that serve the source network.
#include "check/serie_diametros.h"
#include "design/diseno_red.h"
#include "network/modelo_red.h"

#include <vector>

namespace colvero::diseno {

// A copy of `m` with every designed conduit carrying its pipe's diameter and its two inverts
// (cm / 100, m) and no slope of its own (the slope then follows from the inverts), and every
// node with a designed invert (Diseno::cotaNodo) carrying it; grounds, lengths, names and the
// reaches without a design stay as the source gives them.
red::ModeloRed modeloDisenado(const red::ModeloRed& m, const Diseno& d,
                              const std::vector<Tubo>& serie);

} // namespace colvero::diseno
