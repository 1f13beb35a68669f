#include "files/red.h"

#include "check/recorte.h"
#include "files/archivos.h"
#include "files/lectura.h"

#include <QChar>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace colvero {
namespace {

// A row longer than this is not a reach: its bytes beyond are skipped, not buffered.
constexpr size_t kLargoMaximoFila = size_t{1} << 20;
// A table that is not a plain file (a pipe) is held in memory to be read twice.
constexpr qint64 kTablaEnMemoriaMaxima = qint64{1} << 30;

// The bytes of the table, read in pieces from the start as often as needed.
class Fuente {
public:
    Fuente(const QByteArray& ruta, const QString& nombre)
        : nombre_(nombre), fd_(abrirParaLeer(ruta, nombre, tamano_)) {
        struct stat st;
        if (::fstat(fd_.get(), &st) == 0 && !S_ISREG(st.st_mode)) {
            leerTodo();
            enMemoria_ = true;
        }
        reiniciar();
    }

    void reiniciar() {
        if (enMemoria_) {
            bloque_ = 0;
            p_ = fin_ = nullptr;
            return;
        }
        if (::lseek(fd_.get(), 0, SEEK_SET) < 0)
            falloArchivo(QStringLiteral("No se puede leer el archivo %1: %2.")
                             .arg(entreComillas(nombre_), causaDelError(errno)));
        p_ = fin_ = buffer_.data();
    }

    int get() {
        if (p_ == fin_ && !llenar())
            return -1;
        return static_cast<unsigned char>(*p_++);
    }
    int peek() {
        if (p_ == fin_ && !llenar())
            return -1;
        return static_cast<unsigned char>(*p_);
    }

private:
    bool llenar() {
        if (enMemoria_) {
            if (bloque_ == memoria_.size())
                return false;
            const QByteArray& b = memoria_[bloque_++];
            p_ = b.constData();
            fin_ = p_ + b.size();
            return true;
        }
        const size_t n = leerTrozo(fd_, buffer_.data(), buffer_.size(), nombre_);
        p_ = buffer_.data();
        fin_ = p_ + n;
        return n > 0;
    }

    // Into blocks of fixed capacity, counted as they fill: no block is ever moved, so memory
    // never holds more than the limit and one block.
    void leerTodo() {
        qint64 total = 0;
        for (;;) {
            if (memoria_.empty() || memoria_.back().size() == kBloque) {
                memoria_.emplace_back();
                memoria_.back().reserve(kBloque);
            }
            QByteArray& b = memoria_.back();
            const auto hueco = std::min<qsizetype>(kBloque - b.size(), qsizetype{sizeof buffer_});
            const size_t n = leerTrozo(fd_, buffer_.data(), static_cast<size_t>(hueco), nombre_);
            if (n == 0) {
                if (b.isEmpty())
                    memoria_.pop_back();
                return;
            }
            total += static_cast<qint64>(n);
            if (total > kTablaEnMemoriaMaxima)
                falloArchivo(QStringLiteral("El archivo %1 no es válido: pasa de %2 bytes.")
                                 .arg(entreComillas(nombre_))
                                 .arg(kTablaEnMemoriaMaxima));
            b.append(buffer_.data(), static_cast<qsizetype>(n));
        }
    }

    static constexpr qsizetype kBloque = qsizetype{1} << 20;

    QString nombre_;
    qint64 tamano_ = 0;
    Descriptor fd_;
    bool enMemoria_ = false;
    std::vector<QByteArray> memoria_;
    size_t bloque_ = 0; // the next block to read
    std::array<char, 64 * 1024> buffer_{};
    const char* p_ = nullptr;
    const char* fin_ = nullptr;
};

enum class Defecto { Ninguno, ComillasSinCerrar, TextoTrasComillas, DemasiadoLarga };

// A quoted field over several lines, or one whose quotes never close.
struct ComillasLargas {
    int columna = -1; // -1: none in the record
    qint64 desde = 0; // line of the opening quote (1 is the first line of the file)
    qint64 hasta = 0; // line of the closing quote, or of the last byte when open
    bool abiertas = false;
};

// RFC 4180 records on bytes; the separators are ASCII, so this works for UTF-8 and
// Windows-1252 alike. A line end is LF or CR LF, or a lone CR in a table whose header ends
// with one (old Mac files); a quoted field may hold any of them.
class LectorCsv {
public:
    LectorCsv(Fuente& f, char separador, bool soloCr = false)
        : f_(&f), sep_(separador), soloCr_(soloCr) {}

