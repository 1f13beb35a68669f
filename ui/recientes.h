#pragma once
// Where the file dialogs start: the folder of the last file opened or saved, kept between runs,
// else the user's documents folder; never the program's own folder.
#include <QSettings>
#include <QString>

namespace colvero::ui {

// Where the program keeps what it remembers between runs.
QSettings ajustesDelPrograma();

QString carpetaDeDialogos();
void recordarCarpetaDe(const QString& rutaArchivo);

// The criterion or template the network window used last, kept between runs; empty when it
// used its initial values.
QString criterioDeRed();
void recordarCriterioDeRed(const QString& ruta);

} // namespace colvero::ui
