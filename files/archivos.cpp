#include "files/archivos.h"

#include "check/leyendas.h"
#include "check/recorte.h"
#include "files/escritura.h"
#include "files/lectura.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace colvero {
namespace {

// A value longer than this is not something the program wrote: the reader stops there instead of
// buffering an unbounded field, and the writer refuses texts it could not read back.
constexpr qsizetype kLargoMaximo = 4096;
constexpr qint64 kTrozo = qint64{64} * 1024;

enum class Tipo { Texto, Numero, Casilla, Relleno };

// One value of a file layout. `texto` reaches the field of a text or number value, `condicion`
// (0 to 9) names the flag of a check box.
template <class T> struct Campo {
    Tipo tipo;
    const char* nombre = "";
    std::function<std::string&(T&)> texto;
    int condicion = -1;
};

template <class T> using Disposicion = std::vector<std::vector<Campo<T>>>;

Criterio& criterioDe(Calculo& c) {
    return c.criterio;
}
Criterio& criterioDe(Criterio& c) {
    return c;
}

template <class T> Campo<T> texto(const char* nombre, std::function<std::string&(T&)> f) {
    return {Tipo::Texto, nombre, std::move(f), -1};
}
template <class T> Campo<T> numero(const char* nombre, std::function<std::string&(T&)> f) {
    return {Tipo::Numero, nombre, std::move(f), -1};
}
template <class T> Campo<T> casilla(int k) {
    return {Tipo::Casilla, "", {}, k};
}
template <class T> Campo<T> relleno() {
    return {Tipo::Relleno, "", {}, -1};
}

template <class T> Campo<T> denominacion(int k) {
    static constexpr const char* nombres[7] = {
        "Denominación de caudal (1)", "Denominación de caudal (2)", "Denominación de caudal (3)",
        "Denominación de caudal (4)", "Denominación de caudal (5)", "Denominación de caudal (6)",
        "Denominación de caudal (7)"};
    return texto<T>(nombres[k],
                    [k](T& t) -> std::string& { return criterioDe(t).denominacion[k]; });
}

// The limits, in the order both layouts hold them; `linea` groups them by condition.
template <class T> Campo<T> limite(std::string Criterio::*m, const char* nombre) {
    return numero<T>(nombre, [m](T& t) -> std::string& { return criterioDe(t).*m; });
}
template <class T> Campo<T> Vmax() {
    return limite<T>(&Criterio::Vmax, "Velocidad máxima (m/s)");
}
template <class T> Campo<T> Vmin() {
    return limite<T>(&Criterio::Vmin, "Velocidad mínima (m/s)");
}
template <class T> Campo<T> yDmax() {
    return limite<T>(&Criterio::yDmax, "y/D máximo (%)");
}
template <class T> Campo<T> gammaParticula() {
    return limite<T>(&Criterio::gammaParticula,
                     "Peso específico de la partícula a arrastrar (t/m3)");
}
template <class T> Campo<T> gammaAgua() {
    return limite<T>(&Criterio::gammaAgua, "Peso específico del agua (t/m3)");
}
template <class T> Campo<T> dpMin() {
    return limite<T>(&Criterio::dpMin, "Diámetro de la partícula a arrastrar (mm)");
}
template <class T> Campo<T> Fmin() {
    return limite<T>(&Criterio::Fmin, "Froude mínimo");
}
template <class T> Campo<T> Fmax() {
    return limite<T>(&Criterio::Fmax, "Froude máximo");
}
template <class T> Campo<T> Imin() {
    return limite<T>(&Criterio::Imin, "Pendiente constructiva mínima (m/m)");
}
template <class T> Campo<T> Imax() {
    return limite<T>(&Criterio::Imax, "Pendiente constructiva máxima (m/m)");
}
template <class T> Campo<T> yD10() {
    return limite<T>(&Criterio::yD10, "y/D de autolimpieza (%)");
}
template <class T> Campo<T> Vmin10() {
    return limite<T>(&Criterio::Vmin10, "Velocidad de autolimpieza (m/s)");
}

Campo<Calculo> caudal(int k) {
    static constexpr const char* nombres[7] = {
        "Q (m3/s) de la condición (1)", "Q (m3/s) de la condición (2)",
        "Q (m3/s) de la condición (3)", "Q (m3/s) de la condición (4)",
        "Q (m3/s) de la condición (5)", "Q (m3/s) de la condición (6)",
        "Q (m3/s) de la condición (7)"};
    return numero<Calculo>(nombres[k], [k](Calculo& c) -> std::string& { return c.caudal[k]; });
}

// The placeholders are stored as texts: they are not numbers and nothing converts them.
Campo<Calculo> marcador(int k) {
    static constexpr const char* nombres[3] = {"Q (m3/s) de la condición (8)",
                                               "Q (m3/s) de la condición (9)",
                                               "Q (m3/s) de la condición (10)"};
    return texto<Calculo>(nombres[k], [k](Calculo& c) -> std::string& { return c.marcador[k]; });
}

const Disposicion<Calculo>& disposicionCalculo() {
    using C = Calculo;
    static const Disposicion<C> d = {
        {texto<C>("Título 1", [](C& c) -> std::string& { return c.titulo1; }),
         texto<C>("Título 2", [](C& c) -> std::string& { return c.titulo2; }),
         numero<C>(leyendas::kDiametro, [](C& c) -> std::string& { return c.colector.D; }),
         numero<C>(leyendas::kManning, [](C& c) -> std::string& { return c.colector.n; }),
         numero<C>(leyendas::kPendiente, [](C& c) -> std::string& { return c.colector.i; })},
        {casilla<C>(0), caudal(0), denominacion<C>(0)},
        {casilla<C>(1), caudal(1), denominacion<C>(1), Vmax<C>()},
        {casilla<C>(2), caudal(2), denominacion<C>(2), Vmin<C>()},
        {casilla<C>(3), caudal(3), denominacion<C>(3), yDmax<C>()},
        {casilla<C>(4), caudal(4), denominacion<C>(4), gammaParticula<C>(), gammaAgua<C>(),
         dpMin<C>()},
        {casilla<C>(5), caudal(5), denominacion<C>(5), Fmin<C>()},
        {casilla<C>(6), caudal(6), denominacion<C>(6), Fmax<C>()},
        {casilla<C>(7), marcador(0), Imin<C>()},
        {casilla<C>(8), marcador(1), Imax<C>()},
        {casilla<C>(9), marcador(2), yD10<C>(), Vmin10<C>()},
    };
    return d;
}

const Disposicion<Criterio>& disposicionCriterio() {
    using K = Criterio;
    const auto f = relleno<K>;
    static const Disposicion<K> d = {
        {f(), f(), f(), f()},
        {casilla<K>(0), f(), denominacion<K>(0), f()},
        {casilla<K>(1), f(), denominacion<K>(1), Vmax<K>(), f()},
        {casilla<K>(2), f(), denominacion<K>(2), Vmin<K>(), f()},
        {casilla<K>(3), f(), denominacion<K>(3), yDmax<K>(), f()},
        {casilla<K>(4), f(), denominacion<K>(4), gammaParticula<K>(), gammaAgua<K>(), dpMin<K>(),
         f()},
        {casilla<K>(5), f(), denominacion<K>(5), Fmin<K>(), f()},
        {casilla<K>(6), f(), denominacion<K>(6), Fmax<K>(), f()},
        {casilla<K>(7), f(), Imin<K>(), f()},
        {casilla<K>(8), f(), Imax<K>(), f()},
        {casilla<K>(9), f(), yD10<K>(), Vmin10<K>(), f()},
        {f(), f(), f()},
    };
    return d;
}

template <class T> qsizetype cuentaValores(const Disposicion<T>& d) {
    qsizetype n = 0;
    for (const auto& linea : d)
        n += static_cast<qsizetype>(linea.size());
    return n;
}

[[noreturn]] void fallo(const QString& mensaje) {
    falloArchivo(mensaje);
}

// ---- Reading --------------------------------------------------------------------------------

bool esFinDeValor(char b) {
    return b == ',' || b == '\r' || b == '\n';
}

// The values of a file, in order: their bytes one after the other and where each ends.
struct Valores {
    std::string bytes;
    std::vector<size_t> fines;
    bool marcaUtf8 = false;     // the data began with the UTF-8 byte-order mark
    bool sinMarcaFinal = false; // no line "EOF" follows the values

