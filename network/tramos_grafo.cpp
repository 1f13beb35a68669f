#include "network/tramos_grafo.h"

#include <cmath>

namespace colvero::red {

const char* textoOrigen(OrigenCaudales origen) {
    switch (origen) {
    case OrigenCaudales::Tabla:
        return "tabla";
    case OrigenCaudales::Informe:
        return "informe";
    case OrigenCaudales::Acumulado:
        return "acumulado";
    }
    return "";
}

std::optional<std::vector<TramoGrafo>> tramosDeModelo(const ModeloRed& m, const Topologia& t,
                                                      const InformeSwmm* informe,
                                                      const Hipotesis* hipotesis,
                                                      std::string& error) {
    if (t.hay(Gravedad::Modelo)) {
        error.clear();
        for (const ProblemaTopologia& p : t.problemas) {
            if (p.gravedad == Gravedad::Modelo)
                error += (error.empty() ? "" : "; ") + p.mensaje;
        }
        return std::nullopt;
    }
    std::optional<std::vector<Acumulado>> acumulado;
    if (hipotesis) {
        acumulado = acumular(m, t, *hipotesis, error);
        if (!acumulado)
            return std::nullopt;
    }
    std::vector<TramoGrafo> tramos(m.enlaces.size());
    for (size_t k = 0; k < m.enlaces.size(); ++k) {
        const Enlace& e = m.enlaces[k];
        TramoGrafo& r = tramos[k];
        r.enlace = k;
        r.tramo = e.id;
        r.desde = e.desde;
        r.hasta = e.hasta;
        r.longitud = e.longitud;
        r.cotaInicio = e.cotaInicio;
        r.cotaFin = e.cotaFin;
        r.D = e.D;
        r.n = e.n;
        r.i = t.pendiente[k];
        r.barriles = e.barriles;
        r.omitido = motivoOmision(e);
        if (!r.omitido.empty())
            continue;
        if (e.forma.empty()) {
            r.error = "el conducto no tiene sección transversal";
            continue;
        }
        r.error = t.errorTramo[k];
        const FlujoInforme* flujo = nullptr;
        if (informe) {
            const auto it = informe->enlaces.find(e.id);
            if (it != informe->enlaces.end())
                flujo = &it->second;
        }
        bool faltaEnInforme = false;
        for (size_t c = 0; c < 7; ++c) {
            std::optional<double> q;
            if (e.caudales[c]) {
                q = e.caudales[c];
                r.origenQ[c] = OrigenCaudales::Tabla;
            } else if (informe) {
                faltaEnInforme = !flujo;
                if (flujo)
                    q = flujo->caudal;
                r.origenQ[c] = OrigenCaudales::Informe;
            } else if (acumulado) {
                const Acumulado& a = (*acumulado)[k];
                q = caudalesDe(a.Qa, a.Qs, *hipotesis).de(hipotesis->condicion[c]);
                r.acumulado = a;
                r.denominacion[c] = nombreCaudal(hipotesis->condicion[c]);
                r.origenQ[c] = OrigenCaudales::Acumulado;
            }
            if (q)
                r.Q[c] = *q / r.barriles;
            if (static_cast<int>(r.origenQ[c]) > static_cast<int>(r.origen))
                r.origen = r.origenQ[c];
        }
        if (faltaEnInforme && r.error.empty())
            r.error = "el informe no da el caudal máximo del conducto";
    }
    return tramos;
}

} // namespace colvero::red
