#include "chart/grafico.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

#include <cmath>
#include <map>

using namespace colvero::grafico;
namespace h = colvero::hidraulica;

namespace {

h::EstadoFlujo normal(double Q) {
    h::EstadoFlujo e;
    e.Q = Q;
    e.D = 1.0;
    e.n = 0.013;
    e.i = 0.005;
    h::TEO4(e);
    return e;
}

// A collector of 1 m, n = 0.013, i = 0.005 with six design flows, mixed verdicts, every
// criterion and condition 10 at half depth.
DatosGrafico ejemplo() {
    const SeccionLlena llena = seccionLlena(1.0, 0.013, 0.005);
    DatosGrafico d;
    d.puntos = {
        puntoDiseno(2, normal(1.0), llena, true), puntoDiseno(3, normal(0.08), llena, false),
        puntoDiseno(4, normal(1.0), llena, true), puntoDiseno(5, normal(0.3), llena, true),
        puntoDiseno(6, normal(1.0), llena, true), puntoDiseno(7, normal(1.0), llena, false)};
    d.yDMax = 0.75;
    d.vVllMax = 3.0 / llena.v;
    d.vVllMin = 0.6 / llena.v;
    h::EstadoFlujo mitad;
    mitad.y = 0.5;
    mitad.D = 1.0;
    mitad.n = 0.013;
    mitad.i = 0.005;
    h::TEO6(mitad);
    d.condicion10 = Condicion10{0.5, mitad.v / llena.v, 0.6 / llena.v, true};
    d.region = regionDeLosLimites(d);
    return d;
}

struct ElementoSvg {
    double cx = 0;
    double cy = 0;
    QString titulo;
};

// The elements with an id and their <title>, and the texts of every <text>; fails on bad XML.
bool leerSvg(const QByteArray& svg, std::map<QString, ElementoSvg>& elementos,
             QStringList& textos) {
    QXmlStreamReader xml(svg);
    QString actual;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        const auto nombre = xml.name();
        if (nombre == QLatin1String("circle") && xml.attributes().hasAttribute("id")) {
            actual = xml.attributes().value("id").toString();
            elementos[actual] = {xml.attributes().value("cx").toDouble(),
                                 xml.attributes().value("cy").toDouble(),
                                 {}};
        } else if (nombre == QLatin1String("title") && !actual.isEmpty()) {
            elementos[actual].titulo = xml.readElementText();
            actual.clear();
        } else if (nombre == QLatin1String("text")) {
            textos << xml.readElementText().trimmed();
        }
    }
    return !xml.hasError();
}

QImage dispositivoDe96(QSize pixeles, double escala) {
    QImage imagen(pixeles, QImage::Format_ARGB32_Premultiplied);
    imagen.setDotsPerMeterX(3780);
    imagen.setDotsPerMeterY(3780);
    imagen.setDevicePixelRatio(escala);
    return imagen;
}

