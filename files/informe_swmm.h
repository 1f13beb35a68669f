#pragma once
// SWMM 5 report files (.rpt): the "Link Flow Summary" table, whose maximum flow of each
// conduit becomes the design flow of its reach.
#include "files/modelo_swmm.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace colvero {

struct FlujoInforme {
    std::string tipo;               // CONDUIT, PUMP, ORIFICE, WEIR, OUTLET...
    double caudal = 0;              // maximum |flow|, m3/s
    double caudalEnUnidades = 0;    // the same in the report's units, as written
    std::optional<double> maxLleno; // "Max/Full Flow" of a conduit
    int linea = 0;
};

struct InformeSwmm {
    UnidadesCaudal unidades = UnidadesCaudal::CFS;
    std::unordered_map<std::string, FlujoInforme> enlaces;
};

// A report without the table, or whose table or flow units cannot be read, raises
// ErrorArchivo naming the file and the line.
InformeSwmm leerInformeSwmm(const QByteArray& rutaNativa);
InformeSwmm informeSwmmDeBytes(std::string_view bytes, const QString& nombre);

} // namespace colvero
