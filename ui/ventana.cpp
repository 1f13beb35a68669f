#include "ui/ventana.h"

#include "check/calcular.h"
#include "check/numero.h"
#include "check/textos_pendientes.h"
#include "files/archivos.h"
#include "report/informe.h"
#include "report/producto.h"
#include "ui/asistente.h"
#include "ui/dibujos.h"
#include "ui/disposicion.h"
#include "ui/estilos.h"
#include "ui/preferencias.h"
#include "ui/puente.h"
#include "ui/recientes.h"
#include "ui/ventana_grafico.h"
#include "ui/ventana_red.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QUrl>
#include <string_view>
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

// The buttons of the free band of the header, right of the title and above the status frame,
// side by side and clear of the maker's panel of the background (px). The band right of the
// chart's button is the maker's panel: the network's button goes left of the assistant's.
constexpr int kXBotonRed = 322, kXBotonAsistente = 470, kXBotonGrafico = 618, kYBotonCabecera = 152;
// «Preferencias…» sits in the free band above the chart's button.
constexpr int kYBotonPreferencias = 124;
constexpr int kAnchoBotonCabecera = 140, kAltoBotonCabecera = 24;

// A field whose text is not a number: a red frame over a light red ground, dark text.
// The two-depth mark sits at the right end of the verdict panels (they end at x = 992 px).
constexpr int kXAviso = 973, kAnchoAviso = 16;

// Over this a diameter (m) is almost certainly millimetres.
constexpr double kDiametroPlausible = 5.0;

constexpr const char* kEstiloErroneo = "QLineEdit { border: 2px solid rgb(220, 0, 0); "
                                       "background-color: rgb(255, 200, 200); color: black; }";

} // namespace

// One of the four file buttons: the button, its dialog and filter, the operation that runs on the
// chosen path, and the label that takes the path once the operation has succeeded.
struct VentanaPrincipal::OperacionArchivo {
    const char* boton;
    bool abrir;
    const char* filtro;
    const char* extension; // given to a name saved without one
    const char* etiquetaPropia;
    const char* otraEtiqueta;
    bool (VentanaPrincipal::*operacion)(const QString& ruta);
};

namespace {
constexpr const char* kFiltroCalculo = "Archivos cálculo Colvero  (*.caVek)|*.caVek|  ";
constexpr const char* kFiltroCriterio = "Archivos cálculo Colvero  (*.CrVek)|*.CrVek|  ";
constexpr const char* kTodos = ";;Todos los archivos (*)";
} // namespace

