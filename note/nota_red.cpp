#include "note/nota_red.h"

#include "check/leyendas.h"
#include "check/textos_pendientes.h"
#include "files/lectura.h"
#include "note/nota.h"
#include "profile/dibujo_perfil.h"
#include "report/producto.h"

#include <QFontMetricsF>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace colvero::nota {
namespace {

constexpr int kResolucion = 300; // dots per inch of the painter's coordinates
constexpr double kMargen = 12.0; // mm, every side
constexpr double kAncho = 297.0; // mm: A4 landscape, for the width of the table of reaches
constexpr double kAlto = 210.0;  // mm
constexpr double kPie = 8.0;     // mm kept at the bottom for the footer

constexpr double mm(double v) {
    return v * kResolucion / 25.4;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

QString u8(const std::string& s) {
    return QString::fromStdString(s);
}

// `x` with `decimales` fixed decimals and `sep`; "-" when it is not a number.
QString fijo(double x, int decimales, char sep) {
    if (!std::isfinite(x))
        return QStringLiteral("-");
    char b[64];
    const auto [fin, error] =
        std::to_chars(b, b + sizeof b, x, std::chars_format::fixed, decimales);
    if (error != std::errc())
        return QStringLiteral("-");
    std::replace(b, fin, '.', sep);
    return QString::fromLatin1(b, static_cast<qsizetype>(fin - b));
}

QString llano(double x, char sep) {
    return u8(decimalLlano(x, sep));
}

constexpr std::array<const char*, 4> kClases{"SI", "NO", "ERROR", "-"};

// The colour of a reach in the plan and of its verdict cells: passes, fails, error, none.
QColor colorDeCodigo(int codigo) {
    switch (codigo) {
    case 0:
        return QColor(0x1a, 0x7a, 0x36);
    case 1:
        return QColor(0xc0, 0x10, 0x10);
    case 2:
        return QColor(0xe0, 0x8a, 0x00);
    default:
        return QColor(0x90, 0x90, 0x90);
    }
}

// Lines no wider than `ancho`: broken at blanks, and a word wider than the line cut where it
// overflows, so that no identifier runs into the next cell.
QStringList lineasDe(const QString& texto, const QFontMetricsF& m, double ancho) {
    QStringList salida;
    for (const QString& linea : partirLineas(texto, m, ancho).split(u'\n')) {
        QString resto = linea;
        while (m.horizontalAdvance(resto) > ancho && resto.size() > 1) {
            qsizetype k = 1;
            while (k < resto.size() && m.horizontalAdvance(resto.left(k + 1)) <= ancho)
                ++k;
            salida << resto.left(k);
            resto = resto.mid(k);
        }
        salida << resto;
    }
    return salida;
}

// Lays out the note on A4 landscape pages, top to bottom. The same composition runs twice:
// first without a painter, to count the pages, then painting, so that each footer can say
// «Página N de M». Only the current page is ever held.
class Hoja {
public:
    Hoja(QPdfWriter& pdf, QPainter* p, int total) : pdf_(pdf), p_(p), total_(total) {}

    bool pinta() const { return p_ != nullptr; }
    QPainter& p() { return *p_; }
    QPaintDevice* dispositivo() const { return &pdf_; }
    double izquierda() const { return mm(kMargen); }
    double ancho() const { return mm(kAncho - 2 * kMargen); }
    double y() const { return y_; }
    double arriba() const { return mm(kMargen); }
    void bajar(double alto) { y_ += alto; }
    double queda() const { return mm(kAlto - kMargen - kPie) - y_; }
    int pagina() const { return pagina_; }

    void nueva() {
        if (pinta()) {
            pie();
            pdf_.newPage();
        }
        ++pagina_;
        y_ = arriba();
    }

    // Room for `alto`, on a new page when this one has not that much left.
    void asegurar(double alto) {
        if (alto > queda() && y_ > arriba())
            nueva();
    }

    double alturaLinea(const QFont& f) const { return QFontMetricsF(f, &pdf_).lineSpacing(); }

    void lineas(const QStringList& ls, const QFont& f, double x, double y,
                const QColor& color = Qt::black) {
        if (!pinta())
            return;
        p_->setFont(f);
        p_->setPen(color);
        const QFontMetricsF m(f, &pdf_);
        for (qsizetype k = 0; k < ls.size(); ++k)
            p_->drawText(QPointF(x, y + m.ascent() + static_cast<double>(k) * m.lineSpacing()),
                         ls[k]);
    }

    // A paragraph across the width, `antes` below what precedes it; it may run over pages.
    void parrafo(const QString& texto, const QFont& f, double antes = 0, double sangria = 0) {
        const QStringList ls = lineasDe(texto, QFontMetricsF(f, &pdf_), ancho() - sangria);
        const double h = alturaLinea(f);
        asegurar(antes + h);
        y_ += antes;
        for (const QString& l : ls) {
            asegurar(h);
            lineas({l}, f, izquierda() + sangria, y_);
            y_ += h;
        }
    }

    void titulo(const QString& texto) {
        // A heading never stands alone at the foot of a page.
        asegurar(mm(5) + alturaLinea(fuenteNota(11, true)) + mm(12));
        parrafo(texto, fuenteNota(11, true), mm(5));
        y_ += mm(1);
    }

    void terminar() {
        if (pinta())
            pie();
    }

private:
    void pie() {
        const QFont f = fuenteNota(7);
        const double base = mm(kAlto - kMargen);
        p_->setFont(f);
        p_->setPen(Qt::darkGray);
        p_->drawText(QPointF(izquierda(), base),
                     QString::fromUtf8(producto::kNombre) + QStringLiteral(" ") +
                         QString::fromUtf8(producto::kVersionCompleta) + QStringLiteral(" — ") +
                         QString::fromUtf8(producto::kAvisoFabricante));
        const QString numero = QStringLiteral("Página %1 de %2").arg(pagina_).arg(total_);
        p_->drawText(
            QPointF(izquierda() + ancho() - QFontMetricsF(f, &pdf_).horizontalAdvance(numero),
                    base),
            numero);
        p_->setPen(Qt::black);
    }

    QPdfWriter& pdf_;
    QPainter* p_;
    int total_;
    int pagina_ = 1;
    double y_ = mm(kMargen);
};

// A table whose header row is repeated at the top of every page it runs onto.
class Tabla {
public:
    Tabla(Hoja& h, std::vector<double> anchos, QStringList cabecera, double puntos)
        : h_(h), anchos_(std::move(anchos)), cabecera_(std::move(cabecera)),
          normal_(fuenteNota(puntos)), negrita_(fuenteNota(puntos, true)), relleno_(mm(0.7)) {}

    // `fondos` tints cells (an invalid colour: none).
    void fila(const QStringList& celdas, const std::vector<QColor>& fondos = {}) {
        const double alto = medir(celdas, normal_);
        if (!empezada_ || alto > h_.queda()) {
            if (empezada_ || alto + altoCabecera() > h_.queda())
                h_.nueva();
            empezada_ = true;
            pintar(cabecera_, negrita_, medir(cabecera_, negrita_), {}, true);
        }
        pintar(celdas, normal_, alto, fondos, false);
    }

private:
    double altoCabecera() { return medir(cabecera_, negrita_); }

    double medir(const QStringList& celdas, const QFont& f) {
        const QFontMetricsF m(f, h_.dispositivo());
        qsizetype n = 1;
        for (qsizetype c = 0; c < celdas.size(); ++c)
            n = std::max(
                n, lineasDe(celdas[c], m, anchos_[static_cast<size_t>(c)] - 2 * relleno_).size());
        return static_cast<double>(n) * m.lineSpacing() + 2 * relleno_;
    }

    void pintar(const QStringList& celdas, const QFont& f, double alto,
                const std::vector<QColor>& fondos, bool cabecera) {
        if (h_.pinta()) {
            const QFontMetricsF m(f, h_.dispositivo());
            double x = h_.izquierda();
            for (qsizetype c = 0; c < celdas.size(); ++c) {
                const double w = anchos_[static_cast<size_t>(c)];
                const QRectF caja(x, h_.y(), w, alto);
                if (cabecera)
                    h_.p().fillRect(caja, QColor(230, 230, 230));
                else if (static_cast<size_t>(c) < fondos.size() &&
                         fondos[static_cast<size_t>(c)].isValid())
                    h_.p().fillRect(caja, fondos[static_cast<size_t>(c)]);
                h_.p().setPen(QPen(Qt::gray, mm(0.1)));
                h_.p().drawRect(caja);
                h_.lineas(lineasDe(celdas[c], m, w - 2 * relleno_), f, x + relleno_,
                          h_.y() + relleno_);
                x += w;
            }
        }
        h_.bajar(alto);
    }

    Hoja& h_;
    std::vector<double> anchos_;
    QStringList cabecera_;
    QFont normal_, negrita_;
    double relleno_;
    bool empezada_ = false;
};

QString textoHipotesis(const red::Hipotesis& h, char sep) {
    QStringList condiciones;
    for (std::size_t k = 0; k < h.condicion.size(); ++k)
        condiciones << QStringLiteral("(%1) %2").arg(k + 1).arg(
            QString::fromUtf8(red::nombreCaudal(h.condicion[k])));
    return QStringLiteral("Coeficiente punta Cp = a + b·(Qm en l/s)^(−c), con a = %1, b = %2 y "
                          "c = %3, entre %4 y %5. Caudal mínimo Qmin = máx(%6·Qm; %7 m3/s). "
                          "Infiltración: %8 m3/s por metro de tubo. Caudal de cada condición: "
                          "%9.")
        .arg(llano(h.a, sep), llano(h.b, sep), llano(h.c, sep), llano(h.cpMinimo, sep),
             llano(h.cpMaximo, sep), llano(h.factorMinimo, sep), llano(h.caudalMinimo, sep),
             llano(h.infiltracion, sep), condiciones.join(QStringLiteral(", ")));
}

// `conNombres`: the criterion's flow names, which a hypothesis replaces for derived flows.
QString textoCriterio(const Criterio& c, bool conNombres) {
    QStringList partes;
    QStringList activas;
    for (std::size_t k = 0; k < c.activa.size(); ++k)
        if (c.activa[k])
            activas << QString::number(k + 1);
    partes << QStringLiteral("Condiciones activas: ") +
                  (activas.isEmpty() ? QStringLiteral("ninguna")
                                     : activas.join(QStringLiteral(", "))) +
                  QStringLiteral(".");
    for (int k = 1; k <= 10; ++k) {
        if (!c.activa[static_cast<std::size_t>(k - 1)])
            continue;
        QString linea = QString::fromUtf8(leyendas::kTitulosCondicion[static_cast<size_t>(k - 1)])
                            .simplified() +
                        QStringLiteral(": ") +
                        limiteCondicion(c, k).replace(u'\n', QStringLiteral("; "));
        if (conNombres && k <= 7 && !c.denominacion[static_cast<size_t>(k - 1)].empty())
            linea += QStringLiteral(" (Q%1: %2)")
                         .arg(k)
                         .arg(u8(c.denominacion[static_cast<size_t>(k - 1)]));
        partes << linea;
    }
    return partes.join(u'\n');
}

void fuentes(Hoja& h, const FuentesRed& f, const red::RedGrafo* g, char sep) {
    const QFont texto = fuenteNota(8.5);
    h.titulo(QStringLiteral("Fuentes"));
    const std::pair<QString, const QString*> lineas[] = {
        {QStringLiteral("Red"), &f.red},
        {QStringLiteral("Formato"), &f.formato},
        {QStringLiteral("Capa de tramos"), &f.capa},
        {QStringLiteral("Pozos"), &f.pozos},
        {QStringLiteral("Informe SWMM"), &f.informe},
        {QStringLiteral("Hipótesis de caudales"), &f.hipotesis},
    };
    for (const auto& [nombre, valor] : lineas)
        if (!valor->isEmpty())
            h.parrafo(nombre + QStringLiteral(": ") + *valor, texto, mm(0.5));
    if (g && g->hipotesis)
        h.parrafo(textoHipotesis(*g->hipotesis, sep), texto, mm(0.5), mm(5));
    if (!f.criterio.isEmpty())
        h.parrafo(QStringLiteral("Criterio: ") + f.criterio, texto, mm(0.5));
    if (f.limites)
        h.parrafo(textoCriterio(*f.limites, !(g && g->hipotesis)), texto, mm(0.5), mm(5));
    if (!f.serie.isEmpty())
        h.parrafo(QStringLiteral("Serie de diámetros: ") + f.serie, texto, mm(0.5));
    if (g && !g->avisos.empty()) {
        QStringList avisos;
        for (const std::string& a : g->avisos)
            avisos << u8(a);
        h.parrafo(QStringLiteral("Topología:"), texto, mm(1.5));
        h.parrafo(avisos.join(u'\n'), texto, mm(0.5), mm(5));
    }
}

// The design's limits, cost, quantities, drops and reaches without a design.
void seccionDeDiseno(Hoja& h, const SeccionDiseno& s, char sep) {
    const auto metros = [&](double x) { return llano(x, sep) + QStringLiteral(" m"); };
    const QFont texto = fuenteNota(9);
    const diseno::Limites& l = s.limites;
    h.titulo(QStringLiteral("Diseño de la red"));
    h.parrafo(QStringLiteral("Cada conducto lleva un tubo de la serie y las cotas de solera de sus "
                             "dos extremos, al centímetro, elegidos para que cumpla a su pendiente "
                             "todas las condiciones activas del criterio y los límites siguientes, "
                             "con la menor excavación. El resto de esta nota es la comprobación "
                             "de la red diseñada."),
              texto, mm(0.5));
    h.parrafo(QStringLiteral("Recubrimiento mínimo sobre la clave: %1; profundidad máxima de la "
                             "solera: %2; resalto mínimo en los pozos: %3; alineación de claves: "
                             "%4.")
                  .arg(metros(l.recubrimiento), metros(l.profundidadMaxima),
                       metros(l.resaltoMinimo),
                       l.alinearClaves ? QStringLiteral("sí") : QStringLiteral("no")),
              texto, mm(1));
    h.parrafo(QStringLiteral("Zanja: sobreancho b %1 a cada lado del tubo; cama c %2.")
                  .arg(metros(l.sobreancho), metros(l.cama)),
              texto, mm(0.5));
    if (l.fijas.empty()) {
        h.parrafo(QStringLiteral("Cotas fijas: ninguna."), texto, mm(0.5));
    } else {
        QStringList ls;
        for (const auto& [nodo, cota] : l.fijas) {
            const double redondeada = static_cast<double>(diseno::centimetros(cota)) / 100.0;
            QString linea = QStringLiteral("«%1»: %2").arg(u8(textoVisible(nodo)), metros(cota));
            if (redondeada != cota)
                linea += QStringLiteral(", redondeada al centímetro: %1 m")
                             .arg(fijo(redondeada, 2, sep));
            ls << linea;
        }
        h.parrafo(QStringLiteral("Cotas fijas de solera:"), texto, mm(0.5));
        h.parrafo(ls.join(u'\n'), texto, mm(0.5), mm(5));
    }
    h.parrafo(QStringLiteral("Coste: el volumen de excavación, suma en todos los tramos diseñados "
                             "de la longitud L por el ancho de la zanja, D + 2·b, por la "
                             "profundidad media hasta la solera más la cama c: "
                             "Σ L·(D + 2·b)·(profundidad media + c)."),
              texto, mm(1));
    h.parrafo(QStringLiteral("Excavación: %1 m3").arg(fijo(s.coste, 2, sep)), fuenteNota(9, true),
              mm(0.5));
    h.parrafo(QStringLiteral("Tramos: %1; con diseño %2, sin diseño %3.")
                  .arg(s.tramos)
                  .arg(s.tramos - std::min(s.tramos, s.sinDiseno.size()))
                  .arg(s.sinDiseno.size()),
              texto, mm(0.5));

    if (!s.porTubo.empty()) {
        h.parrafo(QStringLiteral("Longitud de tubo por diámetro:"), texto, mm(2));
        h.bajar(mm(1));
        Tabla t(h, {mm(50), mm(25), mm(30)},
                {QStringLiteral("Tubo"), QStringLiteral("D (m)"), QStringLiteral("Longitud (m)")},
                8);
        for (const SeccionDiseno::Longitud& x : s.porTubo)
            t.fila({u8(textoVisible(x.tubo)), fijo(x.D, 3, sep), fijo(x.longitud, 2, sep)});
    }

    const auto pozos =
        std::count_if(s.resaltos.begin(), s.resaltos.end(),
                      [](const SeccionDiseno::Resalto& r) { return r.resalto > 0.5; });
    h.parrafo(QStringLiteral("Resaltos: %1; pozos de resalto (más de %2 m): %3.")
                  .arg(s.resaltos.size())
                  .arg(fijo(0.5, 2, sep))
                  .arg(pozos),
              texto, mm(2));
    if (!s.resaltos.empty()) {
        h.bajar(mm(1));
        Tabla t(h, {mm(40), mm(40), mm(25), mm(35)},
                {QStringLiteral("Pozo"), QStringLiteral("Tramo"), QStringLiteral("Resalto (m)"),
                 QString()},
                8);
        for (const SeccionDiseno::Resalto& r : s.resaltos)
            t.fila({u8(textoVisible(r.pozo)), u8(textoVisible(r.tramo)), fijo(r.resalto, 2, sep),
                    r.resalto > 0.5 ? QStringLiteral("pozo de resalto") : QString()});
    }

    if (!s.sinDiseno.empty()) {
        QStringList ls;
        for (const SeccionDiseno::SinDiseno& x : s.sinDiseno)
            ls << u8(x.motivo);
        h.parrafo(QStringLiteral("Tramos sin diseño (conservan los datos de la fuente):"), texto,
                  mm(2));
        h.parrafo(ls.join(u'\n'), texto, mm(0.5), mm(5));
    }
}

void resumen(Hoja& h, const std::vector<TramoNota>& tramos) {
    const ResumenRed r = resumir(tramos);
    h.titulo(QStringLiteral("Resumen"));
    h.parrafo(QStringLiteral("Tramos: %1; cumplen %2, no cumplen %3, no se han podido comprobar "
                             "%4, no se comprueban %5.")
                  .arg(r.tramos)
                  .arg(r.cumplen)
                  .arg(r.noCumplen)
                  .arg(r.noComprobados)
                  .arg(r.omitidos),
              fuenteNota(9, true), mm(0.5));
    // Why reaches are left out, each reason once with its count.
    std::map<std::string, long long> motivos;
    for (const TramoNota& t : tramos)
        if (t.codigo < 0)
            ++motivos[t.motivo];
    if (!motivos.empty()) {
        QStringList ls;
        for (const auto& [motivo, cuantos] : motivos)
            ls << QStringLiteral("%1: %2").arg(u8(motivo)).arg(cuantos);
        h.parrafo(QStringLiteral("No se comprueban:"), fuenteNota(8.5), mm(1));
        h.parrafo(ls.join(u'\n'), fuenteNota(8.5), mm(0.5), mm(5));
    }
    h.bajar(mm(2));
    const double w = mm(30);
    Tabla t(h, {mm(80), w, w, w, w},
            {QStringLiteral("Condición"), QStringLiteral("Cumplen"), QStringLiteral("No cumplen"),
             QStringLiteral("[ERROR]"), QStringLiteral("Sin evaluar")},
            8);
    for (std::size_t k = 0; k < 10; ++k) {
        const auto& c = r.porCondicion[k];
        t.fila({QString::fromUtf8(leyendas::kTitulosCondicion[k]).simplified(),
                QString::number(c[0]), QString::number(c[1]), QString::number(c[2]),
                QString::number(c[3])});
    }
}

void tablaTramos(Hoja& h, const std::vector<TramoNota>& tramos, char sep) {
    h.titulo(QStringLiteral("Tramos"));
    std::vector<double> anchos{mm(22), mm(17), mm(17), mm(11), mm(10),
                               mm(14), mm(13), mm(14), mm(11), mm(11)};
    for (int k = 0; k < 10; ++k)
        anchos.push_back(mm(8));
    double usado = 0;
    for (double a : anchos)
        usado += a;
    anchos.push_back(h.ancho() - usado);
    QStringList cabecera{QStringLiteral("Tramo"),    QStringLiteral("Desde"),
                         QStringLiteral("Hasta"),    QStringLiteral("D (m)"),
                         QStringLiteral("n"),        QStringLiteral("i (m/m)"),
                         QStringLiteral("L (m)"),    QStringLiteral("Q1 (m3/s)"),
                         QStringLiteral("y/D4 (%)"), QStringLiteral("v2 (m/s)")};
    for (int k = 1; k <= 10; ++k)
        cabecera << QStringLiteral("(%1)").arg(k);
    cabecera << QStringLiteral("Pendientes admisibles");
    Tabla t(h, anchos, cabecera, 6.5);
    std::vector<QColor> fondos(anchos.size());
    const std::array<QColor, 3> tintes{QColor(0xdc, 0xf0, 0xe0), QColor(0xf6, 0xd5, 0xd5),
                                       QColor(0xfb, 0xe8, 0xc8)};
    for (const TramoNota& r : tramos) {
        QStringList celdas{u8(r.tramo),
                           u8(r.desde),
                           u8(r.hasta),
                           fijo(r.D, 3, sep),
                           fijo(r.n, 4, sep),
                           fijo(r.i, 5, sep),
                           fijo(r.longitud, 2, sep),
                           fijo(r.Q1, 4, sep),
                           fijo(r.yD4, 1, sep),
                           fijo(r.v2, 2, sep)};
        for (std::size_t k = 0; k < 10; ++k) {
            const int c = r.clase[k] < 0 ? 3 : r.clase[k];
            celdas << QString::fromLatin1(kClases[static_cast<size_t>(c)]);
            fondos[10 + k] = c < 3 ? tintes[static_cast<size_t>(c)] : QColor();
        }
        celdas << (r.codigo < 0 ? u8(r.motivo) : u8(r.pendientes));
        t.fila(celdas, fondos);
    }
}

void queNoCumplen(Hoja& h, const std::vector<TramoNota>& tramos) {
    const QFont negrita = fuenteNota(8.5, true);
    const QFont texto = fuenteNota(8);
    bool alguno = false;
    for (const TramoNota& r : tramos) {
        if (r.codigo <= 0)
            continue;
        if (!alguno)
            h.titulo(QStringLiteral("Tramos que no cumplen o no se han podido comprobar"));
        alguno = true;
        QString quien = QStringLiteral("Tramo «%1»").arg(u8(r.tramo));
        if (!r.desde.empty() || !r.hasta.empty())
            quien += QStringLiteral(" (%1 → %2)").arg(u8(r.desde), u8(r.hasta));
        h.asegurar(mm(1.5) + 2 * h.alturaLinea(texto));
        h.parrafo(quien, negrita, mm(1.5));
        h.parrafo(u8(r.motivo), texto, 0, mm(5));
    }
}

// The plan: each reach from its upstream node through its vertices to its downstream node,
// fitted to the rest of the page with the same scale on both axes (y grows northwards).
void plano(Hoja& h, const std::vector<TramoNota>& tramos, const red::RedGrafo* g) {
    const auto posicion = [&](int nodo) -> std::optional<std::pair<double, double>> {
        if (nodo < 0 || static_cast<std::size_t>(nodo) >= g->modelo.nodos.size())
            return std::nullopt;
        const auto& q = g->modelo.nodos[static_cast<std::size_t>(nodo)].posicion;
        return q && std::isfinite(q->first) && std::isfinite(q->second) ? q : std::nullopt;
    };
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
    const auto incluir = [&](const std::pair<double, double>& q) {
        if (!std::isfinite(q.first) || !std::isfinite(q.second))
            return;
        x0 = std::min(x0, q.first);
        x1 = std::max(x1, q.first);
        y0 = std::min(y0, q.second);
        y1 = std::max(y1, q.second);
    };
    if (g) {
        for (const red::Nodo& n : g->modelo.nodos)
            if (n.posicion)
                incluir(*n.posicion);
        for (const red::Enlace& e : g->modelo.enlaces)
            for (const auto& v : e.vertices)
                incluir(v);
    }
    if (!(x0 <= x1)) {
        h.titulo(QStringLiteral("Plano de la red"));
        h.parrafo(QStringLiteral("La red no tiene coordenadas: no se dibuja el plano."),
                  fuenteNota(9), mm(1));
        return;
    }
    // The plan takes a page of its own.
    h.nueva();
    h.titulo(QStringLiteral("Plano de la red"));
    const QFont leyenda = fuenteNota(7.5);
    const double altoLeyenda = h.alturaLinea(leyenda) + mm(2);
    const QRectF marco(h.izquierda(), h.y(), h.ancho(), h.queda() - altoLeyenda);
    h.bajar(marco.height());
    const ResumenRed r = resumir(tramos);
    const std::array<std::pair<int, QString>, 4> claves{
        std::pair{0, QStringLiteral("Cumple (%1)").arg(r.cumplen)},
        std::pair{1, QStringLiteral("No cumple (%1)").arg(r.noCumplen)},
        std::pair{2, QStringLiteral("No se ha podido comprobar (%1)").arg(r.noComprobados)},
        std::pair{-1, QStringLiteral("No se comprueba (%1)").arg(r.omitidos)}};
    if (!h.pinta()) {
        h.bajar(altoLeyenda);
        return;
    }
    QPainter& p = h.p();
    p.setPen(QPen(Qt::lightGray, mm(0.15)));
    p.drawRect(marco);
    const QRectF dentro = marco.adjusted(mm(3), mm(3), -mm(3), -mm(3));
    const double ex = x1 - x0, ey = y1 - y0;
    const double escala = ex <= 0 && ey <= 0 ? 1.0
                          : ex <= 0          ? dentro.height() / ey
                          : ey <= 0          ? dentro.width() / ex
                                             : std::min(dentro.width() / ex, dentro.height() / ey);
    const double ox = dentro.center().x() - escala * (x0 + x1) / 2;
    const double oy = dentro.center().y() + escala * (y0 + y1) / 2;
    const auto punto = [&](const std::pair<double, double>& q) {
        return QPointF(ox + escala * q.first, oy - escala * q.second);
    };
    p.save();
    p.setClipRect(marco);
    p.setRenderHint(QPainter::Antialiasing);
    const bool porEnlace = tramos.size() == g->modelo.enlaces.size();
    // Reaches that pass first, so that the failing ones stay on top where they overlap.
    for (int codigo : {-1, 0, 2, 1}) {
        QPen pluma(colorDeCodigo(codigo), mm(codigo >= 1 ? 0.6 : 0.35));
        pluma.setCapStyle(Qt::RoundCap);
        pluma.setJoinStyle(Qt::RoundJoin);
        p.setPen(pluma);
        for (std::size_t k = 0; k < g->modelo.enlaces.size(); ++k) {
            if ((porEnlace ? tramos[k].codigo : -1) != codigo)
                continue;
            const red::Enlace& e = g->modelo.enlaces[k];
            QPolygonF linea;
            const red::Extremos x =
                k < g->topologia.extremos.size() ? g->topologia.extremos[k] : red::Extremos{};
            if (const auto a = posicion(x.desde))
                linea << punto(*a);
            for (const auto& v : e.vertices)
                if (std::isfinite(v.first) && std::isfinite(v.second))
                    linea << punto(v);
            if (const auto b = posicion(x.hasta))
                linea << punto(*b);
            if (linea.size() >= 2)
                p.drawPolyline(linea);
        }
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0x40, 0x40));
    for (std::size_t k = 0; k < g->modelo.nodos.size(); ++k)
        if (const auto q = posicion(static_cast<int>(k)))
            p.drawEllipse(punto(*q), mm(0.35), mm(0.35));
    p.restore();
    // The legend under the frame.
    double x = h.izquierda();
    const double y = marco.bottom() + mm(1.5);
    const QFontMetricsF m(leyenda, h.dispositivo());
    for (const auto& [codigo, texto] : claves) {
        p.fillRect(QRectF(x, y + m.ascent() / 2 - mm(0.6), mm(6), mm(1.2)), colorDeCodigo(codigo));
        x += mm(8);
        h.lineas({texto}, leyenda, x, y);
        x += m.horizontalAdvance(texto) + mm(6);
    }
    h.bajar(altoLeyenda);
}

// Each path on pages of its own, continued page after page like a profile's PDF. Counting
// needs only the number of reaches of each path; the profile itself is computed to paint it.
void perfiles(Hoja& h, const PerfilesNota& pn, const red::RedGrafo& g, char sep) {
    if (!pn.trayectos.empty())
        h.nueva();
    h.titulo(QStringLiteral("Perfiles longitudinales"));
    if (pn.trayectos.empty()) {
        h.parrafo(pn.todos ? QStringLiteral("La red no tiene caminos que dibujar.")
                           : QStringLiteral("Ningún camino tiene tramos que no cumplan: no se "
                                            "dibujan perfiles."),
                  fuenteNota(9), mm(1));
        return;
    }
    bool primera = true;
    for (const perfil::Trayecto& tr : pn.trayectos) {
        const std::size_t hojas = perfil::numeroPaginas(tr.enlaces.size());
        const auto nombre = [&](int nodo) {
            return u8(g.modelo.nodos[static_cast<std::size_t>(nodo)].id);
        };
        const QString titulo = QStringLiteral("Perfil longitudinal de «%1» a «%2»")
                                   .arg(nombre(tr.nodos.front()), nombre(tr.nodos.back()));
        std::optional<perfil::Perfil> p;
        std::vector<std::pair<std::size_t, std::size_t>> rangos;
        if (h.pinta()) {
            p = pn.perfilDe(tr);
            rangos = perfil::paginas(*p);
        }
        for (std::size_t k = 0; k < hojas; ++k) {
            if (!primera)
                h.nueva();
            primera = false;
            const QRectF marco(h.izquierda(), h.y(), h.ancho(), h.queda());
            h.bajar(marco.height());
            if (!h.pinta() || k >= rangos.size())
                continue;
            const QString t =
                hojas > 1 ? titulo + QStringLiteral(" (hoja %1 de %2)").arg(k + 1).arg(hojas)
                          : titulo;
            h.p().save();
            perfil::dibujarPerfil(h.p(), marco, *p, t, sep, rangos[k].first, rangos[k].second);
            h.p().restore();
        }
    }
}

void componer(Hoja& h, const FuentesRed& f, const std::vector<TramoNota>& tramos,
              const red::RedGrafo* g, char sep, QDate fecha, const PerfilesNota* pn,
              const SeccionDiseno* diseno) {
    const QFont grande = fuenteNota(16, true);
    const double alto = h.alturaLinea(grande);
    h.lineas({QStringLiteral("Nota de cálculo de la red")}, grande, h.izquierda(), h.y());
    const QString dia = QStringLiteral("Fecha: ") + fecha.toString(QStringLiteral("dd/MM/yyyy"));
    const QFont normal = fuenteNota(10);
    h.lineas({dia}, normal,
             h.izquierda() + h.ancho() -
                 QFontMetricsF(normal, h.dispositivo()).horizontalAdvance(dia),
             h.y() + alto - h.alturaLinea(normal));
    h.bajar(alto);
    h.parrafo(QStringLiteral("Comprobación de las condiciones de diseño de cada tramo circular de "
                             "la red en régimen uniforme (fórmula de Manning)"),
              fuenteNota(8.5), mm(1));
    fuentes(h, f, g, sep);
    if (diseno)
        seccionDeDiseno(h, *diseno, sep);
    resumen(h, tramos);
    tablaTramos(h, tramos, sep);
    queNoCumplen(h, tramos);
    plano(h, tramos, g);
    if (g && pn)
        perfiles(h, *pn, *g, sep);
    h.terminar();
}

} // namespace

