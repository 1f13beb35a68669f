#pragma once
// The dialogs the window asks for: choosing a file to open or save, a yes-or-no question, and
// telling the user that a file operation failed. Tests replace them with doubles that never
// block.
#include <QString>

#include <optional>

class QCoreApplication;
class QWidget;

namespace colvero::ui {

// How a save dialog takes the name typed and an existing file.
enum class Guardado {
    // Calculation and criterion files, as their format documents: the name as typed, and an
    // existing file replaced without a question.
    SinPreguntar,
    // Every other file: a name without an extension takes that of the chosen filter, a name
    // whose extension no filter offers is refused with the dialog still open, and an existing
    // file is replaced only once the user agrees.
    Preguntando,
};

class Dialogos {
public:
    virtual ~Dialogos() = default;
    // Full path of the chosen file, or an empty text when the user cancels. `filtro` is in
    // Qt's form, e.g. "Archivos cálculo Colvero  (*.caVek)".
    virtual QString abrir(const QString& titulo, const QString& carpeta, const QString& filtro) = 0;
    virtual QString guardar(const QString& titulo, const QString& carpeta, const QString& filtro,
                            Guardado modo) = 0;
    // Any file but a calculation or a criterion.
    QString guardar(const QString& titulo, const QString& carpeta, const QString& filtro) {
        return guardar(titulo, carpeta, filtro, Guardado::Preguntando);
    }
    // True when the user answers yes; the answer offered first is no.
    virtual bool confirmar(const QString& titulo, const QString& pregunta) = 0;
    virtual void avisarError(const QString& titulo, const QString& mensaje) = 0;
};

// The toolkit's dialogs, owned by `ventana`.
class DialogosQt : public Dialogos {
public:
    explicit DialogosQt(QWidget& ventana) : ventana_(ventana) {}
    using Dialogos::guardar;
    QString abrir(const QString& titulo, const QString& carpeta, const QString& filtro) override;
    QString guardar(const QString& titulo, const QString& carpeta, const QString& filtro,
                    Guardado modo) override;
    bool confirmar(const QString& titulo, const QString& pregunta) override;
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

// The name a save dialog in the mode Guardado::Preguntando takes for `ruta` when `elegido`
// is the chosen entry of the Qt filter list `filtro`: `ruta` itself when a filter offers its
// extension (or takes any name), `ruta` with the first extension of `elegido` when its file
// name has no dot, and nothing when no filter offers its extension.
std::optional<QString> nombreConExtension(const QString& ruta, const QString& filtro,
                                          const QString& elegido);

// What the save dialog says when it refuses `ruta` under `filtro`.
QString extensionRechazada(const QString& ruta, const QString& filtro);

} // namespace colvero::ui
