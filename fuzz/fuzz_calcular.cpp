// Arbitrary field texts, flags and separator through Calcular. The first byte picks the
// separator, the next two hold the ten enable flags, and the rest is split at 0x00 bytes into
// the 22 numeric field texts (missing ones stay "0"). Checks that a run always ends in one of
// its three ways with texts consistent with that end, and that the numeric evaluation, whole
// or one condition at a time, agrees with the texts.
#include "check/calcular.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace colvero;

void exige(bool condicion) {
    if (!condicion) {
        std::abort();
    }
}

bool empiezaPor(const std::string& texto, std::string_view prefijo) {
    return texto.substr(0, prefijo.size()) == prefijo;
}

std::array<std::string*, 22> campos(Calculo& c) {
    Criterio& k = c.criterio;
    return {&c.colector.D, &c.colector.n, &c.colector.i,     &c.caudal[0], &c.caudal[1],
            &k.Vmax,       &c.caudal[2],  &k.Vmin,           &c.caudal[3], &k.yDmax,
            &c.caudal[4],  &k.gammaAgua,  &k.gammaParticula, &k.dpMin,     &c.caudal[5],
            &k.Fmin,       &c.caudal[6],  &k.Fmax,           &k.Imin,      &k.Imax,
            &k.yD10,       &k.Vmin10};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    if (tamano < 3) {
        return 0;
    }
    const char sep = (datos[0] & 1) ? ',' : '.';
    const unsigned banderas = datos[1] | (datos[2] << 8);
    Calculo c;
    for (int k = 0; k < 10; ++k) {
        c.criterio.activa[k] = (banderas >> k) & 1;
    }
    std::string_view resto(reinterpret_cast<const char*>(datos) + 3, tamano - 3);
    for (std::string* campo : campos(c)) {
        if (resto.empty()) {
            break;
        }
        const std::size_t fin = resto.find('\0');
        *campo = std::string(resto.substr(0, fin));
        resto = fin == std::string_view::npos ? std::string_view() : resto.substr(fin + 1);
    }

    ValoresGuardados guardados;
    const ResultadoCalculo r = calcular(c, guardados, sep);
    const CamposCalculados sinCalcular;
    switch (r.fin) {
    case FinCalculo::ColectorInvalido:
        exige(r.notaCalC == "-" && r.notaCol != "-");
        exige(r.campos == sinCalcular);
        for (const std::string& nota : r.notas) {
            exige(nota == "-");
        }
        exige(guardados == ValoresGuardados{});
        break;
    case FinCalculo::Error:
        exige(r.notaCalC == kDatosErroneos && r.notaCol == "-");
        exige(r.campos == sinCalcular);
        break;
    case FinCalculo::Realizado:
        exige(r.notaCalC == kRealizado && r.notaCol == "-");
        exige(r.habilitaInforme());
        for (int k = 0; k < 10; ++k) {
            const std::string prefijo = "(" + std::to_string(k + 1) + ")";
            if (c.criterio.activa[k]) {
                exige(empiezaPor(r.notas[k], prefijo));
            } else {
                exige(r.notas[k] == "-");
            }
        }
        // Slopes are shown whatever the flags; no field keeps the "-" of the start of the run.
        exige(!r.campos.Text62.empty() && !r.campos.Text61.empty());
        for (const std::string* t :
             {&r.campos.Text37, &r.campos.Text38, &r.campos.Text47, &r.campos.Text52,
              &r.campos.Text55, &r.campos.Text19, &r.campos.Text59, &r.campos.Text60,
              &r.campos.Text62, &r.campos.Text61, &r.campos.Text73}) {
            exige(*t != "-");
        }
        break;
    default:
        exige(false);
    }
    // A verdict, where written, is one of the forms of the program.
    for (const std::string& nota : r.notas) {
        exige(nota == "-" || nota.find("[SI]") != std::string::npos ||
              nota.find("[NO]") != std::string::npos || nota.find("[ERROR]") != std::string::npos);
    }
    // The outcome values say what the texts say; each condition alone decides the same.
    const std::optional<Entradas> d = convertirEntradas(c, sep);
    exige(d.has_value() == !r.campoErroneo.has_value());
    if (d) {
        const Evaluacion ev = evaluar(*d, c.criterio.activa);
        exige((ev.fin == FinEvaluacion::Completa) == (r.fin == FinCalculo::Realizado));
        exige((ev.fin == FinEvaluacion::ColectorInvalido) ==
              (r.fin == FinCalculo::ColectorInvalido));
        for (int k = 1; k <= 10; ++k) {
            const ResultadoCondicion& rc = ev.condiciones[k - 1];
            const std::string& nota = r.notas[k - 1];
            switch (rc.veredicto) {
            case Veredicto::NoEvaluada:
                exige(nota == "-");
                break;
            case Veredicto::Cumple:
                exige(nota.find("[SI]") != std::string::npos);
                break;
            case Veredicto::NoCumple:
            case Veredicto::CapacidadInsuficiente:
                exige(nota.find("[NO]") != std::string::npos);
                break;
            case Veredicto::ErrorDeDato:
                exige(nota.find("[ERROR]") != std::string::npos);
                break;
            }
            exige(!rc.dosCalados || (k >= 2 && k <= 7 && rc.veredicto != Veredicto::ErrorDeDato));
            if (ev.fin == FinEvaluacion::Completa && c.criterio.activa[k - 1]) {
                const ResultadoCondicion sola = evaluarCondicion(*d, k);
                exige(sola.veredicto == rc.veredicto && sola.dato == rc.dato);
            }
        }
    }

    // Two runs on the same data give the same texts.
    ValoresGuardados otra = guardados;
    const ResultadoCalculo r2 = calcular(c, otra, sep);
    exige(r2.fin == r.fin && r2.notas == r.notas && r2.campos == r.campos);
    return 0;
}
