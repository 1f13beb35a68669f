#include "ui/dialogos.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace colvero::ui {
namespace {

// The toolkit ships its dialogs in English; the window speaks Spanish.
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
    // The accept mode rebuilds the buttons, so their captions come after it.
    dialogo.setLabelText(QFileDialog::LookIn, QStringLiteral("Buscar en:"));
    dialogo.setLabelText(QFileDialog::FileName, QStringLiteral("Nombre:"));
    dialogo.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
    dialogo.setLabelText(QFileDialog::Accept,
                         abrir ? QStringLiteral("Abrir") : QStringLiteral("Guardar"));
    dialogo.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
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
    QMessageBox aviso(QMessageBox::Critical, titulo, mensaje, QMessageBox::NoButton, &ventana_);
    aviso.addButton(QStringLiteral("Aceptar"), QMessageBox::AcceptRole);
    aviso.exec();
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
