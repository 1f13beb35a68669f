#include "cli/red.h"

#ifdef COLVERO_CON_GRAFICOS
#include "cli/perfil_red.h"
#endif

#include "cli/argumentos.h"
#include "cli/diseno_red.h"

#include "cli/escritura.h"
#include "cli/opciones.h"

#include "check/calcular.h"
#include "check/diametros.h"
#include "check/numero.h"
#include "check/pendientes.h"
#include "check/plausibilidad.h"
#include "check/textos_pendientes.h"
#include "cli/comprobacion.h"
#include "files/archivos.h"
#include "files/escritura.h"
#include "files/lectura.h"
#include "files/plano_dxf.h"
#include "files/red.h"
#include "files/serie.h"
#include "gis/capas.h"
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"
#include "network/resultados_sig.h"
#ifdef COLVERO_CON_GRAFICOS
#include "cli/graficos.h"
#endif

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace colvero::cli {
namespace {

const char* const kAyudaRed =
    R"(Uso: colvero-check --red RED (--criterio C.CrVek | --plantilla P.caVek) [--serie S]
                    [--sin-pendientes] [--locale NOMBRE] [--json] [--salida RESULTADOS]
                    [--rpt INFORME.rpt] [--hipotesis ARCHIVO] [--capa NOMBRE]
                    [--pozos ARCHIVO[:CAPA]] [--tolerancia METROS] [--nota-red NOTA.pdf]
                    [--perfil DESDE[:HASTA] --salida-perfil PERFIL.pdf|.svg|.png|.dxf]

Comprueba cada tramo de una red con las diez condiciones de diseño. La extensión de RED dice
qué es:
  .csv  una tabla, una fila por tramo;
  .inp  un modelo SWMM 5, cuyos conductos son los tramos;
  otra  capas SIG (GeoPackage, Shapefile, GeoJSON...): una capa de líneas con los tramos,
        cada uno de su primer vértice (aguas arriba) al último.
De un modelo o de unas capas se construye la red entera (nodos, vertidos, sentido) antes de
comprobar nada. Los enlaces que no son conductos (bombas, orificios, vertederos, salidas) y
los conductos que no son circulares se listan, pero no se comprueban.

La tabla lleva una fila de cabecera con las columnas tramo, D (m), n, i (m/m) y Q o Q1 a Q7
(m3/s; un Qk vacío toma el valor de Q); opcionales: nombre, criterio y serie (rutas relativas
a la carpeta de la tabla). Las cabeceras pueden llevar su unidad entre paréntesis, «D (m)»,
«i (m/m)», «Q (m3/s)», si es esa; otra unidad, como «Q (l/s)», se rechaza. Las demás columnas
se conservan. Campos separados por ";" con coma decimal o por "," con punto decimal; UTF-8 o
Windows-1252.

La capa de tramos lleva los campos tramo, D (m) y n; opcionales: i, Q, Q1 a Q7, cota_inicio,
cota_fin, longitud, caudal_por_metro, nombre, criterio y serie. La de pozos lleva pozo;
opcionales: cota_terreno, cota_solera, caudal_medio y caudal_pluvial.

La pendiente: un modelo SWMM mide la longitud a lo largo del tubo (i = Δz / √(L² − Δz²)), una
capa SIG en horizontal (i = Δz / L) y una tabla da la propia i.

Opciones:
  --red ARCHIVO       La red: una tabla, un modelo SWMM o capas SIG.
  --criterio ARCHIVO  El criterio (.CrVek) de todos los tramos.
  --plantilla ARCHIVO Toma el criterio de un cálculo (.caVek).
                      Hace falta una de las dos, salvo que cada tramo dé el suyo en la
                      columna o el campo criterio, que manda en los tramos que lo rellenan.
  --serie SERIE       Serie de diámetros, un archivo o una de las incluidas (hormigon o
                      pvc-sn4): añade el menor tubo que cumple a la pendiente del tramo.
  --sin-pendientes    No calcula las pendientes admisibles.
  --locale NOMBRE     Separador decimal de los valores calculados (C, en_US, es_ES...).
  --json              Un objeto JSON por tramo y línea en lugar del resumen.
  --salida ARCHIVO    Escribe los resultados según la extensión: .csv la tabla de resultados
                      (con el formato de la tabla de entrada o, de un modelo o capas, con el
                      separador decimal de --locale); .gpkg, .shp, .geojson o .json una capa
                      SIG de los tramos con sus resultados; .dxf el plano de la red para CAD,
                      con cada tramo en la capa de su resultado (CUMPLE, NO_CUMPLE,
                      SIN_COMPROBAR o NO_SE_COMPRUEBA), los pozos en POZOS, los vertidos en
                      VERTIDOS y los nombres en TEXTOS. La capa SIG y el plano, solo de un
                      modelo o capas.
  --rpt ARCHIVO       Solo con un modelo: el informe de SWMM (.rpt); el caudal máximo de
                      cada conducto da los caudales que el modelo no da.
  --hipotesis ARCHIVO Con un modelo o capas: la hipótesis de caudales; los que faltan se
                      obtienen de las cargas de los nodos, acumuladas aguas abajo.
  --capa NOMBRE       Solo con capas: la capa de los tramos; sin ella, la única capa de
                      líneas del archivo.
  --pozos ARCHIVO[:CAPA]
                      Solo con capas: la capa de puntos de los pozos.
  --tolerancia METROS Solo con capas: distancia a la que un extremo de tramo se une a un
                      pozo o a otro extremo (0,01 si no se da).
  --perfil DESDE[:HASTA]
                      Con un modelo o capas: en lugar de comprobar la red entera, dibuja el
                      perfil longitudinal del camino del agua desde un tramo o un nodo hasta
                      el vertido, o entre dos nodos de un mismo camino, con sus tramos
                      comprobados.
  --salida-perfil ARCHIVO
                      El perfil, según la extensión: .pdf (A4 apaisado, en varias hojas si
                      hace falta), .svg, .png o .dxf (para CAD, en metros, con la
                      escala vertical ×10).
  --nota-red ARCHIVO  Guarda la nota de cálculo de la red en PDF (A4 apaisado): fuentes,
                      resumen, tabla de todos los tramos, motivos de los que no cumplen y
                      plano de la red (si la fuente da coordenadas).
  --perfiles fallos|todos
                      Con --nota-red y un modelo o capas: la nota dibuja el perfil de cada
                      camino desde un extremo de aguas arriba hasta su vertido que tiene
                      algún tramo que no cumple (fallos, si no se da) o de todos (todos).
  --disenar           Con un modelo o capas y --serie: en lugar de comprobar la red, la
                      diseña (tubo y soleras de cada tramo con la menor excavación); véase
                      colvero-check --red --disenar --help.
  -h, --help          Muestra esta ayuda.

Códigos de salida: 0 todos los tramos cumplen; 1 alguno no cumple; 2 algún tramo no se ha
podido comprobar, o error de uso o de la red. Los tramos que no se comprueban no cuentan.
)";

void cadenaJson(std::string& d, const std::string& s) {
    const QByteArray b =
        QJsonDocument(QJsonArray{QString::fromStdString(s)}).toJson(QJsonDocument::Compact);
    d.append(b.constData() + 1, static_cast<size_t>(b.size() - 2));
}

// What colvero-check adds to the engine's work on a row: its JSON record, and the reach of a
// graph source the row comes from.
struct TrabajoCli {
    red::Trabajo t;
    std::string json;
    const red::TramoGrafo* grafo = nullptr;
};

struct Opciones {
    red::OpcionesRed motor;
    bool json = false;
    QString red;
    // A D over 5 m is worth a warning where D is typed in metres (not in a model's units).
    bool avisoMilimetros = true;
};

// A number as JSON: the 17 significant digits that read back as the very double; null when
// it is not finite. Free of the C locale.
void numeroJson(std::string& d, double x) {
    if (!std::isfinite(x)) {
        d += "null";
        return;
    }
    char b[32];
    const auto [fin, error] = std::to_chars(b, b + sizeof b, x, std::chars_format::general, 17);
    d.append(b, fin);
}

void numeroJson(std::string& d, const std::optional<double>& x) {
    numeroJson(d, x.value_or(std::nan("")));
}

// The keys of a graph source's reach: its ends, its numbers and where its flows came from.
void jsonGrafo(std::string& d, const red::TramoGrafo& g) {
    d += ",\"desde\":";
    cadenaJson(d, g.desde);
    d += ",\"hasta\":";
    cadenaJson(d, g.hasta);
    const std::pair<const char*, std::optional<double>> numeros[] = {{"longitud", g.longitud},
                                                                     {"cota_inicio", g.cotaInicio},
                                                                     {"cota_fin", g.cotaFin},
                                                                     {"D", g.D},
                                                                     {"n", g.n},
                                                                     {"i", g.i}};
    for (const auto& [clave, x] : numeros) {
        d += ",\"";
        d += clave;
        d += "\":";
        numeroJson(d, x);
    }
    d += ",\"caudales\":[";
    bool alguno = false;
    for (std::size_t k = 0; k < 7; ++k) {
        d += k ? "," : "";
        numeroJson(d, g.Q[k]);
        alguno = alguno || g.Q[k].has_value();
    }
    d += "],\"origen_caudales\":";
    if (alguno)
        cadenaJson(d, red::textoOrigen(g.origen));
    else
        d += "null";
    if (g.acumulado) {
        d += ",\"caudal_medio_acumulado\":";
        numeroJson(d, g.acumulado->Qa);
        d += ",\"caudal_pluvial_acumulado\":";
        numeroJson(d, g.acumulado->Qs);
    }
    d += ",\"barriles\":" + std::to_string(g.barriles);
}

void jsonExtremo(std::string& d, const std::optional<ExtremoPendiente>& e) {
    if (!e) {
        d += "null";
        return;
    }
    d += "{\"valor\":";
    cadenaJson(d, e->texto);
    d += e->incluido ? ",\"incluido\":true" : ",\"incluido\":false";
    d += ",\"condicion\":" + std::to_string(e->condicion) + "}";
}

// The JSON record of a checked row: pure, run by the workers after the engine.
void escribirJson(TrabajoCli& tc, const Opciones& o) {
    const red::Trabajo& t = tc.t;
    std::string& d = tc.json;
    if (!t.omitido.empty()) {
        d += "{\"tramo\":";
        cadenaJson(d, t.tramo);
        d += ",\"fila\":" + std::to_string(t.fila.numero);
        if (tc.grafo) {
            d += ",\"desde\":";
            cadenaJson(d, tc.grafo->desde);
            d += ",\"hasta\":";
            cadenaJson(d, tc.grafo->hasta);
        }
        d += ",\"omitido\":";
        cadenaJson(d, t.omitido);
        d += "}\n";
        return;
    }
    if (!t.error.empty()) {
        d += "{\"tramo\":";
        cadenaJson(d, t.tramo);
        d += ",\"fila\":" + std::to_string(t.fila.numero) + ",\"error\":";
        cadenaJson(d, t.error);
        if (tc.grafo)
            jsonGrafo(d, *tc.grafo);
        d += "}\n";
        return;
    }
    Comprobacion c;
    c.archivo = o.red;
    c.resultado = t.r;
    c.diametroEnMilimetros = o.avisoMilimetros && pareceMilimetros(t.d.D);
    if (c.diametroEnMilimetros)
        c.calculo.colector.D = conversionSimple(t.d.D, o.motor.sep);
    anadirJson(c, d);
    d.pop_back();
    d += ",\"tramo\":";
    cadenaJson(d, t.tramo);
    d += ",\"fila\":" + std::to_string(t.fila.numero);
    d += ",\"dos_calados\":[";
    for (size_t k = 0; k < t.avisos.size(); ++k)
        d += (k ? "," : "") + std::to_string(t.avisos[k]);
    d += ']';
    if (t.pendientes) {
        d += ",\"pendientes\":[";
        bool primero = true;
        for (const IntervaloPendientes& iv : t.pendientes->intervalos) {
            d += primero ? "{\"minima\":" : ",{\"minima\":";
            primero = false;
            jsonExtremo(d, iv.minima);
            d += ",\"maxima\":";
            jsonExtremo(d, iv.maxima);
            d += '}';
        }
        d += ']';
        if (!t.pendientes->motivo.empty()) {
            d += ",\"motivo_pendientes\":";
            cadenaJson(d, t.pendientes->motivo);
        }
    }
    if (o.motor.conSerie) {
        d += ",\"menor_que_cumple\":";
        if (t.menor)
            cadenaJson(d, *t.menor);
        else
            d += "null";
    }
    if (tc.grafo)
        jsonGrafo(d, *tc.grafo);
    d += "}\n";
}

} // namespace

