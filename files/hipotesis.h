#pragma once
// The flow hypothesis file: one "clave = valor" a line, "#" starts a comment, numbers with a
// decimal point or comma. Every key may be left out and keeps its default (red::Hipotesis).
#include "network/acumulacion.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace colvero {

// An unknown or repeated key, a value that is not a number (or not a kind of flow for the
// `condicion_k` keys) or out of its range raises ErrorArchivo naming the file and the line.
red::Hipotesis leerHipotesis(const QByteArray& rutaNativa);
red::Hipotesis hipotesisDeBytes(std::string_view bytes, const QString& nombre);

// The file of `h`, every key written, numbers with a decimal point and as many digits as they
// need to read back the same.
std::string textoDeHipotesis(const red::Hipotesis& h);

} // namespace colvero
