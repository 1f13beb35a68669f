#include "cli/comprobacion.h"

#include "check/numero.h"
#include "check/plausibilidad.h"
#include "cli/escritura.h"
#include "files/archivos.h"
#include "files/lectura.h"
#include "files/separador.h"

#include <QLocale>
#include <string_view>

namespace colvero::cli {
namespace {

QString u8(const std::string& s) {
    return QString::fromStdString(s);
}

// Width of a UTF-8 text in UTF-16 code units, as QString::leftJustified counts it.
size_t anchoUtf16(std::string_view s) {
    size_t ancho = 0;
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        ancho += (b & 0xC0) != 0x80;
        ancho += b >= 0xF0;
    }
    return ancho;
}

// The name of the field whose text is not a number, when that stopped the run.
const char* campoErroneo(const Comprobacion& c) {
    if (c.error || c.resultado.fin != FinCalculo::Error || !c.resultado.campoErroneo) {
        return nullptr;
    }
    return nombreCampo(*c.resultado.campoErroneo);
}

// The case read into the outcome where it stays: a case holds dozens of texts, not worth
// building twice per file.
Comprobacion leida(const QByteArray& rutaNativa, char separadorDecimal) {
    try {
        Leido<Calculo> leido = abrirCalculo(rutaNativa, separadorDecimal);
        return Comprobacion{.archivo = nombreVisible(rutaNativa),
                            .error = std::nullopt,
                            .calculo = std::move(leido.valor),
                            .resultado = {},
                            .guardados = {},
                            .sinEOF = leido.sinEOF};
    } catch (const ErrorArchivo& e) {
        Comprobacion c;
        c.archivo = nombreVisible(rutaNativa);
        c.error = e.what();
        return c;
    }
}

} // namespace

bool realizado(const Comprobacion& c) {
    return !c.error && c.resultado.fin == FinCalculo::Realizado;
}

// Why a run did not complete, for messages.
QString motivo(const Comprobacion& c) {
    if (c.error) {
        return QString::fromStdString(*c.error);
    }
    if (c.resultado.fin == FinCalculo::ColectorInvalido) {
        return u8(c.resultado.notaCol);
    }
    if (const char* campo = campoErroneo(c)) {
        return QStringLiteral("%1 («%2» no es un número)")
            .arg(u8(c.resultado.notaCalC), QString::fromUtf8(campo));
    }
    return u8(c.resultado.notaCalC);
}

Comprobacion comprobar(const QByteArray& rutaNativa, const std::optional<Criterio>& criterio,
                       char separadorDecimal) {
    Comprobacion c = leida(rutaNativa, separadorDecimal);
    if (c.error) {
        return c;
    }
    if (criterio) {
        c.calculo.criterio = *criterio;
    }
    c.resultado = calcular(c.calculo, c.guardados, separadorDecimal);
    const std::optional<double> D = leerNumero(c.calculo.colector.D, separadorDecimal);
    c.diametroEnMilimetros = D && pareceMilimetros(*D);
    return c;
}

std::optional<char> separadorDeLocale(const QString& nombre) {
    if (nombre.isEmpty()) {
        return separadorDecimalDe(QLocale::system());
    }
    const QLocale locale(nombre);
    if (locale.language() == QLocale::C && nombre != QLatin1String("C") &&
        nombre != QLatin1String("POSIX")) {
        return std::nullopt;
    }
    return separadorDecimalDe(locale);
}

QString mensajeLocaleDesconocida(const QString& nombre) {
    return QStringLiteral("la configuración regional «%1» no existe (se admiten, por ejemplo, "
                          "C, en_US o es_ES)")
        .arg(nombre);
}

