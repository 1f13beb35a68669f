#include "ui/plano_red.h"

#include "chart/svg.h"
#include "files/archivos.h"
#include "report/producto.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionGraphicsItem>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace colvero::ui {
namespace {

// Sizes on screen, in pixels.
constexpr double kTolerancia = 5; // a click this near a reach picks it
// A reach: 1 px while the typical reach is shorter than kTramoCorto on screen, where the
// raster engine has a fast path for it and a thicker line only clutters; 2 px closer in.
constexpr double kAnchoFino = 1;
constexpr double kAncho = 2;
constexpr double kTramoCorto = 20;
constexpr double kAnchoSeleccion = 5; // the highlighted reach
constexpr double kRadioPozo = 3;
constexpr double kMedioLado = 4.5; // of the outfall triangle and the storage square
// Manholes show once their shortest link is this long on screen, a reach's label once the
// reach is this much longer than the label: zoomed out, neither clutters the plan.
constexpr double kPozoVisible = 14;
constexpr double kHolguraEtiqueta = 12;
constexpr int kMaxEtiquetas = 2000; // per paint, however the network is laid out
constexpr int kLadoImagen = 2000;   // long side of a saved PNG or SVG

constexpr double kInfinito = std::numeric_limits<double>::infinity();

QColor color(EstadoPlano e) {
    switch (e) {
    case EstadoPlano::Pendiente:
        return {130, 130, 130};
    case EstadoPlano::Cumple:
        return {30, 150, 60};
    case EstadoPlano::NoCumple:
        return {215, 25, 28};
    case EstadoPlano::NoComprobado:
        return {240, 160, 0};
    case EstadoPlano::Omitido:
        return {205, 205, 205};
    }
    return Qt::black;
}

// Round caps and joins would cost a curve per reach end: at 100,000 reaches the repaint time.
QPen plumaDe(QColor c, double ancho, bool discontinua) {
    QPen p(c, ancho);
    p.setCosmetic(true);
    p.setJoinStyle(Qt::BevelJoin);
    p.setCapStyle(Qt::FlatCap);
    if (discontinua) {
        p.setStyle(Qt::DashLine);
    }
    return p;
}

// Whether two boxes meet; unlike QRectF::intersects, also a box of no width or height, as a
// straight horizontal or vertical reach has.
bool tocan(const QRectF& a, const QRectF& b) {
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() &&
           b.top() <= a.bottom();
}

bool finito(const std::pair<double, double>& p) {
    return std::isfinite(p.first) && std::isfinite(p.second);
}

double distanciaASegmento(QPointF c, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double l2 = QPointF::dotProduct(d, d);
    const double s = l2 > 0 ? std::clamp(QPointF::dotProduct(c - a, d) / l2, 0.0, 1.0) : 0.0;
    const QPointF v = c - (a + s * d);
    return std::hypot(v.x(), v.y());
}

// Pixels of a saved picture: the scene's proportions, the long side kLadoImagen, the short one
// no less than a quarter of it.
QSize tamanoImagen(const QRectF& escena) {
    const double r = escena.height() / escena.width();
    const auto corto = [](double lado) {
        return std::clamp(static_cast<int>(std::lround(lado)), kLadoImagen / 4, kLadoImagen);
    };
    return r <= 1 ? QSize(kLadoImagen, corto(kLadoImagen * r))
                  : QSize(corto(kLadoImagen / r), kLadoImagen);
}

} // namespace

PlanoRed::Trazo PlanoRed::trazar(std::size_t enlace, QPolygonF linea, QString id) {
    Trazo t{enlace, std::move(linea), {}, 0, {}, std::move(id)};
    t.caja = t.linea.boundingRect();
    for (qsizetype k = 1; k < t.linea.size(); ++k) {
        const QPointF d = t.linea[k] - t.linea[k - 1];
        t.longitud += std::hypot(d.x(), d.y());
    }
    t.centro = t.linea.first();
    double falta = t.longitud / 2;
    for (qsizetype k = 1; k < t.linea.size(); ++k) {
        const QPointF d = t.linea[k] - t.linea[k - 1];
        const double l = std::hypot(d.x(), d.y());
        if (l >= falta && l > 0) {
            t.centro = t.linea[k - 1] + d * (falta / l);
            break;
        }
        falta -= l;
    }
    return t;
}

