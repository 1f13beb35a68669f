#pragma once
// The plan of a network: every link drawn from its upstream node through its vertices to its
// downstream node, coloured by its verdict as the results come in. The wheel zooms around the
// cursor, a left drag pans, a click picks a reach, «Ajustar» shows the whole network.
#include "network/modelo_red.h"

#include <QPen>
#include <QPolygonF>
#include <QString>
#include <QWidget>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QGraphicsScene;
class QLabel;
class QGraphicsView;
class QPainter;
class QPushButton;

namespace colvero::ui {

enum class EstadoPlano : std::uint8_t {
    Pendiente,    // not checked yet
    Cumple,       // meets every condition
    NoCumple,     // fails a condition
    NoComprobado, // could not be checked (an error of its data)
    Omitido,      // not checked by design: not a conduit, not circular
};

class PlanoRed : public QWidget {
public:
    explicit PlanoRed(QWidget* padre = nullptr);
    ~PlanoRed() override;

    // Draws `m` in place of what was shown, every link Pendiente, fitted to the view.
    void mostrar(const red::ModeloRed& m);
    // Whether any node has a position; without one nothing is drawn.
    bool tieneCoordenadas() const { return conCoordenadas_; }
    // Why the plan is missing or incomplete, for the window to show; empty when every link
    // is drawn.
    const QString& motivoSinPlano() const { return motivo_; }
    std::size_t dibujados() const { return dibujados_; }

    // By link index in the model's `enlaces`; an index out of range is ignored. A batch
    // sets the first links and repaints once.
    void ponerEstado(std::size_t enlace, EstadoPlano e);
    void ponerEstados(const std::vector<EstadoPlano>& estados);
    EstadoPlano estado(std::size_t enlace) const;
    // Draws one link thicker in the selection colour and brings it into view (the one already
    // highlighted, as after a click, stays where it is); nullopt clears.
    void resaltar(std::optional<std::size_t> enlace);
    std::optional<std::size_t> resaltado() const { return resaltado_; }
    // Fades the links that meet every condition.
    void atenuarQueCumplen(bool atenuar);
    // Shows the whole network; the view then stays fitted when resized until zoomed or panned.
    void ajustar();

    // A pipe of a design as the legend shows it.
    struct EntradaLeyenda {
        QString tubo;
        QColor color;
    };
    // Colours each link by the pipe of a design: `tuboDeEnlace` by link, an index in `tubos`
    // (the series, smallest first) or -1 for a link without a design, which keeps its verdict
    // colour. The legend lists the pipes used. An empty `tuboDeEnlace` goes back to the
    // verdicts; `mostrar` does too.
    void colorearPorTubo(const std::vector<int>& tuboDeEnlace, const std::vector<QString>& tubos);
    bool porTubo() const { return !claseTubo_.empty(); }
    const std::vector<EntradaLeyenda>& leyenda() const { return leyenda_; }

    // The whole plan, fitted, on white, with the colours and highlight shown: PNG, SVG or PDF
    // by the extension. Written whole or not at all; false with a Spanish `error` on failure.
    bool guardar(const QString& ruta, QString& error) const;

    // Called with the link index of a clicked reach (after it is highlighted).
    std::function<void(std::size_t enlace)> alElegir;

    QGraphicsView* vista() const;
    // The pen link `enlace` is drawn with now.
    const QPen& pluma(std::size_t enlace) const;
    // The drawn line of a link in scene coordinates; empty when the link is not drawn.
    QPolygonF linea(std::size_t enlace) const;
    // A map point (y north) in scene coordinates (y down).
    QPointF aEscena(double x, double y) const { return {x - origenX_, origenY_ - y}; }

private:
    class Vista;
    class Lamina;

    struct Trazo {
        std::size_t enlace;
        QPolygonF linea; // scene
        QRectF caja;     // of the line
        double longitud; // scene units
        QPointF centro;  // halfway along, where the label goes
        QString id;
    };

    struct Marca {
        QPointF punto; // scene
        red::TipoNodo tipo;
        double corto; // scene length of its shortest drawn link, or a typical one
    };

    void elegirEn(QPoint enVista);
    void marcar(std::optional<std::size_t> enlace);
    void zoom(double factor, QPoint enVista);
    static Trazo trazar(std::size_t enlace, QPolygonF linea, QString id);
    void traerAVista(const Trazo& t);
    const Trazo* trazo(std::size_t enlace) const;
    void repintar();
    const QPen& pluma(std::size_t enlace, double escala) const; // at `escala` px per unit
    void pintar(QPainter& p, const QRectF& expuesta) const;
    void pintarEntero(QPainter& p, const QRectF& destino) const;
    void pintarLeyenda(QPainter& p, QPointF esquina) const; // device pixels
    QByteArray bytes(const QString& extension) const;

    Vista* vista_ = nullptr;
    QGraphicsScene* escena_ = nullptr;
    QPushButton* ajustar_ = nullptr;
    QLabel* leyendaVista_ = nullptr;

    std::vector<Trazo> trazos_;         // of the drawn links, in link order
    std::vector<std::int32_t> trazoDe_; // by link: its index in trazos_; -1: not drawn
    std::vector<EstadoPlano> estados_;  // by link
    std::vector<bool> conductos_;       // by link
    std::vector<Marca> marcas_;
    double origenX_ = 0, origenY_ = 0;     // the map point at the scene's origin
    double escalaMin_ = 0, escalaMax_ = 0; // screen pixels per scene unit
    double tipico_ = 1;                    // median length of the drawn links, scene units
    bool conCoordenadas_ = false;
    bool ajustado_ = false; // the view shows the whole network as «Ajustar» left it
    std::size_t dibujados_ = 0;
    QString motivo_;
    std::optional<std::size_t> resaltado_;
    bool atenuar_ = false;
    // [estado][not a conduit][faded][thin], and the selection: solid and dashed.
    std::array<std::array<std::array<std::array<QPen, 2>, 2>, 2>, 5> plumas_;
    std::array<QPen, 2> seleccion_;
    // Colouring by pipe: by link, its entry in leyenda_ (-1: the verdict's pen); the pens of
    // each entry, [entry][not a conduit][thin]. Empty: colouring by verdict.
    std::vector<std::int32_t> claseTubo_;
    std::vector<EntradaLeyenda> leyenda_;
    std::vector<std::array<std::array<QPen, 2>, 2>> plumasTubo_;
};

} // namespace colvero::ui