int codigoDeSalida(const Comprobacion& c) {
    if (!realizado(c)) {
        return 2;
    }
    bool algunNo = false;
    for (const ResultadoCondicion& r : c.resultado.condiciones) {
        switch (r.veredicto) {
        case Veredicto::ErrorDeDato:
            return 2;
        case Veredicto::NoCumple:
        case Veredicto::CapacidadInsuficiente:
            algunNo = true;
            break;
        case Veredicto::NoEvaluada:
        case Veredicto::Cumple:
            break;
        }
    }
    return algunNo ? 1 : 0;
}

// Keys in the order the earlier QJsonObject-based writer produced them (sorted by name);
// "campo_erroneo", present only when a text that is not a number stopped the run, and
// "avisos", always present, come last.
void anadirJson(const Comprobacion& c, std::string& d) {
    if (abrirJsonDeArchivo(d, c.archivo, c.error)) {
        return;
    }
    const ResultadoCalculo& r = c.resultado;
    d += ",\"colector\":";
    anadirCadenaJson(d, r.notaCol);
    d += ",\"condiciones\":[";
    for (int k = 0; k < 10; ++k) {
        d += k == 0 ? "{\"numero\":" : ",{\"numero\":";
        d += std::to_string(k + 1);
        d += ",\"valores\":[";
        bool primero = true;
        for (const ValorCalculado& v : kValoresCalculados[static_cast<size_t>(k)]) {
            if (!primero) {
                d += ',';
            }
            primero = false;
            anadirCadenaJson(d, r.campos.*v.campo);
        }
        d += "],\"veredicto\":";
        anadirCadenaJson(d, r.notas[static_cast<size_t>(k)]);
        d += '}';
    }
    d += "],\"estado\":";
    anadirCadenaJson(d, r.notaCalC);
    if (const char* campo = campoErroneo(c)) {
        d += ",\"campo_erroneo\":";
        anadirCadenaJson(d, campo);
    }
    d += ",\"avisos\":[";
    bool primero = true;
    for (int k = 1; k <= 10; ++k) {
        if (c.resultado.condiciones[static_cast<size_t>(k - 1)].dosCalados) {
            d += primero ? "{\"condicion\":" : ",{\"condicion\":";
            d += std::to_string(k);
            d += ",\"tipo\":\"dos_calados\"}";
            primero = false;
        }
    }
    if (c.sinEOF) {
        d += primero ? "{\"mensaje\":" : ",{\"mensaje\":";
        anadirCadenaJson(d, avisoSinEOF());
        d += ",\"tipo\":\"sin_eof\"}";
        primero = false;
    }
    if (c.diametroEnMilimetros) {
        d += primero ? "{\"mensaje\":" : ",{\"mensaje\":";
        anadirCadenaJson(d, avisoDiametro(c.calculo.colector.D));
        d += ",\"tipo\":\"diametro_en_milimetros\"}";
    }
    d += "]}";
}

std::string avisoSinEOF() {
    return kAvisoSinEOF;
}

std::string avisoDiametro(const std::string& textoD) {
    return "el diámetro D = " + textoD + " pasa de 5 m: ¿está en milímetros? D se da en metros";
}

namespace {

// Whether `ruta` reads whole as the other kind of file: a calculation file lacks values for a
// criterion, and a criterion file read as a calculation goes on after its values.
bool esCalculo(const QByteArray& ruta, char separadorDecimal) {
    try {
        return !abrirCalculo(ruta, separadorDecimal).sinEOF;
    } catch (const ErrorArchivo&) {
        return false;
    }
}

bool esCriterio(const QByteArray& ruta, char separadorDecimal) {
    try {
        return !abrirCriterio(ruta, separadorDecimal).sinEOF;
    } catch (const ErrorArchivo&) {
        return false;
    }
}

} // namespace

std::string lineaDeAviso(const QString& archivo, const std::string& aviso) {
    return "colvero-check: aviso: " + archivo.toStdString() + ": " + aviso + "\n";
}

