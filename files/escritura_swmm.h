#pragma once
// A SWMM 5 model with new pipes: the conduits given get a new circular diameter and new end
// inverts, and everything else of the source stays byte for byte (other sections, options,
// names, quoting, comments, blank lines, CR LF or LF, the spacing of untouched lines).
//
// What changes, and only on the lines that need it:
// - [XSECTIONS] of a changed conduit: the shape becomes CIRCULAR when it was not, Geom1 the
//   diameter;
// - [CONDUITS]: InOffset and OutOffset. With LINK_OFFSETS DEPTH an offset is the reach's
//   invert minus its node's invert, with ELEVATION the reach's invert itself;
// - a node at an end of a changed conduit takes the lowest invert of the conduits that meet
//   there (changed or not), so that no offset is negative; its MaxDepth (junctions, storage)
//   is rewritten to keep its ground elevation (invert + MaxDepth) where the source gave one;
// - with DEPTH offsets, whatever hangs on such a node keeps its elevation: the offsets of the
//   unchanged conduits, and the crest or opening of a weir, orifice or outlet leaving it.
//
// Every number is written with the fewest decimals that the model reader (modelo_swmm.h), in
// its order of operations, reads back as the very double asked for: node invert, reach
// inverts (node invert + offset × unit, or offset × unit), diameter and ground. In metres
// (CMS, LPS, MLD) such decimals always exist. In feet (CFS, GPM, MGD) the reader multiplies by
// 0.3048, whose products skip some doubles (a value x with x / 0.3048 two binades above x): a
// node invert, a diameter or an ELEVATION offset may then read back as the nearest double
// (a node invert the nearest below, so that no offset turns negative), and
// EscrituraSwmm::inexactos counts them. With DEPTH offsets the reach inverts and the ground
// elevations, sums of the node's invert and a small value, still read back exactly.
#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>
#include <unordered_map>

namespace colvero {

struct TuboNuevo {
    double cotaInicio = 0; // invert at the upstream end, m
    double cotaFin = 0;    // invert at the downstream end, m
    double D = 0;          // inner diameter, m
};

struct EscrituraSwmm {
    std::string bytes;
    int inexactos = 0; // numbers that read back only to the nearest double (feet)
};

// The model `fuente` (its bytes; `nombre` names it in messages) with the conduits of
// `tubos`, by conduit id. Raises ErrorArchivo when the model cannot be read, or when an id
// of `tubos` is not one of its conduits.
EscrituraSwmm modeloSwmmConTubos(std::string_view fuente, const QString& nombre,
                                 const std::unordered_map<std::string, TuboNuevo>& tubos);

// The same, written whole to `rutaNativa` through EscrituraAtomica.
EscrituraSwmm escribirModeloSwmmConTubos(const QByteArray& rutaNativa, const QString& nombreSalida,
                                         std::string_view fuente, const QString& nombreFuente,
                                         const std::unordered_map<std::string, TuboNuevo>& tubos);

} // namespace colvero
