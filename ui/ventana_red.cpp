#include "ui/ventana_red.h"

#include "check/numero.h"
#include "files/archivos.h"
#include "files/escritura.h"
#include "files/hipotesis.h"
#include "files/lectura.h"
#include "files/red.h"
#include "files/serie.h"
#include "gis/capas.h"
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"
#include "note/nota_red.h"
#include "profile/trayecto.h"
#include "ui/asistente.h"
#include "ui/dialogos.h"
#include "ui/hilo_red.h"
#include "ui/marco.h"
#include "ui/modelo_red.h"
#include "ui/plano_red.h"
#include "ui/recientes.h"
#include "ui/ventana_perfil.h"

#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace colvero::ui {
namespace {

constexpr const char* kTitulo = "Comprobar red";
constexpr const char* kSinCriterio =
    "valores iniciales de la ventana (no se ha elegido criterio ni plantilla)";

// P2 before P10, as an engineer numbers manholes: runs of ASCII digits compare by value, the
// rest without case; names equal that way fall back to their code units. (QCollator's numeric
// mode does nothing under the C locale.)
bool antesNatural(const QString& a, const QString& b) {
    const auto digito = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digito(a[i]) && digito(b[j])) {
            while (i < a.size() && a[i] == u'0')
                ++i;
            while (j < b.size() && b[j] == u'0')
                ++j;
            qsizetype fi = i, fj = j;
            while (fi < a.size() && digito(a[fi]))
                ++fi;
            while (fj < b.size() && digito(b[fj]))
                ++fj;
            if (fi - i != fj - j)
                return fi - i < fj - j;
            const int orden = QStringView(a).mid(i, fi - i).compare(QStringView(b).mid(j, fj - j));
            if (orden != 0)
                return orden < 0;
            i = fi;
            j = fj;
            continue;
        }
        const char16_t x = a[i].toCaseFolded().unicode(), y = b[j].toCaseFolded().unicode();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if ((i < a.size()) != (j < b.size()))
        return j < b.size();
    return a < b;
}

bool esPlantilla(const QString& ruta) {
    return ruta.endsWith(QLatin1String(".caVek"), Qt::CaseInsensitive);
}

std::string recortado(const std::string& s) {
    return QByteArray::fromStdString(s).trimmed().toStdString();
}

} // namespace

VentanaRed::VentanaRed(char separadorDecimal, Dialogos& dialogos, CargarTramo cargar,
                       QWidget* padre)
    : QWidget(padre, Qt::Window), separador_(separadorDecimal), dialogos_(dialogos),
      cargar_(std::move(cargar)) {
    construir();
    hilo_ = new HiloRed(this);
    recogida_ = new QTimer(this);
    recogida_->setInterval(100);
    connect(recogida_, &QTimer::timeout, this, &VentanaRed::recoger);
    // The criterion used last, unless it can no longer be read.
    if (const QString recordado = criterioDeRed(); !recordado.isEmpty()) {
        QString error;
        if (!leerCriterioDe(recordado, &error))
            estado_->setText(QStringLiteral("No se ha podido leer el último criterio usado: ") +
                             error);
    }
    ajustarBotones();
}

VentanaRed::~VentanaRed() = default;

