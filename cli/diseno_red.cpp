#include "cli/diseno_red.h"

#include "cli/argumentos.h"
#include "cli/comprobacion.h"
#include "cli/escritura.h"
#include "cli/opciones.h"
#include "cli/red.h"
#ifdef COLVERO_CON_GRAFICOS
#include "cli/graficos.h"
#include "files/informe_swmm.h"
#include "note/nota_red.h"
#include "profile/perfil.h"
#include "profile/trayecto.h"
#endif

#include "check/numero.h"
#include "check/textos_pendientes.h"
#include "design/aplicar.h"
#include "design/diseno_red.h"
#include "design/salida_diseno.h"
#include "files/archivos.h"
#include "files/escritura.h"
#include "files/escritura_swmm.h"
#include "files/lectura.h"
#include "files/red.h"
#include "files/serie.h"
#include "gis/capas.h"
#include "gis/salida.h"
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace colvero::cli {
namespace {

const char* const kAyudaDiseno =
    R"(Uso: colvero-check --red RED --disenar --serie SERIE (--criterio C.CrVek | --plantilla P.caVek)
                    [--recubrimiento METROS] [--profundidad-maxima METROS]
                    [--resalto-minimo METROS] [--alinear claves] [--sobreancho METROS]
                    [--cama METROS] [--fijar NODO=COTA]... [--json]
                    [--salida DISEÑO.inp|.gpkg|.shp|.geojson|.json|.csv]
                    [--nota-red NOTA.pdf [--perfiles fallos|todos]]
                    [--rpt INFORME.rpt] [--hipotesis ARCHIVO] [--capa NOMBRE]
                    [--pozos ARCHIVO[:CAPA]] [--tolerancia METROS] [--locale NOMBRE]

Diseña la red de un modelo SWMM 5 (.inp) o de unas capas SIG: elige para cada conducto un
tubo de la serie y las cotas de solera de sus dos extremos, al centímetro, de modo que el
tramo cumpla a su pendiente todas las condiciones activas del criterio; que la clave quede
bajo el recubrimiento mínimo en sus dos extremos; que ningún pozo pase de la profundidad
máxima; que en cada pozo la solera del tramo que sale quede, al menos el resalto mínimo, por
debajo de la más baja de los que llegan; y que el diámetro no disminuya aguas abajo. De todos
los diseños así, el de menor excavación:
  coste = Σ L·(D + 2·b)·(profundidad media hasta la solera + c)  (m3)
con L la longitud del tramo, b el sobreancho de la zanja a cada lado del tubo y c la cama.

La cota del terreno de un pozo es la de la fuente: en un modelo, su solera más su profundidad
máxima; en capas, el campo cota_terreno de los pozos. Un tramo que sale de un pozo sin cota
de terreno, o llega a uno del que sale otro conducto, no se diseña; en un vertido sin cota de
terreno el tramo acaba libre (sin recubrimiento ni profundidad que cumplir allí) y su coste
toma la profundidad de su extremo de aguas arriba. Los caudales son los de la comprobación: de la fuente, del informe o
de la hipótesis. Las soleras y diámetros de la fuente son lo que el diseño reemplaza.

Opciones:
  --red ARCHIVO       La red: un modelo SWMM o capas SIG (no una tabla).
  --disenar           Diseña la red en lugar de comprobarla.
  --serie SERIE       Los tubos entre los que elegir: un archivo o una de las series
                      incluidas (hormigon o pvc-sn4).
  --criterio ARCHIVO  El criterio (.CrVek) de todos los tramos.
  --plantilla ARCHIVO Toma el criterio de un cálculo (.caVek).
  --recubrimiento METROS
                      Recubrimiento mínimo sobre la clave en los dos extremos de cada tramo
                      (1 si no se da).
  --profundidad-maxima METROS
                      Profundidad máxima de la solera bajo el terreno en un pozo (6).
  --resalto-minimo METROS
                      La solera del tramo que sale de un pozo, al menos esto por debajo de la
                      más baja de los que llegan (0).
  --alinear claves    Además, la clave del tramo que sale no queda por encima de la más baja
                      de los que llegan.
  --sobreancho METROS Sobreancho b de la zanja a cada lado del tubo (0,3).
  --cama METROS       Cama c bajo el tubo (0,10).
  --fijar NODO=COTA   Fija la solera en un nodo: la de un vertido, la de un tubo existente al
                      que empalmar. En metros, redondeada al centímetro; se puede repetir.
  --json              Un objeto JSON por tramo y línea, y una última con el resumen.
  --salida ARCHIVO    Guarda la red diseñada según la extensión: .inp el modelo con los
                      diámetros y soleras nuevos y todo lo demás como estaba (solo de un
                      modelo SWMM); .gpkg, .shp, .geojson o .json una capa SIG de los tramos
                      con su diseño; .csv una tabla de un tramo por fila.
  --nota-red ARCHIVO  Guarda la nota de cálculo de la red diseñada en PDF: la sección «Diseño
                      de la red» (límites, excavación, longitud por tubo, resaltos, tramos sin
                      diseño) y la comprobación de la red diseñada, con su plano y perfiles.
  --perfiles fallos|todos
                      Los caminos principales cuyo perfil dibuja la nota (fallos si no se da).
  --rpt, --hipotesis, --capa, --pozos, --tolerancia y --locale, como al comprobar la red
  (colvero-check --red --help).
  -h, --help          Muestra esta ayuda.

Los metros se escriben con coma o con punto decimal.

Códigos de salida: 0 todos los tramos tienen diseño; 1 alguno no lo tiene (el resto de la
red se diseña igualmente); 2 error de uso o de la red.
)";

// A number as JSON: the 17 significant digits that read back as the very double, as the
// network check writes them; null when it is not finite.
void numeroJson(std::string& d, double x) {
    if (!std::isfinite(x)) {
        d += "null";
        return;
    }
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, x, std::chars_format::general, 17);
    d.append(b, r.ptr);
}

