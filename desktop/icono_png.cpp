// Renders the program's SVG icon to a square PNG: icono_png ICONO.svg LADO SALIDA.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("uso: icono_png ICONO.svg LADO SALIDA.png\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    const int lado = QByteArray(argv[2]).toInt();
    if (!svg.isValid() || lado <= 0) {
        std::fputs("icono_png: icono o tamaño no válidos\n", stderr);
        return 1;
    }
    QImage imagen(lado, lado, QImage::Format_ARGB32_Premultiplied);
    imagen.fill(Qt::transparent);
    QPainter pintor(&imagen);
    pintor.setRenderHint(QPainter::Antialiasing);
    svg.render(&pintor);
    pintor.end();
    return imagen.save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
}
