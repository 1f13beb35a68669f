#include "ui/disposicion.h"

#include "check/leyendas.h"

namespace colvero::ui {
namespace {

namespace L = leyendas;
using E = Estilo;
using T = Tipo;

// Captions of the program title, the version line and the maker block are set at start-up.
const Control kTituloYFabricante[] = {
    {"Image2", T::Imagen, 11610, 3015, 480, 480, ""},
    {"Label26", T::Etiqueta, 240, 420, 5580, 1185, nullptr, E::TituloSombra},
    {"Label6", T::Etiqueta, 255, 450, 5880, 1185, nullptr, E::TituloPrograma},
    {"Label38", T::Etiqueta, 240, 1755, 3705, 375, nullptr, E::Version},
    {"Label32", T::Etiqueta, 240, 2205, 6510, 555, nullptr, E::Subtitulo},
    {"Label2", T::Etiqueta, 12420, 1170, 3060, 195, nullptr, E::FabricanteNegrita},
    {"Label4", T::Etiqueta, 12420, 1425, 2505, 255, nullptr, E::Fabricante},
    {"Label5", T::Etiqueta, 12420, 1725, 2655, 390, "Patrocina esta aplicación ", E::Patrocina},
    {"Label3", T::Etiqueta, 12465, 3405, 2295, 255, nullptr, E::Fabricante},
};

const Control kMandosYEstado[] = {
    {"Shape19", T::Panel, 75, 2865, 2835, 765, "", E::Panel},
    {"Shape20", T::Panel, 75, 3690, 2835, 750, "", E::Panel},
    {"Shape21", T::Panel, 3000, 2865, 9225, 765, "", E::Panel},
    {"Shape23", T::Panel, 3000, 3690, 9225, 750, "", E::Panel},
    {"NotaCalC", T::Etiqueta, 3120, 2940, 5385, 570, "-", E::EstadoCalculo, 0, 0, true},
    {"Label29", T::Etiqueta, 3075, 3795, 810, 180, "Cálculo:", E::Titulo},
    {"Label1ap", T::Etiqueta, 3825, 3735, 8385, 360, "-", E::Estado, 0, 0, true},
    {"Label30", T::Etiqueta, 3075, 4050, 810, 180, "Criterio:", E::Titulo},
    {"Label3ap", T::Etiqueta, 3825, 3990, 8325, 420, "-", E::Estado, 0, 0, true},
    {"Command13", T::Boton, 150, 2940, 1290, 310, "Calcular", E::Ninguno, 34, 0xFFFFFF},
    {"Command8", T::Boton, 150, 3270, 1290, 310, "Salir", E::Ninguno, 35, 0xE0E0E0},
    {"Command6", T::Boton, 1545, 2985, 1290, 525, "Generar informe ( Portapapeles)", E::Ninguno, 36,
     0xC0C0C0, true},
    {"Command20", T::Boton, 180, 3735, 1290, 310, "Abrir Cálculo", E::Ninguno, 37, 0xC0C0C0},
    {"Command21", T::Boton, 1560, 3735, 1290, 310, "Guardar Cálculo", E::Ninguno, 38, 0xC0C0C0},
    {"Command16", T::Boton, 180, 4080, 1290, 310, "Abrir criterio", E::Ninguno, 39, 0x808080},
    {"Command17", T::Boton, 1560, 4080, 1290, 310, "Guardar criterio", E::Ninguno, 40, 0x808080},
};

const Control kEstudioYColector[] = {
    {"Shape18", T::Panel, 75, 4500, 7755, 1110, "", E::Panel},
    {"Shape22", T::Panel, 7860, 4500, 4425, 1110, "", E::Panel},
    {"Shape32", T::Panel, 12360, 4500, 2520, 1110, "", E::Panel},
    {"Label25", T::Etiqueta, 270, 4620, 1560, 255, "Datos del estudio", E::Titulo},
    {"Label28", T::Etiqueta, 7935, 4575, 1335, 255, "Datos Colector", E::Titulo},
    {"Label46", T::Etiqueta, 9480, 4590, 1605, 330, L::kDiametro, E::Cantidad},
    {"Label49", T::Etiqueta, 9480, 4875, 1305, 240, L::kManning, E::Cantidad},
    {"Label31", T::Etiqueta, 9480, 5220, 1305, 240, L::kPendiente, E::Cantidad},
    {"NotaCol", T::Etiqueta, 12420, 4920, 2295, 570, "-", E::Estado, 0, 0, true},
    {"Text1", T::Texto, 2100, 4635, 5580, 285, "Título 1", E::EntradaTexto, 1},
    {"Text2", T::Texto, 2100, 5070, 5580, 285, "Título 2", E::EntradaTexto, 2},
    {"Text34", T::Texto, 11220, 4575, 1005, 285, "0", E::EntradaNumero, 3},
    {"Text35", T::Texto, 11220, 4890, 1005, 285, "0", E::EntradaNumero, 4},
    {"Text18", T::Texto, 11220, 5235, 1005, 285, "0", E::EntradaNumero, 133},
};

// The header captions lie on the light band of the background picture.
const Control kCabeceraCriterios[] = {
    {"Label19", T::Etiqueta, 525, 5610, 1530, 255, "Criterio de diseño", E::CabeceraNegra},
    {"Label41", T::Etiqueta, 3510, 5610, 750, 255, "Q (m3/s)", E::Cabecera},
    {"Label16", T::Etiqueta, 4740, 5595, 2475, 255, "Denominación del caudal", E::Cabecera},
    {"Label17", T::Etiqueta, 9300, 5595, 1065, 255, "Condición", E::Cabecera},
    {"Label52", T::Etiqueta, 10485, 5595, 1635, 375, "Variable calculada", E::Cabecera},
    {"Label39", T::Etiqueta, 12420, 5595, 1215, 255, "Cumplimiento", E::Cabecera},
};

const Control kPanelesFilas[] = {
    {"Shape16", T::Panel, 75, 5835, 10260, 390, "", E::Panel},
    {"Shape15", T::Panel, 10425, 5835, 1860, 390, "", E::Panel},
    {"Shape24", T::Panel, 12360, 5835, 2520, 390, "", E::Panel},
    {"Shape14", T::Panel, 75, 6255, 10260, 390, "", E::Panel},
    {"Shape13", T::Panel, 10425, 6255, 1860, 390, "", E::Panel},
    {"Shape25", T::Panel, 12360, 6240, 2520, 390, "", E::Panel},
    {"Shape12", T::Panel, 75, 6675, 10260, 390, "", E::Panel},
    {"Shape11", T::Panel, 10425, 6675, 1860, 390, "", E::Panel},
    {"Shape26", T::Panel, 12360, 6660, 2520, 390, "", E::Panel},
    {"Shape10", T::Panel, 75, 7095, 10260, 390, "", E::Panel},
    {"Shape9", T::Panel, 10425, 7095, 1860, 390, "", E::Panel},
    {"Shape27", T::Panel, 12360, 7080, 2520, 390, "", E::Panel},
    {"Shape4", T::Panel, 75, 7515, 10260, 1065, "", E::Panel},
    {"Shape8", T::Panel, 10425, 7515, 1860, 1065, "", E::Panel},
    {"Shape28", T::Panel, 12360, 7500, 2520, 1065, "", E::Panel},
    {"Shape1", T::Panel, 75, 8610, 10260, 750, "", E::Panel},
    {"Shape7", T::Panel, 10425, 8610, 1860, 750, "", E::Panel},
    {"Shape29", T::Panel, 12360, 8595, 2520, 750, "", E::Panel},
    {"Shape6", T::Panel, 75, 9390, 10260, 705, "", E::Panel},
    {"Shape5", T::Panel, 10425, 9390, 1860, 705, "", E::Panel},
    {"Shape30", T::Panel, 12360, 9375, 2520, 705, "", E::Panel},
    {"Shape2", T::Panel, 75, 10110, 10260, 645, "", E::Panel},
    {"Shape3", T::Panel, 10425, 10110, 1860, 615, "", E::Panel},
    {"Shape31", T::Panel, 12360, 10095, 2520, 615, "", E::Panel},
};

constexpr const char* kIndependiente = "Condición independiente del Caudal";

// Row by row: check box, title, flow, flow name, limits with their captions, computed
// variable with its caption, verdict.
const Control kFilasCriterios[] = {
    {"Check1", T::Casilla, 150, 5910, 240, 240, "", E::Ninguno, 41},
    {"Label35", T::Etiqueta, 450, 5940, 2760, 180, L::kTitulosCondicion[0], E::Titulo},
    {"Text33", T::Texto, 3555, 5895, 585, 285, "0", E::EntradaNumero, 5},
    {"Text9", T::Texto, 4230, 5895, 4185, 285, "Denominación de caudal (1)", E::EntradaTexto, 15},
    {"Label7", T::Etiqueta, 10500, 5910, 720, 255, "Qll (m3/s)", E::Cantidad},
    {"Text37", T::Texto, 11265, 5895, 960, 285, "-", E::Resultado},
    {"Nota1", T::Etiqueta, 12420, 5940, 3345, 270, "-", E::Estado},

    {"Check2", T::Casilla, 150, 6330, 240, 240, "", E::Ninguno, 42},
    {"Label54", T::Etiqueta, 450, 6360, 2460, 180, L::kTitulosCondicion[1], E::Titulo},
    {"Text42", T::Texto, 3555, 6315, 585, 285, "0", E::EntradaNumero, 6},
    {"Text8", T::Texto, 4230, 6315, 4185, 285, "Denominación de caudal (2)", E::EntradaTexto, 16},
    {"Label57", T::Etiqueta, 8925, 6330, 630, 255, "v (m/s) <", E::Limite},
    {"Text39", T::Texto, 9630, 6315, 585, 285, "0", E::EntradaLimite, 22},
    {"Label11", T::Etiqueta, 10500, 6330, 660, 255, "v2 (m/s)", E::Cantidad},
    {"Text38", T::Texto, 11265, 6315, 960, 285, "-", E::Resultado},
    {"Nota2", T::Etiqueta, 12420, 6360, 3345, 270, "-", E::Estado},

    {"Check3", T::Casilla, 150, 6750, 240, 240, "", E::Ninguno, 43},
    {"Label58", T::Etiqueta, 450, 6780, 2460, 180, L::kTitulosCondicion[2], E::Titulo},
    {"Text43", T::Texto, 3555, 6735, 585, 285, "0", E::EntradaNumero, 7},
    {"Text7", T::Texto, 4230, 6735, 4185, 285, "Denominación de caudal (3)", E::EntradaTexto, 17},
    {"Label18", T::Etiqueta, 8925, 6750, 630, 255, "v (m/s) >", E::Limite},
    {"Text46", T::Texto, 9630, 6735, 585, 285, "0", E::EntradaLimite, 23},
    {"Label8", T::Etiqueta, 10500, 6750, 600, 255, "v3 (m/s)", E::Cantidad},
    {"Text47", T::Texto, 11265, 6735, 960, 285, "-", E::Resultado},
    {"Nota3", T::Etiqueta, 12420, 6780, 3345, 270, "-", E::Estado},

    {"Check4", T::Casilla, 150, 7170, 240, 240, "", E::Ninguno, 44},
    {"Label61", T::Etiqueta, 450, 7200, 2460, 180, L::kTitulosCondicion[3], E::Titulo},
    {"Text48", T::Texto, 3555, 7155, 585, 285, "0", E::EntradaNumero, 8},
    {"Text6", T::Texto, 4230, 7155, 4185, 285, "Denominación de caudal (4)", E::EntradaTexto, 18},
    {"Label65", T::Etiqueta, 8550, 7170, 1005, 255, "y/D max (%) <", E::Limite},
    {"Text51", T::Texto, 9630, 7155, 585, 285, "0", E::EntradaLimite, 24},
    {"Label12", T::Etiqueta, 10500, 7170, 660, 255, "y/D4 (%)", E::Cantidad},
    {"Text52", T::Texto, 11265, 7155, 960, 285, "-", E::Resultado},
    {"Nota4", T::Etiqueta, 12420, 7200, 3345, 270, "-", E::Estado},

    {"Check5", T::Casilla, 150, 7920, 240, 240, "", E::Ninguno, 45},
    {"Label78", T::Etiqueta, 450, 7875, 2610, 480, L::kTitulosCondicion[4], E::Titulo, 0, 0, true},
    {"Text76", T::Texto, 3555, 7920, 585, 285, "0", E::EntradaNumero, 9},
    {"Text3", T::Texto, 4200, 7665, 2235, 765, "Denominación de caudal (5)", E::EntradaTexto, 19},
    {"Label75", T::Etiqueta, 6495, 7530, 3060, 405,
     "- Peso específico de la partícula a arrastrar   (t/m3) =", E::Limite, 0, 0, true},
    {"Text54", T::Texto, 9630, 7590, 585, 285, "0", E::EntradaNumero, 25},
    {"Label74", T::Etiqueta, 6495, 7950, 2535, 240,
     "- Peso especifico del agua (t/m3) =", E::Limite},
    {"Text53", T::Texto, 9630, 7905, 585, 285, "0", E::EntradaNumero, 26},
    {"Label76", T::Etiqueta, 6495, 8265, 3060, 180,
     "- Diámetro de la partícula a arrastrar (mm) =", E::Limite},
    {"Text56", T::Texto, 9630, 8220, 585, 285, "0", E::EntradaLimite, 27},
    {"Label1", T::Etiqueta, 10500, 7695, 630, 255, "Rh =", E::Cantidad},
    {"Text55", T::Texto, 11265, 7680, 960, 285, "-", E::ResultadoRh},
    {"Label33", T::Etiqueta, 10500, 8115, 630, 255, "dp (mm) =", E::Cantidad},
    {"Text19", T::Texto, 11265, 8100, 960, 285, "-", E::Resultado},
    {"Nota5", T::Etiqueta, 12420, 7875, 3345, 270, "-", E::Estado},

    {"Check6", T::Casilla, 150, 8685, 240, 240, "", E::Ninguno, 46},
    {"Label83", T::Etiqueta, 450, 8685, 1785, 255, L::kTitulosCondicion[5], E::Titulo},
    {"Text67", T::Texto, 3555, 8670, 585, 285, "0", E::EntradaNumero, 10},
    {"Text5", T::Texto, 4200, 8670, 4185, 285, "Denominación de caudal (6)", E::EntradaTexto, 20},
    {"Label24", T::Etiqueta, 9270, 8715, 285, 180, "F >", E::Limite},
    {"Text57", T::Texto, 9630, 8670, 585, 285, "0", E::EntradaLimite, 28},
    {"Label15", T::Etiqueta, 10500, 8685, 480, 255, "F6", E::Cantidad},
    {"Text59", T::Texto, 11265, 8670, 960, 285, "-", E::Resultado},
    {"Nota6", T::Etiqueta, 12420, 8685, 3345, 270, "-", E::Estado},

    {"Check7", T::Casilla, 150, 9000, 240, 240, "", E::Ninguno, 47},
    {"Label90", T::Etiqueta, 450, 9000, 1710, 255, L::kTitulosCondicion[6], E::Titulo},
    {"Text70", T::Texto, 3555, 8985, 585, 285, "0", E::EntradaNumero, 11},
    {"Text4", T::Texto, 4200, 8985, 4185, 285, "Denominación de caudal (7)", E::EntradaTexto, 21},
    {"Label23", T::Etiqueta, 9270, 9030, 285, 180, "F <", E::Limite},
    {"Text58", T::Texto, 9630, 8985, 585, 285, "0", E::EntradaLimite, 29},
    {"Label14", T::Etiqueta, 10500, 9000, 480, 255, "F7", E::Cantidad},
    {"Text60", T::Texto, 11265, 8985, 960, 285, "-", E::Resultado},
    {"Nota7", T::Etiqueta, 12420, 9000, 3345, 270, "-", E::Estado},

    {"Check8", T::Casilla, 150, 9465, 240, 240, "", E::Ninguno, 48},
    {"Label97", T::Etiqueta, 450, 9465, 3135, 255, L::kTitulosCondicion[7], E::Titulo},
    {"Text12", T::Texto, 3555, 9450, 585, 285, "-", E::MarcadorNumero},
    {"Text13", T::Texto, 4200, 9450, 4185, 285, kIndependiente, E::MarcadorTexto},
    {"Label22", T::Etiqueta, 8895, 9465, 660, 255, "I (m/m) >", E::Limite},
    {"Text64", T::Texto, 9630, 9450, 645, 285, "0", E::EntradaLimite, 30},
    {"Label9", T::Etiqueta, 10500, 9465, 480, 255, "i (m/m)", E::Cantidad},
    {"Text62", T::Texto, 11265, 9450, 960, 285, "-", E::Resultado},
    {"Nota8", T::Etiqueta, 12420, 9465, 3345, 270, "-", E::Estado},

    {"Check9", T::Casilla, 150, 9780, 240, 240, "", E::Ninguno, 49},
    {"Label96", T::Etiqueta, 450, 9780, 3135, 255, L::kTitulosCondicion[8], E::Titulo},
    {"Text14", T::Texto, 3555, 9765, 585, 285, "-", E::MarcadorNumero},
    {"Text15", T::Texto, 4200, 9765, 4185, 285, kIndependiente, E::MarcadorTexto},
    {"Label21", T::Etiqueta, 8895, 9780, 660, 255, "I (m/m) <", E::Limite},
    {"Text63", T::Texto, 9630, 9765, 645, 285, "0", E::EntradaLimite, 31},
    {"Label13", T::Etiqueta, 10500, 9780, 480, 255, "i (m/m)", E::Cantidad},
    {"Text61", T::Texto, 11265, 9765, 960, 285, "-", E::Resultado},
    {"Nota9", T::Etiqueta, 12420, 9780, 3345, 270, "-", E::Estado},

    {"Check10", T::Casilla, 150, 10290, 240, 240, "", E::Ninguno, 50},
    {"Label102", T::Etiqueta, 450, 10290, 2985, 255, L::kTitulosCondicion[9], E::Titulo},
    {"Text11", T::Texto, 3555, 10275, 585, 285, "-", E::MarcadorNumero},
    {"Text10", T::Texto, 4200, 10275, 4185, 285, kIndependiente, E::MarcadorTexto},
    {"Label100", T::Etiqueta, 8520, 10140, 1035, 255, "Para y/D (%) =", E::Limite},
    {"Text71", T::Texto, 9630, 10125, 585, 285, "0", E::EntradaNumero, 32},
    {"Label101", T::Etiqueta, 8895, 10485, 660, 195, "v (m/s) >", E::Limite},
    {"Text72", T::Texto, 9630, 10440, 585, 285, "0", E::EntradaLimite, 33},
    {"Label10", T::Etiqueta, 10500, 10275, 720, 255, "v10 (m/s)", E::Cantidad},
    {"Text73", T::Texto, 11265, 10275, 960, 285, "-", E::Resultado},
    {"Nota10", T::Etiqueta, 12420, 10290, 3345, 270, "-", E::Estado},
};

// The picture of Shields' formula lies over the left part of row 5.
const Control kImagenShields{"Image1", T::Imagen, 525, 7500, 3645, 420, ""};

} // namespace

std::span<const Control> tituloYFabricante() {
    return kTituloYFabricante;
}
std::span<const Control> mandosYEstado() {
    return kMandosYEstado;
}
std::span<const Control> estudioYColector() {
    return kEstudioYColector;
}
std::span<const Control> cabeceraCriterios() {
    return kCabeceraCriterios;
}
std::span<const Control> filasCriterios() {
    return kFilasCriterios;
}
std::span<const Control> panelesFilas() {
    return kPanelesFilas;
}
const Control& imagenShields() {
    return kImagenShields;
}

std::vector<Control> todosLosControles() {
    std::vector<Control> todos;
    for (auto area : {tituloYFabricante(), mandosYEstado(), estudioYColector(), cabeceraCriterios(),
                      panelesFilas(), filasCriterios()}) {
        todos.insert(todos.end(), area.begin(), area.end());
    }
    todos.push_back(kImagenShields);
    return todos;
}

const std::array<Fila, 10>& filas() {
    static const std::array<Fila, 10> kFilas{{
        {"Check1", "Nota1", {"Text33", "Text37", "Text9", "Label7"}},
        {"Check2", "Nota2", {"Text42", "Text39", "Text38", "Text8", "Label57", "Label11"}},
        {"Check3", "Nota3", {"Text43", "Text46", "Text47", "Text7", "Label18", "Label8"}},
        {"Check4", "Nota4", {"Text48", "Text51", "Text6", "Text52", "Label65", "Label12"}},
        {"Check5",
         "Nota5",
         {"Text76", "Text53", "Text54", "Text56", "Text3", "Text55", "Text19", "Label75", "Label74",
          "Label76", "Label1", "Label33"}},
        {"Check6", "Nota6", {"Text67", "Text57", "Text5", "Text59", "Label24", "Label15"}},
        {"Check7", "Nota7", {"Text70", "Text58", "Text4", "Text60", "Label23", "Label14"}},
        {"Check8", "Nota8", {"Text64", "Text13", "Text62", "Label22", "Label9", "Text12"}},
        {"Check9", "Nota9", {"Text63", "Text15", "Text61", "Label21", "Text14", "Label13"}},
        {"Check10",
         "Nota10",
         {"Text71", "Text72", "Text10", "Text73", "Label100", "Label101", "Label10", "Text11"}},
    }};
    return kFilas;
}

} // namespace colvero::ui