    std::string_view operator[](size_t i) const {
        const size_t desde = i == 0 ? 0 : fines[i - 1];
        return std::string_view(bytes).substr(desde, fines[i] - desde);
    }
};

constexpr char kMarcaUtf8[] = "\xEF\xBB\xBF";

// Splits bytes into values as they arrive: a comma, CR LF, a lone CR or a lone LF ends a value,
// blanks before a value are skipped. Chunks may split a CR LF pair or the byte-order mark.
class Troceador {
public:
    // `campo` names the value of an index, for messages.
    Troceador(qsizetype necesarios, const QString& nombre, std::function<QString(size_t)> campo)
        : necesarios_(static_cast<size_t>(necesarios)), nombre_(nombre), campo_(std::move(campo)) {
        valores_.fines.reserve(necesarios_);
        valores_.bytes.reserve(512);
    }

    // Complete when every value needed is there, or when the end mark ends the data early.
    bool completo() const { return marcaFinal_ || valores_.fines.size() == necesarios_; }
    // Complete, and the line after the values has been seen: the end mark or not.
    bool terminado() const {
        return marcaFinal_ || (completo() && (cola_ == Cola::Hallada || cola_ == Cola::Ausente));
    }

    void alimentar(QByteArrayView trozo) {
        const char* p = trozo.data();
        const char* const fin = p + trozo.size();
        if (marca_ == Marca::Pendiente) {
            while (p != fin && marcaVista_ < 3 && *p == kMarcaUtf8[marcaVista_]) {
                ++marcaVista_;
                ++p;
            }
            if (marcaVista_ == 3) {
                marca_ = Marca::Vista;
                valores_.marcaUtf8 = true;
            } else if (p != fin) {
                marca_ = Marca::Ausente;
                procesar(kMarcaUtf8, kMarcaUtf8 + marcaVista_);
            }
        }
        procesar(p, fin);
    }

