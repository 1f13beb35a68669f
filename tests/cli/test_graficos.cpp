// colvero-check --grafico and --nota, run through the built program.
#include "../apoyo/pdf.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <tuple>

namespace {

namespace prueba = colvero::prueba;

struct Ejecucion {
    int codigo = -1;
    QByteArray errores;
    QByteArray salida;
};

Ejecucion ejecutar(const QStringList& argumentos) {
    QProcess p;
    p.start(QStringLiteral(COLVERO_CHECK), argumentos);
    EXPECT_TRUE(p.waitForFinished(60000));
    const QByteArray errores = p.readAllStandardError();
    return {p.exitCode(), errores, p.readAllStandardOutput()};
}

const QString kCaso = QStringLiteral(COLVERO_EJEMPLOS "/colector-1m.caVek");
const QString kEstricto = QStringLiteral(COLVERO_EJEMPLOS "/criterio-estricto.CrVek");

// The SVG names every design point; the exit status is the check's own.
TEST(Graficos, SvgConUnElementoTituladoPorPunto) {
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("grafico.svg"));
    const Ejecucion e = ejecutar({QStringLiteral("--grafico"), svg, QStringLiteral("--locale"),
                                  QStringLiteral("es_ES"), kCaso});
    EXPECT_EQ(e.codigo, 0) << e.errores.toStdString();
    EXPECT_TRUE(e.errores.isEmpty()) << e.errores.toStdString();
    QFile f(svg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    QStringList puntos;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.attributes().value(QStringLiteral("id")).startsWith(QStringLiteral("punto-"))) {
            puntos << xml.attributes().value(QStringLiteral("id")).toString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    for (int k = 2; k <= 7; ++k) {
        EXPECT_TRUE(puntos.contains(QStringLiteral("punto-caudal-%1").arg(k))) << k;
        EXPECT_TRUE(puntos.contains(QStringLiteral("punto-velocidad-%1").arg(k))) << k;
    }
}

TEST(Graficos, PngDelTamanoDeLaVentanaDelGrafico) {
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("GRAFICO.PNG"));
    EXPECT_EQ(ejecutar({QStringLiteral("--grafico"), png, kCaso}).codigo, 0);
    EXPECT_EQ(QImage(png).size(), QSize(1200, 900));
}

