// IPersist, the root of the persistence interfaces: every object that can name its class
// (filters through IMediaFilter, controls through IPersistStreamInit) derives from it, so it
// lives on its own for layers that need nothing else of OLE.
#pragma once

#include "platform/com/Unknown.h"

DEFINE_GUID(IID_IPersist, 0x0000010C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IPersist : IUnknown {
    virtual HRESULT GetClassID(CLSID* clsid) = 0;
};
COM_INTERFACE_TRAITS(IPersist, IUnknown, IID_IPersist);
