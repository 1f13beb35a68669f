#include "ui/dibujos.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace colvero::ui {
namespace {

const QColor kVerdeGrisClaro(205, 222, 205);

QFont fuenteFormula(int pixeles, bool cursiva) {
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(pixeles);
    f.setItalic(cursiva);
    return f;
}

} // namespace

QPixmap fondo() {
    QPixmap imagen(1201, 817);
    QPainter p(&imagen);

    // Vertical shading from RGB(28, 72, 60) to RGB(14, 44, 40), one solid row at a time: a
    // gradient brush over the whole picture costs several times more at start-up.
    for (int y = 0; y < 817; ++y) {
        const int t = y * 1000 / 816;
        p.fillRect(0, y, 1201, 1,
                   QColor(28 - 14 * t / 1000, 72 - 28 * t / 1000, 60 - 20 * t / 1000));
    }

    p.setRenderHint(QPainter::Antialiasing);

    // Title area, top left: darker green under the light title captions.
    QLinearGradient titulo(0, 0, 520, 0);
    titulo.setColorAt(0, QColor(0, 40, 24));
    titulo.setColorAt(1, QColor(0, 40, 24, 0));
    p.fillRect(QRect(0, 0, 560, 190), titulo);

    // Maker block, top right: dark captions on a light card.
    QPainterPath tarjeta;
    tarjeta.addRoundedRect(QRectF(812, 66, 420, 184), 10, 10);
    p.fillPath(tarjeta, kVerdeGrisClaro);
    p.setPen(QPen(QColor(120, 160, 120), 2));
    p.drawPath(tarjeta);

    // Light band behind the header row of the criteria grid (y 373 to 398 px).
    p.fillRect(QRect(0, 369, 1201, 32), kVerdeGrisClaro);
    p.setPen(QPen(QColor(120, 160, 120), 1));
    p.drawLine(0, 369, 1201, 369);
    p.drawLine(0, 400, 1201, 400);
    return imagen;
}

QPixmap icono() {
    QPixmap imagen(32, 32);
    imagen.fill(Qt::transparent);
    QPainter p(&imagen);
    p.setRenderHint(QPainter::Antialiasing);
    // A pipe section partly full: the ring of the collector and the water below its surface.
    const QRectF tubo(3, 3, 26, 26);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(192, 255, 192));
    p.drawEllipse(tubo);
    QPainterPath agua;
    agua.addEllipse(tubo.adjusted(3, 3, -3, -3));
    QPainterPath bajoSuperficie;
    bajoSuperficie.addRect(QRectF(0, 17, 32, 15));
    p.setBrush(QColor(0, 64, 64));
    p.drawEllipse(tubo.adjusted(3, 3, -3, -3));
    p.setBrush(QColor(40, 140, 220));
    p.drawPath(agua.intersected(bajoSuperficie));
    return imagen;
}

QPixmap formulaShields() {
    QPixmap imagen(243, 28);
    imagen.fill(QColor(255, 255, 240));
    QPainter p(&imagen);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QColor(0, 0, 0));
    p.drawRect(imagen.rect().adjusted(0, 0, -1, -1));
    p.setFont(fuenteFormula(16, true));
    p.drawText(imagen.rect(), Qt::AlignCenter,
               QStringLiteral("γW · RH · J ≥ 0,047 · (γS − γW) · D"));
    return imagen;
}

Panel::Panel(QWidget* padre) : QWidget(padre) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Panel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(192, 255, 192), 1));
    p.setBrush(QColor(0, 64, 64));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

} // namespace colvero::ui
