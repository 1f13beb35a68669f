#include "ui/puente.h"

#include "ui/controles.h"
#include "ui/disposicion.h"

#include <QCheckBox>
#include <array>
#include <iterator>
#include <vector>

namespace colvero::ui {
namespace {

using Limite = std::pair<const char*, std::string Criterio::*>;

// The fields of one condition in the order the files hold them.
struct CamposCondicion {
    const char* casilla;
    const char* caudal;       // design flow, or the disabled placeholder of conditions 8 to 10
    const char* denominacion; // nullptr for conditions 8 to 10
    std::vector<Limite> limites;
    const char* calculado; // the computed field a reader sets to "-"
};

const std::array<CamposCondicion, 10>& condiciones() {
    static const std::array<CamposCondicion, 10> kCondiciones{{
        {"Check1", "Text33", "Text9", {}, "Text37"},
        {"Check2", "Text42", "Text8", {{"Text39", &Criterio::Vmax}}, "Text38"},
        {"Check3", "Text43", "Text7", {{"Text46", &Criterio::Vmin}}, "Text47"},
        {"Check4", "Text48", "Text6", {{"Text51", &Criterio::yDmax}}, "Text52"},
        {"Check5",
         "Text76",
         "Text3",
         {{"Text54", &Criterio::gammaParticula},
          {"Text53", &Criterio::gammaAgua},
          {"Text56", &Criterio::dpMin}},
         "Text55"},
        {"Check6", "Text67", "Text5", {{"Text57", &Criterio::Fmin}}, "Text59"},
        {"Check7", "Text70", "Text4", {{"Text58", &Criterio::Fmax}}, "Text60"},
        {"Check8", "Text12", nullptr, {{"Text64", &Criterio::Imin}}, "Text62"},
        {"Check9", "Text14", nullptr, {{"Text63", &Criterio::Imax}}, "Text61"},
        {"Check10",
         "Text11",
         nullptr,
         {{"Text71", &Criterio::yD10}, {"Text72", &Criterio::Vmin10}},
         "Text73"},
    }};
    return kCondiciones;
}

// Flow of condition k (0-based) in `Calculo`: design flows for 1 to 7, placeholders after.
std::string& caudalDe(Calculo& calculo, std::size_t k) {
    return k < 7 ? calculo.caudal[k] : calculo.marcador[k - 7];
}
const std::string& caudalDe(const Calculo& calculo, std::size_t k) {
    return k < 7 ? calculo.caudal[k] : calculo.marcador[k - 7];
}

void ponerCondiciones(const Controles& controles, const Criterio& criterio,
                      const Calculo* calculo) {
    for (std::size_t k = 0; k < 10; ++k) {
        const CamposCondicion& c = condiciones()[k];
        controles.casilla(c.casilla)->setChecked(criterio.activa[k]);
        if (calculo) {
            controles.escribir(c.caudal, caudalDe(*calculo, k));
        }
        if (c.denominacion) {
            controles.escribir(c.denominacion, criterio.denominacion[k]);
        }
        for (const auto& [nombre, campo] : c.limites) {
            controles.escribir(nombre, criterio.*campo);
        }
        controles.escribir(c.calculado, "-");
    }
}

// The eleven computed fields and where a run's result holds their texts.
constexpr std::pair<const char*, std::string CamposCalculados::*> kCamposCalculados[] = {
    {"Text37", &CamposCalculados::Text37}, {"Text38", &CamposCalculados::Text38},
    {"Text47", &CamposCalculados::Text47}, {"Text52", &CamposCalculados::Text52},
    {"Text59", &CamposCalculados::Text59}, {"Text60", &CamposCalculados::Text60},
    {"Text62", &CamposCalculados::Text62}, {"Text61", &CamposCalculados::Text61},
    {"Text73", &CamposCalculados::Text73}, {"Text55", &CamposCalculados::Text55},
    {"Text19", &CamposCalculados::Text19},
};

} // namespace

const char* controlDe(CampoNumerico campo) {
    // In the order of CampoNumerico.
    static constexpr const char* kControles[] = {
        "Text34", "Text35", "Text18", "Text33", "Text42", "Text39", "Text43", "Text46",
        "Text48", "Text51", "Text76", "Text53", "Text54", "Text56", "Text67", "Text57",
        "Text70", "Text58", "Text64", "Text63", "Text71", "Text72",
    };
    static_assert(std::size(kControles) == static_cast<std::size_t>(CampoNumerico::Vmin10) + 1);
    return kControles[static_cast<std::size_t>(campo)];
}

void borrarCalculados(const Controles& controles) {
    for (const auto& [nombre, campo] : kCamposCalculados) {
        controles.escribir(nombre, "-");
    }
}

Calculo calculoDe(const Controles& controles) {
    Calculo calculo;
    calculo.titulo1 = controles.leer("Text1");
    calculo.titulo2 = controles.leer("Text2");
    calculo.colector = {controles.leer("Text34"), controles.leer("Text35"),
                        controles.leer("Text18")};
    for (std::size_t k = 0; k < 10; ++k) {
        const CamposCondicion& c = condiciones()[k];
        calculo.criterio.activa[k] = controles.casilla(c.casilla)->isChecked();
        caudalDe(calculo, k) = controles.leer(c.caudal);
        if (c.denominacion) {
            calculo.criterio.denominacion[k] = controles.leer(c.denominacion);
        }
        for (const auto& [nombre, campo] : c.limites) {
            calculo.criterio.*campo = controles.leer(nombre);
        }
    }
    return calculo;
}

void mostrarResultado(const Controles& controles, const ResultadoCalculo& resultado) {
    for (const auto& [nombre, campo] : kCamposCalculados) {
        controles.escribir(nombre, resultado.campos.*campo);
    }
    controles.escribir("NotaCol", resultado.notaCol);
    controles.escribir("NotaCalC", resultado.notaCalC);
    for (std::size_t k = 0; k < 10; ++k) {
        controles.escribir(filas()[k].nota, resultado.notas[k]);
    }
}

void ponerCalculo(const Controles& controles, const Calculo& calculo) {
    controles.escribir("Text1", calculo.titulo1);
    controles.escribir("Text2", calculo.titulo2);
    controles.escribir("Text34", calculo.colector.D);
    controles.escribir("Text35", calculo.colector.n);
    controles.escribir("Text18", calculo.colector.i);
    ponerCondiciones(controles, calculo.criterio, &calculo);
}

void ponerCriterio(const Controles& controles, const Criterio& criterio) {
    ponerCondiciones(controles, criterio, nullptr);
}

DatosInforme datosInformeDe(const Controles& controles, const ValoresGuardados& guardados) {
    DatosInforme datos;
    datos.calculo = calculoDe(controles);
    for (std::size_t k = 0; k < 10; ++k) {
        datos.notas[k] = controles.leer(filas()[k].nota);
    }
    datos.guardados = guardados;
    return datos;
}

} // namespace colvero::ui
