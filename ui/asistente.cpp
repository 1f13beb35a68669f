#include "ui/asistente.h"

#include "check/calcular.h"
#include "check/leyendas.h"
#include "check/textos_pendientes.h"
#include "files/archivos.h"
#include "files/serie.h"
#include "ui/controles.h"
#include "ui/dialogos.h"
#include "ui/disposicion.h"
#include "ui/eje_pendientes.h"
#include "ui/marco.h"
#include "ui/puente.h"
#include "ui/recientes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>

namespace colvero::ui {
namespace {

constexpr const char* kTitulo = "Asistente de diseño";
// From the last keystroke in the main window to the recomputation (ms): a slope window costs
// under a millisecond, so only typing is waited for.
constexpr int kRetrasoRecalculo = 150;
const QColor kFondoMenorQueCumple(190, 235, 195);
const QColor kFondoMenorConPendiente(250, 235, 170);

QString deUtf8(const std::string& texto) {
    return QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
}

// "(3). Velocidad mínima", with the line-break blanks of condition 5 folded.
QString tituloCondicion(int k) {
    return QString::fromUtf8(leyendas::kTitulosCondicion[k - 1]).simplified();
}

std::vector<TramoEje> tramosDe(const ResultadoPendientes& r, char separador) {
    std::vector<TramoEje> tramos;
    for (const IntervaloPendientes& t : r.intervalos) {
        TramoEje tramo;
        tramo.desde = t.minima ? t.minima->valor : kPendienteMinima;
        tramo.hasta = t.maxima ? t.maxima->valor : kPendienteMaxima;
        if (t.minima)
            tramo.textoDesde = deUtf8(textoExtremoPendiente(*t.minima, separador));
        if (t.maxima)
            tramo.textoHasta = deUtf8(textoExtremoPendiente(*t.maxima, separador));
        tramos.push_back(tramo);
    }
    return tramos;
}

// What the slope box gets from "Aplicar pendiente": the lower end of the first interval, or,
// when that end is Imin itself (excluded), the first shown value above it.
QString pendienteAAplicar(const IntervaloPendientes& t, char separador) {
    if (!t.minima) {
        return deUtf8(decimalLlano(kPendienteMinima, separador));
    }
    if (t.minima->incluido) {
        return deUtf8(textoExtremoPendiente(*t.minima, separador));
    }
    constexpr double kInfinito = std::numeric_limits<double>::infinity();
    const double desde = std::nextafter(t.minima->valor, kInfinito);
    double hasta = kPendienteMaxima;
    if (t.maxima) {
        hasta = t.maxima->incluido ? t.maxima->valor : std::nextafter(t.maxima->valor, 0.0);
    }
    return deUtf8(decimalLlano(textoExtremo(desde, true, desde, hasta, separador), separador));
}

// A scroll area that asks for room for its whole content (a plain one asks for at most 24
// lines) and can shrink to a few lines of it.
class AreaAjustada : public QScrollArea {
public:
    explicit AreaAjustada(QWidget* padre) : QScrollArea(padre) {
        setWidgetResizable(true);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    QSize sizeHint() const override {
        const QSize contenido = widget() ? widget()->sizeHint() : QSize();
        return contenido + QSize(verticalScrollBar()->sizeHint().width(), 0);
    }
    QSize minimumSizeHint() const override {
        const QSize contenido = widget() ? widget()->minimumSizeHint() : QSize();
        return {contenido.width() + verticalScrollBar()->sizeHint().width(),
                std::min(contenido.height(), 5 * fontMetrics().height())};
    }
};

// The axis gets the height of all its rows when the window has it, the table what is left, and
// at least its minimum. Done again only when the number of rows changes, so that a split the
// user has dragged stays while the case is edited.
void repartirAltura(QSplitter& divisor, int filas) {
    if (divisor.property("filasEje").toInt() == filas + 1 || divisor.height() <= 0) {
        return;
    }
    divisor.setProperty("filasEje", filas + 1);
    QWidget* ejes = divisor.widget(0);
    QWidget* serie = divisor.widget(1);
    // A scroll area does not hear of its content's new size: ask again.
    if (auto* area = ejes->findChild<QScrollArea*>(QStringLiteral("DesplazamientoEje"))) {
        area->updateGeometry();
    }
    ejes->layout()->invalidate();
    ejes->layout()->activate();
    const int total = divisor.height() - divisor.handleWidth();
    const int arriba =
        std::max(ejes->minimumSizeHint().height(),
                 std::min(ejes->sizeHint().height(), total - serie->minimumSizeHint().height()));
    divisor.setSizes({arriba, std::max(0, total - arriba)});
}

QTableWidgetItem* celda(const QString& texto) {
    auto* item = new QTableWidgetItem(texto);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

} // namespace

QString textoDiametro(double diametro, char separadorDecimal) {
    char buf[64];
    const auto fin = std::to_chars(buf, buf + sizeof buf, diametro).ptr;
    QString s = QString::fromLatin1(buf, fin - buf);
    s.replace(QLatin1Char('.'), QLatin1Char(separadorDecimal));
    return s;
}

Asistente::Asistente(const Controles& controles, char separadorDecimal, Dialogos& dialogos,
                     QWidget* padre)
    : QWidget(padre, Qt::Window), controles_(controles), separador_(separadorDecimal),
      dialogos_(dialogos) {
    construir();
    serie_ = leerSerieIncluida(kSeriesIncluidas[0]);
    recalculo_ = new QTimer(this);
    recalculo_->setSingleShot(true);
    recalculo_->setInterval(kRetrasoRecalculo);
    // Closed, it recomputes when it opens again.
    connect(recalculo_, &QTimer::timeout, this, [this] {
        if (isVisible())
            actualizar();
    });
    for (int k = 0; k <= static_cast<int>(CampoNumerico::Vmin10); ++k) {
        connect(controles_.texto(controlDe(static_cast<CampoNumerico>(k))), &QLineEdit::textChanged,
                this, &Asistente::casoCambiado);
    }
    for (const Fila& fila : filas()) {
        connect(controles_.casilla(fila.casilla), &QCheckBox::toggled, this,
                &Asistente::casoCambiado);
    }
}

void Asistente::casoCambiado() {
    anticuado_ = true;
    aplicarPendiente_->setEnabled(false);
    aplicarDiametro_->setEnabled(false);
    recalculo_->start();
}

// The table's selection may change while the children are torn down; nothing may react then.
Asistente::~Asistente() {
    tabla_->disconnect(this);
}

void Asistente::construir() {
    setObjectName(QStringLiteral("Asistente"));
    setWindowTitle(QString::fromUtf8(kTitulo));
    auto* raiz = new QVBoxLayout(this);

    auto* cabecera = new QHBoxLayout;
    caso_ = new QLabel(this);
    caso_->setObjectName(QStringLiteral("Caso"));
    caso_->setTextFormat(Qt::PlainText);
    caso_->setWordWrap(true);
    auto* actualizar = new QPushButton(QStringLiteral("Actualizar"), this);
    actualizar->setObjectName(QStringLiteral("Actualizar"));
    actualizar->setToolTip(QStringLiteral("Vuelve a leer los datos de la ventana principal"));
    connect(actualizar, &QPushButton::clicked, this, &Asistente::actualizar);
    cabecera->addWidget(caso_, 1);
    cabecera->addWidget(actualizar, 0, Qt::AlignTop);
    raiz->addLayout(cabecera);

    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("Error"));
    error_->setTextFormat(Qt::PlainText);
    error_->setWordWrap(true);
    error_->setStyleSheet(QStringLiteral("QLabel { color: rgb(170, 0, 0); font-weight: bold; }"));
    error_->hide();
    raiz->addWidget(error_);

