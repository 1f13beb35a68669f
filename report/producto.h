#pragma once
// Identity of the program and its maker, shown in the window and in the report.
namespace colvero::producto {

inline constexpr const char* kNombre = "Colvero";
inline constexpr const char* kVersion = " " COLVERO_VERSION_MAYOR; // as the window shows it
inline constexpr const char* kVersionCompleta = COLVERO_VERSION;
inline constexpr const char* kFabricante = "Fluvenor";
inline constexpr const char* kWebFabricante = "https://www.fluvenor.example/";
inline constexpr const char* kWebPatrocinador = "https://www.patrocinio-saneamiento.example/";
inline constexpr const char* kAvisoFabricante =
    "Programa de Fluvenor. Compruebe los resultados antes de firmar un proyecto.";

} // namespace colvero::producto
