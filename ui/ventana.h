#pragma once
// The one window of the program: its controls, its reactions to edits and check boxes, and
// the buttons that run the calculation, the report and the file operations.
#include "check/calcular.h"
#include "check/calculo.h"
#include "note/caso.h"
#include "note/nota.h"
#include "ui/controles.h"
#include "ui/dialogos.h"

#include <QPalette>
#include <QPixmap>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace colvero::ui {

class VentanaGrafico;
class VentanaRed;
class Asistente;

class VentanaPrincipal : public QWidget {
public:
    // `separadorDecimal` is used for every conversion of the window; `dialogos` defaults to the
    // toolkit's dialogs.
    explicit VentanaPrincipal(char separadorDecimal, std::unique_ptr<Dialogos> dialogos = nullptr,
                              QWidget* padre = nullptr);
    ~VentanaPrincipal() override;

    const Controles& controles() const { return *controles_; }
    const ValoresGuardados& guardados() const { return guardados_; }
    // Whether the case holds edits made since a calculation file was last opened or saved
    // (or a reach loaded).
    bool cambiosSinGuardar() const { return sinGuardar_; }

    // Opens a calculation (.caVek) or criterion (.CrVek) file as its "Abrir" button would,
    // errors included; the type comes from the extension, in either case. For a file named
    // on the command line or dropped on the window.
    bool abrirArchivo(const QString& ruta);

    // Opens the design assistant on the window's current case (Ctrl+D).
    void abrirAsistente();

    // Opens the network window (Ctrl+R).
    void abrirRed();

    // Shows `calculo` as a read calculation file would, with `descripcion` as the caption of
    // the "Cálculo:" label (no file of its own) and `rutaCriterio` as its criterion file
    // (empty: none).
    void cargarCalculo(const Calculo& calculo, const QString& descripcion,
                       const QString& rutaCriterio);

protected:
    void paintEvent(QPaintEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void dragEnterEvent(QDragEnterEvent* evento) override;
    void dropEvent(QDropEvent* evento) override;

private:
    struct OperacionArchivo;
    // Abrir Cálculo, Guardar Cálculo, Abrir criterio, Guardar criterio.
    static const OperacionArchivo kOperaciones[4];
    void iniciarLeyendas();
    void conectarReacciones();
    void conectarTeclado();
    void crearBotonAsistente();
    void crearBotonRed();
    void crearBotonPreferencias();
    void abrirPreferencias();                    // author and project of the notes (Ctrl+,)
    void aplicarCalculo(const Calculo& calculo); // the fields of a read calculation
    void crearAvisosDosCalados();
    void mostrarAvisosDosCalados(const std::array<ResultadoCondicion, 10>& condiciones);

    void reiniciar();         // Command12: results, verdicts and status back to "-"
    void marcarSinCalcular(); // the first two steps of the reset
    void actualizarFilas();   // Command18: rows follow their check boxes, then reset
    void calcular();          // Command13
    void copiarInforme();     // Command6
    // A button of the header band at `x` px, looking like the assistant's and the chart's.
    QPushButton* botonCabecera(const QString& texto, const char* nombre, int x);
    void crearBotonGrafico();
    void abrirGrafico();      // the chart window, created on first use
    void actualizarGrafico(); // after a completed Calcular
    void ejecutarArchivo(const OperacionArchivo& operacion);
    bool completarArchivo(const OperacionArchivo& operacion, const QString& ruta);
    static const OperacionArchivo* lecturaPara(const QString& ruta); // by extension, or none
    // The four file routines; each tells whether it read or wrote `ruta`.
    bool leerArchivoCalculo(const QString& ruta);     // Command1
    bool guardarArchivoCalculo(const QString& ruta);  // Command3
    bool leerArchivoCriterio(const QString& ruta);    // Command2
    bool guardarArchivoCriterio(const QString& ruta); // Command5
    void avisar(const std::exception& error);
    void marcarErroneo(CampoNumerico campo);
    void desmarcarErroneo();
    // Any change of the case: the edits are unsaved, and the chart shows an older case.
    void casoCambiado();
    // The tooltip of a numeric field: which decimal separator it takes.
    QString ayudaNumero() const;
    void crearAvisoDiametro();
    void revisarDiametro(); // the mark beside a diameter that looks like millimetres

    char separador_;
    std::unique_ptr<Dialogos> dialogos_;
    std::unique_ptr<Controles> controles_;
    ValoresGuardados guardados_;
    // What the last file read had wrong without failing (no "EOF"), for the status line.
    QString avisoLectura_;
    QPixmap fondo_;
    bool enlaceDobleClic_ = false;
    QLineEdit* erroneo_ = nullptr; // the field marked as not holding a number
    QPalette paletaErroneo_;       // its palette before the mark
    QPushButton* botonGrafico_ = nullptr;
    VentanaGrafico* ventanaGrafico_ = nullptr;      // child window, created on first use
    std::optional<nota::CasoCalculado> ultimoCaso_; // of the last completed Calcular
    nota::Encabezado encabezadoDelCaso_;            // its files, as the note names them
    // The criterion as the «Criterio:» file holds it, once read or saved: limits that differ
    // from it are "(modificado)" in the note. Nothing when the label names no file.
    std::optional<Criterio> criterioDelArchivo_;
    // What «Cálculo:» names: the file read or written, or where a reach came from; empty for
    // none. The label may add a warning about the file after it.
    QString rutaCalculo_;
    bool sinGuardar_ = false; // the case has changed since it was opened, saved or loaded
    bool casoCambiadoDesdeCalculo_ = false; // since the case of ultimoCaso_
    QLabel* avisoDiametro_ = nullptr;
    Asistente* asistente_ = nullptr;   // built on first use, owned as a child window
    VentanaRed* ventanaRed_ = nullptr; // the same
    // Beside the verdicts of conditions 2 to 7: the flow had two normal depths. Index 0 is
    // condition 1; conditions without a mark hold nullptr.
    std::array<QLabel*, 10> avisosDosCalados_{};
};

} // namespace colvero::ui
