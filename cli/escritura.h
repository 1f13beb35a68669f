#pragma once
// The hand-written writers of colvero-check's output: JSON strings and summary texts with the
// bytes Qt's own writers give, and the buffer that hands the output to the device.
#include "check/calcular.h"

#include <QIODevice>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace colvero::cli {

// The computed fields of each condition after a run, with the caption the window puts
// beside them.
struct Valor {
    const char* etiqueta;
    const std::string CamposCalculados::*campo;
};

inline const std::array<std::vector<Valor>, 10> kValores{{
    {{"Qll (m3/s)", &CamposCalculados::Text37}},
    {{"v2 (m/s)", &CamposCalculados::Text38}},
    {{"v3 (m/s)", &CamposCalculados::Text47}},
    {{"y/D4 (%)", &CamposCalculados::Text52}},
    {{"Rh (m)", &CamposCalculados::Text55}, {"dp (mm)", &CamposCalculados::Text19}},
    {{"F6", &CamposCalculados::Text59}},
    {{"F7", &CamposCalculados::Text60}},
    {{"i (m/m)", &CamposCalculados::Text62}},
    {{"i (m/m)", &CamposCalculados::Text61}},
    {{"v10 (m/s)", &CamposCalculados::Text73}},
}};

// Appends `texto` (UTF-8) as a JSON string with the escapes Qt's writer uses: the two-letter
// forms for \b \f \n \r \t, \u00xx (lower-case hex) for the other control characters, and
// UTF-8 for the rest. Bytes that are not UTF-8 become U+FFFD, as QString makes them.
void anadirCadenaJson(std::string& d, std::string_view texto);

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
