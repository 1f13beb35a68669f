// Criterion files: read, write back, read again.
#include "fuzz/ida_y_vuelta.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    return idaYVuelta(datos, largo, QStringLiteral("fuzz.CrVek"), colvero::criterioDeBytes,
                      colvero::bytesDeCriterio);
}
