// Conversions between the scalar VARIANT kinds.
#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using Int128 = __int128;

// The value of a source in one of three exact forms.
struct Number {
    enum class Kind { Integer, Real, Currency } kind = Kind::Integer;
    Int128 integer = 0;
    double real = 0;
    LONGLONG currency = 0;
};

constexpr double DateMin = -657434.0; // 1 January 100
constexpr double DateMax = 2958465.0; // 31 December 9999

std::string Trimmed(BSTR text)
{
    std::string s = BstrToUtf8(text);
    std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return {};
    std::size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    std::size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i])
            return false;
    }
    return true;
}

HRESULT ParseNumber(BSTR text, Number& out)
{
    std::string s = Trimmed(text);
    if (s.empty())
        return DISP_E_TYPEMISMATCH;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (*first == '+')
        ++first;
    long long integer = 0;
    auto [intEnd, intError] = std::from_chars(first, last, integer);
    if (intError == std::errc() && intEnd == last) {
        out.kind = Number::Kind::Integer;
        out.integer = integer;
        return S_OK;
    }
    double real = 0;
    auto [realEnd, realError] = std::from_chars(first, last, real);
    if (realEnd != last || realEnd == first)
        return DISP_E_TYPEMISMATCH;
    if (realError == std::errc::result_out_of_range)
        return DISP_E_OVERFLOW;
    if (realError != std::errc())
        return DISP_E_TYPEMISMATCH;
    out.kind = Number::Kind::Real;
    out.real = real;
    return S_OK;
}

HRESULT ReadNumber(const VARIANT& v, Number& out)
{
    out = Number{};
    switch (v.vt) {
    case VT_EMPTY: out.integer = 0; return S_OK;
    case VT_I1: out.integer = static_cast<signed char>(v.cVal); return S_OK;
    case VT_UI1: out.integer = v.bVal; return S_OK;
    case VT_I2: out.integer = v.iVal; return S_OK;
    case VT_UI2: out.integer = v.uiVal; return S_OK;
    case VT_I4: out.integer = v.lVal; return S_OK;
    case VT_UI4: out.integer = v.ulVal; return S_OK;
    case VT_INT: out.integer = v.intVal; return S_OK;
    case VT_UINT: out.integer = v.uintVal; return S_OK;
    case VT_I8: out.integer = v.llVal; return S_OK;
    case VT_UI8: out.integer = v.ullVal; return S_OK;
    case VT_BOOL: out.integer = v.boolVal != 0 ? -1 : 0; return S_OK;
    case VT_R4: out.kind = Number::Kind::Real; out.real = v.fltVal; return S_OK;
    case VT_R8:
    case VT_DATE: out.kind = Number::Kind::Real; out.real = v.dblVal; return S_OK;
    case VT_CY: out.kind = Number::Kind::Currency; out.currency = v.cyVal.int64; return S_OK;
    case VT_BSTR: return ParseNumber(v.bstrVal, out);
    default: return DISP_E_TYPEMISMATCH;
    }
}

// Integer division rounding half to even, as the currency conversions do.
Int128 DivideRoundHalfEven(Int128 value, Int128 divisor)
{
    Int128 quotient = value / divisor;
    Int128 remainder = value % divisor;
    Int128 twice = remainder * 2;
    if (twice < 0)
        twice = -twice;
    if (twice > divisor || (twice == divisor && (quotient % 2) != 0))
        quotient += value < 0 ? -1 : 1;
    return quotient;
}

HRESULT ToInteger(const Number& n, Int128 lo, Int128 hi, Int128& out)
{
    switch (n.kind) {
    case Number::Kind::Integer:
        out = n.integer;
        break;
    case Number::Kind::Currency:
        out = DivideRoundHalfEven(n.currency, 10000);
        break;
    case Number::Kind::Real: {
        if (!std::isfinite(n.real))
            return DISP_E_OVERFLOW;
        double rounded = std::nearbyint(n.real);
        if (rounded < -9.223372036854775808e18 || rounded >= 1.8446744073709551616e19)
            return DISP_E_OVERFLOW;
        out = rounded < 0 ? static_cast<Int128>(static_cast<long long>(rounded))
                          : static_cast<Int128>(static_cast<unsigned long long>(rounded));
        break;
    }
    }
    return out < lo || out > hi ? DISP_E_OVERFLOW : S_OK;
}

double ToReal(const Number& n)
{
    switch (n.kind) {
    case Number::Kind::Integer: return static_cast<double>(n.integer);
    case Number::Kind::Currency: return static_cast<double>(n.currency) / 10000.0;
    case Number::Kind::Real: return n.real;
    }
    return 0;
}

