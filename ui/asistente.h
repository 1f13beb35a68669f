#pragma once
// "Asistente de diseño": for the case the main window shows, the admissible slopes on a slope
// axis, with the condition that decides each end, and the pipes of a diameter series against
// the case. It can write the lower end into the slope box and a pipe's diameter into the
// diameter box, as if the engineer had typed them.
#include "check/diametros.h"
#include "check/evaluacion.h"
#include "check/pendientes.h"
#include "files/serie.h"

#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace colvero::ui {

class Controles;
class Dialogos;
class EjePendientes;

// A diameter as the diameter box takes it: the shortest text that reads back as exactly
// `diametro`, with `separadorDecimal`.
QString textoDiametro(double diametro, char separadorDecimal);

class Asistente : public QWidget {
public:
    // Reads and writes the boxes of `controles`; asks `dialogos` for a series file and for its
    // errors. All three outlive the assistant.
    Asistente(const Controles& controles, char separadorDecimal, Dialogos& dialogos,
              QWidget* padre = nullptr);
    ~Asistente() override;

    // Reads the main window's case again and recomputes everything. It also runs by itself a
    // moment after the last edit of the case.
    void actualizar();

private:
    void construir();
    void mostrarPendientes(const Entradas& d, const Activas& activas, const QString& textoI);
    void actualizarTabla();
    void elegirSerie(int indice);
    void aplicarPendiente();
    void aplicarDiametro();
    void vaciar(const QString& mensaje);
    // The main window's case changed: nothing can be applied until the answer is recomputed.
    void casoCambiado();
    // Writes `texto` into the box `control` the way typing does, then refreshes.
    void escribirComoUsuario(const char* control, const QString& texto);

    const Controles& controles_;
    char separador_;
    Dialogos& dialogos_;

    QLabel* caso_ = nullptr;
    QLabel* error_ = nullptr;
    EjePendientes* eje_ = nullptr;
    QLabel* intervalos_ = nullptr;
    QPushButton* aplicarPendiente_ = nullptr;
    QComboBox* series_ = nullptr;
    QLabel* resumenSerie_ = nullptr;
    QTableWidget* tabla_ = nullptr;
    QPushButton* aplicarDiametro_ = nullptr;

    std::optional<Entradas> entradas_; // the case last read, when every field is a number
    Activas activas_{};
    QString textoPendiente_; // the lower end to apply; empty when there is none
    std::vector<Tubo> serie_;
    int serieElegida_ = 0;
    QString rutaOtraSerie_; // the file of "Otra serie…", once one has been read
    ResultadoDiametros diametros_;
    QTimer* recalculo_ = nullptr;
    bool anticuado_ = false; // the answer shown is that of an older case
};

} // namespace colvero::ui
