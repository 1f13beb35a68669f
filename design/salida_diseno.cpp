#include "design/salida_diseno.h"

#include "files/archivos.h"
#include "files/escritura.h"
#include "files/escritura_swmm.h"
#include "files/lectura.h"
#include "gis/salida.h"

#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace colvero::diseno {
namespace {

// The shortest digits that read back as the very double, with the separator `sep`.
std::string exacto(double x, char sep) {
    if (!std::isfinite(x))
        return {}; // a depth at an end without ground
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, x);
    std::string s(b, r.ptr);
    for (char& c : s)
        if (c == '.')
            c = sep;
    return s;
}

double metros(long long cm) {
    return static_cast<double>(cm) / 100.0;
}

} // namespace

std::optional<FormatoDiseno> formatoDeDiseno(const QString& ruta) {
    const QString ext = QFileInfo(ruta).suffix().toLower();
    if (ext == QLatin1String("inp"))
        return FormatoDiseno::Modelo;
    if (ext == QLatin1String("csv"))
        return FormatoDiseno::Tabla;
    if (ext == QLatin1String("gpkg") || ext == QLatin1String("shp") ||
        ext == QLatin1String("geojson") || ext == QLatin1String("json"))
        return FormatoDiseno::Sig;
    return std::nullopt;
}

