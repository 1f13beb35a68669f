#include "chart/grafico.h"

#include "chart/svg.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

namespace colvero::grafico {

namespace {

// Axis ranges: the ratios from 0 to 1.2 across, y/D from 0 to 1 upwards.
constexpr double kXMax = 1.2;
constexpr int kMuestrasCurva = 401;

const QColor kColorCaudal(0x1f, 0x4e, 0x9c);
const QColor kColorVelocidad(0x6a, 0x3d, 0x9a);
const QColor kColorCumple(0x1a, 0x96, 0x41);
const QColor kColorNoCumple(0xd7, 0x19, 0x1c);
const QColor kColorCriterio(0x40, 0x40, 0x40);
const QColor kColorVelocidades(0xb3, 0x5c, 0x00);
const QColor kColorCondicion10(0x00, 0x80, 0x80);
const QColor kColorRegion(0x1a, 0x96, 0x41, 34);
const QColor kColorDosCalados(0xf0, 0xa0, 0x20, 70);
const QColor kColorRejilla(0xd8, 0xd8, 0xd8);
const QColor kColorRejillaMenor(0xee, 0xee, 0xee);

const QString kTitulo =
    QStringLiteral("Elementos hidráulicos de la sección circular parcialmente llena");

bool finito(double x) {
    return std::isfinite(x);
}

QColor colorVeredicto(bool cumple) {
    return cumple ? kColorCumple : kColorNoCumple;
}

enum class Marca { Circulo, Cuadrado, Triangulo, Rombo };

// Draws a marker of width `lado` centred on `c` with the painter's pen and brush.
void dibujarMarca(QPainter& p, Marca marca, QPointF c, double lado) {
    const double r = lado / 2.0;
    switch (marca) {
    case Marca::Circulo:
        p.drawEllipse(c, r, r);
        break;
    case Marca::Cuadrado:
        p.drawRect(QRectF(c.x() - r * 0.9, c.y() - r * 0.9, 1.8 * r, 1.8 * r));
        break;
    case Marca::Triangulo: {
        const QPointF v[3] = {{c.x(), c.y() - 1.15 * r},
                              {c.x() - 1.1 * r, c.y() + 0.8 * r},
                              {c.x() + 1.1 * r, c.y() + 0.8 * r}};
        p.drawPolygon(v, 3);
        break;
    }
    case Marca::Rombo: {
        const QPointF v[4] = {{c.x(), c.y() - 1.2 * r},
                              {c.x() + 1.2 * r, c.y()},
                              {c.x(), c.y() + 1.2 * r},
                              {c.x() - 1.2 * r, c.y()}};
        p.drawPolygon(v, 4);
        break;
    }
    }
}

// One line of the legend: its sample drawn into a small rectangle, and its text.
struct EntradaLeyenda {
    QString texto;
    std::function<void(QPainter&, const QRectF&)> muestra;
};

// A design point placed on the chart: one marker per point, the labels of coincident markers
// joined.
struct Marcador {
    QPointF centro;
    Marca marca = Marca::Circulo;
    int condicion = 0;
    bool cumple = false;
    QString id;
    QString titulo;
};

// The arrow of design flows above the capacity: its tip on the plot's edge, the conditions
// whose flows share it.
struct Flecha {
    QPointF punta;
    bool haciaArriba = true; // on the upper edge; false: on the right edge, off the axis
    std::vector<const CaudalExcedido*> caudales;
};

// One arrow per place: flows within the axis share the arrow at their Q/Qll when they are as
// good as equal; each flow off the axis gets its own arrow on the right edge.
std::vector<std::vector<const CaudalExcedido*>> gruposExcedidos(const DatosGrafico& d) {
    std::vector<const CaudalExcedido*> orden;
    for (const CaudalExcedido& c : d.excedidos) {
        if (std::isfinite(c.qQll)) {
            orden.push_back(&c);
        }
    }
    std::stable_sort(
        orden.begin(), orden.end(),
        [](const CaudalExcedido* a, const CaudalExcedido* b) { return a->qQll < b->qQll; });
    std::vector<std::vector<const CaudalExcedido*>> grupos;
    for (const CaudalExcedido* c : orden) {
        const bool dentro = c->qQll <= kXMax;
        if (dentro && !grupos.empty() && grupos.back().front()->qQll <= kXMax &&
            c->qQll - grupos.back().front()->qQll < 0.005) {
            grupos.back().push_back(c);
        } else {
            grupos.push_back({c});
        }
    }
    for (auto& grupo : grupos) {
        std::sort(grupo.begin(), grupo.end(), [](const CaudalExcedido* a, const CaudalExcedido* b) {
            return a->condicion < b->condicion;
        });
    }
    return grupos;
}

QString condicionesDe(const std::vector<const CaudalExcedido*>& grupo) {
    QStringList k;
    for (const CaudalExcedido* c : grupo) {
        k << QString::number(c->condicion);
    }
    return k.join(QStringLiteral(", "));
}

// Draws an arrow from `cola` to `punta` with a filled head.
void dibujarFlecha(QPainter& p, QPointF cola, QPointF punta, double pt, const QColor& color) {
    p.setPen(QPen(color, 1.6 * pt, Qt::SolidLine, Qt::FlatCap));
    const QPointF dir = (punta - cola) / std::hypot(punta.x() - cola.x(), punta.y() - cola.y());
    const QPointF normal(-dir.y(), dir.x());
    const double largo = 6 * pt;
    const double ancho = 3.2 * pt;
    p.drawLine(cola, punta - dir * largo * 0.8);
    const QPointF base = punta - dir * largo;
    const QPointF cabeza[3] = {punta, base + normal * ancho, base - normal * ancho};
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(cabeza, 3);
    p.setBrush(Qt::NoBrush);
}

struct Fuentes {
    QFont titulo;
    QFont texto;
    QFont pequena;
    QFont etiqueta; // labels of the design points
};

// Where everything goes, in the painter's logical coordinates.
struct Disposicion {
    double pt = 1.0; // logical units per typographic point
    Fuentes fuentes;
    QRectF grafico;
    QRectF leyenda;
    int columnasLeyenda = 1;
    double altoLinea = 0;
    double anchoColumna = 0;
    double anchoMuestra = 0;
    QPointF tituloEn;
    std::vector<EntradaLeyenda> entradas;
    std::vector<Marcador> marcadores;
    std::vector<Flecha> flechas;