    // The two groups share the height in a splitter; on a low screen the axis and its texts
    // scroll and the pipe table shrinks, while the buttons stay in view.
    auto* divisor = new QSplitter(Qt::Vertical, this);
    divisor->setObjectName(QStringLiteral("Divisor"));
    divisor->setChildrenCollapsible(false);
    auto* grupoPendientes = new QGroupBox(QStringLiteral("Pendientes admisibles"), divisor);
    auto* pendientes = new QVBoxLayout(grupoPendientes);
    auto* desplazable = new AreaAjustada(grupoPendientes);
    desplazable->setObjectName(QStringLiteral("DesplazamientoEje"));
    auto* contenidoEje = new QWidget(desplazable);
    auto* columnaEje = new QVBoxLayout(contenidoEje);
    columnaEje->setContentsMargins(0, 0, 0, 0);
    eje_ = new EjePendientes(contenidoEje);
    columnaEje->addWidget(eje_);
    auto* bajoEje = new QHBoxLayout;
    intervalos_ = new QLabel(contenidoEje);
    intervalos_->setObjectName(QStringLiteral("Intervalos"));
    intervalos_->setTextFormat(Qt::PlainText);
    intervalos_->setWordWrap(true);
    intervalos_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    columnaEje->addWidget(intervalos_);
    columnaEje->addStretch(1);
    desplazable->setWidget(contenidoEje);
    pendientes->addWidget(desplazable, 1);
    aplicarPendiente_ = new QPushButton(QStringLiteral("Aplicar pendiente"), grupoPendientes);
    aplicarPendiente_->setObjectName(QStringLiteral("AplicarPendiente"));
    connect(aplicarPendiente_, &QPushButton::clicked, this, &Asistente::aplicarPendiente);
    bajoEje->addStretch(1);
    bajoEje->addWidget(aplicarPendiente_);
    pendientes->addLayout(bajoEje);
    divisor->addWidget(grupoPendientes);

