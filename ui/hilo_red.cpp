#include "ui/hilo_red.h"

#include "files/archivos.h"

#include <QFile>
#include <QMetaObject>

#include <iterator>

namespace colvero::ui {

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
    }
    const bool cancelada = fallo.isEmpty() && mas;
    enHiloPropio([this, cancelada, fallo] {
        esperar(); // the thread has nothing left to do but return
        if (alTerminar_)
            alTerminar_(cancelada, fallo);
    });
}

} // namespace colvero::ui
