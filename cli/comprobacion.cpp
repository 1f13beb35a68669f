#include "cli/comprobacion.h"

#include "cli/red.h"

#include "files/archivos.h"
#include "files/lectura.h"
#include "files/separador.h"
#include "report/informe.h"

#include <QCommandLineParser>
#include <QIODevice>
#include <QLocale>
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace colvero::cli {
namespace {

// The computed fields of each condition after a run, with the caption the window puts
// beside them.
struct Valor {
    const char* etiqueta;
    const std::string CamposCalculados::*campo;
};

const std::array<std::vector<Valor>, 10> kValores{{
    {{"Qll (m3/s)", &CamposCalculados::Text37}},
    {{"v2 (m/s)", &CamposCalculados::Text38}},
    {{"v3 (m/s)", &CamposCalculados::Text47}},
    {{"y/D4 (%)", &CamposCalculados::Text52}},
    {{"Rh (m)", &CamposCalculados::Text55}, {"dp (mm)", &CamposCalculados::Text19}},
    {{"F6", &CamposCalculados::Text59}},
    {{"F7", &CamposCalculados::Text60}},
    {{"i (m/m)", &CamposCalculados::Text62}},
    {{"i (m/m)", &CamposCalculados::Text61}},
    {{"v10 (m/s)", &CamposCalculados::Text73}},
}};

QString u8(const std::string& s) {
    return QString::fromStdString(s);
}

void escribir(QIODevice& d, const QString& texto) {
    d.write(texto.toUtf8());
}

// True when Qt would give the same bytes back after reading `s` into a QString. Malformed
// sequences become U+FFFD there; noncharacters (U+FDD0..U+FDEF, U+xFFFE/F) and four-byte
// sequences are left to Qt as well, which keeps this check on the safe side.
bool pasaSinCambios(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const fin = p + s.size();
    auto continuacion = [&](const unsigned char* q, unsigned char min, unsigned char max) {
        return q < fin && *q >= min && *q <= max;
    };
    while (p < fin) {
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
        } else if (b >= 0xC2 && b <= 0xDF && continuacion(p + 1, 0x80, 0xBF)) {
            p += 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            const unsigned char min = b == 0xE0 ? 0xA0 : 0x80;
            const unsigned char max = b == 0xED ? 0x9F : 0xBF;
            if (!continuacion(p + 1, min, max) || !continuacion(p + 2, 0x80, 0xBF) ||
                (b == 0xEF && (p[1] == 0xB7 || p[1] == 0xBF))) {
                return false;
            }
            p += 3;
        } else {
            return false;
        }
    }
    return true;
}

// A text as Qt would write it after reading it as UTF-8.
std::string_view comoQt(std::string_view s, std::string& apoyo) {
    if (esAscii(s) || pasaSinCambios(s)) {
        return s;
    }
    apoyo = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).toStdString();
    return apoyo;
}

// A JSON string with the escapes Qt's writer uses: the two-letter forms for \b \f \n \r \t,
// \u00xx (lower-case hex) for the other control characters, and UTF-8 for the rest.
void anadirCadenaJson(std::string& d, std::string_view texto) {
    static constexpr char kHex[] = "0123456789abcdef";
    // Most texts are printable ASCII with nothing to escape: copied whole.
    if (std::all_of(texto.begin(), texto.end(), [](char c) {
            const auto b = static_cast<unsigned char>(c);
            return b >= 0x20 && b < 0x80 && b != '"' && b != '\\';
        })) {
        d += '"';
        d.append(texto);
        d += '"';
        return;
    }
    std::string apoyo;
    const std::string_view s = comoQt(texto, apoyo);
    d += '"';
    size_t tramo = 0; // start of the bytes not copied yet
    for (size_t k = 0; k < s.size(); ++k) {
        const auto c = static_cast<unsigned char>(s[k]);
        if (c >= 0x20 && c != '"' && c != '\\') {
            continue;
        }
        d.append(s.substr(tramo, k - tramo));
        tramo = k + 1;
        d += '\\';
        switch (c) {
        case '"':
        case '\\':
            d += static_cast<char>(c);
            break;
        case '\b':
            d += 'b';
            break;
        case '\f':
            d += 'f';
            break;
        case '\n':
            d += 'n';
            break;
        case '\r':
            d += 'r';
            break;
        case '\t':
            d += 't';
            break;
        default:
            d += "u00";
            d += kHex[c >> 4];
            d += kHex[c & 0xF];
        }
    }
    d.append(s.substr(tramo));
    d += '"';
}

