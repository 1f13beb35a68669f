#include "note/nota.h"

#include "check/leyendas.h"
#include "check/textos_pendientes.h"
#include "report/producto.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

namespace colvero::nota {
namespace {

constexpr int kResolucion = 300;   // dots per inch of the PDF's painter coordinates
constexpr double kMargen = 15.0;   // mm, every side
constexpr double kAnchoA4 = 210.0; // mm
constexpr double kAltoA4 = 297.0;  // mm

constexpr double mm(double v) {
    return v * kResolucion / 25.4;
}

QString u8(const std::string& s) {
    return QString::fromStdString(s);
}

QFont fuente(double puntos, bool negrita = false) {
    return fuenteNota(puntos, negrita);
}

// One row of the table of conditions.
struct Fila {
    QString condicion, activa, caudal, limite, valor, veredicto;
};

Fila filaCondicion(const CasoCalculado& caso, int k) {
    const Calculo& c = caso.calculo;
    const Criterio& cr = c.criterio;
    const CamposCalculados& v = caso.resultado.campos;
    const size_t i = static_cast<size_t>(k - 1);
    Fila f;
    f.condicion = QString::fromUtf8(leyendas::kTitulosCondicion[i]).simplified();
    f.activa = cr.activa[i] ? QStringLiteral("Sí") : QStringLiteral("No");
    if (k <= 7) {
        f.caudal =
            QStringLiteral("Q%1 = %2 m3/s\n%3").arg(k).arg(u8(c.caudal[i]), u8(cr.denominacion[i]));
    } else {
        f.caudal = QString::fromUtf8(kCondicionIndependiente);
    }
    f.limite = limiteCondicion(cr, k);
    QStringList valores;
    for (const ValorCalculado& valor : kValoresCalculados[i]) {
        valores << QString::fromUtf8(valor.etiqueta) + QStringLiteral(" = ") + u8(v.*valor.campo);
    }
    f.valor = valores.join(QLatin1Char('\n'));
    f.veredicto = u8(caso.resultado.notas[i]);
    return f;
}

// Lays out text top to bottom on A4 pages, starting a new page when the next block does not fit.
class Pagina {
public:
    Pagina(QPdfWriter& pdf, QPainter& p) : pdf_(pdf), p_(p) {}

    double ancho() const { return mm(kAnchoA4 - 2 * kMargen); }
    double izquierda() const { return mm(kMargen); }
    double y() const { return y_; }
    void bajar(double alto) { y_ += alto; }

    // Height left above the footer.
    double queda() const { return mm(kAltoA4 - kMargen - 8) - y_; }

    // Makes room for `alto`, on a new page when this one has not that much left.
    void asegurar(double alto) {
        if (alto > queda() && y_ > mm(kMargen)) {
            pie();
            pdf_.newPage();
            ++pagina_;
            y_ = mm(kMargen);
        }
    }

    // A paragraph across the width, `antes` below what precedes it.
    void parrafo(const QString& texto, const QFont& f, double antes = 0,
                 Qt::Alignment alineacion = Qt::AlignLeft) {
        p_.setFont(f);
        const QString lineas = partirLineas(texto, QFontMetricsF(f, p_.device()), ancho());
        const QRectF caja(izquierda(), 0, ancho(), 1e6);
        const QRectF medida = p_.boundingRect(caja, alineacion, lineas);
        asegurar(antes + medida.height());
        y_ += antes;
        p_.drawText(QRectF(izquierda(), y_, ancho(), medida.height()), alineacion, lineas);
        y_ += medida.height();
    }

    // A paragraph in a tinted box with a coloured bar on its left, for the overall verdict.
    void recuadro(const QString& texto, const QFont& f, const QColor& color, double antes) {
        const double relleno = mm(2);
        p_.setFont(f);
        const double dentro = ancho() - 2 * relleno - mm(1);
        const QString lineas = partirLineas(texto, QFontMetricsF(f, p_.device()), dentro);
        const double alto =
            p_.boundingRect(QRectF(0, 0, dentro, 1e6), Qt::AlignLeft, lineas).height() +
            2 * relleno;
        asegurar(antes + alto);
        y_ += antes;
        const QRectF caja(izquierda(), y_, ancho(), alto);
        QColor fondo = color;
        fondo.setAlpha(28);
        p_.fillRect(caja, fondo);
        p_.fillRect(QRectF(caja.left(), caja.top(), mm(1), alto), color);
        p_.setPen(color.darker(130));
        p_.drawText(caja.adjusted(relleno + mm(1), relleno, -relleno, -relleno), Qt::AlignLeft,
                    lineas);
        p_.setPen(Qt::black);
        y_ += alto;
    }

