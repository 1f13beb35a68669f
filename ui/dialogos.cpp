#include "ui/dialogos.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace colvero::ui {

QString DialogosQt::abrir(const QString& titulo, const QString& carpeta, const QString& filtro) {
    return QFileDialog::getOpenFileName(&ventana_, titulo, carpeta, filtro, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

QString DialogosQt::guardar(const QString& titulo, const QString& carpeta, const QString& filtro) {
    // The user may replace an existing file without a question, and a name typed without an
    // extension stays as typed.
    QFileDialog dialogo(&ventana_, titulo, carpeta, filtro);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setFileMode(QFileDialog::AnyFile);
    dialogo.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    dialogo.setDefaultSuffix(QString());
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) {
        return {};
    }
    return dialogo.selectedFiles().constFirst();
}

void DialogosQt::avisarError(const QString& titulo, const QString& mensaje) {
    QMessageBox::critical(&ventana_, titulo, mensaje);
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
