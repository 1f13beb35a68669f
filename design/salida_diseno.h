#pragma once
// A designed network written whole by the target's extension: .inp the SWMM source with the new
// diameters and inverts and everything else as it was; .gpkg, .shp, .geojson or .json a GIS layer
// of the reaches with their design; .csv a table of one reach per row. The command line and the
// network window write a design through this one path.
#include "check/serie_diametros.h"
#include "design/diseno_red.h"
#include "files/red.h"
#include "network/fuente_red.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace colvero::diseno {

enum class FormatoDiseno { Modelo, Sig, Tabla };

// The format of a target by its extension (any case); nullopt for one that says none of them.
std::optional<FormatoDiseno> formatoDeDiseno(const QString& ruta);

struct DestinoDiseno {
    QByteArray ruta;   // native path of the target
    QString nombre;    // the target as the user wrote it, for messages
    DialectoRed tabla; // separators of a .csv
    // The files the run read: a target that is one of them is refused before anything is written.
    std::vector<QByteArray> entradas;
};

struct FuenteDiseno {
    const red::RedGrafo& red; // the source network as read, the one `d` was made for
    // The bytes of a SWMM model and its name (empty when the source is not a model): the text
    // a .inp target rewrites.
    std::string_view modeloSwmm;
    QString nombreModelo;
};

// Writes `d`, made with `serie`, to `destino`. Returns the failure in Spanish, or nothing.
// `inexactos`, when given, receives how many numbers of a model in feet read back as the
// nearest double rather than the very one (0 for every other format).
std::optional<std::string> guardarDiseno(const DestinoDiseno& destino, const FuenteDiseno& fuente,
                                         const Diseno& d, const std::vector<Tubo>& serie,
                                         int* inexactos = nullptr);

} // namespace colvero::diseno
