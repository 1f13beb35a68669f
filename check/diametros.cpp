#include "check/diametros.h"

namespace colvero {
namespace {

void quedarseConElMenor(std::optional<std::size_t>& menor, const std::vector<Tubo>& serie,
                        std::size_t candidato) {
    if (!menor || serie[candidato].diametro < serie[*menor].diametro) {
        menor = candidato;
    }
}

} // namespace

ResultadoDiametros diametrosAdmisibles(const Entradas& d, const Activas& activas,
                                       const std::vector<Tubo>& serie, char separadorDecimal) {
    ResultadoDiametros r;
    for (std::size_t j = 0; j < serie.size(); ++j) {
        Entradas caso = d;
        caso.D = serie[j].diametro;
        const Evaluacion e = evaluar(caso, activas);
        ResultadoTubo t{serie[j], false, {}, e.fin, {}};
        for (int k = 1; k <= 10; ++k) {
            if (activas[k - 1] && e.condiciones[k - 1].veredicto != Veredicto::Cumple) {
                t.noCumplen.push_back(k);
            }
        }
        t.cumple = e.fin == FinEvaluacion::Completa && t.noCumplen.empty();
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

} // namespace colvero