void VentanaRed::construir() {
    setObjectName(QStringLiteral("VentanaRed"));
    setWindowTitle(QString::fromUtf8(kTitulo));
    auto* raiz = new QVBoxLayout(this);

    auto* eleccion = new QGridLayout;
    const auto fila = [&](int k, const QString& rotulo, QWidget* valor, QWidget* boton,
                          QWidget* otro = nullptr) {
        auto* rotuloFila = new QLabel(rotulo, this);
        rotuloFila->setBuddy(valor);
        eleccion->addWidget(rotuloFila, k, 0);
        eleccion->addWidget(valor, k, 1);
        if (boton)
            eleccion->addWidget(boton, k, 2);
        if (otro)
            eleccion->addWidget(otro, k, 3);
    };
    const auto etiqueta = [&](const char* nombre) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(nombre));
        l->setTextFormat(Qt::PlainText);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        return l;
    };
    const auto boton = [&](const QString& texto, const char* nombre) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(QLatin1String(nombre));
        return b;
    };

    tabla_ = etiqueta("RutaTabla");
    tabla_->setText(QStringLiteral("(ninguna)"));
    QPushButton* elegirTabla = boton(QStringLiteral("Abrir &tabla, modelo o capa…"), "ElegirTabla");
    elegirTabla->setToolTip(QStringLiteral("Una tabla CSV, un modelo SWMM (.inp) o una capa SIG "
                                           "de tramos (GeoPackage, Shapefile, GeoJSON…)"));
    connect(elegirTabla, &QPushButton::clicked, this, &VentanaRed::elegirTabla);
    fila(0, QStringLiteral("Red:"), tabla_, elegirTabla);

    criterio_ = etiqueta("OrigenCriterio");
    criterio_->setText(QString::fromUtf8(kSinCriterio));
    QPushButton* elegirCriterio =
        boton(QStringLiteral("Elegir c&riterio o plantilla…"), "ElegirCriterio");
    connect(elegirCriterio, &QPushButton::clicked, this, &VentanaRed::elegirCriterio);
    QPushButton* sinCriterio = boton(QStringLiteral("&Valores iniciales"), "SinCriterio");
    sinCriterio->setToolTip(QStringLiteral("Vuelve a los valores iniciales de la ventana"));
    connect(sinCriterio, &QPushButton::clicked, this, &VentanaRed::quitarCriterio);
    fila(1, QStringLiteral("Criterio:"), criterio_, elegirCriterio, sinCriterio);

    series_ = new QComboBox(this);
    series_->setObjectName(QStringLiteral("Serie"));
    series_->addItem(QStringLiteral("Ninguna"));
    for (const SerieIncluida& s : kSeriesIncluidas)
        series_->addItem(QString::fromUtf8(s.nombre));
    series_->addItem(QStringLiteral("Otra serie…"));
    connect(series_, &QComboBox::activated, this, &VentanaRed::elegirSerie);
    pendientes_ = new QCheckBox(QStringLiteral("&Pendientes admisibles"), this);
    pendientes_->setObjectName(QStringLiteral("Pendientes"));
    pendientes_->setChecked(true);
    connect(pendientes_, &QCheckBox::toggled, this, &VentanaRed::descartarResultados);
    fila(2, QStringLiteral("Serie de &diámetros:"), series_, pendientes_);

    // The companions of a model or layer, shown with the kind of source that takes them.
    const auto anotar = [&](std::vector<QWidget*>& grupo, int k) {
        for (int c = 0; c < 4; ++c)
            if (QLayoutItem* item = eleccion->itemAtPosition(k, c); item && item->widget())
                grupo.push_back(item->widget());
    };
    informe_ = etiqueta("RutaInforme");
    QPushButton* elegirInforme = boton(QStringLiteral("Elegir i&nforme…"), "ElegirInforme");
    connect(elegirInforme, &QPushButton::clicked, this, &VentanaRed::elegirInforme);
    QPushButton* sinInforme = boton(QStringLiteral("Quitar"), "QuitarInforme");
    connect(sinInforme, &QPushButton::clicked, this, [this] { ponerInforme(QString()); });
    fila(3, QStringLiteral("Informe SWMM:"), informe_, elegirInforme, sinInforme);
    anotar(deModelo_, 3);

    capa_ = new QComboBox(this);
    capa_->setObjectName(QStringLiteral("Capa"));
    connect(capa_, &QComboBox::activated, this, &VentanaRed::descartarResultados);
    tolerancia_ = new QLineEdit(this);
    tolerancia_->setObjectName(QStringLiteral("Tolerancia"));
    tolerancia_->setText(QStringLiteral("0") + QLatin1Char(separador_) + QStringLiteral("01"));
    tolerancia_->setToolTip(QStringLiteral("Distancia en la que se unen los extremos de los "
                                           "tramos entre sí y con los pozos, en las unidades "
                                           "de la capa (m)"));
    connect(tolerancia_, &QLineEdit::textEdited, this, &VentanaRed::descartarResultados);
    auto* rotuloTolerancia = new QLabel(QStringLiteral("Tolerancia de &unión (m):"), this);
    rotuloTolerancia->setBuddy(tolerancia_);
    fila(4, QStringLiteral("Capa de tramos:"), capa_, rotuloTolerancia, tolerancia_);
    anotar(deCapas_, 4);
    pozos_ = etiqueta("RutaPozos");
    QPushButton* elegirPozos = boton(QStringLiteral("Elegir p&ozos…"), "ElegirPozos");
    connect(elegirPozos, &QPushButton::clicked, this, &VentanaRed::elegirPozos);
    QPushButton* sinPozos = boton(QStringLiteral("Quitar"), "QuitarPozos");
    connect(sinPozos, &QPushButton::clicked, this, [this] { ponerPozos(QString()); });
    fila(5, QStringLiteral("Pozos (capa de puntos):"), pozos_, elegirPozos, sinPozos);
    anotar(deCapas_, 5);

    textoHipotesis_ = etiqueta("OrigenHipotesis");
    QPushButton* elegirHipotesis = boton(QStringLiteral("Elegir &hipótesis…"), "ElegirHipotesis");
    connect(elegirHipotesis, &QPushButton::clicked, this, &VentanaRed::elegirHipotesis);
    QPushButton* editar = boton(QStringLiteral("Ed&itar…"), "EditarHipotesis");
    connect(editar, &QPushButton::clicked, this, &VentanaRed::editarHipotesis);
    fila(6, QStringLiteral("Hipótesis de caudales:"), textoHipotesis_, elegirHipotesis, editar);
    anotar(deGrafo_, 6);
    QPushButton* sinHipotesis = boton(QStringLiteral("Quitar"), "QuitarHipotesis");
    connect(sinHipotesis, &QPushButton::clicked, this, [this] { ponerHipotesis(QString()); });
    eleccion->addWidget(sinHipotesis, 6, 4);
    deGrafo_.push_back(sinHipotesis);
    eleccion->setColumnStretch(1, 1);
    raiz->addLayout(eleccion);

    auto* marcha = new QHBoxLayout;
    comprobar_ = boton(QStringLiteral("&Comprobar"), "Comprobar");
    connect(comprobar_, &QPushButton::clicked, this, &VentanaRed::comprobar);
    cancelar_ = boton(QStringLiteral("C&ancelar"), "Cancelar");
    connect(cancelar_, &QPushButton::clicked, this, &VentanaRed::cancelar);
    progreso_ = new QProgressBar(this);
    progreso_->setObjectName(QStringLiteral("Progreso"));
    progreso_->setRange(0, 1);
    progreso_->setValue(0);
    progreso_->setFormat(QStringLiteral("%v de %m tramos"));
    marcha->addWidget(comprobar_);
    marcha->addWidget(cancelar_);
    marcha->addWidget(progreso_, 1);
    raiz->addLayout(marcha);

    auto* vistaArriba = new QHBoxLayout;
    soloNoCumplen_ = new QCheckBox(QStringLiteral("&Solo los que no cumplen"), this);
    soloNoCumplen_->setObjectName(QStringLiteral("SoloNoCumplen"));
    soloErrores_ = new QCheckBox(QStringLiteral("Solo &los que tienen errores"), this);
    soloErrores_->setObjectName(QStringLiteral("SoloErrores"));
    exportar_ = boton(QStringLiteral("&Exportar resultados…"), "Exportar");
    connect(exportar_, &QPushButton::clicked, this, &VentanaRed::exportarConDialogo);
    vistaArriba->addWidget(soloNoCumplen_);
    vistaArriba->addWidget(soloErrores_);
    perfil_ = boton(QStringLiteral("Per&fil…"), "Perfil");
    perfil_->setToolTip(QStringLiteral("Perfil longitudinal desde el tramo elegido hasta su "
                                       "vertido, o entre dos pozos"));
    auto* menuPerfil = new QMenu(perfil_);
    menuPerfil->setObjectName(QStringLiteral("MenuPerfil"));
    QAction* desdeTramo =
        menuPerfil->addAction(QStringLiteral("&Desde el tramo seleccionado hasta el vertido"));
    desdeTramo->setObjectName(QStringLiteral("PerfilDesdeTramo"));
    connect(desdeTramo, &QAction::triggered, this, [this] {
        const QModelIndex actual = vista_->currentIndex();
        abrirPerfil(actual.isValid() ? filtro_->mapToSource(actual).row() : -1);
    });
    QAction* entrePozos = menuPerfil->addAction(QStringLiteral("&Entre dos pozos…"));
    entrePozos->setObjectName(QStringLiteral("PerfilEntrePozos"));
    connect(entrePozos, &QAction::triggered, this, &VentanaRed::elegirPozosDelPerfil);
    perfil_->setMenu(menuPerfil);
    nota_ = boton(QStringLiteral("Nota de cálculo…"), "NotaRed");
    nota_->setToolTip(QStringLiteral("Nota de cálculo de la red, en PDF"));
    connect(nota_, &QPushButton::clicked, this, [this] {
        const QString ruta =
            dialogos_.guardar(QStringLiteral("Nota de cálculo de la red"), carpetaDeDialogos(),
                              QStringLiteral("Documentos PDF (*.pdf)"));
        if (!ruta.isEmpty() && escribirNota(ruta))
            recordarCarpetaDe(ruta);
    });
    disenar_ = boton(QStringLiteral("Diseñar…"), "Disenar");
    disenar_->setToolTip(QStringLiteral("Elige el tubo de la serie y las cotas de solera de cada "
                                        "tramo para que cumpla todas las condiciones con la "
                                        "menor excavación"));
    connect(disenar_, &QPushButton::clicked, this, &VentanaRed::disenarConDialogo);
    guardarDiseno_ = boton(QStringLiteral("Guardar diseño…"), "GuardarDiseno");
    guardarDiseno_->setToolTip(
        QStringLiteral("La red con los tubos y las cotas del diseño: modelo, capa SIG o tabla"));
    connect(guardarDiseno_, &QPushButton::clicked, this, &VentanaRed::guardarDisenoConDialogo);
    vistaArriba->addStretch(1);
    vistaArriba->addWidget(guardarDiseno_);
    vistaArriba->addWidget(exportar_);
    // Beside the progress bar, which gives way on a narrow screen.
    marcha->addWidget(perfil_);
    marcha->addWidget(nota_);
    marcha->addWidget(disenar_);
    raiz->addLayout(vistaArriba);

    modelo_ = new ModeloRed(this);
    filtro_ = new FiltroRed(this);
    filtro_->setSourceModel(modelo_);
    // The two filters exclude each other: ticking one unticks the other.
    connect(soloNoCumplen_, &QCheckBox::toggled, this, [this](bool activo) {
        if (activo)
            soloErrores_->setChecked(false);
        filtrar();
    });
    connect(soloErrores_, &QCheckBox::toggled, this, [this](bool activo) {
        if (activo)
            soloNoCumplen_->setChecked(false);
        filtrar();
    });

    vista_ = new QTableView(this);
    vista_->setObjectName(QStringLiteral("Tabla"));
    vista_->setModel(filtro_);
    vista_->setSelectionBehavior(QAbstractItemView::SelectRows);
    vista_->setSelectionMode(QAbstractItemView::SingleSelection);
    vista_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vista_->setWordWrap(false);
    vista_->verticalHeader()->hide();
    // Fixed row heights and no fitting to contents: the view never measures every row.
    vista_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    vista_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    vista_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    vista_->horizontalHeader()->setResizeContentsPrecision(60); // rows measured for a width
    vista_->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    vista_->setSortingEnabled(true);
    vista_->setToolTip(QStringLiteral("Doble clic o Intro: abre el tramo en la ventana principal"));
    connect(vista_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& indice) { cargarFila(filtro_->mapToSource(indice).row()); });
    for (const int tecla : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* intro = new QShortcut(QKeySequence(tecla), vista_);
        intro->setContext(Qt::WidgetShortcut);
        connect(intro, &QShortcut::activated, this, [this] {
            const QModelIndex actual = vista_->currentIndex();
            if (actual.isValid())
                cargarFila(filtro_->mapToSource(actual).row());
        });
    }
    // The reach's name and pipe, then the verdicts and what follows them, then the other
    // columns of the table. Widths from the header and, once, from the first rows: never from
    // the whole table.
    connect(modelo_, &QAbstractItemModel::modelReset, this, [this] {
        QHeaderView* cabecera = vista_->horizontalHeader();
        const QFontMetrics medidas = cabecera->fontMetrics();
        const int veredictos = modelo_->columnaVeredicto(1);
        for (int c = 0; c < modelo_->columnCount(); ++c) {
            int ancho =
                medidas.horizontalAdvance(modelo_->headerData(c, Qt::Horizontal).toString()) + 20;
            if (c >= veredictos && c < veredictos + 10)
                ancho = std::max(ancho,
                                 fontMetrics().horizontalAdvance(QStringLiteral("[ERROR]")) + 10);
            vista_->setColumnWidth(c, std::max(ancho, 36));
        }
        std::vector<int> orden{0};
        for (const ColumnaRed c :
             {ColumnaRed::Tramo, ColumnaRed::Nombre, ColumnaRed::D, ColumnaRed::n, ColumnaRed::i}) {
            if (modelo_->columnaEntrada(c) >= 0)
                orden.push_back(modelo_->columnaEntrada(c));
        }
        for (int c = veredictos; c < modelo_->columnCount(); ++c)
            orden.push_back(c);
        for (int c = 1; c < veredictos; ++c) {
            if (std::find(orden.begin(), orden.end(), c) == orden.end())
                orden.push_back(c);
        }
        for (int v = 0; v < static_cast<int>(orden.size()); ++v)
            cabecera->moveSection(cabecera->visualIndex(orden[static_cast<std::size_t>(v)]), v);
    });
    connect(modelo_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int primera, int ultima) {
                ensancharEstado(primera, ultima);
                if (primera != 0)
                    return;
                const int veredictos = modelo_->columnaVeredicto(1);
                for (int c = 0; c < modelo_->columnCount(); ++c) {
                    if ((c >= veredictos && c < veredictos + 10) || c == modelo_->columnaEstado())
                        continue;
                    const int antes = vista_->columnWidth(c);
                    vista_->resizeColumnToContents(c);
                    vista_->setColumnWidth(c, std::clamp(vista_->columnWidth(c), antes, 220));
                }
            });
    // The plan beside the table, for a model or layers with coordinates.
    auto* division = new QSplitter(Qt::Horizontal, this);
    division->setObjectName(QStringLiteral("DivisionPlano"));
    division->setChildrenCollapsible(false);
    division->addWidget(vista_);
    panelPlano_ = new QWidget(division);
    panelPlano_->setObjectName(QStringLiteral("PanelPlano"));
    auto* columnaPlano = new QVBoxLayout(panelPlano_);
    columnaPlano->setContentsMargins(0, 0, 0, 0);
    plano_ = new PlanoRed(panelPlano_);
    plano_->setObjectName(QStringLiteral("Plano"));
    plano_->alElegir = [this](std::size_t enlace) { elegirEnPlano(enlace); };
    columnaPlano->addWidget(plano_, 1);
    avisoPlano_ = etiqueta("AvisoPlano");
    avisoPlano_->setWordWrap(true);
    QPushButton* guardarPlano = boton(QStringLiteral("&Guardar plano…"), "GuardarPlano");
    connect(guardarPlano, &QPushButton::clicked, this, [this] {
        const QString ruta = dialogos_.guardar(
            QStringLiteral("Guardar plano"), carpetaDeDialogos(),
            QStringLiteral("Imágenes PNG (*.png);;Dibujos SVG (*.svg);;Documentos PDF (*.pdf)"));
        if (!ruta.isEmpty() && this->guardarPlano(ruta))
            recordarCarpetaDe(ruta);
    });
    auto* piePlano = new QHBoxLayout;
    piePlano->addWidget(avisoPlano_, 1);
    piePlano->addWidget(guardarPlano);
    columnaPlano->addLayout(piePlano);
    division->addWidget(panelPlano_);
    division->setStretchFactor(0, 3);
    division->setStretchFactor(1, 2);
    panelPlano_->hide();
    connect(soloNoCumplen_, &QCheckBox::toggled, plano_, &PlanoRed::atenuarQueCumplen);
    connect(vista_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& actual) {
                const int fila = filtro_->mapToSource(actual).row();
                if (!panelPlano_->isHidden() && fila >= 0 && fila < modelo_->filas())
                    plano_->resaltar(static_cast<std::size_t>(modelo_->fila(fila).numero - 1));
            });
    raiz->addWidget(division, 1);

    estado_ = etiqueta("Estado");
    estado_->setWordWrap(true);
    estado_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    raiz->addWidget(estado_);
    mostrarOpcionesDeFuente();
    ajustarAPantalla(*this, QSize(1200, 720), parentWidget());
}