    // False at the end of the bytes. `vacio` tells a record of empty unquoted fields only.
    bool registro(std::vector<std::string>& celdas, Defecto& defecto, bool& vacio) {
        celdas.clear();
        defecto = Defecto::Ninguno;
        vacio = true;
        largo_ = 0;
        comillas_ = ComillasLargas{};
        int c = leer();
        if (c < 0)
            return false;
        for (;;) {
            std::string campo;
            if (c == '"') {
                vacio = false;
                const qint64 abiertas = lineaUltimo_;
                for (;;) {
                    c = leer();
                    if (c < 0) {
                        defecto = Defecto::ComillasSinCerrar;
                        break;
                    }
                    if (c == '"') {
                        if (f_->peek() != '"') {
                            c = leer();
                            break;
                        }
                        leer();
                    }
                    anadir(campo, static_cast<char>(c), defecto);
                }
                const bool sinCerrar = defecto == Defecto::ComillasSinCerrar;
                if (comillas_.columna < 0 && (sinCerrar || lineaCierre_ != abiertas)) {
                    comillas_ = {static_cast<int>(celdas.size()), abiertas,
                                 sinCerrar ? lineaUltimo_ : lineaCierre_, sinCerrar};
                }
                // Text after the closing quote is kept, as spreadsheets do, but marked.
                if (c >= 0 && c != sep_ && c != '\n' && !finConCr(c) && defecto == Defecto::Ninguno)
                    defecto = Defecto::TextoTrasComillas;
            }
            while (c >= 0 && c != sep_ && c != '\n') {
                if (finConCr(c)) {
                    if (f_->peek() == '\n')
                        leer();
                    c = '\n';
                    break;
                }
                vacio = false;
                anadir(campo, static_cast<char>(c), defecto);
                c = leer();
            }
            celdas.push_back(std::move(campo));
            if (c != sep_)
                return true;
            c = leer();
        }
    }

    const ComillasLargas& comillas() const { return comillas_; }

private:
    // A byte, counting lines: LF, CR LF and a lone CR each end one.
    int leer() {
        const int c = f_->get();
        if (c < 0)
            return c;
        lineaUltimo_ = linea_;
        if (c == '"')
            lineaCierre_ = linea_;
        if (c == '\n' || (c == '\r' && f_->peek() != '\n'))
            ++linea_;
        return c;
    }

    bool finConCr(int c) { return c == '\r' && (soloCr_ || f_->peek() == '\n'); }

    void anadir(std::string& campo, char c, Defecto& defecto) {
        if (++largo_ > kLargoMaximoFila) {
            defecto = Defecto::DemasiadoLarga;
            return;
        }
        campo += c;
    }

