#include "ui/ventana_perfil.h"

#include "files/archivos.h"
#include "profile/dibujo_perfil.h"
#include "ui/dialogos.h"
#include "ui/marco.h"
#include "ui/recientes.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace colvero::ui {
namespace {

// The drawing at its own size; the scroll area around it shows what the window holds.
class Lienzo : public QWidget {
public:
    Lienzo(const VentanaPerfil& ventana, const QString& titulo, char sep, QWidget* padre)
        : QWidget(padre), ventana_(ventana), titulo_(titulo), sep_(sep) {
        setObjectName(QStringLiteral("DibujoPerfil"));
        setMinimumSize(perfil::tamanoImagen(ventana.perfil()));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setRenderHint(QPainter::Antialiasing);
        perfil::dibujarPerfil(p, QRectF(rect()), ventana_.perfil(), titulo_, sep_);
    }

private:
    const VentanaPerfil& ventana_;
    QString titulo_;
    char sep_;
};

} // namespace

VentanaPerfil::VentanaPerfil(perfil::Perfil p, QString titulo, char separadorDecimal,
                             Dialogos& dialogos, QWidget* padre)
    : QWidget(padre, Qt::Window), perfil_(std::move(p)), titulo_(std::move(titulo)),
      separador_(separadorDecimal), dialogos_(dialogos) {
    setObjectName(QStringLiteral("VentanaPerfil"));
    setWindowTitle(QStringLiteral("Perfil longitudinal"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* raiz = new QVBoxLayout(this);
    auto* desplazable = new QScrollArea(this);
    desplazable->setWidget(new Lienzo(*this, titulo_, separador_, desplazable));
    desplazable->setBackgroundRole(QPalette::Base);
    raiz->addWidget(desplazable, 1);
    auto* pie = new QHBoxLayout;
    auto* leyenda = new QLabel(
        QStringLiteral("Lámina de agua: calado normal de cada tramo (régimen uniforme) con Q1 y "
                       "Q3, no una curva de remanso."),
        this);
    leyenda->setWordWrap(true);
    pie->addWidget(leyenda, 1);
    auto* guardarBoton = new QPushButton(QStringLiteral("&Guardar perfil…"), this);
    guardarBoton->setObjectName(QStringLiteral("GuardarPerfil"));
    connect(guardarBoton, &QPushButton::clicked, this, [this] {
        const QString ruta = dialogos_.guardar(
            QStringLiteral("Guardar perfil"), carpetaDeDialogos(),
            QStringLiteral("Documentos PDF (*.pdf);;Dibujos SVG (*.svg);;Imágenes PNG (*.png)"));
        if (!ruta.isEmpty() && guardar(ruta))
            recordarCarpetaDe(ruta);
    });
    pie->addWidget(guardarBoton);
    raiz->addLayout(pie);
    ajustarAPantalla(*this, QSize(1200, 700), padre);
}

bool VentanaPerfil::guardar(const QString& ruta) {
    try {
        perfil::guardarPerfil(perfil_, QFile::encodeName(ruta), titulo_, separador_);
    } catch (const ErrorArchivo& e) {
        dialogos_.avisarError(QStringLiteral("Perfil longitudinal"),
                              QStringLiteral("No se ha guardado el perfil. ") +
                                  QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

} // namespace colvero::ui
