#pragma once
// The dialogs the window asks for: choosing a file to open or save, and telling the user that
// a file operation failed. Tests replace them with doubles that never block.
#include <QString>

class QCoreApplication;
class QWidget;

namespace colvero::ui {

class Dialogos {
public:
    virtual ~Dialogos() = default;
    // Full path of the chosen file, or an empty text when the user cancels. `filtro` is in
    // Qt's form, e.g. "Archivos cálculo Colvero  (*.caVek)".
    virtual QString abrir(const QString& titulo, const QString& carpeta, const QString& filtro) = 0;
    virtual QString guardar(const QString& titulo, const QString& carpeta,
                            const QString& filtro) = 0;
    virtual void avisarError(const QString& titulo, const QString& mensaje) = 0;
};

// The toolkit's dialogs, owned by `ventana`.
class DialogosQt : public Dialogos {
public:
    explicit DialogosQt(QWidget& ventana) : ventana_(ventana) {}
    QString abrir(const QString& titulo, const QString& carpeta, const QString& filtro) override;
    QString guardar(const QString& titulo, const QString& carpeta, const QString& filtro) override;
    void avisarError(const QString& titulo, const QString& mensaje) override;

private:
    QWidget& ventana_;
};

// Installs Qt's own Spanish texts (file dialogs, message boxes, context menus) in `aplicacion`,
// from the toolkit's translations folder. False when they are not installed: the toolkit's
// texts then stay English.
bool instalarTraduccionQt(QCoreApplication& aplicacion);

// Turns a "description|pattern|description|pattern|" list into Qt's filter list: one entry
// per pair, "description" when it already names its patterns, else "description (pattern)".
// Blank-only leftovers after the last separator are dropped.
QString filtroQt(const QString& filtroLista);

} // namespace colvero::ui