// The whole plan as one item: it paints the reaches it is asked for, grouped by pen, then the
// markers and labels. One item in place of one per reach makes a repaint of 100,000 reaches
// cost a loop over plain structs rather than the view's bookkeeping per item.
class PlanoRed::Lamina final : public QGraphicsItem {
public:
    Lamina(const PlanoRed& plano, const QRectF& caja) : plano_(plano), caja_(caja) {
        setFlag(ItemUsesExtendedStyleOption); // exposedRect: only what shows is drawn
        setAcceptedMouseButtons(Qt::NoButton);
    }
    QRectF boundingRect() const override { return caja_; }
    void paint(QPainter* p, const QStyleOptionGraphicsItem* o, QWidget*) override {
        plano_.pintar(*p, o->exposedRect);
    }

private:
    const PlanoRed& plano_;
    QRectF caja_;
};

class PlanoRed::Vista final : public QGraphicsView {
public:
    Vista(PlanoRed& plano, QGraphicsScene* escena) : QGraphicsView(escena, &plano), plano_(plano) {
        setObjectName(QStringLiteral("vistaPlano"));
        setRenderHint(QPainter::Antialiasing);
        // A cosmetic pen reaches past an item's box by a few pixels: repaint the whole view.
        setViewportUpdateMode(FullViewportUpdate);
        setTransformationAnchor(NoAnchor);
        setResizeAnchor(AnchorViewCenter);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setMinimumSize(200, 150);
    }

protected:
    void wheelEvent(QWheelEvent* ev) override {
        const int paso = ev->angleDelta().y(); // 120 a notch
        if (paso == 0) {
            ev->ignore();
            return;
        }
        plano_.zoom(std::pow(1.25, paso / 120.0), ev->position().toPoint());
        ev->accept();
    }
    void mousePressEvent(QMouseEvent* ev) override {
        if (ev->button() != Qt::LeftButton) {
            return;
        }
        pulsado_ = ultimo_ = ev->position().toPoint();
        conBoton_ = true;
        arrastrando_ = false;
    }
    void mouseDoubleClickEvent(QMouseEvent* ev) override { mousePressEvent(ev); }
    void mouseMoveEvent(QMouseEvent* ev) override {
        if (!conBoton_ || !(ev->buttons() & Qt::LeftButton)) {
            return;
        }
        const QPoint p = ev->position().toPoint();
        if (!arrastrando_) {
            if ((p - pulsado_).manhattanLength() < QApplication::startDragDistance()) {
                return;
            }
            arrastrando_ = true;
            viewport()->setCursor(Qt::ClosedHandCursor);
        }
        const QPoint d = p - ultimo_;
        ultimo_ = p;
        QScrollBar* h = horizontalScrollBar();
        QScrollBar* v = verticalScrollBar();
        const QPoint antes(h->value(), v->value());
        h->setValue(h->value() + (isRightToLeft() ? d.x() : -d.x()));
        v->setValue(v->value() - d.y());
        if (QPoint(h->value(), v->value()) != antes) {
            plano_.ajustado_ = false;
        }
    }
    void mouseReleaseEvent(QMouseEvent* ev) override {
        if (ev->button() != Qt::LeftButton || !conBoton_) {
            return;
        }
        conBoton_ = false;
        if (arrastrando_) {
            arrastrando_ = false;
            viewport()->unsetCursor();
            return;
        }
        plano_.elegirEn(ev->position().toPoint());
    }
    void resizeEvent(QResizeEvent* ev) override {
        QGraphicsView::resizeEvent(ev);
        if (plano_.ajustado_) {
            plano_.ajustar();
        }
    }

private:
    PlanoRed& plano_;
    QPoint pulsado_, ultimo_;
    bool conBoton_ = false;
    bool arrastrando_ = false;
};

