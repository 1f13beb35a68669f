#include "cli/opciones.h"

#include "cli/argumentos.h"
#include "cli/comprobacion.h"
#include "cli/escritura.h"
#ifdef COLVERO_CON_GRAFICOS
#include "cli/graficos.h"
#endif
#include "cli/pendientes.h"
#include "cli/red.h"
#include "files/archivos.h"
#include "files/lectura.h"
#include "files/serie.h"
#include "report/informe.h"
#include "report/producto.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace colvero::cli {
namespace {

void escribir(QIODevice& d, const QString& texto) {
    d.write(texto.toUtf8());
}

const char* const kAyuda =
    R"(Uso: colvero-check [--criterio CRITERIO.CrVek] [--locale NOMBRE] [--json | --informe] CALCULO.caVek...
     colvero-check --pendientes [--criterio CRITERIO.CrVek] [--locale NOMBRE] [--json] CALCULO.caVek...
     colvero-check --diametros SERIE [--criterio CRITERIO.CrVek] [--locale NOMBRE] [--json] CALCULO.caVek...
     colvero-check --grafico SALIDA.png|SALIDA.svg [--criterio CRITERIO.CrVek] [--locale NOMBRE] CALCULO.caVek
     colvero-check --nota SALIDA.pdf [--criterio CRITERIO.CrVek] [--locale NOMBRE] CALCULO.caVek

Comprueba cada cálculo contra las diez condiciones de diseño, sin ventana. Cada archivo se lee
y se calcula por separado, partiendo de valores guardados a 0, como en una ventana recién abierta.
Con --pendientes o --diametros, en lugar de comprobarlo, busca con qué pendientes o con qué tubo
se cumplen todas las condiciones activadas.

Opciones:
  --criterio ARCHIVO  Aplica el criterio de ARCHIVO (.CrVek) a cada cálculo en lugar del
                      criterio guardado en el propio cálculo.
  --plantilla ARCHIVO En lugar de --criterio, aplica el criterio guardado en el cálculo
                      ARCHIVO (.caVek).
  --locale NOMBRE     Configuración regional de los números (C, en_US, es_ES...): decide el
                      separador decimal, "." o ",". Por omisión, la del sistema
                      (LC_ALL, LC_NUMERIC o LANG). Un nombre que no existe es un error.
  --json              Escribe un objeto JSON por archivo y línea (UTF-8): archivo, estado,
                      colector y, para cada condición, número, veredicto y valores calculados,
                      más campo_erroneo si un campo que no es un número impide el cálculo, y
                      avisos: las condiciones cuyo caudal está entre Qll y Qmax, donde hay dos
                      calados normales, un archivo que no termina en EOF (puede estar
                      cortado) y un diámetro de más de 5 m (¿en milímetros?); o archivo y
                      error si no se puede leer.
                      Con --pendientes o --diametros, la respuesta de cada archivo.
  --informe           Escribe el informe del cálculo tal como lo genera el botón
                      "Generar informe" de la ventana: filas precedidas de CR, celdas de
                      tabuladores, sin salto de línea final. Admite un solo archivo; si el
                      cálculo no se realiza no escribe nada.
  --pendientes        Busca las pendientes admisibles de cada cálculo: las pendientes entre
                      1e-7 y 1 m/m con las que se cumplen todas las condiciones activadas, con
                      la condición que decide cada extremo; si no hay ninguna, dice por qué.
                      La pendiente del propio cálculo no se usa.
  --diametros SERIE   Prueba cada tubo de la serie de diámetros SERIE (una línea
                      "nombre;diámetro interior en m" por tubo; # empieza un comentario), o de
                      una de las series incluidas, hormigon o pvc-sn4, con la
                      pendiente de cada cálculo: las condiciones que no cumple y sus pendientes
                      admisibles; después, el menor tubo que cumple y el menor que tiene alguna
                      pendiente admisible.
  --grafico SALIDA    Guarda el gráfico de elementos hidráulicos del cálculo (curvas Q/Qll y
                      v/vll, puntos de diseño y criterios) como PNG o SVG, según la extensión.
                      Un solo archivo; si el cálculo no se realiza no se guarda nada.
  --nota SALIDA       Guarda la nota de cálculo en PDF (una o dos páginas A4): datos, criterio,
                      las diez condiciones, avisos, pendientes admisibles y el gráfico.
                      Un solo archivo; si el cálculo no se realiza no se guarda nada.
  -h, --help          Muestra esta ayuda.
  -v, --version       Muestra la versión.

Sin --json ni --informe escribe un resumen legible de cada archivo.

Los avisos van a la salida de errores, sin cambiar ningún resultado: un archivo que no termina
en EOF (puede estar cortado), un diámetro o un tubo de la serie de más de 5 m (probablemente en
milímetros) y un archivo .csv, que se comprueba con --red.

Para comprobar todos los tramos de una red desde una tabla: colvero-check --red RED.csv
(véase colvero-check --red --help).

Códigos de salida:
  0  todos los cálculos se han realizado y ninguna condición da [NO] ni [ERROR]
  1  todos los cálculos se han realizado y alguna condición da [NO], ninguna [ERROR]
  2  error de uso, archivo ilegible, cálculo no realizado (datos del colector no válidos o
     datos de entrada erróneos) o alguna condición con [ERROR]
Con --pendientes (--diametros): 0 si cada cálculo tiene alguna pendiente admisible (algún tubo
que cumple con su pendiente), 1 si alguno no la tiene (no lo tiene), 2 como arriba.
)";

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
                opcion == QLatin1String("--help") || opcion == QLatin1String("--pendientes") ||
                opcion == QLatin1String("--version")) {
                return QStringLiteral("la opción %1 no admite valor").arg(opcion);
            }
        }
    }
    const QString ultimo = argumentos.last();
    if (ultimo == QLatin1String("--criterio") || ultimo == QLatin1String("--locale") ||
        ultimo == QLatin1String("--diametros")) {
        return QStringLiteral("falta el valor de la opción %1").arg(ultimo);
    }
    return QStringLiteral("argumentos no válidos");
}
void avisarSerie(const SerieLeida& serie, QIODevice& errores) {
    if (const std::optional<std::string> aviso = avisoDeSerie(serie)) {
        errores.write(("colvero-check: aviso: " + *aviso + "\n").c_str());
    }
}