// A number with `decimales` decimals and the separator `sep`; never "-0"; «—» when there is
// none (a depth at an end without ground).
std::string fijo(double x, int decimales, char sep) {
    if (!std::isfinite(x))
        return "—";
    char b[400];
    const auto r = std::to_chars(b, b + sizeof b, x, std::chars_format::fixed, decimales);
    std::string s(b, r.ptr);
    if (s.find_first_not_of("-0.") == std::string::npos && s.starts_with('-'))
        s.erase(0, 1);
    for (char& c : s)
        if (c == '.')
            c = sep;
    return s;
}

struct Fijada {
    std::string nodo;
    double cota = 0;
};

#ifdef COLVERO_CON_GRAFICOS
// The note of the network `g` designed by `d`: the designed model is read and checked as the
// source is (its flows from the same report or hypothesis), so its table, plan and profiles
// show the designed pipes, and its design section says how they were chosen.
void notaDelDiseno(const red::RedGrafo& g, const diseno::Diseno& d, const std::vector<Tubo>& serie,
                   const diseno::Limites& limites, const QByteArray& rutaRed,
                   const red::CriterioListo& base, red::OpcionesRed motor,
                   const QByteArray& rutaInforme, const nota::FuentesRed& fuentes, bool todos,
                   const QByteArray& rutaNota, const QString& nombreNota) {
    red::RedGrafo r = g;
    r.modelo = diseno::modeloDisenado(g.modelo, d, serie);
    r.topologia = red::construirTopologia(r.modelo);
    std::optional<InformeSwmm> informe;
    if (!rutaInforme.isEmpty())
        informe = leerInformeSwmm(rutaInforme);
    std::string error;
    std::optional<std::vector<red::TramoGrafo>> tramos =
        red::tramosDeModelo(r.modelo, r.topologia, informe ? &*informe : nullptr,
                            r.hipotesis ? &*r.hipotesis : nullptr, error);
    if (!tramos)
        throw ErrorArchivo("la red diseñada no se puede comprobar: " + error);
    r.tramos = std::move(*tramos);

    // The check of the note is the network check's: with the admissible slopes.
    motor.pendientes = true;
    red::PreparadorRed preparador(r.cabecera, rutaRed, base, nullptr, motor);
    std::vector<red::Trabajo> trabajos(r.tramos.size());
    for (std::size_t k = 0; k < r.tramos.size(); ++k) {
        trabajos[k].fila = r.fila(k);
        trabajos[k].limpiar();
        preparador.preparar(trabajos[k], r.tramos[k]);
    }
    red::enParalelo(
        trabajos.size(), red::nucleos(),
        [&](std::size_t k) { red::comprobarTrabajo(trabajos[k], motor, r.cabecera.dialecto); }, {});
    std::vector<nota::TramoNota> notas;
    notas.reserve(trabajos.size());
    for (std::size_t k = 0; k < trabajos.size(); ++k)
        notas.push_back(nota::tramoNota(trabajos[k], &r.tramos[k], motor.pendientes, motor.sep));
    trabajos.clear();

    nota::PerfilesNota perfiles;
    perfiles.todos = todos;
    perfiles.trayectos = nota::trayectosPrincipales(r, notas, todos);
    perfiles.perfilDe = [&](const perfil::Trayecto& tr) {
        return perfil::perfilDe(r, tr, perfil::comprobarTrayecto(r, tr, rutaRed, base, motor));
    };
    const nota::SeccionDiseno seccion = nota::seccionDiseno(g.modelo, d, serie, limites);
    escribirNotaDeRed(rutaNota, nombreNota, fuentes, notas, &r, motor.sep, &perfiles, &seccion);
}
#endif

} // namespace

