#include "cli/argumentos.h"

#include <algorithm>
#include <string_view>

namespace colvero::cli {

const QByteArray* Argumentos::valor(const QCommandLineOption& opcion) const {
    const auto v = valores.find(opcion.names().first());
    return v == valores.end() ? nullptr : &v->second;
}

Argumentos separar(std::span<const char* const> argv, const QList<QCommandLineOption>& opciones) {
    Argumentos a;
    if (argv.empty()) {
        return a;
    }
    a.opciones.append(QString::fromUtf8(argv[0]));
    bool soloArchivos = false;
    for (size_t k = 1; k < argv.size(); ++k) {
        const std::string_view arg(argv[k]);
        if (soloArchivos || !arg.starts_with('-') || arg == "-") {
            a.archivos.push_back(argv[k]);
            continue;
        }
        a.opciones.append(QString::fromUtf8(arg.data(), static_cast<qsizetype>(arg.size())));
        if (arg == "--") {
            soloArchivos = true;
            continue;
        }
        const std::string_view nombreYValor = arg.substr(arg.starts_with("--") ? 2 : 1);
        const size_t igual = nombreYValor.find('=');
        const QString nombre = QString::fromUtf8(
            nombreYValor.data(), static_cast<qsizetype>(std::min(igual, nombreYValor.size())));
        const auto opcion =
            std::find_if(opciones.begin(), opciones.end(),
                         [&](const QCommandLineOption& o) { return o.names().contains(nombre); });
        if (opcion == opciones.end() || opcion->valueName().isEmpty()) {
            continue;
        }
        std::string_view valor;
        if (igual != std::string_view::npos) {
            valor = nombreYValor.substr(igual + 1);
        } else if (k + 1 < argv.size()) {
            valor = argv[++k];
            a.opciones.append(
                QString::fromUtf8(valor.data(), static_cast<qsizetype>(valor.size())));
        } else {
            continue; // the parser reports the missing value
        }
        a.valores[opcion->names().first()] =
            QByteArray(valor.data(), static_cast<qsizetype>(valor.size()));
    }
    return a;
}

} // namespace colvero::cli
