#pragma once
// The report of a check: a grid of 122 rows by 6 cells, serialised as one text where each row
// is a CR followed by six cells, each preceded by a tab.
#include "check/calculo.h"

#include <array>
#include <string>

namespace colvero {

// What the report reads from the window at the moment of the click: the case as its fields
// show it, the captions of the ten verdict labels (Nota1..Nota10) and the stored values.
struct DatosInforme {
    Calculo calculo;
    std::array<std::string, 10> notas{"-", "-", "-", "-", "-", "-", "-", "-", "-", "-"};
    ValoresGuardados guardados;
};

// The report text (UTF-8). Stored values use the plain conversion with `separadorDecimal`.
std::string generarInforme(const DatosInforme& datos, char separadorDecimal);

} // namespace colvero
