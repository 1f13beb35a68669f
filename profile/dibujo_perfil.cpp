#include "profile/dibujo_perfil.h"

#include "chart/grafico.h"
#include "chart/svg.h"
#include "files/archivos.h"
#include "files/escritura.h"
#include "files/lectura.h"
#include "report/producto.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace colvero::perfil {
namespace {

constexpr int kMarcasEje = 200; // ticks of an axis, at most

const QColor kVerde(46, 125, 50);
const QColor kRojo(198, 40, 40);
const QColor kAmbar(230, 140, 0);
const QColor kAgua(30, 110, 200);
const QColor kTerreno(120, 80, 40);
const QColor kRejilla(225, 225, 225);

QColor colorDe(ClasePerfil c) {
    switch (c) {
    case ClasePerfil::Cumple:
        return kVerde;
    case ClasePerfil::NoCumple:
        return kRojo;
    case ClasePerfil::SinComprobar:
        break;
    }
    return kAmbar;
}

QString textoClase(ClasePerfil c) {
    switch (c) {
    case ClasePerfil::Cumple:
        return QStringLiteral("Cumple");
    case ClasePerfil::NoCumple:
        return QStringLiteral("No cumple");
    case ClasePerfil::SinComprobar:
        break;
    }
    return QStringLiteral("Sin comprobar");
}

QFont fuente(double puntos, bool negrita = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(puntos);
    f.setBold(negrita);
    // No ligatures: the PDF's text reads back as written.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

QString num(const std::optional<double>& v, int decimales, char sep) {
    return v ? grafico::textoNumero(*v, decimales, sep) : QStringLiteral("-");
}

// The largest of 1, 2, 5 times a power of ten not above `x` (> 0).
double redondoPorDebajo(double x) {
    const double p = std::pow(10.0, std::floor(std::log10(x)));
    for (const double m : {5.0, 2.0, 1.0})
        if (m * p <= x)
            return m * p;
    return p;
}

// A tick step of about `objetivo` ticks over `rango`.
double paso(double rango, int objetivo) {
    const double bruto = rango / objetivo;
    const double p = std::pow(10.0, std::floor(std::log10(bruto)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= bruto)
            return m * p;
    return 10 * p;
}

int decimalesDe(double paso) {
    return paso >= 1 ? 0 : std::clamp(static_cast<int>(std::ceil(-std::log10(paso))), 0, 3);
}

QString textoEscala(double n, char sep) {
    const int dec = n >= 1 ? 0 : decimalesDe(n);
    return QStringLiteral("Escala vertical ×") + grafico::textoNumero(n, dec, sep);
}

struct Fila {
    QString titulo;
    bool deNodo;
    bool vertical; // node values written upwards, so that close nodes do not collide
};

const Fila kFilas[] = {
    {QStringLiteral("Nodo"), true, true},
    {QStringLiteral("Distancia (m)"), true, true},
    {QStringLiteral("Cota terreno (m)"), true, true},
    {QStringLiteral("Solera entrada (m)"), true, true},
    {QStringLiteral("Solera salida (m)"), true, true},
    {QStringLiteral("Profundidad (m)"), true, true},
    {QStringLiteral("Tramo"), false, false},
    {QStringLiteral("D (m)"), false, false},
    {QStringLiteral("n"), false, false},
    {QStringLiteral("Pendiente (‰)"), false, false},
    {QStringLiteral("Longitud (m)"), false, false},
    {QStringLiteral("Q1 (m3/s)"), false, false},
    {QStringLiteral("y/D Q1 (%)"), false, false},
    {QStringLiteral("v Q1 (m/s)"), false, false},
    {QStringLiteral("Veredicto"), false, false},
};
constexpr std::size_t kNumFilas = std::size(kFilas);

QString celdaNodo(std::size_t fila, const NodoPerfil& n, char sep) {
    switch (fila) {
    case 0:
        return QString::fromStdString(n.nombre);
    case 1:
        return grafico::textoNumero(n.distancia, 2, sep);
    case 2:
        return num(n.cotaTerreno, 2, sep);
    case 3:
        return num(n.soleraEntrada, 2, sep);
    case 4:
        return num(n.soleraSalida, 2, sep);
    default:
        return num(n.profundidad, 2, sep);
    }
}

QString celdaTramo(std::size_t fila, const TramoPerfil& t, char sep) {
    const auto normal = [&](double NormalPerfil::*campo, int dec) {
        return t.normal1 ? grafico::textoNumero((*t.normal1).*campo, dec, sep)
                         : QStringLiteral("-");
    };
    const bool datos = t.conducto();
    switch (fila) {
    case 6:
        return QString::fromStdString(t.datos.tramo);
    case 7:
        return datos ? grafico::textoNumero(t.datos.D, 3, sep) : QStringLiteral("-");
    case 8:
        return datos ? grafico::textoNumero(t.datos.n, 4, sep) : QStringLiteral("-");
    case 9:
        return datos ? grafico::textoNumero(t.datos.i * 1000, 2, sep) : QStringLiteral("-");
    case 10:
        return datos ? grafico::textoNumero(t.longitud, 2, sep) : QStringLiteral("-");
    case 11:
        return num(t.Q1, 4, sep);
    case 12:
        return normal(&NormalPerfil::yD, 1);
    case 13:
        return normal(&NormalPerfil::v, 2);
    default:
        return textoClase(t.clase);
    }
}

// One piece of the path mapped onto the page: distance to x, elevation to y.
struct Escala {
    double x0 = 0, sx = 1; // left of the plot, pixels per metre
    double d0 = 0;         // distance at x0
    double yBase = 0, sy = 1;
    double z0 = 0; // elevation at yBase
    double x(double d) const { return x0 + (d - d0) * sx; }
    double y(double z) const { return yBase - (z - z0) * sy; }
};

} // namespace

Marcas dibujarPerfil(QPainter& painter, const QRectF& rect, const Perfil& p, const QString& titulo,
                     char sep, std::size_t primero, std::size_t ultimo) {
    Marcas marcas;
    if (p.nodos.empty())
        return marcas;
    ultimo = std::min(ultimo, p.nodos.size() - 1);
    primero = std::min(primero, ultimo);
    QPainter& g = painter;
    g.save();
    g.setRenderHint(QPainter::Antialiasing);
    const double pt = g.device()->logicalDpiY() / 72.0;
    const QFont fTitulo = fuente(10, true), fTexto = fuente(7), fPeq = fuente(6);
    const QFontMetricsF mTexto(fTexto, g.device()), mPeq(fPeq, g.device()),
        mTitulo(fTitulo, g.device());

    // The band: the label column, then a row per datum; node rows as tall as their longest
    // upright text.
    double columna = 0;
    for (const Fila& f : kFilas)
        columna = std::max(columna, mPeq.horizontalAdvance(f.titulo));
    columna += 8 * pt;
    std::vector<double> altos(kNumFilas, mPeq.height() + 4 * pt);
    for (std::size_t f = 0; f < kNumFilas; ++f) {
        if (!kFilas[f].vertical)
            continue;
        double ancho = 0;
        for (std::size_t k = primero; k <= ultimo; ++k)
            ancho = std::max(ancho, mPeq.horizontalAdvance(celdaNodo(f, p.nodos[k], sep)));
        altos[f] = std::min(ancho, 60 * pt) + 6 * pt;
    }
    double altoBanda = 0;
    for (const double a : altos)
        altoBanda += a;

    const double margen = 6 * pt;
    const QRectF dentro = rect.adjusted(margen, margen, -margen, -margen);
    double arriba = dentro.top();
    g.setPen(Qt::black);
    g.setFont(fTitulo);
    g.drawText(QRectF(dentro.left(), arriba, dentro.width(), mTitulo.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               mTitulo.elidedText(titulo, Qt::ElideRight, dentro.width() * 0.6));
    arriba += mTitulo.height() + 2 * pt;

    const QRectF banda(dentro.left(), dentro.bottom() - altoBanda, dentro.width(), altoBanda);
    const double pie = mPeq.height() + 4 * pt; // distance axis labels
    const QRectF area(dentro.left() + columna, arriba + mTexto.height() + 4 * pt,
                      dentro.width() - columna - 4 * pt,
                      banda.top() - pie - (arriba + mTexto.height() + 4 * pt));

    // Elevations shown: floors, ground, crowns and water surfaces of this piece.
    double zMin = std::numeric_limits<double>::infinity(), zMax = -zMin;
    const auto incluir = [&](const std::optional<double>& z) {
        if (z && std::isfinite(*z)) {
            zMin = std::min(zMin, *z);
            zMax = std::max(zMax, *z);
        }
    };
    for (std::size_t k = primero; k <= ultimo; ++k) {
        incluir(p.nodos[k].soleraMinima);
        incluir(p.nodos[k].cotaTerreno);
    }
    for (std::size_t k = primero; k < ultimo; ++k) {
        const TramoPerfil& t = p.tramos[k];
        if (t.cotaInicio)
            incluir(*t.cotaInicio + t.datos.D);
        if (t.cotaFin)
            incluir(*t.cotaFin + t.datos.D);
    }
    if (!(zMax > zMin)) {
        zMin -= 0.5;
        zMax += 0.5;
    }
    const double holgura = 0.08 * (zMax - zMin);
    zMin -= holgura;
    zMax += holgura;

    Escala e;
    e.x0 = area.left() + 10 * pt;
    e.d0 = p.nodos[primero].distancia;
    const double tramoX = std::max(p.nodos[ultimo].distancia - e.d0, 1e-9);
    e.sx = (area.width() - 20 * pt) / tramoX;
    if (p.nodos[ultimo].distancia - e.d0 <= 0)
        e.sx = 1;
    e.yBase = area.bottom();
    e.z0 = zMin;
    const double syAjustado = area.height() / (zMax - zMin);
    marcas.exageracion = redondoPorDebajo(syAjustado / e.sx);
    e.sy = marcas.exageracion * e.sx;
    // Centre the elevations in the plot when the rounded scale leaves room.
    e.z0 = zMin - (area.height() / e.sy - (zMax - zMin)) / 2;
    // A rectangle too small for a plot, or numbers no scale can show: the title alone.
    if (area.width() < 20 * pt || area.height() < 20 * pt || !std::isfinite(e.sx) ||
        !std::isfinite(e.sy) || !(e.sy > 0) || !std::isfinite(e.z0) || !std::isfinite(e.d0)) {
        marcas.exageracion = std::numeric_limits<double>::quiet_NaN();
        g.restore();
        return marcas;
    }

    // Title line's right part and the legend.
    g.setFont(fTexto);
    const QString escala = textoEscala(marcas.exageracion, sep);
    g.drawText(QRectF(dentro.left(), dentro.top(), dentro.width(), mTitulo.height()),
               Qt::AlignRight | Qt::AlignVCenter, escala);
    {
        double x = area.left();
        const double yL = arriba + mTexto.height() / 2;
        const auto muestra = [&](const QPen& pluma, const QString& texto) {
            g.setPen(pluma);
            g.drawLine(QPointF(x, yL), QPointF(x + 14 * pt, yL));
            g.setPen(Qt::black);
            x += 17 * pt;
            g.drawText(QPointF(x, arriba + mTexto.ascent()), texto);
            x += mTexto.horizontalAdvance(texto) + 8 * pt;
        };
        muestra(QPen(kAgua, 1.5 * pt), QStringLiteral("Q1"));
        muestra(QPen(kAgua, 1.0 * pt, Qt::DashLine), QStringLiteral("Q3"));
        muestra(QPen(kTerreno, 1.0 * pt), QStringLiteral("Terreno"));
        muestra(QPen(kVerde, 2 * pt), textoClase(ClasePerfil::Cumple));
        muestra(QPen(kRojo, 2 * pt), textoClase(ClasePerfil::NoCumple));
        muestra(QPen(kAmbar, 2 * pt), textoClase(ClasePerfil::SinComprobar));
        g.setPen(Qt::black);
        g.setFont(fPeq);
        g.drawText(QRectF(x, arriba, std::max(0.0, area.right() - x), mTexto.height()),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Calado normal de cada tramo (régimen uniforme), no curva de "
                                  "remanso"));
    }

    // Axes and grid.
    g.setFont(fPeq);
    const double pasoZ = paso(area.height() / e.sy, 6);
    // Ticks by index: a step that vanishes beside a huge value cannot stall the loop.
    const double zInicio = std::ceil(e.z0 / pasoZ) * pasoZ;
    for (int i = 0; i < kMarcasEje && e.y(zInicio + i * pasoZ) >= area.top() - 0.01; ++i) {
        const double z = zInicio + i * pasoZ;
        const double y = e.y(z);
        g.setPen(QPen(kRejilla, 0.5 * pt));
        g.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        g.setPen(Qt::black);
        // The lowest line leaves room for the distance axis's caption below it.
        if (y > area.bottom() - 0.6 * mPeq.height())
            continue;
        g.drawText(QRectF(dentro.left(), y - mPeq.height() / 2, columna - 3 * pt, mPeq.height()),
                   Qt::AlignRight | Qt::AlignVCenter,
                   grafico::textoNumero(z, decimalesDe(pasoZ), sep));
    }
    const double dFin = e.d0 + (area.right() - e.x0) / e.sx;
    const double pasoD = paso(std::max(dFin - e.d0, 1e-6), 8);
    const double dInicio = std::ceil(e.d0 / pasoD) * pasoD;
    for (int i = 0; i < kMarcasEje && dInicio + i * pasoD <= dFin + 1e-9; ++i) {
        const double d = dInicio + i * pasoD;
        const double x = e.x(d);
        if (x < area.left())
            continue;
        g.setPen(QPen(kRejilla, 0.5 * pt));
        g.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        g.setPen(Qt::black);
        g.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 2 * pt));
        g.drawText(QRectF(x - 30 * pt, area.bottom() + 2 * pt, 60 * pt, mPeq.height()),
                   Qt::AlignCenter, grafico::textoNumero(d, decimalesDe(pasoD), sep));
    }
    g.setPen(QPen(Qt::black, 0.8 * pt));
    g.drawLine(area.bottomLeft(), area.bottomRight());
    g.drawLine(area.bottomLeft(), area.topLeft());
    g.save();
    g.translate(dentro.left() + mPeq.ascent(), area.center().y());
    g.rotate(-90);
    g.drawText(QRectF(-area.height() / 2, -mPeq.ascent(), area.height(), mPeq.height()),
               Qt::AlignCenter, QStringLiteral("Cota (m)"));
    g.restore();
    g.drawText(QRectF(dentro.left(), area.bottom() + 2 * pt, columna - 3 * pt, mPeq.height()),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Distancia (m)"));

    g.save();
    g.setClipRect(area.adjusted(-1, -1, 1, 1));
    // Ground: solid between two nodes that have it, dashed across the nodes that lack it.
    for (std::size_t k = primero; k < ultimo;) {
        if (!p.nodos[k].cotaTerreno) {
            ++k;
            continue;
        }
        std::size_t j = k + 1;
        while (j <= ultimo && !p.nodos[j].cotaTerreno)
            ++j;
        if (j > ultimo)
            break;
        g.setPen(QPen(kTerreno, 1.0 * pt, j == k + 1 ? Qt::SolidLine : Qt::DashLine));
        g.drawLine(QPointF(e.x(p.nodos[k].distancia), e.y(*p.nodos[k].cotaTerreno)),
                   QPointF(e.x(p.nodos[j].distancia), e.y(*p.nodos[j].cotaTerreno)));
        k = j;
    }

    // Reaches: the pipe between invert and crown in its verdict's colour, the water of Q1
    // filled and its surface, Q3's surface dashed.
    for (std::size_t k = primero; k < ultimo; ++k) {
        const TramoPerfil& t = p.tramos[k];
        const double xa = e.x(t.inicio), xb = e.x(t.fin);
        marcas.tramos.emplace_back(k, QRectF(xa, area.top(), xb - xa, area.height()));
        if (!t.cotaInicio || !t.cotaFin) {
            g.setPen(QPen(colorDe(t.clase), 1.5 * pt, Qt::DotLine));
            g.drawLine(QPointF(xa, e.y(p.nodos[k].soleraMinima)),
                       QPointF(xb, e.y(p.nodos[k + 1].soleraMinima)));
            continue;
        }
        const double za = *t.cotaInicio, zb = *t.cotaFin;
        QColor relleno = colorDe(t.clase);
        relleno.setAlpha(40);
        QPolygonF tubo;
        tubo << QPointF(xa, e.y(za)) << QPointF(xb, e.y(zb)) << QPointF(xb, e.y(zb + t.datos.D))
             << QPointF(xa, e.y(za + t.datos.D));
        g.setPen(Qt::NoPen);
        g.setBrush(relleno);
        g.drawPolygon(tubo);
        if (t.normal1) {
            QPolygonF agua;
            agua << QPointF(xa, e.y(za)) << QPointF(xb, e.y(zb))
                 << QPointF(xb, e.y(zb + t.normal1->y)) << QPointF(xa, e.y(za + t.normal1->y));
            QColor a = kAgua;
            a.setAlpha(70);
            g.setBrush(a);
            g.drawPolygon(agua);
            g.setPen(QPen(kAgua, 1.5 * pt));
            g.drawLine(QPointF(xa, e.y(za + t.normal1->y)), QPointF(xb, e.y(zb + t.normal1->y)));
        }
        if (t.normal3) {
            g.setPen(QPen(kAgua, 1.0 * pt, Qt::DashLine));
            g.drawLine(QPointF(xa, e.y(za + t.normal3->y)), QPointF(xb, e.y(zb + t.normal3->y)));
        }
        g.setBrush(Qt::NoBrush);
        g.setPen(QPen(colorDe(t.clase), 2 * pt));
        g.drawLine(QPointF(xa, e.y(za)), QPointF(xb, e.y(zb)));
        g.setPen(QPen(colorDe(t.clase), 1 * pt));
        g.drawLine(QPointF(xa, e.y(za + t.datos.D)), QPointF(xb, e.y(zb + t.datos.D)));
    }

    // Manholes from their floor to the ground (to the highest crown where the ground is not
    // known), named above.
    g.setFont(fPeq);
    for (std::size_t k = primero; k <= ultimo; ++k) {
        const NodoPerfil& n = p.nodos[k];
        double techo = n.cotaTerreno.value_or(n.soleraMinima);
        for (const std::size_t j : {k - 1, k}) {
            if (j < primero || j >= ultimo || j >= p.tramos.size())
                continue;
            const TramoPerfil& t = p.tramos[j];
            const std::optional<double>& z = j == k ? t.cotaInicio : t.cotaFin;
            if (!n.cotaTerreno && z)
                techo = std::max(techo, *z + t.datos.D);
        }
        const double x = e.x(n.distancia);
        const QRectF pozo(QPointF(x - 2.5 * pt, e.y(techo)),
                          QPointF(x + 2.5 * pt, e.y(n.soleraMinima)));
        g.setPen(QPen(Qt::black, 0.8 * pt));
        g.setBrush(QColor(245, 245, 245));
        g.drawRect(pozo);
        g.setBrush(Qt::NoBrush);
        marcas.pozos.emplace_back(k, pozo);
        g.setPen(Qt::black);
        const QString nombre =
            mPeq.elidedText(QString::fromStdString(n.nombre), Qt::ElideRight, 60 * pt);
        g.drawText(QRectF(x - 30 * pt, pozo.top() - mPeq.height() - 1 * pt, 60 * pt, mPeq.height()),
                   Qt::AlignCenter, nombre);
    }

    // A mark over each failing reach naming its failing conditions, staggered so that
    // neighbours do not write over each other.
    g.setFont(fPeq);
    for (std::size_t k = primero; k < ultimo; ++k) {
        const TramoPerfil& t = p.tramos[k];
        if (t.fallos.empty())
            continue;
        QString texto;
        for (const std::string& f : t.fallos)
            texto +=
                (texto.isEmpty() ? QString() : QStringLiteral("  ")) + QString::fromStdString(f);
        const double xm = (e.x(t.inicio) + e.x(t.fin)) / 2;
        const double y = area.top() + (1.5 + ((k - primero) % 2) * 1.2) * mPeq.height();
        g.setPen(QPen(kRojo, 1 * pt));
        g.drawLine(QPointF(xm, y + 2 * pt), QPointF(xm, y + 0.6 * mPeq.height()));
        const double ancho = mPeq.horizontalAdvance(texto);
        double x =
            std::clamp(xm - ancho / 2, area.left(), std::max(area.left(), area.right() - ancho));
        g.drawText(QPointF(x, y), texto);
    }
    g.restore();

    // The band, aligned with the plot: node values upright at their node, reach values at
    // the middle of their reach.
    double y = banda.top();
    g.setFont(fPeq);
    for (std::size_t f = 0; f < kNumFilas; ++f) {
        const QRectF fila(banda.left(), y, banda.width(), altos[f]);
        g.setPen(QPen(Qt::gray, 0.5 * pt));
        g.drawLine(fila.topLeft(), fila.topRight());
        g.setPen(Qt::black);
        g.drawText(QRectF(fila.left() + 2 * pt, fila.top(), columna - 4 * pt, fila.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, kFilas[f].titulo);
        if (kFilas[f].deNodo) {
            for (std::size_t k = primero; k <= ultimo; ++k) {
                const QString texto = mPeq.elidedText(celdaNodo(f, p.nodos[k], sep), Qt::ElideRight,
                                                      altos[f] - 6 * pt);
                g.save();
                g.translate(e.x(p.nodos[k].distancia), fila.bottom() - 3 * pt);
                g.rotate(-90);
                g.drawText(QRectF(0, -mPeq.height() / 2, altos[f] - 6 * pt, mPeq.height()),
                           Qt::AlignLeft | Qt::AlignVCenter, texto);
                g.restore();
            }
        } else {
            for (std::size_t k = primero; k < ultimo; ++k) {
                const TramoPerfil& t = p.tramos[k];
                const double xa = e.x(t.inicio), xb = e.x(t.fin);
                const double ancho = std::max(xb - xa - 2 * pt, 12 * pt);
                if (f == kNumFilas - 1)
                    g.setPen(colorDe(t.clase));
                g.drawText(QRectF((xa + xb - ancho) / 2, fila.top(), ancho, fila.height()),
                           Qt::AlignCenter,
                           mPeq.elidedText(celdaTramo(f, t, sep), Qt::ElideRight, ancho));
                g.setPen(Qt::black);
            }
        }
        y += altos[f];
    }
    g.setPen(QPen(Qt::gray, 0.5 * pt));
    g.drawLine(QPointF(banda.left(), y), QPointF(banda.right(), y));
    g.restore();
    return marcas;
}

std::vector<std::pair<std::size_t, std::size_t>> paginas(const Perfil& p,
                                                         std::size_t tramosPorPagina) {
    std::vector<std::pair<std::size_t, std::size_t>> r;
    const std::size_t n = p.tramos.size();
    tramosPorPagina = std::max<std::size_t>(tramosPorPagina, 1);
    if (n == 0) {
        if (!p.nodos.empty())
            r.emplace_back(0, 0);
        return r;
    }
    for (std::size_t a = 0; a < n; a += tramosPorPagina)
        r.emplace_back(a, std::min(a + tramosPorPagina, n));
    return r;
}

std::size_t numeroPaginas(std::size_t tramos, std::size_t tramosPorPagina) {
    tramosPorPagina = std::max<std::size_t>(tramosPorPagina, 1);
    return tramos == 0 ? 1 : (tramos + tramosPorPagina - 1) / tramosPorPagina;
}

QSize tamanoImagen(const Perfil& p) {
    const int ancho =
        static_cast<int>(std::clamp<std::size_t>(300 + 150 * p.tramos.size(), 1200, 16000));
    return {ancho, 850};
}

QByteArray pngPerfil(const Perfil& p, const QString& titulo, char sep) {
    QImage imagen(tamanoImagen(p), QImage::Format_ARGB32_Premultiplied);
    imagen.setDotsPerMeterX(3780); // 96 DPI
    imagen.setDotsPerMeterY(3780);
    imagen.fill(Qt::white);
    {
        QPainter g(&imagen);
        dibujarPerfil(g, QRectF(QPointF(0, 0), QSizeF(imagen.size())), p, titulo, sep);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!imagen.save(&buffer, "PNG"))
        return {};
    return bytes;
}

QByteArray svgPerfil(const Perfil& p, const QString& titulo, char sep) {
    const QSize tamano = tamanoImagen(p);
    Marcas marcas;
    // Transparent twins of the manholes and reaches, found by id.
    const auto elementos = [&](QPaintDevice&) {
        const auto rectangulo = [](const QString& id, const QRectF& r, const QString& t) {
            return QStringLiteral("<rect id=\"%1\" x=\"%2\" y=\"%3\" width=\"%4\" height=\"%5\" "
                                  "fill=\"#000\" fill-opacity=\"0\"><title>%6</title></rect>\n")
                .arg(id, QString::number(r.x(), 'f', 2), QString::number(r.y(), 'f', 2),
                     QString::number(r.width(), 'f', 2), QString::number(r.height(), 'f', 2),
                     t.toHtmlEscaped());
        };
        QString capa = QStringLiteral("<g id=\"elementos-del-perfil\">\n");
        for (const auto& [k, r] : marcas.pozos)
            capa += rectangulo(
                QStringLiteral("pozo-%1").arg(k), r,
                QStringLiteral("Pozo «%1»").arg(QString::fromStdString(p.nodos[k].nombre)));
        for (const auto& [k, r] : marcas.tramos) {
            const TramoPerfil& t = p.tramos[k];
            QString texto = QStringLiteral("Tramo «%1»: %2")
                                .arg(QString::fromStdString(t.datos.tramo), textoClase(t.clase));
            for (const std::string& f : t.fallos)
                texto += QStringLiteral("; ") + QString::fromStdString(f);
            if (!t.motivo.empty())
                texto += QStringLiteral("; ") + QString::fromStdString(t.motivo);
            capa += rectangulo(QStringLiteral("tramo-%1").arg(k), r, texto);
        }
        return capa + QStringLiteral("</g>\n");
    };
    return grafico::svgConElementos(
        tamano, titulo, QStringLiteral("Perfil longitudinal con su guitarra de datos"),
        [&](QPainter& g) {
            marcas = dibujarPerfil(g, QRectF(QPointF(0, 0), QSizeF(tamano)), p, titulo, sep);
        },
        elementos);
}

QByteArray pdfPerfil(const Perfil& p, const QString& titulo, char sep) {
    QByteArray bytes;
    QBuffer salida(&bytes);
    salida.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&salida);
        pdf.setResolution(300);
        pdf.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        pdf.setTitle(titulo);
        pdf.setCreator(QString::fromUtf8(producto::kNombre) + QStringLiteral(" ") +
                       QString::fromUtf8(producto::kVersionCompleta));
        QPainter g(&pdf);
        const auto hojas = paginas(p);
        const double mm = 300 / 25.4;
        const QRectF hoja(10 * mm, 8 * mm, 277 * mm, 190 * mm);
        for (std::size_t h = 0; h < hojas.size(); ++h) {
            if (h > 0)
                pdf.newPage();
            const QString t =
                hojas.size() > 1
                    ? titulo + QStringLiteral(" (hoja %1 de %2)").arg(h + 1).arg(hojas.size())
                    : titulo;
            dibujarPerfil(g, hoja, p, t, sep, hojas[h].first, hojas[h].second);
        }
    }
    return bytes;
}

void guardarPerfil(const Perfil& p, const QByteArray& rutaNativa, const QString& titulo, char sep) {
    const QString nombre = nombreVisible(rutaNativa);
    const QString ext = QFileInfo(QFile::decodeName(rutaNativa)).suffix().toLower();
    QByteArray bytes;
    if (ext == QLatin1String("pdf"))
        bytes = pdfPerfil(p, titulo, sep);
    else if (ext == QLatin1String("svg"))
        bytes = svgPerfil(p, titulo, sep);
    else if (ext == QLatin1String("png"))
        bytes = pngPerfil(p, titulo, sep);
    else
        throw ErrorArchivo(
            ("«" + nombre + "»: el perfil se guarda como .pdf, .svg o .png").toStdString());
    if (bytes.isEmpty())
        throw ErrorArchivo(("«" + nombre + "»: no se pudo componer el perfil").toStdString());
    escribirAtomicamente(
        rutaNativa, nombre,
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

} // namespace colvero::perfil
