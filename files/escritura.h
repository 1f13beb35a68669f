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
// A link keeps pointing at the file it names; the file behind it is replaced. Failures raise
// ErrorArchivo (archivos.h) naming `nombre`.
class EscrituraAtomica {
public:
    EscrituraAtomica(const QByteArray& rutaNativa, const QString& nombre);
    ~EscrituraAtomica();
    EscrituraAtomica(const EscrituraAtomica&) = delete;
    EscrituraAtomica& operator=(const EscrituraAtomica&) = delete;

    void escribir(std::string_view bytes);
    void confirmar();

private:
    [[noreturn]] void abandonar(int error);

    QString nombre_;
    QByteArray destino_;
    QByteArray temporal_; // empty when written in place
    int fd_ = -1;
};

// Whether the two paths name one existing file (same device and inode), links followed: an
// output that is an input of the same run must be refused before anything is written.
bool mismoArchivo(const QByteArray& rutaNativaA, const QByteArray& rutaNativaB);

// The whole of `bytes` as the content of `rutaNativa`, through EscrituraAtomica.
void escribirAtomicamente(const QByteArray& rutaNativa, const QString& nombre,
                          std::string_view bytes);

} // namespace colvero
