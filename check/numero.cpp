#include "check/numero.h"

#include "check/recorte.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>

namespace colvero {

namespace {

bool esDigito(char c) {
    return c >= '0' && c <= '9';
}

// Powers of ten beyond these bounds are out of reach of a double whatever the digits are
// (DBL_MAX < 1e309, the smallest subnormal > 1e-324).
constexpr std::int64_t kExponenteDesborde = 310;
constexpr std::int64_t kExponenteSubdesborde = -330;
// Exponent digits saturate here, far beyond both bounds, so no count ever overflows.
constexpr std::int64_t kExponenteTope = 1'000'000'000'000'000;

} // namespace

std::optional<double> leerNumero(std::string_view texto, char separadorDecimal,
                                 FalloNumero& fallo) {
    fallo = FalloNumero::NoEsNumero;
    std::string_view t = recortar(texto);
    std::size_t k = 0;
    bool negativo = false;
    if (k < t.size() && (t[k] == '+' || t[k] == '-')) {
        negativo = t[k] == '-';
        ++k;
    }
    std::string digitos; // integer and fractional digits, without the separator
    std::size_t enteros = 0;
    while (k < t.size() && esDigito(t[k])) {
        digitos += t[k++];
    }
    enteros = digitos.size();
    if (k < t.size() && t[k] == separadorDecimal) {
        ++k;
        while (k < t.size() && esDigito(t[k])) {
            digitos += t[k++];
        }
    }
    if (digitos.empty()) {
        return std::nullopt;
    }
    std::int64_t exponente = 0;
    if (k < t.size() && (t[k] == 'e' || t[k] == 'E')) {
        ++k;
        bool expNegativo = false;
        if (k < t.size() && (t[k] == '+' || t[k] == '-')) {
            expNegativo = t[k] == '-';
            ++k;
        }
        if (k == t.size() || !esDigito(t[k])) {
            return std::nullopt;
        }
        while (k < t.size() && esDigito(t[k])) {
            exponente = std::min(exponente * 10 + (t[k++] - '0'), kExponenteTope);
        }
        if (expNegativo) {
            exponente = -exponente;
        }
    }
    if (k != t.size()) {
        return std::nullopt;
    }

    const double cero = negativo ? -0.0 : 0.0;
    const std::size_t primero = digitos.find_first_not_of('0');
    if (primero == std::string::npos) {
        return cero;
    }
    // The value is 0.d1d2d3... × 10^decimal, d1 being the first non-zero digit.
    const std::int64_t decimal =
        static_cast<std::int64_t>(enteros) - static_cast<std::int64_t>(primero) + exponente;
    if (decimal > kExponenteDesborde) {
        fallo = FalloNumero::FueraDeRango;
        return std::nullopt;
    }
    if (decimal < kExponenteSubdesborde) {
        return cero;
    }
    std::string normal = "0.";
    normal.append(digitos, primero);
    normal += 'e';
    normal += std::to_string(decimal);
    double valor = 0;
    const auto [fin, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), valor);
    if (ec == std::errc::result_out_of_range) {
        if (decimal > 0) {
            fallo = FalloNumero::FueraDeRango;
            return std::nullopt;
        }
        return cero;
    }
    if (ec != std::errc() || fin != normal.data() + normal.size()) {
        return std::nullopt;
    }
    return negativo ? -valor : valor;
}

std::optional<double> leerNumero(std::string_view texto, char separadorDecimal) {
    FalloNumero fallo;
    return leerNumero(texto, separadorDecimal, fallo);
}

std::string formato1(double x, char separadorDecimal) {
    char buf[64];
    std::string texto;
    if (!std::isfinite(x)) {
        // Never produced by the engine for valid data; written as the plain conversion.
        const auto r = std::to_chars(buf, buf + sizeof buf, x);
        return std::string(buf, r.ptr);
    }
    if (x < 0.01 || x > 10000) {
        if (x == 0) {
            x = 0; // no "-0."
        }
        const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 5);
        const std::string_view s(buf, r.ptr);
        // to_chars rounds the mantissa correctly and renormalises 9.999996 to 1.00000.
        const std::size_t e = s.find('e');
        std::string_view mantisa = s.substr(0, e);
        while (mantisa.back() == '0') {
            mantisa.remove_suffix(1);
        }
        texto.assign(mantisa);
        texto += 'e';
        std::string_view exp = s.substr(e + 1);
        if (exp.front() == '-') {
            texto += '-';
        }
        exp.remove_prefix(1);
        while (exp.size() > 1 && exp.front() == '0') {
            exp.remove_prefix(1);
        }
        texto += exp;
    } else {
        const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 8);
        texto.assign(buf, r.ptr);
    }
    std::replace(texto.begin(), texto.end(), '.', separadorDecimal);
    return texto;
}

std::string conversionSimple(double x, char separadorDecimal) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
    std::string texto(buf, r.ptr);
    std::replace(texto.begin(), texto.end(), '.', separadorDecimal);
    return texto;
}

} // namespace colvero