const VentanaPrincipal::OperacionArchivo VentanaPrincipal::kOperaciones[4] = {
    {"Command20", true, kFiltroCalculo, ".caVek", "Label1ap", "Label3ap",
     &VentanaPrincipal::leerArchivoCalculo},
    {"Command21", false, kFiltroCalculo, ".caVek", "Label1ap", "Label3ap",
     &VentanaPrincipal::guardarArchivoCalculo},
    {"Command16", true, kFiltroCriterio, ".CrVek", "Label3ap", "Label1ap",
     &VentanaPrincipal::leerArchivoCriterio},
    {"Command17", false, kFiltroCriterio, ".CrVek", "Label3ap", "Label1ap",
     &VentanaPrincipal::guardarArchivoCriterio},
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
    crearBotonAsistente();
    crearAvisosDosCalados();
    crearBotonGrafico();
    crearBotonRed();
    crearBotonPreferencias();
    crearAvisoDiametro();
    for (int k = 0; k <= static_cast<int>(CampoNumerico::Vmin10); ++k) {
        controles_->texto(controlDe(static_cast<CampoNumerico>(k)))->setToolTip(ayudaNumero());
    }
    conectarReacciones();
    conectarTeclado();
    setAcceptDrops(true);
    // The first key typed replaces the title.
    QLineEdit* titulo = controles_->texto("Text1");
    titulo->setFocus();
    titulo->selectAll();
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

QPushButton* VentanaPrincipal::botonCabecera(const QString& texto, const char* nombre, int x) {
    auto* boton = new QPushButton(texto, this);
    boton->setObjectName(QLatin1String(nombre));
    const Control datos{nombre, Tipo::Boton, 0, 0, 0, 0, nullptr, Estilo::Ninguno, 0, 0xE0E0E0};
    aplicarEstilo(*boton, datos);
    boton->setGeometry(x, kYBotonCabecera, kAnchoBotonCabecera, kAltoBotonCabecera);
    return boton;
}

void VentanaPrincipal::crearBotonGrafico() {
    botonGrafico_ = botonCabecera(QStringLiteral("Gráfico"), "CommandGrafico", kXBotonGrafico);
    botonGrafico_->setToolTip(VentanaGrafico::sinCalculo() + QStringLiteral(" (Ctrl+G)"));
    botonGrafico_->installEventFilter(this);
    connect(botonGrafico_, &QPushButton::clicked, this, &VentanaPrincipal::abrirGrafico);
}

void VentanaPrincipal::abrirGrafico() {
    if (!ventanaGrafico_) {
        ventanaGrafico_ = new VentanaGrafico(separador_, *dialogos_, this);
        if (ultimoCaso_) {
            ventanaGrafico_->mostrarCaso(*ultimoCaso_, encabezadoDelCaso_);
            if (casoCambiadoDesdeCalculo_)
                ventanaGrafico_->casoCambiado();
        }
    }
    ventanaGrafico_->show();
    ventanaGrafico_->raise();
    ventanaGrafico_->activateWindow();
}

void VentanaPrincipal::actualizarGrafico() {
    botonGrafico_->setToolTip(
        QStringLiteral("Gráfico de elementos hidráulicos del último cálculo realizado (Ctrl+G)"));
    if (ventanaGrafico_) {
        ventanaGrafico_->mostrarCaso(*ultimoCaso_, encabezadoDelCaso_);
    }
}

void VentanaPrincipal::crearBotonAsistente() {
    QPushButton* boton =
        botonCabecera(QStringLiteral("Asistente de diseño"), "BotonAsistente", kXBotonAsistente);
    boton->setToolTip(QStringLiteral("Pendientes admisibles y menor diámetro de una serie para "
                                     "el caso actual (Ctrl+D)"));
    boton->installEventFilter(this);
    connect(boton, &QPushButton::clicked, this, &VentanaPrincipal::abrirAsistente);
}

void VentanaPrincipal::crearBotonRed() {
    QPushButton* boton = botonCabecera(QStringLiteral("Comprobar red…"), "BotonRed", kXBotonRed);
    boton->setToolTip(QStringLiteral("Comprueba todos los tramos de una red, de una tabla CSV "
                                     "(Ctrl+R)"));
    boton->setFocusPolicy(Qt::ClickFocus);
    boton->installEventFilter(this);
    connect(boton, &QPushButton::clicked, this, &VentanaPrincipal::abrirRed);
}

void VentanaPrincipal::crearBotonPreferencias() {
    QPushButton* boton =
        botonCabecera(QStringLiteral("Preferencias…"), "BotonPreferencias", kXBotonGrafico);
    boton->move(kXBotonGrafico, kYBotonPreferencias);
    boton->setToolTip(QStringLiteral("Autor y proyecto de las notas de cálculo (Ctrl+,)"));
    boton->setFocusPolicy(Qt::ClickFocus);
    boton->installEventFilter(this);
    connect(boton, &QPushButton::clicked, this, &VentanaPrincipal::abrirPreferencias);
}

void VentanaPrincipal::abrirPreferencias() {
    DialogoPreferencias dialogo(this);
    dialogo.exec();
}

void VentanaPrincipal::abrirRed() {
    if (!ventanaRed_) {
        ventanaRed_ = new VentanaRed(
            separador_, *dialogos_,
            [this](const Calculo& calculo, const QString& descripcion, const QString& criterio) {
                if (sinGuardar_ &&
                    !dialogos_->confirmar(
                        nombrePrograma(),
                        QStringLiteral("La ventana principal tiene cambios sin guardar. ¿Desea "
                                       "reemplazarlos por el %1?")
                            .arg(descripcion))) {
                    return;
                }
                cargarCalculo(calculo, descripcion, criterio);
            },
            this);
    }
    ventanaRed_->show();
    ventanaRed_->raise();
    ventanaRed_->activateWindow();
}

void VentanaPrincipal::cargarCalculo(const Calculo& calculo, const QString& descripcion,
                                     const QString& rutaCriterio) {
    aplicarCalculo(calculo);
    // The label names no file, so that saving asks for a name.
    controles_->etiqueta("Label1ap")->setText(descripcion);
    rutaCalculo_ = descripcion;
    controles_->etiqueta("Label3ap")
        ->setText(rutaCriterio.isEmpty() ? QStringLiteral("-") : rutaCriterio);
    criterioDelArchivo_.reset();
    if (!rutaCriterio.isEmpty()) {
        criterioDelArchivo_ = calculoDe(*controles_).criterio;
    }
    casoCambiado(); // another reach, even one with the same values
    sinGuardar_ = false;
    raise();
    activateWindow();
}

void VentanaPrincipal::crearAvisosDosCalados() {
    for (int k = 2; k <= 7; ++k) {
        const QLabel* nota = controles_->etiqueta(filas()[k - 1].nota);
        auto* aviso = new QLabel(QStringLiteral("⚠"), this);
        aviso->setObjectName(QStringLiteral("AvisoDosCalados%1").arg(k));
        aviso->setToolTip(QString::fromStdString(avisoDosCalados({k})));
        aviso->setStyleSheet(
            QStringLiteral("QLabel { color: rgb(255, 200, 40); font-size: 11pt; }"));
        aviso->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        aviso->setGeometry(kXAviso, nota->y() - 4, kAnchoAviso, nota->height() + 4);
        aviso->hide();
        avisosDosCalados_[k - 1] = aviso;
    }
}

void VentanaPrincipal::mostrarAvisosDosCalados(
    const std::array<ResultadoCondicion, 10>& condiciones) {
    for (std::size_t k = 0; k < condiciones.size(); ++k) {
        if (QLabel* aviso = avisosDosCalados_[k]) {
            const bool dosCalados = condiciones[k].dosCalados;
            aviso->setVisible(dosCalados);
            if (dosCalados)
                aviso->raise();
        }
    }
}

void VentanaPrincipal::abrirAsistente() {
    if (!asistente_) {
        asistente_ = new Asistente(*controles_, separador_, *dialogos_, this);
    }
    asistente_->show();
    asistente_->raise();
    asistente_->activateWindow();
    asistente_->actualizar();
}

void VentanaPrincipal::conectarReacciones() {
    const Controles& c = *controles_;
    for (const char* nombre : kVigilados) {
        connect(c.texto(nombre), &QLineEdit::textChanged, this, &VentanaPrincipal::reiniciar);
    }
    connect(c.texto("Text72"), &QLineEdit::textChanged, this, &VentanaPrincipal::marcarSinCalcular);
    // Every box and check box that a calculation file holds, titles and flow names included.
    for (QLineEdit* caja : findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
        if (caja->isEnabled() && !caja->isReadOnly())
            connect(caja, &QLineEdit::textChanged, this, &VentanaPrincipal::casoCambiado);
    }
    for (const Fila& fila : filas()) {
        connect(c.casilla(fila.casilla), &QCheckBox::toggled, this,
                &VentanaPrincipal::casoCambiado);
    }
    // `toggled` fires for a click and for a reader that changes the state; a state set to what
    // it already holds needs no row update, since the rows already follow it.
    for (const Fila& fila : filas()) {
        connect(c.casilla(fila.casilla), &QCheckBox::toggled, this,
                &VentanaPrincipal::actualizarFilas);
    }

    connect(c.boton("Command13"), &QPushButton::clicked, this, &VentanaPrincipal::calcular);
    connect(c.boton("Command8"), &QPushButton::clicked, qApp, &QCoreApplication::quit);
    connect(c.boton("Command6"), &QPushButton::clicked, this, &VentanaPrincipal::copiarInforme);

    for (const OperacionArchivo& operacion : kOperaciones) {
        connect(c.boton(operacion.boton), &QPushButton::clicked, this,
                [this, &operacion] { ejecutarArchivo(operacion); });
    }

    QLabel* enlace = c.etiqueta("Label3");
    enlace->setCursor(Qt::PointingHandCursor);
    enlace->installEventFilter(this);
    c.etiqueta("Label78")->installEventFilter(this);
}

void VentanaPrincipal::conectarTeclado() {
    const Controles& c = *controles_;
    // Return and Enter press a focused button, as Space does.
    for (const char* nombre : {"Command13", "Command8", "Command6", "Command20", "Command21",
                               "Command16", "Command17"}) {
        c.boton(nombre)->installEventFilter(this);
    }
    const std::pair<QKeySequence, const char*> kAtajos[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_O), "Command20"},
        {QKeySequence(Qt::CTRL | Qt::Key_S), "Command21"},
        {QKeySequence(Qt::CTRL | Qt::Key_Return), "Command13"},
        {QKeySequence(Qt::CTRL | Qt::Key_Enter), "Command13"},
        {QKeySequence(Qt::Key_F9), "Command13"},
        {QKeySequence(Qt::CTRL | Qt::Key_D), "BotonAsistente"},
        {QKeySequence(Qt::CTRL | Qt::Key_R), "BotonRed"},
        {QKeySequence(Qt::CTRL | Qt::Key_Comma), "BotonPreferencias"},
        {QKeySequence(Qt::CTRL | Qt::Key_G), "CommandGrafico"},
    };
    for (const auto& [tecla, boton] : kAtajos) {
        auto* atajo = new QShortcut(tecla, this);
        connect(atajo, &QShortcut::activated, findChild<QPushButton*>(QString::fromLatin1(boton)),
                &QPushButton::click);
    }
    // A field marked as not holding a number loses the mark as soon as it is edited.
    for (int k = 0; k <= static_cast<int>(CampoNumerico::Vmin10); ++k) {
        connect(c.texto(controlDe(static_cast<CampoNumerico>(k))), &QLineEdit::textChanged, this,
                &VentanaPrincipal::desmarcarErroneo);
    }
}