void VentanaRed::ajustarBotones() {
    const bool enMarcha = enCurso();
    for (const char* nombre :
         {"ElegirTabla", "ElegirCriterio", "SinCriterio", "ElegirInforme", "QuitarInforme",
          "ElegirPozos", "QuitarPozos", "ElegirHipotesis", "EditarHipotesis", "QuitarHipotesis"})
        findChild<QPushButton*>(QLatin1String(nombre))->setEnabled(!enMarcha);
    capa_->setEnabled(!enMarcha && capa_->count() > 1);
    tolerancia_->setEnabled(!enMarcha);
    series_->setEnabled(!enMarcha);
    pendientes_->setEnabled(!enMarcha);
    comprobar_->setEnabled(!enMarcha && !rutaTabla_.isEmpty());
    cancelar_->setEnabled(enMarcha);
    exportar_->setEnabled(!enMarcha && terminada_);
    nota_->setEnabled(!enMarcha && terminada_);
    const bool grafo = !rutaTabla_.isEmpty() &&
                       red::tipoDeFuente(QFile::encodeName(rutaTabla_)) != red::TipoFuente::Tabla;
    disenar_->setEnabled(!enMarcha && grafo && serie_.has_value());
    guardarDiseno_->setEnabled(!enMarcha && terminada_ && hilo_ && hilo_->ejecucion() &&
                               hilo_->ejecucion()->diseno);
    perfil_->setEnabled(!enMarcha && terminada_ && hilo_ && hilo_->ejecucion() &&
                        hilo_->ejecucion()->grafo);
}

void VentanaRed::elegirTabla() {
    const QString ruta = dialogos_.abrir(
        QStringLiteral("Abrir la red"), carpetaDeDialogos(),
        QStringLiteral("Redes (*.csv *.inp *.gpkg *.shp *.geojson *.json);;Tablas CSV (*.csv);;"
                       "Modelos SWMM (*.inp);;Capas SIG (*.gpkg *.shp *.geojson *.json);;"
                       "Todos los archivos (*)"));
    if (!ruta.isEmpty()) {
        recordarCarpetaDe(ruta);
        ponerTabla(ruta);
    }
}

