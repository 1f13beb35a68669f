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

} // namespace colvero::ui
