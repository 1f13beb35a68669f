#include "files/lectura.h"

#include "files/archivos.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace colvero {

QString entreComillas(const QString& s) {
    return QStringLiteral("«") + s + QStringLiteral("»");
}

void falloArchivo(const QString& mensaje) {
    throw ErrorArchivo(mensaje.toStdString());
}

namespace {
QByteArray carpetaDe(const QByteArray& ruta) {
    const qsizetype barra = ruta.lastIndexOf('/');
    if (barra < 0)
        return ".";
    return barra == 0 ? QByteArray("/") : ruta.left(barra);
}

bool esCarpeta(const QByteArray& ruta) {
    struct stat st;
    return ::stat(ruta.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

void comprobarNombre(const QByteArray& ruta, const QString& nombre, const char* accion) {
    if (ruta.isEmpty())
        falloArchivo(QStringLiteral("No se puede %1 el archivo: el nombre está vacío.")
                         .arg(QLatin1String(accion)));
    if (ruta.contains('\0'))
        falloArchivo(QStringLiteral("No se puede %1 el archivo %2: el nombre no es válido.")
                         .arg(QLatin1String(accion), entreComillas(nombre)));
}

QString nombreVisible(const QByteArray& rutaNativa) {
    return QString::fromUtf8(rutaNativa);
}

Descriptor abrirParaLeer(const QByteArray& ruta, const QString& nombre, qint64& tamano) {
    comprobarNombre(ruta, nombre, "abrir");
    Descriptor fd(::open(ruta.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT && esCarpeta(carpetaDe(ruta)))
            falloArchivo(QStringLiteral("El archivo %1 no existe.").arg(entreComillas(nombre)));
        falloArchivo(QStringLiteral("No se puede abrir el archivo %1: %2.")
                         .arg(entreComillas(nombre),
                              error == ENOENT ? causaDelError(ENOTDIR) : causaDelError(error)));
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        falloArchivo(QStringLiteral("No se puede abrir el archivo %1: %2.")
                         .arg(entreComillas(nombre), causaDelError(errno)));
    if (S_ISDIR(st.st_mode))
        falloArchivo(QStringLiteral("No se puede abrir el archivo %1: %2.")
                         .arg(entreComillas(nombre), causaDelError(EISDIR)));
    if (!S_ISREG(st.st_mode)) {
        const int modo = ::fcntl(fd.get(), F_GETFL);
        if (modo < 0 || ::fcntl(fd.get(), F_SETFL, modo & ~O_NONBLOCK) < 0)
            falloArchivo(QStringLiteral("No se puede abrir el archivo %1: %2.")
                             .arg(entreComillas(nombre), causaDelError(errno)));
    }
    tamano = S_ISREG(st.st_mode) ? st.st_size : 0;
    return fd;
}

size_t leerTrozo(const Descriptor& fd, char* destino, size_t tamano, const QString& nombre) {
    for (;;) {
        const ssize_t leidos = ::read(fd.get(), destino, tamano);
        if (leidos >= 0)
            return static_cast<size_t>(leidos);
        if (errno != EINTR)
            falloArchivo(QStringLiteral("No se puede leer el archivo %1: %2.")
                             .arg(entreComillas(nombre), causaDelError(errno)));
    }
}

QByteArray leerArchivoEntero(const QByteArray& ruta, const QString& nombre, qint64 maximo) {
    qint64 tamano = 0;
    Descriptor fd = abrirParaLeer(ruta, nombre, tamano);
    QByteArray bytes;
    std::array<char, 64 * 1024> trozo;
    for (;;) {
        const auto leidos = static_cast<qint64>(leerTrozo(fd, trozo.data(), trozo.size(), nombre));
        if (leidos == 0)
            break;
        if (bytes.size() + leidos > maximo)
            falloArchivo(QStringLiteral("El archivo %1 no es válido: pasa de %2 bytes.")
                             .arg(entreComillas(nombre))
                             .arg(maximo));
        bytes.append(trozo.data(), leidos);
    }
    return bytes;
}

// Length of the valid UTF-8 sequence at the start of `s`, 0 if there is none (overlong forms,
// surrogates and code points above U+10FFFF are not valid).
size_t secuenciaUtf8(std::string_view s) {
    const auto u = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = u(0);
    if (c < 0x80)
        return 1;
    size_t n = 0;
    unsigned char bajo = 0x80, alto = 0xBF; // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0)
            bajo = 0xA0;
        else if (c == 0xED)
            alto = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0)
            bajo = 0x90;
        else if (c == 0xF4)
            alto = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < n || u(1) < bajo || u(1) > alto)
        return 0;
    for (size_t i = 2; i < n; ++i)
        if (u(i) < 0x80 || u(i) > 0xBF)
            return 0;
    return n;
}

bool esAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

bool esUtf8Valido(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = secuenciaUtf8(s.substr(i));
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

// Invalid bytes become U+FFFD; only a file marked as UTF-8 can hold them.
void anadirUtf8(std::string& destino, std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = secuenciaUtf8(s.substr(i));
        if (n == 0) {
            destino += "\xEF\xBF\xBD";
            ++i;
        } else {
            destino.append(s.substr(i, n));
            i += n;
        }
    }
}

size_t invisibleAlPrincipio(std::string_view s) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    if (s.empty())
        return 0;
    if ((b(0) < 0x20 && b(0) != '\t') || b(0) == 0x7F)
        return 1;
    const size_t n = secuenciaUtf8(s);
    if (n == 2)
        return b(0) == 0xC2 && (b(1) < 0xA0 || b(1) == 0xAD) ? 2 : 0; // C1, soft hyphen
    if (n != 3)
        return 0;
    const char32_t u =
        (char32_t{b(0)} & 0x0F) << 12 | (char32_t{b(1)} & 0x3F) << 6 | (char32_t{b(2)} & 0x3F);
    const bool invisible = (u >= 0x200B && u <= 0x200F) || (u >= 0x202A && u <= 0x202E) ||
                           (u >= 0x2060 && u <= 0x2064) || u == 0x2028 || u == 0x2029 ||
                           u == 0xFEFF;
    return invisible ? 3 : 0;
}

namespace {
// Code point of a valid sequence of `n` bytes at the start of `s`.
char32_t puntoDeCodigo(std::string_view s, size_t n) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    if (n == 1)
        return b(0);
    if (n == 2)
        return (char32_t{b(0)} & 0x1F) << 6 | (char32_t{b(1)} & 0x3F);
    return (char32_t{b(0)} & 0x0F) << 12 | (char32_t{b(1)} & 0x3F) << 6 | (char32_t{b(2)} & 0x3F);
}
} // namespace

