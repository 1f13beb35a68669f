#include "ui/ventana.h"

#include "check/calcular.h"
#include "files/archivos.h"
#include "report/informe.h"
#include "report/producto.h"
#include "ui/dibujos.h"
#include "ui/disposicion.h"
#include "ui/estilos.h"
#include "ui/puente.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <utility>

namespace colvero::ui {
namespace {

QString nombrePrograma() {
    return QString::fromUtf8(producto::kNombre) + QString::fromUtf8(producto::kVersion);
}

// Fields whose every change throws the results away.
constexpr const char* kVigilados[] = {
    "Text34", "Text35", "Text18", "Text33", "Text42", "Text43", "Text48", "Text76",
    "Text67", "Text70", "Text39", "Text46", "Text51", "Text54", "Text53", "Text56",
    "Text57", "Text58", "Text64", "Text63", "Text71", "Text12",
};

} // namespace

// One of the four file buttons: the button, its dialog and filter, the label that takes the path,
// and the operation that then runs on that path.
struct VentanaPrincipal::OperacionArchivo {
    const char* boton;
    bool abrir;
    const char* filtro;
    const char* etiquetaPropia;
    const char* otraEtiqueta;
    void (VentanaPrincipal::*operacion)();
};

VentanaPrincipal::VentanaPrincipal(char separadorDecimal, std::unique_ptr<Dialogos> dialogos,
                                   QWidget* padre)
    : QWidget(padre, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      separador_(separadorDecimal), dialogos_(std::move(dialogos)), fondo_(fondo()) {
    if (!dialogos_) {
        dialogos_ = std::make_unique<DialogosQt>(*this);
    }
    setFont(fuenteVentana());
    QPalette paleta = palette();
    paleta.setColor(QPalette::Window, QColor(64, 64, 64));
    setPalette(paleta);
    setFixedSize(kAnchoCliente, kAltoCliente);
    setWindowIcon(QIcon(icono()));

    controles_ = std::make_unique<Controles>(*this);
    controles_->control(QStringLiteral("Image1"))->hide();
    controles_->boton("Command6")->setEnabled(false);
    iniciarLeyendas();
    conectarReacciones();
    controles_->texto("Text1")->setFocus();
}

VentanaPrincipal::~VentanaPrincipal() = default;

void VentanaPrincipal::iniciarLeyendas() {
    const Controles& c = *controles_;
    c.etiqueta("Label38")->setText(QString::fromUtf8(producto::kNombre) +
                                   QStringLiteral(" Versión ") +
                                   QString::fromUtf8(producto::kVersion));
    c.etiqueta("Label2")->setText(QString::fromUtf8(producto::kFabricante));
    c.etiqueta("Label4")->setText(QString::fromUtf8(producto::kWebPatrocinador));
    c.etiqueta("Label3")->setText(QString::fromUtf8(producto::kWebFabricante));
    setWindowTitle(nombrePrograma());
    c.etiqueta("Label6")->setText(nombrePrograma());
    c.etiqueta("Label26")->setText(nombrePrograma());
    c.etiqueta("Label32")->setText(QStringLiteral("Comprobación de condiciones de diseño"));
    for (const char* nombre : {"Label38", "Label2", "Label4", "Label3", "Label6", "Label26"}) {
        ajustarAlTexto(*c.etiqueta(nombre));
    }
}

void VentanaPrincipal::conectarReacciones() {
    const Controles& c = *controles_;
    for (const char* nombre : kVigilados) {
        connect(c.texto(nombre), &QLineEdit::textChanged, this, &VentanaPrincipal::reiniciar);
    }
    connect(c.texto("Text72"), &QLineEdit::textChanged, this, &VentanaPrincipal::marcarSinCalcular);
    // `toggled` fires for a click and for a reader that changes the state; a state set to what
    // it already holds needs no row update, since the rows already follow it.
    for (const Fila& fila : filas()) {
        connect(c.casilla(fila.casilla), &QCheckBox::toggled, this,
                &VentanaPrincipal::actualizarFilas);
    }

    connect(c.boton("Command13"), &QPushButton::clicked, this, &VentanaPrincipal::calcular);
    connect(c.boton("Command8"), &QPushButton::clicked, qApp, &QCoreApplication::quit);
    connect(c.boton("Command6"), &QPushButton::clicked, this, &VentanaPrincipal::copiarInforme);

    static constexpr const char* kFiltroCalculo = "Archivos cálculo Colvero  (*.caVek)|*.caVek|  ";
    static constexpr const char* kFiltroCriterio = "Archivos cálculo Colvero  (*.CrVek)|*.CrVek|  ";
    static const OperacionArchivo kOperaciones[] = {
        {"Command20", true, kFiltroCalculo, "Label1ap", "Label3ap",
         &VentanaPrincipal::leerArchivoCalculo},
        {"Command21", false, kFiltroCalculo, "Label1ap", "Label3ap",
         &VentanaPrincipal::guardarArchivoCalculo},
        {"Command16", true, kFiltroCriterio, "Label3ap", "Label1ap",
         &VentanaPrincipal::leerArchivoCriterio},
        {"Command17", false, kFiltroCriterio, "Label3ap", "Label1ap",
         &VentanaPrincipal::guardarArchivoCriterio},
    };
    for (const OperacionArchivo& operacion : kOperaciones) {
        connect(c.boton(operacion.boton), &QPushButton::clicked, this,
                [this, &operacion] { ejecutarArchivo(operacion); });
    }

    QLabel* enlace = c.etiqueta("Label3");
    enlace->setCursor(Qt::PointingHandCursor);
    enlace->installEventFilter(this);
    c.etiqueta("Label78")->installEventFilter(this);
}

void VentanaPrincipal::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, fondo_);
}

