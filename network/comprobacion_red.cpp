#include "network/comprobacion_red.h"
#include "network/tramos_grafo.h"

#include "check/diametros.h"
#include "check/numero.h"
#include "check/recorte.h"
#include "check/textos_pendientes.h"
#include "files/archivos.h"
#include "files/escritura.h"
#include "files/lectura.h"
#include "files/serie.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <thread>

#include <sched.h>

namespace colvero::red {
namespace {

int codigoDe(const Trabajo& t) {
    if (!t.omitido.empty())
        return 0;
    if (!t.error.empty() || t.r.fin != FinCalculo::Realizado)
        return 2;
    int codigo = 0;
    for (const ResultadoCondicion& c : t.r.condiciones) {
        const int clase = claseDeVeredicto(c.veredicto);
        if (clase < 3)
            codigo = std::max(codigo, clase);
    }
    return codigo;
}

std::vector<int> dosCalados(const Evaluacion& ev) {
    std::vector<int> k;
    for (int c = 1; c <= 10; ++c) {
        if (ev.condiciones[static_cast<size_t>(c - 1)].dosCalados)
            k.push_back(c);
    }
    return k;
}

ColumnaRed qk(int k) {
    return static_cast<ColumnaRed>(static_cast<int>(ColumnaRed::Q1) + k);
}

bool vacia(const std::string* s) {
    return !s || recortar(*s, kEspacios).empty();
}

} // namespace

std::optional<CriterioListo> prepararCriterio(const Criterio& criterio, char sep,
                                              std::string& error) {
    Calculo c;
    c.criterio = criterio;
    std::optional<CampoNumerico> campo;
    const std::optional<Entradas> e = convertirEntradas(c, sep, &campo);
    if (!e) {
        error = std::string("el valor de «") + nombreCampo(*campo) + "» no es un número";
        return std::nullopt;
    }
    return CriterioListo{criterio.activa, *e, criterio, {}};
}

void Trabajo::limpiar() {
    error.clear();
    omitido.clear();
    csv.clear();
    pendientes.reset();
    menor.reset();
    criterio = nullptr;
    serie = nullptr;
    criterioPropio.reset();
    seriePropia.reset();
    r = ResultadoCalculo();
}

PreparadorRed::PreparadorRed(const CabeceraRed& cabecera, const QByteArray& rutaTabla,
                             const CriterioListo& base, const std::vector<Tubo>* serie,
                             const OpcionesRed& opciones)
    : cabecera_(cabecera), base_(base), serie_(serie), opciones_(opciones),
      criterios_(opciones.archivosLeidos), series_(opciones.archivosLeidos) {
    const qsizetype barra = rutaTabla.lastIndexOf('/');
    if (barra >= 0)
        carpeta_ = rutaTabla.left(barra + 1);
}

std::optional<QString> PreparadorRed::columnaQueFalta(const QString& nombre) const {
    if (cabecera_.columna(ColumnaRed::Criterio) >= 0)
        return std::nullopt;
    for (int k = 0; k < 7; ++k) {
        if (base_.activas[static_cast<size_t>(k)] && cabecera_.columna(ColumnaRed::Q) < 0 &&
            cabecera_.columna(qk(k)) < 0)
            return QStringLiteral("La tabla «%1» no es válida: falta la columna Q o Q%2, "
                                  "que necesita la condición (%2).")
                .arg(nombre)
                .arg(k + 1);
    }
    return std::nullopt;
}

const std::string* PreparadorRed::celda(const FilaRed& f, ColumnaRed c) const {
    const int k = cabecera_.columna(c);
    return k < 0 ? nullptr : &f.celdas[static_cast<size_t>(k)];
}

std::string PreparadorRed::nombreColumna(ColumnaRed c) const {
    return QString::fromStdString(cabecera_.nombres[static_cast<size_t>(cabecera_.columna(c))])
        .trimmed()
        .toStdString();
}

QByteArray PreparadorRed::rutaDe(const std::string& celda) const {
    const std::string_view c = recortar(celda, kEspacios);
    const QByteArray r(c.data(), static_cast<qsizetype>(c.size()));
    return r.startsWith('/') ? r : carpeta_ + r;
}

template <class T>
template <class F>
const PreparadorRed::Recurso<T>& PreparadorRed::Leidos<T>::obtener(const std::string& celda,
                                                                   F&& leer) {
    if (const auto it = entradas_.find(celda); it != entradas_.end()) {
        usos_.splice(usos_.begin(), usos_, it->second.uso);
        return it->second.recurso;
    }
    // The rows that hold a dropped value keep it alive (Trabajo::criterioPropio).
    if (limite_ > 0 && entradas_.size() >= limite_) {
        entradas_.erase(usos_.back());
        usos_.pop_back();
    }
    usos_.push_front(celda);
    Entrada& e = entradas_[celda];
    e.uso = usos_.begin();
    leer(e.recurso);
    return e.recurso;
}

void PreparadorRed::comprobarQueNoEsLaSalida(const QByteArray& ruta, const std::string& fila,
                                             ColumnaRed c) const {
    if (!opciones_.salida.isEmpty() && mismoArchivo(ruta, opciones_.salida))
        throw ErrorArchivo(fila + ", columna " + nombreColumna(c) + ": «" +
                           textoVisible(nombreVisible(ruta).toStdString()) +
                           "» es el mismo archivo que la tabla de resultados, que lo "
                           "reemplazaría. Elija otro nombre para la salida.");
}

const PreparadorRed::Recurso<CriterioListo>& PreparadorRed::criterioDe(const std::string& celda,
                                                                       const std::string& fila) {
    return criterios_.obtener(celda, [&](Recurso<CriterioListo>& r) {
        const QByteArray ruta = rutaDe(celda);
        comprobarQueNoEsLaSalida(ruta, fila, ColumnaRed::Criterio);
        try {
            std::optional<CriterioListo> c =
                prepararCriterio(leerCriterio(ruta, opciones_.sep), opciones_.sep, r.error);
            if (c) {
                c->rutaNativa = ruta;
                r.valor = std::make_shared<const CriterioListo>(std::move(*c));
            }
        } catch (const ErrorArchivo& e) {
            r.error = e.what();
        }
    });
}

const PreparadorRed::Recurso<std::vector<Tubo>>& PreparadorRed::serieDe(const std::string& celda,
                                                                        const std::string& fila) {
    return series_.obtener(celda, [&](Recurso<std::vector<Tubo>>& r) {
        const QByteArray ruta = rutaDe(celda);
        comprobarQueNoEsLaSalida(ruta, fila, ColumnaRed::Serie);
        try {
            r.valor = std::make_shared<const std::vector<Tubo>>(leerSerie(ruta));
        } catch (const ErrorArchivo& e) {
            r.error = e.what();
        }
    });
}

void PreparadorRed::preparar(Trabajo& t) {
    const FilaRed& f = t.fila;
    const std::string fila = "fila " + std::to_string(f.numero);
    t.tramo = *celda(f, ColumnaRed::Tramo);
    if (!f.error.empty()) {
        t.error = fila + ": " + f.error;
        return;
    }
    const auto errorCelda = [&](ColumnaRed c, const std::string& que) {
        t.error = fila + ", columna " + nombreColumna(c) + ": " + que;
    };
    if (vacia(celda(f, ColumnaRed::Tramo)))
        return errorCelda(ColumnaRed::Tramo, "la celda está vacía");
    if (!prepararRecursos(t, fila))
        return;
    t.d = t.criterio->limites;
    const auto numero = [&](ColumnaRed c, double& destino) {
        const std::string* s = celda(f, c);
        if (vacia(s)) {
            errorCelda(c, "la celda está vacía");
            return false;
        }
        FalloNumero fallo;
        const std::optional<double> x = leerNumero(*s, cabecera_.dialecto.decimal, fallo);
        if (!x) {
            errorCelda(c, "«" + textoVisible(*s) + "» " +
                              (fallo == FalloNumero::FueraDeRango ? "está fuera de rango"
                                                                  : "no es un número"));
            return false;
        }
        destino = *x;
        return true;
    };
    if (!numero(ColumnaRed::D, t.d.D) || !numero(ColumnaRed::n, t.d.n) ||
        !numero(ColumnaRed::i, t.d.i))
        return;
    for (int k = 0; k < 7; ++k) {
        double& q = t.d.Q[static_cast<size_t>(k)];
        q = 0;
        const bool activa = t.criterio->activas[static_cast<size_t>(k)];
        if (!vacia(celda(f, qk(k)))) {
            if (!numero(qk(k), q))
                return;
        } else if (!vacia(celda(f, ColumnaRed::Q))) {
            if (!numero(ColumnaRed::Q, q))
                return;
        } else if (activa) {
            const ColumnaRed c = cabecera_.columna(qk(k)) >= 0 ? qk(k) : ColumnaRed::Q;
            return errorCelda(c, cabecera_.columna(ColumnaRed::Q) >= 0 && c != ColumnaRed::Q
                                     ? "la celda está vacía, y también la de Q"
                                     : "la celda está vacía");
        }
    }
}

bool PreparadorRed::prepararRecursos(Trabajo& t, const std::string& fila) {
    const FilaRed& f = t.fila;
    const auto errorCelda = [&](ColumnaRed c, const std::string& que) {
        t.error = fila + ", columna " + nombreColumna(c) + ": " + que;
        return false;
    };
    t.criterio = &base_;
    if (const std::string* c = celda(f, ColumnaRed::Criterio); vacia(c)) {
        if (opciones_.soloCriteriosDeFila)
            return errorCelda(ColumnaRed::Criterio,
                              "la celda está vacía y no se ha dado un criterio para toda la red");
    } else {
        const Recurso<CriterioListo>& r = criterioDe(*c, fila);
        if (!r.valor)
            return errorCelda(ColumnaRed::Criterio, r.error);
        t.criterioPropio = r.valor;
        t.criterio = r.valor.get();
    }
    t.serie = opciones_.conSerie ? serie_ : nullptr;
    if (const std::string* s = celda(f, ColumnaRed::Serie); !vacia(s)) {
        const Recurso<std::vector<Tubo>>& r = serieDe(*s, fila);
        if (!r.valor)
            return errorCelda(ColumnaRed::Serie, r.error);
        t.seriePropia = r.valor;
        t.serie = r.valor.get();
    }
    return true;
}

void PreparadorRed::preparar(Trabajo& t, const TramoGrafo& tramo) {
    const std::string quien = "tramo «" + textoVisible(tramo.tramo) + "»";
    t.tramo = tramo.tramo;
    if (!tramo.omitido.empty()) {
        t.omitido = tramo.omitido;
        return;
    }
    if (!tramo.error.empty()) {
        t.error = quien + ": " + tramo.error;
        return;
    }
    if (!prepararRecursos(t, quien))
        return;
    t.d = t.criterio->limites;
    t.d.D = tramo.D;
    t.d.n = tramo.n;
    t.d.i = tramo.i;
    for (size_t k = 0; k < 7; ++k) {
        t.d.Q[k] = tramo.Q[k].value_or(0);
        if (!tramo.Q[k] && t.criterio->activas[k]) {
            t.error = quien + ": no hay caudal para la condición (" + std::to_string(k + 1) +
                      "): ni la fuente, ni un informe, ni una hipótesis de caudales lo dan";
            return;
        }
    }
}

int claseDeVeredicto(Veredicto v) {
    switch (v) {
    case Veredicto::Cumple:
        return 0;
    case Veredicto::NoCumple:
    case Veredicto::CapacidadInsuficiente:
        return 1;
    case Veredicto::ErrorDeDato:
        return 2;
    case Veredicto::NoEvaluada:
        break;
    }
    return 3;
}

void comprobarTrabajo(Trabajo& t, const OpcionesRed& o, const DialectoRed& dialecto) {
    std::vector<int>& avisos = t.avisos;
    avisos.clear();
    ResultadoCalculo rCsv;
    std::optional<ResultadoPendientes> pendientesCsv;
    t.yD.fill(std::numeric_limits<double>::quiet_NaN());
    t.v.fill(std::numeric_limits<double>::quiet_NaN());
    if (t.error.empty() && t.omitido.empty()) {
        const Evaluacion ev = evaluar(t.d, t.criterio->activas);
        ValoresGuardados g;
        t.r = resultadoDeEvaluacion(t.d, ev, g, o.sep);
        for (size_t k = 0; k < 6 && t.r.fin == FinCalculo::Realizado; ++k) {
            const Veredicto v = ev.condiciones[k + 1].veredicto;
            if (v == Veredicto::Cumple || v == Veredicto::NoCumple) {
                t.yD[k] = ev.flujoNormal[k].yD;
                t.v[k] = ev.flujoNormal[k].v;
            }
        }
        if (o.csv) {
            ValoresGuardados g2;
            rCsv = o.sep == dialecto.decimal ? t.r
                                             : resultadoDeEvaluacion(t.d, ev, g2, dialecto.decimal);
        }
        avisos = dosCalados(ev);
        if (o.pendientes) {
            t.pendientes = pendientesAdmisibles(t.d, t.criterio->activas, o.sep);
            // The reason why no slope passes quotes slopes: the result table writes them with
            // its own decimal separator. Only such rows are searched again.
            if (o.csv && o.sep != dialecto.decimal && t.pendientes->intervalos.empty())
                pendientesCsv = pendientesAdmisibles(t.d, t.criterio->activas, dialecto.decimal);
        }
        if (t.serie) {
            if (const auto j = menorQueCumple(t.d, t.criterio->activas, *t.serie))
                t.menor = (*t.serie)[*j].nombre;
        }
    }
    t.codigo = codigoDe(t);

    if (o.csv) {
        std::string& d = t.csv;
        for (const std::string& celda : t.fila.celdas) {
            anadirCeldaCsv(d, celda, dialecto);
            d += dialecto.campos;
        }
        const bool sinMotor = !t.error.empty() || !t.omitido.empty();
        const std::string estado = !t.error.empty()                           ? t.error
                                   : !t.omitido.empty()                       ? t.omitido
                                   : rCsv.fin == FinCalculo::ColectorInvalido ? rCsv.notaCol
                                                                              : rCsv.notaCalC;
        anadirCeldaCsv(d, estado, dialecto);
        for (size_t k = 0; k < 10; ++k) {
            d += dialecto.campos;
            anadirCeldaCsv(d, sinMotor ? std::string() : rCsv.notas[k], dialecto);
            for (const ValorCalculado& v : kValoresCalculados[k]) {
                d += dialecto.campos;
                const std::string& texto = rCsv.campos.*v.campo;
                if (!sinMotor && texto != "-")
                    anadirCeldaCsv(d, texto, dialecto);
            }
        }
        d += dialecto.campos;
        std::string avisosTexto;
        for (const int k : avisos)
            avisosTexto += (avisosTexto.empty() ? "" : " ") + std::to_string(k);
        anadirCeldaCsv(d, avisosTexto, dialecto);
        if (o.pendientes) {
            d += dialecto.campos;
            if (t.pendientes) {
                // One buffer per thread: no allocation per row once it has grown.
                thread_local std::string celda;
                celda.clear();
                anadirCeldaPendientes(celda, pendientesCsv ? *pendientesCsv : *t.pendientes,
                                      dialecto.decimal, true);
                anadirCeldaCsv(d, celda, dialecto);
            }
        }
        if (o.conSerie) {
            d += dialecto.campos;
            if (t.menor)
                anadirCeldaCsv(d, *t.menor, dialecto);
        }
        d += "\r\n";
    }
}

std::string cabeceraCsv(const CabeceraRed& c, const OpcionesRed& o) {
    std::string d = "\xEF\xBB\xBF";
    for (const std::string& n : c.nombres) {
        anadirCeldaCsv(d, n, c.dialecto);
        d += c.dialecto.campos;
    }
    d += "estado";
    for (size_t k = 0; k < 10; ++k) {
        const std::string prefijo = "(" + std::to_string(k + 1) + ") ";
        d += c.dialecto.campos;
        anadirCeldaCsv(d, prefijo + "veredicto", c.dialecto);
        for (const ValorCalculado& v : kValoresCalculados[k]) {
            d += c.dialecto.campos;
            anadirCeldaCsv(d, prefijo + v.etiqueta, c.dialecto);
        }
    }
    d += c.dialecto.campos;
    d += "dos calados";
    if (o.pendientes) {
        d += c.dialecto.campos;
        d += "pendientes admisibles (m/m)";
    }
    if (o.conSerie) {
        d += c.dialecto.campos;
        d += "menor que cumple";
    }
    d += "\r\n";
    return d;
}

int nucleos() {
    cpu_set_t conjunto;
    if (sched_getaffinity(0, sizeof conjunto, &conjunto) == 0)
        return std::max(1, CPU_COUNT(&conjunto));
    return std::max(1u, std::thread::hardware_concurrency());
}

void enParalelo(std::size_t cuantos, int hilos, const std::function<void(std::size_t)>& accion,
                const std::function<void()>& antes) {
    std::atomic<size_t> siguiente{0};
    const auto trabajar = [&] {
        for (size_t k = siguiente++; k < cuantos; k = siguiente++)
            accion(k);
    };
    std::vector<std::thread> otros;
    for (int h = 1; h < hilos && static_cast<size_t>(h) < cuantos; ++h)
        otros.emplace_back(trabajar);
    std::exception_ptr fallo; // raised by `antes`: again once the others are done
    if (antes) {
        try {
            antes();
        } catch (...) {
            fallo = std::current_exception();
        }
    }
    trabajar();
    for (std::thread& h : otros)
        h.join();
    if (fallo)
        std::rethrow_exception(fallo);
}

} // namespace colvero::red
