#pragma once
// Arbitrary bytes as a file, under both decimal separators. A refusal is fine; what reads must
// either be refused by the writer or be written so that it reads back unchanged.
#include "files/archivos.h"

#include <cstdint>
#include <cstdlib>

template <class Leer, class Escribir>
int idaYVuelta(const uint8_t* datos, size_t largo, const QString& nombre, Leer leer,
               Escribir escribir) {
    const QByteArray bytes(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    for (const char separador : {'.', ','}) {
        decltype(leer(bytes, nombre, separador)) leido;
        QByteArray escrito;
        try {
            leido = leer(bytes, nombre, separador);
            escrito = escribir(leido, separador);
        } catch (const colvero::ErrorArchivo&) {
            continue;
        }
        // No try here: a file the writer produced must read.
        if (!(leer(escrito, nombre, separador) == leido))
            std::abort();
    }
    return 0;
}