    QPointF punto(double x, double yD) const {
        return {grafico.left() + x / kXMax * grafico.width(),
                grafico.bottom() - yD * grafico.height()};
    }
};

bool dentroDeEjes(double x, double yD) {
    return finito(x) && finito(yD) && x >= 0.0 && x <= kXMax && yD >= 0.0 && yD <= 1.0;
}

QString fueraDeEscala(double x) {
    return (x >= 0.0 && x <= kXMax) ? QString() : QStringLiteral(", fuera de escala");
}

std::vector<EntradaLeyenda> entradasLeyenda(const DatosGrafico& d, const Disposicion& dis,
                                            const Maximo& qMax, const Maximo& vMax, char sep) {
    const double pt = dis.pt;
    std::vector<EntradaLeyenda> e;
    auto linea = [pt](QColor color, double grosor, Qt::PenStyle estilo) {
        return [=](QPainter& p, const QRectF& r) {
            QPen pen(color, grosor * pt, estilo, Qt::FlatCap);
            p.setPen(pen);
            p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
        };
    };
    auto banda = [pt](QColor color, Qt::BrushStyle rayado) {
        return [=](QPainter& p, const QRectF& r) {
            const QRectF b = r.adjusted(0, r.height() * 0.15, 0, -r.height() * 0.15);
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawRect(b);
            if (rayado != Qt::NoBrush) {
                p.setBrush(QBrush(color.darker(160), rayado));
                p.drawRect(b);
            }
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(color.darker(160), 0.5 * pt));
            p.drawRect(b);
        };
    };
    auto marca = [pt](Marca m, QColor relleno) {
        return [=](QPainter& p, const QRectF& r) {
            p.setPen(QPen(Qt::black, 0.6 * pt));
            p.setBrush(relleno);
            dibujarMarca(p, m, r.center(), 7 * pt);
            p.setBrush(Qt::NoBrush);
        };
    };
    e.push_back(
        {QStringLiteral("Q/Qll, caudal relativo"), linea(kColorCaudal, 1.6, Qt::SolidLine)});
    e.push_back(
        {QStringLiteral("v/vll, velocidad relativa"), linea(kColorVelocidad, 1.6, Qt::SolidLine)});
    e.push_back({QStringLiteral("Qmáx/Qll = %1 en y/D = %2")
                     .arg(textoNumero(qMax.valor, 4, sep), textoNumero(qMax.yD, 3, sep)),
                 marca(Marca::Rombo, kColorCaudal)});
    e.push_back({QStringLiteral("vmáx/vll = %1 en y/D = %2")
                     .arg(textoNumero(vMax.valor, 4, sep), textoNumero(vMax.yD, 3, sep)),
                 marca(Marca::Rombo, kColorVelocidad)});
    e.push_back({QStringLiteral("Zona de dos calados (Qll < Q < Qmáx)"),
                 banda(kColorDosCalados, Qt::BDiagPattern)});
    if (d.region) {
        e.push_back(
            {QStringLiteral("Región admisible de los límites"), banda(kColorRegion, Qt::NoBrush)});
    }
    if (d.yDMax && finito(*d.yDMax)) {
        e.push_back({QStringLiteral("(4) (y/D)máx = %1").arg(textoNumero(*d.yDMax, 3, sep)) +
                         (*d.yDMax >= 0.0 && *d.yDMax <= 1.0 ? QString()
                                                             : QStringLiteral(", fuera de escala")),
                     linea(kColorCriterio, 1.1, Qt::DashLine)});
    }
    if (d.vVllMax && finito(*d.vVllMax)) {
        e.push_back({QStringLiteral("(2) Vmáx/vll = %1").arg(textoNumero(*d.vVllMax, 3, sep)) +
                         fueraDeEscala(*d.vVllMax),
                     linea(kColorVelocidades, 1.1, Qt::DashDotLine)});
    }
    if (d.vVllMin && finito(*d.vVllMin)) {
        e.push_back({QStringLiteral("(3) Vmín/vll = %1").arg(textoNumero(*d.vVllMin, 3, sep)) +
                         fueraDeEscala(*d.vVllMin),
                     linea(kColorVelocidades, 1.1, Qt::DashDotDotLine)});
    }
    if (d.condicion10 && finito(d.condicion10->yD) && finito(d.condicion10->vVll) &&
        finito(d.condicion10->vMinVll)) {
        const Condicion10& c = *d.condicion10;
        e.push_back({QStringLiteral("(10) y/D = %1, v10/vll = %2")
                         .arg(textoNumero(c.yD, 3, sep), textoNumero(c.vVll, 3, sep)),
                     [pt, c](QPainter& p, const QRectF& r) {
                         const double y = r.center().y();
                         p.setPen(QPen(kColorCondicion10, 1.1 * pt, Qt::DotLine, Qt::FlatCap));
                         p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
                         p.setPen(QPen(Qt::black, 0.6 * pt));
                         p.setBrush(colorVeredicto(c.cumple));
                         dibujarMarca(p, Marca::Triangulo, r.center(), 7 * pt);
                         p.setBrush(Qt::NoBrush);
                     }});
        e.push_back({QStringLiteral("(10) Vmín10/vll = %1").arg(textoNumero(c.vMinVll, 3, sep)) +
                         fueraDeEscala(c.vMinVll),
                     [pt](QPainter& p, const QRectF& r) {
                         p.setPen(QPen(kColorCondicion10, 1.6 * pt, Qt::SolidLine, Qt::FlatCap));
                         p.drawLine(QPointF(r.center().x(), r.top()),
                                    QPointF(r.center().x(), r.bottom()));
                     }});
    }
    if (!d.puntos.empty()) {
        e.push_back(
            {QStringLiteral("Caudal Q/Qll de la condición k"), marca(Marca::Circulo, Qt::white)});
        e.push_back({QStringLiteral("Velocidad v/vll de la condición k"),
                     marca(Marca::Cuadrado, Qt::white)});
    }
    for (const auto& grupo : gruposExcedidos(d)) {
        const double q = grupo.front()->qQll;
        e.push_back({QStringLiteral("(%1) Q/Qll = %2 > Qmáx/Qll: capacidad insuficiente")
                             .arg(condicionesDe(grupo), textoNumero(q, 3, sep)) +
                         fueraDeEscala(q),
                     [pt](QPainter& p, const QRectF& r) {
                         dibujarFlecha(p, QPointF(r.left() + 2 * pt, r.center().y()),
                                       QPointF(r.right() - 2 * pt, r.center().y()), pt,
                                       kColorNoCumple);
                     }});
    }
    if (!d.puntos.empty() || d.condicion10) {
        e.push_back(
            {QStringLiteral("Verde: cumple; rojo: no cumple"), [pt](QPainter& p, const QRectF& r) {
                 const QRectF b = r.adjusted(0, r.height() * 0.15, 0, -r.height() * 0.15);
                 p.setPen(QPen(Qt::black, 0.5 * pt));
                 p.setBrush(kColorCumple);
                 p.drawRect(QRectF(b.left(), b.top(), b.width() / 2, b.height()));
                 p.setBrush(kColorNoCumple);
                 p.drawRect(QRectF(b.center().x(), b.top(), b.width() / 2, b.height()));
                 p.setBrush(Qt::NoBrush);
             }});
    }
    return e;
}

QString tituloPunto(const QString& que, int k, double x, const QString& eje, double yD, bool cumple,
                    char sep) {
    return QStringLiteral("Condición %1: %2 %3 = %4, y/D = %5, %6")
        .arg(QString::number(k), que, eje, textoNumero(x, 3, sep), textoNumero(yD, 3, sep),
             cumple ? QStringLiteral("cumple") : QStringLiteral("no cumple"));
}

Disposicion disponer(const QPaintDevice* dispositivo, const QRectF& rect, const DatosGrafico& d,
                     char sep) {
    Disposicion dis;
    const int dpi = dispositivo ? dispositivo->logicalDpiY() : 96;
    dis.pt = (dpi > 0 ? dpi : 96) / 72.0;
    const double pt = dis.pt;

    // Fonts in points; QPainter turns them into the device's units.
    dis.fuentes.texto = QFont(QStringLiteral("DejaVu Sans"));
    dis.fuentes.texto.setPointSizeF(9.0);
    dis.fuentes.pequena = dis.fuentes.texto;
    dis.fuentes.pequena.setPointSizeF(8.0);
    dis.fuentes.etiqueta = dis.fuentes.texto;
    dis.fuentes.etiqueta.setBold(true);
    dis.fuentes.titulo = dis.fuentes.texto;
    dis.fuentes.titulo.setPointSizeF(11.0);
    dis.fuentes.titulo.setBold(true);
    const QFontMetricsF mTexto(dis.fuentes.texto, const_cast<QPaintDevice*>(dispositivo));
    const QFontMetricsF mPeq(dis.fuentes.pequena, const_cast<QPaintDevice*>(dispositivo));
    const QFontMetricsF mTitulo(dis.fuentes.titulo, const_cast<QPaintDevice*>(dispositivo));

    const double margen = 10 * pt;
    const double hueco = 5 * pt;
    const double tic = 4 * pt;

    dis.entradas = entradasLeyenda(d, dis, maximoCaudal(), maximoVelocidad(), sep);
    dis.anchoMuestra = 24 * pt;
    double anchoTexto = 0;
    for (const EntradaLeyenda& e : dis.entradas) {
        anchoTexto = std::max(anchoTexto, mPeq.horizontalAdvance(e.texto));
    }
    dis.altoLinea = mPeq.height() * 1.45;
    dis.anchoColumna = dis.anchoMuestra + hueco + anchoTexto + 2 * hueco;
    const double altoLeyenda = dis.altoLinea * static_cast<double>(dis.entradas.size()) + 2 * hueco;

    const double tituloAlto = mTitulo.height();
    dis.tituloEn = QPointF(rect.center().x(), rect.top() + margen + mTitulo.ascent());
    const double arriba = rect.top() + margen + tituloAlto + 2 * hueco;

    const double etiquetaY = mTexto.horizontalAdvance(textoNumero(1.0, 1, sep));
    const double izquierda =
        rect.left() + margen + mTexto.height() + hueco + etiquetaY + hueco + tic;
    double derecha = rect.right() - margen - mTexto.horizontalAdvance(QStringLiteral("0,0")) / 2;
    double abajo = rect.bottom() - margen - mTexto.height() - hueco - mTexto.height() - tic;

    // The legend goes to the right while the plot keeps at least 55 % of the width; otherwise
    // below the plot, in two columns.
    // The legend goes to the right of the plot or below it, whichever leaves the plot the
    // longer shorter side; to the right only when clearly better, as below the plot also keeps
    // its width. Below, two columns when they fit across, else one; texts too long
    // for the room are elided.
    const double anchoLeyenda = dis.anchoColumna + 2 * hueco;
    const double derechaConLeyenda = rect.right() - 2 * margen - anchoLeyenda - 2 * margen;
    const double disponible = rect.width() - 2 * margen;
    const int columnasDebajo = 2 * dis.anchoColumna + 2 * hueco <= disponible ? 2 : 1;
    const auto filasDebajo =
        static_cast<double>((dis.entradas.size() + static_cast<std::size_t>(columnasDebajo) - 1) /
                            static_cast<std::size_t>(columnasDebajo));
    const double altoDebajo = dis.altoLinea * filasDebajo + 2 * hueco;
    const double pie = margen + mTexto.height() + hueco + mTexto.height() + tic;
    const double abajoConLeyenda = rect.bottom() - margen - altoDebajo - pie;
    const double ladoDerecha = std::min(derechaConLeyenda - izquierda, abajo - arriba);
    const double ladoDebajo = std::min(derecha - izquierda, abajoConLeyenda - arriba);
    if (ladoDerecha >= 1.05 * ladoDebajo) {
        dis.leyenda =
            QRectF(rect.right() - margen - anchoLeyenda, arriba, anchoLeyenda, altoLeyenda);
        derecha = derechaConLeyenda;
        dis.columnasLeyenda = 1;
    } else {
        dis.columnasLeyenda = columnasDebajo;
        const double ancho = std::min(disponible, columnasDebajo * dis.anchoColumna + 2 * hueco);
        dis.anchoColumna = (ancho - 2 * hueco) / columnasDebajo;
        dis.leyenda = QRectF(rect.center().x() - ancho / 2, rect.bottom() - margen - altoDebajo,
                             ancho, altoDebajo);
        abajo = abajoConLeyenda;
    }
    dis.grafico = QRectF(QPointF(izquierda, arriba), QPointF(derecha, abajo));
    if (dis.grafico.width() < 1 || dis.grafico.height() < 1) {
        dis.grafico = QRectF(izquierda, arriba, 1, 1);
    }

    // Design points: one flow and one velocity marker per condition.
    for (const PuntoDiseno& p : d.puntos) {
        if (dentroDeEjes(p.qQll, p.yD)) {
            dis.marcadores.push_back({dis.punto(p.qQll, p.yD), Marca::Circulo, p.condicion,
                                      p.cumple, QStringLiteral("punto-caudal-%1").arg(p.condicion),
                                      tituloPunto(QStringLiteral("caudal"), p.condicion, p.qQll,
                                                  QStringLiteral("Q/Qll"), p.yD, p.cumple, sep)});
        }
        if (dentroDeEjes(p.vVll, p.yD)) {
            dis.marcadores.push_back({dis.punto(p.vVll, p.yD), Marca::Cuadrado, p.condicion,
                                      p.cumple,
                                      QStringLiteral("punto-velocidad-%1").arg(p.condicion),
                                      tituloPunto(QStringLiteral("velocidad"), p.condicion, p.vVll,
                                                  QStringLiteral("v/vll"), p.yD, p.cumple, sep)});
        }
    }
    // Arrows of flows above the capacity: up through the upper edge at their Q/Qll, or, off
    // the axis, right through the right edge, one below the other.
    int fuera = 0;
    for (const auto& grupo : gruposExcedidos(d)) {
        Flecha f;
        f.caudales = grupo;
        const double q = grupo.front()->qQll;
        if (q >= 0.0 && q <= kXMax) {
            f.punta = dis.punto(q, 1.0);
        } else {
            f.haciaArriba = false;
            f.punta = QPointF(dis.grafico.right(), dis.grafico.top() + (14 + 14 * fuera++) * pt);
        }
        dis.flechas.push_back(f);
    }
    if (d.condicion10 && dentroDeEjes(d.condicion10->vVll, d.condicion10->yD)) {
        const Condicion10& c = *d.condicion10;
        dis.marcadores.push_back({dis.punto(c.vVll, c.yD), Marca::Triangulo, 10, c.cumple,
                                  QStringLiteral("punto-condicion-10"),
                                  tituloPunto(QStringLiteral("velocidad"), 10, c.vVll,
                                              QStringLiteral("v10/vll"), c.yD, c.cumple, sep)});
    }
    return dis;
}

void dibujarRejillaYEjes(QPainter& p, const Disposicion& dis, char sep) {
    const double pt = dis.pt;
    const QRectF& g = dis.grafico;
    // Minor lines every 0.05, major every 0.1.
    for (int k = 0; k <= 24; ++k) {
        const double x = dis.punto(0.05 * k, 0).x();
        p.setPen(QPen(k % 2 ? kColorRejillaMenor : kColorRejilla, 0.5 * pt));
        p.drawLine(QPointF(x, g.top()), QPointF(x, g.bottom()));
    }
    for (int k = 0; k <= 20; ++k) {
        const double y = dis.punto(0, 0.05 * k).y();
        p.setPen(QPen(k % 2 ? kColorRejillaMenor : kColorRejilla, 0.5 * pt));
        p.drawLine(QPointF(g.left(), y), QPointF(g.right(), y));
    }
    p.setPen(QPen(Qt::black, 0.9 * pt));
    p.setBrush(Qt::NoBrush);
    p.drawRect(g);

    const double tic = 4 * pt;
    const double hueco = 3 * pt;
    p.setFont(dis.fuentes.texto);
    const QFontMetricsF m(dis.fuentes.texto, p.device());
    // A label every 0.1, or every 0.2 when the labels would touch.
    const double anchoEtiqueta = m.horizontalAdvance(textoNumero(1.2, 1, sep));
    const int pasoX = g.width() / 12 < 1.5 * anchoEtiqueta ? 2 : 1;
    const int pasoY = g.height() / 10 < 1.5 * m.height() ? 2 : 1;
    for (int k = 0; k <= 12; ++k) {
        const QPointF a = dis.punto(0.1 * k, 0);
        p.drawLine(a, a + QPointF(0, tic));
        if (k % pasoX) {
            continue;
        }
        const QString t = textoNumero(0.1 * k, 1, sep);
        p.drawText(QPointF(a.x() - m.horizontalAdvance(t) / 2, a.y() + tic + hueco + m.ascent()),
                   t);
    }
    for (int k = 0; k <= 10; ++k) {
        const QPointF a = dis.punto(0, 0.1 * k);
        p.drawLine(a, a - QPointF(tic, 0));
        if (k % pasoY) {
            continue;
        }
        const QString t = textoNumero(0.1 * k, 1, sep);
        p.drawText(QPointF(a.x() - tic - hueco - m.horizontalAdvance(t),
                           a.y() + (m.ascent() - m.descent()) / 2),
                   t);
    }
    // Axis titles.
    const QString tituloX = QStringLiteral("Q/Qll, v/vll");
    p.drawText(QPointF(g.center().x() - m.horizontalAdvance(tituloX) / 2,
                       g.bottom() + tic + hueco + m.height() + hueco + m.ascent()),
               tituloX);
    const QString tituloY = QStringLiteral("y/D");
    const double anchoEtiquetas = m.horizontalAdvance(textoNumero(1.0, 1, sep));
    p.save();
    p.translate(g.left() - tic - 2 * hueco - anchoEtiquetas - m.descent(), g.center().y());
    p.rotate(-90);
    p.drawText(QPointF(-m.horizontalAdvance(tituloY) / 2, 0), tituloY);
    p.restore();
}

void dibujarBandas(QPainter& p, const Disposicion& dis, const DatosGrafico& d, const Maximo& qMax) {
    const double pt = dis.pt;
    if (d.region) {
        const RegionAdmisible& r = *d.region;
        if (finito(r.yDMax) && finito(r.vVllMin) && finito(r.vVllMax) && r.vVllMax > r.vVllMin) {
            const double yTope = std::clamp(r.yDMax, 0.0, 1.0);
            const QRectF banda(dis.punto(std::clamp(r.vVllMin, 0.0, kXMax), yTope),
                               dis.punto(std::clamp(r.vVllMax, 0.0, kXMax), 0.0));
            p.setPen(Qt::NoPen);
            p.setBrush(kColorRegion);
            p.drawRect(banda);
        }
    }
    // Flows from Qll to Qmax have two depths: from the lower one where Q = Qll up to full.
    const QRectF dos(dis.punto(1.0, 1.0), dis.punto(qMax.valor, llenadoDeCaudalLleno()));
    p.setPen(Qt::NoPen);
    p.setBrush(kColorDosCalados);
    p.drawRect(dos);
    p.setBrush(QBrush(kColorDosCalados.darker(160), Qt::BDiagPattern));
    p.drawRect(dos);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kColorDosCalados.darker(160), 0.5 * pt));
    p.drawRect(dos);
}

