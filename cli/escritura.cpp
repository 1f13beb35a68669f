#include "cli/escritura.h"

#include "files/lectura.h"

#include <algorithm>

#include <QString>

namespace colvero::cli {
namespace {

// True when Qt would give the same bytes back after reading `s` into a QString. Malformed
// sequences become U+FFFD there; noncharacters (U+FDD0..U+FDEF, U+xFFFE/F) and four-byte
// sequences are left to Qt as well, which keeps this check on the safe side.
bool pasaSinCambios(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const fin = p + s.size();
    auto continuacion = [&](const unsigned char* q, unsigned char min, unsigned char max) {
        return q < fin && *q >= min && *q <= max;
    };
    while (p < fin) {
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
        } else if (b >= 0xC2 && b <= 0xDF && continuacion(p + 1, 0x80, 0xBF)) {
            p += 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            const unsigned char min = b == 0xE0 ? 0xA0 : 0x80;
            const unsigned char max = b == 0xED ? 0x9F : 0xBF;
            if (!continuacion(p + 1, min, max) || !continuacion(p + 2, 0x80, 0xBF) ||
                (b == 0xEF && (p[1] == 0xB7 || p[1] == 0xBF))) {
                return false;
            }
            p += 3;
        } else {
            return false;
        }
    }
    return true;
}

// A text as Qt would write it after reading it as UTF-8.
std::string_view comoQt(std::string_view s, std::string& apoyo) {
    if (esAscii(s) || pasaSinCambios(s)) {
        return s;
    }
    apoyo = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).toStdString();
    return apoyo;
}

} // namespace

void anadirCadenaJson(std::string& d, std::string_view texto) {
    static constexpr char kHex[] = "0123456789abcdef";
    // Most texts are printable ASCII with nothing to escape: copied whole.
    if (std::all_of(texto.begin(), texto.end(), [](char c) {
            const auto b = static_cast<unsigned char>(c);
            return b >= 0x20 && b < 0x80 && b != '"' && b != '\\';
        })) {
        d += '"';
        d.append(texto);
        d += '"';
        return;
    }
    std::string apoyo;
    const std::string_view s = comoQt(texto, apoyo);
    d += '"';
    size_t tramo = 0; // start of the bytes not copied yet
    for (size_t k = 0; k < s.size(); ++k) {
        const auto c = static_cast<unsigned char>(s[k]);
        if (c >= 0x20 && c != '"' && c != '\\') {
            continue;
        }
        d.append(s.substr(tramo, k - tramo));
        tramo = k + 1;
        d += '\\';
        switch (c) {
        case '"':
        case '\\':
            d += static_cast<char>(c);
            break;
        case '\b':
            d += 'b';
            break;
        case '\f':
            d += 'f';
            break;
        case '\n':
            d += 'n';
            break;
        case '\r':
            d += 'r';
            break;
        case '\t':
            d += 't';
            break;
        default:
            d += "u00";
            d += kHex[c >> 4];
            d += kHex[c & 0xF];
        }
    }
    d.append(s.substr(tramo));
    d += '"';
}

bool abrirJsonDeArchivo(std::string& d, const QString& archivo,
                        const std::optional<std::string>& error) {
    const QByteArray nombre = archivo.toUtf8();
    d += "{\"archivo\":";
    anadirCadenaJson(d, std::string_view(nombre.constData(), static_cast<size_t>(nombre.size())));
    if (error) {
        d += ",\"error\":";
        anadirCadenaJson(d, *error);
        d += '}';
        return true;
    }
    return false;
}

void anadirTexto(std::string& d, std::string_view texto) {
    std::string apoyo;
    d.append(comoQt(texto, apoyo));
}

} // namespace colvero::cli
