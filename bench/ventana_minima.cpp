// The smallest Qt Widgets program that shows a window: the yardstick for start-up time.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget ventana;
    ventana.setWindowTitle("Minima");
    ventana.resize(1003, 727);
    ventana.show();
    return app.exec();
}
