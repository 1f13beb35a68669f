// A calculation or criterion file without its "EOF" line reads all the same, but the readers say
// so: a file cut short, even in the middle of its last value, lacks it.
#include "files/archivos.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace colvero;

namespace {

// The file of a case whose last value is "0.65", without its "EOF" line.
QByteArray valores() {
    Calculo c;
    c.criterio.Vmin10 = "0.65";
    QByteArray b = bytesDeCalculo(c, '.');
    EXPECT_TRUE(b.endsWith("0.65\r\nEOF\r\n"));
    b.chop(5);
    return b;
}

struct Final {
    const char* nombre;
    QByteArray bytes;
    bool sinEOF;
};

class FinalDelArchivo : public testing::TestWithParam<Final> {};

TEST_P(FinalDelArchivo, SaysWhetherTheEndMarkFollowsAndReadsTheSameValues) {
    const Leido<Calculo> completo = calculoLeidoDeBytes(valores() + "EOF\r\n", "c.caVek", '.');
    ASSERT_FALSE(completo.sinEOF);
    const Leido<Calculo> l = calculoLeidoDeBytes(GetParam().bytes, "c.caVek", '.');
    EXPECT_EQ(l.sinEOF, GetParam().sinEOF);
    EXPECT_EQ(l.valor, completo.valor);
}

QByteArray conLf(QByteArray b) {
    return b.replace("\r\n", "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Finales, FinalDelArchivo,
    testing::Values(Final{"EOFSinSaltoFinal", valores() + "EOF", false},
                    Final{"EOFConBlancosDetras", valores() + "EOF \t\r\n", false},
                    Final{"EOFConBlancosDelante", valores() + "  EOF\r\n", false},
                    Final{"LineasEnBlancoAntesDeEOF", valores() + "\r\n\n\r\nEOF\r\n", false},
                    Final{"LineasTrasEOF", valores() + "EOF\r\nnotas de obra\r\n", false},
                    Final{"SaltosLf", conLf(valores()) + "EOF\n", false},
                    Final{"SaltosCr", valores().replace("\r\n", "\r") + "EOF\r", false},
                    Final{"ValoresDeMasEnLaUltimaLinea",
                          valores().chopped(2) + ",otro,valor\r\nEOF\r\n", false},
                    Final{"SinEOF", valores(), true},
                    Final{"SinSaltoTrasElUltimoValor", valores().chopped(2), true},
                    Final{"SoloBlancosTrasLosValores", valores() + "  \r\n\r\n", true},
                    Final{"OtraLineaEnLugarDeEOF", valores() + "FIN\r\n", true},
                    Final{"EOFEnMinusculas", valores() + "eof\r\n", true},
                    Final{"EOFSeguidoDeTexto", valores() + "EOF2\r\n", true},
                    Final{"EOFTrasDemasiadasLineasEnBlanco",
                          valores() + QByteArray(5000, '\n') + "EOF\r\n", true}),
    [](const testing::TestParamInfo<Final>& i) { return std::string(i.param.nombre); });

// The fault the warning is for: the last value loses its end with the end mark, and still
// reads.
TEST(ArchivoCortado, ReadsTheCutValueAndWarns) {
    const Leido<Calculo> l = calculoLeidoDeBytes(valores().chopped(3), "c.caVek", '.');
    EXPECT_TRUE(l.sinEOF);
    EXPECT_EQ(l.valor.criterio.Vmin10, "0.6");
}

// On disk the reader reads in chunks and stops once it knows: the flag must not depend on that,
// for both formats.
TEST(ArchivoCortado, FilesOnDiskOfBothFormats) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto escribir = [&](const char* nombre, const QByteArray& bytes) {
        QFile f(dir.filePath(QString::fromLatin1(nombre)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    Criterio k;
    k.Vmin10 = "0.65";
    QByteArray criterio = bytesDeCriterio(k, '.');
    ASSERT_TRUE(criterio.endsWith("\r\nEOF\r\n"));
    EXPECT_FALSE(abrirCalculo(escribir("entero.caVek", valores() + "EOF\r\n"), '.').sinEOF);
    EXPECT_TRUE(abrirCalculo(escribir("cortado.caVek", valores().chopped(3)), '.').sinEOF);
    EXPECT_FALSE(abrirCriterio(escribir("entero.CrVek", criterio), '.').sinEOF);
    const Leido<Criterio> cortado =
        abrirCriterio(escribir("cortado.CrVek", criterio.chopped(7)), '.');
    EXPECT_TRUE(cortado.sinEOF);
    EXPECT_EQ(cortado.valor, k);
    // A file far longer than its values, the end mark at its end: no need to read it all, and
    // no warning.
    EXPECT_FALSE(
        abrirCalculo(escribir("largo.caVek", valores() + "EOF\r\n" + QByteArray(1 << 20, 'x')), '.')
            .sinEOF);
}

} // namespace
