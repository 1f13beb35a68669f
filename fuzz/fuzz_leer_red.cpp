// Network tables: arbitrary bytes. A refusal is fine; a table that opens hands out exactly the
// rows it counted, each with one cell per header column, in increasing row numbers, none with
// an unclosed quote.
#include "files/archivos.h"
#include "files/red.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    static const std::string ruta = [] {
        char plantilla[] = "/tmp/fuzz_leer_red.XXXXXX";
        const int fd = ::mkstemp(plantilla);
        if (fd < 0)
            std::abort();
        ::close(fd);
        return std::string(plantilla);
    }();
    FILE* f = std::fopen(ruta.c_str(), "wb");
    if (!f || std::fwrite(datos, 1, largo, f) != largo || std::fclose(f) != 0)
        std::abort();
    try {
        colvero::LectorRed lector{QByteArray::fromStdString(ruta)};
        const colvero::CabeceraRed& c = lector.cabecera();
        qint64 filas = 0;
        int anterior = 1;
        for (colvero::FilaRed fila; lector.siguiente(fila); ++filas) {
            // A quote left open refuses the table in the first pass.
            if (fila.celdas.size() != c.nombres.size() || fila.numero <= anterior ||
                fila.error == "unas comillas no se cierran")
                std::abort();
            anterior = fila.numero;
        }
        if (filas != c.filas || c.columna(colvero::ColumnaRed::Tramo) < 0)
            std::abort();
    } catch (const colvero::ErrorArchivo&) {
    }
    return 0;
}
