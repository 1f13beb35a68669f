#include "check/textos_pendientes.h"

#include "check/calcular.h"
#include "check/leyendas.h"

#include <charconv>

namespace colvero {
namespace {

void anadirCondicion(std::string& d, int k) {
    d += '(';
    d += std::to_string(k);
    d += ')';
}

// "Velocidad mínima": the caption of condition k without its number, blanks folded.
std::string tituloCondicion(int k) {
    std::string_view t = leyendas::kTitulosCondicion[static_cast<std::size_t>(k - 1)];
    t.remove_prefix(t.find(". ") + 2);
    std::string s;
    for (const char c : t) {
        if (c != ' ' || (!s.empty() && s.back() != ' '))
            s += c;
    }
    return s;
}

void anadirExtremo(std::string& d, const std::optional<ExtremoPendiente>& e, bool inferior,
                   char sep) {
    d += inferior ? "    Extremo inferior " : "    Extremo superior ";
    if (!e) {
        d += decimalLlano(inferior ? kPendienteMinima : kPendienteMaxima, sep);
        d += ": el del intervalo buscado; ninguna condición lo fija.";
        return;
    }
    d += textoExtremoPendiente(*e, sep);
    d += e->incluido ? "" : " (excluido)";
    d += ": lo decide la condición ";
    anadirCondicion(d, e->condicion);
    d += ", «" + tituloCondicion(e->condicion) + "».";
}

} // namespace

std::string decimalLlano(std::string_view texto, char sep) {
    const std::size_t e = texto.find_first_of("eE");
    std::string s;
    if (e == std::string_view::npos) {
        s = texto;
        for (char& c : s) {
            if (c == '.' || c == ',')
                c = sep;
        }
        return s;
    }
    int exponente = 0;
    const char* p = texto.data() + e + 1;
    std::from_chars(p + (p != texto.data() + texto.size() && *p == '+'),
                    texto.data() + texto.size(), exponente);
    std::string digitos;
    std::ptrdiff_t enteros = -1; // digits before the separator
    for (const char c : texto.substr(0, e)) {
        if (c >= '0' && c <= '9')
            digitos += c;
        else if (c == '.' || c == ',')
            enteros = static_cast<std::ptrdiff_t>(digitos.size());
        else if (c == '-')
            s += c;
    }
    if (enteros < 0)
        enteros = static_cast<std::ptrdiff_t>(digitos.size());
    enteros += exponente;
    const auto n = static_cast<std::ptrdiff_t>(digitos.size());
    std::string cuerpo;
    if (enteros <= 0)
        cuerpo = "0" + std::string(1, sep) + std::string(static_cast<std::size_t>(-enteros), '0') +
                 digitos;
    else if (enteros >= n)
        cuerpo = digitos + std::string(static_cast<std::size_t>(enteros - n), '0');
    else
        cuerpo = digitos.substr(0, static_cast<std::size_t>(enteros)) + sep +
                 digitos.substr(static_cast<std::size_t>(enteros));
    if (cuerpo.find(sep) != std::string::npos) {
        while (cuerpo.back() == '0')
            cuerpo.pop_back();
        if (cuerpo.back() == sep)
            cuerpo.pop_back();
    }
    std::size_t ceros = 0; // leading zeros of the integer part, one kept
    while (ceros + 1 < cuerpo.size() && cuerpo[ceros] == '0' && cuerpo[ceros + 1] != sep)
        ++ceros;
    return s + cuerpo.substr(ceros);
}

std::string decimalLlano(double x, char sep) {
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, x);
    return decimalLlano(std::string_view(b, static_cast<std::size_t>(r.ptr - b)), sep);
}

std::string textoRangoBuscado(char sep) {
    return "entre " + decimalLlano(kPendienteMinima, sep) + " y " +
           decimalLlano(kPendienteMaxima, sep) + " m/m";
}

std::string textoExtremoPendiente(const ExtremoPendiente& e, char sep) {
    return decimalLlano(e.texto, sep);
}

void anadirDesigualdad(std::string& d, const IntervaloPendientes& t, char sep) {
    d += t.minima ? textoExtremoPendiente(*t.minima, sep) : decimalLlano(kPendienteMinima, sep);
    d += t.minima && !t.minima->incluido ? " < i " : " ≤ i ";
    d += t.maxima && !t.maxima->incluido ? "< " : "≤ ";
    d += t.maxima ? textoExtremoPendiente(*t.maxima, sep) : decimalLlano(kPendienteMaxima, sep);
}

void anadirCeldaPendientes(std::string& d, const ResultadoPendientes& r, char sep, bool conMotivo) {
    if (r.fin != FinPendientes::Realizado) {
        d += r.motivo.empty() ? std::string(kDatosErroneos) : r.motivo;
        return;
    }
    if (r.intervalos.empty()) {
        d += "ninguna";
        if (conMotivo && !r.motivo.empty())
            d += " (" + r.motivo + ")";
        return;
    }
    for (std::size_t j = 0; j < r.intervalos.size(); ++j) {
        const IntervaloPendientes& t = r.intervalos[j];
        if (j > 0)
            d += "; ";
        anadirDesigualdad(d, t, sep);
        if (t.minima || t.maxima)
            d += " · ";
        if (t.minima)
            anadirCondicion(d, t.minima->condicion);
        if (t.minima && t.maxima)
            d += " y ";
        if (t.maxima)
            anadirCondicion(d, t.maxima->condicion);
    }
}

std::string textoPendientesCompleto(const ResultadoPendientes& r, char sep) {
    if (r.fin != FinPendientes::Realizado)
        return r.motivo.empty() ? std::string(kDatosErroneos) : r.motivo;
    if (r.intervalos.empty()) {
        std::string s = "Ninguna pendiente cumple todas las condiciones activas.";
        if (!r.motivo.empty())
            s += '\n' + r.motivo;
        return s;
    }
    std::string s;
    for (const IntervaloPendientes& t : r.intervalos) {
        if (!s.empty())
            s += '\n';
        s += "Pendientes admisibles (m/m): ";
        anadirDesigualdad(s, t, sep);
        s += '\n';
        anadirExtremo(s, t.minima, true, sep);
        s += '\n';
        anadirExtremo(s, t.maxima, false, sep);
    }
    return s;
}

std::string avisoDosCalados(const std::vector<int>& k, bool mayuscula) {
    std::string s = mayuscula ? "Aviso " : "aviso ";
    for (std::size_t j = 0; j < k.size(); ++j) {
        if (j > 0)
            s += j + 1 == k.size() ? " y " : ", ";
        anadirCondicion(s, k[j]);
    }
    s += k.size() == 1 ? ": el caudal está entre Qll y Qmax"
                       : ": los caudales están entre Qll y Qmax";
    s += ", donde la sección tiene dos calados normales; se toma el menor.";
    return s;
}

} // namespace colvero
