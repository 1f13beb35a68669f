#pragma once
// Diameter series files: a catalogue of pipes, one "name;inner diameter in m" a line, in UTF-8
// or Windows-1252.
#include "check/serie_diametros.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace colvero {

// Reads a series file. Every failure, of the system or of the text, is an ErrorArchivo
// (archivos.h) whose message names the file and, for the text, the line.
std::vector<Tubo> leerSerie(const QByteArray& rutaNativa);
std::vector<Tubo> leerSerie(const QString& ruta);

} // namespace colvero
