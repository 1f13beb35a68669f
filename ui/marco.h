#pragma once
// The window on a screen too small for it: the same layout inside a scroll area; and the other
// windows sized and placed within the free area of the screen.
#include <QSize>
#include <QWidget>
#include <memory>

namespace colvero::ui {

class VentanaPrincipal;

// Whether a window of outer size `exterior` (frame included) overflows a screen whose free area
// is `disponible`.
bool necesitaDesplazamiento(QSize disponible, QSize exterior);

// Inner size of the scrolling window: what the free area leaves once the frame (`marco`, the
// outer size less the inner one) is taken off, but never more than the content needs with the
// scroll bars it then shows (`barras`: the width of the vertical bar, the height of the
// horizontal one).
QSize tamanoDesplazado(QSize disponible, QSize marco, QSize contenido, QSize barras);

// What to show: the window itself when it fits in `disponible`, unchanged; otherwise a
// resizable scroll area that owns it and carries its caption and icon.
std::unique_ptr<QWidget> ventanaParaPantalla(std::unique_ptr<VentanaPrincipal> ventana,
                                             QSize disponible);

// The frame a window manager adds around a window before the window is shown and its real
// frame is known: a title bar and thin borders, with some room to spare.
inline constexpr QSize kMarcoSupuesto(16, 40);

// Size of a window whose inner size wants to be `deseado` on a screen whose free area is
// `disponible`, frame (`marco`) included: never larger than the area allows, never below
// `minimo` (which the window's layout needs).
QSize tamanoEnPantalla(QSize deseado, QSize disponible, QSize marco, QSize minimo);

// Top-left corner of a window's frame of size `exterior` centred on `centro` and moved as
// little as needed to lie inside `libre`.
QPoint posicionEnPantalla(QSize exterior, QPoint centro, const QRect& libre);

// Sizes `ventana` (a window of the program other than the main one) to `deseado` within the
// free area of its screen and places it there, centred over `sobre` when given.
void ajustarAPantalla(QWidget& ventana, QSize deseado, const QWidget* sobre);

} // namespace colvero::ui
