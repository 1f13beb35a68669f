#pragma once
// «Diseñar…»: the limits of a network's design (cover, depth, drop, crown alignment, trench,
// fixed inverts), typed with the window's decimal separator and remembered between runs.
#include "design/diseno_red.h"
#include "network/modelo_red.h"

#include <QDialog>
#include <QString>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace colvero::ui {

// What was accepted last, from the program's settings; the library's defaults when nothing
// was saved or a saved value is not usable.
diseno::Limites limitesGuardados();
void guardarLimites(const diseno::Limites& l);

// The fixed inverts as the dialog shows them: «NODO=COTA» a line, with `sep`.
QString textoDeFijas(const diseno::Limites& l, char sep);

class DialogoDiseno : public QDialog {
public:
    // `modelo`: the network the limits are for when it is already read (its nodes are then
    // checked here), else nullptr (the design checks them when it reads it).
    DialogoDiseno(char separadorDecimal, const red::ModeloRed* modelo, QWidget* padre = nullptr);

    // The limits typed; nothing, and `error` says why in Spanish, when one does not serve.
    std::optional<diseno::Limites> limites(QString& error) const;
    // The limits accepted last.
    const diseno::Limites& aceptados() const { return aceptados_; }

    // Takes the limits and remembers them when they serve; else shows why and stays open.
    void accept() override;

private:
    char sep_;
    const red::ModeloRed* modelo_;
    QLineEdit* recubrimiento_;
    QLineEdit* profundidad_;
    QLineEdit* resalto_;
    QCheckBox* alinear_;
    QLineEdit* sobreancho_;
    QLineEdit* cama_;
    QPlainTextEdit* fijas_;
    QLabel* fallo_;
    diseno::Limites aceptados_;
};

} // namespace colvero::ui
