#pragma once
// The calculation note of a case: one or two A4 pages in Spanish with the case's titles, the
// date, the collector, the criterion, the ten conditions as the window shows them, the
// two-depth warnings, the admissible slopes and the hydraulic-elements chart. The text is real
// PDF text with its fonts embedded. Needs a QGuiApplication (fonts).
#include "check/pendientes.h"
#include "note/caso.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace colvero::nota {

// `criterio` names the criterion in force (the name of its file); empty when its limits were
// typed in the window. Numbers are the texts the window shows, with `separadorDecimal`.
QByteArray pdfNota(const CasoCalculado& caso, char separadorDecimal, QDate fecha,
                   const QString& criterio = {});

} // namespace colvero::nota
