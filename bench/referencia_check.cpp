// Yardstick for colvero-check: the same reading, Calcular and output on the standard library
// alone. It reads calculation files with a small reader of its own (Windows-1252, values split
// at commas and line ends, 44 values) and writes a summary or JSON lines like colvero-check.
//
//   referencia_check [--json] [--locale C|es_ES] CALCULO.caVek...
//
// Exit status as colvero-check: 0 all pass, 1 some "[NO]", 2 anything else.
#include "check/calcular.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace colvero;

constexpr size_t kValores = 44;

// Windows-1252 bytes 0x80 to 0x9F as code points; the five undefined bytes keep their value.
constexpr std::array<char32_t, 32> kAlto{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void anadirUtf8(std::string& d, std::string_view cp1252) {
    for (const char c : cp1252) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            d += c;
            continue;
        }
        const char32_t u = b < 0xA0 ? kAlto[b - 0x80] : b;
        if (u < 0x800) {
            d += static_cast<char>(0xC0 | (u >> 6));
        } else {
            d += static_cast<char>(0xE0 | (u >> 12));
            d += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        }
        d += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// Splits the file into its first 44 values; false when it holds fewer.
bool trocear(std::string_view datos, std::vector<std::string_view>& valores) {
    valores.clear();
    size_t k = 0;
    bool trasComa = false;
    while (k < datos.size() && valores.size() < kValores) {
        while (k < datos.size() && (datos[k] == ' ' || datos[k] == '\t')) {
            ++k;
        }
        const size_t inicio = k;
        while (k < datos.size() && datos[k] != ',' && datos[k] != '\r' && datos[k] != '\n') {
            ++k;
        }
        const std::string_view v = datos.substr(inicio, k - inicio);
        const char fin = k < datos.size() ? datos[k] : '\0';
        if (!trasComa && fin != ',' && v == "EOF") {
            break;
        }
        if (k == datos.size() && v.empty() && !trasComa) {
            break;
        }
        valores.push_back(v);
        trasComa = fin == ',';
        if (fin == '\r' && k + 1 < datos.size() && datos[k + 1] == '\n') {
            ++k;
        }
        if (k < datos.size()) {
            ++k;
        }
    }
    return valores.size() == kValores;
}

bool casilla(std::string_view v, bool& activa) {
    while (!v.empty() && v.back() == ' ') {
        v.remove_suffix(1);
    }
    activa = v == "1";
    return v == "0" || v == "1";
}

bool componer(const std::vector<std::string_view>& v, char separador, Calculo& c) {
    auto texto = [&](size_t k, std::string& destino) {
        destino.clear();
        anadirUtf8(destino, v[k]);
    };
    auto numero = [&](size_t k, std::string& destino) {
        texto(k, destino);
        std::replace(destino.begin(), destino.end(), '.', separador);
    };
    Criterio& k = c.criterio;
    texto(0, c.titulo1);
    texto(1, c.titulo2);
    numero(2, c.colector.D);
    numero(3, c.colector.n);
    numero(4, c.colector.i);
    // Lines 2 to 8: flag, flow, flow name, then the limits of the condition.
    const std::array<std::vector<std::string*>, 7> limites{{
        {},
        {&k.Vmax},
        {&k.Vmin},
        {&k.yDmax},
        {&k.gammaParticula, &k.gammaAgua, &k.dpMin},
        {&k.Fmin},
        {&k.Fmax},
    }};
    size_t p = 5;
    for (size_t cond = 0; cond < 7; ++cond) {
        if (!casilla(v[p++], k.activa[cond])) {
            return false;
        }
        numero(p++, c.caudal[cond]);
        texto(p++, k.denominacion[cond]);
        for (std::string* l : limites[cond]) {
            numero(p++, *l);
        }
    }
    const std::array<std::vector<std::string*>, 3> independientes{{
        {&k.Imin},
        {&k.Imax},
        {&k.yD10, &k.Vmin10},
    }};
    for (size_t cond = 0; cond < 3; ++cond) {
        if (!casilla(v[p++], k.activa[7 + cond])) {
            return false;
        }
        texto(p++, c.marcador[cond]);
        for (std::string* l : independientes[cond]) {
            numero(p++, *l);
        }
    }
    return true;
}

void cadenaJson(std::string& d, std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    d += '"';
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '"' || b == '\\') {
            d += '\\';
            d += c;
        } else if (b < 0x20) {
            d += "\\u00";
            d += kHex[b >> 4];
            d += kHex[b & 0xF];
        } else {
            d += c;
        }
    }
    d += '"';
}

struct Valor {
    const char* etiqueta;
    const std::string CamposCalculados::*campo;
};