HRESULT ToCurrency(const Number& n, LONGLONG& out)
{
    constexpr Int128 lo = INT64_MIN;
    constexpr Int128 hi = INT64_MAX;
    switch (n.kind) {
    case Number::Kind::Currency:
        out = n.currency;
        return S_OK;
    case Number::Kind::Integer: {
        Int128 scaled = n.integer * 10000;
        if (scaled < lo || scaled > hi)
            return DISP_E_OVERFLOW;
        out = static_cast<LONGLONG>(scaled);
        return S_OK;
    }
    case Number::Kind::Real: {
        double scaled = std::nearbyint(n.real * 10000.0);
        if (!std::isfinite(scaled) || scaled < -9.2233720368547758e18 || scaled >= 9.2233720368547758e18)
            return DISP_E_OVERFLOW;
        out = static_cast<LONGLONG>(scaled);
        return S_OK;
    }
    }
    return E_UNEXPECTED;
}

std::string IntegerText(Int128 value)
{
    bool negative = value < 0;
    unsigned __int128 magnitude = negative ? static_cast<unsigned __int128>(-(value + 1)) + 1
                                           : static_cast<unsigned __int128>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? "-" + digits : digits;
}

std::string RealText(double value, int significantDigits)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*G", significantDigits, value);
    return text;
}

std::string CurrencyText(LONGLONG value)
{
    Int128 v = value;
    bool negative = v < 0;
    if (negative)
        v = -v;
    std::string text = IntegerText(v / 10000);
    int fraction = static_cast<int>(v % 10000);
    if (fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04d", fraction);
        std::string f = digits;
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        text += "." + f;
    }
    return negative ? "-" + text : text;
}

HRESULT ToText(const VARIANT& v, USHORT flags, std::string& out)
{
    switch (v.vt) {
    case VT_EMPTY: out.clear(); return S_OK;
    case VT_BOOL:
        if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
            out = v.boolVal != 0 ? "True" : "False";
        else
            out = v.boolVal != 0 ? "-1" : "0";
        return S_OK;
    case VT_R4: out = RealText(v.fltVal, 7); return S_OK;
    case VT_R8: out = RealText(v.dblVal, 15); return S_OK;
    case VT_CY: out = CurrencyText(v.cyVal.int64); return S_OK;
    case VT_DATE: return DISP_E_TYPEMISMATCH;
    default: {
        Number n;
        HRESULT hr = ReadNumber(v, n);
        if (FAILED(hr))
            return hr;
        out = IntegerText(n.integer);
        return S_OK;
    }
    }
}

bool IsIntegerType(VARTYPE vt, Int128& lo, Int128& hi)
{
    switch (vt) {
    case VT_I1: lo = INT8_MIN; hi = INT8_MAX; return true;
    case VT_UI1: lo = 0; hi = UINT8_MAX; return true;
    case VT_I2: lo = INT16_MIN; hi = INT16_MAX; return true;
    case VT_UI2: lo = 0; hi = UINT16_MAX; return true;
    case VT_I4: case VT_INT: lo = INT32_MIN; hi = INT32_MAX; return true;
    case VT_UI4: case VT_UINT: lo = 0; hi = UINT32_MAX; return true;
    case VT_I8: lo = INT64_MIN; hi = INT64_MAX; return true;
    case VT_UI8: lo = 0; hi = UINT64_MAX; return true;
    default: return false;
    }
}

void StoreInteger(VARIANT& v, VARTYPE vt, Int128 value)
{
    v.vt = vt;
    switch (vt) {
    case VT_I1: v.cVal = static_cast<char>(static_cast<signed char>(value)); break;
    case VT_UI1: v.bVal = static_cast<BYTE>(value); break;
    case VT_I2: v.iVal = static_cast<SHORT>(value); break;
    case VT_UI2: v.uiVal = static_cast<USHORT>(value); break;
    case VT_I4: v.lVal = static_cast<LONG>(value); break;
    case VT_INT: v.intVal = static_cast<INT>(value); break;
    case VT_UI4: v.ulVal = static_cast<ULONG>(value); break;
    case VT_UINT: v.uintVal = static_cast<UINT>(value); break;
    case VT_I8: v.llVal = static_cast<LONGLONG>(value); break;
    case VT_UI8: v.ullVal = static_cast<ULONGLONG>(value); break;
    default: break;
    }
}

