#pragma once
// The decimal separator of a locale as the engine and the files take it.
#include <QLocale>

namespace colvero {

// ',' when the locale writes a decimal comma, '.' for everything else.
inline char separadorDecimalDe(const QLocale& locale) {
    return locale.decimalPoint() == QLatin1String(",") ? ',' : '.';
}

} // namespace colvero
