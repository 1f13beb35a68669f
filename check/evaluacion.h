#pragma once
// The numeric side of Calcular: the converted inputs of a case in, the outcome of each of the
// ten conditions and the quantities computed for them out. No text is read or written here;
// calcular() (calcular.h) puts the window's texts on top of this.
#include "hydraulics/estado_flujo.h"
#include "hydraulics/seccion.h"

#include <array>
#include <limits>
#include <optional>
#include <vector>

namespace colvero {

// The 22 numeric inputs of a case, converted.
struct Entradas {
    double D = 0; // inner diameter, m
    double n = 0; // Manning number
    double i = 0; // slope, m/m
    // Design flows of conditions 1 to 7 (index 0 is condition 1), m3/s.
    std::array<double, 7> Q{};
    double Vmax = 0;           // m/s, condition 2
    double Vmin = 0;           // m/s, condition 3
    double yDmax = 0;          // %, condition 4
    double gammaAgua = 0;      // t/m3, condition 5
    double gammaParticula = 0; // t/m3, condition 5
    double dpMin = 0;          // mm, condition 5
    double Fmin = 0;           // condition 6
    double Fmax = 0;           // condition 7
    double Imin = 0;           // m/m, condition 8
    double Imax = 0;           // m/m, condition 9
    double yD10 = 0;           // %, condition 10
    double Vmin10 = 0;         // m/s, condition 10
};

// Enable flags of the ten conditions; index 0 is condition 1.
using Activas = std::array<bool, 10>;

enum class Veredicto {
    NoEvaluada,            // disabled, or not reached because the run ended in an error
    Cumple,                // "[SI]"
    NoCumple,              // "[NO]" on the comparison with the limit
    CapacidadInsuficiente, // "[NO]  Capacidad insuficiente"
    ErrorDeDato,           // "[ERROR]": an input of the condition is out of its range
};

// Which input of a condition is out of range, for its "[ERROR]" line.
enum class DatoErroneo {
    Ninguno,
    CaudalNoPositivo,    // Qk <= 0
    VelocidadNoPositiva, // Vmax or Vmin <= 0
    LlenadoNoPositivo,   // (y/D) <= 0 %
    LlenadoMayorQue100,  // (y/D) > 100 %
};

// Why the collector data stop a run, in the order they are tested.
enum class ColectorInvalido {
    Ninguno,
    ManningPequeno,
    ManningGrande,
    DiametroNoPositivo,
    PendienteNoPositiva,
};

enum class FinEvaluacion {
    ColectorInvalido, // no condition evaluated
    ErrorAritmetico,  // the run ends at the error exit
    Completa,
};

// The message of invalid collector data; "" for Ninguno.
const char* mensajeColector(ColectorInvalido motivo);

// The first collector test that fails, or Ninguno.
ColectorInvalido validarColector(const Entradas& d);

struct ResultadoCondicion {
    Veredicto veredicto = Veredicto::NoEvaluada;
    DatoErroneo dato = DatoErroneo::Ninguno;
    // Conditions 2 to 7: the flow lies in (Qll, Qmax], where the section has two normal depths
    // and the lower one is taken. Qll is the full-section flow at this slope.
    bool dosCalados = false;
    // How far the compared quantity is from its limit, positive on the passing side (for a
    // capacity failure, Qmax − Qk); NaN when not decided by a comparison. It guides the slope
    // search towards a change of verdict; no verdict is taken from it.
    double margen = std::numeric_limits<double>::quiet_NaN();
    // Conditions 2 to 7 past the flow test: Qmax − Qk, the margin of the capacity test.
    double holguraCapacidad = std::numeric_limits<double>::quiet_NaN();
    // Bounds of the margin over every value the compared quantity can take at this slope,
    // widened by far more than the rounding of its relations; NaN where none is known. For
    // conditions 2 to 7 the quantity is that of the accepted depth, which may be any depth of
    // the depth search's last bracket: these bounds take the quantity at both ends of it where
    // the quantity is monotone over the bracket (see sentidoMargen). Set by evaluarCondicion
    // alone; no verdict is taken from them.
    double margenMinimo = std::numeric_limits<double>::quiet_NaN();
    double margenMaximo = std::numeric_limits<double>::quiet_NaN();
};

// How the margin of condition k moves as the slope grows, the flows and limits held: +1 up,
// -1 down. Along the lower branch of normal depths the velocity, the Froude number and the
// product Rh·i grow with the slope and the fill ratio falls; condition 1's full flow and
// condition 10's velocity grow with it. The margins at the ends of the depth search's bracket
// at slope p therefore bound the margin of every depth the search can accept at any slope on
// one side of p (margenMinimo on the side where the margin is larger, margenMaximo on the
// other).
int sentidoMargen(const Entradas& d, int k);

// Computed quantities hold NaN where the run did not compute them. A field is written exactly
// when the procedure writes it, also when a later step of the same procedure fails.
struct Evaluacion {
    FinEvaluacion fin = FinEvaluacion::Completa;
    ColectorInvalido colector = ColectorInvalido::Ninguno;
    int condicionInterrumpida = 0; // the condition under way at an ErrorAritmetico (0: none)
    std::array<ResultadoCondicion, 10> condiciones{};
    // Full-section flow (depth D − 1e-11 m) of condition 1, m3/s.
    double caudalLleno;
    // Normal flow of the design flow of conditions 2 to 7 (index 0 is condition 2): v, yD,
    // Rh, F, ... as TEO4 leaves them.
    std::array<hidraulica::EstadoFlujo, 6> flujoNormal;
    // How the depth search of each normal flow ended.
    std::array<std::optional<hidraulica::InformeTeta3>, 6> busqueda;
    // Condition 5: the largest particle the flow moves (Shields), mm.
    double diametroArrastre;
    // Condition 10: the uniform flow at its fill ratio; v is the self-cleansing velocity.
    hidraulica::EstadoFlujo flujoAutolimpieza;

    Evaluacion();
};

// Evaluates the enabled conditions in the order 1 to 10, as Calcular does.
Evaluacion evaluar(const Entradas& d, const Activas& activas);

// What evaluating the conditions of one collector (D, n) at many slopes computes again and
// again: the section's geometry per depth, and at the slope of the last evaluation its largest
// flow and the normal flows of its design flows. Results are the same as without it, bit for
// bit.
class Evaluador;

class MemoriaColector {
public:
    MemoriaColector(double D, double n) : n_(n), seccion_(D) {}

    // Forgets everything and serves the collector D, n, keeping the storage.
    void reiniciar(double D, double n);

private:
    friend class Evaluador;
    friend ResultadoCondicion evaluarCondicion(const Entradas&, int, MemoriaColector*);
    struct Normal {
        double Q;
        hidraulica::EstadoFlujo estado;
        hidraulica::InformeTeta3 informe;
    };
    double n_;
    hidraulica::MemoriaSeccion seccion_;
    double pendiente_ = 0; // the slope of `qmax_` and `normales_`; 0: none yet
    double qmax_ = 0;
    std::vector<Normal> normales_;
    Evaluacion resultado_; // reused by evaluarCondicion
};

// Condition k (1..10) alone, on the code path of evaluar and with valid collector data, but
// without the two-depth flag. Raises hidraulica::ErrorAritmetico where evaluar would end at
// the error exit. `memoria`, the memory of the collector d.D, d.n, speeds up many evaluations
// of one collector without changing any result.
ResultadoCondicion evaluarCondicion(const Entradas& d, int k, MemoriaColector* memoria = nullptr);

} // namespace colvero
