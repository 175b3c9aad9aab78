// OLE helper functions: drawing an object through its IViewObject, and the menu descriptor
// that a container's frame installs while an object's menus are merged into its own.
//
// This platform has no menu merging: OleSetMenuDescriptor accepts and records the descriptor
// per frame window so the container's bookkeeping can be observed; nothing is shown.
// Thread: the user-interface thread.
#pragma once

#include "platform/com/OleControls.h"
#include "platform/com/OleInterfaces.h"

// IViewObject::Draw(aspect, -1, null, null, null, dc, bounds, null, null, 0).
// E_INVALIDARG for a null object or bounds; the object's QueryInterface status when it has no
// IViewObject; otherwise the Draw status.
HRESULT OleDraw(IUnknown* object, DWORD aspect, HDC dc, LPCRECT bounds);

// Records (descriptor non-null) or removes (descriptor null) the menu descriptor of a frame
// window. E_INVALIDARG for a descriptor without a frame window.
HRESULT OleSetMenuDescriptor(HOLEMENU descriptor, HWND frameWindow, HWND activeObjectWindow,
                             LPOLEINPLACEFRAME frame, LPOLEINPLACEACTIVEOBJECT activeObject);

// What OleSetMenuDescriptor last recorded for a frame window.
struct OleMenuDescriptorRecord {
    HOLEMENU descriptor = nullptr;
    HWND activeObjectWindow = nullptr;
};
// False when nothing is recorded for the frame window.
bool OleGetMenuDescriptor(HWND frameWindow, OleMenuDescriptorRecord* record);
