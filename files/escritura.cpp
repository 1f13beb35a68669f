#include "files/escritura.h"

#include "files/archivos.h"
#include "files/lectura.h"

#include <QRandomGenerator>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>

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

QByteArray carpetaDe(const QByteArray& ruta) {
    const qsizetype barra = ruta.lastIndexOf('/');
    if (barra < 0)
        return ".";
    return barra == 0 ? QByteArray("/") : ruta.left(barra);
}

// The file a dangling link leads to, through a chain of links; `ruta` itself when it is no
// link. ELOOP past 40 links, as the system counts.
QByteArray finDeEnlaces(QByteArray ruta) {
    for (int k = 0; k < 40; ++k) {
        struct stat st;
        if (::lstat(ruta.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return ruta;
        QByteArray destino(PATH_MAX, '\0');
        const ssize_t n = ::readlink(ruta.constData(), destino.data(), destino.size());
        if (n < 0 || n >= destino.size())
            return ruta;
        destino.truncate(n);
        ruta = destino.startsWith('/') ? destino : carpetaDe(ruta) + '/' + destino;
    }
    errno = ELOOP;
    return {};
}

// ---- Named temporaries and the signals that end the process ----------------------------------
// The handler may run at any instant on any thread: it reads only these slots, whose state is
// a lock-free atomic and whose name is complete before the state says so.
constexpr int kRegistros = 16;
enum EstadoRegistro : int { kLibre, kOcupado, kNombrado };
struct Registro {
    std::atomic<int> estado{kLibre};
    char ruta[PATH_MAX];
};
Registro gRegistros[kRegistros];
static_assert(std::atomic<int>::is_always_lock_free);

constexpr std::array<int, 4> kSenales{SIGINT, SIGTERM, SIGHUP, SIGPIPE};

extern "C" void borrarTemporalesYTerminar(int senal) {
    for (Registro& r : gRegistros) {
        if (r.estado.load() == kNombrado)
            ::unlink(r.ruta);
    }
    struct sigaction porDefecto {};
    porDefecto.sa_handler = SIG_DFL;
    ::sigemptyset(&porDefecto.sa_mask);
    ::sigaction(senal, &porDefecto, nullptr);
    // Blocked while this handler runs: delivered, with its default action, on return.
    ::raise(senal);
}

void instalarManejadores() {
    static std::once_flag una;
    std::call_once(una, [] {
        for (const int senal : kSenales) {
            struct sigaction antes {};
            if (::sigaction(senal, nullptr, &antes) != 0 || antes.sa_handler != SIG_DFL ||
                (antes.sa_flags & SA_SIGINFO))
                continue;
            struct sigaction nueva {};
            nueva.sa_handler = borrarTemporalesYTerminar;
            ::sigemptyset(&nueva.sa_mask);
            ::sigaction(senal, &nueva, nullptr);
        }
    });
}

// The slot now naming `ruta` to the handler, -1 when none is free (the temporary then stays
// behind on a signal, as it would without the handler).
int registrar(const QByteArray& ruta) {
    if (ruta.size() >= PATH_MAX)
        return -1;
    instalarManejadores();
    for (int k = 0; k < kRegistros; ++k) {
        int libre = kLibre;
        if (!gRegistros[k].estado.compare_exchange_strong(libre, kOcupado))
            continue;
        std::memcpy(gRegistros[k].ruta, ruta.constData(), static_cast<size_t>(ruta.size()) + 1);
        gRegistros[k].estado.store(kNombrado);
        return k;
    }
    return -1;
}

void desregistrar(int& k) {
    if (k >= 0)
        gRegistros[k].estado.store(kLibre);
    k = -1;
}

// Whether a descriptor can be linked into a folder through /proc, as an O_TMPFILE needs.
bool puedeEnlazarDescriptores() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

} // namespace

EscrituraAtomica::EscrituraAtomica(const QByteArray& ruta, const QString& nombre, Temporal temporal)
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
            enSitio_ = true;
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
    } else {
        // A dangling link: its file is created and the link kept.
        destino_ = finDeEnlaces(ruta);
        if (destino_.isEmpty())
            falloAlGuardar("crear", nombre, errno);
    }
#ifdef O_TMPFILE
    if (temporal == Temporal::SinNombre && puedeEnlazarDescriptores()) {
        fd_ = ::open(carpetaDe(destino_).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        sinNombre_ = fd_ >= 0;
    }
#else
    (void)temporal;
#endif
    for (int intento = 0; intento < 100 && fd_ < 0; ++intento) {
        temporal_ = nombreTemporal(destino_);
        fd_ = ::open(temporal_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temporal_.clear();
        falloAlGuardar("crear", nombre, errno == ENOENT ? ENOTDIR : errno);
    }
    if (!sinNombre_)
        registro_ = registrar(temporal_);
    if (existe)
        (void)::fchmod(fd_, st.st_mode & 07777);
}

EscrituraAtomica::~EscrituraAtomica() {
    if (fd_ >= 0)
        ::close(fd_);
    borrarTemporal();
}

void EscrituraAtomica::borrarTemporal() {
    if (!temporal_.isEmpty())
        ::unlink(temporal_.constData());
    temporal_.clear();
    desregistrar(registro_);
}

void EscrituraAtomica::abandonar(int error) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    borrarTemporal();
    falloAlGuardar("escribir", nombre_, error);
}

void EscrituraAtomica::escribir(std::string_view bytes) {
    if (!escribirTodo(fd_, bytes))
        abandonar(errno);
}

void EscrituraAtomica::confirmar() {
    if (enSitio_) {
        Descriptor fd(std::exchange(fd_, -1));
        if (!fd.cerrar())
            falloAlGuardar("escribir", nombre_, errno);
        return;
    }
    if (::fsync(fd_) != 0)
        abandonar(errno);
    if (sinNombre_) {
        // The only moment a name exists is between the link and the rename.
        const QByteArray enProc = "/proc/self/fd/" + QByteArray::number(fd_);
        for (int intento = 0; intento < 100 && temporal_.isEmpty(); ++intento) {
            const QByteArray t = nombreTemporal(destino_);
            if (::linkat(AT_FDCWD, enProc.constData(), AT_FDCWD, t.constData(),
                         AT_SYMLINK_FOLLOW) == 0) {
                temporal_ = t;
                registro_ = registrar(t);
            } else if (errno != EEXIST) {
                abandonar(errno);
            }
        }
        if (temporal_.isEmpty())
            abandonar(EEXIST);
    }
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR) {
        const int error = errno;
        borrarTemporal();
        falloAlGuardar("escribir", nombre_, error);
    }
    if (::rename(temporal_.constData(), destino_.constData()) != 0) {
        const int error = errno;
        borrarTemporal();
        falloAlGuardar("escribir", nombre_, error);
    }
    temporal_.clear();
    desregistrar(registro_);
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
