// The OLE drop target of a toolkit window: accepts ANSI text (preferred) and file lists,
// gives copy/move feedback, resolves ".lnk" files and reports drops to the window's handler.
#pragma once

#include <ole2.h>

#include "platform/platform.h"

namespace platform::win32 {

class Win32DropTarget : public IDropTarget {
public:
    explicit Win32DropTarget(WindowHandler& handler) : handler(handler) {}
    virtual ~Win32DropTarget() = default;
    Win32DropTarget(const Win32DropTarget&) = delete;
    Win32DropTarget& operator=(const Win32DropTarget&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

private:
    void deliverText(HGLOBAL block);
    void deliverFiles(HGLOBAL block);

    LONG references = 0;  // the platform adds the first reference when the target is registered
    bool accepting = false;
    WindowHandler& handler;
};

// Replaces a ".lnk" file name (extension compared ignoring case) in a 1024-byte buffer by its
// target's short path. False, with the name left as it was, when any step fails.
bool resolveShortcut(char* name);

}  // namespace platform::win32
