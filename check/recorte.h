#pragma once
// The one trimming of blanks that every reader uses (fields, values, cells, series lines).
#include <string_view>

namespace colvero {

// Blanks around a number or a table cell.
inline constexpr std::string_view kBlancos = " \t";
// Every ASCII white space, line ends included.
inline constexpr std::string_view kEspacios = " \t\r\n\v\f";

// `s` without the characters of `blancos` at either end.
constexpr std::string_view recortar(std::string_view s, std::string_view blancos = kBlancos) {
    const std::size_t desde = s.find_first_not_of(blancos);
    if (desde == std::string_view::npos)
        return {};
    return s.substr(desde, s.find_last_not_of(blancos) - desde + 1);
}

} // namespace colvero
