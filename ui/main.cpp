#include "files/separador.h"
#include "ui/estilos.h"
#include "ui/ventana.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char* argv[]) {
    QApplication aplicacion(argc, argv);
    colvero::ui::registrarSustitutosDeFuentes();
    colvero::ui::VentanaPrincipal ventana(colvero::separadorDecimalDe(QLocale::system()));
    ventana.show();
    return aplicacion.exec();
}
