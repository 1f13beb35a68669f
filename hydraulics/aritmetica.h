#pragma once
// Checked arithmetic of the hydraulic core. The hardware does not trap on a division by zero,
// a square root of a negative number or an overflow, so every operation that can produce such
// a fault goes through one of these helpers, which raise ErrorAritmetico instead of letting an
// infinity or a NaN flow on into a result.
#include <cmath>
#include <stdexcept>
#include <string>

namespace colvero::hidraulica {

// Raised by the hydraulic core for any arithmetic fault; the check engine turns it into the
// error exit of the run.
class ErrorAritmetico : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raises ErrorAritmetico; out of line, so that the checks below stay small enough to inline.
[[noreturn]] void fallar(const char* motivo);

// x itself when it is a finite double; raises otherwise.
inline double finito(double x) {
    if (!std::isfinite(x)) [[unlikely]] {
        fallar("resultado no finito");
    }
    return x;
}

// a / b; raises on b == 0 and on a result that is not finite.
inline double dividir(double a, double b) {
    if (b == 0.0) [[unlikely]] {
        fallar("división por cero");
    }
    return finito(a / b);
}

// Square root; raises on a negative argument.
inline double raiz(double x) {
    if (x < 0.0) [[unlikely]] {
        fallar("raíz cuadrada de un número negativo");
    }
    return finito(std::sqrt(x));
}

// x^e for a fractional exponent e; raises on a negative base.
inline double potencia(double x, double e) {
    if (x < 0.0) [[unlikely]] {
        fallar("potencia fraccionaria de un número negativo");
    }
    return finito(std::pow(x, e));
}

} // namespace colvero::hidraulica
