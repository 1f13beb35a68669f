#include "check/serie_diametros.h"

#include "check/numero.h"
#include "check/recorte.h"

#include <cmath>
#include <optional>

namespace colvero {
namespace {

// A line split at LF keeps the CR of a CR LF end.
constexpr std::string_view kBlancosDeLinea = " \t\r";

std::size_t contar(std::string_view t, char c) {
    std::size_t n = 0;
    for (const char x : t) {
        n += x == c;
    }
    return n;
}

// The pipe of one line without its comment, or the reason why it is none.
struct Linea {
    std::optional<Tubo> tubo;
    std::string motivo;
};

Linea leerLinea(std::string_view t) {
    char separador = ';';
    if (contar(t, ';') > 1) {
        return {{}, "hay más de un «;»"};
    }
    if (contar(t, ';') == 0) {
        separador = ',';
        if (contar(t, ',') == 0) {
            return {{}, "falta el «;» o la «,» entre el nombre y el diámetro"};
        }
        if (contar(t, ',') > 1) {
            return {{}, "hay más de una «,»: separe el nombre y el diámetro con «;»"};
        }
    }
    const std::size_t corte = t.find(separador);
    const std::string_view nombre = recortar(t.substr(0, corte), kBlancosDeLinea);
    const std::string_view diametro = recortar(t.substr(corte + 1), kBlancosDeLinea);
    if (nombre.empty()) {
        return {{}, "falta el nombre del tubo"};
    }
    std::optional<double> d = leerNumero(diametro, '.');
    if (!d && separador == ';') {
        d = leerNumero(diametro, ',');
    }
    if (!d) {
        return {{}, "«" + std::string(diametro) + "» no es un diámetro en metros"};
    }
    if (!(*d > 0) || !std::isfinite(*d)) {
        return {{}, "el diámetro ha de ser superior a 0"};
    }
    return {Tubo{std::string(nombre), *d}, {}};
}

} // namespace

std::vector<Tubo> leerSerieDiametros(std::string_view texto, std::string_view nombreArchivo) {
    if (texto.starts_with("\xEF\xBB\xBF")) {
        texto.remove_prefix(3); // byte-order mark of an editor's UTF-8
    }
    const auto error = [&](const std::string& motivo) {
        return ErrorSerie("La serie de diámetros «" + std::string(nombreArchivo) +
                          "» no es válida: " + motivo + ".");
    };
    std::vector<Tubo> tubos;
    int numero = 0;
    while (!texto.empty()) {
        ++numero;
        const std::size_t fin = texto.find('\n');
        std::string_view linea = texto.substr(0, fin);
        texto = fin == std::string_view::npos ? std::string_view{} : texto.substr(fin + 1);
        linea = recortar(linea.substr(0, linea.find('#')), kBlancosDeLinea);
        if (linea.empty()) {
            continue;
        }
        Linea l = leerLinea(linea);
        if (!l.tubo) {
            throw error("línea " + std::to_string(numero) + ": " + l.motivo);
        }
        tubos.push_back(std::move(*l.tubo));
    }
    if (tubos.empty()) {
        throw error("no contiene ningún tubo");
    }
    return tubos;
}

} // namespace colvero