// The note holds the verdicts as text; a case that fails some condition exits 1 but still
// gets its note.
TEST(Graficos, NotaPdfConLosVeredictosComoTexto) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("nota.pdf"));
    const Ejecucion e =
        ejecutar({QStringLiteral("--nota"), pdf, QStringLiteral("--criterio"), kEstricto, kCaso});
    EXPECT_EQ(e.codigo, 1) << e.errores.toStdString();
    // pdftotext joins runs of blanks, so the verdicts are compared with single blanks.
    const QString t = prueba::salidaPoppler(QStringLiteral("pdftotext"),
                                            {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                          .simplified();
    EXPECT_TRUE(t.contains(QStringLiteral("(1) [SI] Qll > Q1"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("(2) [NO] V2 > Vmax"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("criterio-estricto.CrVek"))) << t.toStdString();
    // The heading: the file checked and the overall verdict; no author nor project, which only
    // the window's preferences give.
    EXPECT_TRUE(t.contains(QStringLiteral("Archivo de cálculo: colector-1m.caVek")))
        << t.toStdString();
    EXPECT_TRUE(
        t.contains(QRegularExpression(QStringLiteral("Resultado: No cumple: [^.]*\\(2\\)"))))
        << t.toStdString();
    EXPECT_FALSE(t.contains(QStringLiteral("Autor:"))) << t.toStdString();
}

// A design flow above the capacity gets its arrow in the chart the command draws.
TEST(Graficos, SvgConFlechaDelCaudalExcedido) {
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("grafico.svg"));
    const Ejecucion e = ejecutar({QStringLiteral("--grafico"), svg,
                                  QStringLiteral(COLVERO_EJEMPLOS "/colector-1m-punta.caVek")});
    EXPECT_EQ(e.codigo, 1) << e.errores.toStdString();
    QFile f(svg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains("id=\"punto-excedido-2\"")) << bytes.size();
    EXPECT_FALSE(bytes.contains("id=\"punto-caudal-2\""));
}

// Nothing is written for a wrong extension, an unwritable place or a run that does not
// complete, and each says why.
TEST(Graficos, SinArchivoCuandoNoSePuede) {
    QTemporaryDir dir;
    QFile malo(dir.filePath(QStringLiteral("malo.caVek")));
    ASSERT_TRUE(malo.open(QIODevice::WriteOnly));
    QFile ejemplo(kCaso);
    ASSERT_TRUE(ejemplo.open(QIODevice::ReadOnly));
    malo.write(ejemplo.readAll().replace("0.013", "0"));
    malo.close();
    struct Caso {
        QStringList argumentos;
        const char* mensaje;
    };
    const QString pdf = dir.filePath(QStringLiteral("n.pdf"));
    for (const Caso& c : {
             Caso{{QStringLiteral("--nota"), dir.filePath(QStringLiteral("n.png")), kCaso},
                  "la nota de cálculo se guarda como PDF"},
             Caso{{QStringLiteral("--grafico"), dir.filePath(QStringLiteral("g.pdf")), kCaso},
                  "el gráfico se guarda como PNG o SVG"},
             Caso{{QStringLiteral("--nota"), dir.filePath(QStringLiteral("no/n.pdf")), kCaso},
                  "la carpeta no existe"},
             Caso{{QStringLiteral("--nota"), pdf, malo.fileName()},
                  "no se ha realizado: El Nº de Manning ha de ser superior a 0.0001"},
             Caso{{QStringLiteral("--nota"), pdf, QStringLiteral("--json"), kCaso},
                  "--nota no se puede usar con otra forma de salida"},
             Caso{{QStringLiteral("--grafico"), pdf, kCaso, kCaso},
                  "--grafico admite un solo archivo de cálculo"},
         }) {
        const Ejecucion e = ejecutar(c.argumentos);
        EXPECT_EQ(e.codigo, 2) << c.mensaje;
        EXPECT_TRUE(QString::fromUtf8(e.errores).contains(QString::fromUtf8(c.mensaje)))
            << e.errores.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("malo.caVek")});
}

// The chart or the note never replaces the calculation it is drawn from, through a link
// either: refused before anything is written.
TEST(Graficos, NoReemplazaElCalculo) {
    QTemporaryDir dir;
    for (const auto& [opcion, nombre, enlace] :
         {std::tuple{"--nota", "caso.pdf", false}, std::tuple{"--grafico", "caso.svg", false},
          std::tuple{"--grafico", "enlace.png", true}}) {
        SCOPED_TRACE(nombre);
        const QString calculo = dir.filePath(QStringLiteral("caso.pdf"));
        QFile::remove(calculo);
        ASSERT_TRUE(QFile::copy(kCaso, calculo));
        QFile original(kCaso);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        const QString salida = dir.filePath(QString::fromUtf8(nombre));
        if (enlace)
            ASSERT_TRUE(QFile::link(calculo, salida));
        const QString leido = enlace || salida == calculo ? calculo : salida;
        if (!enlace && salida != calculo)
            ASSERT_TRUE(QFile::copy(kCaso, salida));
        const Ejecucion e = ejecutar({QString::fromUtf8(opcion), salida, leido});
        EXPECT_EQ(e.codigo, 2);
        EXPECT_EQ(e.errores.toStdString(),
                  std::string("colvero-check: ") + opcion + " «" + salida.toStdString() +
                      "» es el mismo archivo que el cálculo «" + leido.toStdString() +
                      "»: " + (std::string(opcion) == "--nota" ? "la nota" : "el gráfico") +
                      " lo reemplazaría. Elija otro nombre para la salida.\n");
        QFile f(leido);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes);
        QFile::remove(salida);
    }
}

const QString kModelo = QStringLiteral(COLVERO_EJEMPLOS "/red-ejemplo.inp");
const QString kCriterioRed = QStringLiteral(COLVERO_EJEMPLOS "/criterio-red.CrVek");

QString textoPdf(const QString& pdf) {
    return prueba::textoPdf(pdf).simplified();
}