bool esOrdenDeRed(std::span<const char* const> argumentos) {
    for (std::string_view a : argumentos.subspan(std::min<std::size_t>(1, argumentos.size()))) {
        if (a == "--red" || a.starts_with("--red="))
            return true;
    }
    return false;
}

bool pideElPerfil(std::span<const char* const> argumentos) {
    for (std::string_view a : argumentos.subspan(std::min<std::size_t>(1, argumentos.size()))) {
        if (a == "--")
            break;
        if (a == "--perfil" || a.starts_with("--perfil=") || a == "-perfil" ||
            a.starts_with("-perfil="))
            return true;
    }
    return false;
}

std::optional<QString> errorDeArgumentos(QCommandLineParser& p, const QStringList& argumentos) {
    if (!p.parse(argumentos)) {
        if (!p.unknownOptionNames().isEmpty())
            return QStringLiteral("opción desconocida: --%1").arg(p.unknownOptionNames().first());
        const QString ultimo = argumentos.last();
        if (ultimo.startsWith(QLatin1String("--")))
            return QStringLiteral("falta el valor de la opción %1").arg(ultimo);
        return QStringLiteral("argumentos no válidos");
    }
    if (!p.positionalArguments().isEmpty())
        return QStringLiteral("--red no admite archivos de cálculo: %1")
            .arg(p.positionalArguments().first());
    return std::nullopt;
}

