#include "cli/red.h"

#include "cli/argumentos.h"

#include "cli/escritura.h"

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
#include "files/red.h"
#include "files/serie.h"
#include "network/comprobacion_red.h"

#include <QCommandLineParser>
#include <QFile>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace colvero::cli {
namespace {

const char* const kAyudaRed =
    R"(Uso: colvero-check --red RED.csv (--criterio C.CrVek | --plantilla P.caVek) [--serie S]
                    [--sin-pendientes] [--locale NOMBRE] [--json] [--salida RESULTADOS.csv]

Comprueba cada tramo de una red, una fila de la tabla RED.csv por tramo, con las diez
condiciones de diseño.

La tabla lleva una fila de cabecera con las columnas tramo, D (m), n, i (m/m) y Q o Q1 a Q7
(m3/s; un Qk vacío toma el valor de Q); opcionales: nombre, criterio y serie (rutas relativas
a la carpeta de la tabla). Las cabeceras pueden llevar su unidad entre paréntesis, «D (m)»,
«i (m/m)», «Q (m3/s)», si es esa; otra unidad, como «Q (l/s)», se rechaza. Las demás columnas
se conservan. Campos separados por ";" con coma decimal o por "," con punto decimal; UTF-8 o
Windows-1252.

Opciones:
  --red ARCHIVO       La tabla de la red.
  --criterio ARCHIVO  El criterio (.CrVek) de todos los tramos.
  --plantilla ARCHIVO Toma el criterio de un cálculo (.caVek).
                      Hace falta una de las dos, salvo que cada fila dé el suyo en la
                      columna criterio, que manda en los tramos que la rellenan.
  --serie SERIE       Serie de diámetros, un archivo o una de las incluidas (hormigon o
                      pvc-sn4): añade el menor tubo que cumple a la pendiente del tramo.
  --sin-pendientes    No calcula las pendientes admisibles.
  --locale NOMBRE     Separador decimal de los valores calculados (C, en_US, es_ES...).
  --json              Un objeto JSON por tramo y línea en lugar del resumen.
  --salida ARCHIVO    Escribe la tabla de resultados (CSV con el formato de la entrada).
  -h, --help          Muestra esta ayuda.

Códigos de salida: 0 todos los tramos cumplen; 1 alguno no cumple; 2 algún tramo no se ha
podido comprobar, o error de uso o de la tabla.
)";

void cadenaJson(std::string& d, const std::string& s) {
    const QByteArray b =
        QJsonDocument(QJsonArray{QString::fromStdString(s)}).toJson(QJsonDocument::Compact);
    d.append(b.constData() + 1, static_cast<size_t>(b.size() - 2));
}

// What colvero-check adds to the engine's work on a row: its JSON record.
struct TrabajoCli {
    red::Trabajo t;
    std::string json;
};

struct Opciones {
    red::OpcionesRed motor;
    bool json = false;
    QString red;
};

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
    if (!t.error.empty()) {
        d += "{\"tramo\":";
        cadenaJson(d, t.tramo);
        d += ",\"fila\":" + std::to_string(t.fila.numero) + ",\"error\":";
        cadenaJson(d, t.error);
        d += "}\n";
        return;
    }
    Comprobacion c;
    c.archivo = o.red;
    c.resultado = t.r;
    c.diametroEnMilimetros = pareceMilimetros(t.d.D);
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

