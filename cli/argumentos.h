#pragma once
// argv split as QCommandLineParser reads it with long options after one or two dashes: an
// option with a value name takes a value after "=" or in the next argument, an unknown option
// takes none, "--" makes the rest operands. Options and values go to the parser as text; the
// file operands, and the values of options, keep argv's bytes as well, because decoding them
// would replace the bytes that are not UTF-8 and name another file.
#include <QByteArray>
#include <QCommandLineOption>
#include <QList>
#include <QStringList>

#include <map>
#include <span>
#include <vector>

namespace colvero::cli {

struct Argumentos {
    QStringList opciones; // program name, options and their values, for the parser
    std::vector<const char*> archivos;
    std::map<QString, QByteArray> valores; // the bytes of each option's last value, by name

    // The bytes of the last value of `opcion`, or null when it has none.
    const QByteArray* valor(const QCommandLineOption& opcion) const;
};

Argumentos separar(std::span<const char* const> argv, const QList<QCommandLineOption>& opciones);

} // namespace colvero::cli
