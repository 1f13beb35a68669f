#include "cli/pendientes.h"

#include "check/plausibilidad.h"
#include "check/textos_pendientes.h"
#include "cli/comprobacion.h"
#include "cli/escritura.h"
#include "files/archivos.h"
#include "files/lectura.h"
#include "hydraulics/aritmetica.h"

#include <QIODevice>
#include <algorithm>
#include <charconv>
#include <system_error>

namespace colvero::cli {
namespace {

// Reads the case and converts its inputs; on failure `c.error` says why.
std::optional<Entradas> leer(Consulta& c, const QByteArray& rutaNativa,
                             const std::optional<Criterio>& criterio, char separadorDecimal,
                             Activas& activas) {
    Calculo calculo;
    try {
        Leido<Calculo> leido = abrirCalculo(rutaNativa, separadorDecimal);
        calculo = std::move(leido.valor);
        c.sinEOF = leido.sinEOF;
    } catch (const ErrorArchivo& e) {
        c.error = e.what();
        return std::nullopt;
    }
    if (criterio) {
        calculo.criterio = *criterio;
    }
    activas = calculo.criterio.activa;
    c.pendiente = calculo.colector.i;
    c.diametro = calculo.colector.D;
    std::optional<Entradas> d = convertirEntradas(calculo, separadorDecimal, &c.campoErroneo);
    if (!d) {
        c.error = kDatosErroneos;
    }
    return d;
}

// Whether an enabled condition gives "[ERROR]": its inputs are out of range whatever the slope
// and the diameter. `d` must hold valid collector data but for the slope.
bool algunDatoErroneo(Entradas d, const Activas& activas) {
    d.i = kPendienteMinima;
    for (int k = 1; k <= 10; ++k) {
        if (!activas[k - 1]) {
            continue;
        }
        try {
            if (evaluarCondicion(d, k).veredicto == Veredicto::ErrorDeDato) {
                return true;
            }
        } catch (const hidraulica::ErrorAritmetico&) {
            // an error exit, not an input of the condition
        }
    }
    return false;
}

void anadirArchivo(const Consulta& c, std::string& d) {
    const QByteArray archivo = c.archivo.toUtf8();
    d.append(archivo.constData(), static_cast<size_t>(archivo.size()));
}

// The shortest text that reads back as `x`, with the given decimal separator.
std::string textoDouble(double x, char separadorDecimal) {
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, x);
    std::string t(b, r.ptr);
    std::replace(t.begin(), t.end(), '.', separadorDecimal);
    return t;
}

void anadirExtremoJson(const std::optional<ExtremoPendiente>& e, std::string& d) {
    if (!e) {
        d += "null";
        return;
    }
    // "%.17g" in the "C" locale, whatever the process locale is.
    char exacta[32];
    const auto r =
        std::to_chars(exacta, exacta + sizeof exacta, e->valor, std::chars_format::general, 17);
    d += "{\"valor\":";
    anadirCadenaJson(d, e->texto);
    d += ",\"exacta\":\"";
    d.append(exacta, r.ptr);
    d += e->incluido ? "\",\"incluida\":true" : "\",\"incluida\":false";
    d += ",\"condicion\":";
    d += std::to_string(e->condicion);
    d += '}';
}

void anadirIntervalosJson(const std::vector<IntervaloPendientes>& intervalos, std::string& d) {
    d += '[';
    for (size_t j = 0; j < intervalos.size(); ++j) {
        d += j == 0 ? "{\"minima\":" : ",{\"minima\":";
        anadirExtremoJson(intervalos[j].minima, d);
        d += ",\"maxima\":";
        anadirExtremoJson(intervalos[j].maxima, d);
        d += '}';
    }
    d += ']';
}

// Opens the summary; true when it is a file without answer, which is then complete.
bool abrirResumen(const Consulta& c, std::string& d) {
    d += "Archivo: ";
    anadirArchivo(c, d);
    d += '\n';
    if (!c.error) {
        return false;
    }
    d += "Error: ";
    anadirTexto(d, *c.error);
    if (c.campoErroneo) {
        d += " («";
        d += nombreCampo(*c.campoErroneo);
        d += "» no es un número)";
    }
    d += '\n';
    return true;
}

const std::string& nombreDe(const Consulta& c, std::size_t j) {
    return c.diametros.tubos[j].tubo.nombre;
}

} // namespace