const std::array<std::vector<Valor>, 10> kCampos{{
    {{"Qll (m3/s)", &CamposCalculados::Text37}},
    {{"v2 (m/s)", &CamposCalculados::Text38}},
    {{"v3 (m/s)", &CamposCalculados::Text47}},
    {{"y/D4 (%)", &CamposCalculados::Text52}},
    {{"Rh (m)", &CamposCalculados::Text55}, {"dp (mm)", &CamposCalculados::Text19}},
    {{"F6", &CamposCalculados::Text59}},
    {{"F7", &CamposCalculados::Text60}},
    {{"i (m/m)", &CamposCalculados::Text62}},
    {{"i (m/m)", &CamposCalculados::Text61}},
    {{"v10 (m/s)", &CamposCalculados::Text73}},
}};

void json(std::string& d, const char* archivo, const ResultadoCalculo* r) {
    d += "{\"archivo\":";
    cadenaJson(d, archivo);
    if (r == nullptr) {
        d += ",\"error\":\"ilegible\"}\n";
        return;
    }
    d += ",\"colector\":";
    cadenaJson(d, r->notaCol);
    d += ",\"condiciones\":[";
    for (size_t k = 0; k < 10; ++k) {
        d += k == 0 ? "{\"numero\":" : ",{\"numero\":";
        d += std::to_string(k + 1);
        d += ",\"valores\":[";
        for (size_t v = 0; v < kCampos[k].size(); ++v) {
            if (v > 0) {
                d += ',';
            }
            cadenaJson(d, r->campos.*kCampos[k][v].campo);
        }
        d += "],\"veredicto\":";
        cadenaJson(d, r->notas[k]);
        d += '}';
    }
    d += "],\"estado\":";
    cadenaJson(d, r->notaCalC);
    d += "}\n";
}

void resumen(std::string& d, const char* archivo, const ResultadoCalculo* r) {
    d += "Archivo: ";
    d += archivo;
    if (r == nullptr) {
        d += "\nError: ilegible\n";
        return;
    }
    d += "\nEstado: ";
    d += r->notaCalC;
    if (r->fin != FinCalculo::Realizado) {
        d += " (cálculo no realizado)";
    }
    d += "\nColector: ";
    d += r->notaCol;
    d += '\n';
    for (size_t k = 0; k < 10; ++k) {
        d += "  ";
        const size_t inicio = d.size();
        if (r->notas[k] == "-") {
            d += '(' + std::to_string(k + 1) + ")  -  (sin evaluar)";
        } else {
            d += r->notas[k];
        }
        bool primero = true;
        for (const Valor& v : kCampos[k]) {
            const std::string& t = r->campos.*v.campo;
            if (t.empty() || t == "-") {
                continue;
            }
            if (primero && d.size() - inicio < 34) {
                d.append(34 - (d.size() - inicio), ' ');
            }
            d += primero ? "" : "; ";
            primero = false;
            d += v.etiqueta;
            d += " = ";
            d += t;
        }
        d += '\n';
    }
}

int codigo(const ResultadoCalculo& r) {
    if (r.fin != FinCalculo::Realizado) {
        return 2;
    }
    int c = 0;
    for (const std::string& nota : r.notas) {
        if (nota.find("[ERROR]") != std::string::npos) {
            return 2;
        }
        if (nota.find("[NO]") != std::string::npos) {
            c = 1;
        }
    }
    return c;
}

} // namespace

int main(int argc, char** argv) {
    bool esJson = false;
    char separador = '.';
    int primero = 1;
    for (; primero < argc; ++primero) {
        if (std::strcmp(argv[primero], "--json") == 0) {
            esJson = true;
        } else if (std::strcmp(argv[primero], "--locale") == 0 && primero + 1 < argc) {
            separador = std::strncmp(argv[++primero], "es", 2) == 0 ? ',' : '.';
        } else {
            break;
        }
    }
    static char bufer[1 << 16];
    std::setvbuf(stdout, bufer, _IOFBF, sizeof bufer);
    std::string datos;
    std::string salida;
    std::vector<std::string_view> valores;
    int estado = 0;
    for (int a = primero; a < argc; ++a) {
        const char* archivo = argv[a];
        salida.clear();
        if (!esJson && a > primero) {
            salida += '\n';
        }
        datos.clear();
        bool leido = false;
        if (std::FILE* f = std::fopen(archivo, "rb")) {
            char trozo[4096];
            size_t n = 0;
            while ((n = std::fread(trozo, 1, sizeof trozo, f)) > 0) {
                datos.append(trozo, n);
            }
            leido = !std::ferror(f);
            std::fclose(f);
        }
        Calculo calculo;
        std::optional<ResultadoCalculo> r;
        if (leido && trocear(datos, valores) && componer(valores, separador, calculo)) {
            ValoresGuardados guardados;
            r = calcular(calculo, guardados, separador);
        }
        const ResultadoCalculo* p = r ? &*r : nullptr;
        esJson ? json(salida, archivo, p) : resumen(salida, archivo, p);
        estado = std::max(estado, r ? codigo(*r) : 2);
        std::fwrite(salida.data(), 1, salida.size(), stdout);
    }
    if (std::fflush(stdout) != 0) {
        return 2;
    }
    return estado;
}
