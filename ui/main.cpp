#include "files/separador.h"
#include "ui/dialogos.h"
#include "ui/estilos.h"
#include "ui/marco.h"
#include "ui/ventana.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QScreen>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication aplicacion(argc, argv);
    colvero::ui::registrarSustitutosDeFuentes();
    colvero::ui::instalarTraduccionQt(aplicacion);
    auto ventana = std::make_unique<colvero::ui::VentanaPrincipal>(
        colvero::separadorDecimalDe(QLocale::system()));
    colvero::ui::VentanaPrincipal& principal = *ventana;
    const QScreen* pantalla = QGuiApplication::primaryScreen();
    const std::unique_ptr<QWidget> visible =
        colvero::ui::ventanaParaPantalla(std::move(ventana), pantalla->availableGeometry().size());
    visible->show();
    // A file named on the command line (the desktop passes a double-clicked one) opens as its
    // "Abrir" button would open it.
    if (argc > 1) {
        principal.abrirArchivo(QFile::decodeName(argv[1]));
    }
    return aplicacion.exec();
}