    // End of data: a value still open counts if anything of it was seen or a comma opened it.
    Valores terminar() {
        if (marca_ == Marca::Pendiente) {
            marca_ = Marca::Ausente;
            procesar(kMarcaUtf8, kMarcaUtf8 + marcaVista_);
        }
        if (!completo() && esMarcaFinal())
            marcaFinal_ = true;
        if (!completo() && (largo_ > 0 || trasComa_))
            cerrar(false);
        if (cola_ == Cola::Linea)
            cola_ = esMarcaFinal(textoCola_) ? Cola::Hallada : Cola::Ausente;
        valores_.sinMarcaFinal = !marcaFinal_ && cola_ != Cola::Hallada;
        if (valores_.fines.size() != necesarios_)
            fallo(
                QStringLiteral("El archivo %1 está incompleto: tiene %2 valores y hacen falta %3.")
                    .arg(entreComillas(nombre_))
                    .arg(valores_.fines.size())
                    .arg(necesarios_));
        return std::move(valores_);
    }

private:
    enum class Marca { Pendiente, Vista, Ausente };
    // What follows the last value: the rest of its line, then blank lines, then a line that is
    // the end mark or is not.
    enum class Cola { Resto, Inicio, Linea, Hallada, Ausente };
    // Beyond this many bytes after the values, no end mark is looked for.
    static constexpr size_t kColaMaxima = 4096;