PlanoRed::PlanoRed(QWidget* padre) : QWidget(padre) {
    setObjectName(QStringLiteral("PlanoRed"));
    for (std::size_t e = 0; e < plumas_.size(); ++e) {
        for (int discontinua = 0; discontinua < 2; ++discontinua) {
            for (int atenuada = 0; atenuada < 2; ++atenuada) {
                QColor c = color(static_cast<EstadoPlano>(e));
                if (atenuada) {
                    c.setAlpha(40);
                }
                for (int fina = 0; fina < 2; ++fina) {
                    plumas_[e][discontinua][atenuada][fina] =
                        plumaDe(c, fina ? kAnchoFino : kAncho, discontinua);
                }
            }
        }
    }
    for (int discontinua = 0; discontinua < 2; ++discontinua) {
        seleccion_[discontinua] = plumaDe(QColor(0, 90, 255), kAnchoSeleccion, discontinua);
    }

    escena_ = new QGraphicsScene(this);
    escena_->setBackgroundBrush(Qt::white);
    // One item, which culls its reaches itself.
    escena_->setItemIndexMethod(QGraphicsScene::NoIndex);
    vista_ = new Vista(*this, escena_);
    ajustar_ = new QPushButton(QStringLiteral("Ajustar"), this);
    ajustar_->setObjectName(QStringLiteral("ajustar"));
    ajustar_->setToolTip(QStringLiteral("Muestra la red entera"));
    ajustar_->setEnabled(false);
    connect(ajustar_, &QPushButton::clicked, this, &PlanoRed::ajustar);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(ajustar_);
    auto* columna = new QVBoxLayout(this);
    columna->setContentsMargins(0, 0, 0, 0);
    columna->addWidget(vista_, 1);
    columna->addLayout(botones);
}

PlanoRed::~PlanoRed() {
    // The view before the scene, and both before the states their items paint with.
    delete vista_;
    delete escena_;
}

QGraphicsView* PlanoRed::vista() const {
    return vista_;
}

