// SWMM reports: arbitrary bytes. A refusal is fine; a report that opens gives every conduit
// its Max/Full Flow and every flow in m3/s from the flow in its own units.
#include "files/archivos.h"
#include "files/informe_swmm.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    using namespace colvero;
    try {
        const InformeSwmm i = informeSwmmDeBytes(
            std::string_view(reinterpret_cast<const char*>(datos), largo), QStringLiteral("f.rpt"));
        const double factor = factorCaudal(i.unidades);
        for (const auto& [id, f] : i.enlaces) {
            if (id.empty() || (f.tipo == "CONDUIT" && !f.maxLleno) ||
                f.caudal != f.caudalEnUnidades * factor)
                std::abort();
        }
    } catch (const ErrorArchivo&) {
    }
    return 0;
}
