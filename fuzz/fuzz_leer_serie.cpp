// Diameter series: arbitrary text. A refusal is fine; a series that reads has named pipes of
// positive finite diameter, and written back as "name;diameter" it reads the same.
#include "check/serie_diametros.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    const std::string_view texto(reinterpret_cast<const char*>(datos), largo);
    std::vector<colvero::Tubo> tubos;
    try {
        tubos = colvero::leerSerieDiametros(texto, "fuzz.txt");
    } catch (const colvero::ErrorSerie&) {
        return 0;
    }
    std::string escrito = "# escrita de nuevo\n"; // a first name may itself start with a BOM
    for (const colvero::Tubo& t : tubos) {
        if (t.nombre.empty() || !(t.diametro > 0) || !std::isfinite(t.diametro)) {
            std::abort();
        }
        char numero[32];
        const auto fin = std::to_chars(numero, numero + sizeof numero, t.diametro).ptr;
        escrito += t.nombre + ";" + std::string(numero, fin) + "\n";
    }
    if (colvero::leerSerieDiametros(escrito, "fuzz.txt") != tubos) {
        std::abort();
    }
    return 0;
}
