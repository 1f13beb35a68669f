#pragma once
// Writing a file whole or not at all, also when its bytes come in pieces.
#include <QByteArray>
#include <QString>

#include <string_view>

namespace colvero {

// The bytes go to a temporary file beside the target, which replaces the target only on
// confirmar(), once every byte is written, synced and closed; any failure, or destroying the
// object unconfirmed, removes the temporary and leaves the target as it was. A device or a
// FIFO is written in place: it cannot be replaced, and a file put in its stead would hide it.
// A link keeps pointing at the file it names; the file behind it is replaced, or created when
// the link dangles. Failures raise ErrorArchivo (archivos.h) naming `nombre`.
//
// An interrupted process leaves no partial file. Where the file system allows it the
// temporary has no name (O_TMPFILE) until it is complete, so not even SIGKILL leaves one; it
// is then linked under a fresh name and renamed over the target. Elsewhere the temporary is
// named, and SIGINT, SIGTERM, SIGHUP and SIGPIPE remove it before the process ends (unless
// the program has handlers of its own for them).
class EscrituraAtomica {
public:
    // SinNombre falls back to ConNombre where the file system has no O_TMPFILE.
    enum class Temporal { SinNombre, ConNombre };

    EscrituraAtomica(const QByteArray& rutaNativa, const QString& nombre,
                     Temporal temporal = Temporal::SinNombre);
    ~EscrituraAtomica();
    EscrituraAtomica(const EscrituraAtomica&) = delete;
    EscrituraAtomica& operator=(const EscrituraAtomica&) = delete;

    void escribir(std::string_view bytes);
    void confirmar();

private:
    [[noreturn]] void abandonar(int error);

    void borrarTemporal();

    QString nombre_;
    QByteArray destino_;
    QByteArray temporal_;    // the named temporary; empty when it has no name or in place
    bool enSitio_ = false;   // a device or a FIFO
    bool sinNombre_ = false; // O_TMPFILE
    int registro_ = -1;      // the slot that names the temporary to the signal handler
    int fd_ = -1;
};

// Whether the two paths name one existing file (same device and inode), links followed: an
// output that is an input of the same run must be refused before anything is written.
bool mismoArchivo(const QByteArray& rutaNativaA, const QByteArray& rutaNativaB);

// The whole of `bytes` as the content of `rutaNativa`, through EscrituraAtomica.
void escribirAtomicamente(const QByteArray& rutaNativa, const QString& nombre,
                          std::string_view bytes);

} // namespace colvero