std::string textoVisible(std::string_view texto) {
    std::string d;
    d.reserve(texto.size());
    for (size_t i = 0; i < texto.size();) {
        const size_t n = invisibleAlPrincipio(texto.substr(i));
        if (n == 0) {
            d += texto[i++];
            continue;
        }
        const char32_t u = puntoDeCodigo(texto.substr(i), n);
        i += n;
        switch (u) {
        case 0:
            d += "\\0";
            break;
        case '\n':
            d += "\\n";
            break;
        case '\r':
            d += "\\r";
            break;
        default: {
            char cifras[8];
            std::snprintf(cifras, sizeof cifras, "U+%04X", static_cast<unsigned>(u));
            d += cifras;
        }
        }
    }
    return d;
}

std::string sinInvisibles(std::string_view texto) {
    std::string d;
    d.reserve(texto.size());
    for (size_t i = 0; i < texto.size();) {
        const size_t n = invisibleAlPrincipio(texto.substr(i));
        if (n == 0)
            d += texto[i++];
        else
            i += n;
    }
    return d;
}

void anadirWindows1252(std::string& destino, std::string_view s, const TablaWindows1252& t) {
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            destino += c;
        else
            destino.append(t.utf8[b].data(), t.largo[b]);
    }
}

std::string textoDeArchivo(std::string_view bytes) {
    std::string texto;
    texto.reserve(bytes.size());
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        anadirUtf8(texto, bytes.substr(3));
    } else if (esUtf8Valido(bytes)) {
        texto.append(bytes);
    } else {
        anadirWindows1252(texto, bytes, tablaWindows1252());
    }
    return texto;
}

} // namespace colvero
