#pragma once
// Looks of the controls: colours and fonts per style, and the font substitutes of the platform.
#include "ui/disposicion.h"

#include <QFont>

class QWidget;

namespace colvero::ui {

// Registers substitutes for MS Sans Serif and Bell MT where the platform lacks them. Call once,
// before the window is built.
void registrarSustitutosDeFuentes();

// The window's own font, MS Sans Serif 8.25 pt.
QFont fuenteVentana();

// Applies colours and font of `estilo` to a label or text box; a button gets `fondoBoton`.
void aplicarEstilo(QWidget& control, const Control& datos);

} // namespace colvero::ui
