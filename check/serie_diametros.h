#pragma once
// A diameter series: the pipes of a catalogue, one per line of a small text file, as
// "DN 400;0.4" (name, inner diameter in metres).
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace colvero {

struct Tubo {
    std::string nombre;
    double diametro; // inner diameter, m
    bool operator==(const Tubo&) const = default;
};

class ErrorSerie : public std::runtime_error {
public:
    using std::runtime_error::runtime_error; // message in UTF-8
};

// Reads the text of a series (UTF-8). A line holds a name and a diameter separated by ";" or
// ","; with ";" the diameter may use either decimal separator. "#" starts a comment; blank
// lines are skipped. The pipes keep the order of the file. A line that is not a pipe, or a
// series without pipes, raises ErrorSerie naming `nombreArchivo` and the line.
std::vector<Tubo> leerSerieDiametros(std::string_view texto, std::string_view nombreArchivo);

} // namespace colvero
