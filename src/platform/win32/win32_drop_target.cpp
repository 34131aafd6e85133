#include "platform/win32/win32_drop_target.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace platform::win32 {

namespace {

constexpr int kFiles = 0;
constexpr int kText = 1;
constexpr int kNameSize = 1024;
constexpr int kWideNameSize = 2048;

FORMATETC formatOf(CLIPFORMAT format) { return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool offers(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted = formatOf(format);
    return data->QueryGetData(&wanted) == S_OK;
}

DWORD feedback(bool accepting, DWORD keys) {
    if (!accepting) return DROPEFFECT_NONE;
    return (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

bool isShortcutName(const char* name) {
    const char* extension = std::strrchr(name, '.');
    return extension && _stricmp(extension, ".lnk") == 0;
}

}  // namespace

HRESULT STDMETHODCALLTYPE Win32DropTarget::QueryInterface(REFIID id, void** object) {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE Win32DropTarget::AddRef() { return static_cast<ULONG>(++references); }

ULONG STDMETHODCALLTYPE Win32DropTarget::Release() {
    const LONG left = --references;
    if (left <= 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    accepting = offers(data, CF_TEXT) || offers(data, CF_HDROP);
    return DragOver(keys, point, effect);
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragOver(DWORD keys, POINTL, DWORD* effect) {
    *effect = feedback(accepting, keys);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragLeave() { return S_OK; }

// Text is preferred when the data carries both. The effect the source gets back is the one
// the last DragOver gave.
HRESULT STDMETHODCALLTYPE Win32DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD*) {
    STGMEDIUM medium{};
    FORMATETC text = formatOf(CF_TEXT);
    FORMATETC files = formatOf(CF_HDROP);
    if (data->GetData(&text, &medium) == S_OK) {
        deliverText(medium.hGlobal);
        ReleaseStgMedium(&medium);
    } else if (data->GetData(&files, &medium) == S_OK) {
        deliverFiles(medium.hGlobal);
        ReleaseStgMedium(&medium);
    }
    return DragLeave();
}

// The count handed on is the block's size, as the item kind defines; the text itself is
// copied with a terminator, since nothing guarantees one inside the block.
void Win32DropTarget::deliverText(HGLOBAL block) {
    const SIZE_T size = GlobalSize(block);
    const auto* bytes = static_cast<const char*>(GlobalLock(block));
    if (bytes && size) {
        std::string copy(bytes, size);
        char* items[] = {copy.data()};
        handler.windowDrop(items, static_cast<int>(size), kText);
    }
    if (bytes) GlobalUnlock(block);
}

// A name that cannot be fetched is left out; the count is of the names obtained.
void Win32DropTarget::deliverFiles(HGLOBAL block) {
    auto drop = static_cast<HDROP>(block);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 0) return;
    std::vector<std::vector<char>> names;
    for (UINT i = 0; i < count; ++i) {
        std::vector<char> name(kNameSize, '\0');
        if (DragQueryFileA(drop, i, name.data(), kNameSize) == 0) continue;
        resolveShortcut(name.data());
        names.push_back(std::move(name));
    }
    std::vector<char*> items;
    for (auto& name : names) items.push_back(name.data());
    handler.windowDrop(items.data(), static_cast<int>(items.size()), kFiles);
}

bool resolveShortcut(char* name) {
    if (!isShortcutName(name)) return false;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    bool resolved = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[kWideNameSize] = {};
        char target[kNameSize] = {};
        resolved = MultiByteToWideChar(CP_ACP, 0, name, -1, wide, kWideNameSize) > 0 &&
                   SUCCEEDED(file->Load(wide, STGM_READ)) &&
                   SUCCEEDED(link->Resolve(nullptr, SLR_NO_UI | SLR_ANY_MATCH | (500 << 16))) &&
                   link->GetPath(target, kNameSize, nullptr, SLGP_SHORTPATH) == S_OK;
        // Only a complete answer replaces the name: a failed step leaves it as dropped.
        if (resolved) std::memcpy(name, target, kNameSize);
    }
    if (file) file->Release();
    if (link) link->Release();
    return resolved;
}

}  // namespace platform::win32
