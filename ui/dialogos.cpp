#include "ui/dialogos.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>
#include <QTranslator>

namespace colvero::ui {
namespace {

// The patterns of one entry of a Qt filter list: "Imagen PNG (*.png)" gives "*.png".
QStringList patronesDe(const QString& entrada) {
    static const QRegularExpression parentesis(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    const QRegularExpressionMatch m = parentesis.match(entrada);
    const QString patrones = m.hasMatch() ? m.captured(1) : entrada;
    return patrones.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The extensions "*.png" patterns name, without the dot; "*" for a pattern that takes any name.
QStringList extensionesDe(const QString& filtro) {
    QStringList extensiones;
    for (const QString& entrada : filtro.split(QStringLiteral(";;"))) {
        for (const QString& patron : patronesDe(entrada)) {
            if (patron == QLatin1String("*") || patron == QLatin1String("*.*"))
                extensiones << QStringLiteral("*");
            else if (patron.startsWith(QLatin1String("*.")))
                extensiones << patron.mid(2);
        }
    }
    return extensiones;
}

// The extension of the first "*.png" pattern of a filter entry, without the dot; empty when
// it has none.
QString extensionDe(const QString& entrada) {
    for (const QString& patron : patronesDe(entrada)) {
        if (patron.startsWith(QLatin1String("*.")) && patron != QLatin1String("*.*"))
            return patron.mid(2);
    }
    return {};
}

// A save dialog that settles the name before it closes (nombreConExtension): a name without
// an extension takes the chosen filter's (the dialog's default suffix, which its question
// before replacing a file already counts), and a refused name stays in the dialog, behind a
// message that says why.
class DialogoGuardar : public QFileDialog {
public:
    DialogoGuardar(QWidget* padre, const QString& titulo, const QString& carpeta,
                   const QString& filtro)
        : QFileDialog(padre, titulo, carpeta, filtro), filtro_(filtro) {
        setDefaultSuffix(extensionDe(selectedNameFilter()));
        connect(this, &QFileDialog::filterSelected, this,
                [this](const QString& elegido) { setDefaultSuffix(extensionDe(elegido)); });
    }

    void accept() override {
        const QStringList elegidos = selectedFiles();
        if (elegidos.isEmpty() || QFileInfo(elegidos.constFirst()).isDir()) {
            QFileDialog::accept(); // into the folder
            return;
        }
        const std::optional<QString> nombre =
            nombreConExtension(elegidos.constFirst(), filtro_, selectedNameFilter());
        if (!nombre) {
            QMessageBox aviso(QMessageBox::Warning, windowTitle(),
                              extensionRechazada(elegidos.constFirst(), filtro_), QMessageBox::Ok,
                              this);
            aviso.exec();
            return;
        }
        // Asks before replacing an existing file.
        QFileDialog::accept();
    }

private:
    QString filtro_;
};

// The captions of the dialogs come from Qt's Spanish translation (instalarTraduccionQt).
QString elegirArchivo(QFileDialog& dialogo, bool abrir, Guardado modo = Guardado::SinPreguntar) {
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    if (abrir) {
        dialogo.setAcceptMode(QFileDialog::AcceptOpen);
        dialogo.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialogo.setAcceptMode(QFileDialog::AcceptSave);
        dialogo.setFileMode(QFileDialog::AnyFile);
        if (modo == Guardado::SinPreguntar) {
            dialogo.setOption(QFileDialog::DontConfirmOverwrite);
            dialogo.setDefaultSuffix(QString()); // the window decides
        }
    }
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) {
        return {};
    }
    return dialogo.selectedFiles().constFirst();
}

} // namespace

QString DialogosQt::abrir(const QString& titulo, const QString& carpeta, const QString& filtro) {
    QFileDialog dialogo(&ventana_, titulo, carpeta, filtro);
    return elegirArchivo(dialogo, true);
}

QString DialogosQt::guardar(const QString& titulo, const QString& carpeta, const QString& filtro,
                            Guardado modo) {
    if (modo == Guardado::SinPreguntar) {
        QFileDialog dialogo(&ventana_, titulo, carpeta, filtro);
        return elegirArchivo(dialogo, false, modo);
    }
    DialogoGuardar dialogo(&ventana_, titulo, carpeta, filtro);
    return elegirArchivo(dialogo, false, modo);
}

bool DialogosQt::confirmar(const QString& titulo, const QString& pregunta) {
    QMessageBox caja(QMessageBox::Question, titulo, pregunta, QMessageBox::Yes | QMessageBox::No,
                     &ventana_);
    caja.setDefaultButton(QMessageBox::No);
    return caja.exec() == QMessageBox::Yes;
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

std::optional<QString> nombreConExtension(const QString& ruta, const QString& filtro,
                                          const QString& elegido) {
    const bool conPunto = QFileInfo(ruta).fileName().contains(QLatin1Char('.'));
    if (!conPunto && !extensionDe(elegido).isEmpty())
        return ruta + QLatin1Char('.') + extensionDe(elegido);
    const QStringList extensiones = extensionesDe(filtro);
    if (extensiones.contains(QStringLiteral("*")) ||
        (conPunto && extensiones.contains(QFileInfo(ruta).suffix(), Qt::CaseInsensitive)))
        return ruta;
    return std::nullopt;
}

QString extensionRechazada(const QString& ruta, const QString& filtro) {
    QStringList extensiones;
    for (const QString& e : extensionesDe(filtro)) {
        if (e != QLatin1String("*") && !extensiones.contains(QLatin1Char('.') + e))
            extensiones << QLatin1Char('.') + e;
    }
    QString lista = extensiones.join(QStringLiteral(", "));
    if (extensiones.size() > 1) {
        const qsizetype coma = lista.lastIndexOf(QStringLiteral(", "));
        lista.replace(coma, 2, QStringLiteral(" o "));
    }
    return QStringLiteral("«%1» no tiene una extensión con la que se pueda guardar aquí: escriba "
                          "el nombre con %2, o sin extensión para tomar la del tipo elegido.")
        .arg(QFileInfo(ruta).fileName(), lista);
}

} // namespace colvero::ui
