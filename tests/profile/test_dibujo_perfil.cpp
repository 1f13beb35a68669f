// The profile's drawing: what its SVG and PDF hold, read back; the pages of a long path.
#include "profile/dibujo_perfil.h"

#include "../apoyo/pdf.h"
#include "files/archivos.h"
#include "perfil_prueba.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace colvero::perfil {
namespace {

using colvero::prueba::salidaPoppler;
using colvero::prueba::textoPdf;
using prueba::criterioDeEjemplo;

Perfil perfilDePrueba(double QT2, const std::string& desde = "P1") {
    const red::RedGrafo g = prueba::redConSalto(QT2);
    const Trayecto t = trazarTrayecto(g.modelo, g.topologia, desde);
    return perfilDe(g, t, comprobarTrayecto(g, t, {}, criterioDeEjemplo()));
}

// A straight path of `tramos` reaches of 40 m, 0.2 m of fall each.
Perfil perfilLargo(std::size_t tramos) {
    std::vector<red::prueba::NodoPrueba> nodos;
    std::vector<red::prueba::EnlacePrueba> enlaces;
    static std::vector<std::string> nombres;
    nombres.clear();
    for (std::size_t k = 0; k <= tramos; ++k)
        nombres.push_back("N" + std::to_string(k));
    for (std::size_t k = 0; k < tramos; ++k)
        nombres.push_back("C" + std::to_string(k));
    for (std::size_t k = 0; k <= tramos; ++k)
        nodos.push_back({nombres[k].c_str(), 100.0 - 0.2 * static_cast<double>(k)});
    for (std::size_t k = 0; k < tramos; ++k)
        enlaces.push_back(
            {nombres[tramos + 1 + k].c_str(), nombres[k].c_str(), nombres[k + 1].c_str(), 40});
    red::RedGrafo g;
    g.modelo = red::prueba::modelo(nodos, enlaces);
    for (red::Enlace& e : g.modelo.enlaces)
        e.caudales.fill(0.03);
    for (red::Nodo& n : g.modelo.nodos)
        n.cotaTerreno = n.cotaSolera + 2.0;
    g.topologia = red::construirTopologia(g.modelo);
    std::string error;
    g.tramos = *red::tramosDeModelo(g.modelo, g.topologia, nullptr, nullptr, error);
    g.cabecera.indice.fill(-1);
    g.cabecera.nombres.resize(red::kColumnasGrafo);
    g.columnaDeAtributo.resize(g.modelo.enlaces.size());
    const Trayecto t = trazarTrayecto(g.modelo, g.topologia, "N0");
    return perfilDe(g, t, comprobarTrayecto(g, t, {}, criterioDeEjemplo()));
}

QString guardarPdf(const QTemporaryDir& dir, const Perfil& p, const QString& titulo) {
    const QString ruta = dir.filePath(QStringLiteral("perfil.pdf"));
    guardarPerfil(p, QFile::encodeName(ruta), titulo, ',');
    return ruta;
}

} // namespace

class PruebaDibujoPerfil : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void elementosDelSvg_data();
    void elementosDelSvg();
    void textoDelPdf();
    void hojasDeUnTrayectoLargo_data();
    void hojasDeUnTrayectoLargo();
    void escalaQueCabe_data();
    void escalaQueCabe();
    void imagenPng();
    void extensionDesconocida();
};

void PruebaDibujoPerfil::elementosDelSvg_data() {
    QTest::addColumn<QString>("desde");
    QTest::addColumn<int>("pozos");
    QTest::addColumn<QString>("titulo");
    QTest::newRow("desde la cabecera") << "P1" << 5
                                       << "Tramo «T2»: No cumple; (1) Qll &lt; Q1; (2) Capacidad "
                                          "insuficiente";
    QTest::newRow("desde el ramal") << "L1" << 5 << "Pozo «L1»";
    QTest::newRow("tras el salto") << "T3" << 3 << "Tramo «T4»: No cumple";
}

// One titled element per manhole and per reach of the path.
void PruebaDibujoPerfil::elementosDelSvg() {
    QFETCH(QString, desde);
    QFETCH(int, pozos);
    QFETCH(QString, titulo);
    const Perfil p = perfilDePrueba(1.0, desde.toStdString());
    const QString svg = QString::fromUtf8(svgPerfil(p, QStringLiteral("Perfil"), ','));
    QCOMPARE(svg.count(QRegularExpression(QStringLiteral("<rect id=\"pozo-\\d+\""))), pozos);
    QCOMPARE(svg.count(QRegularExpression(QStringLiteral("<rect id=\"tramo-\\d+\""))), pozos - 1);
    QVERIFY2(svg.contains(titulo), qPrintable(titulo));
    QVERIFY(svg.trimmed().endsWith(QStringLiteral("</svg>")));
}

