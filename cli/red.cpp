#include "cli/red.h"

#include "cli/escritura.h"

#include "check/calcular.h"
#include "check/diametros.h"
#include "check/numero.h"
#include "check/pendientes.h"
#include "cli/comprobacion.h"
#include "files/archivos.h"
#include "files/escritura.h"
#include "files/red.h"
#include "files/serie.h"

#include <QCommandLineParser>
#include <QFile>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sched.h>

namespace colvero::cli {
namespace {

const char* const kAyudaRed =
    R"(Uso: colvero-check --red RED.csv [--criterio C.CrVek | --plantilla P.caVek] [--serie S]
                    [--sin-pendientes] [--locale NOMBRE] [--json] [--salida RESULTADOS.csv]

Comprueba cada tramo de una red, una fila de la tabla RED.csv por tramo, con las diez
condiciones de diseño.

La tabla lleva una fila de cabecera con las columnas tramo, D (m), n, i (m/m) y Q o Q1 a Q7
(m3/s; un Qk vacío toma el valor de Q); opcionales: nombre, criterio y serie (rutas relativas
a la carpeta de la tabla). Las demás columnas se conservan. Campos separados por ";" con coma
decimal o por "," con punto decimal; UTF-8 o Windows-1252.

Opciones:
  --red ARCHIVO       La tabla de la red.
  --criterio ARCHIVO  El criterio (.CrVek) de todos los tramos.
  --plantilla ARCHIVO Toma el criterio de un cálculo (.caVek).
                      Sin ninguna de las dos, los valores iniciales de la ventana.
  --serie ARCHIVO     Serie de diámetros: añade el menor tubo que cumple a la pendiente del tramo.
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

// A criterion ready for the engine: its limits converted once.
struct CriterioListo {
    Activas activas{};
    Entradas limites{}; // D, n, i and the flows unused
};

// A criterion or a series named in a row, read once; `error` when it could not be read.
template <class T> struct Recurso {
    std::optional<T> valor;
    std::string error;
};

std::optional<CriterioListo> prepararCriterio(const Criterio& criterio, char sep,
                                              std::string& error) {
    Calculo c;
    c.criterio = criterio;
    std::optional<CampoNumerico> campo;
    const std::optional<Entradas> e = convertirEntradas(c, sep, &campo);
    if (!e) {
        error = std::string("el valor de «") + nombreCampo(*campo) + "» no es un número";
        return std::nullopt;
    }
    return CriterioListo{criterio.activa, *e};
}

struct Trabajo {
    FilaRed fila;
    std::string tramo;
    std::string error; // the row could not be checked: the whole message
    Entradas d{};
    const CriterioListo* criterio = nullptr;
    const std::vector<Tubo>* serie = nullptr;
    // Filled by the workers.
    ResultadoCalculo r;
    std::optional<ResultadoPendientes> pendientes;
    std::optional<std::string> menor;
    std::vector<int> avisos; // conditions with two normal depths
    int codigo = 0;
    std::string json;
    std::string csv;
};

struct Opciones {
    char sep = '.';
    bool json = false;
    bool pendientes = true;
    bool csv = false;
    bool conSerie = false;
    QString red;
};

void cambiarDecimal(std::string& s, char de, char a) {
    if (de != a)
        std::replace(s.begin(), s.end(), de, a);
}

int codigoDe(const Trabajo& t) {
    if (!t.error.empty() || t.r.fin != FinCalculo::Realizado)
        return 2;
    bool algunNo = false;
    for (const std::string& nota : t.r.notas) {
        if (nota.find("[ERROR]") != std::string::npos)
            return 2;
        algunNo = algunNo || nota.find("[NO]") != std::string::npos;
    }
    return algunNo ? 1 : 0;
}

// The admissible slopes as one cell: "[0,0012 (8); 0,034 (2))" per interval, "[" or "]" when
// the end itself passes; an end that is the end of the searched range has no condition.
std::string textoPendientes(const ResultadoPendientes& p, char sep) {
    if (p.fin != FinPendientes::Realizado || p.intervalos.empty())
        return p.motivo;
    std::string s;
    for (const IntervaloPendientes& iv : p.intervalos) {
        if (!s.empty())
            s += ' ';
        s += !iv.minima || iv.minima->incluido ? '[' : '(';
        if (iv.minima)
            s += iv.minima->texto + " (" + std::to_string(iv.minima->condicion) + ")";
        else
            s += conversionSimple(kPendienteMinima, sep);
        s += "; ";
        if (iv.maxima)
            s += iv.maxima->texto + " (" + std::to_string(iv.maxima->condicion) + ")";
        else
            s += conversionSimple(kPendienteMaxima, sep);
        s += !iv.maxima || iv.maxima->incluido ? ']' : ')';
    }
    return s;
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

std::vector<int> dosCalados(const Evaluacion& ev) {
    std::vector<int> k;
    for (int c = 1; c <= 10; ++c) {
        if (ev.condiciones[static_cast<size_t>(c - 1)].dosCalados)
            k.push_back(c);
    }
    return k;
}

// Checks one row and writes its JSON record and its output CSV line: pure, run by the workers.
void comprobarTrabajo(Trabajo& t, const Opciones& o, const DialectoRed& dialecto) {
    std::vector<int>& avisos = t.avisos;
    avisos.clear();
    ResultadoCalculo rCsv;
    if (t.error.empty()) {
        const Evaluacion ev = evaluar(t.d, t.criterio->activas);
        ValoresGuardados g;
        t.r = resultadoDeEvaluacion(t.d, ev, g, o.sep);
        if (o.csv) {
            ValoresGuardados g2;
            rCsv = o.sep == dialecto.decimal ? t.r
                                             : resultadoDeEvaluacion(t.d, ev, g2, dialecto.decimal);
        }
        avisos = dosCalados(ev);
        if (o.pendientes)
            t.pendientes = pendientesAdmisibles(t.d, t.criterio->activas, o.sep);
        if (t.serie) {
            const ResultadoDiametros rd =
                diametrosAdmisibles(t.d, t.criterio->activas, *t.serie, o.sep);
            if (rd.menorQueCumple)
                t.menor = rd.tubos[*rd.menorQueCumple].tubo.nombre;
        }
    }
    t.codigo = codigoDe(t);

    if (o.json) {
        std::string& d = t.json;
        if (!t.error.empty()) {
            d += "{\"tramo\":";
            cadenaJson(d, t.tramo);
            d += ",\"fila\":" + std::to_string(t.fila.numero) + ",\"error\":";
            cadenaJson(d, t.error);
            d += "}\n";
        } else {
            Comprobacion c;
            c.archivo = o.red;
            c.resultado = t.r;
            anadirJson(c, d);
            d.pop_back();
            d += ",\"tramo\":";
            cadenaJson(d, t.tramo);
            d += ",\"fila\":" + std::to_string(t.fila.numero);
            d += ",\"dos_calados\":[";
            for (size_t k = 0; k < avisos.size(); ++k)
                d += (k ? "," : "") + std::to_string(avisos[k]);
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
            if (o.conSerie) {
                d += ",\"menor_que_cumple\":";
                if (t.menor)
                    cadenaJson(d, *t.menor);
                else
                    d += "null";
            }
            d += "}\n";
        }
    }

    if (o.csv) {
        std::string& d = t.csv;
        for (const std::string& celda : t.fila.celdas) {
            anadirCeldaCsv(d, celda, dialecto);
            d += dialecto.campos;
        }
        const std::string estado = !t.error.empty()                           ? t.error
                                   : rCsv.fin == FinCalculo::ColectorInvalido ? rCsv.notaCol
                                                                              : rCsv.notaCalC;
        anadirCeldaCsv(d, estado, dialecto);
        for (size_t k = 0; k < 10; ++k) {
            d += dialecto.campos;
            anadirCeldaCsv(d, t.error.empty() ? rCsv.notas[k] : std::string(), dialecto);
            for (const ValorCalculado& v : kValoresCalculados[k]) {
                d += dialecto.campos;
                const std::string& texto = rCsv.campos.*v.campo;
                if (t.error.empty() && texto != "-")
                    anadirCeldaCsv(d, texto, dialecto);
            }
        }
        d += dialecto.campos;
        std::string avisosTexto;
        for (const int k : avisos)
            avisosTexto += (avisosTexto.empty() ? "" : " ") + std::to_string(k);
        anadirCeldaCsv(d, avisosTexto, dialecto);
        if (o.pendientes) {
            d += dialecto.campos;
            if (t.pendientes) {
                std::string p = textoPendientes(*t.pendientes, o.sep);
                cambiarDecimal(p, o.sep, dialecto.decimal);
                anadirCeldaCsv(d, p, dialecto);
            }
        }
        if (o.conSerie) {
            d += dialecto.campos;
            if (t.menor)
                anadirCeldaCsv(d, *t.menor, dialecto);
        }
        d += "\r\n";
    }
}

std::string cabeceraCsv(const CabeceraRed& c, const Opciones& o) {
    std::string d = "\xEF\xBB\xBF";
    for (const std::string& n : c.nombres) {
        anadirCeldaCsv(d, n, c.dialecto);
        d += c.dialecto.campos;
    }
    d += "estado";
    for (size_t k = 0; k < 10; ++k) {
        const std::string prefijo = "(" + std::to_string(k + 1) + ") ";
        d += c.dialecto.campos;
        anadirCeldaCsv(d, prefijo + "veredicto", c.dialecto);
        for (const ValorCalculado& v : kValoresCalculados[k]) {
            d += c.dialecto.campos;
            anadirCeldaCsv(d, prefijo + v.etiqueta, c.dialecto);
        }
    }
    d += c.dialecto.campos;
    d += "dos calados";
    if (o.pendientes) {
        d += c.dialecto.campos;
        d += "pendientes admisibles (m/m)";
    }
    if (o.conSerie) {
        d += c.dialecto.campos;
        d += "menor que cumple";
    }
    d += "\r\n";
    return d;
}

// Threads the system lets this process run on.
int nucleos() {
    cpu_set_t conjunto;
    if (sched_getaffinity(0, sizeof conjunto, &conjunto) == 0)
        return std::max(1, CPU_COUNT(&conjunto));
    return std::max(1u, std::thread::hardware_concurrency());
}

// Runs `trabajos` on `hilos` threads; each row goes to one thread and stays in its place.
void enParalelo(std::vector<Trabajo>& trabajos, int hilos, const Opciones& o,
                const DialectoRed& dialecto) {
    std::atomic<size_t> siguiente{0};
    const auto trabajar = [&] {
        for (size_t k = siguiente++; k < trabajos.size(); k = siguiente++)
            comprobarTrabajo(trabajos[k], o, dialecto);
    };
    std::vector<std::thread> otros;
    for (int h = 1; h < hilos && static_cast<size_t>(h) < trabajos.size(); ++h)
        otros.emplace_back(trabajar);
    trabajar();
    for (std::thread& h : otros)
        h.join();
}

} // namespace

bool esOrdenDeRed(std::span<const char* const> argumentos) {
    for (std::string_view a : argumentos.subspan(std::min<std::size_t>(1, argumentos.size()))) {
        if (a == "--red" || a.starts_with("--red="))
            return true;
    }
    return false;
}

int ejecutarRed(const QStringList& argumentos, QIODevice& salida, QIODevice& errores) {
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

    Opciones o;
    o.sep = separadorDeLocale(p.value(optLocale));
    o.json = p.isSet(optJson);
    o.pendientes = !p.isSet(optSinPendientes);
    o.csv = p.isSet(optSalida);
    o.conSerie = p.isSet(optSerie);
    o.red = p.value(optRed);

    // Everything that can refuse the run is read before the first row is checked.
    Criterio criterio;
    QString origenCriterio =
        QStringLiteral("valores iniciales de la ventana (no se ha dado --criterio ni --plantilla)");
    std::vector<Tubo> serie;
    std::optional<CriterioListo> base;
    std::unique_ptr<LectorRed> lector;
    try {
        if (p.isSet(optCriterio)) {
            criterio = leerCriterio(QFile::encodeName(p.value(optCriterio)), o.sep);
            origenCriterio = p.value(optCriterio);
        } else if (p.isSet(optPlantilla)) {
            criterio = leerCalculo(QFile::encodeName(p.value(optPlantilla)), o.sep).criterio;
            origenCriterio = QStringLiteral("el de la plantilla %1").arg(p.value(optPlantilla));
        }
        std::string error;
        base = prepararCriterio(criterio, o.sep, error);
        if (!base)
            return fallo(
                QStringLiteral("el criterio no sirve: %1").arg(QString::fromStdString(error)));
        if (o.conSerie)
            serie = leerSerie(QFile::encodeName(p.value(optSerie)));
        lector = std::make_unique<LectorRed>(QFile::encodeName(o.red));
    } catch (const ErrorArchivo& e) {
        return fallo(QString::fromUtf8(e.what()));
    }
    const CabeceraRed& cab = lector->cabecera();
    const auto celdaDe = [&](const FilaRed& f, ColumnaRed c) -> const std::string* {
        const int k = cab.columna(c);
        return k < 0 ? nullptr : &f.celdas[static_cast<size_t>(k)];
    };
    const auto nombreColumna = [&](ColumnaRed c) {
        return QString::fromStdString(cab.nombres[static_cast<size_t>(cab.columna(c))])
            .trimmed()
            .toStdString();
    };
    const auto qk = [](int k) {
        return static_cast<ColumnaRed>(static_cast<int>(ColumnaRed::Q1) + k);
    };
    if (cab.columna(ColumnaRed::Criterio) < 0) {
        for (int k = 0; k < 7; ++k) {
            if (base->activas[static_cast<size_t>(k)] && cab.columna(ColumnaRed::Q) < 0 &&
                cab.columna(qk(k)) < 0)
                return fallo(QStringLiteral("La tabla «%1» no es válida: falta la columna Q o Q%2, "
                                            "que necesita la condición (%2).")
                                 .arg(o.red)
                                 .arg(k + 1));
        }
    }

    // The files named in rows, relative to the table's folder, each read once.
    const QByteArray carpeta = [&] {
        QByteArray r = QFile::encodeName(o.red);
        const qsizetype barra = r.lastIndexOf('/');
        return barra < 0 ? QByteArray() : r.left(barra + 1);
    }();
    const auto rutaDe = [&](const std::string& celda) {
        QByteArray r(celda.data(), static_cast<qsizetype>(celda.size()));
        r = r.trimmed();
        return r.startsWith('/') ? r : carpeta + r;
    };
    std::map<std::string, Recurso<CriterioListo>> criterios;
    std::map<std::string, Recurso<std::vector<Tubo>>> series;
    const auto criterioDe = [&](const std::string& celda) -> Recurso<CriterioListo>& {
        auto [it, nuevo] = criterios.try_emplace(celda);
        if (nuevo) {
            try {
                it->second.valor =
                    prepararCriterio(leerCriterio(rutaDe(celda), o.sep), o.sep, it->second.error);
            } catch (const ErrorArchivo& e) {
                it->second.error = e.what();
            }
        }
        return it->second;
    };
    const auto serieDe = [&](const std::string& celda) -> Recurso<std::vector<Tubo>>& {
        auto [it, nuevo] = series.try_emplace(celda);
        if (nuevo) {
            try {
                it->second.valor = leerSerie(rutaDe(celda));
            } catch (const ErrorArchivo& e) {
                it->second.error = e.what();
            }
        }
        return it->second;
    };

    // Converts a row in the reading thread; leaves `t.error` set when it cannot be checked.
    const auto preparar = [&](Trabajo& t) {
        const FilaRed& f = t.fila;
        const std::string fila = "fila " + std::to_string(f.numero);
        t.tramo = *celdaDe(f, ColumnaRed::Tramo);
        if (!f.error.empty()) {
            t.error = fila + ": " + f.error;
            return;
        }
        const auto errorCelda = [&](ColumnaRed c, const std::string& que) {
            t.error = fila + ", columna " + nombreColumna(c) + ": " + que;
        };
        const auto vacia = [](const std::string* s) {
            return !s || QByteArray::fromStdString(*s).trimmed().isEmpty();
        };
        if (vacia(celdaDe(f, ColumnaRed::Tramo)))
            return errorCelda(ColumnaRed::Tramo, "la celda está vacía");
        t.criterio = &*base;
        if (const std::string* c = celdaDe(f, ColumnaRed::Criterio); !vacia(c)) {
            const Recurso<CriterioListo>& r = criterioDe(*c);
            if (!r.valor)
                return errorCelda(ColumnaRed::Criterio, r.error);
            t.criterio = &*r.valor;
        }
        t.serie = o.conSerie ? &serie : nullptr;
        if (const std::string* s = celdaDe(f, ColumnaRed::Serie); !vacia(s)) {
            const Recurso<std::vector<Tubo>>& r = serieDe(*s);
            if (!r.valor)
                return errorCelda(ColumnaRed::Serie, r.error);
            t.serie = &*r.valor;
        }
        t.d = t.criterio->limites;
        const auto numero = [&](ColumnaRed c, double& destino) {
            const std::string* s = celdaDe(f, c);
            if (vacia(s)) {
                errorCelda(c, "la celda está vacía");
                return false;
            }
            const std::optional<double> x = leerNumero(*s, cab.dialecto.decimal);
            if (!x) {
                errorCelda(c, "«" + *s + "» no es un número");
                return false;
            }
            destino = *x;
            return true;
        };
        if (!numero(ColumnaRed::D, t.d.D) || !numero(ColumnaRed::n, t.d.n) ||
            !numero(ColumnaRed::i, t.d.i))
            return;
        for (int k = 0; k < 7; ++k) {
            double& q = t.d.Q[static_cast<size_t>(k)];
            q = 0;
            const bool activa = t.criterio->activas[static_cast<size_t>(k)];
            if (!vacia(celdaDe(f, qk(k)))) {
                if (!numero(qk(k), q))
                    return;
            } else if (!vacia(celdaDe(f, ColumnaRed::Q))) {
                if (!numero(ColumnaRed::Q, q))
                    return;
            } else if (activa) {
                const ColumnaRed c = cab.columna(qk(k)) >= 0 ? qk(k) : ColumnaRed::Q;
                return errorCelda(c, cab.columna(ColumnaRed::Q) >= 0 && c != ColumnaRed::Q
                                         ? "la celda está vacía, y también la de Q"
                                         : "la celda está vacía");
            }
        }
    };

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
        if (o.conSerie)
            texto += "Serie: " + p.value(optSerie).toStdString() + "\n";
        texto += "\n";
    }

