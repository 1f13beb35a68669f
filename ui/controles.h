#pragma once
// The widgets of the window, built from the layout tables and found by control name.
#include <QHash>
#include <QString>

class QWidget;
class QLineEdit;
class QLabel;
class QCheckBox;
class QPushButton;

namespace colvero::ui {

// The substitute fonts run wider than MS Sans Serif and Bell MT: a one-line caption grows to its
// text rather than losing its last characters or its descenders. Labels are transparent and lie
// under the text boxes, so growing one never hides an input.
void ajustarAlTexto(QLabel& etiqueta);

class Controles {
public:
    // Builds every control of the layout tables as a child of `ventana`: panels at the bottom,
    // then labels, pictures and last the controls that take input, and chains the tab order.
    explicit Controles(QWidget& ventana);

    QWidget* control(const QString& nombre) const;
    QLineEdit* texto(const char* nombre) const;
    QLabel* etiqueta(const char* nombre) const;
    QCheckBox* casilla(const char* nombre) const;
    QPushButton* boton(const char* nombre) const;

    // Text of a text box or caption of a label, as UTF-8.
    std::string leer(const char* nombre) const;
    // Sets the text of a text box or the caption of a label.
    void escribir(const char* nombre, const std::string& valor) const;

private:
    QHash<QString, QWidget*> porNombre_;
};

} // namespace colvero::ui
