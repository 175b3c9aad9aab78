// The enumerators of pins, filters and media types. Each takes a snapshot of its items when
// it is made (holding a reference to every interface, or a deep copy of every media type), so
// it stays valid whatever happens to the graph or filter afterwards; Clone copies the snapshot
// and the position. Next hands out new references (or CoTaskMemAlloc'd media types) and
// returns S_FALSE when fewer than asked were left; Skip returns S_FALSE past the end.
// One thread at a time per enumerator.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/dshow/DShowInterfaces.h"

#include <vector>

HRESULT CreatePinEnumerator(const std::vector<ComPtr<IPin>>& pins, IEnumPins** enumerator);
HRESULT CreateFilterEnumerator(const std::vector<ComPtr<IBaseFilter>>& filters, IEnumFilters** enumerator);
// Copies the types (the caller keeps its records).
HRESULT CreateMediaTypeEnumerator(const std::vector<const AM_MEDIA_TYPE*>& types, IEnumMediaTypes** enumerator);
