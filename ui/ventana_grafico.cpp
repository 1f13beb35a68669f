#include "ui/ventana_grafico.h"

#include "ui/marco.h"
#include "ui/preferencias.h"
#include "ui/recientes.h"

#include "files/archivos.h"
#include "note/nota.h"
#include "report/producto.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

namespace colvero::ui {
namespace {

// Pictures are saved at the size the chart reads best at, whatever the window's size.
constexpr QSize kTamanoImagen(1200, 900);

QString titulo(const QString& accion) {
    return accion + QStringLiteral("      ") + QString::fromUtf8(producto::kNombre) +
           QString::fromUtf8(producto::kVersion);
}

} // namespace

class VentanaGrafico::Lienzo : public QWidget {
public:
    Lienzo(const VentanaGrafico& ventana, QWidget* padre) : QWidget(padre), ventana_(ventana) {
        setObjectName(QStringLiteral("lienzo"));
        // Small enough for the window to fit an 800 × 600 screen with its buttons.
        setMinimumSize(320, 240);
        setAutoFillBackground(true);
        QPalette paleta = palette();
        paleta.setColor(QPalette::Window, Qt::white);
        setPalette(paleta);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        grafico::dibujarGrafico(p, QRectF(rect()), ventana_.datos(), ventana_.separador_);
    }

private:
    const VentanaGrafico& ventana_;
};

VentanaGrafico::VentanaGrafico(char separadorDecimal, Dialogos& dialogos, QWidget* padre)
    : QWidget(padre, Qt::Window), separador_(separadorDecimal), dialogos_(dialogos) {
    setObjectName(QStringLiteral("VentanaGrafico"));
    setWindowTitle(QStringLiteral("Gráfico de elementos hidráulicos      ") +
                   QString::fromUtf8(producto::kNombre) + QString::fromUtf8(producto::kVersion));
    aviso_ = new QLabel(sinCalculo(), this);
    aviso_->setObjectName(QStringLiteral("aviso"));
    aviso_->setWordWrap(true);
    lienzo_ = new Lienzo(*this, this);
    auto* guardarImagen = new QPushButton(QStringLiteral("Guardar imagen…"), this);
    guardarImagen->setObjectName(QStringLiteral("guardarImagen"));
    guardarNota_ = new QPushButton(QStringLiteral("Guardar nota de cálculo…"), this);
    guardarNota_->setObjectName(QStringLiteral("guardarNota"));
    guardarNota_->setEnabled(false);
    guardarNota_->setToolTip(sinCalculo());

    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(guardarImagen);
    botones->addWidget(guardarNota_);
    auto* columna = new QVBoxLayout(this);
    columna->addWidget(aviso_);
    columna->addWidget(lienzo_, 1);
    columna->addLayout(botones);
    ajustarAPantalla(*this, QSize(900, 760), padre);

    connect(guardarImagen, &QPushButton::clicked, this, &VentanaGrafico::guardarImagen);
    connect(guardarNota_, &QPushButton::clicked, this, &VentanaGrafico::guardarNota);
}

QString VentanaGrafico::sinCalculo() {
    return QStringLiteral("Aún no hay ningún cálculo realizado: el gráfico muestra solo las curvas "
                          "de la sección. Pulse «Calcular» para ver los puntos de diseño y los "
                          "límites del criterio.");
}

void VentanaGrafico::mostrarCaso(const nota::CasoCalculado& caso,
                                 const nota::Encabezado& encabezado) {
    caso_ = caso;
    encabezado_ = encabezado;
    cambiado_ = false;
    datos_ = nota::datosGrafico(caso);
    descripcion_ = QStringLiteral("Último cálculo realizado (%1): %2")
                       .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")),
                            QString::fromStdString(caso.calculo.titulo1));
    if (!encabezado.archivo.isEmpty())
        descripcion_ += QStringLiteral(" · ") + encabezado.archivo;
    aviso_->setText(descripcion_);
    guardarNota_->setEnabled(true);
    guardarNota_->setToolTip(QString());
    lienzo_->update();
}

void VentanaGrafico::casoCambiado() {
    if (!caso_ || cambiado_)
        return;
    cambiado_ = true;
    aviso_->setText(descripcion_ +
                    QStringLiteral("\nEl caso de la ventana principal ha cambiado desde este "
                                   "cálculo: el gráfico y la nota son los del cálculo de arriba. "
                                   "Pulse «Calcular» para ver el caso actual."));
    guardarNota_->setToolTip(QStringLiteral("Guarda la nota del cálculo de «%1», no la del caso "
                                            "actual de la ventana principal")
                                 .arg(QString::fromStdString(caso_->calculo.titulo1)));
}

bool VentanaGrafico::guardar(const QString& ruta, const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        dialogos_.avisarError(windowTitle(),
                              QStringLiteral("No se ha podido generar el archivo «%1».").arg(ruta));
        return false;
    }
    try {
        guardarBytes(ruta, bytes);
        recordarCarpetaDe(ruta);
    } catch (const ErrorArchivo& error) {
        dialogos_.avisarError(windowTitle(), QString::fromUtf8(error.what()));
        return false;
    }
    return true;
}

void VentanaGrafico::guardarImagen() {
    const QString ruta = dialogos_.guardar(
        titulo(QStringLiteral("Guardar imagen")), carpetaDeDialogos(),
        QStringLiteral("Imagen PNG (*.png);;Imagen SVG (*.svg)"), Guardado::Preguntando);
    if (ruta.isEmpty()) {
        return;
    }
    const QString extension = QFileInfo(ruta).suffix().toLower();
    if (extension == QLatin1String("png")) {
        guardar(ruta, grafico::pngGrafico(kTamanoImagen, 1.0, datos_, separador_));
    } else if (extension == QLatin1String("svg")) {
        guardar(ruta, grafico::svgGrafico(kTamanoImagen, datos_, separador_));
    } else {
        dialogos_.avisarError(windowTitle(),
                              QStringLiteral("La imagen se guarda como PNG o como SVG: escriba el "
                                             "nombre con la extensión .png o .svg."));
    }
}

void VentanaGrafico::guardarNota() {
    if (!caso_) {
        return;
    }
    const QString ruta =
        dialogos_.guardar(titulo(QStringLiteral("Guardar nota de cálculo")), carpetaDeDialogos(),
                          QStringLiteral("Nota de cálculo PDF (*.pdf)"), Guardado::Preguntando);
    if (ruta.isEmpty()) {
        return;
    }
    if (QFileInfo(ruta).suffix().toLower() != QLatin1String("pdf")) {
        dialogos_.avisarError(windowTitle(),
                              QStringLiteral("La nota de cálculo se guarda como PDF: escriba el "
                                             "nombre con la extensión .pdf."));
        return;
    }
    nota::Encabezado encabezado = encabezado_;
    const Preferencias preferencias = leerPreferencias();
    encabezado.autor = preferencias.autor;
    encabezado.proyecto = preferencias.proyecto;
    guardar(ruta, nota::pdfNota(*caso_, separador_, QDate::currentDate(), encabezado));
}

} // namespace colvero::ui
