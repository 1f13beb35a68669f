#include "files/separador.h"
#include "ui/dialogos.h"
#include "ui/estilos.h"
#include "ui/marco.h"
#include "ui/ventana.h"

#include <QApplication>
#include <QLocale>
#include <QScreen>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication aplicacion(argc, argv);
    colvero::ui::registrarSustitutosDeFuentes();
    colvero::ui::instalarTraduccionQt(aplicacion);
    auto ventana = std::make_unique<colvero::ui::VentanaPrincipal>(
        colvero::separadorDecimalDe(QLocale::system()));
    const QScreen* pantalla = QGuiApplication::primaryScreen();
    const std::unique_ptr<QWidget> visible =
        colvero::ui::ventanaParaPantalla(std::move(ventana), pantalla->availableGeometry().size());
    visible->show();
    return aplicacion.exec();
}
