// Renders the chart (PNG, 900 × 675 at 2x) and the calculation note (PDF) of a calculation file
// with decimal commas, for the pictures of the README.
// Usage: muestra_nota CALCULO.caVek GRAFICO.png NOTA.pdf
#include "files/archivos.h"
#include "note/nota.h"

#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fputs("uso: muestra_nota CALCULO.caVek GRAFICO.png NOTA.pdf\n", stderr);
        return 2;
    }
    constexpr char kSeparador = ',';
    try {
        const colvero::Calculo calculo = colvero::leerCalculo(argv[1], kSeparador);
        const auto caso = colvero::nota::calcularCaso(calculo, kSeparador);
        if (!caso) {
            std::fputs("el cálculo no se completa\n", stderr);
            return 1;
        }
        colvero::nota::Encabezado encabezado;
        encabezado.archivo = QFileInfo(QString::fromLocal8Bit(argv[1])).fileName();
        encabezado.autor = QStringLiteral("Ingeniera de ejemplo");
        encabezado.proyecto = QStringLiteral("Red de saneamiento de Villanueva, fase 2");
        colvero::guardarBytes(QByteArray(argv[2]),
                              colvero::grafico::pngGrafico(QSize(900, 675), 2.0,
                                                           colvero::nota::datosGrafico(*caso),
                                                           kSeparador));
        colvero::guardarBytes(
            QByteArray(argv[3]),
            colvero::nota::pdfNota(*caso, kSeparador, QDate::currentDate(), encabezado));
    } catch (const colvero::ErrorArchivo& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