    auto* grupoSerie = new QGroupBox(QStringLiteral("Diámetros de una serie"), divisor);
    auto* serie = new QVBoxLayout(grupoSerie);
    auto* eleccion = new QHBoxLayout;
    series_ = new QComboBox(grupoSerie);
    series_->setObjectName(QStringLiteral("Serie"));
    for (const SerieIncluida& s : kSeriesIncluidas) {
        series_->addItem(QString::fromUtf8(s.nombre));
    }
    series_->addItem(QStringLiteral("Otra serie…"));
    connect(series_, &QComboBox::activated, this, &Asistente::elegirSerie);
    auto* etiquetaSerie = new QLabel(QStringLiteral("Serie:"), grupoSerie);
    etiquetaSerie->setBuddy(series_);
    eleccion->addWidget(etiquetaSerie);
    eleccion->addWidget(series_);
    eleccion->addStretch(1);
    serie->addLayout(eleccion);
    resumenSerie_ = new QLabel(grupoSerie);
    resumenSerie_->setObjectName(QStringLiteral("ResumenSerie"));
    resumenSerie_->setTextFormat(Qt::RichText);
    resumenSerie_->setWordWrap(true);
    serie->addWidget(resumenSerie_);
    tabla_ = new QTableWidget(0, 4, grupoSerie);
    tabla_->setObjectName(QStringLiteral("Diametros"));
    tabla_->setHorizontalHeaderLabels({QStringLiteral("Tubo"), QStringLiteral("D (m)"),
                                       QStringLiteral("Cumple a la pendiente actual"),
                                       QStringLiteral("Pendientes admisibles")});
    tabla_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabla_->setSelectionMode(QAbstractItemView::SingleSelection);
    tabla_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabla_->verticalHeader()->hide();
    tabla_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tabla_->horizontalHeader()->setStretchLastSection(true);
    tabla_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    serie->addWidget(tabla_, 1);
    aplicarDiametro_ = new QPushButton(QStringLiteral("Aplicar diámetro"), grupoSerie);
    aplicarDiametro_->setObjectName(QStringLiteral("AplicarDiametro"));
    aplicarDiametro_->setToolTip(
        QStringLiteral("Escribe el diámetro interior del tubo elegido en la casilla del diámetro"));
    aplicarDiametro_->setEnabled(false);
    connect(aplicarDiametro_, &QPushButton::clicked, this, &Asistente::aplicarDiametro);
    connect(tabla_, &QTableWidget::itemSelectionChanged, this, [this] {
        aplicarDiametro_->setEnabled(!anticuado_ && !tabla_->selectedItems().isEmpty());
    });
    connect(tabla_, &QTableWidget::cellDoubleClicked, this, &Asistente::aplicarDiametro);
    auto* bajoTabla = new QHBoxLayout;
    bajoTabla->addStretch(1);
    bajoTabla->addWidget(aplicarDiametro_);
    serie->addLayout(bajoTabla);
    divisor->addWidget(grupoSerie);
    divisor->setStretchFactor(0, 0);
    divisor->setStretchFactor(1, 1);
    raiz->addWidget(divisor, 1);

