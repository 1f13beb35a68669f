// SWMM models: arbitrary bytes. A refusal is fine; a model that opens gets its topology, its
// flows from loads and its reaches, and every link end the topology finds names that node.
#include "files/archivos.h"
#include "files/modelo_swmm.h"
#include "network/tramos_grafo.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    using namespace colvero;
    ModeloSwmm m;
    try {
        m = modeloSwmmDeBytes(std::string_view(reinterpret_cast<const char*>(datos), largo),
                              QStringLiteral("f.inp"));
    } catch (const ErrorArchivo&) {
        return 0;
    }
    const red::Topologia t = red::construirTopologia(m.red);
    if (t.extremos.size() != m.red.enlaces.size() || t.sigue.size() != m.red.nodos.size())
        std::abort();
    for (size_t k = 0; k < t.extremos.size(); ++k) {
        const red::Extremos& e = t.extremos[k];
        if ((e.desde >= 0 &&
             m.red.nodos[static_cast<size_t>(e.desde)].id != m.red.enlaces[k].desde) ||
            (e.hasta >= 0 &&
             m.red.nodos[static_cast<size_t>(e.hasta)].id != m.red.enlaces[k].hasta))
            std::abort();
    }
    for (size_t v = 0; v < t.sigue.size(); ++v) {
        if (t.sigue[v] >= 0 &&
            t.extremos[static_cast<size_t>(t.sigue[v])].desde != static_cast<int>(v))
            std::abort();
    }
    std::string error;
    const red::Hipotesis h;
    const auto tramos = red::tramosDeModelo(m.red, t, nullptr, &h, error);
    if (!tramos && error.empty())
        std::abort();
    if (tramos && tramos->size() != m.red.enlaces.size())
        std::abort();
    return 0;
}