    // Takes whole runs of value bytes at once; only line ends and commas go one by one.
    void procesar(const char* p, const char* const fin) {
        while (p != fin) {
            if (completo()) {
                procesarCola(p, fin);
                return;
            }
            if (crPendiente_) {
                crPendiente_ = false;
                if (*p == '\n') {
                    ++p;
                    continue;
                }
            }
            const char b = *p;
            if (esFinDeValor(b)) {
                if (b != ',' && esMarcaFinal()) {
                    marcaFinal_ = true;
                    return;
                }
                cerrar(b == ',');
                crPendiente_ = b == '\r';
                ++p;
                continue;
            }
            const char* q = p;
            while (q != fin && !esFinDeValor(*q))
                ++q;
            largo_ += q - p;
            if (largo_ > kLargoMaximo) {
                const QString campo = campo_(valores_.fines.size());
                fallo(QStringLiteral("El archivo %1 no es válido: el valor %2%3 pasa de %4 "
                                     "caracteres.")
                          .arg(entreComillas(nombre_))
                          .arg(valores_.fines.size() + 1)
                          .arg(campo.isEmpty() ? QString()
                                               : QStringLiteral(" (%1)").arg(entreComillas(campo)))
                          .arg(kLargoMaximo));
            }
            if (valores_.bytes.size() == inicio_)
                while (p != q && kBlancos.find(*p) != std::string_view::npos)
                    ++p;
            valores_.bytes.append(p, q);
            p = q;
        }
    }

    // A line that holds only "EOF" is the end mark. No layout line holds a single value, so
    // a file short of values is told apart from one whose last value reads "EOF".
    bool esMarcaFinal() const {
        return !trasComa_ && std::string_view(valores_.bytes).substr(inicio_) == "EOF";
    }
    static bool esMarcaFinal(std::string_view linea) {
        return recortar(linea) == "EOF";
    }

    void procesarCola(const char* p, const char* const fin) {
        for (; p != fin && cola_ != Cola::Hallada && cola_ != Cola::Ausente; ++p) {
            const char b = *p;
            const bool finDeLinea = b == '\r' || b == '\n';
            if (++bytesCola_ > kColaMaxima) {
                cola_ = Cola::Ausente;
            } else if (cola_ == Cola::Resto) {
                if (finDeLinea)
                    cola_ = Cola::Inicio;
            } else if (cola_ == Cola::Inicio) {
                if (!finDeLinea && kBlancos.find(b) == std::string_view::npos) {
                    textoCola_.assign(1, b);
                    cola_ = Cola::Linea;
                }
            } else if (finDeLinea) {
                cola_ = esMarcaFinal(textoCola_) ? Cola::Hallada : Cola::Ausente;
            } else if (textoCola_.size() < 8) {
                textoCola_ += b;
            } else {
                cola_ = Cola::Ausente;
            }
        }
    }

    void cerrar(bool porComa) {
        valores_.fines.push_back(valores_.bytes.size());
        inicio_ = valores_.bytes.size();
        largo_ = 0;
        trasComa_ = porComa;
        if (valores_.fines.size() == necesarios_)
            cola_ = porComa ? Cola::Resto : Cola::Inicio;
    }