bool IsTargetType(VARTYPE vt)
{
    switch (vt) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY:
    case VT_DATE: case VT_BSTR: case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_UNKNOWN:
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

// Converts a value that is not by reference into `out` (VT_EMPTY on entry).
HRESULT Convert(const VARIANT& source, USHORT flags, VARTYPE vt, VARIANT& out)
{
    if (source.vt == vt)
        return VariantCopy(&out, &source);
    if (source.vt & VT_ARRAY)
        return DISP_E_TYPEMISMATCH;
    if (vt == VT_EMPTY || vt == VT_NULL || vt == VT_ERROR || source.vt == VT_NULL || source.vt == VT_ERROR)
        return DISP_E_TYPEMISMATCH;

    if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        out.vt = vt;
        if (source.vt == VT_EMPTY) {
            out.punkVal = nullptr;
            return S_OK;
        }
        if (source.vt != VT_UNKNOWN && source.vt != VT_DISPATCH) {
            out.vt = VT_EMPTY;
            return DISP_E_TYPEMISMATCH;
        }
        IUnknown* from = source.vt == VT_UNKNOWN ? source.punkVal : static_cast<IUnknown*>(source.pdispVal);
        if (from == nullptr) {
            out.punkVal = nullptr;
            return S_OK;
        }
        void* result = nullptr;
        HRESULT hr = from->QueryInterface(vt == VT_UNKNOWN ? IID_IUnknown : IID_IDispatch, &result);
        if (FAILED(hr)) {
            out.vt = VT_EMPTY;
            return hr;
        }
        out.punkVal = static_cast<IUnknown*>(result);
        return S_OK;
    }

    // An object converts to a scalar through its value property, as on Windows.
    if (source.vt == VT_DISPATCH) {
        if (source.pdispVal == nullptr || (flags & VARIANT_NOVALUEPROP))
            return DISP_E_TYPEMISMATCH;
        ScopedVariant value;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        HRESULT hr = source.pdispVal->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.Get(),
                                             nullptr, nullptr);
        if (FAILED(hr))
            return hr;
        if (value->vt == VT_DISPATCH || value->vt == VT_UNKNOWN)
            return DISP_E_TYPEMISMATCH;
        return VariantChangeType(&out, value.Get(), flags, vt);
    }
    if (source.vt == VT_UNKNOWN)
        return DISP_E_TYPEMISMATCH;

    if (vt == VT_BSTR) {
        std::string text;
        HRESULT hr = ToText(source, flags, text);
        if (FAILED(hr))
            return hr;
        BSTR result = Utf8ToBstr(text);
        if (result == nullptr)
            return E_OUTOFMEMORY;
        out.vt = VT_BSTR;
        out.bstrVal = result;
        return S_OK;
    }

    if (vt == VT_BOOL && source.vt == VT_BSTR) {
        std::string text = Trimmed(source.bstrVal);
        if (EqualsNoCase(text, "true") || EqualsNoCase(text, "false")) {
            out.vt = VT_BOOL;
            out.boolVal = EqualsNoCase(text, "true") ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
    }
    if (vt == VT_DATE && source.vt == VT_BSTR)
        return DISP_E_TYPEMISMATCH;

    Number n;
    HRESULT hr = ReadNumber(source, n);
    if (FAILED(hr))
        return hr;

    Int128 lo = 0, hi = 0;
    if (IsIntegerType(vt, lo, hi)) {
        Int128 value = 0;
        // A boolean keeps its bits in an unsigned type (True is all ones), as on Windows.
        if (source.vt == VT_BOOL && lo == 0) {
            value = source.boolVal != 0 ? hi : 0;
        } else {
            hr = ToInteger(n, lo, hi, value);
            if (FAILED(hr))
                return hr;
        }
        StoreInteger(out, vt, value);
        return S_OK;
    }
    switch (vt) {
    case VT_R4: {
        double real = ToReal(n);
        if (std::isfinite(real) && std::fabs(real) > FLT_MAX)
            return DISP_E_OVERFLOW;
        out.vt = VT_R4;
        out.fltVal = static_cast<float>(real);
        return S_OK;
    }
    case VT_R8:
        out.vt = VT_R8;
        out.dblVal = ToReal(n);
        return S_OK;
    case VT_DATE: {
        double real = ToReal(n);
        if (!(real > DateMin - 1.0 && real < DateMax + 1.0))
            return DISP_E_OVERFLOW;
        out.vt = VT_DATE;
        out.date = real;
        return S_OK;
    }
    case VT_CY: {
        LONGLONG cy = 0;
        hr = ToCurrency(n, cy);
        if (FAILED(hr))
            return hr;
        out.vt = VT_CY;
        out.cyVal.int64 = cy;
        return S_OK;
    }
    case VT_BOOL: {
        bool truth = false;
        switch (n.kind) {
        case Number::Kind::Integer: truth = n.integer != 0; break;
        case Number::Kind::Real: truth = n.real != 0; break;
        case Number::Kind::Currency: truth = n.currency != 0; break;
        }
        out.vt = VT_BOOL;
        out.boolVal = truth ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

} // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* source, USHORT flags, VARTYPE vt)
{
    if (dest == nullptr || source == nullptr)
        return E_INVALIDARG;
    if (!IsTargetType(vt))
        return DISP_E_BADVARTYPE;
    VARIANT resolved;
    VariantInit(&resolved);
    HRESULT hr = VariantCopyInd(&resolved, source);
    if (FAILED(hr))
        return hr;
    VARIANT converted;
    VariantInit(&converted);
    hr = Convert(resolved, flags, vt, converted);
    VariantClear(&resolved);
    if (FAILED(hr)) {
        VariantClear(&converted);
        return hr;
    }
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&converted);
        return hr;
    }
    *dest = converted;
    return S_OK;
}
