#pragma once
// What the file readers share: opening a path by its bytes, with the causes of failures in
// Spanish, and turning the bytes of a text file (Windows-1252, or UTF-8 from another editor)
// into UTF-8.
#include <QByteArray>
#include <QString>

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include <unistd.h>

namespace colvero {

// «name», as messages quote file names.
QString entreComillas(const QString& s);

// Raises ErrorArchivo (archivos.h) with `mensaje`.
[[noreturn]] void falloArchivo(const QString& mensaje);

// An empty name, or one holding a NUL byte (it would name a shorter path), is refused for the
// action `accion` ("abrir", "guardar").
void comprobarNombre(const QByteArray& ruta, const QString& nombre, const char* accion);

// A native path as messages show it: invalid UTF-8 bytes replaced.
QString nombreVisible(const QByteArray& rutaNativa);

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& otro) noexcept : fd_(std::exchange(otro.fd_, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and says whether the close succeeded (a failed close may lose written data).
    bool cerrar() {
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int fd_;
};

// Opens `ruta` for reading, by its bytes. Opening a FIFO for reading waits for a writer,
// possibly for ever: the descriptor is opened without waiting and then, unless it is a plain
// file, made blocking again, so a pipe with a writer is read as its data arrives and one
// without a writer reads as empty. `tamano` receives the size of a plain file (0 otherwise).
// A failure raises ErrorArchivo naming `nombre` and the cause.
Descriptor abrirParaLeer(const QByteArray& ruta, const QString& nombre, qint64& tamano);

// The one read loop of the readers: up to `tamano` bytes of `fd` into `destino`, read again
// when a signal interrupts; 0 at the end of the data. A failure raises ErrorArchivo naming
// `nombre` and the cause.
size_t leerTrozo(const Descriptor& fd, char* destino, size_t tamano, const QString& nombre);

// The whole content of a small file, at most `maximo` bytes; a longer one is refused.
QByteArray leerArchivoEntero(const QByteArray& ruta, const QString& nombre, qint64 maximo);

// UTF-8 byte sequences.
// Length of the valid UTF-8 sequence at the start of `s`, 0 if there is none.
size_t secuenciaUtf8(std::string_view s);
bool esAscii(std::string_view s);
bool esUtf8Valido(std::string_view s);
// Appends `s`; invalid bytes become U+FFFD.
void anadirUtf8(std::string& destino, std::string_view s);

// Characters that show nothing where they are: the C0 controls but the tab, the C1 controls,
// DEL, the soft hyphen,
// the zero-width spaces and joiners, the direction marks and the byte-order mark (U+FEFF). By
// the code point at the start of `s` (valid UTF-8): the length of its sequence when it is one
// of them, else 0.
size_t invisibleAlPrincipio(std::string_view s);

// `texto` (UTF-8) as a message shows it: a NUL as «\0», a line end as «\n» or «\r», every
// other invisible character as «U+FEFF»; the rest as it is.
std::string textoVisible(std::string_view texto);

// `texto` without its invisible characters: two names that differ only by them are one name.
std::string sinInvisibles(std::string_view texto);

// Windows-1252 is single-byte and stateless: the UTF-8 of each byte, fixed at compile time so
// that reading needs no converter. Bytes 0x80 to 0x9F hold the typographic characters; the five
// that the encoding leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) read as the C1 control of the
// same value, as the system's decoder reads them (the tests compare all 256 with it).
struct TablaWindows1252 {
    std::array<std::array<char, 4>, 256> utf8{};
    std::array<unsigned char, 256> largo{};

    constexpr TablaWindows1252() {
        constexpr std::array<char16_t, 32> alto{
            0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
            0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
        for (size_t b = 0; b < 256; ++b) {
            const char16_t u = b >= 0x80 && b < 0xA0 ? alto[b - 0x80] : static_cast<char16_t>(b);
            auto& s = utf8[b];
            if (u < 0x80) {
                s[0] = static_cast<char>(u);
                largo[b] = 1;
            } else if (u < 0x800) {
                s[0] = static_cast<char>(0xC0 | (u >> 6));
                s[1] = static_cast<char>(0x80 | (u & 0x3F));
                largo[b] = 2;
            } else {
                s[0] = static_cast<char>(0xE0 | (u >> 12));
                s[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                s[2] = static_cast<char>(0x80 | (u & 0x3F));
                largo[b] = 3;
            }
        }
    }
};
inline constexpr TablaWindows1252 kTablaWindows1252{};
inline const TablaWindows1252& tablaWindows1252() {
    return kTablaWindows1252;
}
void anadirWindows1252(std::string& destino, std::string_view s, const TablaWindows1252& t);

// The UTF-8 of a whole text file: as it is (without its byte-order mark) when it starts with
// the mark or is valid UTF-8, else decoded as Windows-1252.
std::string textoDeArchivo(std::string_view bytes);

} // namespace colvero
