#pragma once
// The calculation file (.caVek) and the criterion file (.CrVek): Windows-1252 text, CR LF
// lines, comma-joined values without quoting, a last line "EOF".
//
// Numbers are stored with "." whatever the locale: the writers turn the locale's decimal
// separator of the numeric fields into ".", the readers turn "." back into it.
//
// Readers read every value they need before returning anything, so a failed read changes
// nothing. Writers refuse a text the format cannot hold and replace the target atomically.
// Every failure is an ErrorArchivo whose message (Spanish) names the file and the fault.
#include "check/calculo.h"

#include <QByteArray>
#include <QString>
#include <stdexcept>

namespace colvero {

class ErrorArchivo : public std::runtime_error {
public:
    using std::runtime_error::runtime_error; // message in UTF-8
};

// Calculation file: the whole case with its criterion.
Calculo leerCalculo(const QString& ruta, char separadorDecimal);
void guardarCalculo(const QString& ruta, const Calculo& calculo, char separadorDecimal);

// Criterion file: flags, flow names and limits only.
Criterio leerCriterio(const QString& ruta, char separadorDecimal);
void guardarCriterio(const QString& ruta, const Criterio& criterio, char separadorDecimal);

// The same readers on the bytes of a file; `nombre` is used in messages.
Calculo calculoDeBytes(const QByteArray& bytes, const QString& nombre, char separadorDecimal);
Criterio criterioDeBytes(const QByteArray& bytes, const QString& nombre, char separadorDecimal);

// The bytes the writers store.
QByteArray bytesDeCalculo(const Calculo& calculo, char separadorDecimal);
QByteArray bytesDeCriterio(const Criterio& criterio, char separadorDecimal);

} // namespace colvero
