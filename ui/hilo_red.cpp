#include "ui/hilo_red.h"

#include "design/aplicar.h"
#include "files/archivos.h"
#include "files/informe_swmm.h"
#include "files/lectura.h"

#include <QFile>
#include <QMetaObject>

#include <iterator>

namespace colvero::ui {
namespace {

struct Cancelada {}; // the design was cancelled: nothing of it is handed over

// Designs the source of `e` and puts the designed network in its place; false when cancelled.
// A failure raises ErrorArchivo with the whole message.
bool disenarFuente(EjecucionRed& e) {
    const PeticionRed& p = e.peticion;
    if (!e.grafo)
        throw ErrorArchivo("El diseño necesita un modelo SWMM (.inp) o una capa SIG: una tabla "
                           "no da los pozos ni la cota del terreno.");
    if (p.serie.empty())
        throw ErrorArchivo("El diseño necesita una serie de diámetros.");
    const red::RedGrafo& g = *e.grafo;
    if (const std::optional<std::string> error = diseno::errorDeLimites(g.modelo, *p.diseno))
        throw ErrorArchivo(*error);
    const QByteArray rutaNativa = QFile::encodeName(p.ruta);
    if (g.tipo == red::TipoFuente::ModeloSwmm)
        e.bytesFuente = leerArchivoEntero(rutaNativa, nombreVisible(rutaNativa), qint64{1} << 30);
    red::PreparadorRed preparador(g.cabecera, rutaNativa, p.base, &p.serie, p.opciones);
    if (const std::optional<QString> falta = preparador.columnaQueFalta(p.ruta))
        throw ErrorArchivo(falta->toStdString());
    const std::vector<diseno::TramoADisenar> tramos = tramosADisenar(g, preparador, p.serie);
    e.porDisenar = tramos.size();
    diseno::Progreso progreso;
    progreso.avance = [&e](std::size_t hechos, std::size_t total) {
        e.disenados = hechos;
        e.porDisenar = total;
    };
    progreso.cancelar = &e.cancelada;
    std::optional<diseno::Diseno> d = diseno::disenar(g.modelo, g.topologia, tramos, p.serie,
                                                      *p.diseno, progreso, red::nucleos());
    if (!d || e.cancelada)
        return false;

    // The designed network, read as the source is: the same flows (report, hypothesis), the
    // same columns, the designed pipes and inverts.
    auto disenada = std::make_shared<red::RedGrafo>(g);
    disenada->modelo = diseno::modeloDisenado(g.modelo, *d, p.serie);
    disenada->topologia = red::construirTopologia(disenada->modelo);
    std::optional<InformeSwmm> informe;
    if (!p.fuente.informe.isEmpty())
        informe = leerInformeSwmm(p.fuente.informe);
    std::string error;
    std::optional<std::vector<red::TramoGrafo>> nuevos =
        red::tramosDeModelo(disenada->modelo, disenada->topologia, informe ? &*informe : nullptr,
                            disenada->hipotesis ? &*disenada->hipotesis : nullptr, error);
    if (!nuevos)
        throw ErrorArchivo("La red diseñada no se puede comprobar: " + error);
    disenada->tramos = std::move(*nuevos);

    auto mostrado = std::make_shared<DisenoMostrado>();
    mostrado->limites = *p.diseno;
    mostrado->serie = p.serie;
    mostrado->deEnlace.assign(g.modelo.enlaces.size(), -1);
    for (std::size_t k = 0; k < d->tramos.size(); ++k) {
        if (d->tramos[k].enlace < mostrado->deEnlace.size())
            mostrado->deEnlace[d->tramos[k].enlace] = static_cast<int>(k);
    }
    mostrado->diseno = std::move(*d);
    e.fuente = e.grafo;
    e.grafo = std::move(disenada);
    e.diseno = std::move(mostrado);
    return true;
}

} // namespace

std::vector<diseno::TramoADisenar> tramosADisenar(const red::RedGrafo& g,
                                                  red::PreparadorRed& preparador,
                                                  const std::vector<Tubo>& serie) {
    std::vector<diseno::TramoADisenar> tramos;
    red::Trabajo t;
    for (std::size_t k = 0; k < g.tramos.size(); ++k) {
        if (!g.tramos[k].omitido.empty())
            continue;
        red::TramoGrafo tramo = g.tramos[k];
        // The source's inverts (a missing, flat or adverse slope) are what the design replaces;
        // an unknown end node, a reach from a node to itself still stop it.
        const red::Extremos& x = g.topologia.extremos[k];
        if (!tramo.error.empty() && tramo.error == g.topologia.errorTramo[k] && x.desde >= 0 &&
            x.hasta >= 0 && x.desde != x.hasta)
            tramo.error.clear();
        if (!serie.empty())
            tramo.D = serie.front().diametro;
        tramo.i = 0.01;
        t.limpiar();
        t.fila = g.fila(k);
        preparador.preparar(t, tramo);
        diseno::TramoADisenar a;
        a.enlace = k;
        a.error = t.error;
        if (t.error.empty() && t.criterio) {
            a.d = t.d;
            a.activas = t.criterio->activas;
        } else if (a.error.empty()) {
            a.error = "tramo «" + tramo.tramo + "»: no tiene criterio";
        }
        tramos.push_back(std::move(a));
    }
    return tramos;
}

HiloRed::HiloRed(QObject* padre) : QObject(padre) {}

HiloRed::~HiloRed() {
    cancelar();
    esperar();
}

void HiloRed::empezar(PeticionRed peticion, AlEmpezar alEmpezar, AlTerminar alTerminar) {
    esperar();
    auto e = std::make_shared<EjecucionRed>();
    e->peticion = std::move(peticion);
    alEmpezar_ = std::move(alEmpezar);
    alTerminar_ = std::move(alTerminar);
    ejecucion_ = e;
    const int generacion = ++generacion_;
    hilo_ = std::thread([this, e, generacion] { trabajar(e, generacion); });
}

void HiloRed::cancelar() {
    if (ejecucion_)
        ejecucion_->cancelada = true;
}

void HiloRed::esperar() {
    if (hilo_.joinable())
        hilo_.join();
}

std::vector<FilaRedComprobada> HiloRed::recoger() {
    std::vector<FilaRedComprobada> filas;
    if (ejecucion_) {
        const std::lock_guard<std::mutex> cierre(ejecucion_->mutex);
        filas.swap(ejecucion_->llegadas);
    }
    return filas;
}

void HiloRed::trabajar(const std::shared_ptr<EjecucionRed>& e, int generacion) {
    // Everything the worker hands over goes through the event queue of this object's thread;
    // an object destroyed meanwhile drops it, and so does one that has started another check.
    const auto enHiloPropio = [this, generacion](auto funcion) {
        QMetaObject::invokeMethod(
            this,
            [this, generacion, funcion = std::move(funcion)] {
                if (generacion == generacion_)
                    funcion();
            },
            Qt::QueuedConnection);
    };
    const PeticionRed& p = e->peticion;
    QString fallo;
    bool mas = true;
    try {
        const QByteArray rutaNativa = QFile::encodeName(p.ruta);
        const CabeceraRed* cabecera = nullptr;
        if (red::tipoDeFuente(rutaNativa) == red::TipoFuente::Tabla) {
            e->lector = std::make_unique<LectorRed>(rutaNativa);
            cabecera = &e->lector->cabecera();
        } else {
            e->grafo =
                std::make_shared<const red::RedGrafo>(red::leerRedGrafo(rutaNativa, p.fuente));
            cabecera = &e->grafo->cabecera;
        }
        if (p.diseno) {
            if (!disenarFuente(*e))
                throw Cancelada{};
            cabecera = &e->grafo->cabecera;
        }
        const CabeceraRed& cab = *cabecera;
        e->preparador = std::make_unique<red::PreparadorRed>(
            cab, rutaNativa, p.base, p.opciones.conSerie ? &p.serie : nullptr, p.opciones);
        if (const std::optional<QString> falta = e->preparador->columnaQueFalta(p.ruta))
            throw ErrorArchivo(falta->toStdString());
        enHiloPropio([this, cab] {
            if (alEmpezar_)
                alEmpezar_(cab);
        });
        // The next reach, from the table or the model; false after the last.
        std::size_t enlace = 0;
        const auto siguiente = [&](red::Trabajo& t) {
            if (e->lector) {
                if (!e->lector->siguiente(t.fila))
                    return false;
                t.limpiar();
                e->preparador->preparar(t);
                return true;
            }
            if (enlace == e->grafo->tramos.size())
                return false;
            t.limpiar();
            t.fila = e->grafo->fila(enlace);
            e->preparador->preparar(t, e->grafo->tramos[enlace++]);
            return true;
        };
        const int hilos = red::nucleos();
        const std::size_t lote = static_cast<std::size_t>(hilos) * 64;
        std::vector<red::Trabajo> trabajos(lote);
        while (mas && !e->cancelada) {
            std::size_t n = 0;
            while (n < lote && (mas = siguiente(trabajos[n])))
                ++n;
            red::enParalelo(n, hilos, [&](std::size_t k) {
                red::comprobarTrabajo(trabajos[k], p.opciones, cab.dialecto);
            });
            for (std::size_t k = 0; k < n; ++k) {
                const red::TramoGrafo* tramo =
                    e->grafo
                        ? &e->grafo->tramos[static_cast<std::size_t>(trabajos[k].fila.numero - 1)]
                        : nullptr;
                e->notas.push_back(
                    nota::tramoNota(trabajos[k], tramo, p.opciones.pendientes, p.opciones.sep));
            }
            std::vector<FilaRedComprobada> filas;
            filas.reserve(n);
            for (std::size_t k = 0; k < n; ++k)
                filas.push_back(
                    filaComprobada(std::move(trabajos[k]), p.opciones.sep, cab.dialecto.decimal));
            const std::lock_guard<std::mutex> cierre(e->mutex);
            std::move(filas.begin(), filas.end(), std::back_inserter(e->llegadas));
        }
    } catch (const ErrorArchivo& error) {
        fallo = QString::fromUtf8(error.what());
    } catch (const Cancelada&) {
        mas = true;
    }
    const bool cancelada = fallo.isEmpty() && mas;
    enHiloPropio([this, cancelada, fallo] {
        esperar(); // the thread has nothing left to do but return
        if (alTerminar_)
            alTerminar_(cancelada, fallo);
    });
}

} // namespace colvero::ui
