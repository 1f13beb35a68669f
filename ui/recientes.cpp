#include "ui/recientes.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace colvero::ui {
namespace {

constexpr const char* kClave = "dialogos/carpeta";
constexpr const char* kClaveCriterioRed = "red/criterio";

} // namespace

QSettings ajustesDelPrograma() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Fluvenor"),
                     QStringLiteral("Colvero"));
}

QString carpetaDeDialogos() {
    const QString recordada = ajustesDelPrograma().value(QLatin1String(kClave)).toString();
    if (!recordada.isEmpty() && QFileInfo(recordada).isDir()) {
        return recordada;
    }
    const QString documentos = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documentos).isDir() ? documentos : QDir::homePath();
}

void recordarCarpetaDe(const QString& rutaArchivo) {
    ajustesDelPrograma().setValue(QLatin1String(kClave), QFileInfo(rutaArchivo).absolutePath());
}

QString criterioDeRed() {
    return ajustesDelPrograma().value(QLatin1String(kClaveCriterioRed)).toString();
}

void recordarCriterioDeRed(const QString& ruta) {
    if (ruta.isEmpty())
        ajustesDelPrograma().remove(QLatin1String(kClaveCriterioRed));
    else
        ajustesDelPrograma().setValue(QLatin1String(kClaveCriterioRed),
                                      QFileInfo(ruta).absoluteFilePath());
}

} // namespace colvero::ui
