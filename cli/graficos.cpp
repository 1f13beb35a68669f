#include "cli/graficos.h"

#include "cli/comprobacion.h"
#include "files/archivos.h"
#include "files/escritura.h"
#include "files/lectura.h"
#include "note/nota.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIODevice>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace colvero::cli {

namespace {
// The size the chart window saves.
constexpr QSize kTamanoImagen(1200, 900);

// Qt's own warnings (a missing runtime folder, fonts) are not this program's output.
void sinAvisosDeQt(QtMsgType tipo, const QMessageLogContext&, const QString& mensaje) {
    if (tipo == QtCriticalMsg || tipo == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(mensaje));
    }
}
// Fonts and painting need the GUI side of Qt, on no screen.
std::unique_ptr<QGuiApplication> aplicacionGrafica() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(sinAvisosDeQt);
    static int argc = 1;
    static char nombre[] = "colvero-check";
    static char* argv[] = {nombre, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The PDF writer's output, passed on to an atomic write as it comes; the first failure is
// kept, since the writer does not look at what write() returns.
class SalidaAtomica : public QIODevice {
public:
    explicit SalidaAtomica(EscrituraAtomica& escritura) : escritura_(escritura) {}
    const std::optional<std::string>& error() const { return error_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* datos, qint64 cuantos) override {
        if (error_)
            return -1;
        try {
            escritura_.escribir(std::string_view(datos, static_cast<std::size_t>(cuantos)));
        } catch (const ErrorArchivo& e) {
            error_ = e.what();
            return -1;
        }
        return cuantos;
    }

private:
    EscrituraAtomica& escritura_;
    std::optional<std::string> error_;
};

} // namespace

void escribirNotaDeRed(const QByteArray& rutaNativa, const QString& nombre,
                       const nota::FuentesRed& fuentes, const std::vector<nota::TramoNota>& tramos,
                       const red::RedGrafo* grafo, char separadorDecimal,
                       const nota::PerfilesNota* perfiles, const nota::SeccionDiseno* diseno) {
    const std::unique_ptr<QGuiApplication> aplicacion = aplicacionGrafica();
    EscrituraAtomica escritura(rutaNativa, nombre);
    SalidaAtomica salida(escritura);
    salida.open(QIODevice::WriteOnly);
    nota::escribirNotaRed(salida, fuentes, tramos, grafo, separadorDecimal, QDate::currentDate(),
                          perfiles, diseno);
    salida.close();
    if (salida.error())
        throw ErrorArchivo(*salida.error());
    escritura.confirmar();
}

int dibujar(Dibujo dibujo, const QString& destino, const QByteArray& rutaNativa,
            const std::optional<Criterio>& criterio, const QString& nombreCriterio,
            char separadorDecimal, QIODevice& errores) {
    const auto fallo = [&](const QString& mensaje) {
        errores.write(QStringLiteral("colvero-check: %1\n").arg(mensaje).toUtf8());
        return 2;
    };
    const QString extension = QFileInfo(destino).suffix().toLower();
    const bool png = extension == QLatin1String("png");
    const bool svg = extension == QLatin1String("svg");
    if (dibujo == Dibujo::Grafico && !png && !svg) {
        return fallo(QStringLiteral("el gráfico se guarda como PNG o SVG: «%1» no acaba en .png "
                                    "ni en .svg")
                         .arg(destino));
    }
    if (dibujo == Dibujo::Nota && extension != QLatin1String("pdf")) {
        return fallo(QStringLiteral("la nota de cálculo se guarda como PDF: «%1» no acaba en .pdf")
                         .arg(destino));
    }
    if (mismoArchivo(QFile::encodeName(destino), rutaNativa)) {
        return fallo(QStringLiteral("%1 «%2» es el mismo archivo que el cálculo «%3»: %4 lo "
                                    "reemplazaría. Elija otro nombre para la salida.")
                         .arg(QLatin1String(dibujo == Dibujo::Nota ? "--nota" : "--grafico"),
                              destino, nombreVisible(rutaNativa),
                              dibujo == Dibujo::Nota ? QStringLiteral("la nota")
                                                     : QStringLiteral("el gráfico")));
    }
    const Comprobacion c = comprobar(rutaNativa, criterio, separadorDecimal);
    const std::string avisos = avisosDeLectura(c);
    errores.write(avisos.data(), static_cast<qint64>(avisos.size()));
    if (c.error) {
        return fallo(QString::fromStdString(*c.error));
    }
    const std::optional<nota::CasoCalculado> caso = nota::calcularCaso(c.calculo, separadorDecimal);
    if (!caso) {
        const std::string& motivo = c.resultado.fin == FinCalculo::ColectorInvalido
                                        ? c.resultado.notaCol
                                        : c.resultado.notaCalC;
        return fallo(QStringLiteral("el cálculo de «%1» no se ha realizado: %2")
                         .arg(c.archivo, QString::fromStdString(motivo)));
    }
    const std::unique_ptr<QGuiApplication> aplicacion = aplicacionGrafica();
    QByteArray bytes;
    if (dibujo == Dibujo::Nota) {
        // The command line has no author or project: those lines come from the window's
        // preferences only.
        nota::Encabezado encabezado;
        encabezado.archivo = QFileInfo(c.archivo).fileName();
        encabezado.criterio = nombreCriterio;
        bytes = nota::pdfNota(*caso, separadorDecimal, QDate::currentDate(), encabezado);
    } else if (png) {
        bytes =
            grafico::pngGrafico(kTamanoImagen, 1.0, nota::datosGrafico(*caso), separadorDecimal);
    } else {
        bytes = grafico::svgGrafico(kTamanoImagen, nota::datosGrafico(*caso), separadorDecimal);
    }
    try {
        guardarBytes(destino, bytes);
    } catch (const ErrorArchivo& e) {
        return fallo(QString::fromUtf8(e.what()));
    }
    return codigoDeSalida(c);
}

} // namespace colvero::cli