void VentanaRed::ponerTabla(const QString& ruta) {
    descartarResultados();
    rutaTabla_ = ruta;
    tabla_->setText(ruta);
    tabla_->setToolTip(ruta);
    capa_->clear();
    if (red::tipoDeFuente(QFile::encodeName(ruta)) == red::TipoFuente::CapasSig) {
        try {
            for (const std::string& c : gis::capasDe(QFile::encodeName(ruta)))
                capa_->addItem(QString::fromStdString(c));
        } catch (const ErrorArchivo&) {
            // Reported with the whole message when the check reads the file.
        }
    }
    mostrarOpcionesDeFuente();
    ajustarBotones();
}

void VentanaRed::mostrarOpcionesDeFuente() {
    const red::TipoFuente tipo = rutaTabla_.isEmpty()
                                     ? red::TipoFuente::Tabla
                                     : red::tipoDeFuente(QFile::encodeName(rutaTabla_));
    for (QWidget* w : deModelo_)
        w->setVisible(tipo == red::TipoFuente::ModeloSwmm);
    for (QWidget* w : deCapas_)
        w->setVisible(tipo == red::TipoFuente::CapasSig);
    for (QWidget* w : deGrafo_)
        w->setVisible(tipo != red::TipoFuente::Tabla);
    const auto ruta = [](QLabel* l, const QString& r, const QString& ninguna) {
        l->setText(r.isEmpty() ? ninguna : r);
        l->setToolTip(r);
    };
    ruta(informe_, rutaInforme_,
         QStringLiteral("(ninguno: los caudales vienen del modelo o de la hipótesis)"));
    ruta(pozos_, rutaPozos_, QStringLiteral("(ninguna: los nodos son los extremos de los tramos)"));
    ruta(textoHipotesis_, rutaHipotesis_,
         hipotesis_ ? QStringLiteral("editada en esta ventana")
                    : QStringLiteral("(ninguna: los caudales vienen de la fuente o del "
                                     "informe)"));
}

void VentanaRed::elegirInforme() {
    const QString ruta =
        dialogos_.abrir(QStringLiteral("Abrir informe SWMM"), carpetaDeDialogos(),
                        QStringLiteral("Informes SWMM (*.rpt);;Todos los archivos (*)"));
    if (!ruta.isEmpty() && ponerInforme(ruta))
        recordarCarpetaDe(ruta);
}

bool VentanaRed::ponerInforme(const QString& ruta) {
    if (!ruta.isEmpty()) {
        try {
            (void)leerInformeSwmm(QFile::encodeName(ruta));
        } catch (const ErrorArchivo& e) {
            dialogos_.avisarError(QString::fromUtf8(kTitulo), QString::fromUtf8(e.what()));
            return false;
        }
    }
    descartarResultados();
    rutaInforme_ = ruta;
    mostrarOpcionesDeFuente();
    return true;
}

void VentanaRed::elegirPozos() {
    const QString ruta = dialogos_.abrir(
        QStringLiteral("Abrir la capa de pozos"), carpetaDeDialogos(),
        QStringLiteral("Capas SIG (*.gpkg *.shp *.geojson *.json);;Todos los archivos (*)"));
    if (!ruta.isEmpty()) {
        recordarCarpetaDe(ruta);
        ponerPozos(ruta);
    }
}

void VentanaRed::ponerPozos(const QString& ruta) {
    descartarResultados();
    rutaPozos_ = ruta;
    mostrarOpcionesDeFuente();
}

void VentanaRed::elegirHipotesis() {
    const QString ruta =
        dialogos_.abrir(QStringLiteral("Abrir hipótesis de caudales"), carpetaDeDialogos(),
                        QStringLiteral("Hipótesis de caudales (*.txt);;Todos los archivos (*)"));
    if (!ruta.isEmpty() && ponerHipotesis(ruta))
        recordarCarpetaDe(ruta);
}

bool VentanaRed::ponerHipotesis(const QString& ruta) {
    std::optional<red::Hipotesis> leida;
    if (!ruta.isEmpty()) {
        try {
            leida = leerHipotesis(QFile::encodeName(ruta));
        } catch (const ErrorArchivo& e) {
            dialogos_.avisarError(QString::fromUtf8(kTitulo), QString::fromUtf8(e.what()));
            return false;
        }
    }
    descartarResultados();
    hipotesis_ = leida;
    rutaHipotesis_ = ruta;
    mostrarOpcionesDeFuente();
    return true;
}

bool VentanaRed::ponerTextoHipotesis(const QString& texto, QString* error) {
    const QByteArray bytes = texto.toUtf8();
    red::Hipotesis h;
    try {
        h = hipotesisDeBytes(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                             QStringLiteral("la hipótesis"));
    } catch (const ErrorArchivo& e) {
        if (error)
            *error = QString::fromUtf8(e.what());
        return false;
    }
    if (hipotesis_ != h) {
        descartarResultados();
        hipotesis_ = h;
        rutaHipotesis_.clear();
    }
    mostrarOpcionesDeFuente();
    return true;
}

void VentanaRed::editarHipotesis() {
    auto* dialogo = new QDialog(this);
    dialogo->setObjectName(QStringLiteral("EditorHipotesis"));
    dialogo->setWindowTitle(QStringLiteral("Hipótesis de caudales"));
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    auto* raiz = new QVBoxLayout(dialogo);
    auto* ayuda = new QLabel(
        QStringLiteral("Una «clave = valor» por línea; # empieza un comentario. Caudales en "
                       "m3/s; las condiciones toman calculo, punta, minimo, medio o maximo."),
        dialogo);
    ayuda->setWordWrap(true);
    raiz->addWidget(ayuda);
    auto* texto = new QPlainTextEdit(dialogo);
    texto->setObjectName(QStringLiteral("TextoHipotesis"));
    texto->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    texto->setPlainText(
        QString::fromStdString(textoDeHipotesis(hipotesis_.value_or(red::Hipotesis{}))));
    raiz->addWidget(texto, 1);
    auto* fallo = new QLabel(dialogo);
    fallo->setObjectName(QStringLiteral("FalloHipotesis"));
    fallo->setWordWrap(true);
    fallo->setTextFormat(Qt::PlainText);
    raiz->addWidget(fallo);
    auto* botones = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save, dialogo);
    botones->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Aceptar"));
    botones->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    botones->button(QDialogButtonBox::Save)->setText(QStringLiteral("Guardar como…"));
    raiz->addWidget(botones);
    connect(botones, &QDialogButtonBox::rejected, dialogo, &QDialog::reject);
    connect(botones, &QDialogButtonBox::accepted, dialogo, [this, dialogo, texto, fallo] {
        QString error;
        if (ponerTextoHipotesis(texto->toPlainText(), &error))
            dialogo->accept();
        else
            fallo->setText(error);
    });
    connect(botones->button(QDialogButtonBox::Save), &QPushButton::clicked, dialogo,
            [this, texto, fallo] {
                QString error;
                if (!ponerTextoHipotesis(texto->toPlainText(), &error)) {
                    fallo->setText(error);
                    return;
                }
                const QString ruta = dialogos_.guardar(
                    QStringLiteral("Guardar hipótesis de caudales"), carpetaDeDialogos(),
                    QStringLiteral("Hipótesis de caudales (*.txt);;Todos los archivos (*)"));
                if (ruta.isEmpty())
                    return;
                try {
                    EscrituraAtomica escritura(QFile::encodeName(ruta), ruta);
                    escritura.escribir(textoDeHipotesis(*hipotesis_));
                    escritura.confirmar();
                } catch (const ErrorArchivo& e) {
                    fallo->setText(QString::fromUtf8(e.what()));
                    return;
                }
                recordarCarpetaDe(ruta);
                rutaHipotesis_ = ruta;
                mostrarOpcionesDeFuente();
                fallo->setText(QStringLiteral("Guardada en %1").arg(ruta));
            });
    ajustarAPantalla(*dialogo, QSize(520, 420), this);
    dialogo->open();
}