Criterio criterioDeOpcion(const QByteArray& ruta, bool plantilla, char separadorDecimal,
                          std::string& avisos) {
    const QString nombre = nombreVisible(ruta);
    if (plantilla) {
        const auto esUnCriterio = [&] {
            return ErrorArchivo(("El archivo «" + nombre +
                                 "» es un criterio (.CrVek), no un cálculo: use --criterio " +
                                 nombre + ".")
                                    .toStdString());
        };
        Leido<Calculo> leido;
        try {
            leido = abrirCalculo(ruta, separadorDecimal);
        } catch (const ErrorArchivo&) {
            if (esCriterio(ruta, separadorDecimal)) {
                throw esUnCriterio();
            }
            throw;
        }
        if (leido.sinEOF && esCriterio(ruta, separadorDecimal)) {
            throw esUnCriterio();
        }
        if (leido.sinEOF) {
            avisos += lineaDeAviso(nombre, avisoSinEOF());
        }
        return leido.valor.criterio;
    }
    try {
        Leido<Criterio> leido = abrirCriterio(ruta, separadorDecimal);
        if (leido.sinEOF) {
            avisos += lineaDeAviso(nombre, avisoSinEOF());
        }
        return leido.valor;
    } catch (const ErrorArchivo&) {
        if (!esCalculo(ruta, separadorDecimal)) {
            throw;
        }
        throw ErrorArchivo(("El archivo «" + nombre +
                            "» es un cálculo (.caVek), no un criterio (.CrVek): para tomar el "
                            "criterio de un cálculo, use --plantilla " +
                            nombre + ".")
                               .toStdString());
    }
}

std::string avisosDeLectura(const Comprobacion& c) {
    std::string d;
    if (c.sinEOF) {
        d += lineaDeAviso(c.archivo, avisoSinEOF());
    }
    if (c.diametroEnMilimetros) {
        d += lineaDeAviso(c.archivo, avisoDiametro(c.calculo.colector.D));
    }
    return d;
}

void anadirResumen(const Comprobacion& c, std::string& d) {
    const QByteArray archivo = c.archivo.toUtf8();
    d += "Archivo: ";
    d.append(archivo.constData(), static_cast<size_t>(archivo.size()));
    d += '\n';
    if (c.error) {
        d += "Error: ";
        anadirTexto(d, *c.error);
        d += '\n';
        return;
    }
    const ResultadoCalculo& r = c.resultado;
    d += "Estado: ";
    anadirTexto(d, r.notaCalC);
    if (!realizado(c)) {
        d += " (cálculo no realizado)";
    }
    if (const char* campo = campoErroneo(c)) {
        d += "\nCampo erróneo: «";
        d += campo;
        d += "» no es un número";
    }
    d += "\nColector: ";
    anadirTexto(d, r.notaCol);
    d += '\n';
    for (size_t k = 0; k < 10; ++k) {
        d += "  ";
        const size_t inicio = d.size();
        if (r.notas[k] == "-") {
            d += '(';
            d += std::to_string(k + 1);
            d += ")  -  (sin evaluar)";
        } else {
            anadirTexto(d, r.notas[k]);
        }
        bool primero = true;
        for (const ValorCalculado& v : kValoresCalculados[k]) {
            const std::string& texto = r.campos.*v.campo;
            if (texto.empty() || texto == "-") {
                continue;
            }
            if (primero) {
                // The verdict takes 34 columns before the values.
                const size_t ancho = anchoUtf16(std::string_view(d).substr(inicio));
                if (ancho < 34) {
                    d.append(34 - ancho, ' ');
                }
            } else {
                d += "; ";
            }
            primero = false;
            d += v.etiqueta;
            d += " = ";
            anadirTexto(d, texto);
        }
        d += '\n';
        if (c.resultado.condiciones[k].dosCalados) {
            d += "  Aviso (";
            d += std::to_string(k + 1);
            d += "): el caudal está entre Qll y Qmax, donde la sección tiene dos calados "
                 "normales; se toma el menor.\n";
        }
    }
}

} // namespace colvero::cli
