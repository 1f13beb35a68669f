#pragma once
// colvero-check --red MODELO --disenar: every conduit of a network model or GIS layers given a
// pipe of a series and its inverts by the design library (design/), with a summary or JSON
// lines, and the designed network written as a model, a GIS layer or a table.
#include <span>

class QIODevice;

namespace colvero::cli {

// True when a network command asks for a design (--disenar).
bool pideElDiseno(std::span<const char* const> argumentos);

// The whole design command: `argumentos` as in argv. Writes the summary or the JSON lines to
// `salida`, messages to `errores`, and returns the exit status: 0 every reach designed, 1 some
// reach without a design, 2 a usage error or a source that cannot be read or written.
int ejecutarDiseno(std::span<const char* const> argumentos, QIODevice& salida, QIODevice& errores);

} // namespace colvero::cli
