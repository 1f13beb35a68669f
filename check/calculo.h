#pragma once
// The data of one calculation case, held as the texts the user typed or a file supplied.
// Numbers are converted only when Calcular runs (see numero.h).
#include <array>
#include <string>

namespace colvero {

// Collector: inner diameter D (m), Manning number n, slope i (m/m). Fields Text34, Text35, Text18.
struct DatosColector {
    std::string D = "0";
    std::string n = "0";
    std::string i = "0";
    bool operator==(const DatosColector&) const = default;
};

// A design criterion: enable flags of the ten conditions, flow names of conditions 1 to 7 and
// the limits. Index 0 of each array is condition 1.
struct Criterio {
    std::array<bool, 10> activa{true, true, true, true, true, true, true, true, true, true};
    std::array<std::string, 7> denominacion{
        "Denominación de caudal (1)", "Denominación de caudal (2)", "Denominación de caudal (3)",
        "Denominación de caudal (4)", "Denominación de caudal (5)", "Denominación de caudal (6)",
        "Denominación de caudal (7)"};
    std::string Vmax = "0";           // Text39, m/s, condition 2
    std::string Vmin = "0";           // Text46, m/s, condition 3
    std::string yDmax = "0";          // Text51, %, condition 4
    std::string gammaParticula = "0"; // Text54, t/m3, condition 5
    std::string gammaAgua = "0";      // Text53, t/m3, condition 5
    std::string dpMin = "0";          // Text56, mm, condition 5
    std::string Fmin = "0";           // Text57, condition 6
    std::string Fmax = "0";           // Text58, condition 7
    std::string Imin = "0";           // Text64, m/m, condition 8
    std::string Imax = "0";           // Text63, m/m, condition 9
    std::string yD10 = "0";           // Text71, %, condition 10
    std::string Vmin10 = "0";         // Text72, m/s, condition 10
    bool operator==(const Criterio&) const = default;
};

// Fixed text of the flow-name placeholders of conditions 8 to 10 (Text13, Text15, Text10).
inline constexpr const char* kCondicionIndependiente = "Condición independiente del Caudal";

// One calculation case with the criterion in force.
struct Calculo {
    std::string titulo1 = "Título 1"; // Text1
    std::string titulo2 = "Título 2"; // Text2
    DatosColector colector;
    // Design flows of conditions 1 to 7 (Text33, Text42, Text43, Text48, Text76, Text67, Text70).
    std::array<std::string, 7> caudal{"0", "0", "0", "0", "0", "0", "0"};
    // Disabled flow placeholders of conditions 8 to 10 (Text12, Text14, Text11); normally "-",
    // but a calculation file carries whatever it holds.
    std::array<std::string, 3> marcador{"-", "-", "-"};
    Criterio criterio;
    bool operator==(const Calculo&) const = default;
};

// Computed values that outlive a run, one per condition (two for condition 5). They start at 0
// and a run overwrites one only when it computes it again.
struct ValoresGuardados {
    double Qll = 0;   // condition 1, m3/s
    double Vel2 = 0;  // condition 2, m/s
    double Vel3 = 0;  // condition 3, m/s
    double yD4 = 0;   // condition 4, %
    double Rh5 = 0;   // condition 5, m
    double dp5 = 0;   // condition 5, mm
    double F6 = 0;    // condition 6
    double F7 = 0;    // condition 7
    double I8 = 0;    // condition 8, m/m
    double I9 = 0;    // condition 9, m/m
    double Vel10 = 0; // condition 10, m/s
    bool operator==(const ValoresGuardados&) const = default;
};

} // namespace colvero
