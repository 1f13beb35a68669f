#pragma once
// The network table: one row per reach of a sewer network, as a spreadsheet saves it in CSV.
// A header row names the columns (case and accents ignored); the fields are separated by ";"
// with decimal commas, or by "," with decimal points, as the header line shows; RFC 4180
// quoting; UTF-8 with or without byte-order mark, or Windows-1252 (UTF-16 is refused); CR LF
// or LF line ends, or lone CRs when the header ends with one. A quote still open at the end of
// the table, or a quoted number over several lines, refuses the table: it is a stray quote.
//
// The table is read twice: a first pass settles the encoding and refuses a table without rows
// or with a repeated reach before any row is handed out; the second hands out the rows one by
// one, so memory does not grow with the rows (but for 8 bytes a row in the first pass).
#include <QByteArray>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace colvero {

// The columns the program knows; every other column is kept as it is.
enum class ColumnaRed { Tramo, D, n, i, Q, Q1, Q2, Q3, Q4, Q5, Q6, Q7, Nombre, Criterio, Serie };
inline constexpr int kColumnasRed = 15;

struct DialectoRed {
    char campos = ';';  // between fields
    char decimal = ','; // decimal separator of the numbers
};

enum class CodificacionRed { Utf8ConMarca, Utf8, Windows1252 };

struct CabeceraRed {
    DialectoRed dialecto;
    CodificacionRed codificacion = CodificacionRed::Utf8;
    std::vector<std::string> nombres; // the header cells as written, UTF-8
    // Index of each known column in `nombres`, -1 when absent; by ColumnaRed.
    std::array<int, kColumnasRed> indice{};
    qint64 filas = 0; // rows of reaches (blank rows not counted)

    int columna(ColumnaRed c) const { return indice[static_cast<size_t>(c)]; }
};

struct FilaRed {
    int numero = 0;                  // as a spreadsheet numbers it: the header is row 1
    std::vector<std::string> celdas; // UTF-8, as many as the header has
    std::string error;               // what is wrong with the row as a whole; empty when fine
};

// "campos separados por «;», coma decimal (UTF-8)", for the summary.
QString describir(const CabeceraRed& cabecera);

class LectorRed {
public:
    // Opens the table and reads it through once. A table that cannot be read, or is refused
    // (no header, a repeated or missing column, no rows, a repeated reach), raises ErrorArchivo.
    explicit LectorRed(const QByteArray& rutaNativa);
    ~LectorRed();
    LectorRed(const LectorRed&) = delete;
    LectorRed& operator=(const LectorRed&) = delete;

    const CabeceraRed& cabecera() const;
    // The next row of a reach; false after the last.
    bool siguiente(FilaRed& fila);

    struct Datos;

private:
    std::unique_ptr<Datos> d_;
};

// A cell of `dialecto`, quoted when it must be.
void anadirCeldaCsv(std::string& destino, std::string_view celda, const DialectoRed& dialecto);

// A column or field name without case, accents or surrounding blanks, as headers are matched.
QString normalizarNombreDeColumna(const std::string& nombre);

// The known column a header name names, as a table's header is read ("Criterio", "Q1 (m3/s)");
// nothing for any other name.
std::optional<ColumnaRed> columnaDeNombre(const std::string& nombre);

} // namespace colvero
