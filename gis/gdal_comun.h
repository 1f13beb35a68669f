#pragma once
// What the GIS reader and writer share: GDAL's messages caught for the length of a call, and
// field names compared as the network table compares its columns.
#include <cpl_error.h>
#include <gdal_priv.h>

#include <QString>

#include <string>

namespace colvero::gis {

// While alive, GDAL's errors and warnings go to this object instead of stderr; the last error
// (not warning) is kept to explain a failure. Errors are per thread in GDAL, so is this.
class CapturaErrores {
public:
    CapturaErrores();
    ~CapturaErrores();
    CapturaErrores(const CapturaErrores&) = delete;
    CapturaErrores& operator=(const CapturaErrores&) = delete;

    // ": <GDAL's message>" for the last error, or nothing.
    std::string causa() const;
    void olvidar() { ultimo_.clear(); }

private:
    static void CPL_STDCALL recibir(CPLErr clase, CPLErrorNum numero, const char* mensaje);
    std::string ultimo_;
};

// Registers GDAL's drivers once.
void registrarDrivers();

} // namespace colvero::gis