void VentanaPrincipal::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, fondo_);
}

bool VentanaPrincipal::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        auto* boton = qobject_cast<QPushButton*>(objeto);
        const bool sinModificador = (tecla->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (boton && sinModificador &&
            (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter)) {
            boton->click();
            return true;
        }
    }
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
    mostrarAvisosDosCalados({});
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
    desmarcarErroneo();
    const Calculo calculo = calculoDe(*controles_);
    const ResultadoCalculo resultado = colvero::calcular(calculo, guardados_, separador_);
    mostrarResultado(*controles_, resultado);
    mostrarAvisosDosCalados(resultado.condiciones);
    if (resultado.habilitaInforme()) {
        controles_->boton("Command6")->setEnabled(true);
        ultimoCaso_ = nota::casoCalculado(calculo, resultado, separador_);
        encabezadoDelCaso_ = {};
        if (!rutaCalculo_.isEmpty()) {
            // A path the window read or wrote, or what a case from the network came from.
            encabezadoDelCaso_.archivo =
                QFileInfo::exists(rutaCalculo_) ? QFileInfo(rutaCalculo_).fileName() : rutaCalculo_;
        }
        const QString criterio = controles_->etiqueta("Label3ap")->text();
        if (criterio != QLatin1String("-")) {
            encabezadoDelCaso_.criterio = QFileInfo(criterio).fileName();
            encabezadoDelCaso_.criterioModificado =
                !criterioDelArchivo_ || calculo.criterio != *criterioDelArchivo_;
        }
        casoCambiadoDesdeCalculo_ = false;
        if (ultimoCaso_) {
            actualizarGrafico();
        }
    }
    if (resultado.campoErroneo) {
        marcarErroneo(*resultado.campoErroneo);
    }
}

