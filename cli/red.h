#pragma once
// colvero-check --red: every reach of a network table (files/red.h) checked with the same
// engine and texts as a calculation file, in the order of the table, on every core.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <span>

class QCommandLineOption;
class QCommandLineParser;
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

// Parses `argumentos` with `p`: the usage error of a network command line (an unknown option,
// a missing value, a file operand), or nothing.
std::optional<QString> errorDeArgumentos(QCommandLineParser& p, const QStringList& argumentos);

// Why the network note `nota` cannot be written: not a PDF (a usage error), or the same file as
// one of the run's `entradas` (`pozos` names «ARCHIVO[:CAPA]», `salida` is compared by name as
// well); nothing when it can. `ruta` gives the bytes that name an option's file.
struct RechazoNota {
    QString mensaje;
    bool deUso = false;
};
std::optional<RechazoNota>
rechazoDeNota(const QCommandLineParser& p, const QCommandLineOption& nota,
              const QList<const QCommandLineOption*>& entradas, const QCommandLineOption& pozos,
              const QCommandLineOption& salida,
              const std::function<QByteArray(const QCommandLineOption&)>& ruta);

} // namespace colvero::cli