std::optional<std::string> guardarDiseno(const DestinoDiseno& destino, const FuenteDiseno& fuente,
                                         const Diseno& d, const std::vector<Tubo>& serie,
                                         int* inexactos) {
    if (inexactos)
        *inexactos = 0;
    const std::string nombre = destino.nombre.toStdString();
    const std::optional<FormatoDiseno> formato = formatoDeDiseno(destino.nombre);
    if (!formato)
        return "«" + nombre + "»: la extensión dice el formato: .inp, .gpkg, .shp, .geojson, " +
               ".json o .csv";
    if (*formato == FormatoDiseno::Modelo && fuente.modeloSwmm.empty())
        return "«" + nombre + "»: el modelo diseñado se escribe sobre el modelo SWMM de la red; " +
               "de unas capas SIG, guarde el diseño como capa (.gpkg) o tabla (.csv)";
    for (const QByteArray& entrada : destino.entradas)
        if (mismoArchivo(destino.ruta, entrada))
            return "«" + nombre + "» es un archivo que el diseño ha leído: elija otro nombre";
    const red::ModeloRed& modelo = fuente.red.modelo;
    for (const TramoDisenado& t : d.tramos)
        if (t.enlace >= modelo.enlaces.size() || (t.sinDiseno.empty() && t.tubo >= serie.size()))
            return std::string("el diseño no corresponde a la red leída");

    const auto nombreTramo = [&](const TramoDisenado& t) -> const std::string& {
        return modelo.enlaces[t.enlace].id;
    };
    // Why a reach has no design, naming it.
    const auto motivo = [&](const TramoDisenado& t) {
        const std::string quien = "tramo «" + textoVisible(nombreTramo(t)) + "»";
        return t.sinDiseno.starts_with(quien) ? t.sinDiseno : quien + ": " + t.sinDiseno;
    };

    try {
        if (*formato == FormatoDiseno::Modelo) {
            std::unordered_map<std::string, TuboNuevo> tubos;
            for (const TramoDisenado& t : d.tramos)
                if (t.sinDiseno.empty())
                    tubos[nombreTramo(t)] = {metros(t.cotaInicio), metros(t.cotaFin),
                                             serie[t.tubo].diametro};
            const EscrituraSwmm w = escribirModeloSwmmConTubos(
                destino.ruta, destino.nombre, fuente.modeloSwmm, fuente.nombreModelo, tubos);
            if (inexactos)
                *inexactos = w.inexactos;
        } else if (*formato == FormatoDiseno::Sig) {
            red::ModeloRed m = modelo;
            const std::size_t ne = m.enlaces.size();
            const std::pair<const char*, double TramoDisenado::*> reales[] = {
                {"profundidad_inicio", &TramoDisenado::profundidadInicio},
                {"profundidad_fin", &TramoDisenado::profundidadFin},
                {"recubrimiento_inicio", &TramoDisenado::recubrimientoInicio},
                {"recubrimiento_fin", &TramoDisenado::recubrimientoFin},
                {"resalto", &TramoDisenado::resalto},
                {"coste", &TramoDisenado::coste}};
            std::vector<gis::CampoResultado> campos{
                {"tubo", gis::TipoCampo::Texto, std::vector<gis::Valor>(ne)}};
            for (const auto& [campo, miembro] : reales)
                campos.push_back({campo, gis::TipoCampo::Real, std::vector<gis::Valor>(ne)});
            campos.push_back({"sin_diseno", gis::TipoCampo::Texto, std::vector<gis::Valor>(ne)});
            for (const TramoDisenado& t : d.tramos) {
                if (!t.sinDiseno.empty()) {
                    campos.back().valores[t.enlace] = motivo(t);
                    continue;
                }
                red::Enlace& e = m.enlaces[t.enlace];
                e.D = serie[t.tubo].diametro;
                e.circular = true;
                e.cotaInicio = metros(t.cotaInicio);
                e.cotaFin = metros(t.cotaFin);
                e.pendiente = t.i;
                campos[0].valores[t.enlace] = serie[t.tubo].nombre;
                for (std::size_t c = 0; c < std::size(reales); ++c)
                    if (std::isfinite(t.*reales[c].second)) // else null
                        campos[c + 1].valores[t.enlace] = t.*reales[c].second;
            }
            for (std::size_t n = 0; n < m.nodos.size() && n < d.cotaNodo.size(); ++n)
                if (d.cotaNodo[n])
                    m.nodos[n].cotaSolera = metros(*d.cotaNodo[n]);
            gis::escribirRedSig(destino.ruta, m, fuente.red.crsWkt, campos, destino.entradas);
        } else {
            const DialectoRed& dialecto = destino.tabla;
            std::string csv = "\xEF\xBB\xBF";
            const char* const columnas[] = {"tramo",
                                            "tubo",
                                            "D",
                                            "cota_inicio",
                                            "cota_fin",
                                            "i",
                                            "profundidad_inicio",
                                            "profundidad_fin",
                                            "recubrimiento_inicio",
                                            "recubrimiento_fin",
                                            "resalto",
                                            "coste",
                                            "sin_diseno"};
            for (std::size_t c = 0; c < std::size(columnas); ++c) {
                if (c)
                    csv += dialecto.campos;
                csv += columnas[c];
            }
            csv += "\r\n";
            for (const TramoDisenado& t : d.tramos) {
                anadirCeldaCsv(csv, nombreTramo(t), dialecto);
                if (t.sinDiseno.empty()) {
                    csv += dialecto.campos;
                    anadirCeldaCsv(csv, serie[t.tubo].nombre, dialecto);
                    for (const double x :
                         {serie[t.tubo].diametro, metros(t.cotaInicio), metros(t.cotaFin), t.i,
                          t.profundidadInicio, t.profundidadFin, t.recubrimientoInicio,
                          t.recubrimientoFin, t.resalto, t.coste}) {
                        csv += dialecto.campos;
                        csv += exacto(x, dialecto.decimal);
                    }
                    csv += dialecto.campos;
                } else {
                    csv += std::string(11, dialecto.campos);
                    csv += dialecto.campos;
                    anadirCeldaCsv(csv, motivo(t), dialecto);
                }
                csv += "\r\n";
            }
            escribirAtomicamente(destino.ruta, destino.nombre, csv);
        }
    } catch (const ErrorArchivo& e) {
        return std::string(e.what());
    } catch (const std::invalid_argument& e) {
        return "no se ha escrito «" + nombre + "»: " + e.what();
    }
    return std::nullopt;
}

} // namespace colvero::diseno
