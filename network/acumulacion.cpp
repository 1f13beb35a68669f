#include "network/acumulacion.h"

#include <algorithm>
#include <cmath>

namespace colvero::red {

const char* nombreCaudal(TipoCaudal tipo) {
    switch (tipo) {
    case TipoCaudal::Calculo:
        return "Caudal de cálculo";
    case TipoCaudal::Punta:
        return "Caudal punta";
    case TipoCaudal::Minimo:
        return "Caudal mínimo";
    case TipoCaudal::Medio:
        return "Caudal medio";
    case TipoCaudal::Maximo:
        return "Caudal máximo";
    }
    return "";
}

const char* claveCaudal(TipoCaudal tipo) {
    switch (tipo) {
    case TipoCaudal::Calculo:
        return "calculo";
    case TipoCaudal::Punta:
        return "punta";
    case TipoCaudal::Minimo:
        return "minimo";
    case TipoCaudal::Medio:
        return "medio";
    case TipoCaudal::Maximo:
        return "maximo";
    }
    return "";
}

double CaudalesHipotesis::de(TipoCaudal tipo) const {
    switch (tipo) {
    case TipoCaudal::Calculo:
        return Qc;
    case TipoCaudal::Punta:
        return Qp;
    case TipoCaudal::Minimo:
        return Qmin;
    case TipoCaudal::Medio:
        return Qm;
    case TipoCaudal::Maximo:
        return Qmax;
    }
    return 0;
}

CaudalesHipotesis caudalesDe(double Qa, double Qs, const Hipotesis& h) {
    CaudalesHipotesis q;
    q.Qm = std::max(Qa, h.caudalMinimo);
    // With no mean flow the power is infinite and the clamp takes over; b = 0 is a constant
    // factor, kept clear of 0·∞.
    const double cp = h.b == 0 ? h.a : h.a + h.b * std::pow(q.Qm * 1000.0, -h.c);
    q.Cp = std::min(std::max(cp, h.cpMinimo), h.cpMaximo);
    q.Qp = q.Cp * q.Qm;
    q.Qmin = std::max(h.factorMinimo * q.Qm, h.caudalMinimo);
    q.Qmax = q.Qp + Qs;
    q.Qc = q.Qmax;
    return q;
}

std::optional<std::vector<Acumulado>> acumular(const ModeloRed& m, const Topologia& t,
                                               const Hipotesis& h, std::string& error) {
    if (t.hay(Gravedad::ConCargas)) {
        error.clear();
        for (const ProblemaTopologia& p : t.problemas) {
            if (p.gravedad != Gravedad::Aviso)
                error += (error.empty() ? "" : "; ") + p.mensaje;
        }
        return std::nullopt;
    }
    const size_t nn = m.nodos.size();
    std::vector<Acumulado> nodo(nn);
    std::vector<int> grado(nn, 0);
    for (size_t v = 0; v < nn; ++v) {
        nodo[v] = {m.nodos[v].caudalMedio, m.nodos[v].caudalPluvial};
        if (const int l = t.sigue[v]; l >= 0)
            ++grado[static_cast<size_t>(t.extremos[static_cast<size_t>(l)].hasta)];
    }
    std::vector<int> cola;
    cola.reserve(nn);
    for (size_t v = 0; v < nn; ++v) {
        if (grado[v] == 0)
            cola.push_back(static_cast<int>(v));
    }
    std::vector<Acumulado> enlace(m.enlaces.size());
    for (size_t k = 0; k < cola.size(); ++k) {
        const auto v = static_cast<size_t>(cola[k]);
        const int l = t.sigue[v];
        if (l < 0)
            continue;
        const Enlace& e = m.enlaces[static_cast<size_t>(l)];
        Acumulado& a = enlace[static_cast<size_t>(l)];
        a = nodo[v];
        if (e.esConducto())
            a.Qa += (e.caudalPorMetro + h.infiltracion) * e.longitud;
        const auto w = static_cast<size_t>(t.extremos[static_cast<size_t>(l)].hasta);
        nodo[w].Qa += a.Qa;
        nodo[w].Qs += a.Qs;
        if (--grado[w] == 0)
            cola.push_back(static_cast<int>(w));
    }
    return enlace;
}

} // namespace colvero::red
