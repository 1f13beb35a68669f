// The design of generated sewer networks of 1,000 and 10,000 reaches on one and two threads:
// catchments of about 500 reaches each, long collectors with branches, ground falling 0 to 5 %
// along a reach, flows growing downstream, a series of 9 pipes, all conditions but the
// minimum Froude number. Prints the time of the slope windows, of the whole design, the cost
// and the peak memory.
#include "design/diseno_red.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

namespace {

using namespace colvero;
using namespace colvero::diseno;

struct Red {
    red::ModeloRed modelo;
    red::Topologia topologia;
    std::vector<TramoADisenar> tramos;
};

Red generar(int n, uint64_t semilla) {
    std::mt19937_64 azar(semilla);
    std::uniform_real_distribution<double> u(0, 1);
    const auto entre = [&](double a, double b) { return a + (b - a) * u(azar); };
    Red r;
    r.modelo.longitudes = red::MedidaLongitud::AlLargoDelTubo;
    std::vector<double> local;
    std::vector<int> abajo; // by reach: the reach downstream, -1 at an outfall
    std::vector<int> sale;  // by node: its outgoing reach, -1 at an outfall
    int primero = 0;        // first node of the current catchment
    for (int k = 0; k < n; ++k) {
        if (k % 500 == 0) {
            red::Nodo s;
            s.id = "S" + std::to_string(k / 500 + 1);
            s.tipo = red::TipoNodo::Vertido;
            s.cotaTerreno = entre(20, 60);
            primero = static_cast<int>(r.modelo.nodos.size());
            r.modelo.nodos.push_back(s);
            sale.push_back(-1);
        }
        // Mostly onto one of the last nodes: long collectors with side branches.
        const int ultimo = static_cast<int>(r.modelo.nodos.size()) - 1;
        const int destino =
            std::max(primero, ultimo - std::uniform_int_distribution<int>(0, 6)(azar));
        red::Nodo p;
        p.id = "P" + std::to_string(k + 1);
        red::Enlace e;
        e.id = "T" + std::to_string(k + 1);
        e.desde = p.id;
        e.hasta = r.modelo.nodos[static_cast<size_t>(destino)].id;
        e.longitud = entre(25, 80);
        e.forma = "CIRCULAR";
        e.circular = true;
        e.D = 0.3;
        e.n = 0.013;
        p.cotaTerreno =
            *r.modelo.nodos[static_cast<size_t>(destino)].cotaTerreno + e.longitud * entre(0, 0.05);
        r.modelo.nodos.push_back(p);
        r.modelo.enlaces.push_back(e);
        sale.push_back(k);
        abajo.push_back(sale[static_cast<size_t>(destino)]);
        local.push_back(entre(0.0002, 0.002));
    }
    std::vector<double> Q = local;
    for (int k = n - 1; k >= 0; --k) {
        if (abajo[static_cast<size_t>(k)] >= 0)
            Q[static_cast<size_t>(abajo[static_cast<size_t>(k)])] += Q[static_cast<size_t>(k)];
    }
    for (int k = 0; k < n; ++k) {
        TramoADisenar t;
        t.enlace = static_cast<size_t>(k);
        const double q = Q[static_cast<size_t>(k)];
        t.d.n = 0.013;
        // Peak flows for capacity, maximum velocity and fill; the mean for the rest.
        t.d.Q = {2.5 * q, 2.5 * q, q, 2.5 * q, q, q, 2.5 * q};
        t.d.Vmax = 5;
        t.d.Vmin = 0.3;
        t.d.yDmax = 80;
        t.d.gammaAgua = 1;
        t.d.gammaParticula = 2.65;
        t.d.dpMin = 0.5;
        t.d.Fmax = 3;
        t.d.Imin = 0.002;
        t.d.Imax = 0.15;
        t.d.yD10 = 50;
        t.d.Vmin10 = 0.6;
        t.activas = {true, true, true, true, true, false, true, true, true, true};
        r.tramos.push_back(t);
    }
    r.topologia = red::construirTopologia(r.modelo);
    return r;
}

} // namespace

int main() {
    const std::vector<Tubo> serie{{"DN 300", 0.3},  {"DN 400", 0.4},  {"DN 500", 0.5},
                                  {"DN 600", 0.6},  {"DN 800", 0.8},  {"DN 1000", 1.0},
                                  {"DN 1200", 1.2}, {"DN 1400", 1.4}, {"DN 1500", 1.5}};
    const Limites limites; // cover 1 m, depth 6 m
    for (int n : {1000, 10000}) {
        const Red r = generar(n, 2026);
        for (int hilos : {1, 2}) {
            using reloj = std::chrono::steady_clock;
            const auto t0 = reloj::now();
            double ventanas = 0;
            Progreso p;
            p.avance = [&](size_t hechos, size_t) {
                if (ventanas == 0 && hechos >= static_cast<size_t>(n))
                    ventanas = std::chrono::duration<double>(reloj::now() - t0).count();
            };
            const auto d = disenar(r.modelo, r.topologia, r.tramos, serie, limites, p, hilos);
            const double s = std::chrono::duration<double>(reloj::now() - t0).count();
            int sin = 0;
            for (const TramoDisenado& x : d->tramos)
                sin += !x.sinDiseno.empty();
            rusage uso{};
            getrusage(RUSAGE_SELF, &uso);
            std::printf("%5d tramos, %d hilo%s: %.2f s (ventanas %.2f s), coste %.1f m3, "
                        "%d sin diseño, %d resaltos, memoria máxima %.0f MB\n",
                        n, hilos, hilos == 1 ? " " : "s", s, ventanas, d->coste, sin, d->resaltos,
                        uso.ru_maxrss / 1024.0);
        }
    }
}