std::optional<RechazoNota>
rechazoDeNota(const QCommandLineParser& p, const QCommandLineOption& nota,
              const QList<const QCommandLineOption*>& entradas, const QCommandLineOption& pozos,
              const QCommandLineOption& salida,
              const std::function<QByteArray(const QCommandLineOption&)>& ruta) {
    if (QFileInfo(p.value(nota)).suffix().toLower() != QLatin1String("pdf"))
        return RechazoNota{QStringLiteral("la nota de la red se guarda como PDF: «%1» no "
                                          "acaba en .pdf")
                               .arg(p.value(nota)),
                           true};
    for (const QCommandLineOption* entrada : entradas) {
        if (!p.isSet(*entrada))
            continue;
        const QByteArray r =
            entrada == &pozos ? gis::separarArchivoCapa(ruta(pozos)).ruta : ruta(*entrada);
        if (mismoArchivo(ruta(nota), r) || (entrada == &salida && ruta(nota) == r))
            return RechazoNota{QStringLiteral("--nota-red «%1» es el mismo archivo que --%2 "
                                              "«%3»: la nota lo reemplazaría. Elija otro "
                                              "nombre para la nota.")
                                   .arg(p.value(nota), entrada->names().first(), p.value(*entrada)),
                               false};
    }
    return std::nullopt;
}

