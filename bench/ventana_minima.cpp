// The smallest Qt Widgets program that shows a window: the yardstick for start-up time.
// With --texto the window holds one line of text, so that the yardstick also pays for the
// font database, which any window with text loads before it shows.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget ventana;
    ventana.setWindowTitle("Minima");
    ventana.resize(1003, 727);
    if (argc > 1 && std::strcmp(argv[1], "--texto") == 0) {
        auto* texto = new QLabel("Comprobación de condiciones de diseño", &ventana);
        texto->adjustSize();
    }
    ventana.show();
    return app.exec();
}