void PlanoRed::mostrar(const red::ModeloRed& m) {
    resaltado_.reset();
    trazos_.clear();
    marcas_.clear();
    escena_->clear();
    const std::size_t n = m.enlaces.size();
    trazos_.reserve(n);
    trazoDe_.assign(n, -1);
    estados_.assign(n, EstadoPlano::Pendiente);
    conductos_.assign(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        conductos_[i] = m.enlaces[i].esConducto();
    }
    dibujados_ = 0;
    motivo_.clear();

    // A node named twice is the first of the name, as the topology takes it.
    std::unordered_map<std::string_view, std::size_t> indice;
    indice.reserve(m.nodos.size());
    conCoordenadas_ = false;
    double x0 = kInfinito, y0 = -kInfinito;
    for (std::size_t k = 0; k < m.nodos.size(); ++k) {
        const red::Nodo& nodo = m.nodos[k];
        indice.emplace(nodo.id, k);
        if (nodo.posicion && finito(*nodo.posicion)) {
            conCoordenadas_ = true;
            x0 = std::min(x0, nodo.posicion->first);
            y0 = std::max(y0, nodo.posicion->second);
        }
    }
    ajustar_->setEnabled(conCoordenadas_);
    if (!conCoordenadas_) {
        origenX_ = origenY_ = 0;
        escena_->setSceneRect(QRectF());
        motivo_ = QStringLiteral(
            "El modelo no da las coordenadas de los nodos: se muestra solo la tabla.");
        return;
    }
    // Scene coordinates start at the network: map coordinates in the millions keep their
    // precision through the view's transforms.
    origenX_ = x0;
    origenY_ = y0;

    double minX = kInfinito, minY = kInfinito, maxX = -kInfinito, maxY = -kInfinito;
    const auto abarcar = [&](QPointF p) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    };
    const auto situado = [&](const std::string& id) -> std::optional<std::size_t> {
        const auto it = indice.find(id);
        if (it == indice.end()) {
            return std::nullopt;
        }
        const auto& p = m.nodos[it->second].posicion;
        return p && finito(*p) ? std::optional(it->second) : std::nullopt;
    };
    std::vector<double> corto(m.nodos.size(), kInfinito);
    for (std::size_t i = 0; i < n; ++i) {
        const red::Enlace& e = m.enlaces[i];
        const auto a = situado(e.desde), b = situado(e.hasta);
        if (!a || !b || !std::all_of(e.vertices.begin(), e.vertices.end(), finito)) {
            continue;
        }
        QPolygonF l;
        l.reserve(static_cast<qsizetype>(e.vertices.size()) + 2);
        const auto poner = [&](const std::pair<double, double>& p) {
            l.append(aEscena(p.first, p.second));
            abarcar(l.last());
        };
        poner(*m.nodos[*a].posicion);
        for (const auto& v : e.vertices) {
            poner(v);
        }
        poner(*m.nodos[*b].posicion);
        trazoDe_[i] = static_cast<std::int32_t>(trazos_.size());
        trazos_.push_back(trazar(i, std::move(l), QString::fromStdString(e.id)));
        corto[*a] = std::min(corto[*a], trazos_.back().longitud);
        corto[*b] = std::min(corto[*b], trazos_.back().longitud);
    }
    for (std::size_t k = 0; k < m.nodos.size(); ++k) {
        const red::Nodo& nodo = m.nodos[k];
        if (nodo.posicion && finito(*nodo.posicion)) {
            marcas_.push_back(
                {aEscena(nodo.posicion->first, nodo.posicion->second), nodo.tipo, corto[k]});
            abarcar(marcas_.back().punto);
        }
    }

    const double extension = std::max(maxX - minX, maxY - minY);
    if (!std::isfinite(extension)) {
        // Coordinates near the largest double: their differences overflow.
        trazos_.clear();
        marcas_.clear();
        trazoDe_.assign(n, -1);
        conCoordenadas_ = false;
        ajustar_->setEnabled(false);
        escena_->setSceneRect(QRectF());
        motivo_ = QStringLiteral(
            "Las coordenadas de los nodos no caben en un plano: se muestra solo la tabla.");
        return;
    }
    const double borde = extension > 0 ? extension * 0.05 : 1.0;
    const QRectF rect(minX - borde, minY - borde, maxX - minX + 2 * borde, maxY - minY + 2 * borde);
    escena_->setSceneRect(rect);
    std::vector<double> medidas(trazos_.size());
    std::transform(trazos_.begin(), trazos_.end(), medidas.begin(),
                   [](const Trazo& t) { return t.longitud; });
    tipico_ = 0;
    if (!medidas.empty()) {
        auto mitad = medidas.begin() + static_cast<std::ptrdiff_t>(medidas.size() / 2);
        std::nth_element(medidas.begin(), mitad, medidas.end());
        tipico_ = *mitad;
    }
    if (!(tipico_ > 0)) {
        tipico_ = std::max(rect.width(), rect.height());
    }
    // A node with no drawn link shows when a typical reach would.
    for (Marca& marca : marcas_) {
        if (marca.corto == kInfinito) {
            marca.corto = tipico_;
        }
    }
    dibujados_ = trazos_.size();
    escena_->addItem(new Lamina(*this, rect));

    const std::size_t fuera = n - dibujados_;
    if (fuera == 1 && n == 1) {
        motivo_ = QStringLiteral("No se dibuja el enlace: le faltan coordenadas.");
    } else if (fuera == 1) {
        motivo_ = QStringLiteral("No se dibuja 1 de los %1 enlaces: le faltan coordenadas.").arg(n);
    } else if (fuera > 1) {
        motivo_ = QStringLiteral("No se dibujan %1 de los %2 enlaces: les faltan coordenadas.")
                      .arg(fuera)
                      .arg(n);
    }
    ajustar();
}

EstadoPlano PlanoRed::estado(std::size_t enlace) const {
    return enlace < estados_.size() ? estados_[enlace] : EstadoPlano::Pendiente;
}

void PlanoRed::ponerEstado(std::size_t enlace, EstadoPlano e) {
    if (enlace >= estados_.size() || estados_[enlace] == e) {
        return;
    }
    estados_[enlace] = e;
    if (trazoDe_[enlace] >= 0) {
        repintar();
    }
}

void PlanoRed::ponerEstados(const std::vector<EstadoPlano>& estados) {
    const std::size_t n = std::min(estados.size(), estados_.size());
    std::copy_n(estados.begin(), n, estados_.begin());
    repintar();
}

void PlanoRed::atenuarQueCumplen(bool atenuar) {
    if (atenuar_ != atenuar) {
        atenuar_ = atenuar;
        repintar();
    }
}

// The pens are made once: a full repaint of 100,000 reaches allocates none.
const QPen& PlanoRed::pluma(std::size_t enlace) const {
    return pluma(enlace, vista_->transform().m11());
}

