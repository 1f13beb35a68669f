#include "files/archivos.h"

#include "check/leyendas.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <functional>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

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

QString entreComillas(const QString& s) {
    return QStringLiteral("«") + s + QStringLiteral("»");
}

[[noreturn]] void fallo(const QString& mensaje) {
    throw ErrorArchivo(mensaje.toStdString());
}

// ---- Reading --------------------------------------------------------------------------------

// Splits bytes into values as they arrive: a comma, CR LF, a lone CR or a lone LF ends a value,
// blanks before a value are skipped. Chunks may split a CR LF pair.
class Troceador {
public:
    Troceador(qsizetype necesarios, QString nombre)
        : necesarios_(necesarios), nombre_(std::move(nombre)) {
        valores_.reserve(static_cast<size_t>(necesarios));
    }

    // Complete when every value needed is there, or when the end mark ends the data early.
    bool completo() const {
        return marcaFinal_ || static_cast<qsizetype>(valores_.size()) == necesarios_;
    }

    void alimentar(QByteArrayView trozo) {
        for (const char b : trozo) {
            if (completo())
                return;
            if (crPendiente_) {
                crPendiente_ = false;
                if (b == '\n')
                    continue;
            }
            if (b == ',' || b == '\r' || b == '\n') {
                if (b != ',' && esMarcaFinal()) {
                    marcaFinal_ = true;
                    return;
                }
                cerrar(b == ',');
                crPendiente_ = b == '\r';
                continue;
            }
            if (++largo_ > kLargoMaximo)
                fallo(
                    QStringLiteral("El archivo %1 no es válido: el valor %2 pasa de %3 caracteres.")
                        .arg(entreComillas(nombre_))
                        .arg(valores_.size() + 1)
                        .arg(kLargoMaximo));
            if (actual_.isEmpty() && (b == ' ' || b == '\t'))
                continue;
            actual_.append(b);
        }
    }

    // End of data: a value still open counts if anything of it was seen or a comma opened it.
    std::vector<QByteArray> terminar() {
        if (!completo() && esMarcaFinal())
            marcaFinal_ = true;
        if (!completo() && (largo_ > 0 || trasComa_))
            cerrar(false);
        if (static_cast<qsizetype>(valores_.size()) != necesarios_)
            fallo(
                QStringLiteral("El archivo %1 está incompleto: tiene %2 valores y hacen falta %3.")
                    .arg(entreComillas(nombre_))
                    .arg(valores_.size())
                    .arg(necesarios_));
        return std::move(valores_);
    }

private:
    // A line that holds only "EOF" is the end mark. No layout line holds a single value, so
    // a file short of values is told apart from one whose last value reads "EOF".
    bool esMarcaFinal() const { return !trasComa_ && actual_ == "EOF"; }

    void cerrar(bool porComa) {
        valores_.push_back(actual_);
        actual_.clear();
        largo_ = 0;
        trasComa_ = porComa;
    }

    qsizetype necesarios_;
    QString nombre_;
    std::vector<QByteArray> valores_;
    QByteArray actual_;
    qsizetype largo_ = 0; // bytes of the open value, skipped blanks included
    bool crPendiente_ = false;
    bool trasComa_ = false;   // the open value follows a comma, not a line start
    bool marcaFinal_ = false; // the end mark came before all the values
};

QStringDecoder decodificador() {
    QStringDecoder d("windows-1252");
    if (!d.isValid())
        fallo(QStringLiteral("Este sistema no tiene la codificación Windows-1252."));
    return d;
}

QStringEncoder codificador() {
    QStringEncoder e("windows-1252");
    if (!e.isValid())
        fallo(QStringLiteral("Este sistema no tiene la codificación Windows-1252."));
    return e;
}

template <class T>
T componer(const Disposicion<T>& disposicion, const std::vector<QByteArray>& valores,
           const QString& nombre, char separadorDecimal) {
    T resultado;
    QStringDecoder d = decodificador();
    size_t i = 0;
    for (const auto& linea : disposicion) {
        for (const auto& campo : linea) {
            const QByteArray& crudo = valores[i++];
            switch (campo.tipo) {
            case Tipo::Relleno:
                break;
            case Tipo::Casilla: {
                const QByteArray v = crudo.trimmed();
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
                std::string t = QString(d(crudo)).toStdString();
                if (campo.tipo == Tipo::Numero)
                    std::replace(t.begin(), t.end(), '.', separadorDecimal);
                campo.texto(resultado) = std::move(t);
                break;
            }
            }
        }
    }
    return resultado;
}

