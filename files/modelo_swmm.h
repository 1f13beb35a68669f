#pragma once
// SWMM 5 input files (.inp) as a network model, and the flow units they share with reports.
//
// Only what a check of the pipes needs is read: the options FLOW_UNITS and LINK_OFFSETS, the
// nodes (junctions, outfalls, storage, dividers) with their inverts, the conduits with their
// cross-sections, the other links (pumps, orifices, weirs, outlets), coordinates and vertices,
// and the dry-weather (DWF) and baseline (INFLOWS) flows of the nodes. Other sections are
// skipped unread. Sections come in any order and case; ";" starts a comment; names may be
// quoted to hold blanks; CR LF or LF. Feet and US flow units are converted exactly to metres
// and m3/s. A line that cannot be read raises ErrorArchivo naming the file, the line and the
// section.
#include "network/modelo_red.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string_view>

namespace colvero {

enum class UnidadesCaudal { CFS, GPM, MGD, CMS, LPS, MLD };

// The keyword of a flow unit ("CFS"), as the files write it.
const char* nombreUnidades(UnidadesCaudal u);
// The unit of a keyword, any case; nothing for an unknown one.
std::optional<UnidadesCaudal> unidadesDeNombre(std::string_view s);
// m3/s in one unit of flow.
double factorCaudal(UnidadesCaudal u);
// Whether lengths are in feet (CFS, GPM, MGD) rather than metres.
bool unidadesEeuu(UnidadesCaudal u);

inline constexpr double kPie = 0.3048; // m

struct ModeloSwmm {
    red::ModeloRed red;
    UnidadesCaudal unidades = UnidadesCaudal::CFS; // SWMM's default
    bool desplazamientosComoCota = false;          // LINK_OFFSETS ELEVATION
};

ModeloSwmm leerModeloSwmm(const QByteArray& rutaNativa);
// The same on the bytes of a file; `nombre` is used in messages.
ModeloSwmm modeloSwmmDeBytes(std::string_view bytes, const QString& nombre);

} // namespace colvero