int ejecutarRed(std::span<const char* const> argv, QIODevice& salida, QIODevice& errores) {
    if (pideElDiseno(argv))
        return ejecutarDiseno(argv, salida, errores);
    QStringList argumentos;
    for (const char* a : argv)
        argumentos << QString::fromUtf8(a);
    const auto fallo = [&](const QString& mensaje) {
        errores.write(QStringLiteral("colvero-check: %1\n").arg(mensaje).toUtf8());
        return 2;
    };
    const auto errorDeUso = [&](const QString& mensaje) {
        return fallo(mensaje + QStringLiteral("\nUse «colvero-check --red --help» para ver las "
                                              "opciones."));
    };

    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption optRed(QStringLiteral("red"), QString(), QStringLiteral("A"));
    const QCommandLineOption optCriterio(QStringLiteral("criterio"), QString(),
                                         QStringLiteral("A"));
    const QCommandLineOption optPlantilla(QStringLiteral("plantilla"), QString(),
                                          QStringLiteral("A"));
    const QCommandLineOption optSerie(QStringLiteral("serie"), QString(), QStringLiteral("A"));
    const QCommandLineOption optSalida(QStringLiteral("salida"), QString(), QStringLiteral("A"));
    const QCommandLineOption optLocale(QStringLiteral("locale"), QString(), QStringLiteral("N"));
    const QCommandLineOption optSinPendientes(QStringLiteral("sin-pendientes"));
    const QCommandLineOption optJson(QStringLiteral("json"));
    const QCommandLineOption optRpt(QStringLiteral("rpt"), QString(), QStringLiteral("A"));
    const QCommandLineOption optHipotesis(QStringLiteral("hipotesis"), QString(),
                                          QStringLiteral("A"));
    const QCommandLineOption optCapa(QStringLiteral("capa"), QString(), QStringLiteral("N"));
    const QCommandLineOption optPozos(QStringLiteral("pozos"), QString(), QStringLiteral("A"));
    const QCommandLineOption optTolerancia(QStringLiteral("tolerancia"), QString(),
                                           QStringLiteral("M"));
    const QCommandLineOption optPerfil(QStringLiteral("perfil"), QString(), QStringLiteral("T"));
    const QCommandLineOption optSalidaPerfil(QStringLiteral("salida-perfil"), QString(),
                                             QStringLiteral("A"));
    const QCommandLineOption optNotaRed(QStringLiteral("nota-red"), QString(), QStringLiteral("A"));
    const QCommandLineOption optPerfiles(QStringLiteral("perfiles"), QString(),
                                         QStringLiteral("P"));
    const QCommandLineOption optAyuda(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QList<QCommandLineOption> todas{
        optRed,           optCriterio, optPlantilla,    optSerie,     optSalida,   optLocale,
        optSinPendientes, optJson,     optRpt,          optHipotesis, optCapa,     optPozos,
        optTolerancia,    optPerfil,   optSalidaPerfil, optNotaRed,   optPerfiles, optAyuda};
    p.addOptions(todas);
    // "--red --help" would otherwise read "--help" as the table's name.
    if (argumentos.contains(QLatin1String("--help")) || argumentos.contains(QLatin1String("-h"))) {
        salida.write(kAyudaRed);
        return 0;
    }
    if (const std::optional<QString> error = errorDeArgumentos(p, argumentos))
        return errorDeUso(*error);
    if (p.isSet(optCriterio) && p.isSet(optPlantilla))
        return errorDeUso(QStringLiteral("--criterio y --plantilla no se pueden usar juntas"));
    for (const QCommandLineOption* o :
         {&optRed, &optCriterio, &optPlantilla, &optSerie, &optSalida, &optLocale, &optRpt,
          &optHipotesis, &optCapa, &optPozos, &optTolerancia, &optPerfil, &optSalidaPerfil,
          &optNotaRed, &optPerfiles}) {
        if (p.values(*o).size() > 1)
            return errorDeUso(
                QStringLiteral("la opción --%1 se ha dado dos veces").arg(o->names().first()));
    }

    const std::optional<char> conocido = separadorDeLocale(p.value(optLocale));
    if (!conocido)
        return errorDeUso(mensajeLocaleDesconocida(p.value(optLocale)));

    Opciones o;
    o.motor.sep = *conocido;
    o.json = p.isSet(optJson);
    o.motor.pendientes = !p.isSet(optSinPendientes);
    o.motor.conSerie = p.isSet(optSerie);
    o.motor.archivosLeidos = 256; // each row is done with its files once written out
    o.red = p.value(optRed);
    const char sep = o.motor.sep;
    // Files are opened by the bytes that name them.
    const Argumentos bytes = separar(argv, todas);
    const auto ruta = [&](const QCommandLineOption& opcion) {
        const QByteArray* b = bytes.valor(opcion);
        return b ? *b : QFile::encodeName(p.value(opcion));
    };

    // A model or layers are a graph; their options mean nothing to a table.
    const red::TipoFuente tipo = red::tipoDeFuente(ruta(optRed));
    const bool grafo = tipo != red::TipoFuente::Tabla;
    const auto soloCon = [&](const QCommandLineOption& opcion, bool vale, const char* fuente) {
        return p.isSet(opcion) && !vale
                   ? std::optional(QStringLiteral("--%1 solo sirve con %2")
                                       .arg(opcion.names().first(), QString::fromUtf8(fuente)))
                   : std::nullopt;
    };
    for (const std::optional<QString>& error :
         {soloCon(optRpt, tipo == red::TipoFuente::ModeloSwmm, "un modelo SWMM (.inp)"),
          soloCon(optHipotesis, grafo, "un modelo SWMM (.inp) o capas SIG"),
          soloCon(optCapa, tipo == red::TipoFuente::CapasSig, "capas SIG"),
          soloCon(optPozos, tipo == red::TipoFuente::CapasSig, "capas SIG"),
          soloCon(optTolerancia, tipo == red::TipoFuente::CapasSig, "capas SIG"),
          soloCon(optPerfil, grafo, "un modelo SWMM (.inp) o capas SIG"),
          soloCon(optSalidaPerfil, p.isSet(optPerfil), "--perfil"),
          soloCon(optPerfiles, p.isSet(optNotaRed) && grafo,
                  "--nota-red y un modelo SWMM (.inp) o capas SIG")}) {
        if (error)
            return errorDeUso(*error);
    }
    // The profile of one path takes the place of the network's summary and results.
    const bool conPerfil = p.isSet(optPerfil);
    if (conPerfil) {
        if (o.json || p.isSet(optSalida) || o.motor.conSerie || p.isSet(optNotaRed))
            return errorDeUso(QStringLiteral("--perfil no se puede usar con --json, --salida, "
                                             "--serie ni --nota-red"));
        if (!p.isSet(optSalidaPerfil))
            return errorDeUso(QStringLiteral("--perfil necesita --salida-perfil ARCHIVO (.pdf, "
                                             ".svg, .png o .dxf)"));
        const QString ext = QFileInfo(p.value(optSalidaPerfil)).suffix().toLower();
        if (ext != QLatin1String("pdf") && ext != QLatin1String("svg") &&
            ext != QLatin1String("png") && ext != QLatin1String("dxf"))
            return errorDeUso(QStringLiteral("--salida-perfil «%1»: la extensión dice el "
                                             "formato: .pdf, .svg, .png o .dxf")
                                  .arg(p.value(optSalidaPerfil)));
        for (const QCommandLineOption* entrada :
             {&optRed, &optCriterio, &optPlantilla, &optRpt, &optHipotesis, &optPozos}) {
            if (!p.isSet(*entrada))
                continue;
            const QByteArray r = entrada == &optPozos ? gis::separarArchivoCapa(ruta(optPozos)).ruta
                                                      : ruta(*entrada);
            if (mismoArchivo(ruta(optSalidaPerfil), r))
                return fallo(QStringLiteral("--salida-perfil «%1» es el mismo archivo que --%2 "
                                            "«%3»: el perfil lo reemplazaría. Elija otro nombre "
                                            "para la salida.")
                                 .arg(p.value(optSalidaPerfil), entrada->names().first(),
                                      p.value(*entrada)));
        }
    }
    red::OpcionesFuente fuente;
    if (p.isSet(optTolerancia)) {
        std::string texto = p.value(optTolerancia).toStdString();
        std::replace(texto.begin(), texto.end(), ',', '.');
        const std::optional<double> x = leerNumero(texto, '.');
        if (!x || !std::isfinite(*x) || *x <= 0)
            return errorDeUso(QStringLiteral("--tolerancia ha de ser un número positivo de "
                                             "metros, no «%1»")
                                  .arg(p.value(optTolerancia)));
        fuente.tolerancia = *x;
    }

    // The results go by the target's extension: a table, or a layer of the graph's lines.
    enum class Salida { Ninguna, Csv, Sig, Dxf };
    Salida destino = Salida::Ninguna;
    if (p.isSet(optSalida)) {
        const QString ext = QFileInfo(p.value(optSalida)).suffix().toLower();
        const bool sig = ext == QLatin1String("gpkg") || ext == QLatin1String("shp") ||
                         ext == QLatin1String("geojson") || ext == QLatin1String("json");
        const bool dxf = ext == QLatin1String("dxf");
        if (sig && !grafo)
            return errorDeUso(QStringLiteral("--salida «%1»: una capa SIG de resultados solo se "
                                             "escribe con un modelo SWMM (.inp) o capas SIG; "
                                             "los de una tabla van a un .csv")
                                  .arg(p.value(optSalida)));
        if (dxf && !grafo)
            return errorDeUso(QStringLiteral("--salida «%1»: el plano DXF solo se dibuja de un "
                                             "modelo SWMM (.inp) o capas SIG, que dan las "
                                             "coordenadas; los resultados de una tabla van a "
                                             "un .csv")
                                  .arg(p.value(optSalida)));
        if (grafo && !sig && !dxf && ext != QLatin1String("csv"))
            return errorDeUso(QStringLiteral("--salida «%1»: la extensión dice el formato: .csv, "
                                             ".gpkg, .shp, .geojson, .json o .dxf")
                                  .arg(p.value(optSalida)));
        destino = sig ? Salida::Sig : dxf ? Salida::Dxf : Salida::Csv;
    }
    o.motor.csv = destino == Salida::Csv;
    o.avisoMilimetros = tipo != red::TipoFuente::ModeloSwmm;

    // The results must not replace a file the run reads (a layer by the file that holds it).
    std::vector<QByteArray> entradas;
    if (destino != Salida::Ninguna) {
        for (const QCommandLineOption* entrada :
             {&optRed, &optCriterio, &optPlantilla, &optSerie, &optRpt, &optHipotesis, &optPozos}) {
            if (!p.isSet(*entrada))
                continue;
            const QByteArray r = entrada == &optPozos ? gis::separarArchivoCapa(ruta(optPozos)).ruta
                                                      : ruta(*entrada);
            entradas.push_back(r);
            if (mismoArchivo(ruta(optSalida), r))
                return fallo(
                    QStringLiteral("--salida «%1» es el mismo archivo que --%2 «%3»: los "
                                   "resultados lo reemplazarían. Elija otro nombre para "
                                   "la salida.")
                        .arg(p.value(optSalida), entrada->names().first(), p.value(*entrada)));
        }
        o.motor.salida = ruta(optSalida);
    }

    // The note is drawn by the companion program, which runs this same command.
    const bool conNota = p.isSet(optNotaRed);
    if (p.isSet(optPerfiles) && p.value(optPerfiles) != QLatin1String("todos") &&
        p.value(optPerfiles) != QLatin1String("fallos"))
        return errorDeUso(
            QStringLiteral("--perfiles «%1»: escriba fallos o todos").arg(p.value(optPerfiles)));
    if (conNota) {
        if (const std::optional<RechazoNota> r =
                rechazoDeNota(p, optNotaRed,
                              {&optRed, &optCriterio, &optPlantilla, &optSerie, &optRpt,
                               &optHipotesis, &optPozos, &optSalida},
                              optPozos, optSalida, ruta))
            return r->deUso ? errorDeUso(r->mensaje) : fallo(r->mensaje);
#ifndef COLVERO_CON_GRAFICOS
        return delegarDibujo(argv, errores);
#endif
    }

    // Everything that can refuse the run is read before the first row is checked.
    Criterio criterio;
    QString origenCriterio;
    std::vector<Tubo> serie;
    std::optional<red::CriterioListo> base;
    std::unique_ptr<LectorRed> lector;
    std::optional<red::RedGrafo> g;
    try {
        std::string avisos;
        if (p.isSet(optCriterio)) {
            criterio = criterioDeOpcion(ruta(optCriterio), false, sep, avisos);
            origenCriterio = p.value(optCriterio);
        } else if (!p.isSet(optPlantilla)) {
            // Each row must then name its own criterion (checked once the header is read).
            o.motor.soloCriteriosDeFila = true;
            origenCriterio = grafo ? QStringLiteral("el del campo criterio de cada tramo")
                                   : QStringLiteral("el de la columna criterio de cada fila");
        } else {
            criterio = criterioDeOpcion(ruta(optPlantilla), true, sep, avisos);
            origenCriterio = QStringLiteral("el de la plantilla %1").arg(p.value(optPlantilla));
        }
        errores.write(avisos.data(), static_cast<qint64>(avisos.size()));
        std::string error;
        base = red::prepararCriterio(criterio, sep, error);
        if (!base)
            return fallo(
                QStringLiteral("el criterio no sirve: %1").arg(QString::fromStdString(error)));
        if (o.motor.conSerie) {
            SerieLeida leida = leerSerieDeOpcion(ruta(optSerie));
            if (const std::optional<std::string> aviso = avisoDeSerie(leida))
                errores.write(("colvero-check: aviso: " + *aviso + "\n").c_str());
            serie = std::move(leida.tubos);
        }
        if (grafo) {
            if (p.isSet(optRpt))
                fuente.informe = ruta(optRpt);
            if (p.isSet(optHipotesis))
                fuente.hipotesis = ruta(optHipotesis);
            fuente.capa = p.value(optCapa).toStdString();
            if (p.isSet(optPozos))
                fuente.pozos = ruta(optPozos);
            // The rows of a graph, and its result table, in the separator of the results.
            fuente.dialecto = {sep == ',' ? ';' : ',', sep};
            g = red::leerRedGrafo(ruta(optRed), fuente);
        } else {
            lector = std::make_unique<LectorRed>(ruta(optRed));
        }
    } catch (const ErrorArchivo& e) {
        return fallo(QString::fromUtf8(e.what()));
    }
    const CabeceraRed& cab = g ? g->cabecera : lector->cabecera();
    if (o.motor.soloCriteriosDeFila && cab.columna(ColumnaRed::Criterio) < 0)
        return errorDeUso(
            !grafo ? QStringLiteral("falta el criterio de los tramos: dé un criterio con "
                                    "--criterio ARCHIVO.CrVek, o tome el de un cálculo con "
                                    "--plantilla ARCHIVO.caVek (o ponga en la tabla la columna "
                                    "criterio, con el archivo de criterio de cada tramo)")
            : tipo == red::TipoFuente::CapasSig
                ? QStringLiteral("falta el criterio de los tramos: dé un criterio con "
                                 "--criterio ARCHIVO.CrVek, o tome el de un cálculo con "
                                 "--plantilla ARCHIVO.caVek (o ponga en la capa el campo "
                                 "criterio, con el archivo de criterio de cada tramo)")
                : QStringLiteral("falta el criterio de los tramos: dé un criterio con "
                                 "--criterio ARCHIVO.CrVek, o tome el de un cálculo con "
                                 "--plantilla ARCHIVO.caVek"));
    if (conPerfil) {
#ifdef COLVERO_CON_GRAFICOS
        return perfilDeRed(*g, ruta(optRed), *base, o.motor, p.value(optPerfil),
                           ruta(optSalidaPerfil), p.value(optSalidaPerfil), salida, errores);
#else
        return fallo(QStringLiteral("el perfil lo dibuja colvero-check-graficos, que no está"));
#endif
    }
    if (destino == Salida::Dxf) {
        // A plan with nothing on it would pass for a written plan.
        if (dxf::dibujables(g->modelo) == 0)
            return fallo(QStringLiteral("--salida «%1»: ningún enlace de la red tiene coordenadas "
                                        "en sus dos nodos: no hay plano que dibujar")
                             .arg(p.value(optSalida)));
    }
    red::PreparadorRed preparador(cab, ruta(optRed), *base, o.motor.conSerie ? &serie : nullptr,
                                  o.motor);
    if (const std::optional<QString> falta = preparador.columnaQueFalta(o.red))
        return fallo(*falta);

    std::string texto;
    const auto vaciar = [&](bool siempre) {
        if (!texto.empty() && (siempre || texto.size() >= 64 * 1024)) {
            salida.write(texto.data(), static_cast<qint64>(texto.size()));
            texto.clear();
        }
    };
    if (!o.json) {
        texto += "Red: " + o.red.toStdString() +
                 "\nFormato: " + (g ? red::describir(*g) : describir(cab).toStdString()) +
                 "\nCriterio: " + origenCriterio.toStdString() + "\n";
        if (o.motor.conSerie)
            texto += "Serie: " + p.value(optSerie).toStdString() + "\n";
        texto += "\n";
        if (g) {
            texto += "Topología:\n";
            for (const std::string& a : g->avisos)
                texto += a + "\n";
            texto += "\n";
        }
    }
    std::optional<red::ResultadosSig> capa;
    if (destino == Salida::Sig)
        capa.emplace(*g, o.motor);
    // By link, for the plan; a link never checked stays SinComprobar.
    std::vector<dxf::EstadoTramo> estados;
    if (destino == Salida::Dxf)
        estados.assign(g->tramos.size(), dxf::EstadoTramo::SinComprobar);
    std::optional<dxf::Plano> plano;
#ifdef COLVERO_CON_GRAFICOS
    std::vector<nota::TramoNota> tramosNota;
    if (conNota)
        tramosNota.reserve(g ? g->tramos.size() : 0);
#endif

    std::optional<EscrituraAtomica> escritura;
    std::string csv;
    // Per condition: passes, does not pass, error, not evaluated.
    std::array<std::array<qint64, 4>, 10> cuentas{};
    std::array<qint64, 3> porCodigo{};
    qint64 conAvisos = 0;
    qint64 omitidos = 0;
    qint64 enMilimetros = 0; // reaches whose D is over 5 m
    int primeraEnMilimetros = 0;
    std::string primerTramoEnMilimetros;
    int codigo = 0;
    try {
        if (o.motor.csv) {
            escritura.emplace(ruta(optSalida), p.value(optSalida));
            csv = red::cabeceraCsv(cab, o.motor);
        }
        const int hilos = red::nucleos();
        const size_t lote = static_cast<size_t>(hilos) * 64;
        // The next row, prepared; false after the last. A graph's reaches are its links.
        std::size_t enlace = 0;
        const auto siguiente = [&](TrabajoCli& tc) {
            if (g) {
                if (enlace == g->tramos.size())
                    return false;
                tc.grafo = &g->tramos[enlace];
                tc.t.fila = g->fila(enlace++);
                tc.t.limpiar();
                preparador.preparar(tc.t, *tc.grafo);
            } else {
                if (!lector->siguiente(tc.t.fila))
                    return false;
                tc.t.limpiar();
                preparador.preparar(tc.t);
            }
            tc.json.clear();
            return true;
        };
        // Two batches: this thread reads and prepares the next while the others check one.
        std::vector<TrabajoCli> trabajos(lote), siguientes(lote);
        bool mas = true;
        const auto leer = [&](std::vector<TrabajoCli>& destino) {
            destino.resize(lote);
            size_t n = 0;
            while (mas && n < lote && (mas = siguiente(destino[n])))
                ++n;
            destino.resize(n);
        };
        leer(trabajos);
        while (!trabajos.empty()) {
            red::enParalelo(
                trabajos.size(), hilos,
                [&](std::size_t k) {
                    red::comprobarTrabajo(trabajos[k].t, o.motor, cab.dialecto);
                    if (o.json)
                        escribirJson(trabajos[k], o);
                },
                [&] { leer(siguientes); });
            for (const TrabajoCli& tc : trabajos) {
                const red::Trabajo& t = tc.t;
                const bool omitido = !t.omitido.empty();
                codigo = std::max(codigo, t.codigo);
                if (o.avisoMilimetros && t.error.empty() && !omitido && pareceMilimetros(t.d.D) &&
                    enMilimetros++ == 0) {
                    primeraEnMilimetros = t.fila.numero;
                    primerTramoEnMilimetros = textoVisible(t.tramo);
                }
                if (omitido)
                    ++omitidos;
                else
                    ++porCodigo[static_cast<size_t>(t.codigo)];
                if (o.motor.csv)
                    csv += t.csv;
                if (capa)
                    capa->anotar(tc.grafo->enlace, t);
                if (!estados.empty())
                    estados.at(tc.grafo->enlace) = omitido ? dxf::EstadoTramo::NoSeComprueba
                                                   : !t.error.empty()
                                                       ? dxf::EstadoTramo::SinComprobar
                                                   : t.codigo == 0 ? dxf::EstadoTramo::Cumple
                                                   : t.codigo == 1 ? dxf::EstadoTramo::NoCumple
                                                                   : dxf::EstadoTramo::SinComprobar;
#ifdef COLVERO_CON_GRAFICOS
                if (conNota)
                    tramosNota.push_back(nota::tramoNota(t, tc.grafo, o.motor.pendientes, sep));
#endif
                if (o.json) {
                    texto += tc.json;
                } else if (omitido) {
                    texto += "tramo «" + textoVisible(t.tramo) + "»: " + t.omitido + "\n";
                } else {
                    const std::string quien = g ? "tramo «" + textoVisible(t.tramo) + "»"
                                                : "fila " + std::to_string(t.fila.numero) +
                                                      ", tramo «" + textoVisible(t.tramo) + "»";
                    std::string noCumple;
                    for (size_t k = 0; k < 10 && t.error.empty(); ++k) {
                        const size_t clase = static_cast<size_t>(
                            red::claseDeVeredicto(t.r.condiciones[k].veredicto));
                        ++cuentas[k][clase];
                        if (clase == 1)
                            noCumple += " (" + std::to_string(k + 1) + ")";
                    }
                    if (!t.error.empty())
                        texto += t.error + "\n";
                    else if (t.codigo == 2)
                        texto += quien + ": no se ha podido comprobar: " +
                                 (t.r.fin == FinCalculo::ColectorInvalido ? t.r.notaCol
                                  : t.r.fin == FinCalculo::Error
                                      ? t.r.notaCalC
                                      : std::string("[ERROR] en alguna condición")) +
                                 "\n";
                    else if (t.codigo == 1)
                        texto += quien + ": no cumple" + noCumple + "\n";
                    if (!t.avisos.empty()) {
                        ++conAvisos;
                        texto += quien + ": " + avisoDosCalados(t.avisos, false) + "\n";
                    }
                }
                vaciar(false);
            }
            if (o.motor.csv && csv.size() >= 64 * 1024) {
                escritura->escribir(csv);
                csv.clear();
            }
            std::swap(trabajos, siguientes);
        }
        if (o.motor.csv) {
            escritura->escribir(csv);
            escritura->confirmar();
        }
        if (capa)
            capa->escribir(ruta(optSalida), entradas);
        if (destino == Salida::Dxf)
            plano = dxf::escribirPlanoDxf(ruta(optSalida), p.value(optSalida), g->modelo, estados);
#ifdef COLVERO_CON_GRAFICOS
        if (conNota) {
            nota::FuentesRed f;
            f.red = o.red;
            f.formato = g ? QString::fromStdString(red::describir(*g)) : describir(cab);
            if (tipo == red::TipoFuente::CapasSig)
                f.capa = QString::fromStdString(g->capa);
            f.pozos = p.value(optPozos);
            f.informe = p.value(optRpt);
            f.hipotesis = p.value(optHipotesis);
            f.criterio = origenCriterio;
            if (!o.motor.soloCriteriosDeFila)
                f.limites = criterio;
            f.serie = p.value(optSerie);
            nota::PerfilesNota perfiles;
            if (g) {
                perfiles.todos = p.value(optPerfiles) == QLatin1String("todos");
                perfiles.trayectos = nota::trayectosPrincipales(*g, tramosNota, perfiles.todos);
                perfiles.perfilDe = [&](const perfil::Trayecto& tr) {
                    return perfil::perfilDe(
                        *g, tr, perfil::comprobarTrayecto(*g, tr, ruta(optRed), *base, o.motor));
                };
            }
            escribirNotaDeRed(ruta(optNotaRed), p.value(optNotaRed), f, tramosNota,
                              g ? &*g : nullptr, sep, g ? &perfiles : nullptr);
        }
#endif
    } catch (const ErrorArchivo& e) {
        vaciar(true);
        return fallo(QString::fromUtf8(e.what()));
    }
    if (!o.json) {
        texto += "\nCondición   cumplen  no cumplen  [ERROR]  sin evaluar\n";
        for (size_t k = 0; k < 10; ++k) {
            char linea[96];
            std::snprintf(
                linea, sizeof linea, "(%zu)%*s%7lld%12lld%9lld%13lld\n", k + 1, k + 1 < 10 ? 9 : 8,
                "", static_cast<long long>(cuentas[k][0]), static_cast<long long>(cuentas[k][1]),
                static_cast<long long>(cuentas[k][2]), static_cast<long long>(cuentas[k][3]));
            texto += linea;
        }
        if (conAvisos > 0)
            texto += "\nTramos con aviso de dos calados: " + std::to_string(conAvisos) + "\n";
        texto += "\nTramos: " + std::to_string(cab.filas) + "; cumplen " +
                 std::to_string(porCodigo[0]) + ", no cumplen " + std::to_string(porCodigo[1]) +
                 ", no se han podido comprobar " + std::to_string(porCodigo[2]) +
                 (omitidos > 0 ? ", no se comprueban " + std::to_string(omitidos) : "") + "\n";
        if (destino != Salida::Ninguna)
            texto += "Resultados: " + p.value(optSalida).toStdString() + "\n";
        if (conNota)
            texto += "Nota de cálculo: " + p.value(optNotaRed).toStdString() + "\n";
    }
    vaciar(true);
    if (plano && plano->sinPosicion > 0)
        errores.write(
            QStringLiteral("colvero-check: aviso: %1: %2 sin coordenadas en alguno de "
                           "sus nodos no %3 en el plano\n")
                .arg(p.value(optSalida),
                     plano->sinPosicion == 1 ? QStringLiteral("un enlace")
                                             : QStringLiteral("%1 enlaces").arg(plano->sinPosicion),
                     plano->sinPosicion == 1 ? QStringLiteral("está") : QStringLiteral("están"))
                .toUtf8());
    if (enMilimetros > 0) {
        const QString tramo = QString::fromStdString(primerTramoEnMilimetros);
        const QString quien =
            g ? (enMilimetros == 1 ? QStringLiteral("un tramo, «%1», tiene").arg(tramo)
                                   : QStringLiteral("%1 tramos, el primero «%2», tienen")
                                         .arg(enMilimetros)
                                         .arg(tramo))
            : enMilimetros == 1
                ? QStringLiteral("un tramo, en la fila %1, tiene").arg(primeraEnMilimetros)
                : QStringLiteral("%1 tramos, el primero en la fila %2, tienen")
                      .arg(enMilimetros)
                      .arg(primeraEnMilimetros);
        errores.write(QStringLiteral("colvero-check: aviso: %1: %2 un diámetro D de más de 5 m: "
                                     "¿está en milímetros? D se da en metros\n")
                          .arg(o.red, quien)
                          .toUtf8());
    }
    return codigo;
}

} // namespace colvero::cli