    Fuente* f_;
    char sep_;
    bool soloCr_;
    size_t largo_ = 0;
    qint64 linea_ = 1;       // the line of the next byte
    qint64 lineaUltimo_ = 1; // the line of the last byte read
    qint64 lineaCierre_ = 1; // the line of the last quote read
    ComillasLargas comillas_;
};

// The text that tells reaches apart: without blanks around it or invisible characters
// anywhere, which would make two names that print alike count as two. On the bytes, before
// the encoding is known: the invisible characters are ASCII controls or UTF-8 sequences that
// no Windows-1252 name holds.
std::string claveDeTramo(std::string_view celda) {
    return std::string(recortar(sinInvisibles(recortar(celda))));
}

// FNV-1a, 64 bits.
std::uint64_t huella(std::string_view s) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

constexpr std::array<const char*, kColumnasRed> kNombresColumnas{
    "tramo", "d",  "n",  "i",  "q",      "q1",       "q2",   "q3",
    "q4",    "q5", "q6", "q7", "nombre", "criterio", "serie"};

// A normalised header name split into the column's name and the unit a spreadsheet writes after
// it in parentheses or brackets ("d (m)", "q1 [m3/s]"); the unit without blanks, "³" as "3".
struct NombreYUnidad {
    QString nombre;
    std::optional<QString> unidad;
};

NombreYUnidad separarUnidad(const QString& n) {
    for (const auto& [abre, cierra] : {std::pair{u'(', u')'}, std::pair{u'[', u']'}}) {
        const qsizetype k = n.indexOf(abre);
        if (k > 0 && n.endsWith(cierra)) {
            QString unidad = n.mid(k + 1, n.size() - k - 2);
            unidad.remove(u' ').remove(u'\t').replace(u'\u00B3', u'3');
            return {n.left(k).trimmed(), unidad};
        }
    }
    return {n, std::nullopt};
}

// The units each numeric column is read in, as a header may write them; the first one is the
// one messages name. Text columns take none.
std::vector<QString> unidadesDe(ColumnaRed c) {
    switch (c) {
    case ColumnaRed::D:
        return {QStringLiteral("m")};
    case ColumnaRed::n:
        return {QStringLiteral("s/m1/3"),    QStringLiteral("-"),       QStringLiteral("s/m^1/3"),
                QStringLiteral("s/m^(1/3)"), QStringLiteral("s·m-1/3"), QStringLiteral("s·m^-1/3")};
    case ColumnaRed::i:
        return {QStringLiteral("m/m")};
    case ColumnaRed::Tramo:
    case ColumnaRed::Nombre:
    case ColumnaRed::Criterio:
    case ColumnaRed::Serie:
        return {};
    default:
        return {QStringLiteral("m3/s"), QStringLiteral("m^3/s")};
    }
}

// The column's name as the help writes it: "D", "n", "i", "Q1".
QString comoSeEscribe(ColumnaRed c) {
    const QString n = QLatin1String(kNombresColumnas[static_cast<size_t>(c)]);
    return c == ColumnaRed::n || c == ColumnaRed::i ? n : n.toUpper();
}

// "falta la columna D (la cabecera tiene «tramo», «diam»; ...)": what was read and what is read.
QString columnaQueFalta(const QString& falta, const std::vector<std::string>& nombres) {
    constexpr size_t kMostrados = 12;
    QString leidas;
    for (size_t k = 0; k < nombres.size() && k < kMostrados; ++k) {
        if (k > 0)
            leidas += QStringLiteral(", ");
        leidas += QStringLiteral("«%1»").arg(QString::fromStdString(nombres[k]).trimmed());
    }
    if (nombres.size() > kMostrados)
        leidas += QStringLiteral(" y %1 más").arg(nombres.size() - kMostrados);
    return QStringLiteral("falta la columna %1 (la cabecera tiene %2; se leen las columnas "
                          "tramo, D (m), n, i (m/m) y Q o Q1 a Q7 (m3/s), con la unidad entre "
                          "paréntesis o sin ella, y las opcionales nombre, criterio y serie)")
        .arg(falta, leidas);
}

// The known column a normalised header name names; -1 for any other column.
int columnaConocida(const QString& normalizado) {
    for (int c = 0; c < kColumnasRed; ++c) {
        if (normalizado == QLatin1String(kNombresColumnas[static_cast<size_t>(c)]))
            return c;
    }
    return -1;
}

bool esNumerica(int columna) {
    return columna >= static_cast<int>(ColumnaRed::D) &&
           columna <= static_cast<int>(ColumnaRed::Q7);
}

struct LineaDeCabecera {
    char separador = ','; // ";" when the line holds one outside quotes
    bool soloCr = false;  // the line ends with a lone CR
};

LineaDeCabecera lineaDeCabecera(Fuente& f) {
    LineaDeCabecera l;
    bool entreComillas = false;
    for (int c = f.get(); c >= 0; c = f.get()) {
        if (c == '"') {
            entreComillas = !entreComillas;
        } else if (c == ';' && !entreComillas) {
            l.separador = ';';
        } else if (!entreComillas && (c == '\n' || c == '\r')) {
            l.soloCr = c == '\r' && f.peek() != '\n';
            break;
        }
    }
    return l;
}

// Text of UTF-16, by its byte-order mark or by ASCII letters with a NUL byte each.
bool pareceUtf16(Fuente& f) {
    int b[4];
    for (int& x : b)
        x = f.get();
    if ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))
        return true;
    const auto ascii = [](int x) { return x > 0 && x < 0x80; };
    return (ascii(b[0]) && b[1] == 0 && ascii(b[2]) && b[3] == 0) ||
           (b[0] == 0 && ascii(b[1]) && b[2] == 0 && ascii(b[3]));
}

std::string mensajeDefecto(Defecto d) {
    switch (d) {
    case Defecto::ComillasSinCerrar:
        return "unas comillas no se cierran";
    case Defecto::TextoTrasComillas:
        return "hay texto tras las comillas de cierre de un campo";
    case Defecto::DemasiadoLarga:
        return "la fila es demasiado larga";
    case Defecto::Ninguno:
        break;
    }
    return {};
}

} // namespace