void VentanaRed::elegirCriterio() {
    const QString ruta = dialogos_.abrir(
        QStringLiteral("Abrir criterio o plantilla"), carpetaDeDialogos(),
        QStringLiteral("Criterios y cálculos (*.CrVek *.caVek);;Criterios (*.CrVek);;"
                       "Cálculos (*.caVek);;Todos los archivos (*)"));
    if (!ruta.isEmpty() && ponerCriterio(ruta))
        recordarCarpetaDe(ruta);
}

bool VentanaRed::ponerCriterio(const QString& ruta) {
    QString error;
    if (!leerCriterioDe(ruta, &error)) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo), error);
        return false;
    }
    recordarCriterioDeRed(ruta);
    return true;
}

bool VentanaRed::leerCriterioDe(const QString& ruta, QString* error) {
    Criterio leido;
    try {
        leido = esPlantilla(ruta) ? leerCalculo(ruta, separador_).criterio
                                  : leerCriterio(ruta, separador_);
    } catch (const ErrorArchivo& e) {
        *error = QString::fromUtf8(e.what());
        return false;
    }
    descartarResultados();
    criterioElegido_ = std::move(leido);
    rutaCriterio_ = ruta;
    criterio_->setText(esPlantilla(ruta) ? QStringLiteral("el de la plantilla %1").arg(ruta)
                                         : ruta);
    return true;
}

void VentanaRed::quitarCriterio() {
    descartarResultados();
    criterioElegido_.reset();
    rutaCriterio_.clear();
    criterio_->setText(QString::fromUtf8(kSinCriterio));
    recordarCriterioDeRed(QString());
}

void VentanaRed::descartarResultados() {
    if (enCurso() || (!terminada_ && modelo_->filas() == 0 && !empezada_))
        return;
    terminada_ = false;
    empezada_ = false;
    descripcionFormato_.clear();
    avisosFuente_.clear();
    modelo_->vaciar();
    panelPlano_->hide();
    progreso_->setRange(0, 1);
    progreso_->setValue(0);
    estado_->setText(QStringLiteral("Los datos de la comprobación han cambiado: pulse "
                                    "«Comprobar» para comprobar la red con ellos."));
    ajustarBotones();
}

void VentanaRed::filtrar() {
    filtro_->mostrar(soloErrores_->isChecked()     ? FiltroRed::Mostrar::ConErrores
                     : soloNoCumplen_->isChecked() ? FiltroRed::Mostrar::NoCumplen
                                                   : FiltroRed::Mostrar::Todos);
}

void VentanaRed::ensancharEstado(int primera, int ultima) {
    const int columna = modelo_->columnaEstado();
    const QFontMetrics medidas = vista_->fontMetrics();
    int ancho = vista_->columnWidth(columna);
    for (int k = primera; k <= ultima; ++k) {
        const FilaRedComprobada& f = modelo_->fila(k);
        if (f.codigo == 2 || k == 0)
            ancho = std::max(ancho, medidas.horizontalAdvance(QString::fromStdString(f.estado)) +
                                        2 * vista_->style()->pixelMetric(
                                                QStyle::PM_FocusFrameHMargin, nullptr, vista_) +
                                        12);
    }
    if (ancho != vista_->columnWidth(columna))
        vista_->setColumnWidth(columna, ancho);
}

void VentanaRed::elegirSerie(int indice) {
    const int otra = series_->count() - 1;
    if (indice == 0) {
        descartarResultados();
        serie_.reset();
        nombreSerie_.clear();
        serieElegida_ = 0;
        ajustarBotones();
        return;
    }
    if (indice < otra) {
        const SerieIncluida& s = kSeriesIncluidas[indice - 1];
        descartarResultados();
        serie_ = leerSerieIncluida(s);
        nombreSerie_ = QString::fromUtf8(s.nombre);
        serieElegida_ = indice;
        ajustarBotones();
        return;
    }
    const QString ruta =
        dialogos_.abrir(QStringLiteral("Abrir serie de diámetros"), carpetaDeDialogos(),
                        QStringLiteral("Series de diámetros (*.txt);;Todos los archivos (*)"));
    if (ruta.isEmpty() || !ponerSerie(ruta))
        series_->setCurrentIndex(serieElegida_);
}

bool VentanaRed::ponerSerie(const QString& ruta) {
    try {
        serie_ = leerSerie(ruta);
    } catch (const ErrorArchivo& error) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo), QString::fromUtf8(error.what()));
        return false;
    }
    descartarResultados();
    nombreSerie_ = ruta;
    serieElegida_ = series_->count() - 1;
    series_->setCurrentIndex(serieElegida_);
    ajustarBotones();
    return true;
}

bool VentanaRed::enCurso() const {
    return hilo_->enCurso();
}

void VentanaRed::comprobar() {
    empezar(std::nullopt);
}

void VentanaRed::empezar(std::optional<diseno::Limites> limites) {
    if (enCurso() || rutaTabla_.isEmpty())
        return;
    PeticionRed p;
    p.ruta = rutaTabla_;
    p.fuente.dialecto = separador_ == ',' ? DialectoRed{';', ','} : DialectoRed{',', '.'};
    p.fuente.informe = QFile::encodeName(rutaInforme_);
    p.fuente.pozos = QFile::encodeName(rutaPozos_);
    p.fuente.hipotesisDada = hipotesis_;
    if (capa_->count() > 1)
        p.fuente.capa = capa_->currentText().toStdString();
    if (red::tipoDeFuente(QFile::encodeName(rutaTabla_)) == red::TipoFuente::CapasSig) {
        const std::optional<double> t = leerNumero(tolerancia_->text().toStdString(), separador_);
        if (!t || !(*t > 0)) {
            dialogos_.avisarError(QString::fromUtf8(kTitulo),
                                  QStringLiteral("La tolerancia de unión «%1» no sirve: escriba "
                                                 "una distancia positiva en metros, como 0")
                                          .arg(tolerancia_->text()) +
                                      QLatin1Char(separador_) + QStringLiteral("01."));
            return;
        }
        p.fuente.tolerancia = *t;
    }
    p.opciones.sep = separador_;
    p.opciones.pendientes = pendientes_->isChecked();
    p.opciones.conSerie = serie_.has_value();
    p.opciones.csv = true; // kept per row for «Exportar resultados…»
    std::string error;
    std::optional<red::CriterioListo> base =
        red::prepararCriterio(criterioElegido_.value_or(Criterio()), separador_, error);
    if (!base) {
        dialogos_.avisarError(
            QString::fromUtf8(kTitulo),
            QStringLiteral("El criterio no sirve: %1").arg(QString::fromStdString(error)));
        return;
    }
    if (criterioElegido_ && !esPlantilla(rutaCriterio_))
        base->rutaNativa = QFile::encodeName(rutaCriterio_);
    p.base = std::move(*base);
    if (serie_)
        p.serie = *serie_;
    p.origenCriterio = criterio_->text();
    p.nombreSerie = nombreSerie_;
    p.diseno = std::move(limites);
    const bool conDiseno = p.diseno.has_value();

    terminada_ = false;
    empezada_ = false;
    descripcionFormato_.clear();
    avisosFuente_.clear();
    modelo_->vaciar();
    progreso_->setRange(0, 0); // until the first pass has counted the rows
    progreso_->setFormat(conDiseno ? QStringLiteral("Diseñando: %v de %m tramos")
                                   : QStringLiteral("%v de %m tramos"));
    estado_->setText(conDiseno ? QStringLiteral("Diseñando la red…")
                               : QStringLiteral("Leyendo la tabla…"));
    hilo_->empezar(
        std::move(p),
        [this](const CabeceraRed& cab) {
            modelo_->empezar(cab, hilo_->ejecucion()->peticion.opciones, hilo_->ejecucion());
            if (hilo_->ejecucion()->diseno)
                modelo_->ponerDiseno(hilo_->ejecucion()->diseno);
            progreso_->setFormat(QStringLiteral("%v de %m tramos"));
            empezada_ = true;
            empezarPlano();
            if (const std::shared_ptr<const DisenoMostrado>& d = hilo_->ejecucion()->diseno;
                d && !panelPlano_->isHidden()) {
                std::vector<int> tubo(d->deEnlace.size(), -1);
                for (std::size_t k = 0; k < tubo.size(); ++k) {
                    if (const diseno::TramoDisenado* t = d->de(k); t && t->sinDiseno.empty())
                        tubo[k] = static_cast<int>(t->tubo);
                }
                std::vector<QString> nombres;
                for (const Tubo& t : d->serie)
                    nombres.push_back(QString::fromStdString(t.nombre));
                plano_->colorearPorTubo(tubo, nombres);
            }
            const std::shared_ptr<const red::RedGrafo>& g = hilo_->ejecucion()->grafo;
            descripcionFormato_ = g ? QString::fromStdString(red::describir(*g)) : describir(cab);
            avisosFuente_.clear();
            if (g) {
                // The counts first, then a few of the problems: the rest in colvero-check.
                constexpr std::size_t kMostrados = 6;
                for (std::size_t k = 0; k < g->avisos.size() && k < kMostrados; ++k)
                    avisosFuente_ += QStringLiteral("\n") + QString::fromStdString(g->avisos[k]);
                if (g->avisos.size() > kMostrados)
                    avisosFuente_ += QStringLiteral("\n… y %1 avisos más de la red.")
                                         .arg(g->avisos.size() - kMostrados);
            }
            progreso_->setRange(0, static_cast<int>(std::min<qint64>(cab.filas, INT_MAX)));
            progreso_->setValue(0);
            actualizarEstado();
        },
        [this](bool cancelada, const QString& fallo) { alTerminar(cancelada, fallo); });
    recogida_->start();
    ajustarBotones();
}

