// The four file buttons: dialog procedure, labels, readers and writers, errors.
#include "apoyo.h"
#include "files/archivos.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

using namespace colvero;
using namespace colvero::ui;
using namespace colvero::ui::prueba;

class TestArchivosVentana : public PruebaDeVentanas {
    Q_OBJECT

public:
    TestArchivosVentana() : PruebaDeVentanas('.') {}

private:
    void pulsar(const char* boton, const QString& respuesta) {
        dialogos().respuesta = respuesta;
        QTest::mouseClick(hijo<QPushButton>(w(), boton), Qt::LeftButton);
    }

    void calcularCasoValido() {
        teclear(w(), "Text34", "1");
        teclear(w(), "Text35", "0.013");
        teclear(w(), "Text18", "0.005");
        teclear(w(), "Text33", "1");
        QTest::mouseClick(hijo<QPushButton>(w(), "Command13"), Qt::LeftButton);
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CÁLCULO REALIZADO"));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(instalarTraduccionQt(*QCoreApplication::instance())); }

    void dialogo_data() {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QString>("propia");
        QTest::addColumn<QString>("otra");
        const QString calculo = QStringLiteral("Archivos cálculo Colvero  (*.caVek)");
        const QString criterio = QStringLiteral("Archivos cálculo Colvero  (*.CrVek)");
        // Opening also offers every file, so that one saved under another name can be chosen.
        const QString todos = QStringLiteral(";;Todos los archivos (*)");
        const QString abrir = QStringLiteral("Abrir Cálculo      Colvero 2");
        const QString guardar = QStringLiteral("Guardar Cálculo     Colvero 2");
        QTest::newRow("Abrir Cálculo") << "Command20"
                                       << "abrir" << abrir << calculo + todos << "Label1ap"
                                       << "Label3ap";
        QTest::newRow("Guardar Cálculo") << "Command21"
                                         << "guardar" << guardar << calculo << "Label1ap"
                                         << "Label3ap";
        QTest::newRow("Abrir criterio") << "Command16"
                                        << "abrir" << abrir << criterio + todos << "Label3ap"
                                        << "Label1ap";
        QTest::newRow("Guardar criterio") << "Command17"
                                          << "guardar" << guardar << criterio << "Label3ap"
                                          << "Label1ap";
    }

    void dialogo() {
        QFETCH(QString, boton);
        QFETCH(QString, tipo);
        QFETCH(QString, titulo);
        QFETCH(QString, filtro);
        QFETCH(QString, propia);
        QFETCH(QString, otra);
        hijo<QLabel>(w(), otra)->setText(QStringLiteral("anterior"));
        pulsar(qPrintable(boton), QString());
        QCOMPARE(dialogos().llamadas.size(), 1);
        const LlamadaDialogo& llamada = dialogos().llamadas.constFirst();
        QCOMPARE(llamada.tipo, tipo);
        QCOMPARE(llamada.titulo, titulo);
        QCOMPARE(llamada.filtro, filtro);
        // Calculation and criterion files replace an existing file without a question.
        QCOMPARE(llamada.modo, Guardado::SinPreguntar);
        QVERIFY(llamada.carpeta != QCoreApplication::applicationDirPath());
        QVERIFY(QFileInfo(llamada.carpeta).isDir());
    }

    // After a file is opened or saved, every dialog starts in its folder, in this window and
    // in the next one; a failed operation remembers nothing.
    void dialogosEmpiezanEnLaCarpetaDelUltimoArchivo() {
        QTemporaryDir otra;
        pulsar("Command21", otra.filePath(QStringLiteral("no-existe/caso.caVek")));
        QCOMPARE(dialogos().errores.size(), 1);
        pulsar("Command17", ruta(QStringLiteral("criterio.CrVek")));
        QVERIFY(dialogos().errores.size() == 1);
        prueba_ = std::make_unique<VentanaDePrueba>('.');
        pulsar("Command20", QString());
        QCOMPARE(dialogos().llamadas.constLast().carpeta, carpeta_->path());
    }

    // A file named on the command line or dropped on the window opens as its button would
    // open it; the extension decides which, in either case.
    void abrirArchivoDeFuera() {
        calcularCasoValido();
        const QString caso = ruta(QStringLiteral("CASO.CAVEK"));
        const QString criterio = ruta(QStringLiteral("estricto.CrVek"));
        QVERIFY(QFile::copy(QStringLiteral(COLVERO_EJEMPLOS "/colector-1m.caVek"), caso));
        QVERIFY(QFile::copy(QStringLiteral(COLVERO_EJEMPLOS "/criterio-estricto.CrVek"), criterio));

        QVERIFY(prueba_->ventana->abrirArchivo(caso));
        QCOMPARE(texto(w(), "Label1ap"), caso);
        QCOMPARE(texto(w(), "Text1"), QStringLiteral("Colector de prueba"));
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CALCULO SIN REALIZAR"));

        QMimeData datos;
        datos.setUrls({QUrl::fromLocalFile(criterio)});
        QDragEnterEvent entra(QPoint(10, 10), Qt::CopyAction, &datos, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&w(), &entra);
        QVERIFY(entra.isAccepted());
        QDropEvent suelta(QPointF(10, 10), Qt::CopyAction, &datos, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&w(), &suelta);
        QCOMPARE(texto(w(), "Label3ap"), criterio);
        QCOMPARE(texto(w(), "Label1ap"), QStringLiteral("-"));
        QVERIFY(dialogos().errores.isEmpty());

        // Anything else is refused before reading, and changes nothing.
        const QString otro = ruta(QStringLiteral("notas.txt"));
        datos.setUrls({QUrl::fromLocalFile(otro)});
        QDragEnterEvent rechazo(QPoint(10, 10), Qt::CopyAction, &datos, Qt::LeftButton, {});
        rechazo.setAccepted(false);
        QCoreApplication::sendEvent(&w(), &rechazo);
        QVERIFY(!rechazo.isAccepted());
        QVERIFY(!prueba_->ventana->abrirArchivo(otro));
        QCOMPARE(dialogos().errores,
                 QStringList{QStringLiteral("El archivo «%1» no es un cálculo (.caVek) ni un "
                                            "criterio (.CrVek).")
                                 .arg(otro)});
        QCOMPARE(texto(w(), "Label3ap"), criterio);
    }

    // A file without its "EOF" line opens as the whole file would, and the status line says it
    // may have been cut; the next file that ends properly clears the warning.
    void archivoSinEofAvisaEnLaLineaDeEstado() {
        QFile ejemplo(QStringLiteral(COLVERO_EJEMPLOS "/colector-1m.caVek"));
        QVERIFY(ejemplo.open(QIODevice::ReadOnly));
        const QByteArray entero = ejemplo.readAll();
        QVERIFY(entero.endsWith("\r\nEOF\r\n"));
        const QString sinEof = ruta(QStringLiteral("sin-eof.caVek"));
        QFile f(sinEof);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(entero.chopped(5));
        f.close();
        const QString caso = ruta(QStringLiteral("entero.caVek"));
        QVERIFY(QFile::copy(ejemplo.fileName(), caso));

        const auto campos = [&] {
            QStringList t;
            for (const QLineEdit* e : w().findChildren<QLineEdit*>())
                t << e->objectName() + QLatin1Char('=') + e->text();
            return t;
        };
        QVERIFY(prueba_->ventana->abrirArchivo(caso));
        const QStringList delEntero = campos();
        QVERIFY(prueba_->ventana->abrirArchivo(sinEof));
        QCOMPARE(texto(w(), "Label1ap"),
                 sinEof + QStringLiteral(
                              "  (aviso: el archivo no termina en EOF: puede estar cortado)"));
        QCOMPARE(campos(), delEntero);
        QVERIFY(dialogos().errores.isEmpty());
        QVERIFY(prueba_->ventana->abrirArchivo(caso));
        QCOMPARE(texto(w(), "Label1ap"), caso);
    }

    void cancelarNoCambiaNada_data() { dialogo_data(); }
    void cancelarNoCambiaNada() {
        QFETCH(QString, boton);
        QFETCH(QString, otra);
        calcularCasoValido();
        hijo<QLabel>(w(), otra)->setText(QStringLiteral("anterior"));
        pulsar(qPrintable(boton), QString());
        QCOMPARE(texto(w(), otra), QStringLiteral("anterior"));
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CÁLCULO REALIZADO"));
        QVERIFY(hijo<QPushButton>(w(), "Command6")->isEnabled());
        QCOMPARE(texto(w(), "Text34"), QStringLiteral("1"));
        QVERIFY(QDir(carpeta_->path()).isEmpty());
        QVERIFY(dialogos().errores.isEmpty());
    }

    void guardarYAbrirCalculo() {
        auto* titulo = hijo<QLineEdit>(w(), "Text1");
        titulo->clear();
        QTest::keyClicks(titulo, "Colector ");
        QTest::sendKeyEvent(QTest::Click, titulo, Qt::Key_unknown, QStringLiteral("Ñ"), {});
        hijo<QCheckBox>(w(), "Check5")->setChecked(false);
        teclear(w(), "Text39", "3.5");
        teclear(w(), "Text9", "Punta");
        calcularCasoValido();
        hijo<QLabel>(w(), "Label3ap")->setText(QStringLiteral("criterio.CrVek"));

        const QString archivo = ruta(QStringLiteral("caso.caVek"));
        pulsar("Command21", archivo);
        QCOMPARE(texto(w(), "Label1ap"), archivo);
        QCOMPARE(texto(w(), "Label3ap"), QStringLiteral("-"));
        // Saving leaves the calculated state alone.
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CÁLCULO REALIZADO"));
        QVERIFY(hijo<QPushButton>(w(), "Command6")->isEnabled());

        Calculo esperado;
        esperado.titulo1 = "Colector Ñ";
        esperado.colector = {"1", "0.013", "0.005"};
        esperado.caudal[0] = "1";
        esperado.criterio.denominacion[0] = "Punta";
        esperado.criterio.Vmax = "3.5";
        esperado.criterio.activa[4] = false;
        QCOMPARE(leerCalculo(archivo, '.'), esperado);

        // A fresh window opens the file as the case, not calculated.
        prueba_ = std::make_unique<VentanaDePrueba>('.');
        pulsar("Command20", archivo);
        QVERIFY(dialogos().errores.isEmpty());
        QCOMPARE(texto(w(), "Label1ap"), archivo);
        QCOMPARE(texto(w(), "Text1"), QStringLiteral("Colector Ñ"));
        QCOMPARE(texto(w(), "Text39"), QStringLiteral("3.5"));
        QCOMPARE(texto(w(), "Text9"), QStringLiteral("Punta"));
        QCOMPARE(texto(w(), "Text33"), QStringLiteral("1"));
        QVERIFY(!hijo<QCheckBox>(w(), "Check5")->isChecked());
        QVERIFY(!hijo<QWidget>(w(), "Text76")->isVisible());
        QVERIFY(hijo<QWidget>(w(), "Text42")->isVisible());
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CALCULO SIN REALIZAR"));
        QVERIFY(!hijo<QPushButton>(w(), "Command6")->isEnabled());
    }

    // Reading back the very case on screen still leaves it not calculated: the report of the
    // earlier run is no longer offered and no result field keeps an old value.
    void abrirElMismoCasoDejaSinCalcular() {
        calcularCasoValido();
        const QString archivo = ruta(QStringLiteral("igual.caVek"));
        pulsar("Command21", archivo);
        teclear(w(), "Text76", "1");
        teclear(w(), "Text53", "1");
        teclear(w(), "Text54", "2.65");
        pulsar("Command21", archivo);
        QTest::mouseClick(hijo<QPushButton>(w(), "Command13"), Qt::LeftButton);
        QVERIFY(texto(w(), "Text19") != QStringLiteral("-"));

        pulsar("Command20", archivo);
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CALCULO SIN REALIZAR"));
        QVERIFY(!hijo<QPushButton>(w(), "Command6")->isEnabled());
        for (const char* campo : {"Text37", "Text55", "Text19", "Nota1", "Nota5"}) {
            QVERIFY2(texto(w(), campo) == QStringLiteral("-"), campo);
        }
    }

    void guardarYAbrirCriterio() {
        hijo<QCheckBox>(w(), "Check8")->setChecked(false);
        teclear(w(), "Text72", "0.6");
        teclear(w(), "Text4", "Lluvia");
        const QString archivo = ruta(QStringLiteral("criterio.CrVek"));
        hijo<QLabel>(w(), "Label1ap")->setText(QStringLiteral("caso.caVek"));
        pulsar("Command17", archivo);
        QCOMPARE(texto(w(), "Label3ap"), archivo);
        QCOMPARE(texto(w(), "Label1ap"), QStringLiteral("-"));
        QVERIFY(QFile::exists(archivo));

        // Another case and criterion on screen; opening the criterion replaces only its part.
        hijo<QCheckBox>(w(), "Check8")->setChecked(true);
        teclear(w(), "Text72", "9");
        teclear(w(), "Text4", "Otra");
        teclear(w(), "Text34", "0.8");
        teclear(w(), "Text70", "2");
        teclear(w(), "Text2", "Segundo");
        hijo<QLabel>(w(), "Label1ap")->setText(QStringLiteral("caso.caVek"));
        pulsar("Command16", archivo);
        QVERIFY(dialogos().errores.isEmpty());
        QCOMPARE(texto(w(), "Label1ap"), QStringLiteral("-"));
        QVERIFY(!hijo<QCheckBox>(w(), "Check8")->isChecked());
        QVERIFY(!hijo<QWidget>(w(), "Text64")->isVisible());
        QCOMPARE(texto(w(), "Text72"), QStringLiteral("0.6"));
        QCOMPARE(texto(w(), "Text4"), QStringLiteral("Lluvia"));
        QCOMPARE(texto(w(), "Text34"), QStringLiteral("0.8"));
        QCOMPARE(texto(w(), "Text70"), QStringLiteral("2"));
        QCOMPARE(texto(w(), "Text2"), QStringLiteral("Segundo"));
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CALCULO SIN REALIZAR"));
    }

    void errorDeLecturaAvisaSinCambiarCampos_data() {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<QString>("propia");
        QTest::addColumn<QString>("otra");
        QTest::addColumn<QByteArray>("contenido");
        QTest::newRow("calculation file ending after its 43rd value")
            << "Command20"
            << "Label1ap"
            << "Label3ap"
            << QByteArray("T1,T2,1,0.013,0.005\r\n 1 ,1,a\r\n 1 ,1,b,3\r\n 1 ,1,c,1\r\n"
                          " 1 ,1,d,80\r\n 1 ,1,e,2.65,1,10\r\n 1 ,1,f,1\r\n 1 ,1,g,2\r\n"
                          " 1 ,-,0.001\r\n 1 ,-,0.1\r\n 1 ,-,50\r\n");
        QTest::newRow("empty criterion file") << "Command16"
                                              << "Label3ap"
                                              << "Label1ap" << QByteArray();
    }
    void errorDeLecturaAvisaSinCambiarCampos() {
        QFETCH(QString, boton);
        QFETCH(QString, propia);
        QFETCH(QString, otra);
        QFETCH(QByteArray, contenido);
        const QString archivo = ruta(QStringLiteral("corto"));
        QFile f(archivo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(contenido);
        f.close();
        calcularCasoValido();
        hijo<QLabel>(w(), otra)->setText(QStringLiteral("anterior"));

        hijo<QLabel>(w(), propia)->setText(QStringLiteral("leido.caVek"));
        pulsar(qPrintable(boton), archivo);
        QCOMPARE(dialogos().errores.size(), 1);
        QVERIFY2(dialogos().errores.constFirst().contains(QStringLiteral("corto")),
                 qPrintable(dialogos().errores.constFirst()));
        // A file that was not read names nothing: both labels and every field stay.
        QCOMPARE(texto(w(), propia), QStringLiteral("leido.caVek"));
        QCOMPARE(texto(w(), otra), QStringLiteral("anterior"));
        QCOMPARE(texto(w(), "Text1"), QStringLiteral("Título 1"));
        QCOMPARE(texto(w(), "Text34"), QStringLiteral("1"));
        QCOMPARE(texto(w(), "Text72"), QStringLiteral("0"));
        QVERIFY(hijo<QCheckBox>(w(), "Check2")->isChecked());
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CÁLCULO REALIZADO"));
        QVERIFY(hijo<QPushButton>(w(), "Command6")->isEnabled());
    }

    void errorDeEscrituraAvisa_data() {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<QString>("propia");
        QTest::addColumn<QString>("otra");
        QTest::newRow("calculation") << "Command21"
                                     << "Label1ap"
                                     << "Label3ap";
        QTest::newRow("criterion") << "Command17"
                                   << "Label3ap"
                                   << "Label1ap";
    }
    void errorDeEscrituraAvisa() {
        QFETCH(QString, boton);
        QFETCH(QString, propia);
        QFETCH(QString, otra);
        calcularCasoValido();
        hijo<QLabel>(w(), propia)->setText(QStringLiteral("guardado"));
        hijo<QLabel>(w(), otra)->setText(QStringLiteral("anterior"));
        const QString archivo = ruta(QStringLiteral("no/existe/caso"));
        pulsar(qPrintable(boton), archivo);
        QCOMPARE(dialogos().errores.size(), 1);
        QVERIFY(!QFile::exists(archivo));
        QCOMPARE(texto(w(), "NotaCalC"), QStringLiteral("CÁLCULO REALIZADO"));
        // The labels still name the files last read or written.
        QCOMPARE(texto(w(), propia), QStringLiteral("guardado"));
        QCOMPARE(texto(w(), otra), QStringLiteral("anterior"));
    }

    // Qt's own texts come from its Spanish translation, as installed at start-up.
    void textosDelToolkitTraducidos_data() {
        QTest::addColumn<QString>("contexto");
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("file dialog, missing file")
            << "QFileDialog"
            << "%1\nFile not found.\nPlease verify the correct file name was given."
            << "%1\nFichero no encontrado.\nVerifique que el nombre del fichero es correcto.";
        QTest::newRow("file dialog, name column") << "QFileSystemModel"
                                                  << "Name"
                                                  << "Nombre";
        QTest::newRow("file dialog, date column") << "QFileSystemModel"
                                                  << "Date Modified"
                                                  << "Última modificación";
        QTest::newRow("context menu") << "QWidgetTextControl"
                                      << "&Copy"
                                      << "&Copiar";
        QTest::newRow("message box button") << "QPlatformTheme"
                                            << "OK"
                                            << "Aceptar";
    }
    void textosDelToolkitTraducidos() {
        QFETCH(QString, contexto);
        QFETCH(QString, original);
        QFETCH(QString, esperado);
        QCOMPARE(QCoreApplication::translate(qPrintable(contexto), qPrintable(original)), esperado);
    }

    // The toolkit's own dialogs, shown for real and closed as soon as they appear.
    // A name typed without an extension gets the file's own, unless a file of exactly that
    // name exists; either way the file written is the one the label names.
    void guardarConNombreSinExtension_data() {
        QTest::addColumn<QString>("boton");
        QTest::addColumn<QString>("tecleado");
        QTest::addColumn<bool>("existe"); // a file of exactly the typed name
        QTest::addColumn<QString>("escrito");
        QTest::addColumn<QString>("etiqueta");
        QTest::newRow("calculation without extension") << "Command21"
                                                       << "caso" << false << "caso.caVek"
                                                       << "Label1ap";
        QTest::newRow("criterion without extension") << "Command17"
                                                     << "criterio" << false << "criterio.CrVek"
                                                     << "Label3ap";
        QTest::newRow("an existing file of that very name is replaced") << "Command21"
                                                                        << "caso" << true << "caso"
                                                                        << "Label1ap";
        QTest::newRow("another extension stays as typed") << "Command21"
                                                          << "caso.txt" << false << "caso.txt"
                                                          << "Label1ap";
        QTest::newRow("a dot in the name counts as an extension")
            << "Command17"
            << "criterio.v2" << false << "criterio.v2"
            << "Label3ap";
    }
    void guardarConNombreSinExtension() {
        QFETCH(QString, boton);
        QFETCH(QString, tecleado);
        QFETCH(bool, existe);
        QFETCH(QString, escrito);
        QFETCH(QString, etiqueta);
        if (existe) {
            QFile previo(ruta(tecleado));
            QVERIFY(previo.open(QIODevice::WriteOnly));
            previo.write("otro contenido\n");
        }
        pulsar(qPrintable(boton), ruta(tecleado));
        QVERIFY2(dialogos().errores.isEmpty(), qPrintable(dialogos().errores.join('\n')));
        QCOMPARE(texto(w(), etiqueta), ruta(escrito));
        QStringList archivos = QDir(carpeta_->path()).entryList(QDir::Files);
        QCOMPARE(archivos, QStringList{escrito});
        QFile leido(ruta(escrito));
        QVERIFY(leido.open(QIODevice::ReadOnly));
        QVERIFY(leido.readAll().contains("EOF"));
    }

    void nombreConExtension_data() {
        QTest::addColumn<QString>("tecleado");
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<int>("elegido");      // entry of the filter list
        QTest::addColumn<QString>("esperado"); // "" for a refusal
        const QString imagen = QStringLiteral("Imagen PNG (*.png);;Imagen SVG (*.svg)");
        const QString tabla = QStringLiteral("Tablas CSV (*.csv);;Todos los archivos (*)");
        QTest::newRow("PNG chosen, no extension") << "/d/g" << imagen << 0 << "/d/g.png";
        QTest::newRow("SVG chosen, no extension") << "/d/g" << imagen << 1 << "/d/g.svg";
        QTest::newRow("SVG typed with PNG chosen") << "/d/g.svg" << imagen << 0 << "/d/g.svg";
        QTest::newRow("capitals") << "/d/g.PNG" << imagen << 1 << "/d/g.PNG";
        QTest::newRow("an extension no filter offers") << "/d/g.jpg" << imagen << 0 << "";
        QTest::newRow("a dotted name is not extended") << "/d/nota.v2"
                                                       << "Nota (*.pdf)" << 0 << "";
        QTest::newRow("a dot in the folder does not count")
            << "/d.x/g" << imagen << 0 << "/d.x/g.png";
        QTest::newRow("CSV chosen, no extension") << "/d/r" << tabla << 0 << "/d/r.csv";
        QTest::newRow("every file chosen, no extension") << "/d/r" << tabla << 1 << "/d/r";
        QTest::newRow("every file on offer takes any extension")
            << "/d/r.txt" << tabla << 0 << "/d/r.txt";
    }
    void nombreConExtension() {
        QFETCH(QString, tecleado);
        QFETCH(QString, filtro);
        QFETCH(int, elegido);
        QFETCH(QString, esperado);
        const std::optional<QString> nombre =
            colvero::ui::nombreConExtension(tecleado, filtro, filtro.split(";;").at(elegido));
        QCOMPARE(nombre.value_or(QString()), esperado);
        if (!nombre) {
            QVERIFY2(extensionRechazada(tecleado, filtro).contains(QFileInfo(tecleado).fileName()),
                     qPrintable(extensionRechazada(tecleado, filtro)));
        }
    }

    // The toolkit's save dialog, driven as the user does: a file that exists is replaced only
    // after a question (but for calculation files), and a refused name stays in the dialog.
    void dialogoDeGuardarReal_data() {
        QTest::addColumn<int>("modo");
        QTest::addColumn<QString>("filtro");
        QTest::addColumn<QString>("tecleado");
        QTest::addColumn<QString>("existente");
        QTest::addColumn<QStringList>("respuestas"); // to each message box, in turn
        QTest::addColumn<QString>("esperado");       // "" for none chosen
        QTest::addColumn<QStringList>("mensajes");   // a piece of each message box's text
        const QString imagen = QStringLiteral("Imagen PNG (*.png);;Imagen SVG (*.svg)");
        const QString calculo = QStringLiteral("Archivos cálculo Colvero  (*.caVek)");
        const int preguntando = static_cast<int>(Guardado::Preguntando);
        const int sinPreguntar = static_cast<int>(Guardado::SinPreguntar);
        QTest::newRow("chart over an existing file, answered no")
            << preguntando << imagen << "grafico"
            << "grafico.png" << QStringList{"no"} << "" << QStringList{"grafico.png"};
        QTest::newRow("chart over an existing file, answered yes")
            << preguntando << imagen << "grafico"
            << "grafico.png" << QStringList{"si"} << "grafico.png" << QStringList{"grafico.png"};
        QTest::newRow("chart to a new name takes the filter's extension")
            << preguntando << imagen << "grafico"
            << "" << QStringList{} << "grafico.png" << QStringList{};
        QTest::newRow("a refused extension keeps the dialog open")
            << preguntando << imagen << "grafico.jpg"
            << "" << QStringList{"ok"} << "" << QStringList{".png o .svg"};
        QTest::newRow("calculation over an existing file, no question")
            << sinPreguntar << calculo << "caso.caVek"
            << "caso.caVek" << QStringList{} << "caso.caVek" << QStringList{};
    }
    void dialogoDeGuardarReal() {
        QFETCH(int, modo);
        QFETCH(QString, filtro);
        QFETCH(QString, tecleado);
        QFETCH(QString, existente);
        QFETCH(QStringList, respuestas);
        QFETCH(QString, esperado);
        QFETCH(QStringList, mensajes);
        if (!existente.isEmpty()) {
            QFile previo(ruta(existente));
            QVERIFY(previo.open(QIODevice::WriteOnly));
        }
        // This test answers its dialogs itself.
        sinVigilante();
        QStringList vistos;
        QStringList nombreTrasAviso;
        int tecleos = 0;
        QTimer mano;
        mano.setInterval(10);
        // Each answer runs from the event queue: it may open a nested dialog, and the timer
        // does not fire again while its own handler runs.
        const auto despues = [&](QWidget* modal, auto accion) {
            mano.stop();
            QTimer::singleShot(0, modal, [&mano, accion] {
                mano.start();
                accion();
            });
        };
        connect(&mano, &QTimer::timeout, &mano, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* caja = qobject_cast<QMessageBox*>(modal)) {
                vistos << caja->text();
                const QString respuesta = respuestas.value(vistos.size() - 1, "no");
                QAbstractButton* boton =
                    caja->button(respuesta == QLatin1String("si")   ? QMessageBox::Yes
                                 : respuesta == QLatin1String("ok") ? QMessageBox::Ok
                                                                    : QMessageBox::No);
                despues(caja, [boton] { boton->click(); });
            } else if (auto* dialogo = qobject_cast<QFileDialog*>(modal)) {
                auto* nombre = dialogo->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (tecleos++ == 0) {
                    nombre->setText(tecleado);
                    // As the Save button does.
                    despues(dialogo, [dialogo] { static_cast<QDialog*>(dialogo)->accept(); });
                } else {
                    // Back from a message box: the dialog is still open with the typed name.
                    nombreTrasAviso << nombre->text();
                    dialogo->reject();
                }
            }
        });
        mano.start();
        DialogosQt dialogos(w());
        const QString elegido = dialogos.guardar(QStringLiteral("Guardar"), carpeta_->path(),
                                                 filtro, static_cast<Guardado>(modo));
        mano.stop();
        QCOMPARE(elegido, esperado.isEmpty() ? QString() : ruta(esperado));
        QCOMPARE(vistos.size(), mensajes.size());
        for (qsizetype k = 0; k < mensajes.size(); ++k)
            QVERIFY2(vistos[k].contains(mensajes[k]), qPrintable(vistos[k]));
        // Refused or not confirmed, the dialog stayed open with the name (as completed).
        if (esperado.isEmpty()) {
            QCOMPARE(nombreTrasAviso.size(), 1);
            QVERIFY2(nombreTrasAviso[0].startsWith(tecleado), qPrintable(nombreTrasAviso[0]));
        }
    }