void dibujarCurvas(QPainter& p, const Disposicion& dis) {
    const std::vector<PuntoCurva> curva = curvaElementos(kMuestrasCurva);
    QPainterPath caudal;
    QPainterPath velocidad;
    caudal.moveTo(dis.punto(curva.front().qQll, curva.front().yD));
    velocidad.moveTo(dis.punto(curva.front().vVll, curva.front().yD));
    for (std::size_t k = 1; k < curva.size(); ++k) {
        caudal.lineTo(dis.punto(curva[k].qQll, curva[k].yD));
        velocidad.lineTo(dis.punto(curva[k].vVll, curva[k].yD));
    }
    p.setBrush(Qt::NoBrush);
    QPen pen(kColorVelocidad, 1.6 * dis.pt, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.drawPath(velocidad);
    pen.setColor(kColorCaudal);
    p.setPen(pen);
    p.drawPath(caudal);
}

void dibujarMaximos(QPainter& p, const Disposicion& dis, const Maximo& qMax, const Maximo& vMax) {
    p.setPen(QPen(Qt::black, 0.6 * dis.pt));
    p.setBrush(kColorCaudal);
    dibujarMarca(p, Marca::Rombo, dis.punto(qMax.valor, qMax.yD), 7 * dis.pt);
    p.setBrush(kColorVelocidad);
    dibujarMarca(p, Marca::Rombo, dis.punto(vMax.valor, vMax.yD), 7 * dis.pt);
    p.setBrush(Qt::NoBrush);
}

// Lines off the axes are left out (the legend says "fuera de escala"): far-off coordinates
// would reach the raster engine's integer arithmetic.
void dibujarCriterios(QPainter& p, const Disposicion& dis, const DatosGrafico& d) {
    const double pt = dis.pt;
    const QRectF& g = dis.grafico;
    if (d.yDMax && dentroDeEjes(0.0, *d.yDMax)) {
        p.setPen(QPen(kColorCriterio, 1.1 * pt, Qt::DashLine, Qt::FlatCap));
        const double y = dis.punto(0, *d.yDMax).y();
        p.drawLine(QPointF(g.left(), y), QPointF(g.right(), y));
    }
    auto vertical = [&](const std::optional<double>& x, Qt::PenStyle estilo) {
        if (x && dentroDeEjes(*x, 0.0)) {
            p.setPen(QPen(kColorVelocidades, 1.1 * pt, estilo, Qt::FlatCap));
            const double px = dis.punto(*x, 0).x();
            p.drawLine(QPointF(px, g.top()), QPointF(px, g.bottom()));
        }
    };
    vertical(d.vVllMax, Qt::DashDotLine);
    vertical(d.vVllMin, Qt::DashDotDotLine);
    if (d.condicion10 && dentroDeEjes(0.0, d.condicion10->yD)) {
        const Condicion10& c = *d.condicion10;
        p.setPen(QPen(kColorCondicion10, 1.1 * pt, Qt::DotLine, Qt::FlatCap));
        const QPointF a = dis.punto(0, c.yD);
        p.drawLine(a, QPointF(g.right(), a.y()));
        // The required minimum as a short bar across the line of condition 10.
        if (dentroDeEjes(c.vMinVll, c.yD)) {
            p.setPen(QPen(kColorCondicion10, 1.6 * pt, Qt::SolidLine, Qt::FlatCap));
            const QPointF m = dis.punto(c.vMinVll, c.yD);
            p.drawLine(m - QPointF(0, 6 * pt), m + QPointF(0, 6 * pt));
        }
    }
}

void dibujarPuntos(QPainter& p, const Disposicion& dis) {
    const double pt = dis.pt;
    const double lado = 7 * pt;
    // Markers closer than a marker's width share one label, "2, 3, 4", each number in the colour
    // of its own verdict; the shared marker is red when any of them fails.
    std::vector<std::vector<const Marcador*>> grupos;
    for (const Marcador& m : dis.marcadores) {
        bool puesto = false;
        for (auto& grupo : grupos) {
            const QPointF dif = grupo.front()->centro - m.centro;
            if (grupo.front()->marca == m.marca && std::hypot(dif.x(), dif.y()) < lado) {
                grupo.push_back(&m);
                puesto = true;
                break;
            }
        }
        if (!puesto) {
            grupos.push_back({&m});
        }
    }
    // Markers first, so that no marker covers a label.
    std::vector<QRectF> ocupado;
    for (auto& grupo : grupos) {
        std::sort(grupo.begin(), grupo.end(),
                  [](const Marcador* a, const Marcador* b) { return a->condicion < b->condicion; });
        const bool todosCumplen =
            std::all_of(grupo.begin(), grupo.end(), [](const Marcador* m) { return m->cumple; });
        p.setPen(QPen(Qt::black, 0.6 * pt));
        p.setBrush(colorVeredicto(todosCumplen));
        dibujarMarca(p, grupo.front()->marca, grupo.front()->centro, lado);
        p.setBrush(Qt::NoBrush);
        const QPointF c = grupo.front()->centro;
        ocupado.emplace_back(c.x() - lado / 2, c.y() - lado / 2, lado, lado);
    }
    p.setFont(dis.fuentes.etiqueta);
    const QFontMetricsF fm(dis.fuentes.etiqueta, p.device());
    for (const auto& grupo : grupos) {
        std::vector<std::pair<QString, QColor>> trozos;
        double ancho = 0;
        for (std::size_t k = 0; k < grupo.size(); ++k) {
            const QString t = QString::number(grupo[k]->condicion) +
                              (k + 1 < grupo.size() ? QStringLiteral(",") : QString());
            trozos.emplace_back(t, colorVeredicto(grupo[k]->cumple).darker(125));
            ancho += fm.horizontalAdvance(t) + (k + 1 < grupo.size() ? 2 * pt : 0);
        }
        // The first of four places around the marker that stays in the plot and clear of the
        // other markers and labels; above right when none is.
        const QPointF c = grupo.front()->centro;
        const double alto = fm.ascent();
        const double d = lado * 0.7;
        const QRectF sitios[4] = {{c.x() + d, c.y() - d - alto, ancho, alto},
                                  {c.x() + d, c.y() + d, ancho, alto},
                                  {c.x() - d - ancho, c.y() - d - alto, ancho, alto},
                                  {c.x() - d - ancho, c.y() + d, ancho, alto}};
        QRectF sitio = sitios[0];
        for (const QRectF& candidato : sitios) {
            const bool libre = dis.grafico.contains(candidato) &&
                               std::none_of(ocupado.begin(), ocupado.end(), [&](const QRectF& r) {
                                   return r.intersects(candidato);
                               });
            if (libre) {
                sitio = candidato;
                break;
            }
        }
        ocupado.push_back(sitio);
        double x = sitio.left();
        const double y = sitio.bottom();
        for (const auto& [texto, color] : trozos) {
            // A white halo keeps the number readable over grid and curves.
            QPainterPath camino;
            camino.addText(QPointF(x, y), dis.fuentes.etiqueta, texto);
            p.setPen(QPen(QColor(255, 255, 255, 230), 2.4 * pt, Qt::SolidLine, Qt::RoundCap,
                          Qt::RoundJoin));
            p.drawPath(camino);
            p.setPen(color);
            p.drawText(QPointF(x, y), texto);
            x += fm.horizontalAdvance(texto) + 2 * pt;
        }
    }
}

void dibujarFlechas(QPainter& p, const Disposicion& dis) {
    const double pt = dis.pt;
    const double largo = 22 * pt;
    p.setFont(dis.fuentes.etiqueta);
    const QFontMetricsF fm(dis.fuentes.etiqueta, p.device());
    for (const Flecha& f : dis.flechas) {
        const QPointF cola = f.punta + (f.haciaArriba ? QPointF(0, largo) : QPointF(-largo, 0));
        dibujarFlecha(p, cola, f.punta, pt, kColorNoCumple);
        const QString texto = condicionesDe(f.caudales);
        const QPointF en = f.haciaArriba ? QPointF(cola.x() + 3 * pt, cola.y())
                                         : QPointF(cola.x() - 3 * pt - fm.horizontalAdvance(texto),
                                                   cola.y() + fm.ascent() / 2 - fm.descent() / 2);
        QPainterPath camino;
        camino.addText(en, dis.fuentes.etiqueta, texto);
        p.setPen(
            QPen(QColor(255, 255, 255, 230), 2.4 * pt, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(camino);
        p.setPen(kColorNoCumple.darker(125));
        p.drawText(en, texto);
    }
}

void dibujarLeyenda(QPainter& p, const Disposicion& dis) {
    const double pt = dis.pt;
    const double hueco = 5 * pt;
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 0.6 * pt));
    p.setBrush(Qt::white);
    p.drawRect(dis.leyenda);
    p.setBrush(Qt::NoBrush);
    p.setFont(dis.fuentes.pequena);
    const QFontMetricsF fm(dis.fuentes.pequena, p.device());
    const std::size_t filas = (dis.entradas.size() + dis.columnasLeyenda - 1) /
                              static_cast<std::size_t>(dis.columnasLeyenda);
    for (std::size_t k = 0; k < dis.entradas.size(); ++k) {
        const double columna = static_cast<double>(k / filas);
        const double fila = static_cast<double>(k % filas);
        const double x = dis.leyenda.left() + hueco + columna * dis.anchoColumna;
        const double y = dis.leyenda.top() + hueco + fila * dis.altoLinea;
        const QRectF muestra(x, y, dis.anchoMuestra, dis.altoLinea);
        p.save();
        dis.entradas[k].muestra(p, muestra);
        p.restore();
        p.setPen(Qt::black);
        const double anchoTexto = dis.anchoColumna - dis.anchoMuestra - 2 * hueco;
        p.drawText(QPointF(x + dis.anchoMuestra + hueco,
                           y + (dis.altoLinea + fm.ascent() - fm.descent()) / 2),
                   fm.elidedText(dis.entradas[k].texto, Qt::ElideRight, anchoTexto));
    }
}

} // namespace

