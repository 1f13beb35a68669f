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
        e->lector = std::make_unique<LectorRed>(rutaNativa);
        const CabeceraRed& cab = e->lector->cabecera();
        e->preparador = std::make_unique<red::PreparadorRed>(
            cab, rutaNativa, p.base, p.opciones.conSerie ? &p.serie : nullptr, p.opciones);
        if (const std::optional<QString> falta = e->preparador->columnaQueFalta(p.ruta))
            throw ErrorArchivo(falta->toStdString());
        enHiloPropio([this, cab] {
            if (alEmpezar_)
                alEmpezar_(cab);
        });
        const int hilos = red::nucleos();
        const std::size_t lote = static_cast<std::size_t>(hilos) * 64;
        std::vector<red::Trabajo> trabajos(lote);
        while (mas && !e->cancelada) {
            std::size_t n = 0;
            while (n < lote && (mas = e->lector->siguiente(trabajos[n].fila))) {
                red::Trabajo& t = trabajos[n++];
                t.limpiar();
                e->preparador->preparar(t);
            }
            red::enParalelo(n, hilos, [&](std::size_t k) {
                red::comprobarTrabajo(trabajos[k], p.opciones, cab.dialecto);
            });
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
