#include "files/serie.h"

#include "check/plausibilidad.h"
#include "files/archivos.h"
#include "files/lectura.h"

#include <QFile>
#include <QFileInfo>

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

std::vector<Tubo> leerSerieIncluida(const SerieIncluida& serie) {
    QFile archivo(QString::fromLatin1(serie.recurso));
    if (!archivo.open(QIODevice::ReadOnly)) {
        throw ErrorSerie(std::string("No se encuentra la serie incluida ") + serie.recurso);
    }
    const QByteArray texto = archivo.readAll();
    return leerSerieDiametros(std::string_view(texto.constData(), texto.size()),
                              QFileInfo(archivo.fileName()).fileName().toStdString());
}

const SerieIncluida* serieIncluida(std::string_view clave) {
    for (const SerieIncluida& s : kSeriesIncluidas) {
        if (clave == s.clave) {
            return &s;
        }
    }
    return nullptr;
}

QString clavesDeSeriesIncluidas() {
    QString claves;
    const size_t n = std::size(kSeriesIncluidas);
    for (size_t k = 0; k < n; ++k) {
        if (k > 0) {
            claves += k + 1 == n ? QStringLiteral(" o ") : QStringLiteral(", ");
        }
        claves += QString::fromLatin1(kSeriesIncluidas[k].clave);
    }
    return claves;
}

SerieLeida leerSerieDeOpcion(const QByteArray& valor) {
    SerieLeida s;
    const SerieIncluida* incluida =
        valor.contains('/') ? nullptr : serieIncluida(std::string_view(valor.data(), valor.size()));
    if (incluida) {
        s.nombre = QString::fromLatin1(incluida->clave);
        try {
            s.tubos = leerSerieIncluida(*incluida);
        } catch (const ErrorSerie& e) {
            throw ErrorArchivo(e.what());
        }
    } else {
        s.nombre = nombreVisible(valor);
        try {
            s.tubos = leerSerie(valor);
        } catch (const ErrorArchivo& e) {
            if (valor.contains('/') || valor.contains('.')) {
                throw;
            }
            throw ErrorArchivo(std::string(e.what()) + " Las series incluidas se nombran " +
                               clavesDeSeriesIncluidas().toStdString() + ".");
        }
    }
    for (size_t k = 0; k < s.tubos.size(); ++k) {
        if (pareceMilimetros(s.tubos[k].diametro)) {
            s.enMilimetros.push_back(k);
        }
    }
    return s;
}

std::optional<std::string> avisoDeSerie(const SerieLeida& serie) {
    const size_t n = serie.enMilimetros.size();
    if (n == 0) {
        return std::nullopt;
    }
    const std::string primero = "«" + serie.tubos[serie.enMilimetros.front()].nombre + "»";
    return "la serie «" + serie.nombre.toStdString() + "» tiene " +
           (n == 1 ? "un tubo (" + primero + ")"
                   : std::to_string(n) + " tubos (el primero, " + primero + ")") +
           " de más de 5 m de diámetro: " +
           (n == 1 ? "¿está en milímetros?" : "¿están en milímetros?") +
           " Los diámetros se dan en metros";
}

} // namespace colvero