QString textoNumero(double valor, int decimales, char separadorDecimal) {
    if (!finito(valor)) {
        return QStringLiteral("-");
    }
    char buffer[64];
    const auto [fin, error] = std::to_chars(buffer, buffer + sizeof buffer, valor,
                                            std::chars_format::fixed, std::clamp(decimales, 0, 15));
    if (error != std::errc()) {
        return QStringLiteral("-");
    }
    QString texto = QString::fromLatin1(buffer, static_cast<qsizetype>(fin - buffer));
    // A value that rounds to zero is written without a sign.
    if (texto.startsWith(QLatin1Char('-')) &&
        std::none_of(texto.cbegin(), texto.cend(),
                     [](QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); })) {
        texto.remove(0, 1);
    }
    texto.replace(QLatin1Char('.'), QLatin1Char(separadorDecimal));
    return texto;
}

PuntoDiseno puntoDiseno(int condicion, const hidraulica::EstadoFlujo& normal,
                        const SeccionLlena& llena, bool cumple) {
    return {condicion, normal.Q / llena.Q, normal.v / llena.v, normal.yD / 100.0, cumple};
}

std::optional<RegionAdmisible> regionDeLosLimites(const DatosGrafico& datos) {
    if (!datos.yDMax && !datos.vVllMin && !datos.vVllMax) {
        return std::nullopt;
    }
    RegionAdmisible r;
    if (datos.yDMax) {
        r.yDMax = *datos.yDMax;
    }
    if (datos.vVllMin) {
        r.vVllMin = *datos.vVllMin;
    }
    if (datos.vVllMax) {
        r.vVllMax = *datos.vVllMax;
    }
    return r;
}

