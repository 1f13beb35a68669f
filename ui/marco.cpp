#include "ui/marco.h"

#include "ui/disposicion.h"
#include "ui/ventana.h"

#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>

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

QSize tamanoEnPantalla(QSize deseado, QSize disponible, QSize marco, QSize minimo) {
    return deseado.boundedTo(disponible - marco).expandedTo(minimo).expandedTo(QSize(1, 1));
}

QPoint posicionEnPantalla(QSize exterior, QPoint centro, const QRect& libre) {
    const QPoint esquina = centro - QPoint(exterior.width() / 2, exterior.height() / 2);
    // The left and top edges win when the window is larger than the area.
    return {std::max(libre.left(), std::min(esquina.x(), libre.right() + 1 - exterior.width())),
            std::max(libre.top(), std::min(esquina.y(), libre.bottom() + 1 - exterior.height()))};
}

void ajustarAPantalla(QWidget& ventana, QSize deseado, const QWidget* sobre) {
    const QWidget* referencia = sobre ? sobre->window() : &ventana;
    const QScreen* pantalla = referencia->screen();
    if (!pantalla) {
        ventana.resize(deseado);
        return;
    }
    const QRect libre = pantalla->availableGeometry();
    const QSize marco =
        (ventana.frameGeometry().size() - ventana.size()).expandedTo(kMarcoSupuesto);
    const QSize tamano = tamanoEnPantalla(deseado, libre.size(), marco, ventana.minimumSizeHint());
    ventana.resize(tamano);
    const QPoint centro = sobre ? referencia->frameGeometry().center() : libre.center();
    ventana.move(posicionEnPantalla(tamano + marco, centro, libre));
}

} // namespace colvero::ui
