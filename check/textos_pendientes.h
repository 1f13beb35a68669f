#pragma once
// The Spanish wording of a slope window (pendientes.h) and of the two-depth warning, one for
// every front end: colvero-check, the assistant, the note and the network check. Numbers are
// written as plain decimals with the decimal separator passed in, never with an exponent.
#include "check/pendientes.h"

#include <string>
#include <string_view>
#include <vector>

namespace colvero {

// A number text ("3,2e-7", "1e-07", "0.002") as a plain decimal with `sep` ("0,00000032"):
// the same decimal value, so it reads back (leerNumero) as the same double.
std::string decimalLlano(std::string_view texto, char sep);
// The shortest text that reads back as `x`, as a plain decimal: for the range constants.
std::string decimalLlano(double x, char sep);

// "entre 0,0000001 y 1 m/m": the searched range.
std::string textoRangoBuscado(char sep);

// The shown value of an end: its `texto` as a plain decimal with `sep`. The value is never
// formatted again from `valor`: `texto` is what the search checked.
std::string textoExtremoPendiente(const ExtremoPendiente& e, char sep);

// "0,002 < i ≤ 0,02544"; an end of the searched range is the range's own end, included.
void anadirDesigualdad(std::string& d, const IntervaloPendientes& t, char sep);

// The compact form, for a table cell: "0,002 < i ≤ 0,02544 · (8) y (7)" per interval, joined
// by "; ". When nothing passes, "ninguna", followed by " (reason)" with `conMotivo`; when the
// search had no answer, its message.
void anadirCeldaPendientes(std::string& d, const ResultadoPendientes& r, char sep, bool conMotivo);

// The full text, in lines separated by '\n' (no final one): per interval the inequality and
// what decides each end; when nothing passes, that and the reason; without answer, why.
std::string textoPendientesCompleto(const ResultadoPendientes& r, char sep);

// The two-depth warning of conditions `k` (2 to 7, ascending, at least one): "Aviso (2): el
// caudal está entre Qll y Qmax, donde la sección tiene dos calados normales; se toma el
// menor." With `mayuscula` false it starts with "aviso", to follow a colon.
std::string avisoDosCalados(const std::vector<int>& k, bool mayuscula = true);

} // namespace colvero
