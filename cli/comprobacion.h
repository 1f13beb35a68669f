#pragma once
// colvero-check: runs Calcular on calculation files without the window and reports the
// outcome as a summary, as JSON lines or as the window's report text.
#include "check/calcular.h"
#include "check/calculo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QIODevice;

namespace colvero::cli {

// The outcome of one calculation file: either a read error or a run.
struct Comprobacion {
    QString archivo;              // path as given on the command line
    std::optional<QString> error; // the file could not be read
    Calculo calculo;              // the case as run (criterion already replaced)
    ResultadoCalculo resultado;   // texts written by the run
    ValoresGuardados guardados;   // stored values after the run
};

// Reads `archivo` into a fresh case, replaces its criterion when one is given, and runs it on
// stored values that start at 0.
Comprobacion comprobar(const QString& archivo, const std::optional<Criterio>& criterio,
                       char separadorDecimal);

// '.' or ',' from a locale name (or the system locale when empty); anything else is '.'.
char separadorDeLocale(const QString& nombre);

// Exit status for a set of outcomes: 0 all completed and passing, 1 all completed with some
// "[NO]" but no "[ERROR]", 2 otherwise (unreadable file, incomplete run, an "[ERROR]").
int codigoDeSalida(const std::vector<Comprobacion>& comprobaciones);

// One compact JSON object (no line end).
QByteArray comoJson(const Comprobacion& c);

// A readable Spanish summary (UTF-8, LF line ends).
QByteArray comoResumen(const Comprobacion& c);

// The whole command: `argumentos` as in argv (program name first). Writes to `salida` and
// `errores` and returns the exit status.
int ejecutar(const QStringList& argumentos, QIODevice& salida, QIODevice& errores);

} // namespace colvero::cli
