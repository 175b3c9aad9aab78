// The standard OLE font object: a font description (name, size in points, weight, charset,
// italic, underline, strikethrough) that containers and controls exchange as an ambient
// property or a font property. It answers IFont, IFontDisp (IDispatch over the font
// properties DISPID_FONT_NAME ... DISPID_FONT_CHARSET) and IConnectionPointContainer with an
// IPropertyNotifySink point that is told the id of every property set.
//
// This platform draws text through its own window layer, so the object holds no font handle:
// get_hFont, QueryTextMetrics, AddRefHfont and ReleaseHfont answer E_NOTIMPL; the receiver of
// a font object reads the description instead.
//
// Thread: the object is used on one thread (the user-interface thread); its reference count
// is atomic.
#pragma once

#include "platform/com/OleControls.h"

// Creates a font from a description (cbSizeofstruct must be sizeof(FONTDESC)) and queries it
// for iid. A null description gives "MS Sans Serif", 8 points, normal weight. E_POINTER for a
// null out-parameter, E_INVALIDARG for a bad structure size, E_NOINTERFACE for an interface
// the font does not have; *object is null on failure.
HRESULT OleCreateFontIndirect(LPFONTDESC description, REFIID iid, LPVOID* object);
