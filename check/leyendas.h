#pragma once
// Captions of the window that the report and the file messages repeat: one source for all.
#include <array>

namespace colvero::leyendas {

// Title labels of the ten conditions (Label35 ... Label102). The twelve blanks of condition 5
// are where its caption breaks into two lines.
inline constexpr std::array<const char*, 10> kTitulosCondicion{
    "(1). Capacidad a sección llena",
    "(2). Velocidad máxima",
    "(3). Velocidad mínima",
    "(4). Resguardo/Aireación",
    "(5). Condición autolimpieza            (Fórmula de Shields)",
    "(6). Froude mínimo",
    "(7). Froude máximo",
    "(8). Pendiente constructiva mínima",
    "(9). Pendiente constructiva máxima",
    "(10). Condición de autolimpieza",
};

// Quantity captions of the collector data (Label46, Label49, Label31).
inline constexpr const char* kDiametro = "Diámetro interior D (m)";
inline constexpr const char* kManning = "Nº de Manning n";
inline constexpr const char* kPendiente = "Pendiente i (m/m)";

} // namespace colvero::leyendas