void VentanaPrincipal::marcarErroneo(CampoNumerico campo) {
    erroneo_ = controles_->texto(controlDe(campo));
    paletaErroneo_ = erroneo_->palette();
    erroneo_->setProperty("erroneo", true);
    erroneo_->setStyleSheet(QString::fromLatin1(kEstiloErroneo));
    erroneo_->setToolTip(QStringLiteral("No es un número. ") + ayudaNumero());
    if (!erroneo_->isVisibleTo(this)) {
        // The field of a condition switched off is hidden and cannot take the caret: the
        // status line names it.
        controles_->etiqueta("NotaCalC")
            ->setText(QString::fromUtf8(kDatosErroneos) +
                      QStringLiteral(": «%1» no es un número (su condición está desactivada)")
                          .arg(QString::fromUtf8(nombreCampo(campo))));
        return;
    }
    erroneo_->setFocus(Qt::OtherFocusReason);
    erroneo_->selectAll();
    // On a small screen the window scrolls: bring the field into view.
    if (auto* area =
            qobject_cast<QScrollArea*>(parentWidget() ? parentWidget()->parentWidget() : nullptr)) {
        area->ensureWidgetVisible(erroneo_);
    }
}

void VentanaPrincipal::desmarcarErroneo() {
    if (QLineEdit* campo = std::exchange(erroneo_, nullptr)) {
        campo->setProperty("erroneo", false);
        campo->setStyleSheet(QString());
        // Dropping the style sheet leaves a palette that no longer inherits the window's
        // colours, which changes the frame: give back the one the field had.
        campo->setPalette(paletaErroneo_);
        campo->setToolTip(ayudaNumero());
    }
}