int ejecutarRed(std::span<const char* const> argv, QIODevice& salida, QIODevice& errores) {
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
    const QCommandLineOption optAyuda(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    p.addOptions({optRed, optCriterio, optPlantilla, optSerie, optSalida, optLocale,
                  optSinPendientes, optJson, optAyuda});
    // "--red --help" would otherwise read "--help" as the table's name.
    if (argumentos.contains(QLatin1String("--help")) || argumentos.contains(QLatin1String("-h"))) {
        salida.write(kAyudaRed);
        return 0;
    }
    if (!p.parse(argumentos)) {
        if (!p.unknownOptionNames().isEmpty())
            return errorDeUso(
                QStringLiteral("opción desconocida: --%1").arg(p.unknownOptionNames().first()));
        const QString ultimo = argumentos.last();
        if (ultimo.startsWith(QLatin1String("--")))
            return errorDeUso(QStringLiteral("falta el valor de la opción %1").arg(ultimo));
        return errorDeUso(QStringLiteral("argumentos no válidos"));
    }
    if (!p.positionalArguments().isEmpty())
        return errorDeUso(QStringLiteral("--red no admite archivos de cálculo: %1")
                              .arg(p.positionalArguments().first()));
    if (p.isSet(optCriterio) && p.isSet(optPlantilla))
        return errorDeUso(QStringLiteral("--criterio y --plantilla no se pueden usar juntas"));
    for (const QCommandLineOption* o :
         {&optRed, &optCriterio, &optPlantilla, &optSerie, &optSalida, &optLocale}) {
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
    o.motor.csv = p.isSet(optSalida);
    o.motor.conSerie = p.isSet(optSerie);
    o.motor.archivosLeidos = 256; // each row is done with its files once written out
    o.red = p.value(optRed);
    const char sep = o.motor.sep;
    // Files are opened by the bytes that name them.
    const Argumentos bytes = separar(argv, {optRed, optCriterio, optPlantilla, optSerie, optSalida,
                                            optLocale, optSinPendientes, optJson, optAyuda});
    const auto ruta = [&](const QCommandLineOption& opcion) {
        const QByteArray* b = bytes.valor(opcion);
        return b ? *b : QFile::encodeName(p.value(opcion));
    };
    // The result table must not replace a file the run reads.
    if (o.motor.csv) {
        for (const QCommandLineOption* entrada :
             {&optRed, &optCriterio, &optPlantilla, &optSerie}) {
            if (p.isSet(*entrada) && mismoArchivo(ruta(optSalida), ruta(*entrada)))
                return fallo(
                    QStringLiteral("--salida «%1» es el mismo archivo que --%2 «%3»: los "
                                   "resultados lo reemplazarían. Elija otro nombre para "
                                   "la salida.")
                        .arg(p.value(optSalida), entrada->names().first(), p.value(*entrada)));
        }
        o.motor.salida = ruta(optSalida);
    }

    // Everything that can refuse the run is read before the first row is checked.
    Criterio criterio;
    QString origenCriterio;
    std::vector<Tubo> serie;
    std::optional<red::CriterioListo> base;
    std::unique_ptr<LectorRed> lector;
    try {
        std::string avisos;
        if (p.isSet(optCriterio)) {
            criterio = criterioDeOpcion(ruta(optCriterio), false, sep, avisos);
            origenCriterio = p.value(optCriterio);
        } else if (!p.isSet(optPlantilla)) {
            // Each row must then name its own criterion (checked once the header is read).
            o.motor.soloCriteriosDeFila = true;
            origenCriterio = QStringLiteral("el de la columna criterio de cada fila");
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
        lector = std::make_unique<LectorRed>(ruta(optRed));
    } catch (const ErrorArchivo& e) {
        return fallo(QString::fromUtf8(e.what()));
    }
    const CabeceraRed& cab = lector->cabecera();
    if (o.motor.soloCriteriosDeFila && cab.columna(ColumnaRed::Criterio) < 0)
        return errorDeUso(QStringLiteral(
            "falta el criterio de los tramos: dé un criterio con --criterio ARCHIVO.CrVek, o "
            "tome el de un cálculo con --plantilla ARCHIVO.caVek (o ponga en la tabla la columna "
            "criterio, con el archivo de criterio de cada tramo)"));
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
        texto += "Red: " + o.red.toStdString() + "\nFormato: " + describir(cab).toStdString() +
                 "\nCriterio: " + origenCriterio.toStdString() + "\n";
        if (o.motor.conSerie)
            texto += "Serie: " + p.value(optSerie).toStdString() + "\n";
        texto += "\n";
    }

    std::optional<EscrituraAtomica> escritura;
    std::string csv;
    // Per condition: passes, does not pass, error, not evaluated.
    std::array<std::array<qint64, 4>, 10> cuentas{};
    std::array<qint64, 3> porCodigo{};
    qint64 conAvisos = 0;
    qint64 enMilimetros = 0; // reaches whose D is over 5 m
    int primeraEnMilimetros = 0;
    int codigo = 0;
    try {
        if (o.motor.csv) {
            escritura.emplace(ruta(optSalida), p.value(optSalida));
            csv = red::cabeceraCsv(cab, o.motor);
        }
        const int hilos = red::nucleos();
        const size_t lote = static_cast<size_t>(hilos) * 64;
        // Two batches: this thread reads and prepares the next while the others check one.
        std::vector<TrabajoCli> trabajos(lote), siguientes(lote);
        bool mas = true;
        const auto leer = [&](std::vector<TrabajoCli>& destino) {
            destino.resize(lote);
            size_t n = 0;
            while (mas && n < lote && (mas = lector->siguiente(destino[n].t.fila))) {
                TrabajoCli& tc = destino[n++];
                tc.t.limpiar();
                tc.json.clear();
                preparador.preparar(tc.t);
            }
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
                codigo = std::max(codigo, t.codigo);
                if (t.error.empty() && pareceMilimetros(t.d.D) && enMilimetros++ == 0)
                    primeraEnMilimetros = t.fila.numero;
                ++porCodigo[static_cast<size_t>(t.codigo)];
                if (o.motor.csv)
                    csv += t.csv;
                if (o.json) {
                    texto += tc.json;
                } else {
                    const std::string quien = "fila " + std::to_string(t.fila.numero) +
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
                 ", no se han podido comprobar " + std::to_string(porCodigo[2]) + "\n";
        if (o.motor.csv)
            texto += "Resultados: " + p.value(optSalida).toStdString() + "\n";
    }
    vaciar(true);
    if (enMilimetros > 0) {
        const QString quien =
            enMilimetros == 1
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
