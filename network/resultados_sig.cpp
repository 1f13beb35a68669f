#include "network/resultados_sig.h"

#include "check/textos_pendientes.h"

#include <cmath>

namespace colvero::red {

namespace {

// The word of each class of claseDeVeredicto in a verdict line; "-" where not evaluated.
constexpr std::array<const char*, 4> kVeredictos{"[SI]", "[NO]", "[ERROR]", "-"};

gis::Valor real(double x) {
    return std::isfinite(x) ? gis::Valor(x) : gis::Valor();
}

gis::Valor texto(const std::optional<std::string>& s) {
    return s ? gis::Valor(*s) : gis::Valor();
}

} // namespace

ResultadosSig::ResultadosSig(const RedGrafo& g, const OpcionesRed& o)
    : grafo_(g), sep_(o.sep), conPendientes_(o.pendientes),
      conSerie_(o.conSerie || g.cabecera.columna(ColumnaRed::Serie) >= 0),
      registros_(g.tramos.size()) {
    for (const TramoGrafo& t : g.tramos)
        for (std::size_t k = 0; k < 6; ++k)
            conCaudal_[k] = conCaudal_[k] || t.Q[k + 1].has_value();
    for (Registro& r : registros_) {
        r.yD.fill(std::nan(""));
        r.v.fill(std::nan(""));
    }
}

void ResultadosSig::anotar(std::size_t enlace, const Trabajo& t) {
    Registro& r = registros_.at(enlace);
    r = Registro{};
    r.estado = !t.error.empty()                          ? t.error
               : !t.omitido.empty()                      ? t.omitido
               : t.r.fin == FinCalculo::ColectorInvalido ? t.r.notaCol
                                                         : t.r.notaCalC;
    // comprobarTrabajo leaves NaN where the engine did not run.
    r.yD = t.yD;
    r.v = t.v;
    if (!t.error.empty() || !t.omitido.empty())
        return;
    r.cumple = t.codigo == 0 ? 1 : t.codigo == 1 ? 0 : -1;
    for (std::size_t k = 0; k < 10; ++k)
        r.clase[k] = static_cast<std::int8_t>(claseDeVeredicto(t.r.condiciones[k].veredicto));
    if (conPendientes_ && t.pendientes) {
        std::string celda;
        anadirCeldaPendientes(celda, *t.pendientes, sep_, true);
        r.pendientes = std::move(celda);
    }
    r.menor = t.menor;
}

std::vector<gis::CampoResultado> ResultadosSig::campos() const {
    const std::size_t n = registros_.size();
    std::vector<gis::CampoResultado> c;
    const auto campo = [&](std::string nombre, gis::TipoCampo tipo, auto valor) {
        gis::CampoResultado f{std::move(nombre), tipo, {}};
        f.valores.reserve(n);
        for (const Registro& r : registros_)
            f.valores.push_back(valor(r));
        c.push_back(std::move(f));
    };
    campo("cumple", gis::TipoCampo::Entero, [](const Registro& r) {
        return r.cumple < 0 ? gis::Valor() : gis::Valor(std::int64_t{r.cumple});
    });
    campo("estado", gis::TipoCampo::Texto,
          [](const Registro& r) { return r.estado.empty() ? gis::Valor() : gis::Valor(r.estado); });
    for (std::size_t k = 0; k < 10; ++k)
        campo("c" + std::to_string(k + 1), gis::TipoCampo::Texto, [k](const Registro& r) {
            return r.clase[k] < 0
                       ? gis::Valor()
                       : gis::Valor(std::string(kVeredictos[static_cast<std::size_t>(r.clase[k])]));
        });
    if (conPendientes_)
        campo("pendientes", gis::TipoCampo::Texto,
              [](const Registro& r) { return texto(r.pendientes); });
    if (conSerie_)
        campo("menor_tubo", gis::TipoCampo::Texto,
              [](const Registro& r) { return texto(r.menor); });
    for (std::size_t k = 0; k < 6; ++k) {
        if (!conCaudal_[k])
            continue;
        const std::string cond = std::to_string(k + 2);
        campo("yD_" + cond, gis::TipoCampo::Real, [k](const Registro& r) { return real(r.yD[k]); });
        campo("v_" + cond, gis::TipoCampo::Real, [k](const Registro& r) { return real(r.v[k]); });
    }
    return c;
}

void ResultadosSig::escribir(const QByteArray& ruta,
                             const std::vector<QByteArray>& entradas) const {
    gis::escribirRedSig(ruta, grafo_.modelo, grafo_.crsWkt, campos(), entradas);
}

} // namespace colvero::red
