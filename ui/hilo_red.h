#pragma once
// The worker of "Comprobar red": reads a network table, model or layer and checks its reaches
// in a thread of its own, a batch at a time, and hands the checked rows to the window's thread.
#include "check/serie_diametros.h"
#include "design/diseno_red.h"
#include "files/red.h"
#include "network/comprobacion_red.h"
#include "network/fuente_red.h"
#include "note/nota_red.h"
#include "ui/modelo_red.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace colvero::ui {

// What a check starts with.
struct PeticionRed {
    QString ruta;               // the table, model or layer as the user chose it
    red::OpcionesFuente fuente; // report, hypothesis, layers of a graph source
    red::OpcionesRed opciones;
    red::CriterioListo base;
    std::vector<Tubo> serie; // used when opciones.conSerie
    QString origenCriterio;  // where the criterion came from, as the window shows it
    QString nombreSerie;     // empty: no series
    // Design the source's pipes with these limits and `serie` first, then check the designed
    // network (a model or layers only).
    std::optional<diseno::Limites> diseno;
};

// One check: what it was started with, and the reader and the preparer of the worker thread.
// The rows of the model point at its criteria, so the model keeps it alive.
struct EjecucionRed {
    PeticionRed peticion;
    std::atomic<bool> cancelada{false};
    // Checked rows on their way to the window, which takes them all at each tick of its
    // timer: however fast they come, the window inserts a few times a second.
    std::mutex mutex;
    std::vector<FilaRedComprobada> llegadas;
    std::unique_ptr<LectorRed> lector;          // a table
    std::shared_ptr<const red::RedGrafo> grafo; // a model or layers, read whole
    std::unique_ptr<red::PreparadorRed> preparador;
    // What the network's calculation note keeps of each reach, in the order of the source;
    // filled by the worker, read once it has ended.
    std::vector<nota::TramoNota> notas;
    // A design run: the source as read (`grafo` is then the designed network), the design,
    // and how far the design has gone, for the progress bar.
    std::shared_ptr<const red::RedGrafo> fuente;
    std::shared_ptr<const DisenoMostrado> diseno;
    std::atomic<std::size_t> disenados{0}, porDisenar{0};
    // The bytes of a SWMM model as the design read it: the model «Guardar diseño…» rewrites.
    QByteArray bytesFuente;
};

// The conduits of `g` as the design library takes them: the inputs `preparador` gives each
// (criterion, n, flows), with the source's own slope and diameter left out, as the design
// replaces them. Links that are not pipes to check are left out.
std::vector<diseno::TramoADisenar> tramosADisenar(const red::RedGrafo& g,
                                                  red::PreparadorRed& preparador,
                                                  const std::vector<Tubo>& serie);

class HiloRed : public QObject {
public:
    // Called in the thread of the object. `alEmpezar` once the header is read; `alTerminar`
    // once the worker has stopped: cancelled, failed (`error`, in Spanish) or done.
    using AlEmpezar = std::function<void(const CabeceraRed& cabecera)>;
    using AlTerminar = std::function<void(bool cancelada, const QString& error)>;

    explicit HiloRed(QObject* padre = nullptr);
    ~HiloRed() override; // cancels the check under way and waits for its thread

    // Starts a check; the one under way, if any, must have ended.
    void empezar(PeticionRed peticion, AlEmpezar alEmpezar, AlTerminar alTerminar);
    void cancelar();
    bool enCurso() const { return hilo_.joinable(); }
    // The rows checked since the last call.
    std::vector<FilaRedComprobada> recoger();
    // The last check started; nullptr before the first.
    const std::shared_ptr<EjecucionRed>& ejecucion() const { return ejecucion_; }

private:
    void trabajar(const std::shared_ptr<EjecucionRed>& e, int generacion);
    void esperar();

    std::shared_ptr<EjecucionRed> ejecucion_;
    std::thread hilo_;
    int generacion_ = 0; // of the last check started: a callback of an older one is dropped
    AlEmpezar alEmpezar_;
    AlTerminar alTerminar_;
};

} // namespace colvero::ui
