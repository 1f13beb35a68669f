#pragma once
// The longitudinal profile as a DXF R12 drawing for CAD: distances along the path in metres
// horizontally, elevations in metres times the vertical exaggeration, above the data band.
#include "files/dxf.h"
#include "profile/perfil.h"

#include <QByteArray>
#include <QString>

namespace colvero::perfil {

constexpr double kExageracionDxf = 10; // vertical scale over horizontal scale

// Layers: TERRENO (ground), SOLERA (inverts), CLAVE (crowns), LAMINA_Q1 and LAMINA_Q3 (water
// surfaces at normal depth), POZOS (a rectangle per manhole, floor to ground) and GUITARRA (the
// band's lines and texts, numbers with `sep`). What the profile lacks (a ground, a normal
// depth) is left out.
dxf::Dibujo dxfPerfil(const Perfil& p, const std::string& titulo, char sep);

// Written whole or not at all; raises ErrorArchivo naming `nombre`.
void guardarPerfilDxf(const Perfil& p, const QByteArray& rutaNativa, const QString& nombre,
                      const std::string& titulo, char sep);

} // namespace colvero::perfil
