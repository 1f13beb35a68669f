#pragma once
// Design flows derived from loads: the mean and storm loads of the nodes, and the loads along
// the reaches, added up from the top of the network down, and the hypothesis that turns the
// accumulated flows into the flow of each of the seven conditions.
#include "network/modelo_red.h"
#include "network/topologia.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace colvero::red {

// The kinds of flow a condition can take.
enum class TipoCaudal { Calculo, Punta, Minimo, Medio, Maximo };

// «Caudal de cálculo», «Caudal punta»...: the flow name of a condition that takes the kind.
const char* nombreCaudal(TipoCaudal tipo);
// "calculo", "punta"...: the value of a `condicion_k` key.
const char* claveCaudal(TipoCaudal tipo);

struct Hipotesis {
    // Peak factor Cp = a + b·(Qm in l/s)^(−c), clamped to [cpMinimo, cpMaximo].
    double a = 1.15;
    double b = 2.575;
    double c = 0.25;
    double cpMinimo = 1.0;
    double cpMaximo = 4.0;
    double factorMinimo = 0.3;    // Qmin = max(factorMinimo·Qm, caudalMinimo)
    double caudalMinimo = 0.0015; // m3/s, the least mean flow of any reach
    double infiltracion = 0;      // m3/s per metre of pipe
    std::array<TipoCaudal, 7> condicion{TipoCaudal::Calculo, TipoCaudal::Punta, TipoCaudal::Minimo,
                                        TipoCaudal::Punta,   TipoCaudal::Medio, TipoCaudal::Medio,
                                        TipoCaudal::Maximo};
    bool operator==(const Hipotesis&) const = default;
};

// The flows of one reach, m3/s.
struct CaudalesHipotesis {
    double Qm = 0;   // mean
    double Cp = 0;   // peak factor
    double Qp = 0;   // peak
    double Qmin = 0; // minimum
    double Qmax = 0; // maximum
    double Qc = 0;   // design

    double de(TipoCaudal tipo) const;
};

// Qa, the accumulated mean flow, and Qs, the accumulated storm flow, of one reach, m3/s.
CaudalesHipotesis caudalesDe(double Qa, double Qs, const Hipotesis& h);

struct Acumulado {
    double Qa = 0; // m3/s
    double Qs = 0; // m3/s
};

// The accumulated flows of every link (by link index; links the flow does not follow carry
// nothing). Qa of a link is the mean load of its upstream node and of every node upstream,
// plus the along-the-reach load and infiltration of the link and every link upstream; the
// load of its downstream node belongs to the links below. Nothing, and `error` lists the
// problems, when the topology has any that stop a derivation from loads. Linear in the nodes
// and links; no recursion.
std::optional<std::vector<Acumulado>> acumular(const ModeloRed& m, const Topologia& t,
                                               const Hipotesis& h, std::string& error);

} // namespace colvero::red
