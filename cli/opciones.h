#pragma once
// colvero-check's command line: the options, their checks and the run they ask for.
#include <span>

class QIODevice;

namespace colvero::cli {

// The whole command: `argumentos` is argv (program name first); file operands are opened by
// their bytes. Writes to `salida` and `errores` and returns the exit status.
int ejecutar(std::span<const char* const> argumentos, QIODevice& salida, QIODevice& errores);

// Hands the whole command over to colvero-check-graficos, which draws the chart and the notes
// with Qt's GUI libraries: the process becomes it, before anything has been written. Returns
// only when the companion cannot be found (2, with the message in `errores`).
int delegarDibujo(std::span<const char* const> argumentos, QIODevice& errores);

} // namespace colvero::cli
