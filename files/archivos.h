#pragma once
// The calculation file (.caVek) and the criterion file (.CrVek): Windows-1252 text, CR LF
// lines, comma-joined values without quoting, a last line "EOF". Files that other editors
// saved as UTF-8 (with a byte-order mark, or whose non-ASCII bytes all form valid UTF-8) are
// read as UTF-8; the writers always write Windows-1252.
//
// Numbers are stored with "." whatever the locale: the writers turn the locale's decimal
// separator of the numeric fields into ".", the readers turn "." back into it.
//
// Readers read every value they need before returning anything, so a failed read changes
// nothing. Writers refuse a text the format cannot hold and replace the target atomically,
// only once every byte is on disk; a device or a FIFO is written in place. Every failure is an
// ErrorArchivo whose message (Spanish) names the file and the fault, with the system's cause.
#include "check/calculo.h"

#include <QByteArray>
#include <QString>
#include <stdexcept>

namespace colvero {

class ErrorArchivo : public std::runtime_error {
public:
    using std::runtime_error::runtime_error; // message in UTF-8
};

// A file as read, and whether a line "EOF" followed its values. The format allows a file
// without it, which reads all the same; but a file cut short, even in the middle of its last
// value, also lacks it, so its absence is worth a warning (kAvisoSinEOF).
template <class T> struct Leido {
    T valor;
    bool sinEOF = false;
};
inline constexpr const char* kAvisoSinEOF = "el archivo no termina en EOF: puede estar cortado";

// Calculation file: the whole case with its criterion.
Calculo leerCalculo(const QString& ruta, char separadorDecimal);
void guardarCalculo(const QString& ruta, const Calculo& calculo, char separadorDecimal);

// Criterion file: flags, flow names and limits only.
Criterio leerCriterio(const QString& ruta, char separadorDecimal);
void guardarCriterio(const QString& ruta, const Criterio& criterio, char separadorDecimal);

// The same on the bytes of a path as the system holds them, so that any name the system
// accepts works, valid UTF-8 or not. Messages show the name with invalid bytes replaced.
Calculo leerCalculo(const QByteArray& rutaNativa, char separadorDecimal);
Criterio leerCriterio(const QByteArray& rutaNativa, char separadorDecimal);
// The same, telling whether the file ends in "EOF".
Leido<Calculo> abrirCalculo(const QString& ruta, char separadorDecimal);
Leido<Criterio> abrirCriterio(const QString& ruta, char separadorDecimal);
Leido<Calculo> abrirCalculo(const QByteArray& rutaNativa, char separadorDecimal);
Leido<Criterio> abrirCriterio(const QByteArray& rutaNativa, char separadorDecimal);
void guardarCalculo(const QByteArray& rutaNativa, const Calculo& calculo, char separadorDecimal);
void guardarCriterio(const QByteArray& rutaNativa, const Criterio& criterio, char separadorDecimal);

// A C string is a native path; without these a literal would fit both overloads.
inline Calculo leerCalculo(const char* rutaNativa, char separadorDecimal) {
    return leerCalculo(QByteArray(rutaNativa), separadorDecimal);
}
inline Criterio leerCriterio(const char* rutaNativa, char separadorDecimal) {
    return leerCriterio(QByteArray(rutaNativa), separadorDecimal);
}
inline void guardarCalculo(const char* rutaNativa, const Calculo& calculo, char separadorDecimal) {
    guardarCalculo(QByteArray(rutaNativa), calculo, separadorDecimal);
}
inline void guardarCriterio(const char* rutaNativa, const Criterio& criterio,
                            char separadorDecimal) {
    guardarCriterio(QByteArray(rutaNativa), criterio, separadorDecimal);
}

// Any bytes (a picture, a PDF) saved the same way as the two formats: atomically, the target
// untouched and no temporary left behind on any failure, an ErrorArchivo saying why.
void guardarBytes(const QString& ruta, const QByteArray& bytes);
void guardarBytes(const QByteArray& rutaNativa, const QByteArray& bytes);

// Why a system call failed, in the words of the messages: `numeroError` is an errno value.
QString causaDelError(int numeroError);

// The same readers on the bytes of a file; `nombre` is used in messages.
Calculo calculoDeBytes(const QByteArray& bytes, const QString& nombre, char separadorDecimal);
Leido<Calculo> calculoLeidoDeBytes(const QByteArray& bytes, const QString& nombre,
                                   char separadorDecimal);
Criterio criterioDeBytes(const QByteArray& bytes, const QString& nombre, char separadorDecimal);

// The bytes the writers store.
QByteArray bytesDeCalculo(const Calculo& calculo, char separadorDecimal);
QByteArray bytesDeCriterio(const Criterio& criterio, char separadorDecimal);

} // namespace colvero
