#pragma once
// colvero-check: runs Calcular on a calculation file without the window and writes the
// outcome as a summary or as a JSON line.
#include "check/calcular.h"
#include "check/calculo.h"
#include "check/evaluacion.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>
#include <string>

namespace colvero::cli {

// The outcome of one calculation file: either a read error or a run.
struct Comprobacion {
    QString archivo;                  // path as given, invalid UTF-8 bytes replaced
    std::optional<std::string> error; // the file could not be read (UTF-8)
    Calculo calculo;                  // the case as run (criterion already replaced)
    ResultadoCalculo resultado;       // texts written by the run
    ValoresGuardados guardados;       // stored values after the run
    // Read and run all the same, but worth a warning:
    bool sinEOF = false;               // no "EOF" line: the file may have been cut
    bool diametroEnMilimetros = false; // D over 5 m: almost certainly millimetres
};

// Reads the file at `rutaNativa` (the path's bytes, as the system holds them) into a fresh
// case, replaces its criterion when one is given, and runs it on stored values that start at 0.
Comprobacion comprobar(const QByteArray& rutaNativa, const std::optional<Criterio>& criterio,
                       char separadorDecimal);

// '.' or ',' from a locale name (or the system locale when empty); nothing for a name that
// names no locale, which would otherwise fall back to "C" unnoticed.
std::optional<char> separadorDeLocale(const QString& nombre);
QString mensajeLocaleDesconocida(const QString& nombre);

// True when the file was read and the run completed.
bool realizado(const Comprobacion& c);

// Why a run did not complete, for messages.
QString motivo(const Comprobacion& c);

// Exit status of one outcome, from the conditions' outcomes: 0 completed and passing, 1
// completed with some "[NO]" but no "[ERROR]", 2 otherwise (unreadable file, incomplete run,
// an "[ERROR]"). A set of files exits with the highest status of its files.
int codigoDeSalida(const Comprobacion& c);

// Appends one compact JSON object (no line end) to `destino`. A run's object ends with
// "avisos": the conditions whose flow lies where the section has two normal depths, then the
// warnings of reading (a file without "EOF", a diameter over 5 m).
void anadirJson(const Comprobacion& c, std::string& destino);

// The warnings of reading the file, one line each as standard error shows them
// ("colvero-check: aviso: ARCHIVO: ...").
std::string avisosDeLectura(const Comprobacion& c);

// The criterion of --criterio (a criterion file) or, with `plantilla`, of --plantilla (the
// criterion of a calculation file). A file of the other kind is refused with a message that
// names the right option. Raises ErrorArchivo; a file without "EOF" adds a line to `avisos`.
Criterio criterioDeOpcion(const QByteArray& ruta, bool plantilla, char separadorDecimal,
                          std::string& avisos);

// "colvero-check: aviso: ARCHIVO: AVISO\n", as standard error shows a warning.
std::string lineaDeAviso(const QString& archivo, const std::string& aviso);

// The message of a file without its "EOF" line, and of a diameter over 5 m (`textoD` as typed).
std::string avisoSinEOF();
std::string avisoDiametro(const std::string& textoD);

// Appends a readable Spanish summary (UTF-8, LF line ends) to `destino`.
void anadirResumen(const Comprobacion& c, std::string& destino);

} // namespace colvero::cli
