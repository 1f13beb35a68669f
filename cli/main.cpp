#include "cli/comprobacion.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QFile salida;
    QFile errores;
    salida.open(stdout, QIODevice::WriteOnly);
    errores.open(stderr, QIODevice::WriteOnly);
    const int codigo = colvero::cli::ejecutar(QCoreApplication::arguments(), salida, errores);
    // A report or a verdict list that did not reach its reader must not look like success.
    if (!salida.flush() || salida.error() != QFileDevice::NoError) {
        errores.write("colvero-check: no se ha podido escribir la salida\n");
        errores.flush();
        return 2;
    }
    errores.flush();
    return codigo;
}