void dibujarGrafico(QPainter& painter, const QRectF& rect, const DatosGrafico& datos,
                    char separadorDecimal) {
    const Disposicion dis = disponer(painter.device(), rect, datos, separadorDecimal);
    const Maximo qMax = maximoCaudal();
    const Maximo vMax = maximoVelocidad();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // Within whatever clip the caller has set.
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.fillRect(rect, Qt::white);

    painter.setPen(Qt::black);
    painter.setFont(dis.fuentes.titulo);
    const QFontMetricsF mt(dis.fuentes.titulo, painter.device());
    // Centred over the plot, as far as the rectangle allows.
    const double anchoTitulo = mt.horizontalAdvance(kTitulo);
    const double xTitulo =
        std::max(rect.left(),
                 std::min(dis.grafico.center().x() - anchoTitulo / 2, rect.right() - anchoTitulo));
    painter.drawText(QPointF(xTitulo, dis.tituloEn.y()), kTitulo);

    painter.save();
    painter.setClipRect(dis.grafico, Qt::IntersectClip);
    dibujarBandas(painter, dis, datos, qMax);
    painter.restore();
    dibujarRejillaYEjes(painter, dis, separadorDecimal);

    painter.save();
    painter.setClipRect(dis.grafico, Qt::IntersectClip);
    dibujarCriterios(painter, dis, datos);
    dibujarCurvas(painter, dis);
    dibujarMaximos(painter, dis, qMax, vMax);
    painter.restore();

    dibujarPuntos(painter, dis);
    painter.save();
    painter.setClipRect(dis.grafico.adjusted(-1, -1, 1, 1), Qt::IntersectClip);
    dibujarFlechas(painter, dis);
    painter.restore();
    dibujarLeyenda(painter, dis);
    painter.restore();
}

