#pragma once
// Shared pieces of the window tests: a watchdog against modal dialogs, a dialog double and
// lookups by control name.
#include "ui/dialogos.h"
#include "ui/ventana.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <memory>
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
};

// Answers every file dialog with `respuesta` and records what it was asked.
class DialogosDePrueba : public Dialogos {
public:
    QString respuesta;
    QList<LlamadaDialogo> llamadas;
    QStringList errores;

    QString abrir(const QString& titulo, const QString& carpeta, const QString& filtro) override {
        llamadas.append({QStringLiteral("abrir"), titulo, carpeta, filtro});
        return respuesta;
    }
    QString guardar(const QString& titulo, const QString& carpeta, const QString& filtro) override {
        llamadas.append({QStringLiteral("guardar"), titulo, carpeta, filtro});
        return respuesta;
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

} // namespace colvero::ui::prueba