    size_t necesarios_;
    const QString& nombre_;
    std::function<QString(size_t)> campo_;
    Valores valores_;
    size_t inicio_ = 0;   // where the open value starts in valores_.bytes
    qsizetype largo_ = 0; // bytes of the open value, skipped blanks included
    Marca marca_ = Marca::Pendiente;
    int marcaVista_ = 0; // bytes of the byte-order mark seen so far
    bool crPendiente_ = false;
    bool trasComa_ = false;   // the open value follows a comma, not a line start
    bool marcaFinal_ = false; // the end mark came before all the values
    Cola cola_ = Cola::Resto;
    size_t bytesCola_ = 0;
    std::string textoCola_; // the first bytes of the first line after the values
};

// A file is UTF-8 when it begins with the byte-order mark or when every value is valid UTF-8;
// no value holds a separator, so that is the same as the whole file being valid.
bool esArchivoUtf8(const Valores& valores) {
    if (valores.marcaUtf8)
        return true;
    for (size_t i = 0; i < valores.fines.size(); ++i)
        if (!esUtf8Valido(valores[i]))
            return false;
    return true;
}

template <class T>
T componer(const Disposicion<T>& disposicion, const Valores& valores, const QString& nombre,
           char separadorDecimal) {
    T resultado;
    const bool utf8 = esArchivoUtf8(valores);
    const TablaWindows1252* tabla = utf8 ? nullptr : &tablaWindows1252();
    size_t i = 0;
    for (const auto& linea : disposicion) {
        for (const auto& campo : linea) {
            const std::string_view crudo = valores[i++];
            switch (campo.tipo) {
            case Tipo::Relleno:
                break;
            case Tipo::Casilla: {
                const std::string_view v = recortar(crudo, kEspacios);
                if (v != "0" && v != "1")
                    fallo(QStringLiteral("El archivo %1 no es válido: la casilla de la condición "
                                         "(%2) no vale 0 ni 1.")
                              .arg(entreComillas(nombre))
                              .arg(campo.condicion + 1));
                criterioDe(resultado).activa[static_cast<size_t>(campo.condicion)] = v == "1";
                break;
            }
            case Tipo::Texto:
            case Tipo::Numero: {
                std::string& t = campo.texto(resultado);
                t.clear();
                if (esAscii(crudo))
                    t.assign(crudo);
                else if (utf8)
                    anadirUtf8(t, crudo);
                else
                    anadirWindows1252(t, crudo, *tabla);
                if (campo.tipo == Tipo::Numero)
                    std::replace(t.begin(), t.end(), '.', separadorDecimal);
                break;
            }
            }
        }
    }
    return resultado;
}

// The name of the value at `indice` of the layout, as messages give it; empty for a filler.
template <class T> QString nombreDeValor(const Disposicion<T>& disposicion, size_t indice) {
    for (const auto& linea : disposicion) {
        if (indice >= linea.size()) {
            indice -= linea.size();
            continue;
        }
        const Campo<T>& campo = linea[indice];
        if (campo.tipo == Tipo::Casilla)
            return QStringLiteral("casilla de la condición (%1)").arg(campo.condicion + 1);
        return QString::fromUtf8(campo.nombre);
    }
    return {};
}

template <class T> Troceador troceadorDe(const Disposicion<T>& disposicion, const QString& nombre) {
    return Troceador(cuentaValores(disposicion), nombre,
                     [&disposicion](size_t i) { return nombreDeValor(disposicion, i); });
}

template <class T>
Leido<T> leido(const Disposicion<T>& disposicion, const Valores& valores, const QString& nombre,
               char separadorDecimal) {
    return {componer(disposicion, valores, nombre, separadorDecimal), valores.sinMarcaFinal};
}

template <class T>
Leido<T> deBytes(const Disposicion<T>& disposicion, const QByteArray& bytes, const QString& nombre,
                 char separadorDecimal) {
    Troceador troceador = troceadorDe(disposicion, nombre);
    troceador.alimentar(bytes);
    return leido(disposicion, troceador.terminar(), nombre, separadorDecimal);
}

// A FIFO without a writer reads as empty, and the file is reported incomplete.
template <class T>
Leido<T> deArchivo(const Disposicion<T>& disposicion, const QByteArray& ruta, const QString& nombre,
                   char separadorDecimal) {
    qint64 tamanoArchivo = 0;
    Descriptor fd = abrirParaLeer(ruta, nombre, tamanoArchivo);
    // A plain file of known size is read whole in one call; anything else in chunks.
    const qint64 tamano = tamanoArchivo > 0 ? std::min<qint64>(tamanoArchivo, kTrozo) : kTrozo;
    std::array<char, 4096> pila;
    QByteArray monton;
    char* trozo = pila.data();
    if (tamano > static_cast<qint64>(pila.size())) {
        monton.resize(tamano);
        trozo = monton.data();
    }
    Troceador troceador = troceadorDe(disposicion, nombre);
    while (!troceador.terminado()) {
        const size_t leidos = leerTrozo(fd, trozo, static_cast<size_t>(tamano), nombre);
        if (leidos == 0)
            break;
        troceador.alimentar(QByteArrayView(trozo, static_cast<qsizetype>(leidos)));
    }
    fd.cerrar();
    return leido(disposicion, troceador.terminar(), nombre, separadorDecimal);
}

// ---- Writing --------------------------------------------------------------------------------

QStringEncoder codificador() {
    QStringEncoder e("windows-1252");
    if (!e.isValid())
        fallo(QStringLiteral("Este sistema no tiene la codificación Windows-1252."));
    return e;
}

QString caracterNoAdmitido(const char* nombre, char32_t c) {
    const QString campo = entreComillas(QString::fromUtf8(nombre));
    if (c == U',')
        return QStringLiteral("%1 contiene una coma, que el archivo usa para separar valores.")
            .arg(campo);
    if (c == U'\r' || c == U'\n')
        return QStringLiteral("%1 contiene un salto de línea.").arg(campo);
    return QStringLiteral("%1 contiene %2 (U+%3), un carácter que Windows-1252 no tiene.")
        .arg(campo, entreComillas(QString::fromUcs4(&c, 1)),
             QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, u'0'));
}