const QPen& PlanoRed::pluma(std::size_t enlace, double escala) const {
    const bool discontinua = enlace < conductos_.size() && !conductos_[enlace];
    if (resaltado_ == enlace) {
        return seleccion_[discontinua];
    }
    const EstadoPlano e = estado(enlace);
    const bool atenuada = atenuar_ && e == EstadoPlano::Cumple;
    const bool fina = tipico_ * escala < kTramoCorto;
    return plumas_[static_cast<std::size_t>(e)][discontinua][atenuada][fina];
}

const PlanoRed::Trazo* PlanoRed::trazo(std::size_t enlace) const {
    return enlace < trazoDe_.size() && trazoDe_[enlace] >= 0
               ? &trazos_[static_cast<std::size_t>(trazoDe_[enlace])]
               : nullptr;
}

QPolygonF PlanoRed::linea(std::size_t enlace) const {
    const Trazo* t = trazo(enlace);
    return t ? t->linea : QPolygonF();
}

void PlanoRed::resaltar(std::optional<std::size_t> enlace) {
    if (enlace == resaltado_ || (enlace && *enlace >= trazoDe_.size())) {
        return;
    }
    marcar(enlace);
    if (const Trazo* t = enlace ? trazo(*enlace) : nullptr) {
        traerAVista(*t);
    }
}

void PlanoRed::marcar(std::optional<std::size_t> enlace) {
    resaltado_ = enlace;
    repintar();
}

void PlanoRed::traerAVista(const Trazo& t) {
    const QRectF visible = vista_->mapToScene(vista_->viewport()->rect()).boundingRect();
    const QRectF caja = t.caja;
    if (visible.contains(caja)) {
        return;
    }
    if (caja.width() < 0.9 * visible.width() && caja.height() < 0.9 * visible.height()) {
        vista_->centerOn(caja.center());
    } else {
        // Larger than the view: zoomed out to show it whole, never past the whole network.
        const double w = caja.width() * 0.05, h = caja.height() * 0.05;
        vista_->fitInView(caja.adjusted(-w, -h, w, h), Qt::KeepAspectRatio);
        if (vista_->transform().m11() < escalaMin_) {
            vista_->setTransform(QTransform::fromScale(escalaMin_, escalaMin_));
            vista_->centerOn(caja.center());
        }
    }
    ajustado_ = false;
    repintar();
}

void PlanoRed::ajustar() {
    if (!conCoordenadas_) {
        return;
    }
    const QRectF r = escena_->sceneRect();
    vista_->fitInView(r, Qt::KeepAspectRatio);
    const double ajuste = vista_->transform().m11();
    escalaMin_ = ajuste / 4;
    // Zoom in until a typical reach spans several screens, but keep the whole scene well
    // within the int range of the scroll bars.
    const double tope = 1e9 / std::max(r.width(), r.height());
    escalaMax_ = std::max(ajuste, std::min(std::max(ajuste * 16, 5000 / tipico_), tope));
    ajustado_ = true;
    repintar();
}

void PlanoRed::zoom(double factor, QPoint enVista) {
    if (!conCoordenadas_) {
        return;
    }
    const double antes = vista_->transform().m11();
    const double escala = std::clamp(antes * factor, escalaMin_, escalaMax_);
    if (escala == antes) {
        return;
    }
    // The scene point under the cursor stays under it.
    const QPointF cursor(enVista);
    const QPointF fijo = vista_->viewportTransform().inverted().map(cursor);
    const QPointF centro =
        vista_->viewportTransform().inverted().map(QRectF(vista_->viewport()->rect()).center());
    vista_->setTransform(QTransform::fromScale(escala, escala));
    vista_->centerOn(centro);
    const QPointF ahora = vista_->viewportTransform().inverted().map(cursor);
    vista_->centerOn(centro + (fijo - ahora));
    ajustado_ = false;
    repintar();
}

