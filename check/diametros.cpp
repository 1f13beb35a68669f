#include "check/diametros.h"

#include <algorithm>

namespace colvero {
namespace {

void quedarseConElMenor(std::optional<std::size_t>& menor, const std::vector<Tubo>& serie,
                        std::size_t candidato) {
    if (!menor || serie[candidato].diametro < serie[*menor].diametro) {
        menor = candidato;
    }
}

// The verdicts of the pipe at the case's slope.
ResultadoTubo enLaPendiente(const Entradas& d, const Activas& activas, const Tubo& tubo) {
    Entradas caso = d;
    caso.D = tubo.diametro;
    const Evaluacion e = evaluar(caso, activas);
    ResultadoTubo t{tubo, false, {}, e.fin, {}};
    for (int k = 1; k <= 10; ++k) {
        if (activas[k - 1] && e.condiciones[k - 1].veredicto != Veredicto::Cumple) {
            t.noCumplen.push_back(k);
        }
    }
    t.cumple = e.fin == FinEvaluacion::Completa && t.noCumplen.empty();
    return t;
}

} // namespace

ResultadoDiametros diametrosAdmisibles(const Entradas& d, const Activas& activas,
                                       const std::vector<Tubo>& serie, char separadorDecimal) {
    ResultadoDiametros r;
    for (std::size_t j = 0; j < serie.size(); ++j) {
        ResultadoTubo t = enLaPendiente(d, activas, serie[j]);
        Entradas caso = d;
        caso.D = serie[j].diametro;
        t.pendientes = pendientesAdmisibles(caso, activas, separadorDecimal);
        if (t.cumple) {
            quedarseConElMenor(r.menorQueCumple, serie, j);
        }
        if (t.pendientes.fin == FinPendientes::Realizado && !t.pendientes.intervalos.empty()) {
            quedarseConElMenor(r.menorConPendiente, serie, j);
        }
        r.tubos.push_back(std::move(t));
    }
    return r;
}

std::optional<std::size_t> menorQueCumple(const Entradas& d, const Activas& activas,
                                          const std::vector<Tubo>& serie) {
    std::vector<std::size_t> orden(serie.size());
    for (std::size_t j = 0; j < orden.size(); ++j) {
        orden[j] = j;
    }
    // On equal diameters the first of the series comes first.
    std::stable_sort(orden.begin(), orden.end(), [&serie](std::size_t a, std::size_t b) {
        return serie[a].diametro < serie[b].diametro;
    });
    for (const std::size_t j : orden) {
        if (enLaPendiente(d, activas, serie[j]).cumple) {
            return j;
        }
    }
    return std::nullopt;
}

} // namespace colvero
