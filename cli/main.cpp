#include "cli/opciones.h"

#include <QFile>
#include <cstdio>

// No QCoreApplication: nothing here needs an event loop, plugins or the C locale it sets, and
// its arguments() would decode file names that are not UTF-8 into names of other files.
int main(int argc, char** argv) {
    QFile salida;
    QFile errores;
    salida.open(stdout, QIODevice::WriteOnly);
    errores.open(stderr, QIODevice::WriteOnly);
    const int codigo = colvero::cli::ejecutar(
        std::span<const char* const>(argv, static_cast<size_t>(argc)), salida, errores);
    // A report or a verdict list that did not reach its reader must not look like success.
    if (!salida.flush() || salida.error() != QFileDevice::NoError) {
        errores.write("colvero-check: no se ha podido escribir la salida\n");
        errores.flush();
        return 2;
    }
    errores.flush();
    return codigo;
}
