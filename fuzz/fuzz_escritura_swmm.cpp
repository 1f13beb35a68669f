// SWMM models with new pipes: arbitrary bytes as the source. A model that opens and whose
// topology takes it gets new inverts (a few cm from its nodes' inverts, chosen by the bytes) and
// diameters on every circular conduit; the written model must open again with those very
// inverts and diameters, the other conduits' inverts as they were, and the same nodes and links.
// The writer may refuse (an invert at or above the ground), never crash.
#include "files/archivos.h"
#include "files/escritura_swmm.h"
#include "files/modelo_swmm.h"
#include "network/topologia.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <unordered_map>

namespace {

bool iguales(const std::optional<double>& a, const std::optional<double>& b, bool exacto) {
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    return exacto ? *a == *b : std::fabs(*a - *b) <= 1e-9 * std::max(1.0, std::fabs(*a));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    using namespace colvero;
    const std::string_view fuente(reinterpret_cast<const char*>(datos), largo);
    ModeloSwmm m;
    try {
        m = modeloSwmmDeBytes(fuente, QStringLiteral("f.inp"));
    } catch (const ErrorArchivo&) {
        return 0;
    }
    if (red::construirTopologia(m.red).hay(red::Gravedad::Modelo))
        return 0; // repeated names: the design refuses such a model
    std::unordered_map<std::string, const red::Nodo*> nodos;
    for (const red::Nodo& n : m.red.nodos)
        nodos.emplace(n.id, &n);
    std::unordered_map<std::string, TuboNuevo> tubos;
    std::size_t k = 0;
    for (const red::Enlace& e : m.red.enlaces) {
        if (!e.esConducto() || !e.circular || !nodos.count(e.desde) || !nodos.count(e.hasta))
            continue;
        const auto cota = [&](const std::string& id) {
            const double s = nodos.at(id)->cotaSolera;
            const long long cm = std::isfinite(s) && std::fabs(s) < 1e9 ? std::llround(s * 100) : 0;
            return static_cast<double>(cm + datos[k++ % largo] % 200) / 100.0;
        };
        const double zi = cota(e.desde);
        const double zf = cota(e.hasta);
        tubos[e.id] = {zi, zf, 0.1 + static_cast<double>(datos[k++ % largo] % 20) / 10.0};
    }
    EscrituraSwmm r;
    try {
        r = modeloSwmmConTubos(fuente, QStringLiteral("f.inp"), tubos);
    } catch (const ErrorArchivo&) {
        return 0;
    }
    ModeloSwmm d;
    try {
        d = modeloSwmmDeBytes(r.bytes, QStringLiteral("d.inp"));
    } catch (const ErrorArchivo&) {
        std::abort();
    }
    if (d.red.nodos.size() != m.red.nodos.size() || d.red.enlaces.size() != m.red.enlaces.size())
        std::abort();
    const bool exacto = r.inexactos == 0;
    for (std::size_t j = 0; j < m.red.enlaces.size(); ++j) {
        const red::Enlace& a = m.red.enlaces[j];
        const red::Enlace& b = d.red.enlaces[j];
        if (a.id != b.id || a.desde != b.desde || a.hasta != b.hasta)
            std::abort();
        const auto it = tubos.find(a.id);
        if (it == tubos.end()) {
            const bool mismoD = b.D == a.D || (std::isnan(a.D) && std::isnan(b.D));
            if (!iguales(b.cotaInicio, a.cotaInicio, exacto) ||
                !iguales(b.cotaFin, a.cotaFin, exacto) || !mismoD)
                std::abort();
            continue;
        }
        if (!iguales(b.cotaInicio, it->second.cotaInicio, exacto) ||
            !iguales(b.cotaFin, it->second.cotaFin, exacto) ||
            !iguales(b.D, it->second.D, exacto) || !b.circular)
            std::abort();
    }
    return 0;
}
