#pragma once
// Bridges between the widgets and the value types of the engine, the files and the report.
#include "check/calcular.h"
#include "check/calculo.h"
#include "report/informe.h"

namespace colvero::ui {

class Controles;

// Name of the text box that holds a numeric input field of the engine.
const char* controlDe(CampoNumerico campo);

// The case as the window's fields show it.
Calculo calculoDe(const Controles& controles);

// Writes what a run returns: computed fields, status, collector note and verdicts. The
// report button is left to the caller.
void mostrarResultado(const Controles& controles, const ResultadoCalculo& resultado);

// Every computed field back to "-", as the reset leaves them.
void borrarCalculados(const Controles& controles);

// Sets the fields of a calculation file in file order, each condition followed by its computed
// field set to "-". Check boxes and text boxes raise their change reactions as they change.
void ponerCalculo(const Controles& controles, const Calculo& calculo);

// The same for a criterion file: flags, flow names and limits only.
void ponerCriterio(const Controles& controles, const Criterio& criterio);

// What the report reads from the window.
DatosInforme datosInformeDe(const Controles& controles, const ValoresGuardados& guardados);

} // namespace colvero::ui