// The encoded bytes of one value, or a message saying why the format cannot hold it.
QByteArray codificarValor(const char* nombre, std::string texto, bool esNumero,
                          char separadorDecimal) {
    if (esNumero && separadorDecimal != '.') {
        // The file stores the locale's separator as ".", so a "." of its own would come back
        // as a decimal separator.
        if (texto.find('.') != std::string::npos)
            fallo(QStringLiteral("%1 contiene un punto, que el archivo no distingue del "
                                 "separador decimal «%2».")
                      .arg(entreComillas(QString::fromUtf8(nombre)))
                      .arg(QLatin1Char(separadorDecimal)));
        std::replace(texto.begin(), texto.end(), separadorDecimal, '.');
    }
    const QString s = QString::fromStdString(texto);
    for (const char32_t c : s.toUcs4())
        if (c == U',' || c == U'\r' || c == U'\n')
            fallo(caracterNoAdmitido(nombre, c));
    QStringEncoder e = codificador();
    QByteArray bytes = e(s);
    if (e.hasError()) {
        for (const char32_t c : s.toUcs4()) {
            QStringEncoder uno = codificador();
            (void)QByteArray(uno(QString::fromUcs4(&c, 1)));
            if (uno.hasError())
                fallo(caracterNoAdmitido(nombre, c));
        }
        fallo(caracterNoAdmitido(nombre, U'\uFFFD'));
    }
    if (bytes.size() > kLargoMaximo)
        fallo(QStringLiteral("%1 tiene %2 caracteres y el archivo admite %3 como máximo.")
                  .arg(entreComillas(QString::fromUtf8(nombre)))
                  .arg(bytes.size())
                  .arg(kLargoMaximo));
    return bytes;
}

// The reader takes a file for UTF-8 by its bytes alone, so Windows-1252 bytes that happen to
// form UTF-8 would come back as other characters.
bool seLeeriaComoUtf8(const QByteArray& bytes) {
    const std::string_view b(bytes.constData(), static_cast<size_t>(bytes.size()));
    return b.starts_with(kMarcaUtf8) || (!esAscii(b) && esUtf8Valido(b));
}

