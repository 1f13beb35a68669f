#pragma once
// "Comprobar red": every reach of a network table, SWMM model or GIS layer checked with the
// engine of colvero-check --red, by a worker (HiloRed) that hands the rows over in batches,
// shown in a sortable table with a filter; the results can be exported as colvero-check writes
// them, and a reach loaded into the main window.
#include "check/calculo.h"
#include "check/serie_diametros.h"
#include "design/diseno_red.h"
#include "network/acumulacion.h"
#include "network/fuente_red.h"
#include "profile/trayecto.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace colvero::ui {

class Dialogos;
class FiltroRed;
class HiloRed;
class ModeloRed;
class PlanoRed;

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
    // The companions of a model or layer; an empty path takes each away. A report or
    // hypothesis that cannot be read is reported and not taken.
    bool ponerInforme(const QString& ruta);
    void ponerPozos(const QString& ruta); // "ARCHIVO" or "ARCHIVO:CAPA"
    bool ponerHipotesis(const QString& ruta);
    // The hypothesis as the text of its file, as the editor gives it; false, and `error` says
    // why, when the text is not a valid hypothesis.
    bool ponerTextoHipotesis(const QString& texto, QString* error);

    // Starts the check of the chosen table; the rows arrive while the window goes on.
    void comprobar();
    // Designs the pipes of the chosen model or layers with the chosen series and `limites`,
    // then checks the designed network as «Comprobar» does and shows it with its design.
    void disenar(const diseno::Limites& limites);
    // «Diseñar…»: the dialog of the limits, which starts the design when accepted.
    void disenarConDialogo();
    void cancelar();
    bool enCurso() const;
    // Writes the result table of a completed check; false, after a message, on failure.
    bool exportar(const QString& ruta);
    // Loads row `fila` of the model into the main window.
    void cargarFila(int fila);

    // Writes the design shown by the extension of `ruta`, as the command line writes it: a SWMM
    // model (.inp, from a model source only), a GIS layer or a table (.csv). Never over a file
    // the run read; false, after a message, on failure.
    bool guardarDiseno(const QString& ruta);

    // Writes the plan as PNG, SVG or PDF; false, after a message, on failure.
    bool guardarPlano(const QString& ruta);
    // Opens the longitudinal profile from the reach of row `fila` down to its outfall; the
    // window, or nullptr after a message when there is none to draw.
    QWidget* abrirPerfil(int fila);
    // Opens the profile between two nodes of one flow path, given in either order; the window,
    // or nullptr, and `error` says why, when there is none to draw.
    QWidget* abrirPerfilEntre(const QString& desde, const QString& hasta, QString* error);
    // The dialog that asks for the two manholes of a profile; it stays open while the two do
    // not make a path, and says why.
    QDialog* elegirPozosDelPerfil();
    // Writes the network's calculation note of a completed check as PDF; false, after a
    // message, on failure.
    bool escribirNota(const QString& ruta);

    const ModeloRed& modelo() const { return *modelo_; }
    const PlanoRed& plano() const { return *plano_; }
    const FiltroRed& filtro() const { return *filtro_; }

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    void construir();
    void empezar(std::optional<diseno::Limites> limites);
    void elegirTabla();
    void elegirCriterio();
    void elegirSerie(int indice);
    void elegirInforme();
    void elegirPozos();
    void elegirHipotesis();
    void editarHipotesis();
    // Shows the choices that the kind of source takes.
    void mostrarOpcionesDeFuente();
    void exportarConDialogo();
    void guardarDisenoConDialogo();
    // The input of the run that `ruta` names, or an empty text.
    QString entradaLeida(const QString& ruta) const;
    // What the status line says of the design shown: cost, drops, fixed inverts taken to the
    // centimetre and the reaches without a design (a few by name, the rest counted).
    QString resumenDeDiseno() const;
    // Beside exported results whose flows came from a hypothesis, «NOMBRE.hipotesis.txt».
    void guardarHipotesisJunto(const QString& resultados);
    void recoger(); // the rows the worker has checked since the last time
    void alTerminar(bool cancelada, const QString& error);
    void actualizarEstado();
    void ajustarBotones();
    bool leerCriterioDe(const QString& ruta, QString* error);
    // An input of the run changed: the results of the last check belong to other inputs.
    void descartarResultados();
    void filtrar();                                // after a change of the filter's boxes
    void ensancharEstado(int primera, int ultima); // the state column shows whole messages
    // Draws the network of the check just started, or says why there is no plan.
    void empezarPlano();
    void elegirEnPlano(std::size_t enlace); // a click on the plan selects the reach's row
    // The checked graph the profiles are drawn from; nullptr, and `error` says why, before a
    // completed check of a model or layers.
    const red::RedGrafo* grafoDelPerfil(QString* error) const;
    QWidget* mostrarPerfil(const perfil::Trayecto& trayecto, const QString& titulo);

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
    QPushButton* perfil_ = nullptr;
    QPushButton* nota_ = nullptr;
    QPushButton* disenar_ = nullptr;
    QPushButton* guardarDiseno_ = nullptr;
    QTableView* vista_ = nullptr;
    QWidget* panelPlano_ = nullptr;
    PlanoRed* plano_ = nullptr;
    QLabel* avisoPlano_ = nullptr; // what the plan leaves out
    QLabel* estado_ = nullptr;
    QString sinPlano_; // why no plan is shown, for the status line

    QLabel* informe_ = nullptr;
    QLabel* pozos_ = nullptr;
    QLabel* textoHipotesis_ = nullptr;
    QComboBox* capa_ = nullptr;
    QLineEdit* tolerancia_ = nullptr;
    std::vector<QWidget*> deModelo_, deCapas_, deGrafo_; // the widgets of each kind's rows

    QString rutaTabla_;
    QString rutaInforme_;
    QString rutaPozos_;
    QString rutaHipotesis_; // empty when none, or edited in the window
    std::optional<red::Hipotesis> hipotesis_;
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
    QString avisosFuente_; // what a model or layer says of itself, a line each
};

} // namespace colvero::ui
