#include "ui/modelo_red.h"

#include "check/leyendas.h"
#include "check/numero.h"
#include "check/textos_pendientes.h"

#include <QBrush>
#include <QColor>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>

namespace colvero::ui {
namespace {

QString deUtf8(const std::string& texto) {
    return QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
}

constexpr const char* kTextosClase[] = {"[SI]", "[NO]", "[ERROR]", "-"};

// Light grounds under dark text: green passes, red does not, amber could not be decided.
QColor fondoDeClase(int clase) {
    switch (clase) {
    case 0:
        return {200, 240, 200};
    case 1:
        return {255, 200, 200};
    case 2:
        return {255, 225, 150};
    default:
        return {};
    }
}

// Rows by their first interval of admissible slopes, its lower end and then its upper one;
// rows where nothing passes after those, and rows not searched last.
std::tuple<int, double, double> clavePendientes(const FilaRedComprobada& f) {
    if (!f.pendientes)
        return {2, 0, 0};
    if (f.pendientes->intervalos.empty())
        return {1, 0, 0};
    const IntervaloPendientes& t = f.pendientes->intervalos.front();
    return {0, t.minima ? t.minima->valor : kPendienteMinima,
            t.maxima ? t.maxima->valor : kPendienteMaxima};
}

// `x` with `decimales` decimals and `sep`.
QString fijo(double x, int decimales, char sep) {
    if (!std::isfinite(x))
        return QStringLiteral("—"); // a depth at an end without ground
    char b[64];
    const auto r = std::to_chars(b, b + sizeof b, x, std::chars_format::fixed, decimales);
    QString s = QString::fromLatin1(b, static_cast<qsizetype>(r.ptr - b));
    s.replace(QLatin1Char('.'), QLatin1Char(sep));
    if (s.startsWith(QLatin1Char('-')) && s.count(QLatin1Char('0')) == s.size() - 2)
        s.remove(0, 1); // no «-0.00»
    return s;
}

// An invert in cm as metres to the centimetre, from the integer: no rounding of a double.
QString cota(long long cm, char sep) {
    const unsigned long long a = static_cast<unsigned long long>(std::llabs(cm));
    return QStringLiteral("%1%2%3%4")
        .arg(cm < 0 ? QStringLiteral("-") : QString())
        .arg(a / 100)
        .arg(QLatin1Char(sep))
        .arg(a % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

FilaRedComprobada filaComprobada(red::Trabajo&& t, char, char decimalTabla) {
    FilaRedComprobada f;
    f.numero = t.fila.numero;
    f.celdas = std::move(t.fila.celdas);
    f.numeros.reserve(f.celdas.size());
    for (const std::string& celda : f.celdas) {
        const std::optional<double> x = leerNumero(celda, decimalTabla);
        f.numeros.push_back(x ? *x : std::numeric_limits<double>::quiet_NaN());
    }
    f.codigo = static_cast<std::uint8_t>(t.codigo);
    f.criterio = t.criterio;
    if (!t.error.empty()) {
        f.estado = std::move(t.error);
    } else if (!t.omitido.empty()) {
        f.omitido = true;
        f.estado = std::move(t.omitido);
    } else {
        for (std::size_t k = 0; k < 10; ++k)
            f.clases[k] =
                static_cast<std::uint8_t>(red::claseDeVeredicto(t.r.condiciones[k].veredicto));
        f.estado = t.r.fin == FinCalculo::ColectorInvalido ? t.r.notaCol : t.r.notaCalC;
        f.pendientes = std::move(t.pendientes);
        if (t.menor)
            f.menor = std::move(*t.menor);
        else
            f.sinMenor = t.serie != nullptr;
    }
    f.csv = std::move(t.csv);
    return f;
}

ModeloRed::ModeloRed(QObject* padre) : QAbstractTableModel(padre) {}

void ModeloRed::empezar(const CabeceraRed& cabecera, const red::OpcionesRed& opciones,
                        std::shared_ptr<const void> dueno) {
    beginResetModel();
    cabecera_ = cabecera;
    opciones_ = opciones;
    filas_.clear();
    filas_.shrink_to_fit();
    porCodigo_ = {};
    omitidos_ = 0;
    dueno_ = std::move(dueno);
    diseno_.reset();
    endResetModel();
}

void ModeloRed::ponerDiseno(std::shared_ptr<const DisenoMostrado> diseno) {
    beginResetModel();
    diseno_ = std::move(diseno);
    endResetModel();
}

int ModeloRed::columnaDiseno(ColumnaDiseno c) const {
    return diseno_ ? columnaEstado() + 1 + static_cast<int>(c) : -1;
}

void ModeloRed::vaciar() {
    empezar(CabeceraRed(), red::OpcionesRed(), nullptr);
}

void ModeloRed::anadir(std::vector<FilaRedComprobada>&& filas) {
    if (filas.empty())
        return;
    const int primera = this->filas();
    beginInsertRows({}, primera, primera + static_cast<int>(filas.size()) - 1);
    for (FilaRedComprobada& f : filas) {
        if (f.omitido)
            ++omitidos_;
        else
            ++porCodigo_[f.codigo];
        filas_.push_back(std::move(f));
    }
    endInsertRows();
}

int ModeloRed::columnaEntrada(ColumnaRed c) const {
    const int k = cabecera_.columna(c);
    return k < 0 ? -1 : 1 + k;
}

int ModeloRed::columnaVeredicto(int k) const {
    return columnasEntrada() + k - 1;
}

int ModeloRed::columnaPendientes() const {
    return opciones_.pendientes ? columnasEntrada() + 10 : -1;
}

int ModeloRed::columnaMenor() const {
    return opciones_.conSerie ? columnasEntrada() + 10 + (opciones_.pendientes ? 1 : 0) : -1;
}

int ModeloRed::columnaEstado() const {
    return columnasEntrada() + 10 + (opciones_.pendientes ? 1 : 0) + (opciones_.conSerie ? 1 : 0);
}

int ModeloRed::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : filas();
}

int ModeloRed::columnCount(const QModelIndex& padre) const {
    return padre.isValid() || cabecera_.nombres.empty()
               ? 0
               : columnaEstado() + 1 + (diseno_ ? kColumnasDiseno : 0);
}

QVariant ModeloRed::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid() || indice.row() >= filas())
        return {};
    const FilaRedComprobada& f = fila(indice.row());
    const int c = indice.column();
    const int entradas = columnasEntrada();
    // A row that could not be checked stands out whole, not only in its verdicts.
    const bool fuera =
        c < entradas || c >= entradas + 10 || f.clases[static_cast<std::size_t>(c - entradas)] == 3;
    if (f.codigo == 2 && fuera) {
        if (rol == Qt::BackgroundRole)
            return QBrush(fondoDeClase(2));
        if (rol == Qt::ForegroundRole)
            return QBrush(Qt::black);
    }
    if (f.omitido && rol == Qt::ForegroundRole)
        return QBrush(Qt::darkGray);
    if (c == 0) {
        if (rol == Qt::DisplayRole || rol == kRolOrden)
            return f.numero;
        if (rol == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    if (c < entradas) {
        const std::string& celda = f.celdas[static_cast<std::size_t>(c - 1)];
        const double x = f.numeros[static_cast<std::size_t>(c - 1)];
        switch (rol) {
        case Qt::DisplayRole:
            return deUtf8(celda);
        case kRolOrden:
            if (!std::isnan(x))
                return x;
            return deUtf8(celda);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue((std::isnan(x) ? Qt::AlignLeft : Qt::AlignRight) |
                                       Qt::AlignVCenter);
        default:
            return {};
        }
    }
    if (c < entradas + 10) {
        const int clase = f.clases[static_cast<std::size_t>(c - entradas)];
        switch (rol) {
        case Qt::DisplayRole:
            return QString::fromLatin1(kTextosClase[clase]);
        case kRolOrden:
            return clase;
        case Qt::BackgroundRole:
            if (clase < 3)
                return QBrush(fondoDeClase(clase));
            return {};
        case Qt::ForegroundRole:
            if (clase < 3)
                return QBrush(Qt::black);
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignCenter);
        default:
            return {};
        }
    }
    if (diseno_ && c > columnaEstado())
        return datoDeDiseno(f, static_cast<ColumnaDiseno>(c - columnaEstado() - 1), rol);
    if (rol != Qt::DisplayRole && rol != kRolOrden && rol != Qt::ToolTipRole)
        return {};
    if (c == columnaPendientes()) {
        if (!f.pendientes)
            return QString();
        if (rol == Qt::ToolTipRole)
            return deUtf8(textoPendientesCompleto(*f.pendientes, opciones_.sep));
        std::string celda;
        anadirCeldaPendientes(celda, *f.pendientes, opciones_.sep, false);
        return deUtf8(celda);
    }
    if (c == columnaMenor())
        return f.sinMenor ? QStringLiteral("ninguno") : deUtf8(f.menor);
    if (c == columnaEstado())
        return deUtf8(f.estado);
    return {};
}

QVariant ModeloRed::datoDeDiseno(const FilaRedComprobada& f, ColumnaDiseno c, int rol) const {
    const diseno::TramoDisenado* t = diseno_->de(static_cast<std::size_t>(f.numero - 1));
    if (!t)
        return {};
    const bool disenado = t->sinDiseno.empty();
    if (c == ColumnaDiseno::SinDiseno) {
        if (rol == Qt::DisplayRole || rol == kRolOrden || rol == Qt::ToolTipRole)
            return deUtf8(t->sinDiseno);
        return {};
    }
    if (!disenado)
        return {};
    if (rol == Qt::TextAlignmentRole)
        return QVariant::fromValue((c == ColumnaDiseno::Tubo ? Qt::AlignLeft : Qt::AlignRight) |
                                   Qt::AlignVCenter);
    if (rol != Qt::DisplayRole && rol != kRolOrden)
        return {};
    const bool texto = rol == Qt::DisplayRole;
    const char sep = opciones_.sep;
    switch (c) {
    case ColumnaDiseno::Tubo:
        if (texto || t->tubo >= diseno_->serie.size())
            return t->tubo < diseno_->serie.size() ? deUtf8(diseno_->serie[t->tubo].nombre)
                                                   : QString();
        return diseno_->serie[t->tubo].diametro;
    case ColumnaDiseno::CotaInicio:
        return texto ? QVariant(cota(t->cotaInicio, sep))
                     : QVariant(static_cast<double>(t->cotaInicio) / 100.0);
    case ColumnaDiseno::CotaFin:
        return texto ? QVariant(cota(t->cotaFin, sep))
                     : QVariant(static_cast<double>(t->cotaFin) / 100.0);
    case ColumnaDiseno::ProfundidadInicio:
        return texto ? QVariant(fijo(t->profundidadInicio, 2, sep))
                     : QVariant(t->profundidadInicio);
    case ColumnaDiseno::ProfundidadFin:
        return texto ? QVariant(fijo(t->profundidadFin, 2, sep)) : QVariant(t->profundidadFin);
    case ColumnaDiseno::Resalto:
        return texto ? QVariant(fijo(t->resalto, 2, sep)) : QVariant(t->resalto);
    case ColumnaDiseno::Coste:
        return texto ? QVariant(fijo(t->coste, 2, sep)) : QVariant(t->coste);
    case ColumnaDiseno::SinDiseno:
        break;
    }
    return {};
}

bool ModeloRed::menorQue(int a, int b, int columna) const {
    const FilaRedComprobada& fa = fila(a);
    const FilaRedComprobada& fb = fila(b);
    const int entradas = columnasEntrada();
    if (columna == 0)
        return fa.numero < fb.numero;
    if (columna < entradas) {
        const auto k = static_cast<std::size_t>(columna - 1);
        const double xa = fa.numeros[k];
        const double xb = fb.numeros[k];
        // Numbers before texts, so that a column of numbers keeps its few bad cells together.
        if (std::isnan(xa) != std::isnan(xb))
            return !std::isnan(xa);
        if (!std::isnan(xa))
            return xa < xb;
        return QString::compare(deUtf8(fa.celdas[k]), deUtf8(fb.celdas[k]), Qt::CaseInsensitive) <
               0;
    }
    if (columna < entradas + 10) {
        const auto k = static_cast<std::size_t>(columna - entradas);
        return fa.clases[k] < fb.clases[k];
    }
    if (columna == columnaPendientes())
        return clavePendientes(fa) < clavePendientes(fb);
    if (diseno_ && columna > columnaEstado()) {
        // Numbers before texts, and both before the rows the column leaves empty.
        const auto clave = [&](const FilaRedComprobada& f) {
            const QVariant v = datoDeDiseno(
                f, static_cast<ColumnaDiseno>(columna - columnaEstado() - 1), kRolOrden);
            if (v.typeId() == QMetaType::Double)
                return std::tuple<int, double, QString>{0, v.toDouble(), QString()};
            const QString s = v.toString();
            return std::tuple<int, double, QString>{s.isEmpty() ? 2 : 1, 0.0, s};
        };
        return clave(fa) < clave(fb);
    }
    const auto texto = [&](const FilaRedComprobada& f) -> const std::string& {
        return columna == columnaMenor() ? f.menor : f.estado;
    };
    return texto(fa) < texto(fb);
}

QVariant ModeloRed::headerData(int seccion, Qt::Orientation orientacion, int rol) const {
    if (orientacion != Qt::Horizontal || seccion < 0 || seccion >= columnCount())
        return QAbstractTableModel::headerData(seccion, orientacion, rol);
    const int entradas = columnasEntrada();
    if (rol == Qt::DisplayRole) {
        if (seccion == 0)
            return QStringLiteral("Fila");
        if (seccion < entradas)
            return deUtf8(cabecera_.nombres[static_cast<std::size_t>(seccion - 1)]);
        if (seccion < entradas + 10)
            return QStringLiteral("(%1)").arg(seccion - entradas + 1);
        if (seccion == columnaPendientes())
            return QStringLiteral("Pendientes (m/m)");
        if (seccion == columnaMenor())
            return QStringLiteral("Menor que cumple");
        if (diseno_ && seccion > columnaEstado()) {
            static const char* const kNombres[kColumnasDiseno] = {
                "Tubo",      "Cota inicio", "Cota fin",   "Prof. inicio",
                "Prof. fin", "Resalto",     "Coste (m³)", "Sin diseño"};
            return QString::fromUtf8(kNombres[seccion - columnaEstado() - 1]);
        }
        return QStringLiteral("Estado");
    }
    if (rol == Qt::ToolTipRole) {
        if (seccion == 0)
            return QStringLiteral("Fila de la tabla (la cabecera es la fila 1)");
        if (seccion >= entradas && seccion < entradas + 10)
            return QString::fromUtf8(leyendas::kTitulosCondicion[seccion - entradas]).simplified();
        if (seccion == columnaPendientes())
            return QStringLiteral("Pendientes admisibles y, tras «·», las condiciones que "
                                  "deciden su extremo inferior y su superior");
        if (seccion == columnaMenor())
            return QStringLiteral("Menor tubo de la serie que cumple a la pendiente del tramo");
        if (diseno_ && seccion > columnaEstado()) {
            static const char* const kAyudas[kColumnasDiseno] = {
                "Tubo de la serie que da el diseño",
                "Cota de solera diseñada en el extremo de aguas arriba (m)",
                "Cota de solera diseñada en el extremo de aguas abajo (m)",
                "Del terreno a la solera en el extremo de aguas arriba (m)",
                "Del terreno a la solera en el extremo de aguas abajo (m)",
                "Caída en el pozo de aguas arriba: la solera más baja de los que llegan menos "
                "la del tramo (m); más de 0,50 m es un pozo de resalto",
                "Volumen de excavación del tramo (m³)",
                "Por qué el tramo no tiene diseño"};
            return QString::fromUtf8(kAyudas[seccion - columnaEstado() - 1]);
        }
    }
    return {};
}

FiltroRed::FiltroRed(QObject* padre) : QSortFilterProxyModel(padre) {
    setSortRole(ModeloRed::kRolOrden);
}

void FiltroRed::mostrar(Mostrar filas) {
    if (filas == mostrar_)
        return;
    mostrar_ = filas;
    // One rebuild of the whole mapping: row by row removals cost the view far more.
    invalidate();
}

bool FiltroRed::filterAcceptsRow(int fila, const QModelIndex&) const {
    const auto* modelo = static_cast<const ModeloRed*>(sourceModel());
    switch (mostrar_) {
    case Mostrar::NoCumplen:
        return modelo->fila(fila).codigo != 0;
    case Mostrar::ConErrores:
        return modelo->fila(fila).codigo == 2;
    case Mostrar::Todos:
        break;
    }
    return true;
}

bool FiltroRed::lessThan(const QModelIndex& izquierda, const QModelIndex& derecha) const {
    return static_cast<const ModeloRed*>(sourceModel())
        ->menorQue(izquierda.row(), derecha.row(), izquierda.column());
}

} // namespace colvero::ui