Consulta consultarPendientes(const QByteArray& rutaNativa, const std::optional<Criterio>& criterio,
                             char separadorDecimal) {
    Consulta c;
    c.archivo = nombreVisible(rutaNativa);
    Activas activas{};
    const std::optional<Entradas> d = leer(c, rutaNativa, criterio, separadorDecimal, activas);
    if (!d) {
        return c;
    }
    c.diametroEnMilimetros = pareceMilimetros(d->D);
    c.pendientes = pendientesAdmisibles(*d, activas, separadorDecimal);
    if (c.pendientes.fin != FinPendientes::Realizado) {
        c.error = c.pendientes.motivo; // the collector message, or the error exit's
    } else if (c.pendientes.intervalos.empty()) {
        c.datoErroneo = algunDatoErroneo(*d, activas);
    }
    return c;
}

Consulta consultarDiametros(const QByteArray& rutaNativa, const std::optional<Criterio>& criterio,
                            const std::vector<Tubo>& serie, char separadorDecimal) {
    Consulta c;
    c.archivo = nombreVisible(rutaNativa);
    Activas activas{};
    const std::optional<Entradas> d = leer(c, rutaNativa, criterio, separadorDecimal, activas);
    if (!d) {
        return c;
    }
    // The case's n and slope hold for every pipe; its own diameter is not used.
    Entradas prueba = *d;
    prueba.D = serie.front().diametro;
    if (const ColectorInvalido motivo = validarColector(prueba);
        motivo != ColectorInvalido::Ninguno) {
        c.error = mensajeColector(motivo);
        return c;
    }
    c.diametros = diametrosAdmisibles(*d, activas, serie, separadorDecimal);
    for (const ResultadoTubo& t : c.diametros.tubos) {
        // A pipe whose run ends at the error exit has no answer: neither has the file.
        if (t.fin != FinEvaluacion::Completa || t.pendientes.fin != FinPendientes::Realizado) {
            c.error = t.fin == FinEvaluacion::ColectorInvalido ||
                              t.pendientes.fin == FinPendientes::ColectorInvalido
                          ? t.pendientes.motivo
                          : std::string(kDatosErroneos);
            return c;
        }
    }
    if (!c.diametros.menorQueCumple) {
        c.datoErroneo = algunDatoErroneo(prueba, activas);
    }
    return c;
}

int codigoDePendientes(const Consulta& c) {
    if (c.error || c.datoErroneo) {
        return 2;
    }
    return c.pendientes.intervalos.empty() ? 1 : 0;
}

int codigoDeDiametros(const Consulta& c) {
    if (c.error || c.datoErroneo) {
        return 2;
    }
    return c.diametros.menorQueCumple ? 0 : 1;
}

void anadirJsonPendientes(const Consulta& c, std::string& d) {
    if (abrirJsonDeArchivo(d, c.archivo, c.error)) {
        return;
    }
    d += ",\"intervalos\":";
    anadirIntervalosJson(c.pendientes.intervalos, d);
    d += ",\"motivo\":";
    if (c.pendientes.intervalos.empty()) {
        anadirCadenaJson(d, c.pendientes.motivo);
    } else {
        d += "null";
    }
    d += '}';
}

void anadirResumenPendientes(const Consulta& c, char separadorDecimal, std::string& d) {
    if (abrirResumen(c, d)) {
        return;
    }
    anadirTexto(d, textoPendientesCompleto(c.pendientes, separadorDecimal));
    d += '\n';
}