// The note of a model and of a table say what the run printed: same counts, same exit status
// as the run without a note.
TEST(NotaRed, LasCuentasDeLaNotaSonLasDeLaCorrida) {
    const std::tuple<const char*, QStringList> fuentes[] = {
        {"modelo con hipótesis",
         {kModelo, QStringLiteral("--hipotesis"),
          QStringLiteral(COLVERO_EJEMPLOS "/hipotesis.txt")}},
        {"tabla", {QStringLiteral(COLVERO_EJEMPLOS "/red-ejemplo-coma.csv")}},
    };
    for (const auto& [nombre, fuente] : fuentes) {
        SCOPED_TRACE(nombre);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("nota red.pdf"));
        const QStringList base = QStringList{QStringLiteral("--red")} + fuente +
                                 QStringList{QStringLiteral("--criterio"), kCriterioRed};
        const Ejecucion sin = ejecutar(base);
        const Ejecucion con = ejecutar(base + QStringList{QStringLiteral("--nota-red"), pdf});
        EXPECT_EQ(con.codigo, sin.codigo) << con.errores.toStdString();
        EXPECT_EQ(con.salida, sin.salida + "Nota de cálculo: " + pdf.toUtf8() + "\n");
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("Tramos: (\\d+); cumplen (\\d+), no cumplen "
                                              "(\\d+), no se han podido comprobar (\\d+)"))
                .match(QString::fromUtf8(sin.salida));
        ASSERT_TRUE(m.hasMatch()) << sin.salida.toStdString();
        const QString t = textoPdf(pdf);
        EXPECT_TRUE(t.contains(m.captured(0))) << t.toStdString();
        EXPECT_TRUE(t.contains(QStringLiteral("Red: ") + fuente.front())) << t.toStdString();
    }
}

// The upstream ends of the example model, read from its links: nodes that links leave and
// none enters.
QStringList extremosDeAguasArriba(const QString& inp) {
    QFile f(inp);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList desde, hasta;
    bool enlaces = false;
    for (const QString& linea : QString::fromUtf8(f.readAll()).split(u'\n')) {
        const QString l = linea.trimmed();
        if (l.startsWith(u'[')) {
            enlaces = l == QLatin1String("[CONDUITS]") || l == QLatin1String("[WEIRS]") ||
                      l == QLatin1String("[PUMPS]") || l == QLatin1String("[ORIFICES]") ||
                      l == QLatin1String("[OUTLETS]");
            continue;
        }
        const QStringList c = l.split(QRegularExpression(QStringLiteral("\\s+")));
        if (!enlaces || l.isEmpty() || l.startsWith(u';') || c.size() < 3)
            continue;
        desde << c[1];
        hasta << c[2];
    }
    QStringList r;
    for (const QString& n : desde)
        if (!hasta.contains(n) && !r.contains(n))
            r << n;
    return r;
}

// The section «Perfiles longitudinales»: by default the paths with a failing reach, drawn
// whole down to the outfall; with --perfiles todos one profile per upstream end. Each profile
// adds its pages and the footers count them all.
TEST(NotaRed, PerfilesDeLosCaminos) {
    const QStringList base{
        QStringLiteral("--red"),       kModelo,
        QStringLiteral("--hipotesis"), QStringLiteral(COLVERO_EJEMPLOS "/hipotesis.txt"),
        QStringLiteral("--criterio"),  kCriterioRed};
    const QStringList extremos = extremosDeAguasArriba(kModelo);
    ASSERT_GE(extremos.size(), 2);
    QTemporaryDir dir;
    int paginasFallos = 0, perfilesFallos = 0;
    for (const bool todos : {false, true}) {
        SCOPED_TRACE(todos ? "todos" : "fallos (por omisión)");
        const QString pdf =
            dir.filePath(todos ? QStringLiteral("todos.pdf") : QStringLiteral("fallos.pdf"));
        QStringList a = base + QStringList{QStringLiteral("--nota-red"), pdf};
        if (todos)
            a << QStringLiteral("--perfiles") << QStringLiteral("todos");
        const Ejecucion e = ejecutar(a);
        EXPECT_EQ(e.codigo, 1) << e.errores.toStdString();
        const QString t = textoPdf(pdf);
        const qsizetype seccion = t.lastIndexOf(QStringLiteral("Perfiles longitudinales"));
        ASSERT_GE(seccion, 0) << t.toStdString();
        const QString perfiles = t.mid(seccion);
        const int dibujados =
            static_cast<int>(perfiles.count(QStringLiteral("Perfil longitudinal de «")));
        const int paginas = prueba::paginasPdf(pdf);
        EXPECT_TRUE(t.contains(QStringLiteral("Página %1 de %1").arg(paginas))) << t.toStdString();
        if (todos) {
            EXPECT_EQ(dibujados, extremos.size());
            for (const QString& n : extremos)
                EXPECT_EQ(perfiles.count(QStringLiteral("Perfil longitudinal de «%1» a").arg(n)), 1)
                    << n.toStdString();
            // Every path here fits one page.
            EXPECT_EQ(paginas - paginasFallos, dibujados - perfilesFallos);
        } else {
            // The failing reach, its path down to the outfall, and no path without a failure.
            EXPECT_EQ(dibujados, 1);
            EXPECT_TRUE(perfiles.contains(QStringLiteral("Perfil longitudinal de «P10» a «V1»")))
                << perfiles.toStdString();
            for (const char* tramo : {"T10", "T4", "T5"})
                EXPECT_TRUE(perfiles.contains(QLatin1String(tramo))) << tramo;
            EXPECT_FALSE(perfiles.contains(QStringLiteral("T1 "))) << perfiles.toStdString();
            paginasFallos = paginas;
            perfilesFallos = dibujados;
        }
    }
}

