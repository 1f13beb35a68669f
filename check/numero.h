#pragma once
// Number texts in the user's locale: reading a field, Formato1 and the plain conversion.
#include <optional>
#include <string>
#include <string_view>

namespace colvero {

// Reads a numeric field. After trimming blanks: optional sign, digits with at most one
// decimal separator and at least one digit, optional exponent (e/E, optional sign, digits).
// Anything else, or a value beyond the range of a double, gives nothing; a value too small
// to represent reads as 0.
std::optional<double> leerNumero(std::string_view texto, char separadorDecimal);

// Why a field gives no number: not written as one, or written as one beyond a double's range.
enum class FalloNumero { NoEsNumero, FueraDeRango };
std::optional<double> leerNumero(std::string_view texto, char separadorDecimal, FalloNumero& fallo);

// Formato1: "#.#####e-#" below 0.01 and above 10000, "###0.00000000" otherwise.
std::string formato1(double x, char separadorDecimal);

// Plain conversion: as C's "%.15g", with the locale's decimal separator.
std::string conversionSimple(double x, char separadorDecimal);

} // namespace colvero
