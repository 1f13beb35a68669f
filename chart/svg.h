#pragma once
// An SVG document painted with QPainter, followed by a group of transparent elements with ids
// and <title>s: a browser shows them as tooltips, and other programs find the drawing's
// parts by id.
#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>

class QIODevice;
class QPainter;
class QPaintDevice;
class QSvgGenerator;

namespace colvero::grafico {

// Sets `svg` to write to `salida` a document of `tamano` pixels at 96 DPI (one drawing unit a
// pixel) titled `titulo`.
void prepararSvg(QSvgGenerator& svg, QIODevice* salida, QSize tamano, const QString& titulo);

// A document of `tamano` pixels at 96 DPI. `pintar` paints the drawing; then, with the painter
// ended, `elementos` gives the group's text (the device measures text as the drawing did),
// which goes just before the closing </svg>. Empty when the generator wrote no document.
QByteArray svgConElementos(QSize tamano, const QString& titulo, const QString& descripcion,
                           const std::function<void(QPainter&)>& pintar,
                           const std::function<QString(QPaintDevice&)>& elementos);

} // namespace colvero::grafico