// A note that is not a PDF, or that would replace a file the run reads, is refused before
// anything is read or written.
TEST(NotaRed, ErroresDeUso) {
    QTemporaryDir dir;
    const QString criterio = dir.filePath(QStringLiteral("criterio.pdf"));
    ASSERT_TRUE(QFile::copy(kCriterioRed, criterio));
    const QString txt = dir.filePath(QStringLiteral("nota.txt"));
    const std::tuple<const char*, QStringList, std::string> casos[] = {
        {"no acaba en .pdf",
         {QStringLiteral("--red"), kModelo, QStringLiteral("--criterio"), kCriterioRed,
          QStringLiteral("--nota-red"), txt},
         "colvero-check: la nota de la red se guarda como PDF: «" + txt.toStdString() +
             "» no acaba en .pdf\nUse «colvero-check --red --help» para ver las opciones.\n"},
        {"es el criterio",
         {QStringLiteral("--red"), kModelo, QStringLiteral("--criterio"), criterio,
          QStringLiteral("--nota-red"), criterio},
         "colvero-check: --nota-red «" + criterio.toStdString() +
             "» es el mismo archivo que --criterio «" + criterio.toStdString() +
             "»: la nota lo reemplazaría. Elija otro nombre para la nota.\n"},
        {"dada dos veces",
         {QStringLiteral("--red"), kModelo, QStringLiteral("--criterio"), kCriterioRed,
          QStringLiteral("--nota-red"), txt, QStringLiteral("--nota-red"), txt},
         "colvero-check: la opción --nota-red se ha dado dos veces\nUse «colvero-check --red "
         "--help» para ver las opciones.\n"},
        {"perfiles sin nota",
         {QStringLiteral("--red"), kModelo, QStringLiteral("--criterio"), kCriterioRed,
          QStringLiteral("--perfiles"), QStringLiteral("todos")},
         "colvero-check: --perfiles solo sirve con --nota-red y un modelo SWMM (.inp) o capas "
         "SIG\nUse «colvero-check --red --help» para ver las opciones.\n"},
        {"perfiles de valor desconocido",
         {QStringLiteral("--red"), kModelo, QStringLiteral("--criterio"), kCriterioRed,
          QStringLiteral("--nota-red"), txt, QStringLiteral("--perfiles"), QStringLiteral("uno")},
         "colvero-check: --perfiles «uno»: escriba fallos o todos\nUse «colvero-check --red "
         "--help» para ver las opciones.\n"},
    };
    for (const auto& [nombre, argumentos, mensaje] : casos) {
        SCOPED_TRACE(nombre);
        const Ejecucion e = ejecutar(argumentos);
        EXPECT_EQ(e.codigo, 2);
        EXPECT_EQ(e.errores.toStdString(), mensaje);
        EXPECT_TRUE(e.salida.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(txt));
    QFile f(criterio);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QFile original(kCriterioRed);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), original.readAll());
}

