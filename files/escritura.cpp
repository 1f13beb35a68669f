#include "files/escritura.h"

#include "files/archivos.h"
#include "files/lectura.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace colvero {
namespace {

// Writes all of `bytes` to `fd`; false with errno set when the system refuses any of it.
bool escribirTodo(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    size_t quedan = bytes.size();
    while (quedan > 0) {
        const ssize_t n = ::write(fd, p, quedan);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        p += n;
        quedan -= static_cast<size_t>(n);
    }
    return true;
}

[[noreturn]] void falloAlGuardar(const char* accion, const QString& nombre, int error) {
    falloArchivo(QStringLiteral("No se puede %1 el archivo %2: %3.")
                     .arg(QLatin1String(accion), entreComillas(nombre), causaDelError(error)));
}

QByteArray nombreTemporal(const QByteArray& destino) {
    static constexpr char kLetras[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray t = destino + ".XXXXXX";
    for (qsizetype i = t.size() - 6; i < t.size(); ++i)
        t[i] = kLetras[QRandomGenerator::global()->bounded(62)];
    return t;
}

} // namespace

EscrituraAtomica::EscrituraAtomica(const QByteArray& ruta, const QString& nombre)
    : nombre_(nombre), destino_(ruta) {
    comprobarNombre(ruta, nombre, "guardar");
    struct stat st;
    const bool existe = ::stat(ruta.constData(), &st) == 0;
    if (!existe && errno != ENOENT)
        falloAlGuardar("crear", nombre, errno);
    if (existe) {
        if (S_ISDIR(st.st_mode))
            falloAlGuardar("guardar", nombre, EISDIR);
        if (!S_ISREG(st.st_mode)) {
            fd_ = ::open(ruta.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd_ < 0)
                falloAlGuardar("abrir", nombre, errno);
            const int modo = ::fcntl(fd_, F_GETFL);
            if (modo < 0 || ::fcntl(fd_, F_SETFL, modo & ~O_NONBLOCK) < 0)
                abandonar(errno);
            return;
        }
        if (::access(ruta.constData(), W_OK) != 0)
            falloAlGuardar("escribir", nombre, errno);
        struct stat enlace;
        if (::lstat(ruta.constData(), &enlace) == 0 && S_ISLNK(enlace.st_mode)) {
            char* real = ::realpath(ruta.constData(), nullptr);
            if (real) {
                destino_ = real;
                std::free(real);
            }
        }
    }
    for (int intento = 0; intento < 100 && fd_ < 0; ++intento) {
        temporal_ = nombreTemporal(destino_);
        fd_ = ::open(temporal_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0)
        falloAlGuardar("crear", nombre, errno == ENOENT ? ENOTDIR : errno);
    if (existe)
        (void)::fchmod(fd_, st.st_mode & 07777);
}

EscrituraAtomica::~EscrituraAtomica() {
    if (fd_ >= 0) {
        ::close(fd_);
        if (!temporal_.isEmpty())
            ::unlink(temporal_.constData());
    }
}

void EscrituraAtomica::abandonar(int error) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        if (!temporal_.isEmpty())
            ::unlink(temporal_.constData());
    }
    falloAlGuardar("escribir", nombre_, error);
}

void EscrituraAtomica::escribir(std::string_view bytes) {
    if (!escribirTodo(fd_, bytes))
        abandonar(errno);
}

void EscrituraAtomica::confirmar() {
    if (temporal_.isEmpty()) {
        Descriptor fd(std::exchange(fd_, -1));
        if (!fd.cerrar())
            falloAlGuardar("escribir", nombre_, errno);
        return;
    }
    if (::fsync(fd_) != 0)
        abandonar(errno);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR) {
        const int error = errno;
        ::unlink(temporal_.constData());
        falloAlGuardar("escribir", nombre_, error);
    }
    if (::rename(temporal_.constData(), destino_.constData()) != 0) {
        const int error = errno;
        ::unlink(temporal_.constData());
        falloAlGuardar("escribir", nombre_, error);
    }
}

bool mismoArchivo(const QByteArray& a, const QByteArray& b) {
    struct stat sa {};
    struct stat sb {};
    if (a.isEmpty() || b.isEmpty() || ::stat(a.constData(), &sa) != 0 ||
        ::stat(b.constData(), &sb) != 0) {
        return false;
    }
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void escribirAtomicamente(const QByteArray& ruta, const QString& nombre, std::string_view bytes) {
    EscrituraAtomica e(ruta, nombre);
    e.escribir(bytes);
    e.confirmar();
}

} // namespace colvero