void VentanaRed::recoger() {
    if (!empezada_) {
        const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
        if (e && e->peticion.diseno && e->porDisenar > 0) {
            progreso_->setRange(0, static_cast<int>(std::min<std::size_t>(e->porDisenar, INT_MAX)));
            progreso_->setValue(static_cast<int>(std::min<std::size_t>(e->disenados, INT_MAX)));
        }
        return;
    }
    std::vector<FilaRedComprobada> filas = hilo_->recoger();
    if (filas.empty())
        return;
    if (!panelPlano_->isHidden()) {
        for (const FilaRedComprobada& f : filas)
            plano_->ponerEstado(static_cast<std::size_t>(f.numero - 1),
                                f.omitido       ? EstadoPlano::Omitido
                                : f.codigo == 0 ? EstadoPlano::Cumple
                                : f.codigo == 1 ? EstadoPlano::NoCumple
                                                : EstadoPlano::NoComprobado);
    }
    modelo_->anadir(std::move(filas));
    progreso_->setValue(std::min(modelo_->filas(), progreso_->maximum()));
    actualizarEstado();
}

void VentanaRed::alTerminar(bool cancelada, const QString& error) {
    recogida_->stop();
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    if (e && e->peticion.diseno && (cancelada || !error.isEmpty())) {
        // Half a design is no design: nothing of it stays shown.
        terminada_ = false;
        empezada_ = false;
        modelo_->vaciar();
        panelPlano_->hide();
        progreso_->setRange(0, 1);
        progreso_->setValue(0);
        progreso_->setFormat(QStringLiteral("%v de %m tramos"));
        ajustarBotones();
        if (cancelada) {
            estado_->setText(QStringLiteral("Diseño cancelado: no se muestra ningún diseño."));
        } else {
            estado_->setText(QStringLiteral("No se ha podido diseñar la red: ") + error);
            dialogos_.avisarError(QString::fromUtf8(kTitulo), error);
        }
        return;
    }
    recoger();
    terminada_ = !cancelada && error.isEmpty();
    if (!error.isEmpty()) {
        progreso_->setRange(0, 1);
        progreso_->setValue(0);
    }
    actualizarEstado();
    if (cancelada)
        estado_->setText(QStringLiteral("Comprobación cancelada: %1 de %2 tramos comprobados.\n")
                             .arg(modelo_->filas())
                             .arg(modelo_->cabecera().filas) +
                         estado_->text());
    ajustarBotones();
    if (!error.isEmpty()) {
        estado_->setText(QStringLiteral("No se ha podido comprobar la red: ") + error);
        dialogos_.avisarError(QString::fromUtf8(kTitulo), error);
    }
}

void VentanaRed::actualizarEstado() {
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    if (!e)
        return;
    const std::array<qint64, 3>& c = modelo_->porCodigo();
    QString texto = QStringLiteral("Tramos: %1 de %2; cumplen %3, no cumplen %4, no se han "
                                   "podido comprobar %5")
                        .arg(modelo_->filas())
                        .arg(modelo_->cabecera().filas)
                        .arg(c[0])
                        .arg(c[1])
                        .arg(c[2]);
    if (modelo_->omitidos() > 0)
        texto += QStringLiteral(", no se comprueban %1").arg(modelo_->omitidos());
    if (!descripcionFormato_.isEmpty())
        texto += QStringLiteral("\nFormato: ") + descripcionFormato_ + avisosFuente_;
    texto += QStringLiteral("\nCriterio: ") + e->peticion.origenCriterio;
    if (!e->peticion.nombreSerie.isEmpty())
        texto += QStringLiteral("\nSerie: ") + e->peticion.nombreSerie;
    if (e->diseno)
        texto += QStringLiteral("\n") + resumenDeDiseno();
    if (!sinPlano_.isEmpty())
        texto += QStringLiteral("\n") + sinPlano_;
    estado_->setText(texto);
}

void VentanaRed::cancelar() {
    if (enCurso()) {
        hilo_->cancelar();
        cancelar_->setEnabled(false);
    }
}

void VentanaRed::closeEvent(QCloseEvent* evento) {
    cancelar();
    QWidget::closeEvent(evento);
}

void VentanaRed::exportarConDialogo() {
    const QString ruta = dialogos_.guardar(
        QStringLiteral("Exportar resultados"), carpetaDeDialogos(),
        QStringLiteral("Tablas CSV (*.csv);;Todos los archivos (*)"), Guardado::Preguntando);
    if (!ruta.isEmpty() && exportar(ruta))
        recordarCarpetaDe(ruta);
}

bool VentanaRed::exportar(const QString& ruta) {
    if (!terminada_ || enCurso()) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo),
                              QStringLiteral("No hay resultados que exportar: la comprobación de "
                                             "la red no ha terminado."));
        return false;
    }
    for (const QString& entrada :
         {rutaTabla_, rutaCriterio_, nombreSerie_, rutaInforme_, rutaPozos_, rutaHipotesis_}) {
        if (mismoArchivo(QFile::encodeName(ruta), QFile::encodeName(entrada))) {
            dialogos_.avisarError(QString::fromUtf8(kTitulo),
                                  QStringLiteral("No se han exportado los resultados: «%1» es el "
                                                 "mismo archivo que «%2», que la comprobación ha "
                                                 "leído. Elija otro nombre.")
                                      .arg(ruta, entrada));
            return false;
        }
    }
    try {
        EscrituraAtomica escritura(QFile::encodeName(ruta), ruta);
        std::string texto = red::cabeceraCsv(modelo_->cabecera(), modelo_->opciones());
        for (int k = 0; k < modelo_->filas(); ++k) {
            texto += modelo_->fila(k).csv;
            if (texto.size() >= 64 * 1024) {
                escritura.escribir(texto);
                texto.clear();
            }
        }
        escritura.escribir(texto);
        escritura.confirmar();
    } catch (const ErrorArchivo& error) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo),
                              QStringLiteral("No se han podido exportar los resultados. ") +
                                  QString::fromUtf8(error.what()));
        return false;
    }
    guardarHipotesisJunto(ruta);
    return true;
}