// A note that cannot be written, where it is refused at once (no folder) and where the write
// fails halfway (a file-size limit, EFBIG), fails the run with a message and leaves no file.
TEST(NotaRed, SinArchivoCuandoNoSePuedeEscribir) {
    QTemporaryDir dir;
    const QString sinCarpeta = dir.filePath(QStringLiteral("no/existe/nota.pdf"));
    const QString grande = dir.filePath(QStringLiteral("nota.pdf"));
    const std::tuple<const char*, QString, QString, std::string> casos[] = {
        {"la carpeta no existe", QString(), sinCarpeta,
         "colvero-check: No se puede crear el archivo «" + sinCarpeta.toStdString() +
             "»: la carpeta no existe.\n"},
        {"el archivo supera el límite de tamaño", QStringLiteral("trap '' XFSZ; ulimit -f 8; "),
         grande,
         "colvero-check: No se puede escribir el archivo «" + grande.toStdString() +
             "»: el archivo supera el tamaño máximo permitido.\n"},
    };
    for (const auto& [nombre, limite, pdf, mensaje] : casos) {
        SCOPED_TRACE(nombre);
        QProcess p;
        p.start(QStringLiteral("bash"),
                {QStringLiteral("-c"), limite + QStringLiteral("exec \"$@\""),
                 QStringLiteral("bash"), QStringLiteral(COLVERO_CHECK), QStringLiteral("--red"),
                 kModelo, QStringLiteral("--criterio"), kCriterioRed, QStringLiteral("--nota-red"),
                 pdf});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 2);
        EXPECT_EQ(p.readAllStandardError().toStdString(), mensaje);
        EXPECT_FALSE(p.readAllStandardOutput().contains("Nota de cálculo:"));
        EXPECT_FALSE(QFile::exists(pdf));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

// The note of a designed network: its design section says what the design's JSON says (cost,
// pipe per diameter, drops, reaches without a design, as the note rounds them) and the rest of
// the note is the check of the designed pipes, not of the source's.
TEST(NotaRed, LaNotaDelDisenoDiceLoQueDioElDiseno) {
    // The example's outfall has no ground, so its last reach has no design; the same network
    // ending in a manhole with ground is designed whole.
    const QString ejemplo = QStringLiteral(COLVERO_EJEMPLOS "/diseno-ejemplo.inp");
    QTemporaryDir dirModelo;
    const QString conTerreno = dirModelo.filePath(QStringLiteral("con-terreno.inp"));
    {
        QFile f(ejemplo);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QString inp = QString::fromUtf8(f.readAll());
        const QRegularExpression vertido(QStringLiteral("\\nV1 +112\\.90 +FREE +NO *\\n"));
        ASSERT_TRUE(vertido.match(inp).hasMatch());
        inp.replace(vertido, QStringLiteral("\n"));
        ASSERT_TRUE(inp.contains(QStringLiteral("\n\n[OUTFALLS]")));
        inp.replace(QStringLiteral("\n\n[OUTFALLS]"),
                    QStringLiteral("\nV1 112.90 2.60 0 0 0\n\n[OUTFALLS]"));
        QFile g(conTerreno);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        g.write(inp.toUtf8());
    }
    struct Caso {
        const char* nombre;
        QString modelo;
        QStringList mas;
        char sep;
    };
    const Caso casos[] = {
        {"el ejemplo, con la cota del vertido fijada",
         ejemplo,
         {"--fijar", "V1=112.9", "--locale", "es_ES"},
         ','},
        {"un pozo con terreno al final, punto decimal", conTerreno, {"--locale", "C"}, '.'},
        {"resaltos de más de 0,50 m y claves alineadas",
         conTerreno,
         {"--resalto-minimo", "0,6", "--alinear", "claves", "--locale", "es_ES"},
         ','},
    };
    const auto fijo = [](double x, int decimales, char sep) {
        return QString::number(x, 'f', decimales).replace(u'.', QChar::fromLatin1(sep));
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("nota diseño.pdf"));
        const QStringList base =
            QStringList{"--red",       c.modelo,
                        "--hipotesis", QStringLiteral(COLVERO_EJEMPLOS "/hipotesis.txt"),
                        "--criterio",  kCriterioRed,
                        "--disenar",   "--serie",
                        "hormigon"} +
            c.mas;
        const Ejecucion json = ejecutar(base + QStringList{"--json"});
        const Ejecucion sin = ejecutar(base);
        const Ejecucion con = ejecutar(base + QStringList{"--nota-red", pdf});
        ASSERT_LE(json.codigo, 1) << json.errores.toStdString();
        EXPECT_EQ(con.codigo, json.codigo) << con.errores.toStdString();
        EXPECT_EQ(con.salida, sin.salida + "Nota de cálculo: " + pdf.toUtf8() + "\n");

        QList<QJsonObject> tramos;
        QJsonObject resumen;
        for (const QByteArray& linea : json.salida.split('\n')) {
            if (linea.isEmpty())
                continue;
            const QJsonObject o = QJsonDocument::fromJson(linea).object();
            if (o.contains(QStringLiteral("resumen")))
                resumen = o.value(QStringLiteral("resumen")).toObject();
            else
                tramos << o;
        }
        ASSERT_FALSE(resumen.isEmpty()) << json.salida.toStdString();
        const QString t = textoPdf(pdf);
        ASSERT_TRUE(t.contains(QStringLiteral("Diseño de la red"))) << t.toStdString();
        EXPECT_TRUE(
            t.contains(QStringLiteral("Excavación: %1 m3")
                           .arg(fijo(resumen.value(QStringLiteral("coste")).toDouble(), 2, c.sep))))
            << t.toStdString();

        // Pipe laid per diameter: the pipe, its D and its length, one row each.
        const QJsonObject porTubo = resumen.value(QStringLiteral("longitud_por_tubo")).toObject();
        ASSERT_FALSE(porTubo.isEmpty());
        for (auto k = porTubo.begin(); k != porTubo.end(); ++k) {
            double D = 0;
            for (const QJsonObject& o : tramos)
                if (o.value(QStringLiteral("tubo")).toString() == k.key())
                    D = o.value(QStringLiteral("D")).toDouble();
            EXPECT_TRUE(t.contains(k.key() + u' ' + fijo(D, 3, c.sep) + u' ' +
                                   fijo(k.value().toDouble(), 2, c.sep)))
                << k.key().toStdString();
        }

        // The drops, counted by the library and listed reach by reach.
        const int resaltos = resumen.value(QStringLiteral("resaltos")).toInt();
        EXPECT_TRUE(t.contains(QStringLiteral("Resaltos: %1; pozos de resalto (más de %2 m): %3.")
                                   .arg(resaltos)
                                   .arg(fijo(0.5, 2, c.sep))
                                   .arg(resumen.value(QStringLiteral("pozos_de_resalto")).toInt())))
            << t.toStdString();
        int listados = 0;
        for (const QJsonObject& o : tramos) {
            const double r = o.value(QStringLiteral("resalto")).toDouble();
            if (!(r > 0))
                continue;
            ++listados;
            const QString fila =
                o.value(QStringLiteral("tramo")).toString() + u' ' + fijo(r, 2, c.sep);
            EXPECT_TRUE(t.contains(r > 0.5 ? fila + QStringLiteral(" pozo de resalto") : fila))
                << fila.toStdString();
        }
        EXPECT_EQ(listados, resaltos);

        // The reaches without a design, with the JSON's reason.
        const QJsonArray sinDiseno = resumen.value(QStringLiteral("sin_diseno")).toArray();
        EXPECT_EQ(t.contains(QStringLiteral("Tramos sin diseño")), !sinDiseno.isEmpty());
        EXPECT_EQ(json.codigo, sinDiseno.isEmpty() ? 0 : 1);
        for (const QJsonObject& o : tramos)
            if (o.contains(QStringLiteral("sin_diseno"))) {
                EXPECT_TRUE(t.contains(o.value(QStringLiteral("sin_diseno")).toString()))
                    << o.value(QStringLiteral("sin_diseno")).toString().toStdString();
            }

        // The table of reaches is the check of the designed pipes: their D and slope, and no
        // designed reach fails.
        for (const QJsonObject& o : tramos) {
            if (o.contains(QStringLiteral("sin_diseno")))
                continue;
            const QRegularExpression fila(
                QRegularExpression::escape(o.value(QStringLiteral("tramo")).toString()) +
                QStringLiteral(" \\S+ \\S+ ") +
                QRegularExpression::escape(
                    fijo(o.value(QStringLiteral("D")).toDouble(), 3, c.sep)) +
                QStringLiteral(" \\S+ ") +
                QRegularExpression::escape(
                    fijo(o.value(QStringLiteral("i")).toDouble(), 5, c.sep)) +
                u' ');
            EXPECT_TRUE(fila.match(t).hasMatch()) << fila.pattern().toStdString();
        }
        if (sinDiseno.isEmpty()) {
            EXPECT_TRUE(t.contains(QStringLiteral(", no cumplen 0, no se han podido comprobar 0")))
                << t.toStdString();
        }
    }
}

} // namespace
