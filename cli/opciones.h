#pragma once
// colvero-check's command line: the options, their checks and the run they ask for.
#include <span>

class QIODevice;

namespace colvero::cli {

// The whole command: `argumentos` is argv (program name first); file operands are opened by
// their bytes. Writes to `salida` and `errores` and returns the exit status.
int ejecutar(std::span<const char* const> argumentos, QIODevice& salida, QIODevice& errores);

} // namespace colvero::cli
