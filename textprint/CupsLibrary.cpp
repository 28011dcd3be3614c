#include "textprint/CupsLibrary.h"

#include <dlfcn.h>

namespace vx {

bool CupsLibrary::load(std::string& error) {
    void* lib = ::dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) {
        error = std::string("cannot load the printing library: ") + ::dlerror();
        return false;
    }
    bool all = true;
    auto find = [&](auto& function, const char* name) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(lib, name));
        all = all && function != nullptr;
    };
    find(getNamedDest, "cupsGetNamedDest");
    find(copyDestInfo, "cupsCopyDestInfo");
    find(findDestDefault, "cupsFindDestDefault");
    find(ippGetString, "ippGetString");
    find(mediaForPwg, "pwgMediaForPWG");
    find(mediaForPpd, "pwgMediaForPPD");
    find(freeDestInfo, "cupsFreeDestInfo");
    find(freeDests, "cupsFreeDests");
    find(createDestJob, "cupsCreateDestJob");
    find(startDestDocument, "cupsStartDestDocument");
    find(writeRequestData, "cupsWriteRequestData");
    find(finishDestDocument, "cupsFinishDestDocument");
    find(cancelDestJob, "cupsCancelDestJob");
    find(lastErrorString, "cupsLastErrorString");
    find(lastError, "cupsLastError");
    find(server, "cupsServer");
    find(port, "ippPort");
    find(encryption, "cupsEncryption");
    find(connect, "httpConnect2");
    find(close, "httpClose");
    if (!all) error = "the printing library lacks a call textprint needs";
    return all;
}

}  // namespace vx
