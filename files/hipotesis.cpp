#include "files/hipotesis.h"

#include "check/numero.h"
#include "check/textos_pendientes.h"
#include "files/archivos.h"
#include "files/lectura.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace colvero {
namespace {

constexpr qint64 kMaximoHipotesis = 1 << 20; // bytes

struct ClaveNumerica {
    const char* clave;
    double red::Hipotesis::*campo;
    double minimo; // the least value that makes sense
};
constexpr std::array<ClaveNumerica, 8> kClaves{{
    {"coeficiente_punta_a", &red::Hipotesis::a, -HUGE_VAL},
    {"coeficiente_punta_b", &red::Hipotesis::b, -HUGE_VAL},
    {"coeficiente_punta_c", &red::Hipotesis::c, -HUGE_VAL},
    {"coeficiente_punta_minimo", &red::Hipotesis::cpMinimo, 0},
    {"coeficiente_punta_maximo", &red::Hipotesis::cpMaximo, 0},
    {"factor_minimo", &red::Hipotesis::factorMinimo, 0},
    {"caudal_minimo", &red::Hipotesis::caudalMinimo, 0},
    {"infiltracion", &red::Hipotesis::infiltracion, 0},
}};
constexpr int kTiposCaudal = 5;

std::string_view recortar(std::string_view s) {
    const auto blanco = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blanco(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blanco(s.back()))
        s.remove_suffix(1);
    return s;
}

// The digits that read back as x, never with an exponent: the window's editor shows them.
std::string numeroTexto(double x) {
    return decimalLlano(x, '.');
}

} // namespace

red::Hipotesis hipotesisDeBytes(std::string_view bytes, const QString& nombre) {
    const std::string texto = textoDeArchivo(bytes);
    red::Hipotesis h;
    int numero = 0;
    const auto fallo = [&](int linea, const std::string& que) {
        falloArchivo(QStringLiteral("La hipótesis %1 no es válida: línea %2: %3.")
                         .arg(entreComillas(nombre))
                         .arg(linea)
                         .arg(QString::fromStdString(que)));
    };
    std::array<int, kClaves.size() + 7> linea{}; // where each key was read
    const std::string_view t(texto);
    size_t inicio = 0;
    while (inicio <= t.size()) {
        size_t fin = t.find('\n', inicio);
        if (fin == std::string_view::npos)
            fin = t.size();
        std::string_view l = t.substr(inicio, fin - inicio);
        inicio = fin + 1;
        ++numero;
        if (const size_t c = l.find('#'); c != std::string_view::npos)
            l = l.substr(0, c);
        l = recortar(l);
        if (l.empty())
            continue;
        const size_t igual = l.find('=');
        if (igual == std::string_view::npos)
            fallo(numero, "falta «=» entre la clave y su valor");
        const std::string clave(recortar(l.substr(0, igual)));
        const std::string_view valor = recortar(l.substr(igual + 1));
        size_t k = 0;
        while (k < kClaves.size() && clave != kClaves[k].clave)
            ++k;
        int condicion = 0;
        if (k == kClaves.size() && clave.size() == 11 && clave.starts_with("condicion_") &&
            clave[10] >= '1' && clave[10] <= '7')
            condicion = clave[10] - '0';
        if (k == kClaves.size() && condicion == 0)
            fallo(numero, "la clave «" + clave + "» no existe");
        const size_t indice = condicion ? kClaves.size() + static_cast<size_t>(condicion - 1) : k;
        if (linea[indice])
            fallo(numero,
                  "la clave «" + clave + "» ya está en la línea " + std::to_string(linea[indice]));
        linea[indice] = numero;
        if (condicion) {
            int tipo = 0;
            while (tipo < kTiposCaudal &&
                   valor != red::claveCaudal(static_cast<red::TipoCaudal>(tipo)))
                ++tipo;
            if (tipo == kTiposCaudal)
                fallo(numero, "«" + std::string(valor) +
                                  "» no es un tipo de caudal (calculo, "
                                  "punta, minimo, medio o maximo)");
            h.condicion[static_cast<size_t>(condicion - 1)] = static_cast<red::TipoCaudal>(tipo);
            continue;
        }
        const char sep = valor.find(',') != std::string_view::npos ? ',' : '.';
        const std::optional<double> x = leerNumero(valor, sep);
        if (!x)
            fallo(numero,
                  "el valor «" + std::string(valor) + "» de «" + clave + "» no es un número");
        if (*x < kClaves[k].minimo)
            fallo(numero, "el valor de «" + clave + "» no puede ser negativo");
        h.*kClaves[k].campo = *x;
    }
    if (h.cpMinimo > h.cpMaximo) {
        fallo(std::max(linea[3], linea[4]), "el coeficiente punta mínimo es mayor que el máximo");
    }
    return h;
}

red::Hipotesis leerHipotesis(const QByteArray& rutaNativa) {
    const QString nombre = nombreVisible(rutaNativa);
    const QByteArray bytes = leerArchivoEntero(rutaNativa, nombre, kMaximoHipotesis);
    return hipotesisDeBytes(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                            nombre);
}

std::string textoDeHipotesis(const red::Hipotesis& h) {
    std::string s;
    for (const ClaveNumerica& c : kClaves)
        s += std::string(c.clave) + " = " + numeroTexto(h.*c.campo) + "\n";
    for (size_t k = 0; k < 7; ++k)
        s += "condicion_" + std::to_string(k + 1) + " = " + red::claveCaudal(h.condicion[k]) + "\n";
    return s;
}

} // namespace colvero