    void dialogosDelToolkitEnEspanol_data() {
        QTest::addColumn<QString>("dialogo");
        QTest::addColumn<QStringList>("textos");
        const QStringList archivo{
            "Ver en:", "&Nombre de fichero:", "Ficheros de tipo:", "Cancelar"};
        QTest::newRow("open dialog") << "abrir" << archivo + QStringList{"&Abrir"};
        QTest::newRow("save dialog") << "guardar" << archivo + QStringList{"&Guardar"};
        QTest::newRow("error message") << "aviso" << QStringList{"Aceptar", "No se pudo leer"};
    }
    void dialogosDelToolkitEnEspanol() {
        QFETCH(QString, dialogo);
        QFETCH(QStringList, textos);
        // This test closes its dialog itself, reading it first.
        sinVigilante();
        QStringList vistos;
        QString titulo;
        QTimer cierre;
        cierre.setInterval(10);
        connect(&cierre, &QTimer::timeout, &cierre, [&] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!modal) {
                return;
            }
            titulo = modal->windowTitle();
            for (auto* boton : modal->findChildren<QAbstractButton*>()) {
                vistos << boton->text();
            }
            for (auto* etiqueta : modal->findChildren<QLabel*>()) {
                vistos << etiqueta->text();
            }
            modal->reject();
        });
        cierre.start();

        DialogosQt dialogos(w());
        const QString filtro = QStringLiteral("Archivos cálculo Colvero  (*.caVek)");
        QString elegido = QStringLiteral("sin cerrar");
        if (dialogo == QLatin1String("abrir")) {
            elegido = dialogos.abrir(QStringLiteral("Abrir"), carpeta_->path(), filtro);
        } else if (dialogo == QLatin1String("guardar")) {
            elegido = dialogos.guardar(QStringLiteral("Guardar"), carpeta_->path(), filtro,
                                       Guardado::SinPreguntar);
        } else {
            dialogos.avisarError(QStringLiteral("Colvero 2"), QStringLiteral("No se pudo leer"));
            elegido.clear();
        }
        QVERIFY(!titulo.isEmpty());
        QVERIFY(elegido.isEmpty());
        for (const QString& texto : textos) {
            QVERIFY2(vistos.contains(texto), qPrintable(texto + " en " + vistos.join(" | ")));
        }
    }

    void filtroQt_data() {
        QTest::addColumn<QString>("lista");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("description naming its pattern, trailing blanks")
            << "Archivos cálculo Colvero  (*.caVek)|*.caVek|  "
            << "Archivos cálculo Colvero  (*.caVek)";
        QTest::newRow("description without the pattern") << "Texto|*.txt"
                                                         << "Texto (*.txt)";
        QTest::newRow("two types") << "A (*.a)|*.a|B|*.b|"
                                   << "A (*.a);;B (*.b)";
    }
    void filtroQt() {
        QFETCH(QString, lista);
        QFETCH(QString, esperado);
        QCOMPARE(ui::filtroQt(lista), esperado);
    }
};

QTEST_MAIN(TestArchivosVentana)
#include "test_archivos_ventana.moc"
