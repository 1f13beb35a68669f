// Arbitrary bytes as a criterion file, under both decimal separators. A refusal is fine; a
// criterion that reads must either be refused by the writer or be written so that it reads back
// unchanged.
#include "files/archivos.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    const QByteArray bytes(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    for (const char separador : {'.', ','}) {
        colvero::Criterio leido;
        QByteArray escrito;
        try {
            leido = colvero::criterioDeBytes(bytes, "fuzz.CrVek", separador);
            escrito = colvero::bytesDeCriterio(leido, separador);
        } catch (const colvero::ErrorArchivo&) {
            continue;
        }
        // No try here: a file the writer produced must read.
        if (!(colvero::criterioDeBytes(escrito, "fuzz.CrVek", separador) == leido))
            std::abort();
    }
    return 0;
}
