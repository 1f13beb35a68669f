#include "cli/comprobacion.h"

#include "files/archivos.h"
#include "files/separador.h"
#include "report/informe.h"

#include <QCommandLineParser>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <array>

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
                      colector y, para cada condición, número, veredicto y valores calculados;
                      o archivo y error si no se puede leer.
  --informe           Escribe el informe del cálculo tal como lo genera el botón
                      "Generar informe" de la ventana: filas precedidas de CR, celdas de
                      tabuladores, sin salto de línea final. Admite un solo archivo; si el
                      cálculo no se realiza no escribe nada.
  -h, --help          Muestra esta ayuda.

Sin --json ni --informe escribe un resumen legible de cada archivo.

Códigos de salida:
  0  todos los cálculos se han realizado y ninguna condición da [NO] ni [ERROR]
  1  todos los cálculos se han realizado y alguna condición da [NO], ninguna [ERROR]
  2  error de uso, archivo ilegible, cálculo no realizado (datos del colector no válidos o
     datos de entrada erróneos) o alguna condición con [ERROR]
)";

bool realizado(const Comprobacion& c) {
    return !c.error && c.resultado.fin == FinCalculo::Realizado;
}

// Why a run did not complete, for messages.
QString motivo(const Comprobacion& c) {
    if (c.error) {
        return *c.error;
    }
    if (c.resultado.fin == FinCalculo::ColectorInvalido) {
        return u8(c.resultado.notaCol);
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

} // namespace

Comprobacion comprobar(const QString& archivo, const std::optional<Criterio>& criterio,
                       char separadorDecimal) {
    Comprobacion c;
    c.archivo = archivo;
    try {
        c.calculo = leerCalculo(archivo, separadorDecimal);
    } catch (const ErrorArchivo& e) {
        c.error = QString::fromUtf8(e.what());
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

int codigoDeSalida(const std::vector<Comprobacion>& comprobaciones) {
    bool algunNo = false;
    for (const Comprobacion& c : comprobaciones) {
        if (!realizado(c)) {
            return 2;
        }
        for (const std::string& nota : c.resultado.notas) {
            if (nota.find("[ERROR]") != std::string::npos) {
                return 2;
            }
            algunNo = algunNo || nota.find("[NO]") != std::string::npos;
        }
    }
    return algunNo ? 1 : 0;
}

QByteArray comoJson(const Comprobacion& c) {
    QJsonObject o;
    o.insert(QStringLiteral("archivo"), c.archivo);
    if (c.error) {
        o.insert(QStringLiteral("error"), *c.error);
    } else {
        o.insert(QStringLiteral("estado"), u8(c.resultado.notaCalC));
        o.insert(QStringLiteral("colector"), u8(c.resultado.notaCol));
        QJsonArray condiciones;
        for (int k = 0; k < 10; ++k) {
            QJsonArray valores;
            for (const Valor& v : kValores[k]) {
                valores.append(u8(c.resultado.campos.*v.campo));
            }
            QJsonObject cond;
            cond.insert(QStringLiteral("numero"), k + 1);
            cond.insert(QStringLiteral("veredicto"), u8(c.resultado.notas[k]));
            cond.insert(QStringLiteral("valores"), valores);
            condiciones.append(cond);
        }
        o.insert(QStringLiteral("condiciones"), condiciones);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray comoResumen(const Comprobacion& c) {
    QString s = QStringLiteral("Archivo: %1\n").arg(c.archivo);
    if (c.error) {
        s += QStringLiteral("Error: %1\n").arg(*c.error);
        return s.toUtf8();
    }
    const ResultadoCalculo& r = c.resultado;
    s += QStringLiteral("Estado: %1%2\n")
             .arg(u8(r.notaCalC),
                  realizado(c) ? QString() : QStringLiteral(" (cálculo no realizado)"));
    s += QStringLiteral("Colector: %1\n").arg(u8(r.notaCol));
    for (int k = 0; k < 10; ++k) {
        QString linea = r.notas[k] == "-" ? QStringLiteral("(%1)  -  (sin evaluar)").arg(k + 1)
                                          : u8(r.notas[k]);
        QStringList valores;
        for (const Valor& v : kValores[k]) {
            const std::string& texto = r.campos.*v.campo;
            if (!texto.empty() && texto != "-") {
                valores << QStringLiteral("%1 = %2").arg(QLatin1String(v.etiqueta), u8(texto));
            }
        }
        if (!valores.isEmpty()) {
            linea = linea.leftJustified(34) + valores.join(QStringLiteral("; "));
        }
        s += QStringLiteral("  ") + linea + u'\n';
    }
    return s.toUtf8();
}

int ejecutar(const QStringList& argumentos, QIODevice& salida, QIODevice& errores) {
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

    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption optCriterio(QStringLiteral("criterio"), QString(),
                                         QStringLiteral("ARCHIVO"));
    const QCommandLineOption optLocale(QStringLiteral("locale"), QString(),
                                       QStringLiteral("NOMBRE"));
    const QCommandLineOption optJson(QStringLiteral("json"));
    const QCommandLineOption optInforme(QStringLiteral("informe"));
    const QCommandLineOption optAyuda(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    p.addOptions({optCriterio, optLocale, optJson, optInforme, optAyuda});
    p.addPositionalArgument(QStringLiteral("calculos"), QString());

    if (!p.parse(argumentos)) {
        return errorDeUsoCon(errorDeUso(p, argumentos));
    }
    if (p.isSet(optAyuda)) {
        salida.write(kAyuda);
        return 0;
    }
    const QStringList archivos = p.positionalArguments();
    const bool json = p.isSet(optJson);
    const bool informe = p.isSet(optInforme);
    if (json && informe) {
        return errorDeUsoCon(QStringLiteral("--json y --informe no se pueden usar juntas"));
    }
    if (archivos.isEmpty()) {
        return errorDeUsoCon(QStringLiteral("falta el archivo de cálculo (.caVek)"));
    }
    if (informe && archivos.size() != 1) {
        return errorDeUsoCon(QStringLiteral("--informe admite un solo archivo de cálculo"));
    }

    const char separador = separadorDeLocale(p.value(optLocale));
    std::optional<Criterio> criterio;
    if (p.isSet(optCriterio)) {
        try {
            criterio = leerCriterio(p.value(optCriterio), separador);
        } catch (const ErrorArchivo& e) {
            return fallo(QString::fromUtf8(e.what()));
        }
    }

    if (informe) {
        const Comprobacion c = comprobar(archivos.first(), criterio, separador);
        if (!realizado(c)) {
            if (c.error) {
                return fallo(*c.error);
            }
            return fallo(QStringLiteral("el cálculo de %1 no se ha realizado: %2")
                             .arg(c.archivo, motivo(c)));
        }
        const std::string texto =
            generarInforme(DatosInforme{c.calculo, c.resultado.notas, c.guardados}, separador);
        salida.write(texto.data(), static_cast<qint64>(texto.size()));
        return codigoDeSalida({c});
    }

    std::vector<Comprobacion> comprobaciones;
    for (const QString& archivo : archivos) {
        comprobaciones.push_back(comprobar(archivo, criterio, separador));
        const Comprobacion& c = comprobaciones.back();
        if (json) {
            salida.write(comoJson(c) + '\n');
        } else {
            if (comprobaciones.size() > 1) {
                salida.write("\n");
            }
            salida.write(comoResumen(c));
        }
    }
    return codigoDeSalida(comprobaciones);
}

} // namespace colvero::cli