QString VentanaRed::entradaLeida(const QString& ruta) const {
    for (const QString& entrada :
         {rutaTabla_, rutaCriterio_, nombreSerie_, rutaInforme_, rutaPozos_, rutaHipotesis_}) {
        if (mismoArchivo(QFile::encodeName(ruta), QFile::encodeName(entrada)))
            return entrada;
    }
    return {};
}

void VentanaRed::guardarHipotesisJunto(const QString& resultados) {
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    if (!e || !e->grafo || !e->grafo->hipotesis)
        return;
    const QFileInfo info(resultados);
    const QString ruta =
        info.dir().filePath(info.completeBaseName() + QStringLiteral(".hipotesis.txt"));
    const std::string texto = textoDeHipotesis(*e->grafo->hipotesis);
    QFile existente(ruta);
    if (existente.exists()) {
        if (existente.open(QIODevice::ReadOnly) &&
            existente.readAll() == QByteArray::fromStdString(texto))
            return;
        if (!dialogos_.confirmar(QString::fromUtf8(kTitulo),
                                 QStringLiteral("Ya existe «%1». ¿Reemplazarlo con la hipótesis "
                                                "de caudales de esta comprobación?")
                                     .arg(ruta)))
            return;
    }
    try {
        EscrituraAtomica escritura(QFile::encodeName(ruta), ruta);
        escritura.escribir(texto);
        escritura.confirmar();
    } catch (const ErrorArchivo& error) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo),
                              QStringLiteral("Los resultados se han exportado, pero no la "
                                             "hipótesis de caudales. ") +
                                  QString::fromUtf8(error.what()));
    }
}

void VentanaRed::empezarPlano() {
    const std::shared_ptr<const red::RedGrafo>& g = hilo_->ejecucion()->grafo;
    sinPlano_.clear();
    if (!g) {
        panelPlano_->hide();
        sinPlano_ = QStringLiteral("Sin plano: una tabla no da la posición de los tramos; el "
                                   "plano se dibuja con un modelo SWMM o una capa SIG.");
        return;
    }
    plano_->mostrar(g->modelo);
    plano_->atenuarQueCumplen(soloNoCumplen_->isChecked());
    if (!plano_->tieneCoordenadas()) {
        panelPlano_->hide();
        sinPlano_ = QStringLiteral("Sin plano: ") + plano_->motivoSinPlano();
        return;
    }
    avisoPlano_->setText(plano_->motivoSinPlano());
    panelPlano_->show();
}

void VentanaRed::elegirEnPlano(std::size_t enlace) {
    // The rows of a model come in the order of its links.
    if (enlace >= static_cast<std::size_t>(modelo_->filas()))
        return;
    const QModelIndex fuente = modelo_->index(static_cast<int>(enlace), 0);
    if (!filtro_->mapFromSource(fuente).isValid()) {
        // A reach the filter hides: the table shows every reach again to select it.
        soloNoCumplen_->setChecked(false);
        soloErrores_->setChecked(false);
    }
    const QModelIndex indice = filtro_->mapFromSource(fuente);
    vista_->setCurrentIndex(indice);
    vista_->scrollTo(indice);
}

bool VentanaRed::guardarPlano(const QString& ruta) {
    QString error;
    if (panelPlano_->isHidden())
        error = QStringLiteral("No hay plano que guardar. ") + sinPlano_;
    else if (plano_->guardar(ruta, error))
        return true;
    dialogos_.avisarError(QString::fromUtf8(kTitulo), error);
    return false;
}

const red::RedGrafo* VentanaRed::grafoDelPerfil(QString* error) const {
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    if (!terminada_ || !e || !e->grafo) {
        *error = QStringLiteral("El perfil se dibuja tras comprobar un modelo o una capa.");
        return nullptr;
    }
    return e->grafo.get();
}

QWidget* VentanaRed::mostrarPerfil(const perfil::Trayecto& trayecto, const QString& titulo) {
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    const red::RedGrafo& g = *e->grafo;
    perfil::Perfil p =
        perfil::perfilDe(g, trayecto,
                         perfil::comprobarTrayecto(g, trayecto, QFile::encodeName(rutaTabla_),
                                                   e->peticion.base, e->peticion.opciones));
    auto* ventana = new VentanaPerfil(
        std::move(p), titulo + QStringLiteral(" (%1)").arg(QFileInfo(e->peticion.ruta).fileName()),
        separador_, dialogos_, this);
    ventana->show();
    return ventana;
}

QWidget* VentanaRed::abrirPerfil(int fila) {
    QString error;
    const red::RedGrafo* g = grafoDelPerfil(&error);
    if (g && (fila < 0 || fila >= modelo_->filas()))
        error = QStringLiteral("Elija en la tabla o en el plano el tramo desde el que empieza el "
                               "perfil.");
    if (!error.isEmpty()) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo), error);
        return nullptr;
    }
    const std::string& tramo =
        g->tramos[static_cast<std::size_t>(modelo_->fila(fila).numero - 1)].tramo;
    perfil::Trayecto tr;
    try {
        tr = perfil::trazarTrayecto(g->modelo, g->topologia, tramo);
    } catch (const perfil::ErrorTrayecto& fallo) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo),
                              QStringLiteral("No hay perfil: ") +
                                  QString::fromStdString(fallo.mensaje));
        return nullptr;
    }
    return mostrarPerfil(tr, QStringLiteral("Perfil longitudinal desde el tramo «%1»")
                                 .arg(QString::fromStdString(tramo)));
}

QWidget* VentanaRed::abrirPerfilEntre(const QString& desde, const QString& hasta, QString* error) {
    const red::RedGrafo* g = grafoDelPerfil(error);
    if (!g)
        return nullptr;
    const QString a = desde.trimmed(), b = hasta.trimmed();
    if (a.isEmpty() || b.isEmpty()) {
        *error = QStringLiteral("Escriba o elija los dos pozos del perfil.");
        return nullptr;
    }
    // The profile runs downstream whichever of the two is given first.
    perfil::Trayecto tr;
    try {
        tr = perfil::trazarTrayecto(g->modelo, g->topologia, a.toStdString(), b.toStdString());
    } catch (const perfil::ErrorTrayecto& fallo) {
        try {
            tr = perfil::trazarTrayecto(g->modelo, g->topologia, b.toStdString(), a.toStdString());
        } catch (const perfil::ErrorTrayecto&) {
            *error = QStringLiteral("No hay perfil: ") + QString::fromStdString(fallo.mensaje);
            return nullptr;
        }
    }
    const auto nombre = [&](int nodo) {
        return QString::fromStdString(g->modelo.nodos[static_cast<std::size_t>(nodo)].id);
    };
    return mostrarPerfil(tr, QStringLiteral("Perfil longitudinal de «%1» a «%2»")
                                 .arg(nombre(tr.nodos.front()), nombre(tr.nodos.back())));
}

