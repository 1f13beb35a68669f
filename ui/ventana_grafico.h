#pragma once
// The chart window: the hydraulic-elements chart of the last completed Calcular, with buttons
// that save it as a picture (PNG or SVG) and save the calculation note (PDF).
#include "chart/grafico.h"
#include "note/caso.h"
#include "note/nota.h"
#include "ui/dialogos.h"

#include <QWidget>
#include <optional>

class QLabel;
class QPushButton;

namespace colvero::ui {

class VentanaGrafico : public QWidget {
public:
    // `dialogos` belongs to the main window and outlives this one.
    VentanaGrafico(char separadorDecimal, Dialogos& dialogos, QWidget* padre = nullptr);

    // The case of a completed Calcular; `encabezado` names its calculation and criterion
    // files. The note takes its author and project from the preferences when it is saved.
    void mostrarCaso(const nota::CasoCalculado& caso, const nota::Encabezado& encabezado);
    // The main window's case is no longer the one shown: the window says so, and keeps
    // showing its own case whole.
    void casoCambiado();
    bool cambiado() const { return cambiado_; }

    const std::optional<nota::CasoCalculado>& caso() const { return caso_; }
    const nota::Encabezado& encabezado() const { return encabezado_; }
    const QString& archivo() const { return encabezado_.archivo; }
    const grafico::DatosGrafico& datos() const { return datos_; }

    // Why the chart shows no design points before a completed Calcular.
    static QString sinCalculo();

private:
    class Lienzo;

    void guardarImagen();
    void guardarNota();
    bool guardar(const QString& ruta, const QByteArray& bytes);

    char separador_;
    Dialogos& dialogos_;
    std::optional<nota::CasoCalculado> caso_;
    nota::Encabezado encabezado_;
    QString descripcion_; // of the case shown: when it was calculated, its title and file
    bool cambiado_ = false;
    grafico::DatosGrafico datos_;
    QLabel* aviso_;
    Lienzo* lienzo_;
    QPushButton* guardarNota_;
};

} // namespace colvero::ui
