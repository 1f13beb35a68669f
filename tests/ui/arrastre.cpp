// A window that drags one file when pressed: the drag source of the end-to-end drop test.
// Usage: arrastre ARCHIVO
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

class Origen : public QWidget {
public:
    explicit Origen(QString archivo) : archivo_(std::move(archivo)) {
        setWindowTitle(QStringLiteral("Arrastre"));
        setGeometry(1100, 100, 120, 120);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* datos = new QMimeData;
        datos->setUrls({QUrl::fromLocalFile(archivo_)});
        auto* arrastre = new QDrag(this);
        arrastre->setMimeData(datos);
        arrastre->exec(Qt::CopyAction);
    }

private:
    QString archivo_;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    Origen origen(QString::fromLocal8Bit(argv[1]));
    origen.show();
    return app.exec();
}