QDialog* VentanaRed::elegirPozosDelPerfil() {
    QString error;
    const red::RedGrafo* g = grafoDelPerfil(&error);
    if (!g) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo), error);
        return nullptr;
    }
    QStringList nodos;
    nodos.reserve(static_cast<qsizetype>(g->modelo.nodos.size()));
    for (const red::Nodo& n : g->modelo.nodos)
        nodos << QString::fromStdString(n.id);
    std::sort(nodos.begin(), nodos.end(), antesNatural);

    // Starts from the chosen reach: its upstream node and its outfall.
    QString inicio, fin;
    if (const QModelIndex actual = vista_->currentIndex(); actual.isValid()) {
        const int fila = filtro_->mapToSource(actual).row();
        const red::TramoGrafo& t =
            g->tramos[static_cast<std::size_t>(modelo_->fila(fila).numero - 1)];
        try {
            const perfil::Trayecto tr = perfil::trazarTrayecto(g->modelo, g->topologia, t.tramo);
            inicio = QString::fromStdString(
                g->modelo.nodos[static_cast<std::size_t>(tr.nodos.front())].id);
            fin = QString::fromStdString(
                g->modelo.nodos[static_cast<std::size_t>(tr.nodos.back())].id);
        } catch (const perfil::ErrorTrayecto&) {
            inicio = QString::fromStdString(t.desde);
        }
    }

    auto* dialogo = new QDialog(this);
    dialogo->setObjectName(QStringLiteral("PozosDelPerfil"));
    dialogo->setWindowTitle(QStringLiteral("Perfil entre dos pozos"));
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    auto* raiz = new QVBoxLayout(dialogo);
    auto* rejilla = new QGridLayout;
    const auto pozo = [&](int fila, const QString& rotulo, const char* nombre,
                          const QString& valor) {
        auto* caja = new QComboBox(dialogo);
        caja->setObjectName(QLatin1String(nombre));
        caja->setEditable(true);
        caja->setInsertPolicy(QComboBox::NoInsert);
        caja->addItems(nodos);
        caja->completer()->setCompletionMode(QCompleter::PopupCompletion);
        caja->completer()->setFilterMode(Qt::MatchContains);
        caja->completer()->setCaseSensitivity(Qt::CaseInsensitive);
        caja->setCurrentText(valor);
        auto* etiqueta = new QLabel(rotulo, dialogo);
        etiqueta->setBuddy(caja);
        rejilla->addWidget(etiqueta, fila, 0);
        rejilla->addWidget(caja, fila, 1);
        return caja;
    };
    QComboBox* desde = pozo(0, QStringLiteral("&Desde el pozo:"), "PozoDesde", inicio);
    QComboBox* hasta = pozo(1, QStringLiteral("&Hasta el pozo:"), "PozoHasta", fin);
    rejilla->setColumnStretch(1, 1);
    raiz->addLayout(rejilla);
    auto* fallo = new QLabel(dialogo);
    fallo->setObjectName(QStringLiteral("FalloPerfil"));
    fallo->setWordWrap(true);
    fallo->setTextFormat(Qt::PlainText);
    raiz->addWidget(fallo);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialogo);
    botones->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Dibujar perfil"));
    botones->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    raiz->addWidget(botones);
    connect(botones, &QDialogButtonBox::rejected, dialogo, &QDialog::reject);
    connect(botones, &QDialogButtonBox::accepted, dialogo, [this, dialogo, desde, hasta, fallo] {
        QString error;
        if (abrirPerfilEntre(desde->currentText(), hasta->currentText(), &error))
            dialogo->accept();
        else
            fallo->setText(error);
    });
    ajustarAPantalla(*dialogo, QSize(440, 180), this);
    dialogo->open();
    return dialogo;
}

bool VentanaRed::escribirNota(const QString& ruta) {
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    if (!terminada_ || !e || enCurso()) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo),
                              QStringLiteral("No hay nota que escribir: la comprobación de la red "
                                             "no ha terminado."));
        return false;
    }
    for (const QString& entrada :
         {rutaTabla_, rutaCriterio_, nombreSerie_, rutaInforme_, rutaPozos_, rutaHipotesis_}) {
        if (mismoArchivo(QFile::encodeName(ruta), QFile::encodeName(entrada))) {
            dialogos_.avisarError(QString::fromUtf8(kTitulo),
                                  QStringLiteral("No se ha escrito la nota: «%1» es el mismo "
                                                 "archivo que «%2», que la comprobación ha leído. "
                                                 "Elija otro nombre.")
                                      .arg(ruta, entrada));
            return false;
        }
    }
    nota::FuentesRed f;
    f.red = e->peticion.ruta;
    f.formato = descripcionFormato_;
    if (e->grafo && e->grafo->tipo == red::TipoFuente::CapasSig)
        f.capa = QString::fromStdString(e->grafo->capa);
    f.pozos = rutaPozos_;
    f.informe = rutaInforme_;
    if (e->grafo && e->grafo->hipotesis)
        f.hipotesis =
            rutaHipotesis_.isEmpty() ? QStringLiteral("editada en esta ventana") : rutaHipotesis_;
    f.criterio = e->peticion.origenCriterio;
    f.limites = e->peticion.base.criterio;
    f.serie = e->peticion.nombreSerie;
    // The note is composed in memory and written whole.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    // After a design, the note says how the pipes were chosen (from the source as read).
    std::optional<nota::SeccionDiseno> diseno;
    if (e->diseno && e->fuente)
        diseno = nota::seccionDiseno(e->fuente->modelo, e->diseno->diseno, e->diseno->serie,
                                     e->diseno->limites);
    nota::escribirNotaRed(pdf, f, e->notas, e->grafo.get(), separador_, QDate::currentDate(),
                          nullptr, diseno ? &*diseno : nullptr);
    pdf.close();
    try {
        EscrituraAtomica escritura(QFile::encodeName(ruta), ruta);
        escritura.escribir(
            std::string_view(pdf.data().constData(), static_cast<std::size_t>(pdf.data().size())));
        escritura.confirmar();
    } catch (const ErrorArchivo& error) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo),
                              QStringLiteral("No se ha escrito la nota. ") +
                                  QString::fromUtf8(error.what()));
        return false;
    }
    return true;
}

void VentanaRed::cargarFila(int fila) {
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    if (!e || fila < 0 || fila >= modelo_->filas() || !cargar_)
        return;
    const FilaRedComprobada& f = modelo_->fila(fila);
    const CabeceraRed& cab = modelo_->cabecera();
    const red::CriterioListo& criterio = f.criterio ? *f.criterio : e->peticion.base;
    const auto celda = [&](ColumnaRed c) {
        const int k = cab.columna(c);
        return k < 0 ? std::string() : recortado(f.celdas[static_cast<std::size_t>(k)]);
    };
    // A number goes into its box as a file gives it: the cell's digits, the window's separator.
    const auto numero = [&](std::string s) {
        if (cab.dialecto.decimal != separador_)
            std::replace(s.begin(), s.end(), cab.dialecto.decimal, separador_);
        return s;
    };
    const std::string tramo = celda(ColumnaRed::Tramo);
    const QString archivo = QFileInfo(e->peticion.ruta).fileName();
    Calculo calculo;
    calculo.criterio = criterio.criterio;
    // Flows derived from loads take the names of their kinds («Caudal punta»...).
    if (e->grafo && f.numero >= 1 &&
        static_cast<std::size_t>(f.numero) <= e->grafo->tramos.size()) {
        const red::TramoGrafo& t = e->grafo->tramos[static_cast<std::size_t>(f.numero - 1)];
        for (std::size_t k = 0; k < 7; ++k)
            if (!t.denominacion[k].empty())
                calculo.criterio.denominacion[k] = t.denominacion[k];
    }
    // Titles without commas, which a calculation file cannot hold.
    calculo.titulo1 = "Tramo " + tramo;
    calculo.titulo2 = "Red " + archivo.toStdString() + " (fila " + std::to_string(f.numero) + ")";
    calculo.colector = {numero(celda(ColumnaRed::D)), numero(celda(ColumnaRed::n)),
                        numero(celda(ColumnaRed::i))};
    const std::string q = celda(ColumnaRed::Q);
    for (int k = 0; k < 7; ++k) {
        std::string qk = celda(static_cast<ColumnaRed>(static_cast<int>(ColumnaRed::Q1) + k));
        if (qk.empty())
            qk = q.empty() ? std::string("0") : q;
        calculo.caudal[static_cast<std::size_t>(k)] = numero(qk);
    }
    cargar_(calculo, QStringLiteral("tramo %1 (%2)").arg(QString::fromStdString(tramo), archivo),
            criterio.rutaNativa.isEmpty() ? QString() : QFile::decodeName(criterio.rutaNativa));
}

} // namespace colvero::ui
