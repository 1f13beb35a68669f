#include "ui/dialogos.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStringList>
#include <QTranslator>

namespace colvero::ui {
namespace {

// The captions of the dialogs come from Qt's Spanish translation (instalarTraduccionQt).
QString elegirArchivo(QWidget& ventana, bool abrir, const QString& titulo, const QString& carpeta,
                      const QString& filtro) {
    QFileDialog dialogo(&ventana, titulo, carpeta, filtro);
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    if (abrir) {
        dialogo.setAcceptMode(QFileDialog::AcceptOpen);
        dialogo.setFileMode(QFileDialog::ExistingFile);
    } else {
        // The user may replace an existing file without a question, and a name typed without
        // an extension stays as typed.
        dialogo.setAcceptMode(QFileDialog::AcceptSave);
        dialogo.setFileMode(QFileDialog::AnyFile);
        dialogo.setOption(QFileDialog::DontConfirmOverwrite);
        dialogo.setDefaultSuffix(QString());
    }
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) {
        return {};
    }
    return dialogo.selectedFiles().constFirst();
}

} // namespace

QString DialogosQt::abrir(const QString& titulo, const QString& carpeta, const QString& filtro) {
    return elegirArchivo(ventana_, true, titulo, carpeta, filtro);
}

QString DialogosQt::guardar(const QString& titulo, const QString& carpeta, const QString& filtro) {
    return elegirArchivo(ventana_, false, titulo, carpeta, filtro);
}

void DialogosQt::avisarError(const QString& titulo, const QString& mensaje) {
    QMessageBox aviso(QMessageBox::Critical, titulo, mensaje, QMessageBox::Ok, &ventana_);
    aviso.exec();
}

bool instalarTraduccionQt(QCoreApplication& aplicacion) {
    auto* traduccion = new QTranslator(&aplicacion);
    if (!traduccion->load(QStringLiteral("qtbase_es"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete traduccion;
        return false;
    }
    return QCoreApplication::installTranslator(traduccion);
}

QString filtroQt(const QString& filtroLista) {
    const QStringList partes = filtroLista.split(QLatin1Char('|'));
    QStringList entradas;
    for (qsizetype k = 0; k + 1 < partes.size(); k += 2) {
        const QString descripcion = partes[k];
        const QString patron = partes[k + 1].trimmed();
        if (descripcion.trimmed().isEmpty() && patron.isEmpty()) {
            continue;
        }
        // Qt takes the patterns from the parentheses at the end of the description.
        const bool nombraPatron = descripcion.trimmed().endsWith("(" + patron + ")");
        entradas << (nombraPatron ? descripcion : descripcion + " (" + patron + ")");
    }
    return entradas.join(QStringLiteral(";;"));
}

} // namespace colvero::ui