    void titulo(const QString& texto) { parrafo(texto, fuente(11, true), mm(5)); }

    void pie() {
        p_.setFont(fuente(7));
        p_.setPen(Qt::darkGray);
        const QRectF caja(izquierda(), mm(kAltoA4 - kMargen - 5), ancho(), mm(5));
        p_.drawText(caja, Qt::AlignLeft | Qt::AlignBottom,
                    QString::fromUtf8(producto::kNombre) + QStringLiteral(" ") +
                        QString::fromUtf8(producto::kVersionCompleta) + QStringLiteral(" — ") +
                        QString::fromUtf8(producto::kAvisoFabricante));
        p_.drawText(caja, Qt::AlignRight | Qt::AlignBottom,
                    QStringLiteral("Página %1").arg(pagina_));
        p_.setPen(Qt::black);
    }

private:
    QPdfWriter& pdf_;
    QPainter& p_;
    double y_ = mm(kMargen);
    int pagina_ = 1;
};

void tablaCondiciones(QPainter& p, Pagina& pag, const CasoCalculado& caso) {
    const double relleno = mm(1.2);
    // The verdict column holds its longest line unbroken; the others share the rest.
    p.setFont(fuente(7.5));
    double anchoVeredicto =
        QFontMetricsF(p.font(), p.device())
            .horizontalAdvance(QStringLiteral("(5)  [NO]  Capacidad insuficiente"));
    for (const std::string& linea : caso.resultado.notas) {
        anchoVeredicto = std::max(anchoVeredicto,
                                  QFontMetricsF(p.font(), p.device()).horizontalAdvance(u8(linea)));
    }
    anchoVeredicto = std::min(anchoVeredicto + 2 * relleno + mm(1), 0.4 * pag.ancho());
    const double resto = (pag.ancho() - anchoVeredicto) / 0.77;
    const std::array<double, 6> anchos{0.21 * resto, 0.07 * resto, 0.18 * resto,
                                       0.17 * resto, 0.14 * resto, anchoVeredicto};
    const std::array<QString, 6> cabecera{QStringLiteral("Condición"),
                                          QStringLiteral("Activa"),
                                          QStringLiteral("Caudal"),
                                          QStringLiteral("Límite"),
                                          QStringLiteral("Variable calculada"),
                                          QStringLiteral("Cumplimiento")};
    const auto fila = [&](const std::array<QString, 6>& celdas, const QFont& f, bool fondo) {
        p.setFont(f);
        double alto = 0;
        std::array<QRectF, 6> cajas;
        std::array<QString, 6> lineas;
        double x = pag.izquierda();
        for (size_t c = 0; c < celdas.size(); ++c) {
            const double w = anchos[c];
            cajas[c] = QRectF(x, 0, w, 0);
            lineas[c] =
                partirLineas(celdas[c], QFontMetricsF(f, p.device()), w - 2 * relleno - mm(0.3));
            const QRectF m =
                p.boundingRect(QRectF(0, 0, w - 2 * relleno, 1e6), Qt::AlignLeft, lineas[c]);
            alto = std::max(alto, m.height() + 2 * relleno);
            x += w;
        }
        pag.asegurar(alto);
        for (size_t c = 0; c < celdas.size(); ++c) {
            const QRectF caja(cajas[c].x(), pag.y(), cajas[c].width(), alto);
            if (fondo) {
                p.fillRect(caja, QColor(230, 230, 230));
            }
            p.setPen(QPen(Qt::gray, mm(0.15)));
            p.drawRect(caja);
            p.setPen(Qt::black);
            p.drawText(caja.adjusted(relleno, relleno, -relleno, -relleno),
                       Qt::AlignLeft | Qt::AlignTop, lineas[c]);
        }
        pag.bajar(alto);
    };
    fila(cabecera, fuente(7.5, true), true);
    for (int k = 1; k <= 10; ++k) {
        const Fila f = filaCondicion(caso, k);
        fila({f.condicion, f.activa, f.caudal, f.limite, f.valor, f.veredicto}, fuente(7.5), false);
    }
}

QString avisosDosCalados(const CasoCalculado& caso) {
    QStringList lineas;
    for (int k = 2; k <= 7; ++k) {
        if (caso.evaluacion.condiciones[static_cast<size_t>(k - 1)].dosCalados)
            lineas << u8(avisoDosCalados({k}));
    }
    return lineas.join(u'\n');
}

QString pendientes(const CasoCalculado& caso, char sep) {
    return u8(textoPendientesCompleto(
        pendientesAdmisibles(caso.entradas, caso.calculo.criterio.activa, sep), sep));
}

// A word that is a unit ("m3/s", "t/m3)", "%,"): the blank before it never breaks, so that
// no unit stands apart from its number.
bool esUnidad(QStringView palabra) {
    while (!palabra.isEmpty() && QStringLiteral(".,;:)").contains(palabra.back())) {
        palabra.chop(1);
    }
    static const QStringList kUnidades{
        QStringLiteral("m3/s"), QStringLiteral("m/s"), QStringLiteral("m/s²"),
        QStringLiteral("m/m"),  QStringLiteral("mm"),  QStringLiteral("m"),
        QStringLiteral("t/m3"), QStringLiteral("%"),   QStringLiteral("rad")};
    return kUnidades.contains(palabra.toString());
}

// The "Método" paragraph: what the conditions compute and how, with the formulas.
QString textoMetodo(char sep) {
    const auto n = [sep](const char* numero) { return u8(decimalLlano(numero, sep)); };
    return QStringLiteral(
               "Cada caudal de diseño se estudia en régimen uniforme con la fórmula de Manning, "
               "v = Rh^(2/3) · i^(1/2) / n, y la continuidad Q = v · A, en la sección circular "
               "parcialmente llena: con θ el ángulo central que abarca el perímetro mojado, "
               "A = D² · (θ − sen θ) / 8, P = D · θ / 2 y Rh = A / P. "
               "El calado normal de cada caudal se busca por bisección sobre el calado, entre 0 "
               "y %1 · D (el calado del caudal máximo Qmax), hasta que el caudal calculado "
               "difiere del de diseño en menos de 10⁻¹⁰ m3/s. Un caudal mayor que Qmax no cabe "
               "en la sección («Capacidad insuficiente»); uno entre el de sección llena Qll "
               "(calculado con el calado D − 10⁻¹¹ m) y Qmax tiene dos calados normales, y se "
               "toma el menor. "
               "Las condiciones (2) y (3) comparan la velocidad v del calado normal y la (4) su "
               "llenado y/D. La (5) aplica el criterio de Shields: la mayor partícula que "
               "arrastra el flujo tiene dp = 1000 · Rh · γw · i / (%2 · (γs − γw)) mm, con γw "
               "y γs los pesos específicos del agua y de la partícula (t/m3), y cumple si "
               "supera el diámetro exigido. Las (6) y (7) usan el número de Froude "
               "F = v / √(g · L), con g = %3 m/s² y L = A / T el calado hidráulico (T, ancho "
               "de la lámina libre). Las (8) y (9) comparan la pendiente i con sus límites, y "
               "la (10) la velocidad de régimen uniforme al llenado y/D fijado con la mínima "
               "de autolimpieza.")
        .arg(n("0.938"), n("0.047"), n("9.81"));
}

} // namespace

QFont fuenteNota(double puntos, bool negrita) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(puntos);
    f.setBold(negrita);
    // Without shaping there are no ligatures: "fi" stays two letters, so that "insuficiente"
    // is found and copied as typed.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

QString limiteCondicion(const Criterio& cr, int k) {
    switch (k) {
    case 1:
        return QStringLiteral("Qll > Q1");
    case 2:
        return QStringLiteral("v (m/s) < ") + u8(cr.Vmax);
    case 3:
        return QStringLiteral("v (m/s) > ") + u8(cr.Vmin);
    case 4:
        return QStringLiteral("y/D max (%) < ") + u8(cr.yDmax);
    case 5:
        return QStringLiteral("Peso esp. partícula (t/m3) = %1\nPeso esp. agua (t/m3) = %2\n"
                              "dp (mm) > %3")
            .arg(u8(cr.gammaParticula), u8(cr.gammaAgua), u8(cr.dpMin));
    case 6:
        return QStringLiteral("F > ") + u8(cr.Fmin);
    case 7:
        return QStringLiteral("F < ") + u8(cr.Fmax);
    case 8:
        return QStringLiteral("I (m/m) > ") + u8(cr.Imin);
    case 9:
        return QStringLiteral("I (m/m) < ") + u8(cr.Imax);
    default:
        return QStringLiteral("Para y/D (%) = %1\nv (m/s) > %2").arg(u8(cr.yD10), u8(cr.Vmin10));
    }
}

QString partirLineas(const QString& texto, const QFontMetricsF& medidas, double ancho) {
    QStringList salida;
    for (const QString& parrafo : texto.split(u'\n')) {
        // Words with the blanks that precede them; a unit's blanks join it to the word before.
        QStringList trozos;
        qsizetype k = 0;
        while (k < parrafo.size()) {
            qsizetype inicio = k;
            while (k < parrafo.size() && parrafo[k] == u' ') {
                ++k;
            }
            const qsizetype palabra = k;
            while (k < parrafo.size() && parrafo[k] != u' ') {
                ++k;
            }
            const QString trozo = parrafo.mid(inicio, k - inicio);
            if (!trozos.isEmpty() && esUnidad(QStringView(parrafo).mid(palabra, k - palabra))) {
                trozos.back() += trozo;
            } else {
                trozos << trozo;
            }
        }
        QString linea;
        for (qsizetype t = 0; t < trozos.size(); ++t) {
            if (t == 0 || medidas.horizontalAdvance(linea + trozos[t]) <= ancho) {
                linea += trozos[t];
            } else {
                salida << linea;
                linea = trozos[t].trimmed();
            }
        }
        salida << linea;
    }
    return salida.join(u'\n');
}

bool cumpleTodas(const std::array<ResultadoCondicion, 10>& condiciones, const Activas& activas) {
    bool alguna = false;
    for (size_t k = 0; k < condiciones.size(); ++k) {
        if (activas[k]) {
            alguna = true;
            if (condiciones[k].veredicto != Veredicto::Cumple) {
                return false;
            }
        }
    }
    return alguna;
}

QString veredictoGeneral(const std::array<ResultadoCondicion, 10>& condiciones,
                         const Activas& activas) {
    if (std::none_of(activas.begin(), activas.end(), [](bool a) { return a; })) {
        return QStringLiteral("Ninguna condición activa");
    }
    if (cumpleTodas(condiciones, activas)) {
        return QStringLiteral("Cumple todas las condiciones activas");
    }
    QStringList noCumplen, erroneas, sinEvaluar;
    for (size_t k = 0; k < condiciones.size(); ++k) {
        if (!activas[k]) {
            continue;
        }
        const QString numero = QStringLiteral("(%1)").arg(k + 1);
        switch (condiciones[k].veredicto) {
        case Veredicto::NoCumple:
        case Veredicto::CapacidadInsuficiente:
            noCumplen << numero;
            break;
        case Veredicto::ErrorDeDato:
            erroneas << numero;
            break;
        case Veredicto::NoEvaluada:
            sinEvaluar << numero;
            break;
        case Veredicto::Cumple:
            break;
        }
    }
    QStringList partes;
    if (!noCumplen.isEmpty()) {
        partes << QStringLiteral("No cumple: ") + noCumplen.join(QStringLiteral(", "));
    }
    if (!erroneas.isEmpty()) {
        partes << QStringLiteral("Datos erróneos: ") + erroneas.join(QStringLiteral(", "));
    }
    if (!sinEvaluar.isEmpty()) {
        partes << QStringLiteral("Sin evaluar: ") + sinEvaluar.join(QStringLiteral(", "));
    }
    return partes.join(QStringLiteral(". "));
}

QByteArray pdfNota(const CasoCalculado& caso, char sep, QDate fecha, const Encabezado& encabezado) {
    QByteArray bytes;
    QBuffer salida(&bytes);
    salida.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&salida);
        pdf.setResolution(kResolucion);
        pdf.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        pdf.setTitle(QStringLiteral("Nota de cálculo: ") + u8(caso.calculo.titulo1));
        pdf.setCreator(QString::fromUtf8(producto::kNombre) + QStringLiteral(" ") +
                       QString::fromUtf8(producto::kVersionCompleta));
        QPainter p(&pdf);
        Pagina pag(pdf, p);
        const Calculo& c = caso.calculo;