// Names the first text with characters beyond ASCII: in such a file every one of them is.
template <class T> QString textoQueSeLeeriaComoUtf8(const Disposicion<T>& disposicion, T& valor) {
    for (const auto& linea : disposicion) {
        for (const auto& campo : linea) {
            if (campo.tipo != Tipo::Texto && campo.tipo != Tipo::Numero)
                continue;
            const std::string& t = campo.texto(valor);
            const auto desde = std::find_if(t.begin(), t.end(), [](char c) { return c & 0x80; });
            if (desde == t.end())
                continue;
            const auto hasta = std::find_if(desde, t.end(), [](char c) { return !(c & 0x80); });
            return QStringLiteral("%1 contiene %2, que al abrir el archivo se leería como UTF-8 y "
                                  "cambiaría.")
                .arg(entreComillas(QString::fromUtf8(campo.nombre)),
                     entreComillas(QString::fromUtf8(&*desde, hasta - desde)));
        }
    }
    return QStringLiteral("El archivo se leería como UTF-8 y cambiaría.");
}

template <class T>
QByteArray aBytes(const Disposicion<T>& disposicion, const T& valor, char separadorDecimal) {
    T copia = valor; // the accessors of the layout need a mutable object
    QByteArray salida;
    for (const auto& linea : disposicion) {
        bool primero = true;
        for (const auto& campo : linea) {
            if (!primero)
                salida.append(',');
            primero = false;
            switch (campo.tipo) {
            case Tipo::Relleno:
                salida.append('-');
                break;
            case Tipo::Casilla:
                salida.append(
                    criterioDe(copia).activa[static_cast<size_t>(campo.condicion)] ? " 1 " : " 0 ");
                break;
            case Tipo::Texto:
            case Tipo::Numero:
                salida.append(codificarValor(campo.nombre, campo.texto(copia),
                                             campo.tipo == Tipo::Numero, separadorDecimal));
                break;
            }
        }
        salida.append("\r\n");
    }
    salida.append("EOF\r\n");
    if (seLeeriaComoUtf8(salida))
        fallo(textoQueSeLeeriaComoUtf8(disposicion, copia));
    return salida;
}

template <class F> QByteArray bytesParaGuardar(const QString& ruta, F&& generar) {
    try {
        return generar();
    } catch (const ErrorArchivo& e) {
        fallo(QStringLiteral("No se puede guardar el archivo %1: %2")
                  .arg(entreComillas(ruta), QString::fromUtf8(e.what())));
    }
}

