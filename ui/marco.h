#pragma once
// The window on a screen too small for it: the same layout inside a scroll area.
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

} // namespace colvero::ui