void PlanoRed::elegirEn(QPoint enVista) {
    if (!conCoordenadas_) {
        return;
    }
    const QTransform t = vista_->viewportTransform();
    const QPointF c(enVista);
    const QRectF zona = t.inverted().mapRect(
        QRectF(c.x() - kTolerancia, c.y() - kTolerancia, 2 * kTolerancia, 2 * kTolerancia));
    const Trazo* mejor = nullptr;
    double menor = kTolerancia;
    for (const Trazo& trazo : trazos_) {
        if (!tocan(trazo.caja, zona)) {
            continue;
        }
        const QPolygonF& l = trazo.linea;
        double d = distanciaASegmento(c, t.map(l.first()), t.map(l.first()));
        for (qsizetype k = 1; k < l.size(); ++k) {
            d = std::min(d, distanciaASegmento(c, t.map(l[k - 1]), t.map(l[k])));
        }
        if (d < menor || (!mejor && d <= menor)) {
            mejor = &trazo;
            menor = d;
        }
    }
    if (!mejor) {
        return;
    }
    const std::size_t elegido = mejor->enlace;
    marcar(elegido);
    if (alElegir) {
        alElegir(elegido);
    }
}

void PlanoRed::repintar() {
    // Antialiasing costs a third of a repaint of many thin reaches and shows only on thick ones.
    vista_->setRenderHint(QPainter::Antialiasing,
                          tipico_ * vista_->transform().m11() >= kTramoCorto);
    vista_->viewport()->update();
}

void PlanoRed::pintar(QPainter& p, const QRectF& expuesta) const {
    const QTransform t = p.worldTransform();
    const double escala = std::hypot(t.m11(), t.m12()); // device pixels per scene unit
    if (!(escala > 0)) {
        return;
    }
    // A pen or a marker reaches a few pixels past the box of what it draws.
    const double margen = 2 * kMedioLado / escala;
    const QRectF zona = expuesta.adjusted(-margen, -margen, margen, margen);

    // One group per pen, so that the painter (and an SVG) changes pens a few times, not once
    // a reach. Faded ones first, then by state, failures on top; the highlighted one last.
    constexpr std::array orden{EstadoPlano::Omitido, EstadoPlano::Pendiente, EstadoPlano::Cumple,
                               EstadoPlano::NoComprobado, EstadoPlano::NoCumple};
    std::array<std::size_t, 5> rango{};
    for (std::size_t k = 0; k < orden.size(); ++k) {
        rango[static_cast<std::size_t>(orden[k])] = k;
    }
    std::array<std::vector<const Trazo*>, 20> grupos; // [faded][rango][dashed]
    const Trazo* resaltado = resaltado_ ? trazo(*resaltado_) : nullptr;
    for (const Trazo& trazo : trazos_) {
        if (&trazo == resaltado || !tocan(trazo.caja, zona)) {
            continue;
        }
        const EstadoPlano e = estados_[trazo.enlace];
        const bool atenuada = atenuar_ && e == EstadoPlano::Cumple;
        const bool discontinua = !conductos_[trazo.enlace];
        grupos[(atenuada ? 0 : 10) + 2 * rango[static_cast<std::size_t>(e)] + discontinua]
            .push_back(&trazo);
    }
    for (const auto& grupo : grupos) {
        if (!grupo.empty()) {
            p.setPen(pluma(grupo.front()->enlace, escala));
            for (const Trazo* trazo : grupo) {
                p.drawPolyline(trazo->linea);
            }
        }
    }
    if (resaltado) {
        p.setPen(pluma(resaltado->enlace, escala));
        p.drawPolyline(resaltado->linea);
    }

    p.save();
    p.resetTransform();
    p.setRenderHint(QPainter::Antialiasing);
    QPen contorno(QColor(50, 50, 50), 1);
    contorno.setCosmetic(true);
    p.setPen(contorno);
    for (const Marca& m : marcas_) {
        if (!zona.contains(m.punto) ||
            (m.tipo == red::TipoNodo::Pozo && m.corto * escala < kPozoVisible)) {
            continue;
        }
        const QPointF c = t.map(m.punto);
        const double h = kMedioLado;
        switch (m.tipo) {
        case red::TipoNodo::Pozo:
            p.setBrush(Qt::white);
            p.drawEllipse(c, kRadioPozo, kRadioPozo);
            break;
        case red::TipoNodo::Vertido: {
            p.setBrush(QColor(20, 60, 170));
            const QPointF punta[3] = {c + QPointF(-h, -h), c + QPointF(h, -h), c + QPointF(0, h)};
            p.drawPolygon(punta, 3);
            break;
        }
        case red::TipoNodo::Deposito:
            p.setBrush(QColor(0, 130, 150));
            p.drawRect(QRectF(c.x() - h, c.y() - h, 2 * h, 2 * h));
            break;
        }
    }

    QFont letra = QApplication::font();
    letra.setPointSizeF(8);
    p.setFont(letra);
    const QFontMetricsF medida(letra, p.device());
    p.setPen(QColor(30, 30, 30));
    int etiquetas = 0;
    for (const Trazo& trazo : trazos_) {
        if (trazo.longitud * escala < 2 * kHolguraEtiqueta || !expuesta.contains(trazo.centro)) {
            continue;
        }
        const double ancho = medida.horizontalAdvance(trazo.id);
        if (trazo.longitud * escala < ancho + kHolguraEtiqueta) {
            continue;
        }
        // Beside the line: above a lying reach, right of a standing one.
        const QPointF c = t.map(trazo.centro);
        p.drawText(trazo.caja.height() > trazo.caja.width()
                       ? QPointF(c.x() + 5, c.y() + medida.ascent() / 2 - 1)
                       : QPointF(c.x() - ancho / 2, c.y() - 4),
                   trazo.id);
        if (++etiquetas == kMaxEtiquetas) {
            break;
        }
    }
    p.restore();
}

