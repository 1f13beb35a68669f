#pragma once
// The hydraulic-elements chart of a collector: the curves Q/Qll and v/vll of the circular
// section against y/D, the collector's design points and its criteria, painted with QPainter
// onto any paint device (a widget, a QImage, a QSvgGenerator, a QPdfWriter).
//
// Units of every field below: Q/Qll and v/vll are dimensionless ratios to the flow and the
// velocity of the full section (seccionLlena in chart/elementos.h gives Qll in m3/s and vll in
// m/s); every y/D is a fraction of the diameter, 0 to 1, NOT the percentage the flow states and
// the criteria hold (divide those by 100).
#include "chart/elementos.h"
#include "hydraulics/estado_flujo.h"

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

class QPainter;
class QPaintDevice;

namespace colvero::grafico {

// The normal flow of one design flow (conditions 2 to 7) on the chart.
struct PuntoDiseno {
    int condicion = 0;   // k, 2 to 7: the label of both points
    double qQll = 0;     // Q/Qll: the flow point is (Q/Qll, y/D)
    double vVll = 0;     // v/vll: the velocity point is (v/vll, y/D)
    double yD = 0;       // fill ratio, fraction
    bool cumple = false; // verdict of condition k: "[SI]" true, "[NO]" false
};

// Condition 10: the velocity at a chosen fill ratio against a minimum.
struct Condicion10 {
    double yD = 0;       // fill ratio yD10, fraction
    double vVll = 0;     // velocity of uniform flow at that fill ratio, v10/vll
    double vMinVll = 0;  // required minimum, Vmin10/vll
    bool cumple = false; // verdict of condition 10
};

// The band that the enabled limits admit for a velocity point: y/D up to yDMax and v/vll from
// vVllMin to vVllMax.
struct RegionAdmisible {
    double yDMax = 1.0;
    double vVllMin = 0.0;
    double vVllMax = 1.2;
};

// A design flow (conditions 2 to 7) above the largest flow of the section: it has no normal
// depth, so the chart marks it with an arrow at its upper edge, at its Q/Qll (at the right edge
// when that is off the axis).
struct CaudalExcedido {
    int condicion = 0; // k, 2 to 7
    double qQll = 0;   // Q/Qll of the design flow, above Qmax/Qll
};

// Everything the chart shows beyond the curves of the section. Absent criteria are not drawn.
struct DatosGrafico {
    std::vector<PuntoDiseno> puntos;       // evaluated conditions 2 to 7 only
    std::vector<CaudalExcedido> excedidos; // "Capacidad insuficiente" among them
    std::optional<double> yDMax;           // (y/D)max of condition 4, fraction
    std::optional<double> vVllMax;         // Vmax/vll of condition 2
    std::optional<double> vVllMin;         // Vmin/vll of condition 3
    std::optional<Condicion10> condicion10;
    std::optional<RegionAdmisible> region; // shaded when present (see regionDeLosLimites)
};

// The point of condition k from its normal flow (TEO4's state: Q in m3/s, v in m/s, yD in
// percent) and the full section of the same collector.
PuntoDiseno puntoDiseno(int condicion, const hidraulica::EstadoFlujo& normal,
                        const SeccionLlena& llena, bool cumple);

// The admissible band of the limits present in `datos` ((y/D)max, Vmin/vll, Vmax/vll); none
// when none of them is.
std::optional<RegionAdmisible> regionDeLosLimites(const DatosGrafico& datos);

// A ratio as the chart writes it: `decimales` digits after `separadorDecimal`.
QString textoNumero(double valor, int decimales, char separadorDecimal);

// Paints the whole chart (title, axes, curves, criteria, points, legend) into `rect`, in the
// painter's logical coordinates. Fonts and lines are sized in points from the device's logical
// DPI, so the chart reads the same on screen, in a 2x image and on paper. Points and criteria
// that are not finite or lie off the axes are left out (the legend marks such a criterion "fuera
// de escala"); everything stays inside `rect`.
void dibujarGrafico(QPainter& painter, const QRectF& rect, const DatosGrafico& datos,
                    char separadorDecimal);

// The plot frame that dibujarGrafico uses for `rect` on `dispositivo`: the ratio x and the fill
// ratio y/D lie at (left + x/1.2·width, bottom − y/D·height). For hit tests and tooltips.
QRectF areaDelGrafico(const QPaintDevice& dispositivo, const QRectF& rect,
                      const DatosGrafico& datos, char separadorDecimal);

// The chart as PNG bytes: an image of `tamano` logical pixels at 96 DPI times `escala` (2 gives
// a sharp picture for a 200 % screen, twice as many pixels each way). Empty for an empty size,
// a scale outside (0, 8], more than 16384 pixels a side, or a failed encoding.
QByteArray pngGrafico(QSize tamano, double escala, const DatosGrafico& datos,
                      char separadorDecimal);

// The chart as an SVG document of `tamano` pixels at 96 DPI. Each design point also gets an
// element with id "punto-caudal-k" or "punto-velocidad-k" (and "punto-condicion-10") holding a
// <title> that names the condition, its coordinates and its verdict; the tip of the arrow of a
// flow above the capacity gets "punto-excedido-k".
QByteArray svgGrafico(QSize tamano, const DatosGrafico& datos, char separadorDecimal);

} // namespace colvero::grafico