TramoNota tramoNota(const red::Trabajo& t, const red::TramoGrafo* g, bool conPendientes, char sep) {
    TramoNota r;
    r.tramo = t.tramo;
    if (g) {
        r.desde = g->desde;
        r.hasta = g->hasta;
        r.D = g->D;
        r.n = g->n;
        r.i = g->i;
        r.longitud = g->longitud;
        r.Q1 = g->Q[0].value_or(kNaN);
    } else {
        const bool leida = t.error.empty() && t.omitido.empty();
        r.D = leida ? t.d.D : kNaN;
        r.n = leida ? t.d.n : kNaN;
        r.i = leida ? t.d.i : kNaN;
        r.longitud = kNaN;
        r.Q1 = leida ? t.d.Q[0] : kNaN;
    }
    // comprobarTrabajo leaves NaN where the engine gave no value.
    r.yD4 = t.yD[2];
    r.v2 = t.v[0];
    if (!t.omitido.empty()) {
        // A weir or a pump has no diameter nor Manning's n: its zeros are no values.
        for (double* x : {&r.D, &r.n, &r.i, &r.longitud})
            if (!(*x > 0))
                *x = kNaN;
        r.motivo = t.omitido;
        return r;
    }
    r.codigo = static_cast<std::int8_t>(t.error.empty() ? t.codigo : 2);
    if (!t.error.empty()) {
        r.motivo = t.error;
        return r;
    }
    for (std::size_t k = 0; k < 10; ++k)
        r.clase[k] = static_cast<std::int8_t>(red::claseDeVeredicto(t.r.condiciones[k].veredicto));
    if (t.r.fin == FinCalculo::ColectorInvalido)
        r.motivo = t.r.notaCol;
    else if (t.r.fin == FinCalculo::Error)
        r.motivo = t.r.notaCalC;
    for (std::size_t k = 0; k < 10; ++k) {
        if (r.clase[k] == 1 || r.clase[k] == 2) {
            if (!r.motivo.empty())
                r.motivo += '\n';
            r.motivo += t.r.notas[k];
        }
    }
    if (conPendientes && t.pendientes)
        anadirCeldaPendientes(r.pendientes, *t.pendientes, sep, true);
    return r;
}