QString VentanaPrincipal::ayudaNumero() const {
    return separador_ == ','
               ? QStringLiteral("Número con coma decimal, por ejemplo 0,013 (no con punto)")
               : QStringLiteral("Número con punto decimal, por ejemplo 0.013 (no con coma)");
}

void VentanaPrincipal::casoCambiado() {
    sinGuardar_ = true;
    if (ultimoCaso_ && !casoCambiadoDesdeCalculo_) {
        casoCambiadoDesdeCalculo_ = true;
        if (ventanaGrafico_)
            ventanaGrafico_->casoCambiado();
    }
}

void VentanaPrincipal::crearAvisoDiametro() {
    const QLineEdit* diametro = controles_->texto("Text34");
    avisoDiametro_ = new QLabel(QStringLiteral("⚠"), this);
    avisoDiametro_->setObjectName(QStringLiteral("AvisoDiametro"));
    avisoDiametro_->setStyleSheet(
        QStringLiteral("QLabel { color: rgb(255, 200, 40); font-size: 11pt; }"));
    avisoDiametro_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // In the gap between the diameter box and the collector's status.
    avisoDiametro_->setGeometry(diametro->geometry().right() + 1, diametro->y() - 2, 13,
                                diametro->height() + 2);
    avisoDiametro_->hide();
    connect(diametro, &QLineEdit::textChanged, this, &VentanaPrincipal::revisarDiametro);
}