void anadirTexto(std::string& d, std::string_view texto) {
    std::string apoyo;
    d.append(comoQt(texto, apoyo));
}

// Width of a UTF-8 text in UTF-16 code units, as QString::leftJustified counts it.
size_t anchoUtf16(std::string_view s) {
    size_t ancho = 0;
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        ancho += (b & 0xC0) != 0x80;
        ancho += b >= 0xF0;
    }
    return ancho;
}

// Collects the output and hands it to the device in large pieces.
class Salida {
public:
    explicit Salida(QIODevice& dispositivo) : dispositivo_(dispositivo) {
        texto_.reserve(2 * kTrozo);
    }
    ~Salida() { vaciar(); }
    Salida(const Salida&) = delete;
    Salida& operator=(const Salida&) = delete;

    std::string& texto() { return texto_; }

    // Called after each file: writes once a piece is full.
    void quizaVaciar() {
        if (texto_.size() >= kTrozo) {
            vaciar();
        }
    }

    void vaciar() {
        if (!texto_.empty()) {
            dispositivo_.write(texto_.data(), static_cast<qint64>(texto_.size()));
            texto_.clear();
        }
    }

private:
    static constexpr size_t kTrozo = size_t{64} * 1024;
    QIODevice& dispositivo_;
    std::string texto_;
};

const char* const kAyuda =
    R"(Uso: colvero-check [--criterio CRITERIO.CrVek] [--locale NOMBRE] [--json | --informe] CALCULO.caVek...

Comprueba cada cálculo contra las diez condiciones de diseño, sin ventana. Cada archivo se lee
y se calcula por separado, partiendo de valores guardados a 0, como en una ventana recién abierta.

Opciones:
  --criterio ARCHIVO  Aplica el criterio de ARCHIVO (.CrVek) a cada cálculo en lugar del
                      criterio guardado en el propio cálculo.
  --locale NOMBRE     Configuración regional de los números (C, en_US, es_ES...): decide el
                      separador decimal, "." o ",". Por omisión, la del sistema
                      (LC_ALL, LC_NUMERIC o LANG).
  --json              Escribe un objeto JSON por archivo y línea (UTF-8): archivo, estado,
                      colector y, para cada condición, número, veredicto y valores calculados,
                      más campo_erroneo si un campo que no es un número impide el cálculo;
                      o archivo y error si no se puede leer.
  --informe           Escribe el informe del cálculo tal como lo genera el botón
                      "Generar informe" de la ventana: filas precedidas de CR, celdas de
                      tabuladores, sin salto de línea final. Admite un solo archivo; si el
                      cálculo no se realiza no escribe nada.
  -h, --help          Muestra esta ayuda.

Sin --json ni --informe escribe un resumen legible de cada archivo.

Para comprobar todos los tramos de una red desde una tabla: colvero-check --red RED.csv
(véase colvero-check --red --help).

Códigos de salida:
  0  todos los cálculos se han realizado y ninguna condición da [NO] ni [ERROR]
  1  todos los cálculos se han realizado y alguna condición da [NO], ninguna [ERROR]
  2  error de uso, archivo ilegible, cálculo no realizado (datos del colector no válidos o
     datos de entrada erróneos) o alguna condición con [ERROR]
)";

bool realizado(const Comprobacion& c) {
    return !c.error && c.resultado.fin == FinCalculo::Realizado;
}

// The name of the field whose text is not a number, when that stopped the run.
const char* campoErroneo(const Comprobacion& c) {
    if (c.error || c.resultado.fin != FinCalculo::Error || !c.resultado.campoErroneo) {
        return nullptr;
    }
    return nombreCampo(*c.resultado.campoErroneo);
}

// Why a run did not complete, for messages.
QString motivo(const Comprobacion& c) {
    if (c.error) {
        return QString::fromStdString(*c.error);
    }
    if (c.resultado.fin == FinCalculo::ColectorInvalido) {
        return u8(c.resultado.notaCol);
    }
    if (const char* campo = campoErroneo(c)) {
        return QStringLiteral("%1 («%2» no es un número)")
            .arg(u8(c.resultado.notaCalC), QString::fromUtf8(campo));
    }
    return u8(c.resultado.notaCalC);
}

