#pragma once
// The hand-written writers of colvero-check's output: JSON strings and summary texts with the
// bytes Qt's own writers give, and the buffer that hands the output to the device.
#include <QIODevice>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace colvero::cli {

// Appends `texto` (UTF-8) as a JSON string with the escapes Qt's writer uses: the two-letter
// forms for \b \f \n \r \t, \u00xx (lower-case hex) for the other control characters, and
// UTF-8 for the rest. Bytes that are not UTF-8 become U+FFFD, as QString makes them.
void anadirCadenaJson(std::string& d, std::string_view texto);

// Opens the JSON object of one file: {"archivo": …. With an `error`, the file has no other key:
// the error is written, the object closed, and true returned.
bool abrirJsonDeArchivo(std::string& d, const QString& archivo,
                        const std::optional<std::string>& error);

// Appends `texto` as Qt would write it after reading it as UTF-8.
void anadirTexto(std::string& d, std::string_view texto);

// Collects the output and hands it to the device in large pieces.
class Salida {
public:
    explicit Salida(QIODevice& dispositivo) : dispositivo_(dispositivo) {
        texto_.reserve(2 * kTrozo);
    }
    ~Salida() { vaciar(); }
    Salida(const Salida&) = delete;
    Salida& operator=(const Salida&) = delete;

    std::string& texto() { return texto_; }

    // Called after each file: writes once a piece is full.
    void quizaVaciar() {
        if (texto_.size() >= kTrozo) {
            vaciar();
        }
    }

    void vaciar() {
        if (!texto_.empty()) {
            dispositivo_.write(texto_.data(), static_cast<qint64>(texto_.size()));
            texto_.clear();
        }
    }

private:
    static constexpr size_t kTrozo = size_t{64} * 1024;
    QIODevice& dispositivo_;
    std::string texto_;
};

} // namespace colvero::cli