        p.setFont(fuente(16, true));
        const double altoTitulo = QFontMetricsF(p.font(), &pdf).height();
        p.drawText(QRectF(pag.izquierda(), pag.y(), pag.ancho(), altoTitulo),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Nota de cálculo"));
        p.setFont(fuente(10));
        p.drawText(QRectF(pag.izquierda(), pag.y(), pag.ancho(), altoTitulo),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Fecha: ") + fecha.toString(QStringLiteral("dd/MM/yyyy")));
        pag.bajar(altoTitulo);
        pag.parrafo(QStringLiteral("Comprobación de condiciones de diseño de un colector circular "
                                   "en régimen uniforme (fórmula de Manning)"),
                    fuente(8.5), mm(1));
        pag.parrafo(u8(c.titulo1), fuente(12, true), mm(4));
        pag.parrafo(u8(c.titulo2), fuente(10), mm(1));

        QStringList datos;
        if (!encabezado.proyecto.isEmpty()) {
            datos << QStringLiteral("Proyecto: ") + encabezado.proyecto;
        }
        if (!encabezado.autor.isEmpty()) {
            datos << QStringLiteral("Autor: ") + encabezado.autor;
        }
        datos << QStringLiteral("Archivo de cálculo: ") + (encabezado.archivo.isEmpty()
                                                               ? QStringLiteral("sin guardar")
                                                               : encabezado.archivo);
        pag.parrafo(datos.join(u'\n'), fuente(9), mm(3));

        const bool cumple = cumpleTodas(caso.resultado.condiciones, c.criterio.activa);
        pag.recuadro(QStringLiteral("Resultado: ") +
                         veredictoGeneral(caso.resultado.condiciones, c.criterio.activa),
                     fuente(11, true), cumple ? QColor(0x1a, 0x7a, 0x36) : QColor(0xb0, 0x10, 0x10),
                     mm(3));

        pag.titulo(QStringLiteral("Colector"));
        pag.parrafo(QStringLiteral("%1: %2        %3: %4        %5: %6")
                        .arg(QString::fromUtf8(leyendas::kDiametro), u8(c.colector.D),
                             QString::fromUtf8(leyendas::kManning), u8(c.colector.n),
                             QString::fromUtf8(leyendas::kPendiente), u8(c.colector.i)),
                    fuente(9), mm(1));

        pag.titulo(QStringLiteral("Criterio de diseño"));
        QStringList activas;
        for (size_t k = 0; k < c.criterio.activa.size(); ++k) {
            if (c.criterio.activa[k]) {
                activas << QString::number(k + 1);
            }
        }
        const QString& criterio = encabezado.criterio;
        pag.parrafo((criterio.isEmpty()
                         ? QStringLiteral("Límites introducidos en el cálculo.")
                         : QStringLiteral("Criterio: ") + criterio +
                               (encabezado.criterioModificado ? QStringLiteral(" (modificado).")
                                                              : QStringLiteral("."))) +
                        QStringLiteral(" Condiciones activas: ") +
                        (activas.isEmpty() ? QStringLiteral("ninguna")
                                           : activas.join(QStringLiteral(", "))) +
                        QStringLiteral("."),
                    fuente(9), mm(1));

        pag.titulo(QStringLiteral("Método"));
        pag.parrafo(textoMetodo(sep), fuente(8.5), mm(1));

        pag.titulo(QStringLiteral("Condiciones"));
        pag.bajar(mm(1));
        tablaCondiciones(p, pag, caso);
        pag.parrafo(u8(caso.resultado.notaCalC), fuente(8.5, true), mm(1.5));

        const QString avisos = avisosDosCalados(caso);
        if (!avisos.isEmpty()) {
            pag.titulo(QStringLiteral("Caudales con dos calados normales"));
            pag.parrafo(avisos, fuente(8.5), mm(1));
        }

        pag.titulo(QStringLiteral("Pendientes admisibles del colector"));
        pag.parrafo(pendientes(caso, sep), fuente(8.5), mm(1));

        // The chart takes the rest of the page, on the next one when this one has less left
        // than a 4:3 picture; a tall rectangle puts its legend below the plot.
        const double anchoGrafico = pag.ancho();
        const double cabeceraGrafico = mm(14);
        pag.asegurar(cabeceraGrafico + anchoGrafico * 0.75);
        pag.titulo(QStringLiteral("Gráfico de elementos hidráulicos"));
        pag.bajar(mm(2));
        const double altoGrafico = std::min(pag.queda(), anchoGrafico * 1.2);
        grafico::dibujarGrafico(p, QRectF(pag.izquierda(), pag.y(), anchoGrafico, altoGrafico),
                                datosGrafico(caso), sep);
        pag.bajar(altoGrafico);
        pag.pie();
    }
    return bytes;
}

} // namespace colvero::nota
