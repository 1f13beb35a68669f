// Arbitrary bytes as a calculation file, under both decimal separators. A refusal is fine; a
// case that reads must either be refused by the writer or be written so that it reads back
// unchanged.
#include "files/archivos.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const QByteArray bytes(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    for (const char separador : {'.', ','}) {
        colvero::Calculo leido;
        QByteArray escrito;
        try {
            leido = colvero::calculoDeBytes(bytes, "fuzz.caVek", separador);
            escrito = colvero::bytesDeCalculo(leido, separador);
        } catch (const colvero::ErrorArchivo&) {
            continue;
        }
        // No try here: a file the writer produced must read.
        if (!(colvero::calculoDeBytes(escrito, "fuzz.caVek", separador) == leido))
            std::abort();
    }
    return 0;
}