// Maps a failed parse to a Spanish message; the parser's own texts are English.
QString errorDeUso(const QCommandLineParser& p, const QStringList& argumentos) {
    if (!p.unknownOptionNames().isEmpty()) {
        const QString nombre = p.unknownOptionNames().first();
        return QStringLiteral("opción desconocida: %1%2")
            .arg(nombre.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), nombre);
    }
    for (const QString& a : argumentos.mid(1)) {
        if (a.contains(u'=')) {
            const QString opcion = a.section(u'=', 0, 0);
            if (opcion == QLatin1String("--json") || opcion == QLatin1String("--informe") ||
                opcion == QLatin1String("--help")) {
                return QStringLiteral("la opción %1 no admite valor").arg(opcion);
            }
        }
    }
    const QString ultimo = argumentos.last();
    if (ultimo == QLatin1String("--criterio") || ultimo == QLatin1String("--locale")) {
        return QStringLiteral("falta el valor de la opción %1").arg(ultimo);
    }
    return QStringLiteral("argumentos no válidos");
}

// argv split as QCommandLineParser reads it with long options after one or two dashes: an
// option with a value name takes a value after "=" or in the next argument, an unknown option
// takes none, "--" makes the rest operands. Options and values go to the parser as text; the file
// operands keep argv's bytes, because decoding them would replace the bytes that are not UTF-8 and
// name another file.
struct Argumentos {
    QStringList opciones; // program name, options and their values
    std::vector<const char*> archivos;
    std::optional<QByteArray> criterio; // the bytes of the last value of --criterio
};

Argumentos separar(std::span<const char* const> argv, const QList<QCommandLineOption>& opciones,
                   const QCommandLineOption& optCriterio) {
    Argumentos a;
    if (argv.empty()) {
        return a;
    }
    a.opciones.append(QString::fromUtf8(argv[0]));
    bool soloArchivos = false;
    for (size_t k = 1; k < argv.size(); ++k) {
        const std::string_view arg(argv[k]);
        if (soloArchivos || !arg.starts_with('-') || arg == "-") {
            a.archivos.push_back(argv[k]);
            continue;
        }
        a.opciones.append(QString::fromUtf8(arg.data(), static_cast<qsizetype>(arg.size())));
        if (arg == "--") {
            soloArchivos = true;
            continue;
        }
        const std::string_view nombreYValor = arg.substr(arg.starts_with("--") ? 2 : 1);
        const size_t igual = nombreYValor.find('=');
        const QString nombre = QString::fromUtf8(
            nombreYValor.data(), static_cast<qsizetype>(std::min(igual, nombreYValor.size())));
        const auto opcion =
            std::find_if(opciones.begin(), opciones.end(),
                         [&](const QCommandLineOption& o) { return o.names().contains(nombre); });
        if (opcion == opciones.end() || opcion->valueName().isEmpty()) {
            continue;
        }
        std::string_view valor;
        if (igual != std::string_view::npos) {
            valor = nombreYValor.substr(igual + 1);
        } else if (k + 1 < argv.size()) {
            valor = argv[++k];
            a.opciones.append(
                QString::fromUtf8(valor.data(), static_cast<qsizetype>(valor.size())));
        } else {
            continue; // the parser reports the missing value
        }
        if (opcion->names() == optCriterio.names()) {
            a.criterio = QByteArray(valor.data(), static_cast<qsizetype>(valor.size()));
        }
    }
    return a;
}

// The case read into the outcome where it stays: a case holds dozens of texts, not worth
// building twice per file.
Comprobacion leida(const QByteArray& rutaNativa, char separadorDecimal) {
    try {
        return Comprobacion{.archivo = nombreVisible(rutaNativa),
                            .error = std::nullopt,
                            .calculo = leerCalculo(rutaNativa, separadorDecimal),
                            .resultado = {},
                            .guardados = {}};
    } catch (const ErrorArchivo& e) {
        Comprobacion c;
        c.archivo = nombreVisible(rutaNativa);
        c.error = e.what();
        return c;
    }
}

} // namespace

