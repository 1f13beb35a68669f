// Calculation files: read, write back, read again.
#include "fuzz/ida_y_vuelta.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t largo) {
    idaYVuelta(datos, largo, QStringLiteral("fuzz.caVek"), colvero::calculoDeBytes,
               colvero::bytesDeCalculo);
    // What the writer writes ends in EOF: a file the program saved never reads as cut.
    const QByteArray bytes(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    try {
        const colvero::Leido<colvero::Calculo> leido =
            colvero::calculoLeidoDeBytes(bytes, QStringLiteral("fuzz.caVek"), '.');
        const QByteArray escrito = colvero::bytesDeCalculo(leido.valor, '.');
        if (colvero::calculoLeidoDeBytes(escrito, QStringLiteral("fuzz.caVek"), '.').sinEOF)
            std::abort();
    } catch (const colvero::ErrorArchivo&) {
    }
    return 0;
}
