#pragma once
// A drawing for CAD as an AutoCAD R12 DXF file (AC1009): text with CR LF lines, the layers with
// their colours, and lines, polylines, circles and single-line texts on them. R12 is the
// oldest version that every CAD program and GDAL still read, and it needs no handles.
//
// Numbers are written with a decimal point and the fewest digits that read back as the very
// double. Texts come in UTF-8 and go out in the file's code page, Windows-1252 (R12 is ANSI):
// a character it lacks is written as \U+XXXX (UTF-16 units), which AutoCAD reads back (GDAL
// keeps the escape as it is in a TEXT); a control character in caret notation ("^J"), a caret
// as "^ ", and a "%" before "%" or a backslash before "U+" escaped, so that no reader takes
// them for a code. Bytes that are not UTF-8 become U+FFFD. A text is cut to 250 bytes, at a
// character, as readers take lines of up to 255.
#include <QByteArray>
#include <QString>

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace colvero::dxf {

using Punto = std::pair<double, double>;

// $INSUNITS: what one drawing unit is.
enum class Unidades { SinUnidades = 0, Metros = 6 };

struct Capa {
    std::string nombre; // letters, digits, "$", "-" and "_", at most 31 characters
    int color = 7;      // AutoCAD colour index, 1 to 255
};

// Where a text's point sits on the text.
enum class Anclaje {
    IzquierdaBase, // left end of the baseline
    CentroAbajo,   // middle of the text's bottom
    CentroMedio,   // the text's centre
};

// The drawing in memory until contenido() or escribir(). Coordinates that are not finite, a
// height or radius that is not positive, or a layer not declared raise std::invalid_argument
// and add nothing: the caller leaves such things out and says so.
class Dibujo {
public:
    explicit Dibujo(std::vector<Capa> capas, Unidades unidades = Unidades::SinUnidades);

    void linea(std::string_view capa, Punto a, Punto b);
    // An open polyline of at least two points.
    void polilinea(std::string_view capa, std::span<const Punto> puntos);
    void circulo(std::string_view capa, Punto centro, double radio);
    // `angulo` in degrees, counter-clockwise from +x.
    void texto(std::string_view capa, Punto punto, double altura, double angulo,
               std::string_view utf8, Anclaje anclaje = Anclaje::IzquierdaBase);

    std::size_t entidades() const { return entidades_; }

    // The whole file.
    std::string contenido() const;
    // Writes it whole or not at all (EscrituraAtomica); raises ErrorArchivo naming `nombre`.
    void escribir(const QByteArray& rutaNativa, const QString& nombre) const;

private:
    // Checks everything before the first byte of an entity, so that a refused one leaves
    // nothing behind.
    void exigirCapa(std::string_view nombre) const;
    // An entity's first groups: its type and its layer.
    void entidad(std::string_view tipo, std::string_view nombreCapa);
    void punto(int codigoX, Punto p);
    void abarcar(Punto p);

    std::vector<Capa> capas_;
    Unidades unidades_;
    std::string entidadesDxf_;
    std::size_t entidades_ = 0;
    double xmin_, ymin_, xmax_, ymax_;
};

// A number with a decimal point and the shortest digits that read back as `x` ("12.0",
// "0.1", "-4470000.987654321"); never an exponent. Raises std::invalid_argument when not
// finite.
std::string numero(double x);

// A UTF-8 text as an R12 string in Windows-1252 (see above).
std::string textoDxf(std::string_view utf8);

} // namespace colvero::dxf