Comprobacion comprobar(const QByteArray& rutaNativa, const std::optional<Criterio>& criterio,
                       char separadorDecimal) {
    Comprobacion c = leida(rutaNativa, separadorDecimal);
    if (c.error) {
        return c;
    }
    if (criterio) {
        c.calculo.criterio = *criterio;
    }
    c.resultado = calcular(c.calculo, c.guardados, separadorDecimal);
    return c;
}

char separadorDeLocale(const QString& nombre) {
    return separadorDecimalDe(nombre.isEmpty() ? QLocale::system() : QLocale(nombre));
}

int codigoDeSalida(const Comprobacion& c) {
    if (!realizado(c)) {
        return 2;
    }
    bool algunNo = false;
    for (const std::string& nota : c.resultado.notas) {
        if (nota.find("[ERROR]") != std::string::npos) {
            return 2;
        }
        algunNo = algunNo || nota.find("[NO]") != std::string::npos;
    }
    return algunNo ? 1 : 0;
}

// Keys in the order the earlier QJsonObject-based writer produced them (sorted by name);
// "campo_erroneo", present only when a text that is not a number stopped the run, comes last.
void anadirJson(const Comprobacion& c, std::string& d) {
    const QByteArray archivo = c.archivo.toUtf8();
    d += "{\"archivo\":";
    anadirCadenaJson(d, std::string_view(archivo.constData(), static_cast<size_t>(archivo.size())));
    if (c.error) {
        d += ",\"error\":";
        anadirCadenaJson(d, *c.error);
        d += '}';
        return;
    }
    const ResultadoCalculo& r = c.resultado;
    d += ",\"colector\":";
    anadirCadenaJson(d, r.notaCol);
    d += ",\"condiciones\":[";
    for (int k = 0; k < 10; ++k) {
        d += k == 0 ? "{\"numero\":" : ",{\"numero\":";
        d += std::to_string(k + 1);
        d += ",\"valores\":[";
        bool primero = true;
        for (const Valor& v : kValores[static_cast<size_t>(k)]) {
            if (!primero) {
                d += ',';
            }
            primero = false;
            anadirCadenaJson(d, r.campos.*v.campo);
        }
        d += "],\"veredicto\":";
        anadirCadenaJson(d, r.notas[static_cast<size_t>(k)]);
        d += '}';
    }
    d += "],\"estado\":";
    anadirCadenaJson(d, r.notaCalC);
    if (const char* campo = campoErroneo(c)) {
        d += ",\"campo_erroneo\":";
        anadirCadenaJson(d, campo);
    }
    d += '}';
}

void anadirResumen(const Comprobacion& c, std::string& d) {
    const QByteArray archivo = c.archivo.toUtf8();
    d += "Archivo: ";
    d.append(archivo.constData(), static_cast<size_t>(archivo.size()));
    d += '\n';
    if (c.error) {
        d += "Error: ";
        anadirTexto(d, *c.error);
        d += '\n';
        return;
    }
    const ResultadoCalculo& r = c.resultado;
    d += "Estado: ";
    anadirTexto(d, r.notaCalC);
    if (!realizado(c)) {
        d += " (cálculo no realizado)";
    }
    if (const char* campo = campoErroneo(c)) {
        d += "\nCampo erróneo: «";
        d += campo;
        d += "» no es un número";
    }
    d += "\nColector: ";
    anadirTexto(d, r.notaCol);
    d += '\n';
    for (size_t k = 0; k < 10; ++k) {
        d += "  ";
        const size_t inicio = d.size();
        if (r.notas[k] == "-") {
            d += '(';
            d += std::to_string(k + 1);
            d += ")  -  (sin evaluar)";
        } else {
            anadirTexto(d, r.notas[k]);
        }
        bool primero = true;
        for (const Valor& v : kValores[k]) {
            const std::string& texto = r.campos.*v.campo;
            if (texto.empty() || texto == "-") {
                continue;
            }
            if (primero) {
                // The verdict takes 34 columns before the values.
                const size_t ancho = anchoUtf16(std::string_view(d).substr(inicio));
                if (ancho < 34) {
                    d.append(34 - ancho, ' ');
                }
            } else {
                d += "; ";
            }
            primero = false;
            d += v.etiqueta;
            d += " = ";
            anadirTexto(d, texto);
        }
        d += '\n';
    }
}

