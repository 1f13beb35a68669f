#pragma once
// colvero-check --red MODELO --perfil DESDE[:HASTA] --salida-perfil PERFIL: the longitudinal
// profile of one path of a network model or GIS layers, drawn by the companion program.
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"

#include <QByteArray>
#include <QString>

class QIODevice;

namespace colvero::cli {

// Traces `trayecto` in `g`, checks its reaches with `base` and the options `motor`, and writes
// the profile to `rutaSalida` (PDF, SVG or PNG by its extension; `nombreSalida` as the user
// gave it). Writes one summary line to `salida` and returns the exit status of the path's
// reaches (0, 1 or 2), or 2 with a message in `errores`.
int perfilDeRed(const red::RedGrafo& g, const QByteArray& rutaRed, const red::CriterioListo& base,
                const red::OpcionesRed& motor, const QString& trayecto,
                const QByteArray& rutaSalida, const QString& nombreSalida, QIODevice& salida,
                QIODevice& errores);

} // namespace colvero::cli