std::optional<ColumnaRed> columnaDeNombre(const std::string& nombre) {
    const int c = columnaConocida(separarUnidad(normalizarNombreDeColumna(nombre)).nombre);
    return c < 0 ? std::nullopt : std::optional(static_cast<ColumnaRed>(c));
}

QString normalizarNombreDeColumna(const std::string& nombre) {
    const QString s =
        QString::fromUtf8(nombre.data(), static_cast<qsizetype>(nombre.size())).trimmed();
    QString sinMarcas;
    for (const QChar c : s.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            sinMarcas += c;
    }
    return sinMarcas.toCaseFolded();
}

struct LectorRed::Datos {
    QString nombre;
    Fuente fuente;
    LectorCsv csv;
    CabeceraRed cabecera;
    int fila = 1;
    std::vector<std::string> crudas;

    Datos(const QByteArray& ruta, const QString& n)
        : nombre(n), fuente(ruta, n), csv(fuente, ',') {}

    [[noreturn]] void rechazar(const QString& motivo) const {
        falloArchivo(
            QStringLiteral("La tabla %1 no es válida: %2.").arg(entreComillas(nombre), motivo));
    }

    // A quoted field of `fila` still open at the end, or over several lines of a number.
    [[noreturn]] void rechazarComillas(const ComillasLargas& q, int fila,
                                       const QString& columna) const {
        const qint64 lineas = q.hasta - q.desde + 1;
        if (q.abiertas)
            rechazar(QStringLiteral("las comillas abiertas en la fila %1, columna %2 (línea %3), "
                                    "no se cierran: llegan al final del archivo, en la línea %4, "
                                    "y ocupan %5 líneas")
                         .arg(fila)
                         .arg(columna)
                         .arg(q.desde)
                         .arg(q.hasta)
                         .arg(lineas));
        rechazar(QStringLiteral("las comillas abiertas en la fila %1, columna %2 (línea %3), se "
                                "cierran en la línea %4 y ocupan %5 líneas, pero un número no "
                                "lleva saltos de línea: sobran o faltan unas comillas")
                     .arg(fila)
                     .arg(columna)
                     .arg(q.desde)
                     .arg(q.hasta)
                     .arg(lineas));
    }

    std::string decodificar(const std::string& bytes) const {
        if (esAscii(bytes))
            return bytes;
        std::string s;
        if (cabecera.codificacion == CodificacionRed::Windows1252)
            anadirWindows1252(s, bytes, tablaWindows1252());
        else
            anadirUtf8(s, bytes);
        return s;
    }

    // After the byte-order mark, if any.
    void alPrincipio(bool conMarca) {
        fuente.reiniciar();
        if (conMarca) {
            for (int k = 0; k < 3; ++k)
                fuente.get();
        }
    }
};