int ejecutar(std::span<const char* const> argumentos, QIODevice& salida, QIODevice& errores) {
    auto fallo = [&](const QString& mensaje) {
        escribir(errores, QStringLiteral("colvero-check: %1\n").arg(mensaje));
        return 2;
    };
    auto errorDeUsoCon = [&](const QString& mensaje) {
        escribir(errores, QStringLiteral("colvero-check: %1\nUse «colvero-check --help» para "
                                         "ver las opciones.\n")
                              .arg(mensaje));
        return 2;
    };

    // The network check has its own options; a table is one file, named by its text.
    if (esOrdenDeRed(argumentos)) {
        QStringList textos;
        for (const char* argumento : argumentos) {
            textos << QString::fromUtf8(argumento);
        }
        return ejecutarRed(textos, salida, errores);
    }

    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption optCriterio(QStringLiteral("criterio"), QString(),
                                         QStringLiteral("ARCHIVO"));
    const QCommandLineOption optLocale(QStringLiteral("locale"), QString(),
                                       QStringLiteral("NOMBRE"));
    const QCommandLineOption optJson(QStringLiteral("json"));
    const QCommandLineOption optInforme(QStringLiteral("informe"));
    const QCommandLineOption optAyuda(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QList<QCommandLineOption> opciones{optCriterio, optLocale, optJson, optInforme, optAyuda};
    p.addOptions(opciones);
    p.addPositionalArgument(QStringLiteral("calculos"), QString());

    const Argumentos separados = separar(argumentos, opciones, optCriterio);
    if (!p.parse(separados.opciones)) {
        QStringList todos;
        for (const char* a : argumentos) {
            todos.append(QString::fromUtf8(a));
        }
        return errorDeUsoCon(errorDeUso(p, todos));
    }
    if (p.isSet(optAyuda)) {
        salida.write(kAyuda);
        return 0;
    }
    const std::vector<const char*>& archivos = separados.archivos;
    const bool json = p.isSet(optJson);
    const bool informe = p.isSet(optInforme);
    if (json && informe) {
        return errorDeUsoCon(QStringLiteral("--json y --informe no se pueden usar juntas"));
    }
    if (archivos.empty()) {
        return errorDeUsoCon(QStringLiteral("falta el archivo de cálculo (.caVek)"));
    }
    if (informe && archivos.size() != 1) {
        return errorDeUsoCon(QStringLiteral("--informe admite un solo archivo de cálculo"));
    }

    const char separador = separadorDeLocale(p.value(optLocale));
    std::optional<Criterio> criterio;
    if (separados.criterio) {
        try {
            criterio = leerCriterio(*separados.criterio, separador);
        } catch (const ErrorArchivo& e) {
            return fallo(QString::fromUtf8(e.what()));
        }
    }

    if (informe) {
        const Comprobacion c = comprobar(QByteArray(archivos.front()), criterio, separador);
        if (!realizado(c)) {
            if (c.error) {
                return fallo(QString::fromStdString(*c.error));
            }
            return fallo(QStringLiteral("el cálculo de %1 no se ha realizado: %2")
                             .arg(c.archivo, motivo(c)));
        }
        const std::string texto =
            generarInforme(DatosInforme{c.calculo, c.resultado.notas, c.guardados}, separador);
        salida.write(texto.data(), static_cast<qint64>(texto.size()));
        return codigoDeSalida(c);
    }

    // Each file is written as soon as it is checked and then forgotten: memory stays flat
    // however many files there are.
    Salida escrita(salida);
    int codigo = 0;
    bool primero = true;
    for (const char* archivo : archivos) {
        // argv outlives the loop: its bytes are used in place.
        const Comprobacion c =
            comprobar(QByteArray::fromRawData(archivo, qstrlen(archivo)), criterio, separador);
        std::string& d = escrita.texto();
        if (json) {
            anadirJson(c, d);
            d += '\n';
        } else {
            if (!primero) {
                d += '\n';
            }
            anadirResumen(c, d);
        }
        primero = false;
        codigo = std::max(codigo, codigoDeSalida(c));
        escrita.quizaVaciar();
    }
    return codigo;
}

} // namespace colvero::cli