QRectF areaDelGrafico(const QPaintDevice& dispositivo, const QRectF& rect,
                      const DatosGrafico& datos, char separadorDecimal) {
    return disponer(&dispositivo, rect, datos, separadorDecimal).grafico;
}

QByteArray pngGrafico(QSize tamano, double escala, const DatosGrafico& datos,
                      char separadorDecimal) {
    if (tamano.isEmpty() || !finito(escala) || escala <= 0.0 || escala > 8.0) {
        return {};
    }
    const QSize pixeles(static_cast<int>(std::lround(tamano.width() * escala)),
                        static_cast<int>(std::lround(tamano.height() * escala)));
    // 16384 pixels a side (1 GiB at most) keeps a mistaken size from exhausting memory.
    if (pixeles.width() > 16384 || pixeles.height() > 16384) {
        return {};
    }
    QImage imagen(pixeles, QImage::Format_RGB32);
    if (imagen.isNull()) {
        return {};
    }
    // 96 DPI: 3780 dots per metre.
    imagen.setDotsPerMeterX(3780);
    imagen.setDotsPerMeterY(3780);
    imagen.setDevicePixelRatio(escala);
    imagen.fill(Qt::white);
    {
        QPainter painter(&imagen);
        dibujarGrafico(painter, QRectF(QPointF(0, 0), QSizeF(pixeles) / escala), datos,
                       separadorDecimal);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!imagen.save(&buffer, "PNG")) {
        return {};
    }
    return bytes;
}

