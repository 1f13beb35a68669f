// A design written by its target's extension: what is refused leaves nothing behind, and a
// table in the Spanish dialect reads back as the very numbers.
#include "design/salida_diseno.h"

#include "files/lectura.h"
#include "network/fuente_red.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

using namespace colvero;

namespace {

const QString kModelo = QStringLiteral(COLVERO_EJEMPLOS "/red-ejemplo.inp");

// A hand-made design of every conduit of `g`: the second pipe of the series at inverts 1 cm
// below the source's, and the last conduit without a design, for a reason with a ';' and quotes.
diseno::Diseno disenoDe(const red::RedGrafo& g) {
    diseno::Diseno d;
    for (std::size_t k = 0; k < g.modelo.enlaces.size(); ++k) {
        const red::Enlace& e = g.modelo.enlaces[k];
        if (!e.esConducto())
            continue;
        diseno::TramoDisenado t;
        t.enlace = k;
        t.tubo = 1;
        t.cotaInicio = std::llround(e.cotaInicio.value_or(100.0) * 100.0) - 1;
        t.cotaFin = std::llround(e.cotaFin.value_or(99.0) * 100.0) - 1;
        t.i = 0.1 / 3.0; // a double whose shortest digits are many
        t.profundidadInicio = 1.25;
        t.coste = 12.0 / 7.0;
        d.tramos.push_back(t);
    }
    d.tramos.back().sinDiseno = "ningún tubo cumple; \"v\" excede";
    return d;
}

const std::vector<Tubo> kSerie{{"DN 250", 0.2354}, {"DN 315", 0.2966}};

QByteArray leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The cells of a CSV line with `campos` between them and '"' quoting.
std::vector<std::string> celdas(const std::string& linea, char campos) {
    std::vector<std::string> r(1);
    bool entre = false;
    for (std::size_t k = 0; k < linea.size(); ++k) {
        const char c = linea[k];
        if (c == '"' && entre && k + 1 < linea.size() && linea[k + 1] == '"')
            r.back() += linea[++k];
        else if (c == '"')
            entre = !entre;
        else if (c == campos && !entre)
            r.emplace_back();
        else
            r.back() += c;
    }
    return r;
}

struct Rechazo {
    const char* nombre;
    const char* salida;  // in the temporary folder; "{modelo}": a copy of the model read
    bool conModelo;      // the SWMM text given
    bool disenoAjeno;    // a design naming a link the network lacks
    const char* mensaje; // part of the error
};

class RechazoDeSalida : public testing::TestWithParam<Rechazo> {};

TEST_P(RechazoDeSalida, mensajeYNadaEscrito) {
    const Rechazo& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString copia = dir.filePath(QStringLiteral("red.inp"));
    ASSERT_TRUE(QFile::copy(kModelo, copia));
    const QByteArray antes = leer(copia);
    const red::RedGrafo g = red::leerRedGrafo(QFile::encodeName(copia), {});
    diseno::Diseno d = disenoDe(g);
    if (c.disenoAjeno)
        d.tramos.front().enlace = g.modelo.enlaces.size();
    const QString salida = QString::fromUtf8(c.salida) == QLatin1String("{modelo}")
                               ? copia
                               : dir.filePath(QString::fromUtf8(c.salida));
    const diseno::DestinoDiseno destino{
        QFile::encodeName(salida), salida, {';', ','}, {QFile::encodeName(copia)}};
    const diseno::FuenteDiseno fuente{
        g,
        c.conModelo ? std::string_view(antes.constData(), static_cast<std::size_t>(antes.size()))
                    : std::string_view(),
        copia};
    const std::optional<std::string> error = diseno::guardarDiseno(destino, fuente, d, kSerie);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(c.mensaje), std::string::npos) << *error;
    EXPECT_EQ(leer(copia), antes);
    if (salida != copia) {
        EXPECT_FALSE(QFile::exists(salida));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("red.inp")});
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RechazoDeSalida,
    testing::Values(
        Rechazo{"OtraExtension", "d.txt", true, false, "la extensión dice el formato"},
        Rechazo{"ModeloSinFuenteSwmm", "d.inp", false, false, "sobre el modelo SWMM de la red"},
        Rechazo{"SobreElModeloLeido", "{modelo}", true, false, "que el diseño ha leído"},
        Rechazo{"CarpetaQueNoExiste", "no/d.csv", true, false, "la carpeta no existe"},
        Rechazo{"DisenoDeOtraRed", "d.csv", true, true, "no corresponde a la red leída"}),
    [](const testing::TestParamInfo<Rechazo>& i) { return std::string(i.param.nombre); });

// The Spanish dialect: ';' between cells, ',' as decimal point; a reason with the separator is
// quoted; every number reads back as the very double the design holds.
TEST(TablaDelDiseno, dialectoEspanolSeLeeDeVuelta) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const red::RedGrafo g = red::leerRedGrafo(QFile::encodeName(kModelo), {});
    const diseno::Diseno d = disenoDe(g);
    const QString salida = dir.filePath(QStringLiteral("d.CSV"));
    const diseno::DestinoDiseno destino{QFile::encodeName(salida), salida, {';', ','}, {}};
    ASSERT_FALSE(diseno::guardarDiseno(destino, {g, {}, {}}, d, kSerie));
    const std::string texto = leer(salida).toStdString();
    ASSERT_TRUE(texto.starts_with("\xEF\xBB\xBFtramo;tubo;D;"));
    std::vector<std::string> lineas;
    for (std::size_t a = 0, b; (b = texto.find("\r\n", a)) != std::string::npos; a = b + 2)
        lineas.push_back(texto.substr(a, b - a));
    ASSERT_EQ(lineas.size(), d.tramos.size() + 1);
    const auto numero = [](std::string s) {
        EXPECT_EQ(s.find('.'), std::string::npos) << s;
        for (char& c : s)
            c = c == ',' ? '.' : c;
        double x = std::nan("");
        const auto r = std::from_chars(s.data(), s.data() + s.size(), x);
        EXPECT_EQ(r.ptr, s.data() + s.size()) << s;
        return x;
    };
    for (std::size_t k = 0; k < d.tramos.size(); ++k) {
        const diseno::TramoDisenado& t = d.tramos[k];
        const std::vector<std::string> c = celdas(lineas[k + 1], ';');
        ASSERT_EQ(c.size(), 13u) << lineas[k + 1];
        EXPECT_EQ(c[0], g.modelo.enlaces[t.enlace].id);
        if (!t.sinDiseno.empty()) {
            EXPECT_EQ(c[12], "tramo «" + textoVisible(c[0]) + "»: " + t.sinDiseno);
            continue;
        }
        EXPECT_EQ(c[1], kSerie[t.tubo].nombre);
        EXPECT_EQ(numero(c[2]), kSerie[t.tubo].diametro);
        EXPECT_EQ(numero(c[3]), static_cast<double>(t.cotaInicio) / 100.0);
        EXPECT_EQ(numero(c[4]), static_cast<double>(t.cotaFin) / 100.0);
        EXPECT_EQ(numero(c[5]), t.i);
        EXPECT_EQ(numero(c[6]), t.profundidadInicio);
        EXPECT_EQ(numero(c[11]), t.coste);
        EXPECT_EQ(c[12], "");
    }
}

} // namespace
