#include "platform/com/SafeArray.h"

#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"

#include <cstdlib>
#include <cstring>

namespace {

// The element type is kept in front of the descriptor, where Windows keeps it too.
struct Header {
    VARTYPE vt;
    USHORT padding[3];
};

std::size_t ElementSize(VARTYPE vt)
{
    switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_R8: case VT_CY: case VT_DATE: return 8;
    case VT_BSTR: case VT_UNKNOWN: case VT_DISPATCH: return sizeof(void*);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
    }
}

USHORT FeaturesOf(VARTYPE vt)
{
    switch (vt) {
    case VT_BSTR: return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_UNKNOWN: return FADF_HAVEVARTYPE | FADF_UNKNOWN;
    case VT_DISPATCH: return FADF_HAVEVARTYPE | FADF_DISPATCH;
    case VT_VARIANT: return FADF_HAVEVARTYPE | FADF_VARIANT;
    default: return FADF_HAVEVARTYPE;
    }
}

Header* HeaderOf(SAFEARRAY* array) { return reinterpret_cast<Header*>(array) - 1; }
VARTYPE TypeOf(SAFEARRAY* array) { return HeaderOf(array)->vt; }

std::size_t CellCount(const SAFEARRAY* array)
{
    std::size_t cells = 1;
    for (USHORT d = 0; d < array->cDims; ++d)
        cells *= array->rgsabound[d].cElements;
    return cells;
}

// The offset of an element: the first index (left-most dimension, kept last in rgsabound)
// varies fastest.
bool CellIndex(SAFEARRAY* array, const LONG* indices, std::size_t& cell)
{
    cell = 0;
    std::size_t stride = 1;
    for (USHORT i = 0; i < array->cDims; ++i) {
        const SAFEARRAYBOUND& bound = array->rgsabound[array->cDims - 1 - i];
        long long offset = static_cast<long long>(indices[i]) - bound.lLbound;
        if (offset < 0 || offset >= static_cast<long long>(bound.cElements))
            return false;
        cell += static_cast<std::size_t>(offset) * stride;
        stride *= bound.cElements;
    }
    return true;
}

void ReleaseElements(SAFEARRAY* array)
{
    VARTYPE vt = TypeOf(array);
    std::size_t cells = CellCount(array);
    for (std::size_t i = 0; i < cells; ++i) {
        switch (vt) {
        case VT_BSTR: SysFreeString(static_cast<BSTR*>(array->pvData)[i]); break;
        case VT_UNKNOWN:
        case VT_DISPATCH:
            if (IUnknown* item = static_cast<IUnknown**>(array->pvData)[i])
                item->Release();
            break;
        case VT_VARIANT: VariantClear(&static_cast<VARIANT*>(array->pvData)[i]); break;
        default: return;
        }
    }
}

// Copies one element from `from` into the zeroed or cleared cell `to`.
HRESULT CopyElement(VARTYPE vt, const void* from, void* to, std::size_t size)
{
    switch (vt) {
    case VT_BSTR: {
        BSTR text = *static_cast<const BSTR*>(from);
        BSTR copy = nullptr;
        if (text != nullptr) {
            copy = SysAllocStringLen(text, SysStringLen(text));
            if (copy == nullptr)
                return E_OUTOFMEMORY;
        }
        *static_cast<BSTR*>(to) = copy;
        return S_OK;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH: {
        IUnknown* item = *static_cast<IUnknown* const*>(from);
        if (item != nullptr)
            item->AddRef();
        *static_cast<IUnknown**>(to) = item;
        return S_OK;
    }
    case VT_VARIANT:
        VariantInit(static_cast<VARIANT*>(to));
        return VariantCopy(static_cast<VARIANT*>(to), static_cast<const VARIANT*>(from));
    default:
        std::memcpy(to, from, size);
        return S_OK;
    }
}

} // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds)
{
    std::size_t size = ElementSize(vt);
    if (size == 0 || dims == 0 || dims > 0xFFFF || bounds == nullptr)
        return nullptr;
    std::size_t descriptorBytes = sizeof(Header) + sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND);
    auto* block = static_cast<unsigned char*>(std::calloc(1, descriptorBytes));
    if (block == nullptr)
        return nullptr;
    reinterpret_cast<Header*>(block)->vt = vt;
    auto* array = reinterpret_cast<SAFEARRAY*>(block + sizeof(Header));
    array->cDims = static_cast<USHORT>(dims);
    array->fFeatures = FeaturesOf(vt);
    array->cbElements = static_cast<ULONG>(size);
    // Windows stores the bounds right-most dimension first.
    for (UINT d = 0; d < dims; ++d)
        array->rgsabound[d] = bounds[dims - 1 - d];
    std::size_t cells = CellCount(array);
    if (cells != 0) {
        array->pvData = std::calloc(cells, size);
        if (array->pvData == nullptr) {
            std::free(block);
            return nullptr;
        }
    }
    return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements)
{
    SAFEARRAYBOUND bound{elements, lowerBound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array)
{
    if (array == nullptr)
        return S_OK;
    if (array->cLocks != 0)
        return DISP_E_ARRAYISLOCKED;
    if (array->pvData != nullptr) {
        ReleaseElements(array);
        std::free(array->pvData);
    }
    std::free(HeaderOf(array));
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) { return array == nullptr ? 0 : array->cDims; }
UINT SafeArrayGetElemsize(SAFEARRAY* array) { return array == nullptr ? 0 : array->cbElements; }

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt)
{
    if (array == nullptr || vt == nullptr)
        return E_INVALIDARG;
    *vt = TypeOf(array);
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* lowerBound)
{
    if (array == nullptr || lowerBound == nullptr)
        return E_INVALIDARG;
    if (dim < 1 || dim > array->cDims)
        return DISP_E_BADINDEX;
    *lowerBound = array->rgsabound[array->cDims - dim].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* upperBound)
{
    if (array == nullptr || upperBound == nullptr)
        return E_INVALIDARG;
    if (dim < 1 || dim > array->cDims)
        return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& bound = array->rgsabound[array->cDims - dim];
    *upperBound = static_cast<LONG>(bound.lLbound + static_cast<long long>(bound.cElements) - 1);
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array)
{
    if (array == nullptr)
        return E_INVALIDARG;
    ++array->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array)
{
    if (array == nullptr)
        return E_INVALIDARG;
    if (array->cLocks == 0)
        return E_UNEXPECTED;
    --array->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data)
{
    if (array == nullptr || data == nullptr)
        return E_INVALIDARG;
    ++array->cLocks;
    *data = array->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) { return SafeArrayUnlock(array); }

HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value)
{
    if (array == nullptr || indices == nullptr || value == nullptr)
        return E_INVALIDARG;
    std::size_t cell = 0;
    if (!CellIndex(array, indices, cell))
        return DISP_E_BADINDEX;
    const void* from = static_cast<unsigned char*>(array->pvData) + cell * array->cbElements;
    if (TypeOf(array) == VT_VARIANT)
        VariantInit(static_cast<VARIANT*>(value));
    return CopyElement(TypeOf(array), from, value, array->cbElements);
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value)
{
    if (array == nullptr || indices == nullptr)
        return E_INVALIDARG;
    VARTYPE vt = TypeOf(array);
    bool pointerValued = vt == VT_BSTR || vt == VT_UNKNOWN || vt == VT_DISPATCH;
    if (value == nullptr && !pointerValued)
        return E_INVALIDARG;
    std::size_t cell = 0;
    if (!CellIndex(array, indices, cell))
        return DISP_E_BADINDEX;
    void* to = static_cast<unsigned char*>(array->pvData) + cell * array->cbElements;
    switch (vt) {
    case VT_BSTR: {
        BSTR copy = nullptr;
        if (value != nullptr) {
            copy = SysAllocStringLen(static_cast<BSTR>(value), SysStringLen(static_cast<BSTR>(value)));
            if (copy == nullptr)
                return E_OUTOFMEMORY;
        }
        SysFreeString(*static_cast<BSTR*>(to));
        *static_cast<BSTR*>(to) = copy;
        return S_OK;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH: {
        auto* item = static_cast<IUnknown*>(value);
        if (item != nullptr)
            item->AddRef();
        if (IUnknown* old = *static_cast<IUnknown**>(to))
            old->Release();
        *static_cast<IUnknown**>(to) = item;
        return S_OK;
    }
    case VT_VARIANT:
        return VariantCopy(static_cast<VARIANT*>(to), static_cast<const VARIANT*>(value));
    default:
        std::memcpy(to, value, array->cbElements);
        return S_OK;
    }
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy)
{
    if (copy == nullptr)
        return E_INVALIDARG;
    *copy = nullptr;
    if (array == nullptr)
        return S_OK;
    SAFEARRAYBOUND bounds[64];
    if (array->cDims > 64)
        return E_INVALIDARG;
    for (USHORT i = 0; i < array->cDims; ++i)
        bounds[i] = array->rgsabound[array->cDims - 1 - i];
    SAFEARRAY* result = SafeArrayCreate(TypeOf(array), array->cDims, bounds);
    if (result == nullptr)
        return E_OUTOFMEMORY;
    std::size_t cells = CellCount(array);
    for (std::size_t i = 0; i < cells; ++i) {
        const void* from = static_cast<unsigned char*>(array->pvData) + i * array->cbElements;
        void* to = static_cast<unsigned char*>(result->pvData) + i * array->cbElements;
        HRESULT hr = CopyElement(TypeOf(array), from, to, array->cbElements);
        if (FAILED(hr)) {
            SafeArrayDestroy(result);
            return hr;
        }
    }
    *copy = result;
    return S_OK;
}
