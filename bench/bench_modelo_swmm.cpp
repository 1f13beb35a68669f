// A SWMM model of a 100 000-conduit tree: reading it from disk, its topology and the flows
// accumulated from its loads, apart and together. Goal: the three under 1 s.
//
//   bench_modelo_swmm [--escribir MODELO.inp] [opciones de Google Benchmark]
// --escribir leaves the generated model in a file and ends.
#include "files/modelo_swmm.h"
#include "network/acumulacion.h"
#include "network/topologia.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace colvero;

constexpr int kConductos = 100000;

// Node 0 is the outfall; node k > 0 drains through conduit Ck to a node below k, mostly k − 1,
// every third node to one up to 50 places further down: long chains with many branches, as
// a sewer network has. Inverts rise 0.2 to 0.7 m per reach from the outfall up.
std::string generarArbol(int conductos) {
    std::vector<int> padre(static_cast<size_t>(conductos) + 1, -1);
    std::vector<double> cota(static_cast<size_t>(conductos) + 1, 100.0);
    std::string j = "[JUNCTIONS]\n;;Name\tElevation\tMaxDepth\tInitDepth\tSurDepth\tAponded\n";
    std::string c = "[CONDUITS]\n;;Name\tFrom\tTo\tLength\tRoughness\tInOffset\tOutOffset\n";
    std::string x = "[XSECTIONS]\n";
    std::string d = "[DWF]\n";
    std::string p = "[COORDINATES]\n";
    char linea[256];
    for (int k = 1; k <= conductos; ++k) {
        const int salto = k >= 50 && k % 3 == 0 ? static_cast<int>((k * 7919L) % 50) : 0;
        const int a = k - 1 - salto;
        padre[static_cast<size_t>(k)] = a;
        cota[static_cast<size_t>(k)] = cota[static_cast<size_t>(a)] + 0.2 + (k % 11) * 0.05;
        std::snprintf(linea, sizeof linea, "J%d\t%.3f\t3\t0\t0\t0\n", k,
                      cota[static_cast<size_t>(k)]);
        j += linea;
        std::snprintf(linea, sizeof linea, "C%d\tJ%d\t%s%d\t%d\t0.013\t0\t0\t0\t0\n", k, k,
                      a == 0 ? "S" : "J", a, 40 + k % 30);
        c += linea;
        std::snprintf(linea, sizeof linea, "C%d\tCIRCULAR\t%.2f\t0\t0\t0\t1\n", k,
                      0.3 + (k % 5) * 0.1);
        x += linea;
        std::snprintf(linea, sizeof linea, "J%d\tFLOW\t0.%03d\n", k, 1 + k % 200);
        d += linea;
        std::snprintf(linea, sizeof linea, "J%d\t%d.5\t%d.25\n", k, k % 1000 * 10, k / 1000 * 10);
        p += linea;
    }
    return "[TITLE]\nÁrbol de " + std::to_string(conductos) +
           " conductos\n\n[OPTIONS]\nFLOW_UNITS\tLPS\nLINK_OFFSETS\tDEPTH\n\n" + j +
           "\n[OUTFALLS]\nS0\t99\tFREE\tNO\n\n" + c + "\n" + x + "\n" + d + "\n" + p;
}

const std::string& rutaModelo() {
    static const std::string ruta = [] {
        char plantilla[] = "/tmp/bench_modelo_swmm.XXXXXX";
        const int fd = ::mkstemp(plantilla);
        ::close(fd);
        std::ofstream(plantilla, std::ios::binary) << generarArbol(kConductos);
        return std::string(plantilla);
    }();
    return ruta;
}

void BM_Leer(benchmark::State& state) {
    const QByteArray ruta = QByteArray::fromStdString(rutaModelo());
    for (auto _ : state)
        benchmark::DoNotOptimize(leerModeloSwmm(ruta));
}
BENCHMARK(BM_Leer)->Unit(benchmark::kMillisecond);

void BM_Topologia(benchmark::State& state) {
    const ModeloSwmm m = leerModeloSwmm(QByteArray::fromStdString(rutaModelo()));
    for (auto _ : state)
        benchmark::DoNotOptimize(red::construirTopologia(m.red));
}
BENCHMARK(BM_Topologia)->Unit(benchmark::kMillisecond);

void BM_Acumular(benchmark::State& state) {
    const ModeloSwmm m = leerModeloSwmm(QByteArray::fromStdString(rutaModelo()));
    const red::Topologia t = red::construirTopologia(m.red);
    std::string error;
    for (auto _ : state)
        benchmark::DoNotOptimize(red::acumular(m.red, t, red::Hipotesis{}, error));
}
BENCHMARK(BM_Acumular)->Unit(benchmark::kMillisecond);

void BM_LeerTopologiaYAcumular(benchmark::State& state) {
    const QByteArray ruta = QByteArray::fromStdString(rutaModelo());
    for (auto _ : state) {
        const ModeloSwmm m = leerModeloSwmm(ruta);
        const red::Topologia t = red::construirTopologia(m.red);
        std::string error;
        const auto a = red::acumular(m.red, t, red::Hipotesis{}, error);
        if (!a || !t.problemas.empty() || m.red.enlaces.size() != kConductos)
            state.SkipWithError("el árbol generado no es un árbol");
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_LeerTopologiaYAcumular)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--escribir") == 0) {
        std::ofstream f(argv[2], std::ios::binary);
        f << generarArbol(kConductos);
        return f.good() ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    ::unlink(rutaModelo().c_str());
    benchmark::Shutdown();
    return 0;
}