// The PDF's text is real text: the scale, the legend's warning, the band's rows, the failing
// conditions over their reach and the drop's two inverts.
void PruebaDibujoPerfil::textoDelPdf() {
    QTemporaryDir dir;
    const QString ruta = guardarPdf(dir, perfilDePrueba(1.0), QStringLiteral("Perfil de P1 a S"));
    const QString texto = textoPdf(ruta).simplified();
    if (texto.isNull())
        QSKIP("falta pdftotext (poppler-utils)");
    for (const char* esperado : {"Perfil de P1 a S", "Escala vertical ×",
                                 "Calado normal de cada tramo (régimen "
                                 "uniforme), no curva de remanso",
                                 "Cota terreno (m)", "Solera entrada (m)", "Solera salida (m)",
                                 "Profundidad (m)", "Pendiente (‰)", "(2) Capacidad insuficiente",
                                 "(8) I8 < Imin", "No cumple", "99,00", "97,00", "250,00"})
        QVERIFY2(texto.contains(QString::fromUtf8(esperado)), esperado);
    const QString fuentes = salidaPoppler(QStringLiteral("pdffonts"), {ruta});
    QVERIFY(fuentes.contains(QStringLiteral("DejaVuSans")));
    // Every font embedded: the "emb" column of each font line.
    const QRegularExpression columnas(
        QStringLiteral("\\s(yes|no)\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$"));
    int lineas = 0;
    for (const QString& linea : fuentes.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = columnas.match(linea);
        if (!m.hasMatch())
            continue;
        ++lineas;
        QCOMPARE(m.captured(1), QStringLiteral("yes"));
    }
    QVERIFY(lineas > 0);
}

void PruebaDibujoPerfil::hojasDeUnTrayectoLargo_data() {
    QTest::addColumn<int>("tramos");
    QTest::addColumn<int>("hojas");
    QTest::newRow("un tramo") << 1 << 1;
    QTest::newRow("una hoja justa") << 6 << 1;
    QTest::newRow("uno más") << 7 << 2;
    QTest::newRow("veinte tramos") << 20 << 4;
}

// A long path goes on over pages, each with its band, and every reach is on one of them.
void PruebaDibujoPerfil::hojasDeUnTrayectoLargo() {
    QFETCH(int, tramos);
    QFETCH(int, hojas);
    const Perfil p = perfilLargo(static_cast<std::size_t>(tramos));
    QCOMPARE(paginas(p).size(), static_cast<std::size_t>(hojas));
    QTemporaryDir dir;
    const QString ruta = guardarPdf(dir, p, QStringLiteral("Colector"));
    const QString info = salidaPoppler(QStringLiteral("pdfinfo"), {ruta});
    if (info.isNull())
        QSKIP("falta pdfinfo (poppler-utils)");
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(hojas))),
             qPrintable(info));
    QString todo;
    for (int h = 1; h <= hojas; ++h) {
        const QString pagina = textoPdf(ruta, h);
        QVERIFY(pagina.contains(QStringLiteral("Distancia (m)")));
        QVERIFY(pagina.contains(QStringLiteral("Veredicto")));
        if (hojas > 1)
            QVERIFY(pagina.contains(QStringLiteral("hoja %1 de %2").arg(h).arg(hojas)));
        todo += pagina;
    }
    for (int k = 0; k < tramos; ++k)
        QVERIFY(todo.contains(QRegularExpression(QStringLiteral("\\bC%1\\b").arg(k))));
}

void PruebaDibujoPerfil::escalaQueCabe_data() {
    QTest::addColumn<int>("tramos");
    QTest::addColumn<QSize>("tamano");
    QTest::newRow("corto y ancho") << 1 << QSize(1600, 900);
    QTest::newRow("largo y bajo") << 20 << QSize(1200, 700);
    QTest::newRow("con salto") << 0 << QSize(1000, 800);
}

// The vertical exaggeration is a round 1, 2 or 5 times a power of ten, and with it the
// manholes stay inside the picture.
void PruebaDibujoPerfil::escalaQueCabe() {
    QFETCH(int, tramos);
    QFETCH(QSize, tamano);
    const Perfil p =
        tramos > 0 ? perfilLargo(static_cast<std::size_t>(tramos)) : perfilDePrueba(0.05);
    QImage imagen(tamano, QImage::Format_ARGB32);
    imagen.fill(Qt::white);
    QPainter g(&imagen);
    const QRectF rect(QPointF(0, 0), QSizeF(tamano));
    const Marcas m = dibujarPerfil(g, rect, p, QStringLiteral("Perfil"), ',');
    g.end();
    const double mantisa = m.exageracion / std::pow(10.0, std::floor(std::log10(m.exageracion)));
    QVERIFY2(std::abs(mantisa - 1) < 1e-9 || std::abs(mantisa - 2) < 1e-9 ||
                 std::abs(mantisa - 5) < 1e-9,
             qPrintable(QString::number(m.exageracion)));
    QCOMPARE(m.pozos.size(), p.nodos.size());
    for (const auto& [k, r] : m.pozos)
        QVERIFY2(rect.contains(r), qPrintable(QString::number(k)));
}

void PruebaDibujoPerfil::imagenPng() {
    const Perfil p = perfilDePrueba(0.05);
    QImage imagen;
    QVERIFY(imagen.loadFromData(pngPerfil(p, QStringLiteral("Perfil"), '.'), "PNG"));
    QCOMPARE(imagen.size(), tamanoImagen(p));
    // The reaches that pass are drawn green somewhere.
    bool verde = false;
    for (int y = 0; y < imagen.height() && !verde; y += 2)
        for (int x = 0; x < imagen.width() && !verde; x += 2)
            verde = imagen.pixelColor(x, y) == QColor(46, 125, 50);
    QVERIFY(verde);
}

void PruebaDibujoPerfil::extensionDesconocida() {
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("perfil.txt"));
    try {
        guardarPerfil(perfilDePrueba(0.05), QFile::encodeName(ruta), QStringLiteral("P"), ',');
        QFAIL("sin error");
    } catch (const ErrorArchivo& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("«%1»: el perfil se guarda como .pdf, .svg o .png").arg(ruta));
    }
    QVERIFY(!QFile::exists(ruta));
}

} // namespace colvero::perfil

QTEST_MAIN(colvero::perfil::PruebaDibujoPerfil)
#include "test_dibujo_perfil.moc"
