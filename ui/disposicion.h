#pragma once
// The controls of the window as data: name, kind, rectangle in twips, caption or initial text,
// look and tab index. One table per area of the window; the rows of the criteria grid also list
// which controls a check box shows and hides.
#include <array>
#include <span>
#include <vector>

namespace colvero::ui {

enum class Tipo { Panel, Imagen, Etiqueta, Texto, Casilla, Boton };

enum class Estilo {
    Ninguno,
    EntradaNumero,     // number input
    EntradaTexto,      // text input
    EntradaLimite,     // limit input
    Resultado,         // result field
    ResultadoRh,       // the hydraulic radius field of condition 5
    MarcadorNumero,    // disabled flow placeholder of conditions 8 to 10
    MarcadorTexto,     // disabled flow-name placeholder of conditions 8 to 10
    Cantidad,          // quantity caption
    Limite,            // limit caption
    Titulo,            // title caption
    Cabecera,          // header caption
    CabeceraNegra,     // the first header caption
    Estado,            // status caption
    EstadoCalculo,     // the calculation status line
    Fabricante,        // maker caption
    FabricanteNegrita, // the maker's name
    Patrocina,         // the sponsor line
    TituloSombra,      // dark copy of the program title
    TituloPrograma,    // program title
    Version,           // name and version line
    Subtitulo,
    Panel,
};

struct Control {
    const char* nombre;
    Tipo tipo;
    int x, y, ancho, alto; // twips from the top-left corner of the client area
    const char* texto;     // caption or initial text; nullptr when set at start-up
    Estilo estilo = Estilo::Ninguno;
    int tab = 0;               // tab index; 0 for controls without a tab stop
    unsigned fondoBoton = 0;   // 0xRRGGBB background of a button
    bool variasLineas = false; // the caption wraps inside its rectangle
};

// Areas of the window, in the order they are stacked from bottom to top within each kind.
std::span<const Control> tituloYFabricante();
std::span<const Control> mandosYEstado();
std::span<const Control> estudioYColector();
std::span<const Control> cabeceraCriterios();
std::span<const Control> filasCriterios();
std::span<const Control> panelesFilas();
const Control& imagenShields();

// All areas together.
std::vector<Control> todosLosControles();

// The controls that a condition's check box shows and hides (index 0 is condition 1). The
// row's title, check box and verdict label are not listed: they stay visible.
struct Fila {
    const char* casilla;
    const char* nota;
    std::vector<const char*> controles;
};
const std::array<Fila, 10>& filas();

// Outer size of the window, frame included, in twips.
inline constexpr int kAnchoExterior = 15130;
inline constexpr int kAltoExterior = 11340;

// Window size in pixels: the outer frame 15130 x 11340 twips less a fixed single border and
// the caption bar.
inline constexpr int kAnchoCliente = 1003;
inline constexpr int kAltoCliente = 727;

inline constexpr int pixeles(int twips) {
    return (twips + 7) / 15;
}

} // namespace colvero::ui
