#include "files/informe_swmm.h"

#include "check/numero.h"
#include "files/archivos.h"
#include "files/lectura.h"

#include <array>
#include <vector>

namespace colvero {
namespace {

constexpr qint64 kMaximoInforme = qint64{1} << 30; // bytes: line numbers stay within an int
constexpr std::string_view kTabla = "Link Flow Summary";

std::vector<std::string_view> partir(std::string_view linea) {
    std::vector<std::string_view> t;
    size_t k = 0;
    const auto blanco = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (k < linea.size()) {
        while (k < linea.size() && blanco(linea[k]))
            ++k;
        const size_t inicio = k;
        while (k < linea.size() && !blanco(linea[k]))
            ++k;
        if (k > inicio)
            t.push_back(linea.substr(inicio, k - inicio));
    }
    return t;
}

bool esTipoDeEnlace(std::string_view s) {
    static constexpr std::array<std::string_view, 6> kTipos{"CONDUIT", "PUMP",   "ORIFICE",
                                                            "WEIR",    "OUTLET", "DUMMY"};
    for (const std::string_view t : kTipos) {
        if (s == t)
            return true;
    }
    return false;
}

bool soloGuiones(std::string_view s) {
    return !s.empty() && s.find_first_not_of('-') == std::string_view::npos;
}

} // namespace

InformeSwmm informeSwmmDeBytes(std::string_view bytes, const QString& nombre) {
    const std::string texto = textoDeArchivo(bytes);
    InformeSwmm informe;
    std::optional<UnidadesCaudal> unidades;
    int numero = 0;
    const auto fallo = [&](const QString& que) {
        falloArchivo(
            QStringLiteral("El informe %1 no es válido: línea %2, tabla «%3»: %4.")
                .arg(entreComillas(nombre))
                .arg(numero)
                .arg(QString::fromUtf8(kTabla.data(), static_cast<qsizetype>(kTabla.size())), que));
    };
    // 0 before the table, 1 in its title and header, 2 in its rows, 3 after it.
    int estado = 0;
    int guiones = 0;
    size_t inicio = 0;
    const std::string_view t(texto);
    while (inicio <= t.size() && estado < 3) {
        size_t fin = t.find('\n', inicio);
        if (fin == std::string_view::npos)
            fin = t.size();
        const std::string_view linea = t.substr(inicio, fin - inicio);
        inicio = fin + 1;
        ++numero;
        const std::vector<std::string_view> tok = partir(linea);
        if (estado == 0) {
            if (tok.size() >= 4 && tok[0] == "Flow" && tok[1] == "Units" && !unidades) {
                unidades = unidadesDeNombre(tok.back());
                if (!unidades)
                    falloArchivo(
                        QStringLiteral("El informe %1 no es válido: línea %2: «%3» no "
                                       "es una unidad de caudal.")
                            .arg(entreComillas(nombre))
                            .arg(numero)
                            .arg(QString::fromUtf8(tok.back().data(),
                                                   static_cast<qsizetype>(tok.back().size()))));
            }
            if (linea.find(kTabla) != std::string_view::npos)
                estado = 1;
            continue;
        }
        if (estado == 1) {
            if (tok.size() == 1 && soloGuiones(tok[0]) && ++guiones == 2)
                estado = 2;
            else if (!unidades && guiones == 1 && tok.size() >= 3 && tok[0] == "Link")
                unidades = unidadesDeNombre(tok[2]);
            continue;
        }
        if (tok.empty() || (tok.size() == 1 && soloGuiones(tok[0]))) {
            estado = 3;
            continue;
        }
        // The link's name may hold blanks: the kind is the first known word after it.
        size_t k = 1;
        while (k < tok.size() && !esTipoDeEnlace(tok[k]))
            ++k;
        if (k + 1 >= tok.size())
            fallo(QStringLiteral("la fila no tiene enlace, tipo y caudal máximo"));
        std::string id(tok[0]);
        for (size_t j = 1; j < k; ++j)
            id.append(" ").append(tok[j]);
        FlujoInforme f;
        f.tipo.assign(tok[k]);
        f.linea = numero;
        const auto leer = [&](size_t j, const char* campo) {
            const std::optional<double> x = leerNumero(tok[j], '.');
            if (!x)
                fallo(QStringLiteral("«%1» no es un número (%2)")
                          .arg(QString::fromUtf8(tok[j].data(),
                                                 static_cast<qsizetype>(tok[j].size())),
                               QString::fromUtf8(campo)));
            return *x;
        };
        f.caudalEnUnidades = leer(k + 1, "caudal máximo");
        // A conduit's row: flow, days, hr:min, velocity, Max/Full Flow, Max/Full Depth.
        if (f.tipo == "CONDUIT") {
            if (tok.size() != k + 7)
                fallo(QStringLiteral("la fila del conducto «%1» no tiene las siete columnas")
                          .arg(QString::fromStdString(id)));
            f.maxLleno = leer(k + 5, "Max/Full Flow");
        }
        const auto [it, nuevo] = informe.enlaces.try_emplace(id, f);
        if (!nuevo)
            fallo(QStringLiteral("el enlace «%1» ya está en la línea %2")
                      .arg(QString::fromStdString(id))
                      .arg(it->second.linea));
    }
    if (estado < 2) {
        falloArchivo(
            QStringLiteral("El informe %1 no es válido: no tiene la tabla «%2».")
                .arg(entreComillas(nombre),
                     QString::fromUtf8(kTabla.data(), static_cast<qsizetype>(kTabla.size()))));
    }
    if (!unidades)
        falloArchivo(QStringLiteral("El informe %1 no es válido: no dice sus unidades de caudal.")
                         .arg(entreComillas(nombre)));
    informe.unidades = *unidades;
    const double factor = factorCaudal(*unidades);
    for (auto& [id, f] : informe.enlaces)
        f.caudal = f.caudalEnUnidades * factor;
    return informe;
}

InformeSwmm leerInformeSwmm(const QByteArray& rutaNativa) {
    const QString nombre = nombreVisible(rutaNativa);
    const QByteArray bytes = leerArchivoEntero(rutaNativa, nombre, kMaximoInforme);
    return informeSwmmDeBytes(
        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), nombre);
}

} // namespace colvero
