#include "cli/perfil_red.h"

#include "chart/grafico.h"
#include "files/archivos.h"
#include "profile/dibujo_perfil.h"
#include "profile/perfil_dxf.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QIODevice>

#include <algorithm>
#include <cstdio>

namespace colvero::cli {
namespace {

// Qt's own warnings (a missing runtime folder, fonts) are not this program's output.
void sinAvisosDeQt(QtMsgType tipo, const QMessageLogContext&, const QString& mensaje) {
    if (tipo == QtCriticalMsg || tipo == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(mensaje));
}

} // namespace

int perfilDeRed(const red::RedGrafo& g, const QByteArray& rutaRed, const red::CriterioListo& base,
                const red::OpcionesRed& motor, const QString& trayecto,
                const QByteArray& rutaSalida, const QString& nombreSalida, QIODevice& salida,
                QIODevice& errores) {
    const auto fallo = [&](const QString& mensaje) {
        errores.write(QStringLiteral("colvero-check: %1\n").arg(mensaje).toUtf8());
        return 2;
    };
    std::string desde, hasta;
    perfil::partirTrayecto(g.modelo, trayecto.toStdString(), desde, hasta);
    perfil::Trayecto tr;
    try {
        tr = perfil::trazarTrayecto(g.modelo, g.topologia, desde, hasta);
    } catch (const perfil::ErrorTrayecto& e) {
        return fallo(
            QStringLiteral("--perfil «%1»: %2").arg(trayecto, QString::fromStdString(e.mensaje)));
    }
    const std::vector<red::Trabajo> trabajos =
        perfil::comprobarTrayecto(g, tr, rutaRed, base, motor);
    const perfil::Perfil p = perfil::perfilDe(g, tr, trabajos);

    // Fonts and painting need the GUI side of Qt, on no screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(sinAvisosDeQt);
    int argc = 1;
    char nombre[] = "colvero-check";
    char* argv[] = {nombre, nullptr};
    const QGuiApplication aplicacion(argc, argv);
    const QString primero = QString::fromStdString(p.nodos.front().nombre);
    const QString ultimo = QString::fromStdString(p.nodos.back().nombre);
    const QString titulo =
        QStringLiteral("Perfil longitudinal de «%1» a «%2»").arg(primero, ultimo);
    try {
        if (QFileInfo(nombreSalida).suffix().toLower() == QLatin1String("dxf"))
            perfil::guardarPerfilDxf(p, rutaSalida, nombreSalida, titulo.toStdString(), motor.sep);
        else
            perfil::guardarPerfil(p, rutaSalida, titulo, motor.sep);
    } catch (const ErrorArchivo& e) {
        return fallo(QString::fromUtf8(e.what()));
    }

    int codigo = 0;
    for (const red::Trabajo& t : trabajos)
        codigo = std::max(codigo, t.codigo);
    const qsizetype tramos = static_cast<qsizetype>(p.tramos.size());
    salida.write(QStringLiteral("Perfil de «%1» a «%2»: %3 %4, %5 m, en %6\n")
                     .arg(primero, ultimo, QString::number(tramos),
                          tramos == 1 ? QStringLiteral("tramo") : QStringLiteral("tramos"),
                          grafico::textoNumero(p.longitud(), 2, motor.sep), nombreSalida)
                     .toUtf8());
    for (const perfil::TramoPerfil& t : p.tramos) {
        QString linea;
        if (t.clase == perfil::ClasePerfil::NoCumple) {
            QStringList fallos;
            for (const std::string& f : t.fallos)
                fallos << QString::fromStdString(f);
            linea = QStringLiteral("no cumple: ") + fallos.join(QStringLiteral(", "));
        } else if (t.clase == perfil::ClasePerfil::SinComprobar) {
            linea = QStringLiteral("sin comprobar: ") + QString::fromStdString(t.motivo);
        } else {
            continue;
        }
        salida.write(QStringLiteral("  «%1» %2\n")
                         .arg(QString::fromStdString(t.datos.tramo), linea)
                         .toUtf8());
    }
    return codigo;
}

} // namespace colvero::cli