void VentanaPrincipal::revisarDiametro() {
    QLineEdit* caja = controles_->texto("Text34");
    const std::optional<double> d = leerNumero(caja->text().toStdString(), separador_);
    const bool milimetros = d && *d > kDiametroPlausible;
    avisoDiametro_->setVisible(milimetros);
    if (milimetros) {
        avisoDiametro_->raise();
        avisoDiametro_->setToolTip(
            QStringLiteral("Un diámetro de más de 5 m es casi seguro un valor en milímetros: "
                           "el diámetro se da en metros (300 mm son 0%13 m).")
                .arg(QLatin1Char(separador_)));
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
    const QString carpeta = carpetaDeDialogos();
    const QString filtro = filtroQt(QString::fromUtf8(operacion.filtro));
    // Opening also offers every file, so that a file saved under another name is never hidden.
    QString ruta = operacion.abrir
                       ? dialogos_->abrir(titulo, carpeta, filtro + QString::fromUtf8(kTodos))
                       : dialogos_->guardar(titulo, carpeta, filtro, Guardado::SinPreguntar);
    if (ruta.isEmpty()) {
        return;
    }
    // A name typed without an extension takes the file's own, unless a file of exactly that
    // name exists: that one is replaced, as the format documents.
    if (!operacion.abrir && !QFileInfo(ruta).fileName().contains(QLatin1Char('.')) &&
        !QFileInfo::exists(ruta)) {
        ruta += QLatin1String(operacion.extension);
    }
    completarArchivo(operacion, ruta);
}

bool VentanaPrincipal::completarArchivo(const OperacionArchivo& operacion, const QString& ruta) {
    if (!(this->*operacion.operacion)(ruta)) {
        return false;
    }
    // The labels name only a file that was really read or written, and what looked wrong in it.
    controles_->etiqueta(operacion.etiquetaPropia)
        ->setText(avisoLectura_.isEmpty()
                      ? ruta
                      : QStringLiteral("%1  (aviso: %2)").arg(ruta, avisoLectura_));
    avisoLectura_.clear();
    controles_->etiqueta(operacion.otraEtiqueta)->setText(QStringLiteral("-"));
    rutaCalculo_ = operacion.etiquetaPropia == std::string_view("Label1ap") ? ruta : QString();
    criterioDelArchivo_.reset();
    if (operacion.etiquetaPropia == std::string_view("Label3ap")) {
        criterioDelArchivo_ = calculoDe(*controles_).criterio;
    }
    recordarCarpetaDe(ruta);
    if (operacion.etiquetaPropia == std::string_view("Label1ap")) {
        if (operacion.abrir)
            casoCambiado();  // another file, even one that holds the same values
        sinGuardar_ = false; // the window holds what the calculation file holds
    }
    return true;
}

const VentanaPrincipal::OperacionArchivo* VentanaPrincipal::lecturaPara(const QString& ruta) {
    const auto termina = [&](const char* extension) {
        return ruta.endsWith(QLatin1String(extension), Qt::CaseInsensitive);
    };
    if (termina(".caVek")) {
        return &kOperaciones[0];
    }
    if (termina(".CrVek")) {
        return &kOperaciones[2];
    }
    return nullptr;
}

bool VentanaPrincipal::abrirArchivo(const QString& ruta) {
    if (const OperacionArchivo* lectura = lecturaPara(ruta)) {
        return completarArchivo(*lectura, ruta);
    }
    dialogos_->avisarError(nombrePrograma(),
                           QStringLiteral("El archivo «%1» no es un cálculo (.caVek) ni un "
                                          "criterio (.CrVek).")
                               .arg(ruta));
    return false;
}

void VentanaPrincipal::dragEnterEvent(QDragEnterEvent* evento) {
    const QList<QUrl> urls = evento->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile() && lecturaPara(urls.front().toLocalFile())) {
        evento->acceptProposedAction();
    }
}

void VentanaPrincipal::dropEvent(QDropEvent* evento) {
    const QList<QUrl> urls = evento->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        evento->acceptProposedAction();
        abrirArchivo(urls.front().toLocalFile());
    }
}

bool VentanaPrincipal::leerArchivoCalculo(const QString& ruta) {
    Leido<Calculo> leido;
    try {
        leido = abrirCalculo(ruta, separador_);
    } catch (const ErrorArchivo& error) {
        avisar(error);
        return false;
    }
    avisoLectura_ = leido.sinEOF ? QString::fromUtf8(kAvisoSinEOF) : QString();
    aplicarCalculo(leido.valor);
    return true;
}

void VentanaPrincipal::aplicarCalculo(const Calculo& calculo) {
    ponerCalculo(*controles_, calculo);
    // Fields that change reset the results as they are set; resetting once more also leaves
    // no report of the previous case on offer when the file held what the window showed.
    reiniciar();
}

bool VentanaPrincipal::guardarArchivoCalculo(const QString& ruta) {
    try {
        guardarCalculo(ruta, calculoDe(*controles_), separador_);
    } catch (const ErrorArchivo& error) {
        avisar(error);
        return false;
    }
    return true;
}

bool VentanaPrincipal::leerArchivoCriterio(const QString& ruta) {
    Leido<Criterio> leido;
    try {
        leido = abrirCriterio(ruta, separador_);
    } catch (const ErrorArchivo& error) {
        avisar(error);
        return false;
    }
    avisoLectura_ = leido.sinEOF ? QString::fromUtf8(kAvisoSinEOF) : QString();
    ponerCriterio(*controles_, leido.valor);
    reiniciar();
    return true;
}

bool VentanaPrincipal::guardarArchivoCriterio(const QString& ruta) {
    try {
        guardarCriterio(ruta, calculoDe(*controles_).criterio, separador_);
    } catch (const ErrorArchivo& error) {
        avisar(error);
        return false;
    }
    return true;
}

void VentanaPrincipal::avisar(const std::exception& error) {
    dialogos_->avisarError(nombrePrograma(), QString::fromUtf8(error.what()));
}

} // namespace colvero::ui