void escribir(const QByteArray& ruta, const QString& nombre, const QByteArray& bytes) {
    escribirAtomicamente(ruta, nombre,
                         std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

template <class T>
void guardar(const Disposicion<T>& disposicion, const QByteArray& ruta, const QString& nombre,
             const T& valor, char separadorDecimal) {
    escribir(ruta, nombre, bytesParaGuardar(nombre, [&] {
                 return aBytes(disposicion, valor, separadorDecimal);
             }));
}

} // namespace

Leido<Calculo> abrirCalculo(const QString& ruta, char separadorDecimal) {
    return deArchivo(disposicionCalculo(), QFile::encodeName(ruta), ruta, separadorDecimal);
}

Leido<Criterio> abrirCriterio(const QString& ruta, char separadorDecimal) {
    return deArchivo(disposicionCriterio(), QFile::encodeName(ruta), ruta, separadorDecimal);
}

Leido<Calculo> abrirCalculo(const QByteArray& rutaNativa, char separadorDecimal) {
    return deArchivo(disposicionCalculo(), rutaNativa, nombreVisible(rutaNativa), separadorDecimal);
}

Leido<Criterio> abrirCriterio(const QByteArray& rutaNativa, char separadorDecimal) {
    return deArchivo(disposicionCriterio(), rutaNativa, nombreVisible(rutaNativa),
                     separadorDecimal);
}

Calculo leerCalculo(const QString& ruta, char separadorDecimal) {
    return abrirCalculo(ruta, separadorDecimal).valor;
}

Criterio leerCriterio(const QString& ruta, char separadorDecimal) {
    return abrirCriterio(ruta, separadorDecimal).valor;
}

Calculo leerCalculo(const QByteArray& rutaNativa, char separadorDecimal) {
    return abrirCalculo(rutaNativa, separadorDecimal).valor;
}

Criterio leerCriterio(const QByteArray& rutaNativa, char separadorDecimal) {
    return abrirCriterio(rutaNativa, separadorDecimal).valor;
}

Leido<Calculo> calculoLeidoDeBytes(const QByteArray& bytes, const QString& nombre,
                                   char separadorDecimal) {
    return deBytes(disposicionCalculo(), bytes, nombre, separadorDecimal);
}

Calculo calculoDeBytes(const QByteArray& bytes, const QString& nombre, char separadorDecimal) {
    return calculoLeidoDeBytes(bytes, nombre, separadorDecimal).valor;
}

Criterio criterioDeBytes(const QByteArray& bytes, const QString& nombre, char separadorDecimal) {
    return deBytes(disposicionCriterio(), bytes, nombre, separadorDecimal).valor;
}

QByteArray bytesDeCalculo(const Calculo& calculo, char separadorDecimal) {
    return aBytes(disposicionCalculo(), calculo, separadorDecimal);
}

QByteArray bytesDeCriterio(const Criterio& criterio, char separadorDecimal) {
    return aBytes(disposicionCriterio(), criterio, separadorDecimal);
}

void guardarBytes(const QString& ruta, const QByteArray& bytes) {
    escribir(QFile::encodeName(ruta), ruta, bytes);
}

void guardarBytes(const QByteArray& rutaNativa, const QByteArray& bytes) {
    escribir(rutaNativa, nombreVisible(rutaNativa), bytes);
}

void guardarCalculo(const QString& ruta, const Calculo& calculo, char separadorDecimal) {
    guardar(disposicionCalculo(), QFile::encodeName(ruta), ruta, calculo, separadorDecimal);
}

void guardarCriterio(const QString& ruta, const Criterio& criterio, char separadorDecimal) {
    guardar(disposicionCriterio(), QFile::encodeName(ruta), ruta, criterio, separadorDecimal);
}

void guardarCalculo(const QByteArray& rutaNativa, const Calculo& calculo, char separadorDecimal) {
    guardar(disposicionCalculo(), rutaNativa, nombreVisible(rutaNativa), calculo, separadorDecimal);
}

void guardarCriterio(const QByteArray& rutaNativa, const Criterio& criterio,
                     char separadorDecimal) {
    guardar(disposicionCriterio(), rutaNativa, nombreVisible(rutaNativa), criterio,
            separadorDecimal);
}

QString causaDelError(int numeroError) {
    switch (numeroError) {
    case EACCES:
    case EPERM:
        return QStringLiteral("permiso denegado");
    case ENOENT:
        return QStringLiteral("el archivo no existe");
    case ENOTDIR:
        return QStringLiteral("la carpeta no existe");
    case ENOSPC:
        return QStringLiteral("no queda espacio en el disco");
    case EDQUOT:
        return QStringLiteral("no queda espacio en el disco (cuota agotada)");
    case EFBIG:
        return QStringLiteral("el archivo supera el tamaño máximo permitido");
    case EROFS:
        return QStringLiteral("sistema de archivos de solo lectura");
    case ENAMETOOLONG:
        return QStringLiteral("nombre demasiado largo");
    case ELOOP:
        return QStringLiteral("demasiados enlaces simbólicos");
    case EISDIR:
        return QStringLiteral("es una carpeta");
    case EIO:
        return QStringLiteral("error de entrada/salida del dispositivo");
    case ETXTBSY:
    case EBUSY:
        return QStringLiteral("el archivo está en uso");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("el dispositivo no está disponible");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("hay demasiados archivos abiertos");
    case ENOMEM:
        return QStringLiteral("no queda memoria");
    default:
        return QStringLiteral("error del sistema n.º %1").arg(numeroError);
    }
}

} // namespace colvero
