#pragma once
// colvero-check --grafico and --nota: the hydraulic-elements chart (PNG or SVG) and the
// calculation note (PDF) of one calculation file, drawn as the window's chart window draws them.
#include "check/calculo.h"
#include "note/nota_red.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class QIODevice;

namespace colvero::cli {

enum class Dibujo { Grafico, Nota };

// Checks the file at `rutaNativa` and writes its chart or note to `destino`; the format comes
// from the extension (.png, .svg; .pdf). Nothing is written unless the run completes, and a
// failed write leaves no file. Returns the exit status of the check of that file, or 2 with a
// message in `errores`. `nombreCriterio` names the --criterio file in the note.
int dibujar(Dibujo dibujo, const QString& destino, const QByteArray& rutaNativa,
            const std::optional<Criterio>& criterio, const QString& nombreCriterio,
            char separadorDecimal, QIODevice& errores);

// colvero-check --red --nota-red: the note of the checked network (with `diseno`, of the
// designed network, with its design section), written whole to
// `rutaNativa` (`nombre` in messages) or not at all; raises ErrorArchivo.
void escribirNotaDeRed(const QByteArray& rutaNativa, const QString& nombre,
                       const nota::FuentesRed& fuentes, const std::vector<nota::TramoNota>& tramos,
                       const red::RedGrafo* grafo, char separadorDecimal,
                       const nota::PerfilesNota* perfiles = nullptr,
                       const nota::SeccionDiseno* diseno = nullptr);

} // namespace colvero::cli