    std::optional<EscrituraAtomica> escritura;
    std::string csv;
    // Per condition: passes, does not pass, error, not evaluated.
    std::array<std::array<qint64, 4>, 10> cuentas{};
    std::array<qint64, 3> porCodigo{};
    qint64 conAvisos = 0;
    int codigo = 0;
    try {
        if (o.csv) {
            escritura.emplace(QFile::encodeName(p.value(optSalida)), p.value(optSalida));
            csv = cabeceraCsv(cab, o);
        }
        const int hilos = nucleos();
        const size_t lote = static_cast<size_t>(hilos) * 64;
        std::vector<Trabajo> trabajos(lote);
        for (bool mas = true; mas;) {
            size_t n = 0;
            while (n < lote && (mas = lector->siguiente(trabajos[n].fila))) {
                Trabajo& t = trabajos[n++];
                t.error.clear();
                t.json.clear();
                t.csv.clear();
                t.pendientes.reset();
                t.menor.reset();
                t.r = ResultadoCalculo();
                preparar(t);
            }
            trabajos.resize(n);
            enParalelo(trabajos, hilos, o, cab.dialecto);
            for (const Trabajo& t : trabajos) {
                codigo = std::max(codigo, t.codigo);
                ++porCodigo[static_cast<size_t>(t.codigo)];
                if (o.csv)
                    csv += t.csv;
                if (o.json) {
                    texto += t.json;
                } else {
                    const std::string quien =
                        "fila " + std::to_string(t.fila.numero) + ", tramo «" + t.tramo + "»";
                    std::string noCumple;
                    for (size_t k = 0; k < 10 && t.error.empty(); ++k) {
                        const std::string& nota = t.r.notas[k];
                        const size_t clase = nota == "-"                              ? 3
                                             : nota.find("[SI]") != std::string::npos ? 0
                                             : nota.find("[NO]") != std::string::npos ? 1
                                                                                      : 2;
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
                        texto += quien + ": aviso: dos calados normales en";
                        for (const int k : t.avisos)
                            texto += " (" + std::to_string(k) + ")";
                        texto += "; se toma el menor\n";
                    }
                }
                vaciar(false);
            }
            if (o.csv && csv.size() >= 64 * 1024) {
                escritura->escribir(csv);
                csv.clear();
            }
            trabajos.resize(lote);
        }
        if (o.csv) {
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
                linea, sizeof linea, "(%zu)%*s%9lld%12lld%9lld%13lld\n", k + 1, k + 1 < 10 ? 9 : 8,
                "", static_cast<long long>(cuentas[k][0]), static_cast<long long>(cuentas[k][1]),
                static_cast<long long>(cuentas[k][2]), static_cast<long long>(cuentas[k][3]));
            texto += linea;
        }
        if (conAvisos > 0)
            texto += "\nTramos con aviso de dos calados: " + std::to_string(conAvisos) + "\n";
        texto += "\nTramos: " + std::to_string(cab.filas) + "; cumplen " +
                 std::to_string(porCodigo[0]) + ", no cumplen " + std::to_string(porCodigo[1]) +
                 ", no se han podido comprobar " + std::to_string(porCodigo[2]) + "\n";
        if (o.csv)
            texto += "Resultados: " + p.value(optSalida).toStdString() + "\n";
    }
    vaciar(true);
    return codigo;
}

} // namespace colvero::cli