bool VentanaPrincipal::eventFilter(QObject* objeto, QEvent* evento) {
    const QString nombre = objeto->objectName();
    if (nombre == QLatin1String("Label78")) {
        // The formula shows exactly while a mouse button is held down on the title.
        auto* formula = static_cast<QLabel*>(controles_->control(QStringLiteral("Image1")));
        if (evento->type() == QEvent::MouseButtonPress) {
            if (formula->pixmap().isNull())
                formula->setPixmap(formulaShields());
            formula->show();
        } else if (evento->type() == QEvent::MouseButtonRelease) {
            formula->hide();
        }
    } else if (nombre == QLatin1String("Label3")) {
        // A double click is one click: its second release opens nothing more.
        if (evento->type() == QEvent::MouseButtonPress ||
            evento->type() == QEvent::MouseButtonDblClick) {
            enlaceDobleClic_ = evento->type() == QEvent::MouseButtonDblClick;
        } else if (evento->type() == QEvent::MouseButtonRelease &&
                   !std::exchange(enlaceDobleClic_, false)) {
            auto* enlace = static_cast<QLabel*>(objeto);
            const auto* raton = static_cast<QMouseEvent*>(evento);
            if (raton->button() == Qt::LeftButton &&
                enlace->rect().contains(raton->position().toPoint())) {
                // A desktop without a web handler simply opens nothing.
                QDesktopServices::openUrl(QUrl(enlace->text()));
            }
        }
    }
    return QWidget::eventFilter(objeto, evento);
}

void VentanaPrincipal::marcarSinCalcular() {
    controles_->escribir("NotaCalC", kSinRealizar);
    controles_->boton("Command6")->setEnabled(false);
}

void VentanaPrincipal::reiniciar() {
    marcarSinCalcular();
    controles_->escribir("NotaCol", "-");
    for (const Fila& fila : filas()) {
        controles_->escribir(fila.nota, "-");
    }
    borrarCalculados(*controles_);
}

void VentanaPrincipal::actualizarFilas() {
    controles_->boton("Command6")->setEnabled(false);
    for (const Fila& fila : filas()) {
        const bool visible = controles_->casilla(fila.casilla)->isChecked();
        for (const char* nombre : fila.controles) {
            controles_->control(QString::fromLatin1(nombre))->setVisible(visible);
        }
    }
    reiniciar();
}

void VentanaPrincipal::calcular() {
    const ResultadoCalculo resultado =
        colvero::calcular(calculoDe(*controles_), guardados_, separador_);
    mostrarResultado(*controles_, resultado);
    if (resultado.habilitaInforme()) {
        controles_->boton("Command6")->setEnabled(true);
    }
}

void VentanaPrincipal::copiarInforme() {
    const std::string informe = generarInforme(datosInformeDe(*controles_, guardados_), separador_);
    QClipboard* portapapeles = QGuiApplication::clipboard();
    portapapeles->clear();
    portapapeles->setText(QString::fromStdString(informe));
}

void VentanaPrincipal::ejecutarArchivo(const OperacionArchivo& operacion) {
    const QString accion = operacion.abrir ? QStringLiteral("Abrir Cálculo      ")
                                           : QStringLiteral("Guardar Cálculo     ");
    const QString titulo = accion + nombrePrograma();
    const QString carpeta = QCoreApplication::applicationDirPath();
    const QString filtro = filtroQt(QString::fromUtf8(operacion.filtro));
    const QString ruta = operacion.abrir ? dialogos_->abrir(titulo, carpeta, filtro)
                                         : dialogos_->guardar(titulo, carpeta, filtro);
    if (ruta.isEmpty()) {
        return;
    }
    controles_->etiqueta(operacion.etiquetaPropia)->setText(ruta);
    controles_->etiqueta(operacion.otraEtiqueta)->setText(QStringLiteral("-"));
    (this->*operacion.operacion)();
}

void VentanaPrincipal::leerArchivoCalculo() {
    Calculo calculo;
    try {
        calculo = leerCalculo(controles_->etiqueta("Label1ap")->text(), separador_);
    } catch (const ErrorArchivo& error) {
        avisar(error);
        return;
    }
    ponerCalculo(*controles_, calculo);
    // Fields that change reset the results as they are set; resetting once more also leaves
    // no report of the previous case on offer when the file held what the window showed.
    reiniciar();
}

void VentanaPrincipal::guardarArchivoCalculo() {
    try {
        guardarCalculo(controles_->etiqueta("Label1ap")->text(), calculoDe(*controles_),
                       separador_);
    } catch (const ErrorArchivo& error) {
        avisar(error);
    }
}

void VentanaPrincipal::leerArchivoCriterio() {
    Criterio criterio;
    try {
        criterio = leerCriterio(controles_->etiqueta("Label3ap")->text(), separador_);
    } catch (const ErrorArchivo& error) {
        avisar(error);
        return;
    }
    ponerCriterio(*controles_, criterio);
    reiniciar();
}

void VentanaPrincipal::guardarArchivoCriterio() {
    try {
        guardarCriterio(controles_->etiqueta("Label3ap")->text(), calculoDe(*controles_).criterio,
                        separador_);
    } catch (const ErrorArchivo& error) {
        avisar(error);
    }
}

void VentanaPrincipal::avisar(const std::exception& error) {
    dialogos_->avisarError(nombrePrograma(), QString::fromUtf8(error.what()));
}

} // namespace colvero::ui
