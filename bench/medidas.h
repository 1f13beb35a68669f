#pragma once
// What the window benchmarks measure besides their own steps: the process's peak memory and
// a timer's milliseconds.
#include <QElapsedTimer>

#include <fstream>
#include <string>

namespace colvero::bench {

// The peak resident memory (VmHWM) in KiB; -1 where /proc does not tell it.
inline long picoDeMemoriaKb() {
    std::ifstream estado("/proc/self/status");
    std::string linea;
    while (std::getline(estado, linea)) {
        if (linea.rfind("VmHWM:", 0) == 0)
            return std::stol(linea.substr(6));
    }
    return -1;
}

inline double ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace colvero::bench
