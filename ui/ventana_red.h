#pragma once
// "Comprobar red": every reach of a network table checked with the engine of colvero-check
// --red, by a worker (HiloRed) that hands the rows over in batches, shown in a sortable table
// with a filter; the results can be exported as colvero-check writes them, and a reach
// loaded into the main window.
#include "check/calculo.h"
#include "check/serie_diametros.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace colvero::ui {

class Dialogos;
class FiltroRed;
class HiloRed;
class ModeloRed;

class VentanaRed : public QWidget {
public:
    // Loads a reach into the main window: the case, the caption of its "Cálculo:" label and
    // the path of its criterion file (empty when it has none).
    using CargarTramo = std::function<void(const Calculo& calculo, const QString& descripcion,
                                           const QString& rutaCriterio)>;

    VentanaRed(char separadorDecimal, Dialogos& dialogos, CargarTramo cargar,
               QWidget* padre = nullptr);
    ~VentanaRed() override;

    // The choices the buttons make through their dialogs; each tells whether it was taken
    // (a criterion, template or series that cannot be read is reported and not taken).
    void ponerTabla(const QString& ruta);
    // .CrVek, or the criterion of a .caVek; the window starts with the last one taken.
    bool ponerCriterio(const QString& ruta);
    void quitarCriterio(); // back to the window's initial values
    bool ponerSerie(const QString& ruta);

    // Starts the check of the chosen table; the rows arrive while the window goes on.
    void comprobar();
    void cancelar();
    bool enCurso() const;
    // Writes the result table of a completed check; false, after a message, on failure.
    bool exportar(const QString& ruta);
    // Loads row `fila` of the model into the main window.
    void cargarFila(int fila);

    const ModeloRed& modelo() const { return *modelo_; }
    const FiltroRed& filtro() const { return *filtro_; }

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    void construir();
    void elegirTabla();
    void elegirCriterio();
    void elegirSerie(int indice);
    void exportarConDialogo();
    void recoger(); // the rows the worker has checked since the last time
    void alTerminar(bool cancelada, const QString& error);
    void actualizarEstado();
    void ajustarBotones();
    bool leerCriterioDe(const QString& ruta, QString* error);
    // An input of the run changed: the results of the last check belong to other inputs.
    void descartarResultados();
    void filtrar();                                // after a change of the filter's boxes
    void ensancharEstado(int primera, int ultima); // the state column shows whole messages

    char separador_;
    Dialogos& dialogos_;
    CargarTramo cargar_;

    ModeloRed* modelo_ = nullptr;
    FiltroRed* filtro_ = nullptr;
    QLabel* tabla_ = nullptr;
    QLabel* criterio_ = nullptr;
    QComboBox* series_ = nullptr;
    QCheckBox* pendientes_ = nullptr;
    QPushButton* comprobar_ = nullptr;
    QPushButton* cancelar_ = nullptr;
    QProgressBar* progreso_ = nullptr;
    QCheckBox* soloNoCumplen_ = nullptr;
    QCheckBox* soloErrores_ = nullptr;
    QPushButton* exportar_ = nullptr;
    QTableView* vista_ = nullptr;
    QLabel* estado_ = nullptr;

    QString rutaTabla_;
    std::optional<Criterio> criterioElegido_; // none: the window's initial values
    QString rutaCriterio_;                    // the .CrVek or .caVek it came from
    std::optional<std::vector<Tubo>> serie_;
    QString nombreSerie_;
    int serieElegida_ = 0;

    HiloRed* hilo_ = nullptr;
    QTimer* recogida_ = nullptr;
    bool empezada_ = false;  // the model has the columns of the last check
    bool terminada_ = false; // the last check ran to its last row
    QString descripcionFormato_;
};

} // namespace colvero::ui