QByteArray svgGrafico(QSize tamano, const DatosGrafico& datos, char separadorDecimal) {
    if (tamano.isEmpty()) {
        return {};
    }
    const QRectF rect(QPointF(0, 0), QSizeF(tamano));
    // Each design point gets a transparent twin with an id and a <title>.
    const auto puntos = [&](QPaintDevice& svg) {
        const Disposicion dis = disponer(&svg, rect, datos, separadorDecimal);
        QString capa = QStringLiteral("<g id=\"puntos-de-diseno\">\n");
        for (const Marcador& m : dis.marcadores) {
            capa += QStringLiteral("<circle id=\"%1\" cx=\"%2\" cy=\"%3\" r=\"%4\" fill=\"#000\" "
                                   "fill-opacity=\"0\"><title>%5</title></circle>\n")
                        .arg(m.id, QString::number(m.centro.x(), 'f', 2),
                             QString::number(m.centro.y(), 'f', 2),
                             QString::number(4 * dis.pt, 'f', 2), m.titulo.toHtmlEscaped());
        }
        for (const Flecha& f : dis.flechas) {
            for (const CaudalExcedido* c : f.caudales) {
                capa +=
                    QStringLiteral("<circle id=\"punto-excedido-%1\" cx=\"%2\" cy=\"%3\" r=\"%4\" "
                                   "fill=\"#000\" fill-opacity=\"0\"><title>Condición %1: caudal "
                                   "Q/Qll = %5, mayor que el máximo de la sección: capacidad "
                                   "insuficiente</title></circle>\n")
                        .arg(QString::number(c->condicion), QString::number(f.punta.x(), 'f', 2),
                             QString::number(f.punta.y(), 'f', 2),
                             QString::number(4 * dis.pt, 'f', 2),
                             textoNumero(c->qQll, 3, separadorDecimal));
            }
        }
        return capa + QStringLiteral("</g>\n");
    };
    return svgConElementos(
        tamano, kTitulo,
        QStringLiteral("Curvas Q/Qll y v/vll en función de y/D, con los puntos de diseño del "
                       "colector y sus criterios"),
        [&](QPainter& painter) { dibujarGrafico(painter, rect, datos, separadorDecimal); }, puntos);
}

} // namespace colvero::grafico