// Any pixel within `radio` of p whose colour satisfies `es`.
template <class F> bool hayColorCerca(const QImage& img, QPointF p, int radio, F es) {
    for (int dy = -radio; dy <= radio; ++dy) {
        for (int dx = -radio; dx <= radio; ++dx) {
            const QPoint q(static_cast<int>(std::lround(p.x())) + dx,
                           static_cast<int>(std::lround(p.y())) + dy);
            if (img.rect().contains(q) && es(img.pixelColor(q))) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class TestGrafico : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textos_data() {
        QTest::addColumn<double>("valor");
        QTest::addColumn<int>("decimales");
        QTest::addColumn<char>("separador");
        QTest::addColumn<QString>("texto");
        QTest::newRow("coma") << 0.5 << 1 << ',' << "0,5";
        QTest::newRow("punto") << 0.5 << 1 << '.' << "0.5";
        QTest::newRow("redondeo a cuatro cifras") << 1.07570612 << 4 << ',' << "1,0757";
        QTest::newRow("tic de 0,3 sumado en coma flotante") << 0.1 * 3 << 1 << ',' << "0,3";
        QTest::newRow("cero negativo sin signo") << -0.0004 << 2 << ',' << "0,00";
        QTest::newRow("negativo") << -0.25 << 2 << ',' << "-0,25";
        QTest::newRow("no finito") << std::nan("") << 2 << ',' << "-";
    }
    void textos() {
        QFETCH(double, valor);
        QFETCH(int, decimales);
        QFETCH(char, separador);
        QFETCH(QString, texto);
        QCOMPARE(textoNumero(valor, decimales, separador), texto);
    }

    // The image has the requested size, and the curves are drawn where the mapping of the plot
    // puts them: blue Q/Qll, purple v/vll, white well away from both.
    void pngDelTamanoPedido_data() {
        QTest::addColumn<QSize>("tamano");
        QTest::addColumn<double>("escala");
        QTest::newRow("1200 × 900 al 100 %") << QSize(1200, 900) << 1.0;
        QTest::newRow("600 × 450 al 200 %") << QSize(600, 450) << 2.0;
        QTest::newRow("800 × 1000, leyenda debajo") << QSize(800, 1000) << 1.0;
    }
    void pngDelTamanoPedido() {
        QFETCH(QSize, tamano);
        QFETCH(double, escala);
        const DatosGrafico datos = ejemplo();
        const QImage img = QImage::fromData(pngGrafico(tamano, escala, datos, ','), "PNG");
        QCOMPARE(img.size(), tamano * escala);

        const QImage dispositivo = dispositivoDe96(img.size(), escala);
        const QRectF area =
            areaDelGrafico(dispositivo, QRectF(QPointF(0, 0), QSizeF(tamano)), datos, ',');
        QVERIFY(area.width() > tamano.width() / 3.0 && area.height() > tamano.height() / 3.0);
        auto enPixeles = [&](double x, double yD) {
            return QPointF(area.left() + x / 1.2 * area.width(),
                           area.bottom() - yD * area.height()) *
                   escala;
        };
        const int radio = static_cast<int>(2 * escala);
        for (const double yD : {0.2, 0.4, 0.65, 0.9}) {
            const Relaciones r = relacionesParciales(yD);
            QVERIFY2(hayColorCerca(img, enPixeles(r.qQll, yD), radio,
                                   [](QColor c) {
                                       return c.blue() > c.red() + 60 && c.blue() > c.green() + 30;
                                   }),
                     qPrintable(QStringLiteral("Q/Qll en y/D = %1").arg(yD)));
            QVERIFY2(hayColorCerca(img, enPixeles(r.vVll, yD), radio,
                                   [](QColor c) {
                                       return c.blue() > c.green() + 50 && c.red() > c.green() + 20;
                                   }),
                     qPrintable(QStringLiteral("v/vll en y/D = %1").arg(yD)));
        }
        QVERIFY(!hayColorCerca(img, enPixeles(0.04, 0.9), radio, [](QColor c) {
            return c.red() < 200 || c.green() < 200 || c.blue() < 200;
        }));
    }

    void svgConUnElementoPorPunto() {
        const DatosGrafico datos = ejemplo();
        std::map<QString, ElementoSvg> elementos;
        QStringList textos;
        QVERIFY(leerSvg(svgGrafico(QSize(1200, 900), datos, ','), elementos, textos));
        QCOMPARE(elementos.size(), 2 * datos.puntos.size() + 1);

        const QImage dispositivo = dispositivoDe96(QSize(1200, 900), 1.0);
        const QRectF area = areaDelGrafico(dispositivo, QRectF(0, 0, 1200, 900), datos, ',');
        for (const PuntoDiseno& p : datos.puntos) {
            const QString veredicto =
                p.cumple ? QStringLiteral(", cumple") : QStringLiteral(", no cumple");
            for (const auto& [id, x] : {std::pair{QStringLiteral("punto-caudal-%1"), p.qQll},
                                        std::pair{QStringLiteral("punto-velocidad-%1"), p.vVll}}) {
                const auto e = elementos.find(id.arg(p.condicion));
                QVERIFY2(e != elementos.end(), qPrintable(id.arg(p.condicion)));
                QVERIFY(
                    e->second.titulo.startsWith(QStringLiteral("Condición %1: ").arg(p.condicion)));
                QVERIFY(e->second.titulo.endsWith(veredicto));
                QVERIFY(e->second.titulo.contains(QStringLiteral("y/D = ") +
                                                  textoNumero(p.yD, 3, ',')));
                QVERIFY(std::abs(e->second.cx - (area.left() + x / 1.2 * area.width())) < 0.01);
                QVERIFY(std::abs(e->second.cy - (area.bottom() - p.yD * area.height())) < 0.01);
            }
        }
        QVERIFY(elementos.count(QStringLiteral("punto-condicion-10")));
    }

    // A flow above the capacity has no depth: an arrow at the upper edge at its Q/Qll, or on the
    // right edge when that is off the axis, and a line in the legend.
    void caudalExcedidoConFlecha_data() {
        QTest::addColumn<double>("qQll");
        QTest::addColumn<bool>("enEscala");
        QTest::newRow("dentro del eje, a la derecha de Qmáx") << 1.12 << true;
        QTest::newRow("fuera del eje") << 2.95 << false;
    }
    void caudalExcedidoConFlecha() {
        QFETCH(double, qQll);
        QFETCH(bool, enEscala);
        DatosGrafico datos = ejemplo();
        datos.excedidos = {{5, qQll}};
        std::map<QString, ElementoSvg> elementos;
        QStringList textos;
        QVERIFY(leerSvg(svgGrafico(QSize(1200, 900), datos, ','), elementos, textos));
        const auto flecha = elementos.find(QStringLiteral("punto-excedido-5"));
        QVERIFY(flecha != elementos.end());
        QVERIFY(flecha->second.titulo.contains(textoNumero(qQll, 3, ',')));

        const QImage dispositivo = dispositivoDe96(QSize(1200, 900), 1.0);
        const QRectF area = areaDelGrafico(dispositivo, QRectF(0, 0, 1200, 900), datos, ',');
        const QPointF punta = enEscala
                                  ? QPointF(area.left() + qQll / 1.2 * area.width(), area.top())
                                  : QPointF(area.right(), flecha->second.cy);
        QVERIFY(std::abs(flecha->second.cx - punta.x()) < 0.01);
        QVERIFY(std::abs(flecha->second.cy - punta.y()) < 0.01);
        if (!enEscala) {
            QVERIFY(punta.y() > area.top() && punta.y() < area.center().y());
        }
        const QString leyenda = QStringLiteral("(5) Q/Qll = %1 > Qmáx/Qll: capacidad insuficiente")
                                    .arg(textoNumero(qQll, 3, ','));
        QVERIFY2(
            textos.contains(enEscala ? leyenda : leyenda + QStringLiteral(", fuera de escala")),
            qPrintable(textos.join(QStringLiteral(" | "))));

        // The red arrow is painted just inside the edge, along its shaft.
        const QImage img = QImage::fromData(pngGrafico(QSize(1200, 900), 1.0, datos, ','), "PNG");
        const QPointF dentro = punta + (enEscala ? QPointF(0, 12) : QPointF(-12, 0));
        const auto rojo = [](QColor c) { return c.red() > 150 && c.green() < 80 && c.blue() < 80; };
        QVERIFY(hayColorCerca(img, dentro, 2, rojo));
        datos.excedidos.clear();
        const QImage sin = QImage::fromData(pngGrafico(QSize(1200, 900), 1.0, datos, ','), "PNG");
        QVERIFY(!hayColorCerca(sin, dentro, 2, rojo));
    }

    // Flows that meet at one place share an arrow and a legend line.
    void caudalesExcedidosIgualesComparten() {
        DatosGrafico datos = ejemplo();
        datos.excedidos = {{7, 1.1}, {2, 1.1}, {4, 3.0}, {6, 4.0}};
        std::map<QString, ElementoSvg> elementos;
        QStringList textos;
        QVERIFY(leerSvg(svgGrafico(QSize(1200, 900), datos, '.'), elementos, textos));
        QCOMPARE(elementos.at(QStringLiteral("punto-excedido-2")).cx,
                 elementos.at(QStringLiteral("punto-excedido-7")).cx);
        QVERIFY(textos.contains(
            QStringLiteral("(2, 7) Q/Qll = 1.100 > Qmáx/Qll: capacidad insuficiente")));
        // Off the axis, each has its own arrow, one below the other.
        QCOMPARE(elementos.at(QStringLiteral("punto-excedido-4")).cx,
                 elementos.at(QStringLiteral("punto-excedido-6")).cx);
        QVERIFY(elementos.at(QStringLiteral("punto-excedido-4")).cy <
                elementos.at(QStringLiteral("punto-excedido-6")).cy);
    }

    void separadorEnLasEtiquetas_data() {
        QTest::addColumn<char>("separador");
        QTest::addColumn<char>("otro");
        QTest::newRow("coma") << ',' << '.';
        QTest::newRow("punto") << '.' << ',';
    }
    void separadorEnLasEtiquetas() {
        QFETCH(char, separador);
        QFETCH(char, otro);
        std::map<QString, ElementoSvg> elementos;
        QStringList textos;
        QVERIFY(leerSvg(svgGrafico(QSize(1000, 800), ejemplo(), separador), elementos, textos));
        const QString s(QLatin1Char{separador});
        for (const QString& tic : {"0" + s + "0", "0" + s + "5", "1" + s + "0", "1" + s + "2"}) {
            QVERIFY2(textos.count(tic) == 2 ||
                         (tic.startsWith("1" + s + "2") && textos.count(tic) == 1),
                     qPrintable(tic));
        }
        const QRegularExpression ajeno(QStringLiteral("\\d\\%1\\d").arg(QLatin1Char(otro)));
        for (const QString& t : textos) {
            QVERIFY2(!ajeno.match(t).hasMatch(), qPrintable(t));
        }
        for (const auto& [id, e] : elementos) {
            QVERIFY2(!ajeno.match(e.titulo).hasMatch(), qPrintable(e.titulo));
        }
    }

    // Values that are not finite or off the axes leave their element out and nothing else.
    void puntosYCriteriosNoFinitosSeOmiten() {
        DatosGrafico d;
        d.puntos = {{2, std::nan(""), 0.8, 0.5, true},
                    {3, 0.4, 0.9, HUGE_VAL, false},
                    {4, 0.5, 1.0, 0.5, false}};
        d.yDMax = std::nan("");
        d.vVllMin = -HUGE_VAL;
        d.vVllMax = 1e300;
        d.condicion10 = Condicion10{std::nan(""), 0.5, 0.3, true};
        d.region = RegionAdmisible{std::nan(""), 0.0, 1.0};
        std::map<QString, ElementoSvg> elementos;
        QStringList textos;
        QVERIFY(leerSvg(svgGrafico(QSize(800, 600), d, ','), elementos, textos));
        QStringList ids;
        for (const auto& [id, e] : elementos) {
            ids << id;
        }
        QCOMPARE(ids, (QStringList{"punto-caudal-4", "punto-velocidad-2", "punto-velocidad-4"}));
        QVERIFY(textos.contains(QStringLiteral("(2) Vmáx/vll = -, fuera de escala")));
        QVERIFY(!QImage::fromData(pngGrafico(QSize(800, 600), 1.0, d, ','), "PNG").isNull());
    }

    void tamanosYEscalasImposiblesNoDanImagen_data() {
        QTest::addColumn<QSize>("tamano");
        QTest::addColumn<double>("escala");
        QTest::newRow("vacía") << QSize(0, 600) << 1.0;
        QTest::newRow("escala cero") << QSize(800, 600) << 0.0;
        QTest::newRow("escala NaN") << QSize(800, 600) << std::nan("");
        QTest::newRow("más de 16384 píxeles de lado") << QSize(8200, 600) << 2.0;
        QTest::newRow("desbordaría el tamaño en bytes") << QSize(200000, 200000) << 8.0;
    }
    void tamanosYEscalasImposiblesNoDanImagen() {
        QFETCH(QSize, tamano);
        QFETCH(double, escala);
        QVERIFY(pngGrafico(tamano, escala, ejemplo(), ',').isEmpty());
    }

    // The routine paints on a PDF writer at its own resolution, as the calculation note will.
    void pdf() {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        {
            QPdfWriter pdf(&buffer);
            pdf.setResolution(1200);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            QPainter painter(&pdf);
            const QRectF pagina(QPointF(0, 0), QSizeF(pdf.width(), pdf.height() * 0.6));
            dibujarGrafico(painter, pagina, ejemplo(), ',');
            const QRectF area = areaDelGrafico(pdf, pagina, ejemplo(), ',');
            // Fonts in points: the 1200 DPI page keeps the proportions of a 96 DPI image.
            QVERIFY(area.width() > pagina.width() / 2);
        }
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY(bytes.size() > 5000);
    }
};

QTEST_MAIN(TestGrafico)
#include "test_grafico.moc"
