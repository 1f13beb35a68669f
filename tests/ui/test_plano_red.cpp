// The plan of a network: picking a reach by clicking at any zoom, panning, the colours of the
// states, links left out for want of coordinates, the drawn geometry, and saving the plan.
#include "apoyo.h"
#include "ui/plano_red.h"

#include <QDir>
#include <QFile>
#include <QGraphicsView>
#include <QImage>
#include <QPushButton>
#include <QSvgRenderer>
#include <QWheelEvent>

#include <cmath>
#include <limits>
#include <unistd.h>

using namespace colvero;
using namespace colvero::ui;
using namespace colvero::ui::prueba;

Q_DECLARE_METATYPE(colvero::ui::EstadoPlano)
Q_DECLARE_METATYPE(colvero::red::ModeloRed)

namespace {

red::Nodo nodo(const char* id, std::optional<std::pair<double, double>> posicion,
               red::TipoNodo tipo = red::TipoNodo::Pozo) {
    red::Nodo n;
    n.id = id;
    n.tipo = tipo;
    n.posicion = posicion;
    return n;
}

red::Enlace enlace(const char* id, const char* desde, const char* hasta,
                   red::TipoEnlace tipo = red::TipoEnlace::Conducto) {
    red::Enlace e;
    e.id = id;
    e.desde = desde;
    e.hasta = hasta;
    e.tipo = tipo;
    return e;
}

// A square of 100 m sides in map units of a real projection (millions), the outfall at the
// south-east corner, a pump down the west side.
red::ModeloRed cuadrado() {
    const double x = 725000, y = 4372000;
    red::ModeloRed m;
    m.nodos = {nodo("N1", {{x, y + 100}}), nodo("N2", {{x + 100, y + 100}}),
               nodo("N3", {{x + 100, y}}, red::TipoNodo::Vertido), nodo("N4", {{x, y}})};
    m.enlaces = {enlace("T0", "N1", "N2"), enlace("T1", "N2", "N3"), enlace("T2", "N4", "N3"),
                 enlace("B3", "N1", "N4", red::TipoEnlace::Bomba)};
    return m;
}

QPointF mitad(const QPolygonF& l) {
    return (l.first() + l.last()) / 2;
}

QPoint enVista(const PlanoRed& p, QPointF escena) {
    return p.vista()->mapFromScene(escena);
}

void rueda(const PlanoRed& p, QPoint donde, int muescas) {
    QWidget* v = p.vista()->viewport();
    QWheelEvent ev(QPointF(donde), v->mapToGlobal(QPointF(donde)), QPoint(),
                   QPoint(0, 120 * muescas), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                   false);
    QApplication::sendEvent(v, &ev);
}

// Whether some pixel within `radio` of `c` is near `color`, channel by channel.
bool hayColor(const QImage& img, QPoint c, QColor color, int radio = 3) {
    for (int y = c.y() - radio; y <= c.y() + radio; ++y) {
        for (int x = c.x() - radio; x <= c.x() + radio; ++x) {
            if (!img.valid(x, y)) {
                continue;
            }
            const QColor p = img.pixelColor(x, y);
            if (std::abs(p.red() - color.red()) + std::abs(p.green() - color.green()) +
                    std::abs(p.blue() - color.blue()) <
                40) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class TestPlanoRed : public PruebaDeVentanas {
    Q_OBJECT

    std::unique_ptr<PlanoRed> plano_;
    std::vector<std::size_t> elegidos_;

    PlanoRed& mostrar(const red::ModeloRed& m) {
        elegidos_.clear();
        plano_ = std::make_unique<PlanoRed>();
        plano_->alElegir = [this](std::size_t e) { elegidos_.push_back(e); };
        plano_->resize(600, 500);
        plano_->show();
        if (!QTest::qWaitForWindowExposed(plano_.get()))
            throw std::runtime_error("el plano no se muestra");
        plano_->mostrar(m);
        return *plano_;
    }
    void clic(QPoint donde) {
        QTest::mouseClick(plano_->vista()->viewport(), Qt::LeftButton, {}, donde);
    }

private Q_SLOTS:
    void clicEligeElTramoMasCercano_data() {
        QTest::addColumn<int>("muescas"); // of the wheel at the reach, before the click
        QTest::addColumn<QPoint>("desvio");
        QTest::addColumn<int>("esperado"); // -1: none
        QTest::newRow("en el centro del tramo") << 0 << QPoint(0, 0) << 1;
        QTest::newRow("a 4 px de la línea") << 0 << QPoint(4, 0) << 1;
        QTest::newRow("a 12 px de la línea: nada") << 0 << QPoint(-12, 0) << -1;
        QTest::newRow("alejado") << -3 << QPoint(0, 0) << 1;
        QTest::newRow("alejado, a 4 px") << -3 << QPoint(4, 0) << 1;
        QTest::newRow("acercado") << 6 << QPoint(0, 0) << 1;
        QTest::newRow("acercado, a 4 px") << 6 << QPoint(-4, 0) << 1;
        QTest::newRow("acercado, a 12 px: nada") << 6 << QPoint(12, 0) << -1;
    }
    void clicEligeElTramoMasCercano() {
        QFETCH(int, muescas);
        QFETCH(QPoint, desvio);
        QFETCH(int, esperado);
        PlanoRed& p = mostrar(cuadrado());
        // Inside the square, far from every side: nothing.
        clic(enVista(p, mitad(QPolygonF{p.linea(0).first(), p.linea(1).last()})));
        QVERIFY(elegidos_.empty());
        const QPointF medio = mitad(p.linea(1));
        const double antes = p.vista()->transform().m11();
        rueda(p, enVista(p, medio), muescas);
        QCOMPARE_LE(std::abs(p.vista()->transform().m11() / antes - std::pow(1.25, muescas)), 1e-9);
        clic(enVista(p, medio) + desvio);
        QCOMPARE(elegidos_, esperado < 0 ? std::vector<std::size_t>{}
                                         : std::vector<std::size_t>{std::size_t(esperado)});
        QCOMPARE(p.resaltado(), esperado < 0 ? std::nullopt : std::optional<std::size_t>(esperado));
    }

    void arrastrarDesplazaSinElegirYAjustarVuelve() {
        PlanoRed& p = mostrar(cuadrado());
        const double ajuste = p.vista()->transform().m11();
        const QPointF medio = mitad(QPolygonF{p.linea(0).first(), p.linea(1).last()});
        const QPoint desde = enVista(p, medio);
        rueda(p, desde, 5);
        QVERIFY((enVista(p, medio) - desde).manhattanLength() <= 2); // zoomed around the cursor
        QWidget* v = p.vista()->viewport();
        QTest::mousePress(v, Qt::LeftButton, {}, desde);
        for (int k = 1; k <= 4; ++k) {
            QTest::mouseMove(v, desde + QPoint(15 * k, 10 * k));
        }
        QTest::mouseRelease(v, Qt::LeftButton, {}, desde + QPoint(60, 40));
        QVERIFY(elegidos_.empty());
        QVERIFY((enVista(p, medio) - (desde + QPoint(60, 40))).manhattanLength() <= 2);
        QTest::mouseClick(hijo<QPushButton>(p, "ajustar"), Qt::LeftButton);
        QCOMPARE(p.vista()->transform().m11(), ajuste);
        // Fitted, the view follows a resize; the whole network stays in view.
        p.resize(300, 700);
        QVERIFY(p.vista()->transform().m11() < ajuste);
        const QRect visible = v->rect();
        for (std::size_t e = 0; e < 4; ++e) {
            QVERIFY(visible.contains(enVista(p, p.linea(e).first())));
        }
    }

    void colorDeCadaEstado_data() {
        QTest::addColumn<EstadoPlano>("estado");
        QTest::addColumn<int>("tono"); // hue in degrees, within 15; -1: grey
        QTest::newRow("pendiente: gris") << EstadoPlano::Pendiente << -1;
        QTest::newRow("cumple: verde") << EstadoPlano::Cumple << 130;
        QTest::newRow("no cumple: rojo") << EstadoPlano::NoCumple << 0;
        QTest::newRow("no comprobado: ámbar") << EstadoPlano::NoComprobado << 40;
        QTest::newRow("omitido: gris claro") << EstadoPlano::Omitido << -1;
    }
    void colorDeCadaEstado() {
        QFETCH(EstadoPlano, estado);
        QFETCH(int, tono);
        PlanoRed& p = mostrar(cuadrado());
        const QColor pendiente = p.pluma(0).color();
        p.ponerEstado(0, estado);
        const QColor c = p.pluma(0).color();
        QCOMPARE(p.pluma(1).color(), pendiente);
        if (tono < 0) {
            QCOMPARE(c.hslSaturation(), 0);
            QVERIFY(estado == EstadoPlano::Omitido ? c.lightness() > pendiente.lightness()
                                                   : c == pendiente);
        } else {
            const int d = std::abs(c.hslHue() - tono);
            QVERIFY2(std::min(d, 360 - d) <= 15 && c.hslSaturation() > 150,
                     qPrintable(QString::number(c.hslHue())));
        }
        // As painted on screen.
        const QImage img = p.vista()->viewport()->grab().toImage();
        QVERIFY(hayColor(img, enVista(p, mitad(p.linea(0))), c));
    }

    void atenuarYResaltarCambianSoloLoSuyo() {
        PlanoRed& p = mostrar(cuadrado());
        p.ponerEstados({EstadoPlano::Cumple, EstadoPlano::NoCumple, EstadoPlano::Cumple,
                        EstadoPlano::Omitido, EstadoPlano::NoCumple}); // one too many: ignored
        QCOMPARE(p.pluma(3).style(), Qt::DashLine);                    // a pump
        QCOMPARE(p.pluma(0).style(), Qt::SolidLine);
        std::vector<QPen> antes;
        for (std::size_t e = 0; e < 4; ++e) {
            antes.push_back(p.pluma(e));
        }
        p.atenuarQueCumplen(true);
        for (std::size_t e = 0; e < 4; ++e) {
            const bool cumple = p.estado(e) == EstadoPlano::Cumple;
            QCOMPARE(p.pluma(e).color().alpha() < 100, cumple);
            QCOMPARE(p.pluma(e).color().rgb(), antes[e].color().rgb());
        }
        p.atenuarQueCumplen(false);
        p.resaltar(1);
        QVERIFY(p.pluma(1).widthF() > antes[1].widthF());
        QVERIFY(p.pluma(1).color() != antes[1].color());
        for (std::size_t e : {0, 2, 3}) {
            QCOMPARE(p.pluma(e), antes[e]);
        }
        p.resaltar(std::nullopt);
        for (std::size_t e = 0; e < 4; ++e) {
            QCOMPARE(p.pluma(e), antes[e]);
        }
        // Another model starts afresh.
        p.resaltar(1);
        red::ModeloRed otro = cuadrado();
        otro.enlaces.pop_back();
        p.mostrar(otro);
        QCOMPARE(p.dibujados(), std::size_t(3));
        QCOMPARE(p.estado(1), EstadoPlano::Pendiente);
        QCOMPARE(p.resaltado(), std::nullopt);
        QVERIFY(p.linea(3).isEmpty());
    }

    void resaltarTraeElTramoAVista() {
        PlanoRed& p = mostrar(cuadrado());
        const QPoint t0 = enVista(p, mitad(p.linea(0)));
        p.resaltar(0); // in view already: nothing moves
        QCOMPARE(enVista(p, mitad(p.linea(0))), t0);
        rueda(p, enVista(p, mitad(p.linea(0))), 8);
        const QRect visible = p.vista()->viewport()->rect();
        QVERIFY(!visible.contains(enVista(p, mitad(p.linea(2)))));
        p.resaltar(2);
        QVERIFY(visible.contains(enVista(p, p.linea(2).first())));
        QVERIFY(visible.contains(enVista(p, p.linea(2).last())));
    }

    void enlacesSinCoordenadas_data() {
        const auto sin = std::optional<std::pair<double, double>>();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::addColumn<red::ModeloRed>("modelo");
        QTest::addColumn<int>("dibujados");
        QTest::addColumn<QString>("motivo");
        red::ModeloRed m = cuadrado();
        QTest::newRow("todos") << m << 4 << QString();
        m.nodos[1].posicion = sin;
        QTest::newRow("un nodo sin posición") << m << 2
                                              << "No se dibujan 2 de los 4 enlaces: "
                                                 "les faltan coordenadas.";
        m = cuadrado();
        m.nodos[3].posicion = {{nan, 0}};
        m.enlaces[0].hasta = "N9";
        QTest::newRow("posición NaN y nodo desconocido")
            << m << 1 << "No se dibujan 3 de los 4 enlaces: les faltan coordenadas.";
        m = cuadrado();
        m.enlaces[1].vertices = {{725100, std::numeric_limits<double>::infinity()}};
        QTest::newRow("un vértice infinito")
            << m << 3 << "No se dibuja 1 de los 4 enlaces: le faltan coordenadas.";
        m.nodos[0].posicion = {{-1e308, 0}};
        m.nodos[2].posicion = {{1e308, 0}};
        QTest::newRow("coordenadas que desbordan")
            << m << 0
            << "Las coordenadas de los nodos no caben en un plano: se muestra solo la tabla.";
        for (red::Nodo& n : m.nodos) {
            n.posicion = sin;
        }
        QTest::newRow("ningún nodo con posición")
            << m << 0 << "El modelo no da las coordenadas de los nodos: se muestra solo la tabla.";
    }
    void enlacesSinCoordenadas() {
        QFETCH(red::ModeloRed, modelo);
        QFETCH(int, dibujados);
        QFETCH(QString, motivo);
        PlanoRed& p = mostrar(modelo);
        QCOMPARE(p.dibujados(), std::size_t(dibujados));
        QCOMPARE(p.motivoSinPlano(), motivo);
        QCOMPARE(p.tieneCoordenadas(), dibujados > 0);
        QCOMPARE(hijo<QPushButton>(p, "ajustar")->isEnabled(), dibujados > 0);
        int lineas = 0;
        // Every index is safe, drawn or not.
        for (std::size_t e = 0; e < 6; ++e) {
            p.ponerEstado(e, EstadoPlano::NoCumple);
            p.resaltar(e);
            lineas += !p.linea(e).isEmpty();
        }
        QCOMPARE(lineas, dibujados);
        clic(p.vista()->viewport()->rect().center());
    }

    void dibujaPorLosVerticesConElNorteArriba() {
        red::ModeloRed m;
        m.nodos = {nodo("A", {{0, 0}}), nodo("B", {{100, 0}}), nodo("C", {{0, 30}})};
        m.enlaces = {enlace("T", "A", "B"), enlace("U", "A", "C")};
        m.enlaces[0].vertices = {{50, 80}};
        PlanoRed& p = mostrar(m);
        const QPolygonF l = p.linea(0);
        QCOMPARE(l.size(), 3);
        const QPoint a = enVista(p, l[0]), v = enVista(p, l[1]), b = enVista(p, l[2]);
        QVERIFY(a.x() < v.x() && v.x() < b.x()); // east to the right
        QVERIFY(v.y() < a.y() - 100);            // north up
        QCOMPARE(a.y(), b.y());
        QVERIFY(enVista(p, p.linea(1).last()).y() < a.y()); // C is north of A
        const QImage img = p.vista()->viewport()->grab().toImage();
        const QColor gris = p.pluma(0).color();
        QVERIFY(hayColor(img, v, gris));
        QVERIFY(hayColor(img, (a + v) / 2, gris));
        QVERIFY(!hayColor(img, (a + b) / 2, gris, 6)); // not the straight chord
    }

    void guardarEscribeElPlanoEntero_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QByteArray>("firma");
        QTest::newRow("png") << "plano.png" << QByteArray("\x89PNG\r\n\x1a\n");
        QTest::newRow("PNG en mayúsculas") << "PLANO.PNG" << QByteArray("\x89PNG\r\n\x1a\n");
        QTest::newRow("svg") << "plano.svg" << QByteArray("<?xml");
        QTest::newRow("pdf") << "plano.Pdf" << QByteArray("%PDF-");
    }
    void guardarEscribeElPlanoEntero() {
        QFETCH(QString, nombre);
        QFETCH(QByteArray, firma);
        PlanoRed& p = mostrar(cuadrado());
        p.ponerEstados({EstadoPlano::NoCumple, EstadoPlano::Cumple});
        rueda(p, enVista(p, mitad(p.linea(2))), 8); // what is saved is the whole plan
        const QString r = ruta(nombre);
        {
            QFile viejo(r);
            QVERIFY(viejo.open(QIODevice::WriteOnly));
            viejo.write("un archivo anterior, más largo que la firma");
        }
        QString error;
        QVERIFY2(p.guardar(r, error), qPrintable(error));
        QFile f(r);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith(firma));
        QImage img;
        if (nombre.endsWith(QLatin1String("svg"))) {
            QSvgRenderer svg(bytes);
            QVERIFY(svg.isValid());
            img = QImage(svg.defaultSize(), QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter pintor(&img);
            svg.render(&pintor);
        } else if (nombre.endsWith(QLatin1String("pdf"), Qt::CaseInsensitive)) {
            QVERIFY(bytes.trimmed().endsWith("%%EOF"));
            QVERIFY(bytes.size() > 1000);
            return;
        } else {
            QVERIFY(img.loadFromData(bytes, "PNG"));
        }
        // The failing reach (north side) red across most columns, the passing one (east side)
        // green down most rows: the whole network, not the zoomed view.
        const QColor rojo = p.pluma(0).color(), verde = p.pluma(1).color();
        QVector<bool> columnas(img.width()), filas(img.height());
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                columnas[x] = columnas[x] || hayColor(img, {x, y}, rojo, 0);
                filas[y] = filas[y] || hayColor(img, {x, y}, verde, 0);
            }
        }
        QCOMPARE_GE(columnas.count(true), img.width() * 8 / 10);
        QCOMPARE_GE(filas.count(true), img.height() * 8 / 10);
    }

    void guardarFallidoNoDejaNada_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("extensión desconocida")
            << "plano.jpg"
            << "El plano se guarda como PNG, SVG o PDF: escriba el nombre con la extensión "
               ".png, .svg o .pdf.";
        QTest::newRow("sin extensión") << "plano"
                                       << "El plano se guarda como PNG, SVG o PDF: escriba el "
                                          "nombre con la extensión .png, .svg o .pdf.";
        QTest::newRow("carpeta que no existe") << "falta/plano.png"
                                               << "la carpeta no existe";
        QTest::newRow("carpeta de solo lectura") << "solo/plano.svg"
                                                 << "permiso denegado";
    }
    void guardarFallidoNoDejaNada() {
        QFETCH(QString, nombre);
        QFETCH(QString, mensaje);
        PlanoRed& p = mostrar(cuadrado());
        const QString solo = ruta(QStringLiteral("solo"));
        if (nombre.startsWith(QLatin1String("solo/"))) {
            if (::geteuid() == 0)
                QSKIP("root escribe en cualquier carpeta");
            QVERIFY(QDir().mkdir(solo));
            QVERIFY(QFile::setPermissions(solo, QFile::ReadOwner | QFile::ExeOwner));
        }
        QString error;
        QVERIFY(!p.guardar(ruta(nombre), error));
        QVERIFY2(error == mensaje || error.endsWith(mensaje + QLatin1Char('.')), qPrintable(error));
        QCOMPARE(QDir(carpeta_->path()).entryList(QDir::Files | QDir::NoDotAndDotDot), {});
        if (QDir(solo).exists()) {
            QCOMPARE(QDir(solo).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), {});
            QFile::setPermissions(solo, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
};

QTEST_MAIN(TestPlanoRed)
#include "test_plano_red.moc"
