#pragma once
// The calculation note of a case: one or two A4 pages in Spanish with the case's titles, the
// date, the calculation file, author and project, the overall verdict, the collector, the
// criterion, the method, the ten conditions as the window shows them, the two-depth warnings,
// the admissible slopes and the hydraulic-elements chart. The text is real PDF text with its
// fonts embedded. Needs a QGuiApplication (fonts).
#include "check/pendientes.h"
#include "note/caso.h"

#include <QByteArray>
#include <QDate>
#include <QFont>
#include <QFontMetricsF>
#include <QString>

namespace colvero::nota {

// What names the case and who signs it. Empty texts are left out of the note.
struct Encabezado {
    QString archivo;                 // the calculation file's name (or what the case came from)
    QString criterio;                // the criterion file's name; empty: limits typed in
    bool criterioModificado = false; // its limits were edited after it was read or saved
    QString autor;
    QString proyecto;
};

// The overall verdict of a completed run, from its outcome values: "Cumple todas las
// condiciones activas", "No cumple: (2), (4)", with "Datos erróneos: (5)" for enabled
// conditions that ended in "[ERROR]" (and "Sin evaluar: (k)" for any the run did not reach), or
// "Ninguna condición activa".
QString veredictoGeneral(const std::array<ResultadoCondicion, 10>& condiciones,
                         const Activas& activas);
// Whether that verdict is a pass: every enabled condition passes, and one at least is enabled.
bool cumpleTodas(const std::array<ResultadoCondicion, 10>& condiciones, const Activas& activas);

// The note's typeface, DejaVu Sans, at `puntos` points, without shaping.
QFont fuenteNota(double puntos, bool negrita = false);

// The limit of condition `k` (1 to 10) as the note's table of conditions writes it, one
// quantity a line.
QString limiteCondicion(const Criterio& criterio, int k);

// Breaks `texto` into lines no wider than `ancho` (in the units of `medidas`) at blanks only:
// never inside a unit such as "t/m3" nor between a number and its unit. Runs of blanks inside
// a line are kept; a word wider than the line stands alone on its own.
QString partirLineas(const QString& texto, const QFontMetricsF& medidas, double ancho);

// Numbers are the texts the window shows, with `separadorDecimal`.
QByteArray pdfNota(const CasoCalculado& caso, char separadorDecimal, QDate fecha,
                   const Encabezado& encabezado = {});

} // namespace colvero::nota