void PlanoRed::pintarEntero(QPainter& p, const QRectF& destino) const {
    p.fillRect(destino, Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF fuente = escena_->sceneRect();
    const double escala =
        std::min(destino.width() / fuente.width(), destino.height() / fuente.height());
    QTransform t;
    t.translate(destino.center().x(), destino.center().y());
    t.scale(escala, escala);
    t.translate(-fuente.center().x(), -fuente.center().y());
    p.setWorldTransform(t);
    pintar(p, fuente);
}

QByteArray PlanoRed::bytes(const QString& extension) const {
    const QSize tamano = tamanoImagen(escena_->sceneRect());
    const QString titulo = QStringLiteral("Plano de la red");
    const QString creador = QString::fromUtf8(producto::kNombre) + QStringLiteral(" ") +
                            QString::fromUtf8(producto::kVersionCompleta);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (extension == QLatin1String("png")) {
        QImage imagen(tamano, QImage::Format_RGB32);
        if (imagen.isNull()) {
            return {};
        }
        imagen.setDotsPerMeterX(3780); // 96 DPI
        imagen.setDotsPerMeterY(3780);
        {
            QPainter p(&imagen);
            pintarEntero(p, QRectF(QPointF(0, 0), QSizeF(tamano)));
        }
        if (!imagen.save(&buffer, "PNG")) {
            return {};
        }
    } else if (extension == QLatin1String("svg")) {
        QSvgGenerator svg;
        grafico::prepararSvg(svg, &buffer, tamano, titulo);
        QPainter p;
        if (!p.begin(&svg)) {
            return {};
        }
        pintarEntero(p, QRectF(QPointF(0, 0), QSizeF(tamano)));
        if (!p.end()) {
            return {};
        }
    } else {
        QPdfWriter pdf(&buffer);
        // 96 DPI: pens and markers as thick on paper as on screen.
        pdf.setResolution(96);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      tamano.width() >= tamano.height() ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        pdf.setTitle(titulo);
        pdf.setCreator(creador);
        QPainter p;
        if (!p.begin(&pdf)) {
            return {};
        }
        pintarEntero(p, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())));
        if (!p.end()) {
            return {};
        }
    }
    return bytes;
}

bool PlanoRed::guardar(const QString& ruta, QString& error) const {
    const QString extension = QFileInfo(ruta).suffix().toLower();
    if (extension != QLatin1String("png") && extension != QLatin1String("svg") &&
        extension != QLatin1String("pdf")) {
        error = QStringLiteral("El plano se guarda como PNG, SVG o PDF: escriba el nombre con la "
                               "extensión .png, .svg o .pdf.");
        return false;
    }
    if (!conCoordenadas_) {
        error = QStringLiteral(
            "No hay plano que guardar: el modelo no da las coordenadas de los nodos.");
        return false;
    }
    const QByteArray contenido = bytes(extension);
    if (contenido.isEmpty()) {
        error = QStringLiteral("No se ha podido generar el archivo «%1».").arg(ruta);
        return false;
    }
    try {
        guardarBytes(ruta, contenido);
    } catch (const ErrorArchivo& e) {
        error = QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

} // namespace colvero::ui
