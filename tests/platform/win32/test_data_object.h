// What tests need to drive Win32 drop targets without a user's drag: a data object offering
// ANSI text and/or a file list, as a drag source hands one over, and the target a window
// registered.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace win32test {

// Offers ANSI text and/or a file list in global memory; everything else is not implemented.
class TestDataObject : public IDataObject {
public:
    // The text block holds exactly these bytes, with no terminator unless the caller adds one.
    void offerText(const std::string& bytes) {
        text = bytes;
        hasText = true;
    }
    void offerFiles(const std::vector<std::string>& names) {
        files = names;
        hasFiles = true;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        HGLOBAL block = format->cfFormat == CF_TEXT ? textBlock() : fileBlock();
        if (!block) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!(format->tymed & TYMED_HGLOBAL) || format->dwAspect != DVASPECT_CONTENT) return DV_E_FORMATETC;
        if (format->cfFormat == CF_TEXT && hasText) return S_OK;
        if (format->cfFormat == CF_HDROP && hasFiles) return S_OK;
        return DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    static HGLOBAL blockOf(const std::vector<char>& bytes) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (!block) return nullptr;
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        return block;
    }
    HGLOBAL textBlock() const { return blockOf(std::vector<char>(text.begin(), text.end())); }
    // A DROPFILES header followed by the ANSI names, each terminated, and a final terminator.
    HGLOBAL fileBlock() const {
        DROPFILES header{};
        header.pFiles = sizeof(DROPFILES);
        header.fWide = FALSE;
        std::vector<char> bytes(sizeof header);
        std::memcpy(bytes.data(), &header, sizeof header);
        for (const auto& name : files) {
            bytes.insert(bytes.end(), name.begin(), name.end());
            bytes.push_back('\0');
        }
        bytes.push_back('\0');
        return blockOf(bytes);
    }

    std::string text;
    std::vector<std::string> files;
    bool hasText = false;
    bool hasFiles = false;
};

// The drop target registered for a window, none when it has none: RegisterDragDrop keeps the
// target's pointer in this window property, on Windows and on Wine, and RevokeDragDrop and
// the window's destruction remove it.
inline IDropTarget* registeredDropTarget(HWND window) {
    return static_cast<IDropTarget*>(GetPropA(window, "OleDropTargetInterface"));
}

}  // namespace win32test
