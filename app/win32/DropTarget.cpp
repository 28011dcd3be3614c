#include "app/win32/DropTarget.h"

#include <shellapi.h>

#include "platform/win32/WideText.h"

namespace vx {

namespace {
FORMATETC FileNames() {
    return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}
}  // namespace

HRESULT DropTarget::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG DropTarget::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

bool DropTarget::OffersFiles(IDataObject* data) {
    FORMATETC format = FileNames();
    return data != nullptr && data->QueryGetData(&format) == S_OK;
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    files_ = OffersFiles(data);
    *effect = files_ ? Copy(*effect) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    *effect = files_ ? Copy(*effect) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT DropTarget::DragLeave() {
    files_ = false;
    return S_OK;
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    files_ = false;
    FORMATETC format = FileNames();
    STGMEDIUM medium{};
    if (data == nullptr || data->GetData(&format, &medium) != S_OK) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    const std::vector<std::string> paths = Paths(static_cast<HDROP>(medium.hGlobal));
    ReleaseStgMedium(&medium);
    *effect = Copy(*effect);
    if (!paths.empty()) dropped_(paths);
    return S_OK;
}

std::vector<std::string> DropTarget::Paths(HDROP drop) {
    std::vector<std::string> paths;
    const UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
        paths.push_back(Narrow(path));
    }
    return paths;
}

}  // namespace vx
