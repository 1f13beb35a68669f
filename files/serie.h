#pragma once
// Diameter series files: a catalogue of pipes, one "name;inner diameter in m" a line, in UTF-8
// or Windows-1252. The program ships two such catalogues among its resources.
#include "check/serie_diametros.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace colvero {

// Reads a series file. Every failure, of the system or of the text, is an ErrorArchivo
// (archivos.h) whose message names the file and, for the text, the line.
std::vector<Tubo> leerSerie(const QByteArray& rutaNativa);
std::vector<Tubo> leerSerie(const QString& ruta);

// The series that ship with the program, in the order the windows offer them.
struct SerieIncluida {
    const char* clave;   // the name colvero-check takes in place of a path ("hormigon")
    const char* nombre;  // shown in the lists
    const char* recurso; // Qt resource path
};
inline constexpr SerieIncluida kSeriesIncluidas[] = {
    {"hormigon", "Tubos de hormigón (DN 300 a DN 2000)", ":/series/hormigon-dn.txt"},
    {"pvc-sn4", "Tubos de PVC-U SN4 (DN 160 a DN 1000)", ":/series/pvc-sn4.txt"},
};

// Reads a shipped series from the program's resources.
std::vector<Tubo> leerSerieIncluida(const SerieIncluida& serie);

// The shipped series called `clave`, or null.
const SerieIncluida* serieIncluida(std::string_view clave);

// "hormigon o pvc-sn4": the keys of the shipped series, for messages and help.
QString clavesDeSeriesIncluidas();

// A series as read, with the pipes whose diameter looks like millimetres ("DN 300;300"): the
// series is used as it is, but deserves a warning.
struct SerieLeida {
    QString nombre; // the file as messages show it, or the shipped series' key
    std::vector<Tubo> tubos;
    std::vector<size_t> enMilimetros; // indices into `tubos` of diameters over 5 m
};

// The series an option names: a shipped series by its key when `valor` is one (and holds no
// "/"; "./hormigon" is a file), else the file at `valor`. A file that cannot be read raises the
// reader's ErrorArchivo, which names the shipped series when `valor` could have meant one.
SerieLeida leerSerieDeOpcion(const QByteArray& valor);

// "la serie «x» tiene 12 tubos de más de 5 m...", or nothing when every diameter is plausible.
std::optional<std::string> avisoDeSerie(const SerieLeida& serie);

} // namespace colvero
