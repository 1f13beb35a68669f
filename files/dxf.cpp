#include "files/dxf.h"

#include "files/escritura.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace colvero::dxf {
namespace {

// Bytes of a text's value: readers take lines of up to 255 characters.
constexpr std::size_t kLargoTexto = 250;

// One group: its code right-aligned in three columns, then its value, each on a CR LF line.
void grupo(std::string& d, int codigo, std::string_view valor) {
    char b[8];
    const auto [fin, error] = std::to_chars(b, b + sizeof b, codigo);
    d.append(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, 3 - (fin - b))), ' ');
    d.append(b, fin);
    d += "\r\n";
    d += valor;
    d += "\r\n";
}

void grupo(std::string& d, int codigo, int valor) {
    char b[16];
    const auto [fin, error] = std::to_chars(b, b + sizeof b, valor);
    grupo(d, codigo, std::string_view(b, static_cast<std::size_t>(fin - b)));
}

void grupo(std::string& d, int codigo, double valor) {
    grupo(d, codigo, numero(valor));
}

bool nombreValido(std::string_view s) {
    return !s.empty() && s.size() <= 31 && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '$' || c == '-' || c == '_';
    });
}

bool finito(Punto p) {
    return std::isfinite(p.first) && std::isfinite(p.second);
}

void exigirFinito(Punto p) {
    if (!finito(p))
        throw std::invalid_argument("dxf: coordenada no finita");
}

void escape(std::string& d, unsigned unidad) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    d += "\\U+";
    for (int k = 12; k >= 0; k -= 4)
        d += kHex[(unidad >> k) & 0xF];
}

