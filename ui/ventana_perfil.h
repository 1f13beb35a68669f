#pragma once
// The longitudinal profile of a network path in a window of its own: the drawing with its data
// band, as the PDF, SVG and PNG files have it, scrolled when it is wider than the window, and
// saved as any of them.
#include "profile/perfil.h"

#include <QString>
#include <QWidget>

namespace colvero::ui {

class Dialogos;

class VentanaPerfil : public QWidget {
public:
    VentanaPerfil(perfil::Perfil perfil, QString titulo, char separadorDecimal, Dialogos& dialogos,
                  QWidget* padre = nullptr);

    const perfil::Perfil& perfil() const { return perfil_; }
    // Writes the profile as PDF, SVG or PNG by the extension; false, after a message, on
    // failure.
    bool guardar(const QString& ruta);

private:
    perfil::Perfil perfil_;
    QString titulo_;
    char separador_;
    Dialogos& dialogos_;
};

} // namespace colvero::ui