// Warnings of reading a calculation file, and the hint for a network table given as one.
void avisarLectura(const Comprobacion& c, QIODevice& errores) {
    std::string avisos = avisosDeLectura(c);
    if (c.archivo.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
        avisos += "colvero-check: " + c.archivo.toStdString() +
                  " parece una tabla de red: compruébela con colvero-check --red " +
                  c.archivo.toStdString() + "\n";
    }
    errores.write(avisos.data(), static_cast<qint64>(avisos.size()));
}

} // namespace

#ifndef COLVERO_CON_GRAFICOS
// The companion takes the same arguments: beside this program in a build, in libexec once
// installed.
int delegarDibujo(std::span<const char* const> argumentos, QIODevice& errores) {
    std::array<char, 4096> propio{};
    const ssize_t largo = ::readlink("/proc/self/exe", propio.data(), propio.size() - 1);
    if (largo > 0) {
        const std::string_view ruta(propio.data(), static_cast<size_t>(largo));
        const std::string carpeta(ruta.substr(0, ruta.rfind('/')));
        for (const char* relativa :
             {"/colvero-check-graficos", "/../libexec/colvero/colvero-check-graficos"}) {
            const std::string companero = carpeta + relativa;
            if (::access(companero.c_str(), X_OK) != 0) {
                continue;
            }
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(companero.c_str()));
            for (const char* a : argumentos.subspan(1)) {
                argv.push_back(const_cast<char*>(a));
            }
            argv.push_back(nullptr);
            ::execv(companero.c_str(), argv.data());
        }
    }
    errores.write("colvero-check: no se encuentra colvero-check-graficos, que dibuja el gráfico "
                  "y la nota de cálculo\n");
    return 2;
}
#endif

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

    // The network check has its own options.
    if (esOrdenDeRed(argumentos)) {
#ifndef COLVERO_CON_GRAFICOS
        if (pideElPerfil(argumentos)) {
            return delegarDibujo(argumentos, errores);
        }
#endif
        return ejecutarRed(argumentos, salida, errores);
    }

    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption optCriterio(QStringLiteral("criterio"), QString(),
                                         QStringLiteral("ARCHIVO"));
    const QCommandLineOption optPlantilla(QStringLiteral("plantilla"), QString(),
                                          QStringLiteral("ARCHIVO"));
    const QCommandLineOption optLocale(QStringLiteral("locale"), QString(),
                                       QStringLiteral("NOMBRE"));
    const QCommandLineOption optJson(QStringLiteral("json"));
    const QCommandLineOption optInforme(QStringLiteral("informe"));
    const QCommandLineOption optPendientes(QStringLiteral("pendientes"));
    const QCommandLineOption optDiametros(QStringLiteral("diametros"), QString(),
                                          QStringLiteral("SERIE"));
    const QCommandLineOption optGrafico(QStringLiteral("grafico"), QString(),
                                        QStringLiteral("SALIDA"));
    const QCommandLineOption optNota(QStringLiteral("nota"), QString(), QStringLiteral("SALIDA"));
    const QCommandLineOption optAyuda(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption optVersion(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QList<QCommandLineOption> opciones{optCriterio, optPlantilla,  optLocale,    optJson,
                                             optInforme,  optPendientes, optDiametros, optGrafico,
                                             optNota,     optAyuda,      optVersion};
    p.addOptions(opciones);
    p.addPositionalArgument(QStringLiteral("calculos"), QString());

    const Argumentos separados = separar(argumentos, opciones);
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
    if (p.isSet(optVersion)) {
        salida.write("colvero-check ");
        salida.write(producto::kVersionCompleta);
        salida.write("\n");
        return 0;
    }
    const std::vector<const char*>& archivos = separados.archivos;
    const bool json = p.isSet(optJson);
    const bool informe = p.isSet(optInforme);
    const bool pendientes = p.isSet(optPendientes);
    const bool diametros = p.isSet(optDiametros);
    if (json && informe) {
        return errorDeUsoCon(QStringLiteral("--json y --informe no se pueden usar juntas"));
    }
    if (pendientes && diametros) {
        return errorDeUsoCon(QStringLiteral("--pendientes y --diametros no se pueden usar juntas"));
    }
    if (informe && (pendientes || diametros)) {
        return errorDeUsoCon(
            QStringLiteral("%1 y --informe no se pueden usar juntas")
                .arg(pendientes ? QStringLiteral("--pendientes") : QStringLiteral("--diametros")));
    }
    if (p.isSet(optCriterio) && p.isSet(optPlantilla)) {
        return errorDeUsoCon(QStringLiteral("--criterio y --plantilla no se pueden usar juntas"));
    }
    if (archivos.empty()) {
        return errorDeUsoCon(QStringLiteral("falta el archivo de cálculo (.caVek)"));
    }
    if (informe && archivos.size() != 1) {
        return errorDeUsoCon(QStringLiteral("--informe admite un solo archivo de cálculo"));
    }
    const bool grafico = p.isSet(optGrafico);
    const bool nota = p.isSet(optNota);
    if (grafico || nota) {
        const QString opcion = grafico ? QStringLiteral("--grafico") : QStringLiteral("--nota");
        if ((grafico && nota) || json || informe || pendientes || diametros) {
            return errorDeUsoCon(
                QStringLiteral("%1 no se puede usar con otra forma de salida").arg(opcion));
        }
        if (archivos.size() != 1) {
            return errorDeUsoCon(
                QStringLiteral("%1 admite un solo archivo de cálculo").arg(opcion));
        }
#ifndef COLVERO_CON_GRAFICOS
        return delegarDibujo(argumentos, errores);
#endif
    }

    const std::optional<char> conocido = separadorDeLocale(p.value(optLocale));
    if (!conocido) {
        return errorDeUsoCon(mensajeLocaleDesconocida(p.value(optLocale)));
    }
    const char separador = *conocido;
    std::optional<Criterio> criterio;
    const QCommandLineOption& optDelCriterio = p.isSet(optPlantilla) ? optPlantilla : optCriterio;
    if (const QByteArray* ruta = separados.valor(optDelCriterio)) {
        try {
            std::string avisos;
            criterio = criterioDeOpcion(*ruta, p.isSet(optPlantilla), separador, avisos);
            errores.write(avisos.data(), static_cast<qint64>(avisos.size()));
        } catch (const ErrorArchivo& e) {
            return fallo(QString::fromUtf8(e.what()));
        }
    }

#ifdef COLVERO_CON_GRAFICOS
    if (grafico || nota) {
        const QString nombreCriterio =
            separados.valor(optDelCriterio)
                ? QFileInfo(nombreVisible(*separados.valor(optDelCriterio))).fileName()
                : QString();
        return dibujar(grafico ? Dibujo::Grafico : Dibujo::Nota,
                       p.value(grafico ? optGrafico : optNota), QByteArray(archivos.front()),
                       criterio, nombreCriterio, separador, errores);
    }
#endif

    if (pendientes || diametros) {
        std::optional<std::vector<Tubo>> serie;
        if (diametros) {
            try {
                SerieLeida leida = leerSerieDeOpcion(*separados.valor(optDiametros));
                avisarSerie(leida, errores);
                serie = std::move(leida.tubos);
            } catch (const ErrorArchivo& e) {
                return fallo(QString::fromUtf8(e.what()));
            }
        }
        return responder(archivos, criterio, serie, separador, json, salida, errores);
    }

    if (informe) {
        const Comprobacion c = comprobar(QByteArray(archivos.front()), criterio, separador);
        avisarLectura(c, errores);
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
        avisarLectura(c, errores);
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
