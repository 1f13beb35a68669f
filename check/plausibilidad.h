#pragma once
// Values that read as numbers but almost certainly carry another unit than the one the program
// reads. Nothing here changes a result: the front ends only warn.

namespace colvero {

// m. No sewer pipe is this wide: a larger inner diameter is millimetres typed where metres go
// ("DN 300;300").
inline constexpr double kDiametroMaximoPlausible = 5.0;

inline bool pareceMilimetros(double diametro) {
    return diametro > kDiametroMaximoPlausible;
}

} // namespace colvero
