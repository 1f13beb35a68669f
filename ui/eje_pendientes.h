#pragma once
// The admissible slopes drawn on a logarithmic slope axis: one row for the whole case and one
// per enabled condition, each with the stretches of slope it admits and their bounds.
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

class QPainter;

namespace colvero::ui {

// A stretch of admissible slopes, m/m. A bound's text is empty when the stretch runs on to
// the end of the searched range.
struct TramoEje {
    double desde = 0;
    double hasta = 0;
    QString textoDesde;
    QString textoHasta;
};

struct FilaEje {
    QString nombre;
    std::vector<TramoEje> tramos;
    QString nota;        // shown in the row when it has no stretch
    bool decide = false; // the condition decides an end of the whole case's stretches
};

class EjePendientes : public QWidget {
public:
    explicit EjePendientes(QWidget* padre = nullptr);

    // `total` is the whole case; `actual` the case's own slope, when it has one.
    void mostrar(FilaEje total, std::vector<FilaEje> condiciones, std::optional<double> actual,
                 const QString& textoActual);
    void vaciar();

    // Decades shown, as powers of ten: from 10^primeraDecada() to 10^ultimaDecada().
    int primeraDecada() const { return primera_; }
    int ultimaDecada() const { return ultima_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* evento) override;

private:
    double xDe(double pendiente) const; // pixel column of a slope inside the plot
    void pintarFila(QPainter& p, const FilaEje& fila, int y, bool esTotal) const;

    FilaEje total_;
    std::vector<FilaEje> filas_;
    std::optional<double> actual_;
    QString textoActual_;
    bool vacio_ = true;
    int primera_ = -7;
    int ultima_ = 0;
    int nombres_ = 0; // width of the column of row names, px
};

} // namespace colvero::ui