void anadirJsonDiametros(const Consulta& c, std::string& d) {
    if (abrirJsonDeArchivo(d, c.archivo, c.error)) {
        return;
    }
    const ResultadoDiametros& r = c.diametros;
    d += ",\"pendiente\":";
    anadirCadenaJson(d, c.pendiente);
    d += ",\"diametros\":[";
    for (size_t j = 0; j < r.tubos.size(); ++j) {
        const ResultadoTubo& t = r.tubos[j];
        d += j == 0 ? "{\"nombre\":" : ",{\"nombre\":";
        anadirCadenaJson(d, t.tubo.nombre);
        d += ",\"diametro\":";
        d += textoDouble(t.tubo.diametro, '.');
        d += t.cumple ? ",\"cumple\":true" : ",\"cumple\":false";
        d += ",\"no_cumplen\":[";
        for (size_t k = 0; k < t.noCumplen.size(); ++k) {
            d += k == 0 ? "" : ",";
            d += std::to_string(t.noCumplen[k]);
        }
        d += "],\"intervalos\":";
        anadirIntervalosJson(t.pendientes.intervalos, d);
        d += '}';
    }
    d += "],\"menor_que_cumple\":";
    if (r.menorQueCumple) {
        anadirCadenaJson(d, nombreDe(c, *r.menorQueCumple));
    } else {
        d += "null";
    }
    d += ",\"menor_con_pendiente\":";
    if (r.menorConPendiente) {
        anadirCadenaJson(d, nombreDe(c, *r.menorConPendiente));
    } else {
        d += "null";
    }
    d += '}';
}

void anadirResumenDiametros(const Consulta& c, char separadorDecimal, std::string& d) {
    if (abrirResumen(c, d)) {
        return;
    }
    const ResultadoDiametros& r = c.diametros;
    d += "Pendiente del cálculo (m/m): ";
    anadirTexto(d, c.pendiente);
    d += '\n';
    for (const ResultadoTubo& t : r.tubos) {
        d += "  ";
        anadirTexto(d, t.tubo.nombre);
        d += " (D = ";
        d += textoDouble(t.tubo.diametro, separadorDecimal);
        d += " m): ";
        if (t.cumple) {
            d += "[SI]";
        } else {
            d += "[NO], no cumple";
            for (size_t k = 0; k < t.noCumplen.size(); ++k) {
                d += k == 0 ? (t.noCumplen.size() == 1 ? " la condición (" : "n las condiciones (")
                            : (k + 1 == t.noCumplen.size() ? " y (" : ", (");
                d += std::to_string(t.noCumplen[k]);
                d += ')';
            }
        }
        d += "; pendientes admisibles: ";
        std::string pendientes;
        anadirCeldaPendientes(pendientes, t.pendientes, separadorDecimal, true);
        anadirTexto(d, pendientes);
        d += '\n';
    }
    d += "Menor diámetro que cumple con la pendiente del cálculo: ";
    anadirTexto(d, r.menorQueCumple ? nombreDe(c, *r.menorQueCumple) : "ninguno");
    d += "\nMenor diámetro con alguna pendiente admisible: ";
    anadirTexto(d, r.menorConPendiente ? nombreDe(c, *r.menorConPendiente) : "ninguno");
    d += '\n';
}

int responder(const std::vector<const char*>& archivos, const std::optional<Criterio>& criterio,
              const std::optional<std::vector<Tubo>>& serie, char separadorDecimal, bool json,
              QIODevice& salida, QIODevice& errores) {
    const auto avisar = [&](const Consulta& c) {
        std::string avisos;
        if (c.sinEOF) {
            avisos += lineaDeAviso(c.archivo, avisoSinEOF());
        }
        if (c.diametroEnMilimetros) {
            avisos += lineaDeAviso(c.archivo, avisoDiametro(c.diametro));
        }
        errores.write(avisos.data(), static_cast<qint64>(avisos.size()));
    };
    // As with the check, each file is written once answered and then forgotten.
    Salida escrita(salida);
    int codigo = 0;
    bool primero = true;
    for (const char* archivo : archivos) {
        std::string& d = escrita.texto();
        if (!json && !primero) {
            d += '\n';
        }
        primero = false;
        if (serie) {
            const Consulta c =
                consultarDiametros(QByteArray(archivo), criterio, *serie, separadorDecimal);
            avisar(c);
            json ? anadirJsonDiametros(c, d) : anadirResumenDiametros(c, separadorDecimal, d);
            codigo = std::max(codigo, codigoDeDiametros(c));
        } else {
            const Consulta c = consultarPendientes(QByteArray(archivo), criterio, separadorDecimal);
            avisar(c);
            json ? anadirJsonPendientes(c, d) : anadirResumenPendientes(c, separadorDecimal, d);
            codigo = std::max(codigo, codigoDePendientes(c));
        }
        if (json) {
            d += '\n';
        }
        escrita.quizaVaciar();
    }
    return codigo;
}

} // namespace colvero::cli
