// Helpers of the control host: COM statuses turned into the framework's exceptions, and the
// framework's TFont exchanged with OLE font objects.
// Thread: the user-interface thread.
#pragma once

#include "framework/Font.h"
#include "platform/com/ComPtr.h"
#include "platform/com/OleControls.h"

// Raises EOleSysError carrying `status` when it is a failure.
void OleCheck(HRESULT status);

// Raises the error of a failed dispatch call: EOleException with the control's description
// (and its source, help file and context) when the control filled in the exception record,
// else EOleSysError with the status. The record's strings are freed first.
[[noreturn]] void RaiseDispatchError(HRESULT status, EXCEPINFO& info);

// A new OLE font object (its IDispatch) with the name, size, style and character set of
// `font`. EOleSysError when it cannot be made.
ComPtr<IDispatch> MakeOleFont(const TFont& font);
// Copies name, size, style and character set of an OLE font object into `font` (one
// change notification). EOleSysError when `object` is no font.
void AssignOleFont(TFont& font, IUnknown* object);
