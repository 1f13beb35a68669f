#include "profile/perfil.h"

#include "check/calcular.h"
#include "hydraulics/aritmetica.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace colvero::perfil {

double NodoPerfil::salto() const {
    return soleraEntrada && soleraSalida ? *soleraEntrada - *soleraSalida : 0.0;
}

std::optional<double> TramoPerfil::lamina(const std::optional<NormalPerfil>& normal,
                                          bool alFinal) const {
    const std::optional<double>& solera = alFinal ? cotaFin : cotaInicio;
    if (!normal || !solera)
        return std::nullopt;
    return *solera + normal->y;
}

std::optional<NormalPerfil> flujoNormalDe(double Q, double D, double n, double i) {
    if (!(Q > 0))
        return std::nullopt;
    try {
        double qmax = 0, vmax = 0, ymax = 0;
        hidraulica::Qmax(qmax, vmax, ymax, D, n, i);
        if (Q > qmax)
            return std::nullopt;
        hidraulica::EstadoFlujo e;
        e.Q = Q;
        e.D = D;
        e.n = n;
        e.i = i;
        hidraulica::TEO4(e);
        return NormalPerfil{Q, e.y, e.yD, e.v};
    } catch (const hidraulica::ErrorAritmetico&) {
        return std::nullopt;
    }
}

namespace {

// "(2)  [NO]  V2 > Vmax" → "(2) V2 > Vmax": the verdict line without its bracketed word.
std::string lineaCorta(int k, const ResultadoCondicion& c) {
    const std::string linea = lineaVeredicto(k, c);
    const std::size_t cierre = linea.find("]  ");
    const std::size_t numero = linea.find(')');
    if (cierre == std::string::npos || numero == std::string::npos)
        return linea;
    return linea.substr(0, numero + 1) + " " + linea.substr(cierre + 3);
}

void veredicto(TramoPerfil& r, const red::Trabajo& t) {
    if (!t.error.empty() || !t.omitido.empty()) {
        r.motivo = !t.error.empty() ? t.error : t.omitido;
        // A row error names its reach, which the profile shows beside it already.
        const std::string prefijo = "tramo «" + r.datos.tramo + "»: ";
        if (r.motivo.starts_with(prefijo))
            r.motivo.erase(0, prefijo.size());
        return;
    }
    if (t.r.fin == FinCalculo::ColectorInvalido) {
        r.motivo = t.r.notaCol;
        return;
    }
    if (t.r.fin == FinCalculo::Error) {
        r.motivo = t.r.notaCalC;
        return;
    }
    for (int k = 1; k <= 10; ++k) {
        const int clase =
            red::claseDeVeredicto(t.r.condiciones[static_cast<size_t>(k - 1)].veredicto);
        if (clase == 1)
            r.fallos.push_back(lineaCorta(k, t.r.condiciones[static_cast<size_t>(k - 1)]));
        else if (clase == 2)
            r.motivo += (r.motivo.empty() ? "" : "; ") +
                        lineaVeredicto(k, t.r.condiciones[static_cast<size_t>(k - 1)]);
    }
    r.clase = t.codigo == 0   ? ClasePerfil::Cumple
              : t.codigo == 1 ? ClasePerfil::NoCumple
                              : ClasePerfil::SinComprobar;
}

} // namespace

Perfil perfilDe(const red::RedGrafo& g, const Trayecto& tr,
                const std::vector<red::Trabajo>& trabajos) {
    if (trabajos.size() != tr.enlaces.size())
        throw std::invalid_argument("perfilDe: un Trabajo por tramo del trayecto");
    Perfil p;
    double distancia = 0;
    for (std::size_t k = 0; k < tr.nodos.size(); ++k) {
        const red::Nodo& n = g.modelo.nodos[static_cast<std::size_t>(tr.nodos[k])];
        NodoPerfil x;
        x.nombre = n.id;
        x.cotaTerreno = n.cotaTerreno;
        if (k > 0) {
            const red::Enlace& e = g.modelo.enlaces[static_cast<std::size_t>(tr.enlaces[k - 1])];
            distancia += e.esConducto() ? e.longitud : 0.0;
            if (e.esConducto())
                x.soleraEntrada = e.cotaFin;
        }
        x.distancia = distancia;
        if (k < tr.enlaces.size()) {
            const red::Enlace& e = g.modelo.enlaces[static_cast<std::size_t>(tr.enlaces[k])];
            if (e.esConducto())
                x.soleraSalida = e.cotaInicio;
        }
        x.soleraMinima = std::min({n.cotaSolera, x.soleraEntrada.value_or(n.cotaSolera),
                                   x.soleraSalida.value_or(n.cotaSolera)});
        if (n.cotaTerreno)
            x.profundidad = *n.cotaTerreno - x.soleraMinima;
        p.nodos.push_back(std::move(x));
    }
    for (std::size_t k = 0; k < tr.enlaces.size(); ++k) {
        const std::size_t enlace = static_cast<std::size_t>(tr.enlaces[k]);
        const red::Enlace& e = g.modelo.enlaces[enlace];
        const red::TramoGrafo& tg = g.tramos[enlace];
        const red::Trabajo& t = trabajos[k];
        TramoPerfil r;
        r.datos = tg;
        r.inicio = p.nodos[k].distancia;
        r.fin = p.nodos[k + 1].distancia;
        if (e.esConducto()) {
            r.cotaInicio = e.cotaInicio;
            r.cotaFin = e.cotaFin;
            r.longitud = e.longitud;
        }
        veredicto(r, t);
        // The engine's own inputs where it ran, so that the depths are those of its verdicts.
        const bool motor =
            t.error.empty() && t.omitido.empty() && t.r.fin != FinCalculo::ColectorInvalido;
        if (motor) {
            r.Q1 = t.d.Q[0];
            r.Q3 = t.d.Q[2];
            r.normal1 = flujoNormalDe(t.d.Q[0], t.d.D, t.d.n, t.d.i);
            r.normal3 = flujoNormalDe(t.d.Q[2], t.d.D, t.d.n, t.d.i);
        } else {
            r.Q1 = tg.Q[0];
            r.Q3 = tg.Q[2];
        }
        p.tramos.push_back(std::move(r));
    }
    return p;
}

std::vector<red::Trabajo> comprobarTrayecto(const red::RedGrafo& g, const Trayecto& tr,
                                            const QByteArray& rutaFuente,
                                            const red::CriterioListo& criterio,
                                            const red::OpcionesRed& opciones) {
    red::OpcionesRed o = opciones;
    o.pendientes = false;
    o.csv = false;
    o.conSerie = false;
    o.salida.clear();
    red::PreparadorRed preparador(g.cabecera, rutaFuente, criterio, nullptr, o);
    std::vector<red::Trabajo> trabajos(tr.enlaces.size());
    for (std::size_t k = 0; k < tr.enlaces.size(); ++k) {
        const std::size_t enlace = static_cast<std::size_t>(tr.enlaces[k]);
        red::Trabajo& t = trabajos[k];
        t.fila = g.fila(enlace);
        preparador.preparar(t, g.tramos[enlace]);
        red::comprobarTrabajo(t, o, g.cabecera.dialecto);
    }
    return trabajos;
}

} // namespace colvero::perfil
