#include "network/comprobacion_red.h"

#include "check/diametros.h"
#include "check/numero.h"
#include "files/archivos.h"
#include "files/serie.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

#include <sched.h>

namespace colvero::red {
namespace {

void cambiarDecimal(std::string& s, char de, char a) {
    if (de != a)
        std::replace(s.begin(), s.end(), de, a);
}

int codigoDe(const Trabajo& t) {
    if (!t.error.empty() || t.r.fin != FinCalculo::Realizado)
        return 2;
    bool algunNo = false;
    for (const std::string& nota : t.r.notas) {
        if (nota.find("[ERROR]") != std::string::npos)
            return 2;
        algunNo = algunNo || nota.find("[NO]") != std::string::npos;
    }
    return algunNo ? 1 : 0;
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
    return !s || QByteArray::fromStdString(*s).trimmed().isEmpty();
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
    csv.clear();
    pendientes.reset();
    menor.reset();
    criterio = nullptr;
    serie = nullptr;
    r = ResultadoCalculo();
}

PreparadorRed::PreparadorRed(const CabeceraRed& cabecera, const QByteArray& rutaTabla,
                             const CriterioListo& base, const std::vector<Tubo>* serie,
                             const OpcionesRed& opciones)
    : cabecera_(cabecera), base_(base), serie_(serie), opciones_(opciones) {
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
    QByteArray r(celda.data(), static_cast<qsizetype>(celda.size()));
    r = r.trimmed();
    return r.startsWith('/') ? r : carpeta_ + r;
}

const PreparadorRed::Recurso<CriterioListo>& PreparadorRed::criterioDe(const std::string& celda) {
    auto [it, nuevo] = criterios_.try_emplace(celda);
    if (nuevo) {
        try {
            const QByteArray ruta = rutaDe(celda);
            it->second.valor = prepararCriterio(leerCriterio(ruta, opciones_.sep), opciones_.sep,
                                                it->second.error);
            if (it->second.valor)
                it->second.valor->rutaNativa = ruta;
        } catch (const ErrorArchivo& e) {
            it->second.error = e.what();
        }
    }
    return it->second;
}

const PreparadorRed::Recurso<std::vector<Tubo>>& PreparadorRed::serieDe(const std::string& celda) {
    auto [it, nuevo] = series_.try_emplace(celda);
    if (nuevo) {
        try {
            it->second.valor = leerSerie(rutaDe(celda));
        } catch (const ErrorArchivo& e) {
            it->second.error = e.what();
        }
    }
    return it->second;
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
    t.criterio = &base_;
    if (const std::string* c = celda(f, ColumnaRed::Criterio); !vacia(c)) {
        const Recurso<CriterioListo>& r = criterioDe(*c);
        if (!r.valor)
            return errorCelda(ColumnaRed::Criterio, r.error);
        t.criterio = &*r.valor;
    }
    t.serie = opciones_.conSerie ? serie_ : nullptr;
    if (const std::string* s = celda(f, ColumnaRed::Serie); !vacia(s)) {
        const Recurso<std::vector<Tubo>>& r = serieDe(*s);
        if (!r.valor)
            return errorCelda(ColumnaRed::Serie, r.error);
        t.serie = &*r.valor;
    }
    t.d = t.criterio->limites;
    const auto numero = [&](ColumnaRed c, double& destino) {
        const std::string* s = celda(f, c);
        if (vacia(s)) {
            errorCelda(c, "la celda está vacía");
            return false;
        }
        const std::optional<double> x = leerNumero(*s, cabecera_.dialecto.decimal);
        if (!x) {
            errorCelda(c, "«" + *s + "» no es un número");
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

std::string textoPendientes(const ResultadoPendientes& p, char sep, char salida) {
    if (p.fin != FinPendientes::Realizado || p.intervalos.empty())
        return p.motivo;
    const auto numero = [&](std::string texto) {
        cambiarDecimal(texto, sep, salida);
        return texto;
    };
    std::string s;
    for (const IntervaloPendientes& iv : p.intervalos) {
        if (!s.empty())
            s += ' ';
        s += !iv.minima || iv.minima->incluido ? '[' : '(';
        if (iv.minima)
            s += numero(iv.minima->texto) + " (" + std::to_string(iv.minima->condicion) + ")";
        else
            s += conversionSimple(kPendienteMinima, salida);
        s += "; ";
        if (iv.maxima)
            s += numero(iv.maxima->texto) + " (" + std::to_string(iv.maxima->condicion) + ")";
        else
            s += conversionSimple(kPendienteMaxima, salida);
        s += !iv.maxima || iv.maxima->incluido ? ']' : ')';
    }
    return s;
}

int claseDeNota(const std::string& nota) {
    return nota == "-"                              ? 3
           : nota.find("[SI]") != std::string::npos ? 0
           : nota.find("[NO]") != std::string::npos ? 1
                                                    : 2;
}

void comprobarTrabajo(Trabajo& t, const OpcionesRed& o, const DialectoRed& dialecto) {
    std::vector<int>& avisos = t.avisos;
    avisos.clear();
    ResultadoCalculo rCsv;
    std::optional<ResultadoPendientes> pendientesCsv;
    if (t.error.empty()) {
        const Evaluacion ev = evaluar(t.d, t.criterio->activas);
        ValoresGuardados g;
        t.r = resultadoDeEvaluacion(t.d, ev, g, o.sep);
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
        const std::string estado = !t.error.empty()                           ? t.error
                                   : rCsv.fin == FinCalculo::ColectorInvalido ? rCsv.notaCol
                                                                              : rCsv.notaCalC;
        anadirCeldaCsv(d, estado, dialecto);
        for (size_t k = 0; k < 10; ++k) {
            d += dialecto.campos;
            anadirCeldaCsv(d, t.error.empty() ? rCsv.notas[k] : std::string(), dialecto);
            for (const ValorCalculado& v : kValoresCalculados[k]) {
                d += dialecto.campos;
                const std::string& texto = rCsv.campos.*v.campo;
                if (t.error.empty() && texto != "-")
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
                anadirCeldaCsv(
                    d,
                    pendientesCsv
                        ? textoPendientes(*pendientesCsv, dialecto.decimal, dialecto.decimal)
                        : textoPendientes(*t.pendientes, o.sep, dialecto.decimal),
                    dialecto);
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
