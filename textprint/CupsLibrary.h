#pragma once

#include <cups/cups.h>

#include <string>

namespace vx {

// libcups, loaded only when a job goes to a printer: linked in, it and what it pulls in
// (TLS, Kerberos, service discovery) would cost every run of textprint its start-up time.
struct CupsLibrary {
    // False with `error` saying why when the library or one of its calls is missing.
    bool load(std::string& error);

    decltype(&::cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&::cupsCopyDestInfo) copyDestInfo = nullptr;
    decltype(&::cupsFindDestDefault) findDestDefault = nullptr;
    decltype(&::ippGetString) ippGetString = nullptr;
    decltype(&::pwgMediaForPWG) mediaForPwg = nullptr;
    decltype(&::pwgMediaForPPD) mediaForPpd = nullptr;
    decltype(&::cupsFreeDestInfo) freeDestInfo = nullptr;
    decltype(&::cupsFreeDests) freeDests = nullptr;
    decltype(&::cupsCreateDestJob) createDestJob = nullptr;
    decltype(&::cupsStartDestDocument) startDestDocument = nullptr;
    decltype(&::cupsWriteRequestData) writeRequestData = nullptr;
    decltype(&::cupsFinishDestDocument) finishDestDocument = nullptr;
    decltype(&::cupsCancelDestJob) cancelDestJob = nullptr;
    decltype(&::cupsLastErrorString) lastErrorString = nullptr;
    decltype(&::cupsLastError) lastError = nullptr;
    decltype(&::cupsServer) server = nullptr;
    decltype(&::ippPort) port = nullptr;
    decltype(&::cupsEncryption) encryption = nullptr;
    decltype(&::httpConnect2) connect = nullptr;
    decltype(&::httpClose) close = nullptr;
};

}  // namespace vx
