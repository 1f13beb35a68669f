#include "files/serie.h"

#include "files/archivos.h"
#include "files/lectura.h"

#include <QFile>

namespace colvero {

namespace {
// A catalogue is a few dozen lines; anything far larger is not one.
constexpr qint64 kTamanoMaximo = qint64{1} << 20;
} // namespace

std::vector<Tubo> leerSerie(const QByteArray& rutaNativa) {
    const QString nombre = nombreVisible(rutaNativa);
    const QByteArray bytes = leerArchivoEntero(rutaNativa, nombre, kTamanoMaximo);
    try {
        return leerSerieDiametros(textoDeArchivo(std::string_view(bytes.data(), bytes.size())),
                                  nombre.toStdString());
    } catch (const ErrorSerie& e) {
        throw ErrorArchivo(e.what());
    }
}

std::vector<Tubo> leerSerie(const QString& ruta) {
    return leerSerie(QFile::encodeName(ruta));
}

} // namespace colvero
