#include "platform/win32/Win32Printers.h"

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
#include <winspool.h>

#include <memory>

#include "platform/win32/WideText.h"

namespace vx {

namespace {

[[noreturn]] void Fail(long number, const std::string& description = {}) {
    throw PlatformError(number, description.empty() ? SystemMessage(number) : description);
}

// COM for this thread for the length of one call; a thread that already has it keeps it.
class ComScope {
  public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    HRESULT result_;
};

struct Releaser {
    void operator()(IUnknown* p) const { p->Release(); }
};

// The failure an automation call raised, with the object's own number and text when it gave them.
[[noreturn]] void FailInvoke(HRESULT hr, EXCEPINFO& info) {
    if (hr != DISP_E_EXCEPTION) Fail(hr);
    if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
    const long number = info.scode != 0 ? info.scode : info.wCode;
    std::string description;
    if (info.bstrDescription != nullptr)
        description = Narrow({info.bstrDescription, SysStringLen(info.bstrDescription)});
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    Fail(number != 0 ? number : hr, description);
}

}  // namespace

std::string Win32Printers::defaultPrinter() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    DWORD error = GetLastError();
    if (error == ERROR_INSUFFICIENT_BUFFER && size > 0) {
        std::wstring name(size, L'\0');
        if (GetDefaultPrinterW(name.data(), &size)) {
            name.resize(wcsnlen(name.c_str(), name.size()));
            return Narrow(name);
        }
        error = GetLastError();
    }
    if (error == ERROR_FILE_NOT_FOUND)
        Fail(static_cast<long>(error), "There is no default printer.");
    Fail(static_cast<long>(error));
}

void Win32Printers::setDefaultPrinter(const std::string& name) {
    // Windows has no "no default" to go back to: say so rather than pick some printer.
    if (name.empty()) Fail(ERROR_INVALID_PRINTER_NAME, "There was no default printer to put back.");
    try {
        SetThroughScriptHost(name);
    } catch (const PlatformError& scriptHost) {
        // Script Host may be off by policy or a stub: the spooler's own call does the same.
        const std::wstring wide = Widen(name);
        if (SetDefaultPrinterW(wide.c_str())) return;
        const long spooler = static_cast<long>(GetLastError());
        throw PlatformError(scriptHost.number(),
                            scriptHost.description() + "\r\n" + SystemMessage(spooler));
    }
}

void Win32Printers::SetThroughScriptHost(const std::string& name) {
    const ComScope com;
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"WScript.Network", &clsid);
    if (FAILED(hr)) Fail(hr);
    IDispatch* raw = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(&raw));
    if (FAILED(hr)) Fail(hr);
    const std::unique_ptr<IDispatch, Releaser> network(raw);

    wchar_t member[] = L"SetDefaultPrinter";
    LPOLESTR names[] = {member};
    DISPID id = 0;
    hr = network->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) Fail(hr);

    const std::wstring wide = Widen(name);
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (argument.bstrVal == nullptr) Fail(E_OUTOFMEMORY);
    DISPPARAMS params{&argument, nullptr, 1, 0};
    EXCEPINFO info{};
    UINT badArgument = 0;
    hr = network->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                         &info, &badArgument);
    VariantClear(&argument);
    if (FAILED(hr)) FailInvoke(hr, info);
}

}  // namespace vx
