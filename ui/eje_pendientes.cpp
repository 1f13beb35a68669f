#include "ui/eje_pendientes.h"

#include "check/pendientes.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace colvero::ui {
namespace {

constexpr int kNombresMinimo = 200; // px
constexpr int kDerecha = 24;
constexpr int kArriba = 24; // room for the label of the case's slope
constexpr int kFila = 22;
constexpr int kSeparacion = 8; // between the whole case's row and the conditions
constexpr int kEje = 40;
constexpr int kGrosor = 8; // height of a stretch bar

const QColor kNoCumple(236, 200, 200);
const QColor kCumple(120, 190, 130);
const QColor kCumpleTotal(30, 130, 60);
const QColor kActual(30, 80, 200);

// "10⁻³" for n = −3; "1" for n = 0.
QString potenciaDeDiez(int n) {
    if (n == 0) {
        return QStringLiteral("1");
    }
    static const char16_t kVolados[] = u"⁰¹²³⁴⁵⁶⁷⁸⁹";
    QString s = QStringLiteral("10");
    if (n < 0) {
        s += QChar(u'⁻');
    }
    for (const QChar c : QString::number(std::abs(n))) {
        s += QChar(kVolados[c.digitValue()]);
    }
    return s;
}

} // namespace

EjePendientes::EjePendientes(QWidget* padre) : QWidget(padre), nombres_(kNombresMinimo) {
    setObjectName(QStringLiteral("EjePendientes"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void EjePendientes::mostrar(FilaEje total, std::vector<FilaEje> condiciones,
                            std::optional<double> actual, const QString& textoActual) {
    total_ = std::move(total);
    filas_ = std::move(condiciones);
    actual_ = actual;
    textoActual_ = textoActual;
    vacio_ = false;

    // Zoom to the decades that hold a bound or the case's slope, with a little room around.
    double menor = kPendienteMaxima, mayor = kPendienteMinima;
    bool hayValores = false;
    auto tener = [&](double x) {
        if (x >= kPendienteMinima && x <= kPendienteMaxima) {
            menor = std::min(menor, x);
            mayor = std::max(mayor, x);
            hayValores = true;
        }
    };
    auto tenerFila = [&](const FilaEje& fila) {
        for (const TramoEje& t : fila.tramos) {
            if (!t.textoDesde.isEmpty())
                tener(t.desde);
            if (!t.textoHasta.isEmpty())
                tener(t.hasta);
        }
    };
    tenerFila(total_);
    for (const FilaEje& fila : filas_) {
        tenerFila(fila);
    }
    if (actual_) {
        tener(*actual_);
    }
    const int minimo = static_cast<int>(std::lround(std::log10(kPendienteMinima)));
    const int maximo = static_cast<int>(std::lround(std::log10(kPendienteMaxima)));
    primera_ = minimo;
    ultima_ = maximo;
    if (hayValores) {
        const double a = std::log10(menor), b = std::log10(mayor);
        primera_ = std::max(minimo, static_cast<int>(std::floor(a - 0.25)));
        ultima_ = std::min(maximo, static_cast<int>(std::ceil(b + 0.25)));
        while (ultima_ - primera_ < 2) {
            if (primera_ > minimo && (ultima_ == maximo || b - ultima_ > primera_ - a)) {
                --primera_;
            } else {
                ++ultima_;
            }
        }
    }
    // The names column fits the longest name in bold.
    QFont negrita = font();
    negrita.setBold(true);
    const QFontMetrics medidas(negrita);
    nombres_ = kNombresMinimo;
    for (const FilaEje& fila : filas_) {
        nombres_ = std::max(nombres_, medidas.horizontalAdvance(fila.nombre) + 20);
    }
    nombres_ = std::max(nombres_, medidas.horizontalAdvance(total_.nombre) + 20);
    updateGeometry();
    update();
}

void EjePendientes::vaciar() {
    total_ = {};
    filas_.clear();
    actual_.reset();
    vacio_ = true;
    primera_ = -7;
    ultima_ = 0;
    updateGeometry();
    update();
}

QSize EjePendientes::sizeHint() const {
    const int filas = 1 + static_cast<int>(filas_.size());
    return {nombres_ + 540 + kDerecha, kArriba + filas * kFila + kSeparacion + kEje};
}

QSize EjePendientes::minimumSizeHint() const {
    // Room for three decades at least, so that the assistant fits an 800-pixel screen.
    return {nombres_ + 240 + kDerecha, sizeHint().height()};
}

double EjePendientes::xDe(double pendiente) const {
    const double izquierda = nombres_, ancho = width() - nombres_ - kDerecha;
    const double t = (std::log10(pendiente) - primera_) / (ultima_ - primera_);
    return izquierda + std::clamp(t, 0.0, 1.0) * ancho;
}

void EjePendientes::pintarFila(QPainter& p, const FilaEje& fila, int y, bool esTotal) const {
    const int centro = y + kFila / 2;
    QFont letra = font();
    letra.setBold(esTotal || fila.decide);
    p.setFont(letra);
    p.setPen(palette().color(QPalette::Text));
    const QRect caja(6, y, nombres_ - 14, kFila);
    p.drawText(caja, Qt::AlignVCenter | Qt::AlignLeft,
               QFontMetrics(letra).elidedText(fila.nombre, Qt::ElideRight, caja.width()));

    const double izquierda = nombres_, derecha = width() - kDerecha;
    p.fillRect(QRectF(izquierda, centro - kGrosor / 2.0, derecha - izquierda, kGrosor), kNoCumple);

    QFont pequena = font();
    pequena.setPointSizeF(pequena.pointSizeF() * 0.85);
    pequena.setBold(esTotal);
    p.setFont(pequena);
    const QFontMetrics medidas(pequena);
    if (fila.tramos.empty()) {
        // On a plate of the ground colour, so that the band and the grid do not cross it.
        const QString nota =
            medidas.elidedText(fila.nota, Qt::ElideRight, int(derecha - izquierda - 12));
        const QRectF placa(izquierda + 4, centro - medidas.height() / 2.0 - 1,
                           medidas.horizontalAdvance(nota) + 8, medidas.height() + 2);
        p.fillRect(placa, palette().color(QPalette::Base));
        p.setPen(QColor(150, 40, 40));
        p.drawText(placa, Qt::AlignCenter, nota);
        return;
    }
    const QColor color = esTotal ? kCumpleTotal : kCumple;
    for (const TramoEje& t : fila.tramos) {
        const double a = xDe(t.desde), b = std::max(xDe(t.hasta), a + 2);
        p.fillRect(QRectF(a, centro - kGrosor / 2.0, b - a, kGrosor), color);
        p.setPen(QColor(40, 40, 40));
        // A bound's text sits outside its bar, or inside it against the edge of the plot.
        if (!t.textoDesde.isEmpty()) {
            const int w = medidas.horizontalAdvance(t.textoDesde) + 4;
            const bool dentro = a - w < izquierda;
            const QRectF r(dentro ? a + 2 : a - w, y - 1, w, kFila / 2.0);
            p.drawText(r, Qt::AlignBottom | (dentro ? Qt::AlignLeft : Qt::AlignRight),
                       t.textoDesde);
        }
        if (!t.textoHasta.isEmpty()) {
            const int w = medidas.horizontalAdvance(t.textoHasta) + 4;
            const bool dentro = b + w > derecha;
            const QRectF r(dentro ? b - w - 2 : b + 2, y - 1, w, kFila / 2.0);
            p.drawText(r, Qt::AlignBottom | (dentro ? Qt::AlignRight : Qt::AlignLeft),
                       t.textoHasta);
        }
    }
}

void EjePendientes::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(rect(), palette().color(QPalette::Base));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (vacio_) {
        return;
    }
    const int arriba = kArriba;
    const int abajo = arriba + (1 + static_cast<int>(filas_.size())) * kFila + kSeparacion;
    const double izquierda = nombres_, derecha = width() - kDerecha;

    // Decades and their minor ticks.
    QFont pequena = font();
    pequena.setPointSizeF(pequena.pointSizeF() * 0.85);
    for (int n = primera_; n <= ultima_; ++n) {
        const double x = xDe(std::pow(10.0, n));
        p.setPen(QColor(215, 215, 215));
        p.drawLine(QPointF(x, arriba), QPointF(x, abajo));
        p.setPen(palette().color(QPalette::Text));
        p.drawLine(QPointF(x, abajo), QPointF(x, abajo + 6));
        p.setFont(font());
        p.drawText(QRectF(x - 40, abajo + 6, 80, 18), Qt::AlignCenter, potenciaDeDiez(n));
        if (n < ultima_) {
            for (int m = 2; m <= 9; ++m) {
                const double xm = xDe(m * std::pow(10.0, n));
                p.drawLine(QPointF(xm, abajo), QPointF(xm, abajo + 3));
            }
        }
    }
    p.setPen(palette().color(QPalette::Text));
    p.drawLine(QPointF(izquierda, abajo), QPointF(derecha, abajo));
    p.setFont(pequena);
    p.drawText(QRectF(6, abajo + 6, nombres_ - 14, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Pendiente i (m/m), escala logarítmica"));

    pintarFila(p, total_, arriba, true);
    for (std::size_t k = 0; k < filas_.size(); ++k) {
        pintarFila(p, filas_[k], arriba + kSeparacion + (1 + static_cast<int>(k)) * kFila, false);
    }

    // The ends of the whole case's stretches, down through every row.
    QPen discontinua(kCumpleTotal, 1, Qt::DashLine);
    p.setPen(discontinua);
    for (const TramoEje& t : total_.tramos) {
        for (const auto& [valor, texto] :
             {std::pair{t.desde, t.textoDesde}, {t.hasta, t.textoHasta}}) {
            if (!texto.isEmpty()) {
                const double x = xDe(valor);
                p.drawLine(QPointF(x, arriba + kFila / 2.0 + kGrosor / 2.0), QPointF(x, abajo));
            }
        }
    }
    if (actual_) {
        const double x = xDe(*actual_);
        p.setPen(QPen(kActual, 2));
        p.drawLine(QPointF(x, arriba - 4), QPointF(x, abajo));
        p.setFont(pequena);
        const QString texto = QStringLiteral("i actual = ") + textoActual_;
        const int w = QFontMetrics(pequena).horizontalAdvance(texto) + 4;
        const double xt = std::clamp(x - w / 2.0, izquierda, derecha - w);
        p.drawText(QRectF(xt, 2, w, arriba - 6), Qt::AlignCenter, texto);
    }
}

} // namespace colvero::ui
