#include "gis/gdal_comun.h"

#include <mutex>

namespace colvero::gis {

CapturaErrores::CapturaErrores() {
    CPLPushErrorHandlerEx(&CapturaErrores::recibir, this);
}

CapturaErrores::~CapturaErrores() {
    CPLPopErrorHandler();
    CPLErrorReset();
}

void CPL_STDCALL CapturaErrores::recibir(CPLErr clase, CPLErrorNum, const char* mensaje) {
    auto* yo = static_cast<CapturaErrores*>(CPLGetErrorHandlerUserData());
    if (yo && clase >= CE_Failure && mensaje)
        yo->ultimo_ = mensaje;
}

std::string CapturaErrores::causa() const {
    return ultimo_.empty() ? std::string() : ": " + ultimo_;
}

void registrarDrivers() {
    static std::once_flag una;
    std::call_once(una, [] { GDALAllRegister(); });
}

} // namespace colvero::gis