std::vector<perfil::Trayecto>
trayectosPrincipales(const red::RedGrafo& g, const std::vector<TramoNota>& tramos, bool todos) {
    const red::Topologia& t = g.topologia;
    const std::size_t nodos = g.modelo.nodos.size();
    std::vector<char> entra(nodos, 0);
    for (const red::Extremos& e : t.extremos)
        if (e.hasta >= 0 && static_cast<std::size_t>(e.hasta) < nodos)
            entra[static_cast<std::size_t>(e.hasta)] = 1;
    const bool porEnlace = tramos.size() == g.modelo.enlaces.size();
    std::vector<perfil::Trayecto> r;
    std::vector<char> visto(nodos, 0);
    for (std::size_t n = 0; n < nodos && n < t.sigue.size(); ++n) {
        if (entra[n] || t.sigue[n] < 0)
            continue;
        perfil::Trayecto tr;
        bool falla = false, lazo = false;
        int nodo = static_cast<int>(n);
        tr.nodos.push_back(nodo);
        while (nodo >= 0 && static_cast<std::size_t>(nodo) < t.sigue.size() &&
               t.sigue[static_cast<std::size_t>(nodo)] >= 0) {
            visto[static_cast<std::size_t>(nodo)] = 1;
            const int l = t.sigue[static_cast<std::size_t>(nodo)];
            nodo = t.extremos[static_cast<std::size_t>(l)].hasta;
            if (nodo < 0 || visto[static_cast<std::size_t>(nodo)]) {
                lazo = true;
                break;
            }
            tr.enlaces.push_back(l);
            tr.nodos.push_back(nodo);
            falla = falla || (porEnlace && tramos[static_cast<std::size_t>(l)].codigo == 1);
        }
        for (int k : tr.nodos)
            visto[static_cast<std::size_t>(k)] = 0;
        if (!lazo && !tr.enlaces.empty() && (todos || falla))
            r.push_back(std::move(tr));
    }
    return r;
}

