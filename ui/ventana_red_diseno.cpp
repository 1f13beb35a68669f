#include "ui/ventana_red.h"

#include "design/salida_diseno.h"
#include "files/archivos.h"
#include "files/lectura.h"
#include "ui/dialogo_diseno.h"
#include "ui/dialogos.h"
#include "ui/hilo_red.h"
#include "ui/modelo_red.h"
#include "ui/recientes.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <string>
#include <vector>

namespace colvero::ui {
namespace {

constexpr const char* kTitulo = "Comprobar red";

} // namespace

void VentanaRed::disenarConDialogo() {
    if (!disenar_->isEnabled())
        return;
    // The limits are checked against the network when it has been read already.
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    std::shared_ptr<const red::RedGrafo> red;
    if (e && terminada_ && e->peticion.ruta == rutaTabla_)
        red = e->fuente ? e->fuente : e->grafo;
    auto* dialogo = new DialogoDiseno(separador_, red ? &red->modelo : nullptr, this);
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    // `red` keeps the model the dialog checks the fixed nodes against alive.
    connect(dialogo, &QDialog::accepted, this,
            [this, dialogo, red] { disenar(dialogo->aceptados()); });
    dialogo->open();
}

void VentanaRed::disenar(const diseno::Limites& limites) {
    QString error;
    if (!serie_)
        error = QStringLiteral("Elija una serie de diámetros: el diseño toma de ella los tubos.");
    else if (rutaTabla_.isEmpty() ||
             red::tipoDeFuente(QFile::encodeName(rutaTabla_)) == red::TipoFuente::Tabla)
        error = QStringLiteral("El diseño necesita un modelo SWMM (.inp) o una capa SIG: una "
                               "tabla no da los pozos ni la cota del terreno.");
    else if (const std::optional<std::string> e = diseno::errorDeLimites(red::ModeloRed{}, [&] {
                 diseno::Limites sinFijas = limites;
                 sinFijas.fijas.clear(); // their nodes are checked once the network is read
                 return sinFijas;
             }()))
        error = QString::fromStdString(*e);
    if (!error.isEmpty()) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo), error);
        return;
    }
    empezar(limites);
}

void VentanaRed::guardarDisenoConDialogo() {
    // A model is rewritten only from a SWMM source; layers and a table from any.
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    const bool modelo = e && e->fuente && e->fuente->tipo == red::TipoFuente::ModeloSwmm;
    const QString filtros =
        (modelo ? QStringLiteral("Modelos SWMM (*.inp);;") : QString()) +
        QStringLiteral("Capas SIG (*.gpkg *.shp *.geojson *.json);;Tablas CSV (*.csv)");
    const QString ruta = dialogos_.guardar(QStringLiteral("Guardar diseño"), carpetaDeDialogos(),
                                           filtros, Guardado::Preguntando);
    if (!ruta.isEmpty() && guardarDiseno(ruta))
        recordarCarpetaDe(ruta);
}

