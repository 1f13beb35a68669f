#include "report/informe.h"

#include "check/leyendas.h"

#include "check/numero.h"
#include "report/producto.h"

#include <variant>
#include <vector>

namespace colvero {
namespace {

constexpr int kFilas = 122;
constexpr int kColumnas = 6;

const std::string kAsteriscosLargo(93, '*');
const std::string kAsteriscosMedio(36, '*');
const std::string kAsteriscosCorto(30, '*');

constexpr const char* kNoConsiderado = "<CRITERIO NO CONSIDERADO>";
constexpr const char* kCumplimiento = "CUMPLIMIENTO DEL CRITERIO";
constexpr const char* kDenominacion = "Denominación de caudal";
constexpr const char* kCaudalDiseno = "Caudal de diseño";
constexpr const char* kUnidadCaudal = "Q (m3/s) =";

// A cell holds nothing, a text copied as it stands, or a stored value that is converted
// only when the grid is written out.
using Celda = std::variant<std::monostate, std::string, double>;

class Rejilla {
public:
    // Rows and columns count from 1, as in the layout of the report.
    void poner(int fila, int columna, Celda valor) {
        celdas_.at(fila - 1).at(columna - 1) = std::move(valor);
    }

    std::string texto(char separadorDecimal) const {
        std::string salida;
        for (const auto& fila : celdas_) {
            salida += '\r';
            for (const Celda& celda : fila) {
                salida += '\t';
                if (const auto* t = std::get_if<std::string>(&celda)) {
                    salida += *t;
                } else if (const auto* x = std::get_if<double>(&celda)) {
                    salida += conversionSimple(*x, separadorDecimal);
                }
            }
        }
        return salida;
    }

private:
    std::array<std::array<Celda, kColumnas>, kFilas> celdas_;
};

// One detail line of a condition block: the cells of columns 1, 2, 5 and 6.
struct Linea {
    Celda c1, c2, c5, c6;
};

void cabecera(Rejilla& r, const Calculo& c) {
    r.poner(1, 1, kAsteriscosLargo);
    r.poner(2, 1, std::string(producto::kNombre));
    r.poner(2, 2, std::string("Versión ") + producto::kVersion);
    r.poner(3, 1, std::string("Comprobación de condiciones de diseño"));
    r.poner(5, 1, std::string(producto::kAvisoFabricante));
    r.poner(6, 1, std::string("1ª Versión:  Enero 1994"));
    r.poner(8, 1, std::string(producto::kWebFabricante));
    r.poner(10, 1, kAsteriscosLargo);
    r.poner(13, 1, std::string("Datos del estudio"));
    r.poner(14, 1, kAsteriscosCorto);
    r.poner(15, 1, c.titulo1);
    r.poner(16, 1, c.titulo2);
    r.poner(18, 1, std::string("Datos del colector"));
    r.poner(19, 1, kAsteriscosMedio);
    r.poner(20, 1, std::string(leyendas::kDiametro) + " =");
    r.poner(20, 3, c.colector.D);
    r.poner(21, 1, std::string(leyendas::kManning) + " =");
    r.poner(21, 3, c.colector.n);
    r.poner(22, 1, std::string(leyendas::kPendiente) + " =");
    r.poner(22, 3, c.colector.i);
    r.poner(23, 1, kAsteriscosMedio);
    r.poner(26, 1, std::string("CRITERIOS DE DISEÑO"));
    r.poner(27, 1, kAsteriscosCorto);
}

std::vector<Linea> lineasDeDetalle(int k, const DatosInforme& d) {
    const Calculo& c = d.calculo;
    const Criterio& cr = c.criterio;
    const ValoresGuardados& g = d.guardados;
    auto s = [](const char* t) { return Celda(std::string(t)); };
    auto nombre = [&](int n) { return Linea{s(kDenominacion), {}, cr.denominacion[n - 1], {}}; };
    auto caudal = [&](int n) {
        return Linea{s(kCaudalDiseno), {}, s(kUnidadCaudal), c.caudal[n - 1]};
    };
    const Linea independiente{s(kDenominacion), {}, s(kCondicionIndependiente), {}};

    switch (k) {
    case 1:
        return {nombre(1),
                caudal(1),
                {s("Capacidad a sección llena (Qll)"), {}, s("Qll (m3/s) ="), g.Qll}};
    case 2:
        return {nombre(2),
                caudal(2),
                {s("Velocidad máxima"), {}, s("v (m/s) <"), cr.Vmax},
                {s("Velocidad"), {}, s("v (m/s) ="), g.Vel2}};
    case 3:
        return {nombre(3),
                caudal(3),
                {s("Velocidad mínima"), {}, s("v (m/s) >"), cr.Vmin},
                {s("Velocidad"), {}, s("v (m/s) ="), g.Vel3}};
    case 4:
        return {nombre(4),
                caudal(4),
                {s("Porcentaje de llenado máximo"), {}, s("y/D max (%) <"), cr.yDmax},
                {s("Porcentaje de llenado"), {}, s("y/D (%) ="), g.yD4}};
    case 5:
        return {nombre(5),
                caudal(5),
                {{},
                 s("- Peso específico de la partícula a arrastrar   (t/m3) ="),
                 {},
                 cr.gammaParticula},
                {{}, s("- Peso especifico del agua (t/m3) ="), {}, cr.gammaAgua},
                {{}, s("- Diámetro de la partícula a arrastrar (mm) ="), {}, cr.dpMin},
                {s("Radio hidráulico Calculado"), {}, s("Rh (m) ="), g.Rh5},
                {s("Diámetro de la particula arrastrada (mm)"), {}, s("dp (mm) ="), g.dp5}};
    case 6:
        return {nombre(6),
                caudal(6),
                {s("Froude mínimo (F min)"), {}, s("F >"), cr.Fmin},
                {s("Nº de Froude calculado"), {}, s("F ="), g.F6}};
    case 7:
        // The design-flow line of this condition carries no label in column 1.
        return {nombre(7),
                {{}, {}, s(kUnidadCaudal), c.caudal[6]},
                {s("Froude máximo (F max)"), {}, s("F <"), cr.Fmax},
                {s("Nº de Froude calculado"), {}, s("F ="), g.F7}};
    case 8:
        return {independiente,
                {s("Pendiente mínima (I min)"), {}, s("I (m/m) >"), cr.Imin},
                {s("Pendiente calculada (Imin)"), {}, s("I (m/m) ="), g.I8}};
    case 9:
        return {independiente,
                {s("Pendiente máxima (I max)"), {}, s("I (m/m) <"), cr.Imax},
                {s("Pendiente calculada (Imax)"), {}, s("I (m/m) ="), g.I9}};
    default:
        return {independiente,
                {{}, {}, s("Para y/D (%) ="), cr.yD10},
                {{}, {}, s("v (m/s) >"), cr.Vmin10},
                {s("Velocidad calculada (m/s)"), {}, s("v (m/s) ="), g.Vel10}};
    }
}

} // namespace

std::string generarInforme(const DatosInforme& datos, char separadorDecimal) {
    Rejilla r;
    cabecera(r, datos.calculo);

    int fila = 27;
    for (int k = 1; k <= 10; ++k) {
        fila += 2;
        const int filaTitulo = fila;
        r.poner(filaTitulo, 1, std::string(leyendas::kTitulosCondicion[k - 1]));
        r.poner(++fila, 1, kAsteriscosMedio);
        if (!datos.calculo.criterio.activa[k - 1]) {
            r.poner(filaTitulo, 4, std::string(kNoConsiderado));
            continue;
        }
        for (Linea& l : lineasDeDetalle(k, datos)) {
            ++fila;
            r.poner(fila, 1, std::move(l.c1));
            r.poner(fila, 2, std::move(l.c2));
            r.poner(fila, 5, std::move(l.c5));
            r.poner(fila, 6, std::move(l.c6));
        }
        r.poner(++fila, 1, std::string(kCumplimiento));
        r.poner(fila, 5, datos.notas[k - 1]);
        r.poner(++fila, 1, kAsteriscosLargo);
    }
    return r.texto(separadorDecimal);
}

} // namespace colvero
