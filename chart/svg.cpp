#include "chart/svg.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace colvero::grafico {

void prepararSvg(QSvgGenerator& svg, QIODevice* salida, QSize tamano, const QString& titulo) {
    svg.setOutputDevice(salida);
    svg.setSize(tamano);
    svg.setViewBox(QRect(QPoint(0, 0), tamano));
    svg.setResolution(96);
    svg.setTitle(titulo);
}

QByteArray svgConElementos(QSize tamano, const QString& titulo, const QString& descripcion,
                           const std::function<void(QPainter&)>& pintar,
                           const std::function<QString(QPaintDevice&)>& elementos) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    prepararSvg(svg, &buffer, tamano, titulo);
    svg.setDescription(descripcion);
    {
        QPainter painter(&svg);
        pintar(painter);
    }
    const QString capa = elementos(svg);
    const qsizetype fin = bytes.lastIndexOf("</svg>");
    if (fin < 0)
        return {};
    bytes.insert(fin, capa.toUtf8());
    return bytes;
}

} // namespace colvero::grafico