template <class T>
T deBytes(const Disposicion<T>& disposicion, const QByteArray& bytes, const QString& nombre,
          char separadorDecimal) {
    Troceador troceador(cuentaValores(disposicion), nombre);
    troceador.alimentar(bytes);
    return componer(disposicion, troceador.terminar(), nombre, separadorDecimal);
}

// Opening a FIFO for reading waits for a writer, possibly for ever. The descriptor is opened
// without waiting and then made blocking again: a pipe with a writer is read as its data
// arrives, one without a writer reads as empty and the file is reported incomplete.
bool abrirParaLeer(QFile& archivo, const QString& ruta) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const int modo = ::fcntl(fd, F_GETFL);
    if (modo < 0 || ::fcntl(fd, F_SETFL, modo & ~O_NONBLOCK) < 0 ||
        !archivo.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    return archivo.open(QIODevice::ReadOnly);
#endif
}

template <class T>
T deArchivo(const Disposicion<T>& disposicion, const QString& ruta, char separadorDecimal) {
    QFile archivo(ruta);
    if (!archivo.exists())
        fallo(QStringLiteral("El archivo %1 no existe.").arg(entreComillas(ruta)));
    if (QFileInfo(ruta).isDir())
        fallo(QStringLiteral("No se puede abrir el archivo %1: es una carpeta.")
                  .arg(entreComillas(ruta)));
    if (!abrirParaLeer(archivo, ruta))
        fallo(QStringLiteral("No se puede abrir el archivo %1.").arg(entreComillas(ruta)));
    Troceador troceador(cuentaValores(disposicion), ruta);
    QByteArray trozo;
    while (!troceador.completo()) {
        trozo.resize(kTrozo);
        const qint64 leidos = archivo.read(trozo.data(), kTrozo);
        if (leidos < 0)
            fallo(QStringLiteral("No se puede leer el archivo %1.").arg(entreComillas(ruta)));
        if (leidos == 0)
            break;
        troceador.alimentar(QByteArrayView(trozo.constData(), leidos));
    }
    archivo.close();
    return componer(disposicion, troceador.terminar(), ruta, separadorDecimal);
}

// ---- Writing --------------------------------------------------------------------------------

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

void escribir(const QString& ruta, const QByteArray& bytes) {
    if (QFileInfo(ruta).isDir())
        fallo(QStringLiteral("No se puede guardar el archivo %1: es una carpeta.")
                  .arg(entreComillas(ruta)));
    // The temporary lies beside the target and replaces it only once complete.
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly))
        fallo(QStringLiteral("No se puede crear el archivo %1.").arg(entreComillas(ruta)));
    if (archivo.write(bytes) != bytes.size()) {
        archivo.cancelWriting();
        fallo(QStringLiteral("No se puede escribir el archivo %1.").arg(entreComillas(ruta)));
    }
    if (!archivo.commit())
        fallo(QStringLiteral("No se puede escribir el archivo %1.").arg(entreComillas(ruta)));
}

} // namespace

Calculo leerCalculo(const QString& ruta, char separadorDecimal) {
    return deArchivo(disposicionCalculo(), ruta, separadorDecimal);
}

Criterio leerCriterio(const QString& ruta, char separadorDecimal) {
    return deArchivo(disposicionCriterio(), ruta, separadorDecimal);
}

Calculo calculoDeBytes(const QByteArray& bytes, const QString& nombre, char separadorDecimal) {
    return deBytes(disposicionCalculo(), bytes, nombre, separadorDecimal);
}

Criterio criterioDeBytes(const QByteArray& bytes, const QString& nombre, char separadorDecimal) {
    return deBytes(disposicionCriterio(), bytes, nombre, separadorDecimal);
}

QByteArray bytesDeCalculo(const Calculo& calculo, char separadorDecimal) {
    return aBytes(disposicionCalculo(), calculo, separadorDecimal);
}

QByteArray bytesDeCriterio(const Criterio& criterio, char separadorDecimal) {
    return aBytes(disposicionCriterio(), criterio, separadorDecimal);
}

void guardarCalculo(const QString& ruta, const Calculo& calculo, char separadorDecimal) {
    escribir(ruta,
             bytesParaGuardar(ruta, [&] { return bytesDeCalculo(calculo, separadorDecimal); }));
}

void guardarCriterio(const QString& ruta, const Criterio& criterio, char separadorDecimal) {
    escribir(ruta,
             bytesParaGuardar(ruta, [&] { return bytesDeCriterio(criterio, separadorDecimal); }));
}

} // namespace colvero