bool pideElDiseno(std::span<const char* const> argumentos) {
    for (std::string_view a : argumentos.subspan(std::min<std::size_t>(1, argumentos.size()))) {
        if (a == "--")
            break;
        if (a == "--disenar" || a == "-disenar")
            return true;
    }
    return false;
}

int ejecutarDiseno(std::span<const char* const> argv, QIODevice& salida, QIODevice& errores) {
    QStringList argumentos;
    for (const char* a : argv)
        argumentos << QString::fromUtf8(a);
    const auto fallo = [&](const QString& mensaje) {
        errores.write(QStringLiteral("colvero-check: %1\n").arg(mensaje).toUtf8());
        return 2;
    };
    const auto errorDeUso = [&](const QString& mensaje) {
        return fallo(mensaje + QStringLiteral("\nUse «colvero-check --red --disenar --help» para "
                                              "ver las opciones."));
    };

    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const auto conValor = [](const char* nombre, const char* valor) {
        return QCommandLineOption(QString::fromLatin1(nombre), QString(),
                                  QString::fromLatin1(valor));
    };
    const QCommandLineOption optRed = conValor("red", "A");
    const QCommandLineOption optDisenar(QStringLiteral("disenar"));
    const QCommandLineOption optCriterio = conValor("criterio", "A");
    const QCommandLineOption optPlantilla = conValor("plantilla", "A");
    const QCommandLineOption optSerie = conValor("serie", "A");
    const QCommandLineOption optSalida = conValor("salida", "A");
    const QCommandLineOption optLocale = conValor("locale", "N");
    const QCommandLineOption optJson(QStringLiteral("json"));
    const QCommandLineOption optRpt = conValor("rpt", "A");
    const QCommandLineOption optHipotesis = conValor("hipotesis", "A");
    const QCommandLineOption optCapa = conValor("capa", "N");
    const QCommandLineOption optPozos = conValor("pozos", "A");
    const QCommandLineOption optTolerancia = conValor("tolerancia", "M");
    const QCommandLineOption optRecubrimiento = conValor("recubrimiento", "M");
    const QCommandLineOption optProfundidad = conValor("profundidad-maxima", "M");
    const QCommandLineOption optResalto = conValor("resalto-minimo", "M");
    const QCommandLineOption optAlinear = conValor("alinear", "C");
    const QCommandLineOption optSobreancho = conValor("sobreancho", "M");
    const QCommandLineOption optCama = conValor("cama", "M");
    const QCommandLineOption optFijar = conValor("fijar", "N");
    const QCommandLineOption optAyuda(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    // Options of the check that mean nothing to a design.
    const QCommandLineOption optSinPendientes(QStringLiteral("sin-pendientes"));
    const QCommandLineOption optPerfil = conValor("perfil", "T");
    const QCommandLineOption optSalidaPerfil = conValor("salida-perfil", "A");
    const QCommandLineOption optNotaRed = conValor("nota-red", "A");
    const QCommandLineOption optPerfiles = conValor("perfiles", "P");
    const QList<QCommandLineOption> todas{
        optRed,     optDisenar,       optCriterio,   optPlantilla,     optSerie,
        optSalida,  optLocale,        optJson,       optRpt,           optHipotesis,
        optCapa,    optPozos,         optTolerancia, optRecubrimiento, optProfundidad,
        optResalto, optAlinear,       optSobreancho, optCama,          optFijar,
        optAyuda,   optSinPendientes, optPerfil,     optSalidaPerfil,  optNotaRed,
        optPerfiles};
    p.addOptions(todas);
    if (argumentos.contains(QLatin1String("--help")) || argumentos.contains(QLatin1String("-h"))) {
        salida.write(kAyudaDiseno);
        return 0;
    }
    if (const std::optional<QString> error = errorDeArgumentos(p, argumentos))
        return errorDeUso(*error);
    for (const QCommandLineOption* o : {&optSinPendientes, &optPerfil, &optSalidaPerfil}) {
        if (p.isSet(*o))
            return errorDeUso(QStringLiteral("--%1 no se puede usar con --disenar: el diseño no "
                                             "comprueba la red")
                                  .arg(o->names().first()));
    }
    if (p.isSet(optCriterio) && p.isSet(optPlantilla))
        return errorDeUso(QStringLiteral("--criterio y --plantilla no se pueden usar juntas"));
    for (const QCommandLineOption* o :
         {&optRed, &optCriterio, &optPlantilla, &optSerie, &optSalida, &optLocale, &optRpt,
          &optHipotesis, &optCapa, &optPozos, &optTolerancia, &optRecubrimiento, &optProfundidad,
          &optResalto, &optAlinear, &optSobreancho, &optCama, &optNotaRed, &optPerfiles}) {
        if (p.values(*o).size() > 1)
            return errorDeUso(
                QStringLiteral("la opción --%1 se ha dado dos veces").arg(o->names().first()));
    }
    const std::optional<char> conocido = separadorDeLocale(p.value(optLocale));
    if (!conocido)
        return errorDeUso(mensajeLocaleDesconocida(p.value(optLocale)));
    const char sep = *conocido;
    const bool json = p.isSet(optJson);
    const Argumentos bytes = separar(argv, todas);
    const auto ruta = [&](const QCommandLineOption& opcion) {
        const QByteArray* b = bytes.valor(opcion);
        return b ? *b : QFile::encodeName(p.value(opcion));
    };

    const red::TipoFuente tipo = red::tipoDeFuente(ruta(optRed));
    if (tipo == red::TipoFuente::Tabla)
        return errorDeUso(QStringLiteral("--disenar necesita una red con sus nodos y las cotas "
                                         "del terreno: un modelo SWMM (.inp) o capas SIG, no "
                                         "una tabla"));
    if (!p.isSet(optSerie))
        return errorDeUso(QStringLiteral("--disenar necesita --serie SERIE: los tubos entre los "
                                         "que elegir"));
    const auto soloCon = [&](const QCommandLineOption& opcion, bool vale, const char* fuente) {
        return p.isSet(opcion) && !vale
                   ? std::optional(QStringLiteral("--%1 solo sirve con %2")
                                       .arg(opcion.names().first(), QString::fromUtf8(fuente)))
                   : std::nullopt;
    };
    for (const std::optional<QString>& error :
         {soloCon(optRpt, tipo == red::TipoFuente::ModeloSwmm, "un modelo SWMM (.inp)"),
          soloCon(optCapa, tipo == red::TipoFuente::CapasSig, "capas SIG"),
          soloCon(optPozos, tipo == red::TipoFuente::CapasSig, "capas SIG"),
          soloCon(optTolerancia, tipo == red::TipoFuente::CapasSig, "capas SIG")}) {
        if (error)
            return errorDeUso(*error);
    }

    // The limits: metres with a decimal point or comma.
    const auto metros = [&](const QString& texto) -> std::optional<double> {
        std::string t = texto.trimmed().toStdString();
        std::replace(t.begin(), t.end(), ',', '.');
        const std::optional<double> x = leerNumero(t, '.');
        if (!x || !std::isfinite(*x))
            return std::nullopt;
        return x;
    };
    diseno::Limites limites;
    red::OpcionesFuente fuente;
    for (const auto& [opcion, destino] :
         std::initializer_list<std::pair<const QCommandLineOption*, double*>>{
             {&optRecubrimiento, &limites.recubrimiento},
             {&optProfundidad, &limites.profundidadMaxima},
             {&optResalto, &limites.resaltoMinimo},
             {&optSobreancho, &limites.sobreancho},
             {&optCama, &limites.cama},
             {&optTolerancia, &fuente.tolerancia}}) {
        if (!p.isSet(*opcion))
            continue;
        const std::optional<double> x = metros(p.value(*opcion));
        if (!x)
            return errorDeUso(QStringLiteral("--%1 ha de ser un número de metros, no «%2»")
                                  .arg(opcion->names().first(), p.value(*opcion)));
        *destino = *x;
    }
    if (p.isSet(optTolerancia) && !(fuente.tolerancia > 0))
        return errorDeUso(QStringLiteral("--tolerancia ha de ser un número positivo de metros, "
                                         "no «%1»")
                              .arg(p.value(optTolerancia)));
    if (p.isSet(optAlinear)) {
        if (p.value(optAlinear) != QLatin1String("claves"))
            return errorDeUso(QStringLiteral("--alinear «%1»: lo que se alinea son las claves: "
                                             "escriba --alinear claves")
                                  .arg(p.value(optAlinear)));
        limites.alinearClaves = true;
    }
    std::vector<Fijada> fijadas;
    for (const QString& f : p.values(optFijar)) {
        const qsizetype igual = f.lastIndexOf(QLatin1Char('='));
        const std::optional<double> z =
            igual > 0 ? metros(f.mid(igual + 1)) : std::optional<double>();
        if (!z)
            return errorDeUso(QStringLiteral("--fijar «%1»: escriba NODO=COTA, con la cota de "
                                             "solera en metros")
                                  .arg(f));
        fijadas.push_back({f.left(igual).toStdString(), *z});
        limites.fijas.emplace_back(fijadas.back().nodo, *z);
    }

    // The output goes by its extension, and never over a file the run reads.
    std::optional<diseno::FormatoDiseno> destino;
    std::vector<QByteArray> entradas;
    if (p.isSet(optSalida)) {
        destino = diseno::formatoDeDiseno(p.value(optSalida));
        if (!destino)
            return errorDeUso(QStringLiteral("--salida «%1»: la extensión dice el formato: .inp, "
                                             ".gpkg, .shp, .geojson, .json o .csv")
                                  .arg(p.value(optSalida)));
        if (destino == diseno::FormatoDiseno::Modelo && tipo != red::TipoFuente::ModeloSwmm)
            return errorDeUso(QStringLiteral("--salida «%1»: el modelo diseñado se escribe sobre "
                                             "el modelo SWMM de la red; de unas capas SIG, "
                                             "guarde el diseño como capa (.gpkg) o tabla (.csv)")
                                  .arg(p.value(optSalida)));
        for (const QCommandLineOption* entrada :
             {&optRed, &optCriterio, &optPlantilla, &optSerie, &optRpt, &optHipotesis, &optPozos}) {
            if (!p.isSet(*entrada))
                continue;
            const QByteArray r = entrada == &optPozos ? gis::separarArchivoCapa(ruta(optPozos)).ruta
                                                      : ruta(*entrada);
            entradas.push_back(r);
            if (mismoArchivo(ruta(optSalida), r))
                return fallo(
                    QStringLiteral("--salida «%1» es el mismo archivo que --%2 «%3»: el "
                                   "diseño lo reemplazaría. Elija otro nombre para la "
                                   "salida.")
                        .arg(p.value(optSalida), entrada->names().first(), p.value(*entrada)));
        }
    }

    // Everything that can refuse the run is read before the design starts.
    // The note of the designed network is drawn by the companion program, which runs this same
    // command.
    const bool conNota = p.isSet(optNotaRed);
    if (p.isSet(optPerfiles) && !conNota)
        return errorDeUso(QStringLiteral("--perfiles solo sirve con --nota-red"));
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

    red::OpcionesRed motor;
    motor.sep = sep;
    motor.pendientes = false;
    std::optional<red::CriterioListo> base;
    QString origenCriterio;
    std::vector<Tubo> serie;
    std::optional<red::RedGrafo> g;
    Criterio criterio;
    try {
        std::string avisos;
        if (p.isSet(optCriterio)) {
            criterio = criterioDeOpcion(ruta(optCriterio), false, sep, avisos);
            origenCriterio = p.value(optCriterio);
        } else if (p.isSet(optPlantilla)) {
            criterio = criterioDeOpcion(ruta(optPlantilla), true, sep, avisos);
            origenCriterio = QStringLiteral("el de la plantilla %1").arg(p.value(optPlantilla));
        } else {
            motor.soloCriteriosDeFila = true;
            origenCriterio = QStringLiteral("el del campo criterio de cada tramo");
        }
        errores.write(avisos.data(), static_cast<qint64>(avisos.size()));
        std::string error;
        base = red::prepararCriterio(criterio, sep, error);
        if (!base)
            return fallo(
                QStringLiteral("el criterio no sirve: %1").arg(QString::fromStdString(error)));
        SerieLeida leida = leerSerieDeOpcion(ruta(optSerie));
        if (const std::optional<std::string> aviso = avisoDeSerie(leida))
            errores.write(("colvero-check: aviso: " + *aviso + "\n").c_str());
        serie = std::move(leida.tubos);
        if (p.isSet(optRpt))
            fuente.informe = ruta(optRpt);
        if (p.isSet(optHipotesis))
            fuente.hipotesis = ruta(optHipotesis);
        fuente.capa = p.value(optCapa).toStdString();
        if (p.isSet(optPozos))
            fuente.pozos = ruta(optPozos);
        fuente.dialecto = {sep == ',' ? ';' : ',', sep};
        g = red::leerRedGrafo(ruta(optRed), fuente);
    } catch (const ErrorArchivo& e) {
        return fallo(QString::fromUtf8(e.what()));
    }
    if (serie.empty())
        return fallo(QStringLiteral("la serie «%1» no tiene ningún tubo").arg(p.value(optSerie)));
    if (motor.soloCriteriosDeFila && g->cabecera.columna(ColumnaRed::Criterio) < 0)
        return errorDeUso(QStringLiteral("falta el criterio de los tramos: dé un criterio con "
                                         "--criterio ARCHIVO.CrVek, o tome el de un cálculo con "
                                         "--plantilla ARCHIVO.caVek"));
    if (const std::optional<std::string> e = diseno::errorDeLimites(g->modelo, limites))
        return errorDeUso(QString::fromStdString(*e));

    // Each conduit as the check prepares it: its criterion, n and flows. The slope the source's
    // inverts give, and its failures, are what the design replaces.
    red::PreparadorRed preparador(g->cabecera, ruta(optRed), *base, nullptr, motor);
    std::vector<diseno::TramoADisenar> tramos;
    try {
        for (std::size_t k = 0; k < g->tramos.size(); ++k) {
            const red::Enlace& e = g->modelo.enlaces[k];
            if (!e.esConducto())
                continue;
            diseno::TramoADisenar a;
            a.enlace = k;
            const std::string quien = "tramo «" + textoVisible(e.id) + "»";
            if (!e.circular && !e.forma.empty()) {
                a.error = quien + ": la sección no es circular (" + textoVisible(e.forma) +
                          "): no se diseña";
                tramos.push_back(std::move(a));
                continue;
            }
            red::TramoGrafo t = g->tramos[k];
            const red::Extremos& x = g->topologia.extremos[k];
            if (t.error == g->topologia.errorTramo[k] && x.desde >= 0 && x.hasta >= 0 &&
                x.desde != x.hasta && e.longitud > 0 && std::isfinite(e.longitud))
                t.error.clear();
            t.i = 0.01; // replaced by the design
            if (t.D <= 0)
                t.D = serie.front().diametro;
            red::Trabajo w;
            w.fila = g->fila(k);
            w.limpiar();
            preparador.preparar(w, t);
            a.error = w.error;
            a.d = w.d;
            if (w.criterio)
                a.activas = w.criterio->activas;
            tramos.push_back(std::move(a));
        }
    } catch (const ErrorArchivo& e) {
        return fallo(QString::fromUtf8(e.what()));
    }

    const std::optional<diseno::Diseno> d =
        diseno::disenar(g->modelo, g->topologia, tramos, serie, limites, {}, red::nucleos());
    if (!d)
        return fallo(QStringLiteral("el diseño se ha interrumpido"));

    const auto nombreTramo = [&](const diseno::TramoDisenado& t) -> const std::string& {
        return g->modelo.enlaces[t.enlace].id;
    };
    // Why a reach has no design, naming it.
    const auto motivo = [&](const diseno::TramoDisenado& t) {
        const std::string quien = "tramo «" + textoVisible(nombreTramo(t)) + "»";
        return t.sinDiseno.starts_with(quien) ? t.sinDiseno : quien + ": " + t.sinDiseno;
    };
    // Pipe length by pipe of the series, in the series' order.
    std::vector<double> longitudPorTubo(serie.size(), 0.0);
    std::vector<char> usado(serie.size(), 0);
    int sinDiseno = 0;
    for (const diseno::TramoDisenado& t : d->tramos) {
        if (!t.sinDiseno.empty()) {
            ++sinDiseno;
            continue;
        }
        longitudPorTubo[t.tubo] += g->modelo.enlaces[t.enlace].longitud;
        usado[t.tubo] = 1;
    }

    // The output.
    if (destino) {
        QByteArray fuenteBytes;
        const QByteArray r = ruta(optRed);
        try {
            if (destino == diseno::FormatoDiseno::Modelo)
                fuenteBytes = leerArchivoEntero(r, nombreVisible(r), qint64{1} << 30);
        } catch (const ErrorArchivo& e) {
            return fallo(QString::fromUtf8(e.what()));
        }
        int inexactos = 0;
        const diseno::DestinoDiseno a{ruta(optSalida), p.value(optSalida), fuente.dialecto,
                                      entradas};
        const diseno::FuenteDiseno de{
            *g,
            std::string_view(fuenteBytes.constData(), static_cast<std::size_t>(fuenteBytes.size())),
            nombreVisible(r)};
        if (const std::optional<std::string> e =
                diseno::guardarDiseno(a, de, *d, serie, &inexactos))
            return fallo(QString::fromStdString(*e));
        if (inexactos > 0)
            errores.write(QStringLiteral("colvero-check: aviso: %1: en pies, %2 de las "
                                         "cotas y diámetros se leen con el double más "
                                         "próximo, no con el mismo\n")
                              .arg(p.value(optSalida))
                              .arg(inexactos)
                              .toUtf8());
    }
#ifdef COLVERO_CON_GRAFICOS
    if (conNota) {
        nota::FuentesRed f;
        f.red = p.value(optRed);
        f.formato = QString::fromStdString(red::describir(*g));
        if (tipo == red::TipoFuente::CapasSig)
            f.capa = QString::fromStdString(g->capa);
        f.pozos = p.value(optPozos);
        f.informe = p.value(optRpt);
        f.hipotesis = p.value(optHipotesis);
        f.criterio = origenCriterio;
        if (!motor.soloCriteriosDeFila)
            f.limites = criterio;
        f.serie = p.value(optSerie);
        try {
            notaDelDiseno(*g, *d, serie, limites, ruta(optRed), *base, motor, fuente.informe, f,
                          p.value(optPerfiles) == QLatin1String("todos"), ruta(optNotaRed),
                          p.value(optNotaRed));
        } catch (const ErrorArchivo& e) {
            return fallo(QString::fromUtf8(e.what()));
        }
    }
#endif

    std::string texto;
    if (json) {
        for (const diseno::TramoDisenado& t : d->tramos) {
            texto += "{\"tramo\":";
            anadirCadenaJson(texto, nombreTramo(t));
            if (!t.sinDiseno.empty()) {
                texto += ",\"sin_diseno\":";
                anadirCadenaJson(texto, motivo(t));
                texto += "}\n";
                continue;
            }
            texto += ",\"tubo\":";
            anadirCadenaJson(texto, serie[t.tubo].nombre);
            const std::pair<const char*, double> numeros[] = {
                {"D", serie[t.tubo].diametro},
                {"cota_inicio", static_cast<double>(t.cotaInicio) / 100.0},
                {"cota_fin", static_cast<double>(t.cotaFin) / 100.0},
                {"i", t.i},
                {"profundidad_inicio", t.profundidadInicio},
                {"profundidad_fin", t.profundidadFin},
                {"recubrimiento_inicio", t.recubrimientoInicio},
                {"recubrimiento_fin", t.recubrimientoFin},
                {"resalto", t.resalto},
                {"coste", t.coste}};
            for (const auto& [clave, x] : numeros) {
                texto += ",\"";
                texto += clave;
                texto += "\":";
                numeroJson(texto, x);
            }
            texto += "}\n";
        }
        texto += "{\"resumen\":{\"coste\":";
        numeroJson(texto, d->coste);
        texto += ",\"longitud_por_tubo\":{";
        bool primero = true;
        for (std::size_t k = 0; k < serie.size(); ++k) {
            if (!usado[k])
                continue;
            texto += primero ? "" : ",";
            primero = false;
            anadirCadenaJson(texto, serie[k].nombre);
            texto += ':';
            numeroJson(texto, longitudPorTubo[k]);
        }
        texto += "},\"resaltos\":" + std::to_string(d->resaltos) +
                 ",\"pozos_de_resalto\":" + std::to_string(d->pozosDeResalto) + ",\"sin_diseno\":[";
        primero = true;
        for (const diseno::TramoDisenado& t : d->tramos) {
            if (t.sinDiseno.empty())
                continue;
            texto += primero ? "" : ",";
            primero = false;
            anadirCadenaJson(texto, nombreTramo(t));
        }
        texto += "]}}\n";
    } else {
        const auto m = [&](double x) { return decimalLlano(x, sep) + " m"; };
        texto += "Red: " + p.value(optRed).toStdString() + "\nFormato: " + red::describir(*g) +
                 "\nCriterio: " + origenCriterio.toStdString() +
                 "\nSerie: " + p.value(optSerie).toStdString() + "\n";
        texto += "Límites: recubrimiento mínimo " + m(limites.recubrimiento) +
                 ", profundidad máxima " + m(limites.profundidadMaxima) + ", resalto mínimo " +
                 m(limites.resaltoMinimo) + (limites.alinearClaves ? ", claves alineadas" : "") +
                 "\n";
        texto += "Zanja: sobreancho " + m(limites.sobreancho) + " a cada lado, cama " +
                 m(limites.cama) + "\n";
        for (const Fijada& f : fijadas) {
            const double redondeada = static_cast<double>(diseno::centimetros(f.cota)) / 100.0;
            texto += "Solera fijada en «" + textoVisible(f.nodo) + "»: " + m(f.cota);
            if (redondeada != f.cota)
                texto += ", redondeada al centímetro: " + fijo(redondeada, 2, sep) + " m";
            texto += "\n";
        }
        if (!g->avisos.empty()) {
            texto += "\nTopología:\n";
            for (const std::string& a : g->avisos)
                texto += a + "\n";
        }
        // The reaches as a table, each column as wide as its widest cell.
        std::vector<std::vector<std::string>> filas{{"Tramo", "Tubo", "Solera inicio", "Solera fin",
                                                     "i (m/m)", "Prof. inicio", "Prof. fin",
                                                     "Resalto", "Coste (m3)"}};
        for (const diseno::TramoDisenado& t : d->tramos) {
            if (!t.sinDiseno.empty())
                continue;
            filas.push_back({textoVisible(nombreTramo(t)), textoVisible(serie[t.tubo].nombre),
                             fijo(static_cast<double>(t.cotaInicio) / 100.0, 2, sep),
                             fijo(static_cast<double>(t.cotaFin) / 100.0, 2, sep),
                             fijo(t.i, 5, sep), fijo(t.profundidadInicio, 2, sep),
                             fijo(t.profundidadFin, 2, sep), fijo(t.resalto, 2, sep),
                             fijo(t.coste, 2, sep)});
        }
        if (filas.size() > 1) {
            // Widths in characters: the cells are UTF-8.
            const auto ancho = [](const std::string& s) {
                return static_cast<std::size_t>(
                    std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
            };
            std::vector<std::size_t> anchos(filas[0].size(), 0);
            for (const auto& f : filas)
                for (std::size_t c = 0; c < f.size(); ++c)
                    anchos[c] = std::max(anchos[c], ancho(f[c]));
            texto += "\n";
            for (const auto& f : filas) {
                std::string linea;
                for (std::size_t c = 0; c < f.size(); ++c) {
                    const std::string relleno(anchos[c] - ancho(f[c]), ' ');
                    // Names to the left, numbers to the right.
                    linea += c == 0 ? "" : "  ";
                    linea += c < 2 ? f[c] + relleno : relleno + f[c];
                }
                while (!linea.empty() && linea.back() == ' ')
                    linea.pop_back();
                texto += linea + "\n";
            }
        }
        bool cabecera = false;
        for (const diseno::TramoDisenado& t : d->tramos) {
            if (!t.sinDiseno.empty() || !(t.resalto > 0))
                continue;
            if (!cabecera)
                texto += "\nResaltos:\n";
            cabecera = true;
            const red::Enlace& e = g->modelo.enlaces[t.enlace];
            texto += "pozo «" + textoVisible(e.desde) + "», tramo «" + textoVisible(e.id) +
                     "»: " + fijo(t.resalto, 2, sep) + " m" +
                     (t.resalto > 0.5 ? " (pozo de resalto)" : "") + "\n";
        }
        if (sinDiseno > 0) {
            texto += "\nSin diseño:\n";
            for (const diseno::TramoDisenado& t : d->tramos)
                if (!t.sinDiseno.empty())
                    texto += motivo(t) + "\n";
        }
        texto += "\nExcavación: " + fijo(d->coste, 2, sep) + " m3\nLongitud por tubo:\n";
        for (std::size_t k = 0; k < serie.size(); ++k)
            if (usado[k])
                texto += "  " + textoVisible(serie[k].nombre) + ": " +
                         fijo(longitudPorTubo[k], 2, sep) + " m\n";
        texto += "Resaltos: " + std::to_string(d->resaltos) + "; pozos de resalto (más de 0" +
                 std::string(1, sep) + "50 m): " + std::to_string(d->pozosDeResalto) + "\n";
        texto += "Tramos: " + std::to_string(d->tramos.size()) + "; con diseño " +
                 std::to_string(d->tramos.size() - static_cast<std::size_t>(sinDiseno)) +
                 ", sin diseño " + std::to_string(sinDiseno) + "\n";
        if (destino)
            texto += "Diseño: " + p.value(optSalida).toStdString() + "\n";
        if (conNota)
            texto += "Nota de cálculo: " + p.value(optNotaRed).toStdString() + "\n";
    }
    salida.write(texto.data(), static_cast<qint64>(texto.size()));
    return d->completo() ? 0 : 1;
}

} // namespace colvero::cli
