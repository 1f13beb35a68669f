#include "network/fuente_red.h"

#include "check/textos_pendientes.h"
#include "files/archivos.h"
#include "files/hipotesis.h"
#include "files/lectura.h"
#include "gis/capas.h"

#include <QFileInfo>

#include <cctype>
#include <cmath>
#include <unordered_set>

namespace colvero::red {
namespace {

constexpr std::array<const char*, kColumnasGrafo> kNombresGrafo{"tramo",
                                                                "desde",
                                                                "hasta",
                                                                "longitud",
                                                                "cota_inicio",
                                                                "cota_fin",
                                                                "D",
                                                                "n",
                                                                "i",
                                                                "Q1",
                                                                "Q2",
                                                                "Q3",
                                                                "Q4",
                                                                "Q5",
                                                                "Q6",
                                                                "Q7",
                                                                "origen_caudales",
                                                                "caudal_medio_acumulado",
                                                                "caudal_pluvial_acumulado",
                                                                "barriles"};

std::string numero(double x, char sep) {
    return std::isfinite(x) ? decimalLlano(x, sep) : std::string();
}

std::string numero(const std::optional<double>& x, char sep) {
    return x ? numero(*x, sep) : std::string();
}

std::string extension(const QByteArray& ruta) {
    return QFileInfo(QFile::decodeName(ruta)).suffix().toLower().toStdString();
}

// The columns of the rows: the fixed ones, then each attribute name the links carry, in the
// order first met; an attribute whose name a fixed column takes stays out.
CabeceraRed cabeceraDe(const ModeloRed& m, const DialectoRed& dialecto,
                       std::vector<std::vector<int>>& columnaDeAtributo) {
    CabeceraRed c;
    c.dialecto = dialecto;
    c.codificacion = CodificacionRed::Utf8ConMarca;
    c.indice.fill(-1);
    std::unordered_set<std::string> tomados;
    for (const char* n : kNombresGrafo) {
        c.nombres.emplace_back(n);
        tomados.insert(normalizarNombreDeColumna(n).toStdString());
    }
    std::unordered_map<std::string, int> columnas;
    columnaDeAtributo.resize(m.enlaces.size());
    for (std::size_t k = 0; k < m.enlaces.size(); ++k) {
        for (const auto& [nombre, valor] : m.enlaces[k].atributos) {
            const std::string clave = normalizarNombreDeColumna(nombre).toStdString();
            int columna = -1;
            if (!tomados.contains(clave)) {
                const auto [it, nueva] =
                    columnas.emplace(clave, static_cast<int>(c.nombres.size()));
                if (nueva)
                    c.nombres.push_back(nombre);
                columna = it->second;
            }
            columnaDeAtributo[k].push_back(columna);
        }
    }
    const auto fija = [&](ColumnaRed col, ColumnaGrafo g) {
        c.indice[static_cast<std::size_t>(col)] = static_cast<int>(g);
    };
    fija(ColumnaRed::Tramo, ColumnaGrafo::Tramo);
    fija(ColumnaRed::D, ColumnaGrafo::D);
    fija(ColumnaRed::n, ColumnaGrafo::n);
    fija(ColumnaRed::i, ColumnaGrafo::i);
    for (int q = 0; q < 7; ++q)
        c.indice[static_cast<std::size_t>(ColumnaRed::Q1) + static_cast<std::size_t>(q)] =
            static_cast<int>(ColumnaGrafo::Q1) + q;
    for (std::size_t k = kColumnasGrafo; k < c.nombres.size(); ++k) {
        const std::optional<ColumnaRed> col = columnaDeNombre(c.nombres[k]);
        if (col == ColumnaRed::Nombre || col == ColumnaRed::Criterio || col == ColumnaRed::Serie)
            c.indice[static_cast<std::size_t>(*col)] = static_cast<int>(k);
    }
    c.filas = static_cast<qint64>(m.enlaces.size());
    return c;
}

} // namespace

TipoFuente tipoDeFuente(const QByteArray& ruta) {
    const std::string e = extension(ruta);
    return e == "csv"   ? TipoFuente::Tabla
           : e == "inp" ? TipoFuente::ModeloSwmm
                        : TipoFuente::CapasSig;
}

FilaRed RedGrafo::fila(std::size_t k) const {
    const TramoGrafo& t = tramos[k];
    const Enlace& e = modelo.enlaces[k];
    const char sep = cabecera.dialecto.decimal;
    FilaRed f;
    f.numero = static_cast<int>(k) + 1;
    f.celdas.resize(cabecera.nombres.size());
    const auto poner = [&](ColumnaGrafo c, std::string s) {
        f.celdas[static_cast<std::size_t>(c)] = std::move(s);
    };
    poner(ColumnaGrafo::Tramo, t.tramo);
    poner(ColumnaGrafo::Desde, t.desde);
    poner(ColumnaGrafo::Hasta, t.hasta);
    if (!e.esConducto())
        return f;
    poner(ColumnaGrafo::Longitud, numero(t.longitud, sep));
    poner(ColumnaGrafo::CotaInicio, numero(t.cotaInicio, sep));
    poner(ColumnaGrafo::CotaFin, numero(t.cotaFin, sep));
    if (e.circular)
        poner(ColumnaGrafo::D, numero(t.D, sep));
    poner(ColumnaGrafo::n, numero(t.n, sep));
    poner(ColumnaGrafo::i, numero(t.i, sep));
    bool algunCaudal = false;
    for (int q = 0; q < 7; ++q) {
        const std::optional<double>& x = t.Q[static_cast<std::size_t>(q)];
        algunCaudal = algunCaudal || x.has_value();
        f.celdas[static_cast<std::size_t>(ColumnaGrafo::Q1) + static_cast<std::size_t>(q)] =
            numero(x, sep);
    }
    if (algunCaudal)
        poner(ColumnaGrafo::Origen, textoOrigen(t.origen));
    if (t.acumulado) {
        poner(ColumnaGrafo::CaudalMedioAcumulado, numero(t.acumulado->Qa, sep));
        poner(ColumnaGrafo::CaudalPluvialAcumulado, numero(t.acumulado->Qs, sep));
    }
    poner(ColumnaGrafo::Barriles, std::to_string(t.barriles));
    for (std::size_t a = 0; a < e.atributos.size() && a < columnaDeAtributo[k].size(); ++a) {
        const int c = columnaDeAtributo[k][a];
        if (c >= 0)
            f.celdas[static_cast<std::size_t>(c)] = e.atributos[a].second;
    }
    return f;
}

RedGrafo leerRedGrafo(const QByteArray& ruta, const OpcionesFuente& o) {
    RedGrafo g;
    g.tipo = tipoDeFuente(ruta);
    const QString nombre = nombreVisible(ruta);
    if (g.tipo == TipoFuente::ModeloSwmm) {
        ModeloSwmm m = leerModeloSwmm(ruta);
        g.modelo = std::move(m.red);
        g.unidades = m.unidades;
    } else {
        gis::OrigenCapa pozos;
        if (!o.pozos.isEmpty())
            pozos = gis::separarArchivoCapa(o.pozos);
        gis::RedSig r = gis::leerRedSig({ruta, o.capa}, pozos, o.tolerancia);
        g.modelo = std::move(r.red);
        g.crsWkt = std::move(r.crsWkt);
        g.capa = std::move(r.capa);
    }
    std::optional<InformeSwmm> informe;
    if (!o.informe.isEmpty())
        informe = leerInformeSwmm(o.informe);
    if (o.hipotesisDada)
        g.hipotesis = o.hipotesisDada;
    else if (!o.hipotesis.isEmpty())
        g.hipotesis = leerHipotesis(o.hipotesis);

    g.topologia = construirTopologia(g.modelo);
    std::string error;
    std::optional<std::vector<TramoGrafo>> tramos =
        tramosDeModelo(g.modelo, g.topologia, informe ? &*informe : nullptr,
                       g.hipotesis ? &*g.hipotesis : nullptr, error);
    if (!tramos)
        throw ErrorArchivo(nombre.toStdString() + ": " + error);
    g.tramos = std::move(*tramos);
    g.cabecera = cabeceraDe(g.modelo, o.dialecto, g.columnaDeAtributo);

    const Topologia& t = g.topologia;
    g.avisos.push_back(
        std::to_string(g.modelo.nodos.size()) + " nodos y " +
        std::to_string(g.modelo.enlaces.size()) + " enlaces; " +
        (t.vertidos == 1 ? std::string("1 vertido") : std::to_string(t.vertidos) + " vertidos") +
        ", " +
        (t.partes == 1 ? std::string("1 parte conexa")
                       : std::to_string(t.partes) + " partes conexas") +
        ".");
    for (const ProblemaTopologia& p : t.problemas) {
        std::string frase = p.mensaje + ".";
        frase[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(frase[0])));
        g.avisos.push_back(std::move(frase));
    }
    for (const TramoGrafo& r : g.tramos) {
        if (r.barriles > 1 && r.omitido.empty())
            g.avisos.push_back("El conducto «" + r.tramo + "» tiene " + std::to_string(r.barriles) +
                               " tubos iguales: cada uno se comprueba con el caudal del tramo "
                               "dividido entre " +
                               std::to_string(r.barriles) + ".");
    }
    return g;
}

std::string describir(const RedGrafo& g) {
    if (g.tipo == TipoFuente::ModeloSwmm)
        return std::string("modelo SWMM 5, caudales en ") +
               nombreUnidades(g.unidades.value_or(UnidadesCaudal::CFS)) +
               ", pendiente con la longitud medida a lo largo del tubo";
    return "capa SIG «" + g.capa + "», pendiente con la longitud horizontal";
}

} // namespace colvero::red
