#pragma once

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
// clang-format on

#include <functional>
#include <string>
#include <vector>

namespace vx {

// The list as an OLE drop target for file names (CF_HDROP). Anything else is refused; a
// drop is only ever reported as a copy, so no source moves or deletes the user's files.
class DropTarget final : public IDropTarget {
  public:
    explicit DropTarget(std::function<void(const std::vector<std::string>&)> dropped)
        : dropped_(std::move(dropped)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at,
                                   DWORD* effect) override;

    // The paths of a CF_HDROP block, in its order.
    static std::vector<std::string> Paths(HDROP drop);

  private:
    static bool OffersFiles(IDataObject* data);
    static DWORD Copy(DWORD allowed) { return allowed & DROPEFFECT_COPY; }

    std::function<void(const std::vector<std::string>&)> dropped_;
    LONG references_ = 1;
    bool files_ = false;
};

}  // namespace vx