bool VentanaRed::guardarDiseno(const QString& ruta) {
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    const auto fallar = [&](const QString& mensaje) {
        dialogos_.avisarError(QString::fromUtf8(kTitulo), mensaje);
        return false;
    };
    if (!terminada_ || enCurso() || !e || !e->diseno || !e->fuente)
        return fallar(QStringLiteral("No hay diseño que guardar: pulse «Diseñar…» y espere a "
                                     "que termine."));
    const bool esModelo = e->fuente->tipo == red::TipoFuente::ModeloSwmm;
    const std::optional<diseno::FormatoDiseno> formato = diseno::formatoDeDiseno(ruta);
    if (!formato)
        return fallar(esModelo ? QStringLiteral("El diseño se guarda como modelo SWMM (.inp), "
                                                "capa SIG (.gpkg, .shp, .geojson o .json) o "
                                                "tabla (.csv): escriba el nombre con una de "
                                                "esas extensiones.")
                               : QStringLiteral("El diseño se guarda como capa SIG (.gpkg, .shp, "
                                                ".geojson o .json) o tabla (.csv): escriba el "
                                                "nombre con una de esas extensiones."));
    if (*formato == diseno::FormatoDiseno::Modelo && !esModelo)
        return fallar(QStringLiteral("El diseño se guarda como modelo SWMM cuando la red es un "
                                     "modelo SWMM (.inp); el de una capa SIG, guárdelo como capa "
                                     "(.gpkg, .shp, .geojson o .json) o tabla (.csv)."));
    if (const QString entrada = entradaLeida(ruta); !entrada.isEmpty())
        return fallar(QStringLiteral("No se ha guardado el diseño: «%1» es el mismo archivo que "
                                     "«%2», que el diseño ha leído. Elija otro nombre.")
                          .arg(ruta, entrada));
    diseno::DestinoDiseno destino{QFile::encodeName(ruta), ruta, e->peticion.fuente.dialecto, {}};
    for (const QString& entrada :
         {rutaTabla_, rutaCriterio_, nombreSerie_, rutaInforme_, rutaPozos_, rutaHipotesis_})
        if (!entrada.isEmpty())
            destino.entradas.push_back(QFile::encodeName(entrada));
    const diseno::FuenteDiseno fuente{
        *e->fuente,
        esModelo ? std::string_view(e->bytesFuente.constData(),
                                    static_cast<std::size_t>(e->bytesFuente.size()))
                 : std::string_view(),
        e->peticion.ruta};
    const DisenoMostrado& d = *e->diseno;
    int inexactos = 0;
    if (const std::optional<std::string> error =
            diseno::guardarDiseno(destino, fuente, d.diseno, d.serie, &inexactos))
        return fallar(QStringLiteral("No se ha guardado el diseño. ") +
                      QString::fromStdString(*error));
    if (inexactos > 0)
        estado_->setText(estado_->text() +
                         QStringLiteral("\nDiseño guardado en «%1»: %2 números del modelo, "
                                        "en pies, se leen como el valor más cercano que el "
                                        "formato permite.")
                             .arg(ruta)
                             .arg(inexactos));
    return true;
}

QString VentanaRed::resumenDeDiseno() const {
    const std::shared_ptr<EjecucionRed>& e = hilo_->ejecucion();
    const DisenoMostrado& d = *e->diseno;
    const red::ModeloRed& fuente = e->fuente->modelo;
    const char sep = separador_;
    const auto metros = [sep](double x, int decimales) {
        QString s = QString::number(x, 'f', decimales);
        s.replace(QLatin1Char('.'), QLatin1Char(sep));
        return s;
    };
    const diseno::Diseno& x = d.diseno;
    QString texto = QStringLiteral("Diseño: coste %1 m³ de excavación; %2 resaltos, %3 pozos de "
                                   "resalto (más de 0")
                        .arg(metros(x.coste, 2))
                        .arg(x.resaltos)
                        .arg(x.pozosDeResalto) +
                    QLatin1Char(sep) + QStringLiteral("50 m)");
    for (const auto& [nodo, z] : d.limites.fijas) {
        const long long cm = diseno::centimetros(z);
        if (static_cast<double>(cm) / 100.0 != z)
            texto += QStringLiteral("; la cota fija de «%1», %2 m, se toma al centímetro: %3 m")
                         .arg(QString::fromStdString(nodo),
                              textoDeFijas({.fijas = {{nodo, z}}}, sep)
                                  .section(QLatin1Char('='), -1)
                                  .trimmed(),
                              metros(static_cast<double>(cm) / 100.0, 2));
    }
    std::vector<const diseno::TramoDisenado*> sin;
    for (const diseno::TramoDisenado& t : x.tramos) {
        if (!t.sinDiseno.empty())
            sin.push_back(&t);
    }
    if (sin.empty()) {
        texto += QStringLiteral("; todos los tramos tienen diseño.");
        return texto;
    }
    texto += QStringLiteral("; %1 sin diseño:")
                 .arg(sin.size() == 1 ? QStringLiteral("1 tramo")
                                      : QStringLiteral("%1 tramos").arg(sin.size()));
    constexpr std::size_t kMostrados = 4;
    for (std::size_t k = 0; k < sin.size() && k < kMostrados; ++k) {
        const std::size_t enlace = sin[k]->enlace;
        const QString id = enlace < fuente.enlaces.size()
                               ? QString::fromStdString(fuente.enlaces[enlace].id)
                               : QString::number(enlace + 1);
        texto += QStringLiteral("\n«%1»: %2").arg(id, QString::fromStdString(sin[k]->sinDiseno));
    }
    if (sin.size() > kMostrados)
        texto +=
            QStringLiteral("\n… y %1 más (columna «Sin diseño»).").arg(sin.size() - kMostrados);
    return texto;
}

} // namespace colvero::ui
