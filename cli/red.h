#pragma once
// colvero-check --red: every reach of a network table (files/red.h) checked with the same
// engine and texts as a calculation file, in the order of the table, on every core.
#include <QStringList>
#include <span>

class QIODevice;

namespace colvero::cli {

// True when the command line asks for a network check (--red).
bool esOrdenDeRed(std::span<const char* const> argumentos);

// True when a network command asks for a path's profile (--perfil), which the companion
// program draws.
bool pideElPerfil(std::span<const char* const> argumentos);

// The whole network command: `argumentos` as in argv. Writes the summary or the JSON lines to
// `salida`, messages to `errores`, and returns the exit status: 0 every reach passes, 1 some
// reach does not pass, 2 some reach could not be checked, or a usage or table error.
int ejecutarRed(std::span<const char* const> argumentos, QIODevice& salida, QIODevice& errores);

} // namespace colvero::cli