// The code point of the UTF-8 sequence at s[i], advancing i; U+FFFD for a malformed one
// (overlong, a surrogate, past U+10FFFF, cut short), which takes one byte.
char32_t siguiente(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int largo = b < 0x80         ? 1
                      : (b >> 5) == 6  ? 2
                      : (b >> 4) == 14 ? 3
                      : (b >> 3) == 30 ? 4
                                       : 0;
    if (largo == 1) {
        ++i;
        return b;
    }
    if (largo == 0 || i + static_cast<std::size_t>(largo) > s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t c = b & (0x7F >> largo);
    for (int k = 1; k < largo; ++k) {
        const auto t = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((t & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (t & 0x3F);
    }
    static constexpr char32_t kMinimo[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMinimo[largo] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += static_cast<std::size_t>(largo);
    return c;
}

// The Windows-1252 byte of a code point from U+0080 on, or -1 when it has none.
int cp1252(char32_t c) {
    if (c >= 0xA0 && c <= 0xFF)
        return static_cast<int>(c);
    // 0x80 to 0x9F; 0: undefined in the code page.
    static constexpr char16_t k80[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int k = 0; k < 32; ++k) {
        if (k80[k] != 0 && k80[k] == c)
            return 0x80 + k;
    }
    return -1;
}

} // namespace

std::string numero(double x) {
    if (!std::isfinite(x))
        throw std::invalid_argument("dxf: número no finito");
    // Fixed notation of a double takes at most 309 integer digits and 1074 decimals.
    char b[1100];
    const auto [fin, error] = std::to_chars(b, b + sizeof b, x, std::chars_format::fixed);
    std::string s(b, fin);
    if (s.find('.') == std::string::npos)
        s += ".0";
    return s;
}

std::string textoDxf(std::string_view utf8) {
    std::string d;
    d.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size() && d.size() < kLargoTexto;) {
        const std::size_t antes = d.size();
        const char32_t c = siguiente(utf8, i);
        if (c < 0x20 || c == 0x7F) {
            // Caret notation: "^J" is a line feed.
            d += '^';
            d += static_cast<char>(c ^ 0x40);
        } else if (c == '^') {
            d += "^ ";
        } else if ((c == '%' && i < utf8.size() && utf8[i] == '%') ||
                   (c == '\\' && (utf8.substr(i, 2) == "U+" || utf8.substr(i, 2) == "M+"))) {
            escape(d, static_cast<unsigned>(c)); // else read as a control code or an escape
        } else if (c < 0x80) {
            d += static_cast<char>(c);
        } else if (const int b = cp1252(c); b >= 0) {
            d += static_cast<char>(b);
        } else if (c <= 0xFFFF) {
            escape(d, static_cast<unsigned>(c));
        } else {
            const unsigned v = static_cast<unsigned>(c) - 0x10000;
            escape(d, 0xD800 | (v >> 10));
            escape(d, 0xDC00 | (v & 0x3FF));
        }
        if (d.size() > kLargoTexto) {
            d.resize(antes);
            break;
        }
    }
    return d;
}

Dibujo::Dibujo(std::vector<Capa> capas, Unidades unidades)
    : capas_(std::move(capas)), unidades_(unidades), xmin_(std::numeric_limits<double>::infinity()),
      ymin_(xmin_), xmax_(-xmin_), ymax_(-xmin_) {
    for (const Capa& c : capas_) {
        if (!nombreValido(c.nombre) || c.nombre == "0" || c.color < 1 || c.color > 255)
            throw std::invalid_argument("dxf: capa no válida: " + c.nombre);
    }
}

void Dibujo::exigirCapa(std::string_view nombre) const {
    if (std::none_of(capas_.begin(), capas_.end(),
                     [&](const Capa& c) { return c.nombre == nombre; }))
        throw std::invalid_argument("dxf: capa no declarada: " + std::string(nombre));
}

void Dibujo::entidad(std::string_view tipo, std::string_view nombreCapa) {
    grupo(entidadesDxf_, 0, tipo);
    grupo(entidadesDxf_, 8, nombreCapa);
}

void Dibujo::punto(int codigoX, Punto p) {
    grupo(entidadesDxf_, codigoX, p.first);
    grupo(entidadesDxf_, codigoX + 10, p.second);
    grupo(entidadesDxf_, codigoX + 20, 0.0);
}

void Dibujo::abarcar(Punto p) {
    // A circle or a text near the largest doubles may reach past them: the extents, a hint
    // to the viewer, leave such a point out.
    if (!finito(p))
        return;
    xmin_ = std::min(xmin_, p.first);
    ymin_ = std::min(ymin_, p.second);
    xmax_ = std::max(xmax_, p.first);
    ymax_ = std::max(ymax_, p.second);
}

void Dibujo::linea(std::string_view nombre, Punto a, Punto b) {
    exigirCapa(nombre);
    exigirFinito(a);
    exigirFinito(b);
    entidad("LINE", nombre);
    punto(10, a);
    punto(11, b);
    abarcar(a);
    abarcar(b);
    ++entidades_;
}

void Dibujo::polilinea(std::string_view nombre, std::span<const Punto> puntos) {
    if (puntos.size() < 2)
        throw std::invalid_argument("dxf: una polilínea necesita dos puntos");
    exigirCapa(nombre);
    std::for_each(puntos.begin(), puntos.end(), exigirFinito);
    std::string& d = entidadesDxf_;
    entidad("POLYLINE", nombre);
    grupo(d, 66, 1); // vertices follow
    punto(10, {0.0, 0.0});
    grupo(d, 70, 0); // open
    for (const Punto& p : puntos) {
        entidad("VERTEX", nombre);
        punto(10, p);
        abarcar(p);
    }
    entidad("SEQEND", nombre);
    ++entidades_;
}

void Dibujo::circulo(std::string_view nombre, Punto centro, double radio) {
    exigirCapa(nombre);
    exigirFinito(centro);
    if (!(radio > 0) || !std::isfinite(radio))
        throw std::invalid_argument("dxf: radio no positivo");
    std::string& d = entidadesDxf_;
    entidad("CIRCLE", nombre);
    punto(10, centro);
    grupo(d, 40, radio);
    abarcar({centro.first - radio, centro.second - radio});
    abarcar({centro.first + radio, centro.second + radio});
    ++entidades_;
}

void Dibujo::texto(std::string_view nombre, Punto p, double altura, double angulo,
                   std::string_view utf8, Anclaje anclaje) {
    exigirCapa(nombre);
    exigirFinito(p);
    if (!(altura > 0) || !std::isfinite(altura) || !std::isfinite(angulo))
        throw std::invalid_argument("dxf: altura o ángulo de texto no válidos");
    std::string& d = entidadesDxf_;
    entidad("TEXT", nombre);
    // A justified text is placed by its alignment point (11); readers recompute the first.
    punto(10, p);
    grupo(d, 40, altura);
    grupo(d, 1, textoDxf(utf8));
    if (angulo != 0)
        grupo(d, 50, angulo);
    if (anclaje != Anclaje::IzquierdaBase) {
        grupo(d, 72, 1); // centred
        punto(11, p);
        grupo(d, 73, anclaje == Anclaje::CentroAbajo ? 1 : 2);
    }
    abarcar(p);
    ++entidades_;
}

std::string Dibujo::contenido() const {
    std::string d;
    d.reserve(entidadesDxf_.size() + 2048);
    grupo(d, 0, "SECTION");
    grupo(d, 2, "HEADER");
    grupo(d, 9, "$ACADVER");
    grupo(d, 1, "AC1009");
    grupo(d, 9, "$DWGCODEPAGE");
    grupo(d, 3, "ANSI_1252");
    grupo(d, 9, "$INSUNITS");
    grupo(d, 70, static_cast<int>(unidades_));
    const bool vacio = xmin_ > xmax_;
    grupo(d, 9, "$EXTMIN");
    grupo(d, 10, vacio ? 0.0 : xmin_);
    grupo(d, 20, vacio ? 0.0 : ymin_);
    grupo(d, 30, 0.0);
    grupo(d, 9, "$EXTMAX");
    grupo(d, 10, vacio ? 0.0 : xmax_);
    grupo(d, 20, vacio ? 0.0 : ymax_);
    grupo(d, 30, 0.0);
    grupo(d, 0, "ENDSEC");

    grupo(d, 0, "SECTION");
    grupo(d, 2, "TABLES");
    const auto tabla = [&](std::string_view nombre, int entradas) {
        grupo(d, 0, "TABLE");
        grupo(d, 2, nombre);
        grupo(d, 70, entradas);
    };
    tabla("LTYPE", 1);
    grupo(d, 0, "LTYPE");
    grupo(d, 2, "CONTINUOUS");
    grupo(d, 70, 0);
    grupo(d, 3, "Solid line");
    grupo(d, 72, 65);
    grupo(d, 73, 0);
    grupo(d, 40, 0.0);
    grupo(d, 0, "ENDTAB");
    tabla("LAYER", static_cast<int>(capas_.size()) + 1);
    const auto capaDxf = [&](std::string_view nombre, int color) {
        grupo(d, 0, "LAYER");
        grupo(d, 2, nombre);
        grupo(d, 70, 0);
        grupo(d, 62, color);
        grupo(d, 6, "CONTINUOUS");
    };
    capaDxf("0", 7);
    for (const Capa& c : capas_)
        capaDxf(c.nombre, c.color);
    grupo(d, 0, "ENDTAB");
    tabla("STYLE", 1);
    grupo(d, 0, "STYLE");
    grupo(d, 2, "STANDARD");
    grupo(d, 70, 0);
    grupo(d, 40, 0.0);
    grupo(d, 41, 1.0);
    grupo(d, 50, 0.0);
    grupo(d, 71, 0);
    grupo(d, 42, 2.5);
    grupo(d, 3, "txt");
    grupo(d, 4, "");
    grupo(d, 0, "ENDTAB");
    grupo(d, 0, "ENDSEC");

    grupo(d, 0, "SECTION");
    grupo(d, 2, "ENTITIES");
    d += entidadesDxf_;
    grupo(d, 0, "ENDSEC");
    grupo(d, 0, "EOF");
    return d;
}

void Dibujo::escribir(const QByteArray& rutaNativa, const QString& nombre) const {
    escribirAtomicamente(rutaNativa, nombre, contenido());
}

} // namespace colvero::dxf
