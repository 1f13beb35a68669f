#include "ui/marco.h"

#include "ui/disposicion.h"
#include "ui/ventana.h"

#include <QScrollArea>
#include <QStyle>

namespace colvero::ui {

bool necesitaDesplazamiento(QSize disponible, QSize exterior) {
    return exterior.width() > disponible.width() || exterior.height() > disponible.height();
}

QSize tamanoDesplazado(QSize disponible, QSize marco, QSize contenido, QSize barras) {
    const QSize libre = disponible - marco;
    // A bar along one side narrows the room on the other, which may then need its own bar.
    bool vertical = contenido.height() > libre.height();
    const bool horizontal = contenido.width() + (vertical ? barras.width() : 0) > libre.width();
    vertical = vertical || contenido.height() + (horizontal ? barras.height() : 0) > libre.height();
    const QSize necesario(contenido.width() + (vertical ? barras.width() : 0),
                          contenido.height() + (horizontal ? barras.height() : 0));
    return necesario.boundedTo(libre).expandedTo(QSize(1, 1));
}

std::unique_ptr<QWidget> ventanaParaPantalla(std::unique_ptr<VentanaPrincipal> ventana,
                                             QSize disponible) {
    const QSize exterior(pixeles(kAnchoExterior), pixeles(kAltoExterior));
    if (!necesitaDesplazamiento(disponible, exterior)) {
        return ventana;
    }
    auto area = std::make_unique<QScrollArea>();
    area->setWindowFlags((ventana->windowFlags() & ~Qt::MSWindowsFixedSizeDialogHint) |
                         Qt::WindowMaximizeButtonHint);
    area->setWindowTitle(ventana->windowTitle());
    area->setWindowIcon(ventana->windowIcon());
    area->setFrameShape(QFrame::NoFrame);
    area->setPalette(ventana->palette());
    area->setBackgroundRole(QPalette::Window);
    const QSize contenido = ventana->size();
    const int barra = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area.get());
    const QSize barras(barra, barra);
    const QSize marco(exterior.width() - kAnchoCliente, exterior.height() - kAltoCliente);
    area->setWidget(ventana.release());
    area->setMaximumSize(contenido + barras);
    area->resize(tamanoDesplazado(disponible, marco, contenido, barras));
    return area;
}

} // namespace colvero::ui