    // Tall enough for the axis with ten conditions and a dozen pipes, within the screen.
    ajustarAPantalla(*this, QSize(900, 900), parentWidget());
}

void Asistente::actualizar() {
    recalculo_->stop();
    anticuado_ = false;
    const Calculo calculo = calculoDe(controles_);
    caso_->setText(QStringLiteral("Caso de la ventana principal: D = %1 m, n = %2, i = %3 m/m. "
                                  "Se actualiza al cambiar sus datos.")
                       .arg(deUtf8(calculo.colector.D).trimmed(),
                            deUtf8(calculo.colector.n).trimmed(),
                            deUtf8(calculo.colector.i).trimmed()));
    std::optional<CampoNumerico> erroneo;
    entradas_ = convertirEntradas(calculo, separador_, &erroneo);
    if (!entradas_) {
        const QString campo =
            erroneo ? QString::fromUtf8(nombreCampo(*erroneo)) : QStringLiteral("Un campo");
        vaciar(
            QStringLiteral("«%1» no es un número: corríjalo en la ventana principal.").arg(campo));
        return;
    }
    error_->hide();
    activas_ = calculo.criterio.activa;
    mostrarPendientes(*entradas_, activas_, deUtf8(calculo.colector.i).trimmed());
    actualizarTabla();
}

void Asistente::mostrarPendientes(const Entradas& d, const Activas& activas,
                                  const QString& textoI) {
    const ResultadoPendientes todas = pendientesAdmisibles(d, activas, separador_);
    std::set<int> deciden;
    for (const IntervaloPendientes& t : todas.intervalos) {
        for (const auto* e : {&t.minima, &t.maxima}) {
            if (*e)
                deciden.insert((*e)->condicion);
        }
    }
    FilaEje total{QStringLiteral("Todas las condiciones activas"), tramosDe(todas, separador_),
                  deUtf8(todas.motivo), false};
    std::vector<FilaEje> filas;
    // Each condition's own bounds: the same search with that condition alone.
    for (int k = 1; k <= 10; ++k) {
        if (!activas[k - 1]) {
            continue;
        }
        Activas sola{};
        sola[k - 1] = true;
        const ResultadoPendientes r = pendientesAdmisibles(d, sola, separador_);
        filas.push_back(
            {tituloCondicion(k), tramosDe(r, separador_), deUtf8(r.motivo), deciden.count(k) > 0});
    }
    std::optional<double> actual;
    if (d.i > 0) {
        actual = d.i;
    }
    const int filasEje = static_cast<int>(filas.size());
    eje_->mostrar(std::move(total), std::move(filas), actual, textoI);
    repartirAltura(*findChild<QSplitter*>(QStringLiteral("Divisor")), filasEje);

    textoPendiente_.clear();
    QStringList lineas;
    lineas << deUtf8(textoPendientesCompleto(todas, separador_));
    if (!todas.intervalos.empty()) {
        textoPendiente_ = pendienteAAplicar(todas.intervalos.front(), separador_);
        const IntervaloPendientes& primero = todas.intervalos.front();
        if (primero.minima && !primero.minima->incluido) {
            lineas << QStringLiteral("La pendiente mínima constructiva no se admite ella misma: "
                                     "«Aplicar pendiente» escribe %1.")
                          .arg(textoPendiente_);
        }
    }
    intervalos_->setText(lineas.join(QLatin1Char('\n')));
    aplicarPendiente_->setEnabled(!textoPendiente_.isEmpty());
    aplicarPendiente_->setToolTip(
        textoPendiente_.isEmpty()
            ? QStringLiteral("No hay pendiente admisible que aplicar")
            : QStringLiteral("Escribe %1 (la menor pendiente admisible: la de menor excavación) "
                             "en la casilla de la pendiente")
                  .arg(textoPendiente_));
}

void Asistente::actualizarTabla() {
    tabla_->clearSelection();
    tabla_->setRowCount(0);
    diametros_ = {};
    if (!entradas_) {
        resumenSerie_->clear();
        return;
    }
    diametros_ = diametrosAdmisibles(*entradas_, activas_, serie_, separador_);
    const QString textoI = deUtf8(calculoDe(controles_).colector.i).trimmed();
    tabla_->setHorizontalHeaderItem(
        2, new QTableWidgetItem(QStringLiteral("Cumple con i = %1").arg(textoI)));
    tabla_->setRowCount(static_cast<int>(diametros_.tubos.size()));
    for (std::size_t j = 0; j < diametros_.tubos.size(); ++j) {
        const ResultadoTubo& t = diametros_.tubos[j];
        const int fila = static_cast<int>(j);
        tabla_->setItem(fila, 0, celda(deUtf8(t.tubo.nombre)));
        QTableWidgetItem* diametro = celda(textoDiametro(t.tubo.diametro, separador_));
        diametro->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tabla_->setItem(fila, 1, diametro);

        QString cumple;
        QString detalle;
        if (t.fin == FinEvaluacion::ColectorInvalido) {
            Entradas caso = *entradas_;
            caso.D = t.tubo.diametro;
            cumple = QStringLiteral("No evaluado");
            detalle = QString::fromUtf8(mensajeColector(validarColector(caso)));
        } else if (t.fin == FinEvaluacion::ErrorAritmetico) {
            cumple = QStringLiteral("No: ") + QString::fromUtf8(kDatosErroneos);
        } else if (t.cumple) {
            cumple = QStringLiteral("Sí");
        } else {
            QStringList condiciones;
            QStringList titulos;
            for (int k : t.noCumplen) {
                condiciones << QStringLiteral("(%1)").arg(k);
                titulos << tituloCondicion(k);
            }
            cumple = QStringLiteral("No: ") + condiciones.join(QStringLiteral(", "));
            detalle = QStringLiteral("No se cumplen:\n") + titulos.join(QLatin1Char('\n'));
        }
        QTableWidgetItem* itemCumple = celda(cumple);
        itemCumple->setToolTip(detalle);
        tabla_->setItem(fila, 2, itemCumple);

        std::string pendientes;
        anadirCeldaPendientes(pendientes, t.pendientes, separador_, false);
        QTableWidgetItem* itemPendientes = celda(deUtf8(pendientes));
        itemPendientes->setToolTip(deUtf8(textoPendientesCompleto(t.pendientes, separador_)));
        tabla_->setItem(fila, 3, itemPendientes);
    }

    auto resaltar = [this](std::optional<std::size_t> j, const QColor& fondo) {
        if (!j)
            return;
        for (int c = 0; c < tabla_->columnCount(); ++c) {
            QTableWidgetItem* item = tabla_->item(static_cast<int>(*j), c);
            // Bold survives the selection's colour, the background does not.
            item->setBackground(fondo);
            item->setForeground(QColor(0, 0, 0));
            QFont letra = item->font();
            letra.setBold(true);
            item->setFont(letra);
        }
    };
    resaltar(diametros_.menorConPendiente, kFondoMenorConPendiente);
    resaltar(diametros_.menorQueCumple, kFondoMenorQueCumple);
    auto nombre = [this](std::optional<std::size_t> j) {
        return j ? QStringLiteral("<b>%1</b>")
                       .arg(deUtf8(diametros_.tubos[*j].tubo.nombre).toHtmlEscaped())
                 : QStringLiteral("ninguno");
    };
    const QString muestra = QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;"
                                           "&nbsp;</span>&nbsp;");
    QString resumen = muestra.arg(kFondoMenorQueCumple.name()) +
                      QStringLiteral("Menor tubo que cumple con i = %1: %2")
                          .arg(textoI.toHtmlEscaped(), nombre(diametros_.menorQueCumple)) +
                      QStringLiteral("<br>") + muestra.arg(kFondoMenorConPendiente.name()) +
                      QStringLiteral("Menor tubo con alguna pendiente admisible: %1")
                          .arg(nombre(diametros_.menorConPendiente));
    if (!rutaOtraSerie_.isEmpty() && serieElegida_ == series_->count() - 1) {
        resumen =
            QStringLiteral("Serie leída de %1<br>").arg(rutaOtraSerie_.toHtmlEscaped()) + resumen;
    }
    resumenSerie_->setText(resumen);
    const std::optional<std::size_t> elegido =
        diametros_.menorQueCumple ? diametros_.menorQueCumple : diametros_.menorConPendiente;
    if (elegido) {
        tabla_->selectRow(static_cast<int>(*elegido));
    }
}

void Asistente::elegirSerie(int indice) {
    const int otra = series_->count() - 1;
    if (indice < otra) {
        serie_ = leerSerieIncluida(kSeriesIncluidas[indice]);
        serieElegida_ = indice;
        actualizarTabla();
        return;
    }
    const QString carpeta =
        rutaOtraSerie_.isEmpty() ? carpetaDeDialogos() : QFileInfo(rutaOtraSerie_).absolutePath();
    const QString ruta =
        dialogos_.abrir(QStringLiteral("Abrir serie de diámetros"), carpeta,
                        QStringLiteral("Series de diámetros (*.txt);;Todos los archivos (*)"));
    if (!ruta.isEmpty()) {
        try {
            serie_ = leerSerie(ruta);
            serieElegida_ = otra;
            rutaOtraSerie_ = ruta;
            recordarCarpetaDe(ruta);
            actualizarTabla();
            return;
        } catch (const ErrorArchivo& error) {
            dialogos_.avisarError(QString::fromUtf8(kTitulo), QString::fromUtf8(error.what()));
        }
    }
    series_->setCurrentIndex(serieElegida_); // the table still shows that series
}

void Asistente::aplicarPendiente() {
    if (!textoPendiente_.isEmpty()) {
        escribirComoUsuario("Text18", textoPendiente_);
    }
}

void Asistente::aplicarDiametro() {
    const int fila = tabla_->currentRow();
    if (fila < 0 || static_cast<std::size_t>(fila) >= diametros_.tubos.size()) {
        return;
    }
    escribirComoUsuario(
        "Text34",
        textoDiametro(diametros_.tubos[static_cast<std::size_t>(fila)].tubo.diametro, separador_));
}

void Asistente::escribirComoUsuario(const char* control, const QString& texto) {
    QLineEdit* caja = controles_.texto(control);
    // textChanged is what typing raises and what the main window's reset listens to.
    caja->setText(texto);
    caja->setModified(true);
    actualizar();
}

void Asistente::vaciar(const QString& mensaje) {
    error_->setText(mensaje);
    error_->show();
    eje_->vaciar();
    intervalos_->clear();
    textoPendiente_.clear();
    aplicarPendiente_->setEnabled(false);
    tabla_->setRowCount(0);
    diametros_ = {};
    resumenSerie_->clear();
    aplicarDiametro_->setEnabled(false);
}

} // namespace colvero::ui