LectorRed::LectorRed(const QByteArray& ruta)
    : d_(std::make_unique<Datos>(ruta, nombreVisible(ruta))) {
    Datos& d = *d_;
    CabeceraRed& cab = d.cabecera;
    if (pareceUtf16(d.fuente))
        d.rechazar(QStringLiteral("está en UTF-16, que no se lee; guárdela como CSV en UTF-8 "
                                  "(en la hoja de cálculo, «CSV UTF-8»)"));
    d.fuente.reiniciar();
    const bool conMarca =
        d.fuente.get() == 0xEF && d.fuente.get() == 0xBB && d.fuente.get() == 0xBF;
    d.alPrincipio(conMarca);
    const LineaDeCabecera linea = lineaDeCabecera(d.fuente);
    cab.dialecto = linea.separador == ';' ? DialectoRed{';', ','} : DialectoRed{',', '.'};
    d.csv = LectorCsv(d.fuente, cab.dialecto.campos, linea.soloCr);

    // First pass: the header, the encoding, the number of rows and the fingerprints of the
    // reaches.
    d.alPrincipio(conMarca);
    std::vector<std::string> celdas;
    Defecto defecto;
    bool vacio;
    if (!d.csv.registro(celdas, defecto, vacio) || vacio)
        d.rechazar(QStringLiteral("no tiene fila de cabecera"));
    if (defecto != Defecto::Ninguno)
        d.rechazar(QStringLiteral("en la cabecera %1")
                       .arg(QString::fromStdString(mensajeDefecto(defecto))));
    std::vector<std::string> cabeceraCruda = celdas;
    bool utf8 = std::all_of(celdas.begin(), celdas.end(),
                            [](const std::string& s) { return esUtf8Valido(s); });
    const auto columnas = static_cast<size_t>(celdas.size());
    cab.indice.fill(-1);

    std::vector<std::uint64_t> huellas;
    // The encoding of the whole table is known only after this pass: the header cell of the
    // reaches is found on its own encoding ("Trámo" in either).
    // So are the numeric columns, where a quoted field over several lines is a stray quote.
    int columnaTramo = -1;
    std::vector<QString> primeros; // the header cells, decoded each on its own
    std::vector<bool> numerica(columnas);
    for (size_t k = 0; k < columnas; ++k) {
        std::string nombre;
        if (esUtf8Valido(celdas[k]))
            nombre = celdas[k];
        else
            anadirWindows1252(nombre, celdas[k], tablaWindows1252());
        const int conocida =
            columnaConocida(separarUnidad(normalizarNombreDeColumna(nombre)).nombre);
        if (columnaTramo < 0 && conocida == static_cast<int>(ColumnaRed::Tramo))
            columnaTramo = static_cast<int>(k);
        numerica[k] = esNumerica(conocida);
        primeros.push_back(QString::fromStdString(textoVisible(recortar(nombre))));
    }
    int fila = 1;
    while (d.csv.registro(celdas, defecto, vacio)) {
        ++fila;
        const ComillasLargas& q = d.csv.comillas();
        if (q.abiertas || (q.columna >= 0 && static_cast<size_t>(q.columna) < columnas &&
                           numerica[static_cast<size_t>(q.columna)])) {
            d.rechazarComillas(q, fila,
                               static_cast<size_t>(q.columna) < columnas
                                   ? primeros[static_cast<size_t>(q.columna)]
                                   : QString::number(q.columna + 1));
        }
        if (vacio)
            continue;
        ++cab.filas;
        for (const std::string& c : celdas)
            utf8 = utf8 && esUtf8Valido(c);
        if (columnaTramo >= 0 && static_cast<size_t>(columnaTramo) < celdas.size()) {
            const std::string t = claveDeTramo(celdas[static_cast<size_t>(columnaTramo)]);
            if (!t.empty())
                huellas.push_back(huella(t));
        }
    }
    cab.codificacion = conMarca ? CodificacionRed::Utf8ConMarca
                       : utf8   ? CodificacionRed::Utf8
                                : CodificacionRed::Windows1252;

    for (size_t k = 0; k < columnas; ++k) {
        cab.nombres.push_back(d.decodificar(cabeceraCruda[k]));
        const auto [nombre, unidad] = separarUnidad(normalizarNombreDeColumna(cab.nombres.back()));
        const int c = columnaConocida(nombre);
        if (c < 0)
            continue;
        const QString visible =
            QString::fromStdString(textoVisible(recortar(cab.nombres.back(), kEspacios)));
        if (unidad) {
            const std::vector<QString> unidades = unidadesDe(static_cast<ColumnaRed>(c));
            // A text column with a unit is some other column, kept as it is.
            if (unidades.empty())
                continue;
            if (std::find(unidades.begin(), unidades.end(), *unidad) == unidades.end())
                d.rechazar(QStringLiteral("la columna «%1» está en %2, y %3 se lee en %4: "
                                          "pase los valores a %4 y escriba la cabecera "
                                          "«%3 (%4)» o «%3»")
                               .arg(visible, *unidad, comoSeEscribe(static_cast<ColumnaRed>(c)),
                                    unidades.front()));
        }
        if (cab.indice[static_cast<size_t>(c)] >= 0)
            d.rechazar(QStringLiteral("la columna %1 aparece dos veces").arg(visible));
        cab.indice[static_cast<size_t>(c)] = static_cast<int>(k);
    }
    for (const ColumnaRed c : {ColumnaRed::Tramo, ColumnaRed::D, ColumnaRed::n, ColumnaRed::i}) {
        if (cab.columna(c) < 0)
            d.rechazar(columnaQueFalta(
                QLatin1String(c == ColumnaRed::D ? "D" : kNombresColumnas[static_cast<size_t>(c)]),
                cab.nombres));
    }
    bool algunCaudal = false;
    for (int c = static_cast<int>(ColumnaRed::Q); c <= static_cast<int>(ColumnaRed::Q7); ++c)
        algunCaudal = algunCaudal || cab.indice[static_cast<size_t>(c)] >= 0;
    if (!algunCaudal)
        d.rechazar(columnaQueFalta(QStringLiteral("de caudal (Q, o Q1 a Q7)"), cab.nombres));
    if (cab.filas == 0)
        d.rechazar(QStringLiteral("no tiene filas de tramos"));

    // A repeated fingerprint is confirmed on the texts themselves, in one more pass.
    std::sort(huellas.begin(), huellas.end());
    std::vector<std::uint64_t> repetidas;
    for (size_t k = 1; k < huellas.size(); ++k) {
        if (huellas[k] == huellas[k - 1] && (repetidas.empty() || repetidas.back() != huellas[k]))
            repetidas.push_back(huellas[k]);
    }
    huellas = {};
    if (!repetidas.empty()) {
        struct Visto {
            int fila;
            std::string texto;
        };
        std::map<std::string, Visto, std::less<>> vistos;
        d.alPrincipio(conMarca);
        d.csv.registro(celdas, defecto, vacio);
        fila = 1;
        while (d.csv.registro(celdas, defecto, vacio)) {
            ++fila;
            if (vacio || static_cast<size_t>(columnaTramo) >= celdas.size())
                continue;
            const std::string& celda = celdas[static_cast<size_t>(columnaTramo)];
            std::string clave = claveDeTramo(celda);
            if (clave.empty() ||
                !std::binary_search(repetidas.begin(), repetidas.end(), huella(clave)))
                continue;
            const std::string texto(recortar(celda));
            const auto [it, nuevo] = vistos.emplace(std::move(clave), Visto{fila, texto});
            if (nuevo)
                continue;
            const auto visible = [&](const std::string& t) {
                return QString::fromStdString(textoVisible(d.decodificar(t)));
            };
            if (it->second.texto == texto)
                d.rechazar(QStringLiteral("el tramo «%1» aparece en las filas %2 y %3")
                               .arg(visible(texto))
                               .arg(it->second.fila)
                               .arg(fila));
            d.rechazar(QStringLiteral("los tramos «%1» de la fila %2 y «%3» de la fila %4 solo se "
                                      "distinguen por caracteres invisibles")
                           .arg(visible(it->second.texto))
                           .arg(it->second.fila)
                           .arg(visible(texto))
                           .arg(fila));
        }
    }

    d.alPrincipio(conMarca);
    d.csv.registro(celdas, defecto, vacio);
}

