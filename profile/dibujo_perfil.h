#pragma once
// The drawing of a longitudinal profile: the elevations along the path (ground, manholes,
// each reach's invert and crown, the water surface of Q1 and Q3, the verdicts) over its data
// band, painted with QPainter onto any paint device; and its PNG, SVG and PDF files.
#include "profile/perfil.h"

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QString>

#include <cstddef>
#include <utility>
#include <vector>

class QPainter;

namespace colvero::perfil {

// Where the drawing put each manhole and reach, in the painter's coordinates: for the SVG's
// titled elements and for hit tests.
struct Marcas {
    std::vector<std::pair<std::size_t, QRectF>> pozos;  // node index, its rectangle
    std::vector<std::pair<std::size_t, QRectF>> tramos; // reach index, its span in the plot
    double exageracion = 1;                             // vertical scale over horizontal scale
};

// Paints the nodes `primero` to `ultimo` (inclusive) of `p` and the reaches between them into
// `rect`: title, legend, axes, the profile and the aligned data band. Fonts and lines are sized
// in points from the device's logical DPI. `sep` is the decimal separator of the numbers.
Marcas dibujarPerfil(QPainter& painter, const QRectF& rect, const Perfil& p, const QString& titulo,
                     char sep, std::size_t primero = 0, std::size_t ultimo = std::size_t(-1));

// The node ranges of the pages of a PDF, `tramosPorPagina` reaches each; consecutive pages
// share their boundary node.
std::vector<std::pair<std::size_t, std::size_t>> paginas(const Perfil& p,
                                                         std::size_t tramosPorPagina = 6);

// How many pages paginas() gives a path of `tramos` reaches.
std::size_t numeroPaginas(std::size_t tramos, std::size_t tramosPorPagina = 6);

// The size of the whole profile as one picture, in pixels at 96 DPI: wider for more reaches,
// up to 16000 pixels.
QSize tamanoImagen(const Perfil& p);

QByteArray pngPerfil(const Perfil& p, const QString& titulo, char sep);
// Each manhole and reach also gets an element with id "pozo-k" / "tramo-k" (k from 0 along the
// path) holding a <title> with its name and, for a reach, its verdict.
QByteArray svgPerfil(const Perfil& p, const QString& titulo, char sep);
// A4 landscape, the path continued page after page, each with its band; real text.
QByteArray pdfPerfil(const Perfil& p, const QString& titulo, char sep);

// The profile written whole to `rutaNativa` as PDF, SVG or PNG by its extension (any case).
// Raises ErrorArchivo (files/archivos.h) for another extension or a failed write.
void guardarPerfil(const Perfil& p, const QByteArray& rutaNativa, const QString& titulo, char sep);

} // namespace colvero::perfil
