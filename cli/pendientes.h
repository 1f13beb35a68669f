#pragma once
// colvero-check's design questions: the admissible slopes of each case (--pendientes) and the
// pipes of a diameter series against it (--diametros).
#include "check/calcular.h"
#include "check/calculo.h"
#include "check/diametros.h"
#include "check/pendientes.h"
#include "check/serie_diametros.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

class QIODevice;

namespace colvero::cli {

// One calculation file and the answer to the question asked of it.
struct Consulta {
    QString archivo;                  // path as given on the command line, as messages show it
    std::optional<std::string> error; // no answer: unreadable file, invalid collector data or
                                      // the error exit ("Datos de entrada erroneos")
    std::optional<CampoNumerico> campoErroneo; // the field that is not a number, if that is why
    std::string pendiente;                     // the case's slope text, as the window shows it
    std::string diametro;                      // the case's diameter text
    ResultadoPendientes pendientes;            // --pendientes
    ResultadoDiametros diametros;              // --diametros
    // Nothing passes because an enabled condition gives "[ERROR]" at every slope and diameter.
    bool datoErroneo = false;
    bool sinEOF = false;               // the file lacks its "EOF" line: it may have been cut
    bool diametroEnMilimetros = false; // --pendientes: the case's D is over 5 m
};

// The admissible slopes of the case in the file at `rutaNativa` (the path's bytes), with `criterio`
// in place of its own when given.
Consulta consultarPendientes(const QByteArray& rutaNativa, const std::optional<Criterio>& criterio,
                             char separadorDecimal);

// The pipes of `serie` (not empty) at the slope of the case in the file at `rutaNativa`.
Consulta consultarDiametros(const QByteArray& rutaNativa, const std::optional<Criterio>& criterio,
                            const std::vector<Tubo>& serie, char separadorDecimal);

// 0 when some slope passes, 1 when none does, 2 for no answer or an "[ERROR]" condition.
int codigoDePendientes(const Consulta& c);
// 0 when some pipe passes at the case's slope, 1 when none does, 2 as above.
int codigoDeDiametros(const Consulta& c);

// One compact JSON object (no line end), and a readable Spanish summary (UTF-8, LF line ends).
void anadirJsonPendientes(const Consulta& c, std::string& destino);
void anadirResumenPendientes(const Consulta& c, char separadorDecimal, std::string& destino);
void anadirJsonDiametros(const Consulta& c, std::string& destino);
void anadirResumenDiametros(const Consulta& c, char separadorDecimal, std::string& destino);

// Asks every file the question, writing each answer to `salida` as soon as it is known and
// the warnings of reading to `errores`, and returns the highest exit status. Without `serie`
// the question is --pendientes.
int responder(const std::vector<const char*>& archivos, const std::optional<Criterio>& criterio,
              const std::optional<std::vector<Tubo>>& serie, char separadorDecimal, bool json,
              QIODevice& salida, QIODevice& errores);

} // namespace colvero::cli