LectorRed::~LectorRed() = default;

const CabeceraRed& LectorRed::cabecera() const {
    return d_->cabecera;
}

bool LectorRed::siguiente(FilaRed& fila) {
    Datos& d = *d_;
    Defecto defecto;
    bool vacio = true;
    while (vacio) {
        if (!d.csv.registro(d.crudas, defecto, vacio))
            return false;
        ++d.fila;
    }
    const size_t columnas = d.cabecera.nombres.size();
    fila.numero = d.fila;
    fila.error = mensajeDefecto(defecto);
    if (fila.error.empty() && d.crudas.size() != columnas)
        fila.error = "tiene " + std::to_string(d.crudas.size()) + " campos y la cabecera " +
                     std::to_string(columnas);
    d.crudas.resize(columnas);
    fila.celdas.resize(columnas);
    for (size_t k = 0; k < columnas; ++k)
        fila.celdas[k] = d.decodificar(d.crudas[k]);
    return true;
}

QString describir(const CabeceraRed& c) {
    const char* codificacion = c.codificacion == CodificacionRed::Utf8ConMarca
                                   ? "UTF-8 con marca de orden de bytes"
                               : c.codificacion == CodificacionRed::Utf8 ? "UTF-8"
                                                                         : "Windows-1252";
    return QStringLiteral("campos separados por «%1», %2 decimal (%3)")
        .arg(QLatin1Char(c.dialecto.campos))
        .arg(QLatin1String(c.dialecto.decimal == ',' ? "coma" : "punto"))
        .arg(QLatin1String(codificacion));
}

void anadirCeldaCsv(std::string& d, std::string_view celda, const DialectoRed& dialecto) {
    const bool comillas = celda.find_first_of(std::string{dialecto.campos, '"', '\n', '\r'}) !=
                          std::string_view::npos;
    if (!comillas) {
        d.append(celda);
        return;
    }
    d += '"';
    for (const char c : celda) {
        if (c == '"')
            d += '"';
        d += c;
    }
    d += '"';
}

} // namespace colvero
