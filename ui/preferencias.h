#pragma once
// What the user tells the program once and it remembers between runs: the author and the
// project that head every calculation note.
#include <QDialog>
#include <QString>

class QLineEdit;

namespace colvero::ui {

struct Preferencias {
    QString autor;
    QString proyecto;
    bool operator==(const Preferencias&) const = default;
};

// From the program's settings; empty texts when nothing was saved.
Preferencias leerPreferencias();
// Blanks around each text are dropped; a line break becomes a blank (each is one line).
void guardarPreferencias(const Preferencias& preferencias);

// «Preferencias»: the author and the project, with Aceptar and Cancelar.
class DialogoPreferencias : public QDialog {
public:
    explicit DialogoPreferencias(QWidget* padre = nullptr);

    // The texts as typed.
    Preferencias preferencias() const;

    // Saves what was typed when the user accepts.
    void accept() override;

private:
    QLineEdit* autor_;
    QLineEdit* proyecto_;
};

} // namespace colvero::ui
