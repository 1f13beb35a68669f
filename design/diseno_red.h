#pragma once
// The design of a network's pipes: for every conduit of its trees, a pipe of a series and its
// two inverts on the 1 cm grid such that every enabled condition passes at the reach's slope
// (the engine's own verdicts) and the cover, depth, junction and diameter limits hold, with the
// least excavation.
#include "check/evaluacion.h"
#include "check/serie_diametros.h"
#include "network/modelo_red.h"
#include "network/topologia.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace colvero::diseno {

struct Limites {
    double recubrimiento = 1.0;     // minimum cover over the crown at both ends of a reach, m
    double profundidadMaxima = 6.0; // maximum depth from ground to invert at a node, m
    double resaltoMinimo = 0.0;     // outgoing invert at least this below the lowest incoming, m
    bool alinearClaves = false;     // outgoing crown not above the lowest incoming crown
    double sobreancho = 0.3;        // trench side allowance b, m
    double cama = 0.10;             // bedding c, m
    std::vector<std::pair<std::string, double>> fijas; // node id, fixed invert (m)
};

// One conduit to design, prepared by the caller (PreparadorRed): the engine inputs of its
// criterion, n and flows (D and i are replaced by the design), the enabled conditions.
struct TramoADisenar {
    std::size_t enlace = 0; // index of the conduit in the model
    Entradas d{};
    Activas activas{};
    std::string error; // not designable and why (Spanish, names the reach); the rest still is
};

struct TramoDisenado {
    std::size_t enlace = 0;
    std::string sinDiseno; // empty when designed; else why, in Spanish, naming reach/node
    std::size_t tubo = 0;  // index in the series
    long long cotaInicio = 0, cotaFin = 0; // inverts, cm
    // m/m: red::pendienteDe(cotaInicio / 100.0, cotaFin / 100.0, L, medida), the slope the
    // engine passed.
    double i = 0;
    // Ground − invert and ground − crown, m. NaN at an end node without ground where no
    // conduit leaves (an outfall, a weir, a pump): that end has no cover or depth limit.
    double profundidadInicio = 0, profundidadFin = 0;
    double recubrimientoInicio = 0, recubrimientoFin = 0;
    // Drop at its upstream manhole: the highest incoming invert − its own, m (0 at a head).
    double resalto = 0;
    // L·(D + 2b)·(mean depth to invert + c), m3; the mean depth is the upstream end's where
    // the end node has no ground.
    double coste = 0;
};

struct Diseno {
    std::vector<TramoDisenado> tramos;              // one per TramoADisenar, same order
    std::vector<std::optional<long long>> cotaNodo; // by node: lowest designed invert there, cm
    double coste = 0;                               // sum over designed reaches, m3
    int resaltos = 0;                               // manholes with a drop > 0
    int pozosDeResalto = 0;                         // manholes with a drop > 0.50 m
    bool completo() const;                          // every reach designed
};

struct Progreso { // optional; called from the calling thread only
    std::function<void(std::size_t hechos, std::size_t total)> avance;
    const std::atomic<bool>* cancelar = nullptr;
};

// The limits at one reach end, inverts in cm: the tests check a design with these very
// functions, so the grid's bounds and the checks agree to the bit. Both allow 1e-9 m, so that
// the rounding of z/100 never loses a level that meets the limit exactly.
bool cumpleRecubrimiento(double terreno, long long cota, double D, double recubrimiento);
bool cumpleProfundidad(double terreno, long long cota, double profundidadMaxima);
// The least whole number of cm at or above `metros` (less 1e-6 cm): the drop an outgoing
// invert needs below an incoming one for a minimum drop, or for crown alignment
// (desnivelMinimo(Dsale − Dentra)).
long long desnivelMinimo(double metros);
// A fixed invert on the grid: the nearest cm.
long long centimetros(double metros);

// Refuses limits that make no sense (negative cover, depth ≤ 0, unknown fixed node...):
// the Spanish message, or nothing.
std::optional<std::string> errorDeLimites(const red::ModeloRed& m, const Limites& l);

// Designs every conduit of `tramos` on `hilos` threads (the calling one included). Throws
// nothing on infeasible reaches: they carry `sinDiseno`, the rest of the network is designed as
// far as possible. Cancelled: returns nothing.
std::optional<Diseno> disenar(const red::ModeloRed& m, const red::Topologia& t,
                              const std::vector<TramoADisenar>& tramos,
                              const std::vector<Tubo>& serie, const Limites& l,
                              const Progreso& progreso = {}, int hilos = 1);

} // namespace colvero::diseno
