#pragma once
// Shared pieces of the window tests: the fixture every test class derives from, a watchdog
// against modal dialogs, a dialog double and lookups by control name.
#include "ui/dialogos.h"
#include "ui/ventana.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>
#include <stdexcept>

namespace colvero::ui::prueba {

// Closes any dialog that opens and remembers it, so that a test that would block on a modal
// dialog goes on and fails instead of hanging.
class VigilanteModal {
public:
    VigilanteModal() {
        temporizador_.setInterval(50);
        QObject::connect(&temporizador_, &QTimer::timeout, &temporizador_, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            const auto ventanas = QApplication::topLevelWidgets();
            for (QWidget* w : ventanas) {
                if (auto* dialogo = qobject_cast<QDialog*>(w); dialogo && dialogo->isVisible()) {
                    modal = dialogo;
                }
            }
            if (modal) {
                abiertos << modal->metaObject()->className() + QStringLiteral(" ") +
                                modal->windowTitle();
                if (auto* dialogo = qobject_cast<QDialog*>(modal)) {
                    dialogo->reject();
                } else {
                    modal->close();
                }
            }
        });
        temporizador_.start();
    }
    QStringList abiertos;

private:
    QTimer temporizador_;
};

struct LlamadaDialogo {
    QString tipo; // "abrir" or "guardar"
    QString titulo;
    QString carpeta;
    QString filtro;
    Guardado modo = Guardado::SinPreguntar; // of a save dialog
};

// Answers every file dialog with `respuesta` and every question with `si`, and records what
// it was asked.
class DialogosDePrueba : public Dialogos {
public:
    QString respuesta;
    bool si = false;
    QList<LlamadaDialogo> llamadas;
    QStringList preguntas;
    QStringList errores;

    QString abrir(const QString& titulo, const QString& carpeta, const QString& filtro) override {
        llamadas.append({QStringLiteral("abrir"), titulo, carpeta, filtro});
        return respuesta;
    }
    QString guardar(const QString& titulo, const QString& carpeta, const QString& filtro,
                    Guardado modo) override {
        llamadas.append({QStringLiteral("guardar"), titulo, carpeta, filtro, modo});
        return respuesta;
    }
    bool confirmar(const QString&, const QString& pregunta) override {
        preguntas << pregunta;
        return si;
    }
    void avisarError(const QString&, const QString& mensaje) override { errores << mensaje; }
};

template <class T> T* hijo(const QWidget& ventana, const QString& nombre) {
    auto* w = ventana.findChild<T*>(nombre, Qt::FindDirectChildrenOnly);
    if (!w) {
        throw std::runtime_error("no hay control " + nombre.toStdString());
    }
    return w;
}

// Text of a text box or caption of a label.
inline QString texto(const QWidget& ventana, const QString& nombre) {
    QWidget* w = hijo<QWidget>(ventana, nombre);
    if (auto* caja = qobject_cast<QLineEdit*>(w)) {
        return caja->text();
    }
    if (auto* etiqueta = qobject_cast<QLabel*>(w)) {
        return etiqueta->text();
    }
    throw std::runtime_error("sin texto: " + nombre.toStdString());
}

// Replaces the text of a box by typing, as the user does (ASCII only).
inline void teclear(const QWidget& ventana, const QString& nombre, const QString& valor) {
    auto* caja = hijo<QLineEdit>(ventana, nombre);
    caja->selectAll();
    if (valor.isEmpty()) {
        QTest::keyClick(caja, Qt::Key_Delete);
    } else {
        QTest::keyClicks(caja, valor);
    }
}

// A window with the test dialogs; `dialogos` keeps pointing at them.
struct VentanaDePrueba {
    explicit VentanaDePrueba(char separador = '.') {
        // What the window remembers between runs goes to a test location.
        QStandardPaths::setTestModeEnabled(true);
        auto propios = std::make_unique<DialogosDePrueba>();
        dialogos = propios.get();
        ventana = std::make_unique<VentanaPrincipal>(separador, std::move(propios));
        ventana->show();
    }
    DialogosDePrueba* dialogos = nullptr;
    std::unique_ptr<VentanaPrincipal> ventana;
};

// The fixture of every window test class: each test starts in the C locale, with nothing
// remembered from other runs, a fresh temporary folder and the watchdog, and, when the class
// asks for one, a shown and active main window; a test during which a dialog opened fails.
class PruebaDeVentanas : public QObject {
    Q_OBJECT

protected:
    // `separador`: the decimal separator of the main window each test starts with; none when
    // empty (the tests build their windows themselves).
    explicit PruebaDeVentanas(std::optional<char> separador = std::nullopt)
        : separador_(separador) {}

    VentanaPrincipal& w() { return *prueba_->ventana; }
    DialogosDePrueba& dialogos() { return *prueba_->dialogos; }
    QString ruta(const QString& nombre) const { return carpeta_->filePath(nombre); }

    // A new shown and active main window in place of the test's one.
    void nuevaVentana(char separador) {
        prueba_.reset();
        prueba_ = std::make_unique<VentanaDePrueba>(separador);
        QApplication::setActiveWindow(prueba_->ventana.get());
        if (!QTest::qWaitForWindowActive(prueba_->ventana.get()))
            throw std::runtime_error("la ventana no se activa");
    }

    // For a test that closes its dialogs itself.
    void sinVigilante() { vigilante_.reset(); }

    std::unique_ptr<VentanaDePrueba> prueba_;
    std::unique_ptr<QTemporaryDir> carpeta_;

private Q_SLOTS:
    void init() {
        // What the windows remember between runs goes to a folder of this process, emptied
        // here: test programs that run at the same time never share it.
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ajustes_.path());
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Fluvenor"),
                  QStringLiteral("Colvero"))
            .clear();
        QLocale::setDefault(QLocale::c());
        vigilante_ = std::make_unique<VigilanteModal>();
        carpeta_ = std::make_unique<QTemporaryDir>();
        QVERIFY(carpeta_->isValid());
        if (separador_)
            nuevaVentana(*separador_);
    }
    void cleanup() {
        prueba_.reset();
        carpeta_.reset();
        const QStringList abiertos = vigilante_ ? vigilante_->abiertos : QStringList();
        vigilante_.reset();
        QVERIFY2(abiertos.isEmpty(), qPrintable(abiertos.join(", ")));
    }

private:
    QTemporaryDir ajustes_;
    std::optional<char> separador_;
    std::unique_ptr<VigilanteModal> vigilante_;
};

} // namespace colvero::ui::prueba