ResumenRed resumir(const std::vector<TramoNota>& tramos) {
    ResumenRed r;
    r.tramos = static_cast<long long>(tramos.size());
    for (const TramoNota& t : tramos) {
        switch (t.codigo) {
        case 0:
            ++r.cumplen;
            break;
        case 1:
            ++r.noCumplen;
            break;
        case 2:
            ++r.noComprobados;
            break;
        default:
            ++r.omitidos;
            break;
        }
        if (t.clase[0] < 0)
            continue;
        for (std::size_t k = 0; k < 10; ++k)
            ++r.porCondicion[k][static_cast<std::size_t>(t.clase[k])];
    }
    return r;
}

SeccionDiseno seccionDiseno(const red::ModeloRed& m, const diseno::Diseno& d,
                            const std::vector<Tubo>& serie, const diseno::Limites& l) {
    SeccionDiseno s;
    s.limites = l;
    s.coste = d.coste;
    s.tramos = d.tramos.size();
    std::vector<double> longitud(serie.size(), 0.0);
    std::vector<char> usado(serie.size(), 0);
    for (const diseno::TramoDisenado& t : d.tramos) {
        const red::Enlace& e = m.enlaces.at(t.enlace);
        if (!t.sinDiseno.empty()) {
            const std::string quien = "tramo «" + textoVisible(e.id) + "»";
            s.sinDiseno.push_back(
                {e.id, t.sinDiseno.starts_with(quien) ? t.sinDiseno : quien + ": " + t.sinDiseno});
            continue;
        }
        longitud.at(t.tubo) += e.longitud;
        usado[t.tubo] = 1;
        if (t.resalto > 0)
            s.resaltos.push_back({e.desde, e.id, t.resalto});
    }
    for (std::size_t k = 0; k < serie.size(); ++k)
        if (usado[k])
            s.porTubo.push_back({serie[k].nombre, serie[k].diametro, longitud[k]});
    return s;
}

void escribirNotaRed(QIODevice& destino, const FuentesRed& fuentes,
                     const std::vector<TramoNota>& tramos, const red::RedGrafo* grafo, char sep,
                     QDate fecha, const PerfilesNota* perfiles, const SeccionDiseno* diseno) {
    QPdfWriter pdf(&destino);
    pdf.setResolution(kResolucion);
    pdf.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
    pdf.setTitle(QStringLiteral("Nota de cálculo de la red: ") + fuentes.red);
    pdf.setCreator(QString::fromUtf8(producto::kNombre) + QStringLiteral(" ") +
                   QString::fromUtf8(producto::kVersionCompleta));
    // The first composition only counts the pages.
    Hoja cuenta(pdf, nullptr, 0);
    componer(cuenta, fuentes, tramos, grafo, sep, fecha, perfiles, diseno);
    QPainter p(&pdf);
    Hoja hoja(pdf, &p, cuenta.pagina());
    componer(hoja, fuentes, tramos, grafo, sep, fecha, perfiles, diseno);
}

} // namespace colvero::nota
