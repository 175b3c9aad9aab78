#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"
#include "TestObjects.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

VARIANT Make(VARTYPE vt)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}
VARIANT I4(LONG value)
{
    VARIANT v = Make(VT_I4);
    v.lVal = value;
    return v;
}
VARIANT R8(double value)
{
    VARIANT v = Make(VT_R8);
    v.dblVal = value;
    return v;
}
VARIANT Bool(bool value)
{
    VARIANT v = Make(VT_BOOL);
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
VARIANT Text(const char16_t* text)
{
    VARIANT v = Make(VT_BSTR);
    v.bstrVal = SysAllocString(text);
    return v;
}
VARIANT Cy(LONGLONG tenThousandths)
{
    VARIANT v = Make(VT_CY);
    v.cyVal.int64 = tenThousandths;
    return v;
}

TEST(Variant, CopyAndClearOwnStringsAndReferences)
{
    VARIANT text = Text(u"abc");
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, text.bstrVal) << "a copy owns its own string";
    EXPECT_EQ(BstrToUtf8(copy.bstrVal), "abc");
    EXPECT_EQ(VariantClear(&text), S_OK);
    EXPECT_EQ(text.vt, VT_EMPTY);
    EXPECT_EQ(BstrToUtf8(copy.bstrVal), "abc");

    ComPtr<RecordingDispatch> object = MakeComObject<RecordingDispatch>();
    VARIANT dispatch = Make(VT_DISPATCH);
    dispatch.pdispVal = object.Get();
    object->AddRef(); // owned by the variant
    EXPECT_EQ(VariantCopy(&copy, &dispatch), S_OK) << "copying over a string frees it";
    EXPECT_EQ(RefCount(object.Get()), 3u);
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(RefCount(object.Get()), 2u);
    EXPECT_EQ(VariantCopy(&dispatch, &dispatch), S_OK);
    EXPECT_EQ(RefCount(object.Get()), 2u) << "self-copy changes nothing";
    EXPECT_EQ(VariantClear(&dispatch), S_OK);
    EXPECT_EQ(RefCount(object.Get()), 1u);

    VARIANT bad = Make(0x0FFE);
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(bad.vt, 0x0FFE) << "left as it is";
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST(Variant, InitFromValues)
{
    VARIANT v;
    ASSERT_EQ(InitVariantFromBoolean(5, &v), S_OK);
    EXPECT_EQ(v.vt, VT_BOOL);
    EXPECT_EQ(v.boolVal, VARIANT_TRUE) << "any non-zero BOOL is VARIANT_TRUE (-1)";
    ASSERT_EQ(InitVariantFromString(nullptr, &v), S_OK);
    EXPECT_EQ(v.vt, VT_BSTR);
    EXPECT_EQ(v.bstrVal, nullptr) << "an empty text travels as a null string";
    ASSERT_EQ(InitVariantFromString(u"clip.mpg", &v), S_OK);
    EXPECT_EQ(BstrToUtf8(v.bstrVal), "clip.mpg");
    VariantClear(&v);
    EXPECT_EQ(InitVariantFromInt32(1, nullptr), E_INVALIDARG);
}

TEST(Variant, ByReferenceIsNotOwnedUntilCopiedIndirectly)
{
    LONG storage = 42;
    VARIANT ref = Make(VT_I4 | VT_BYREF);
    ref.plVal = &storage;
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &ref), S_OK);
    EXPECT_EQ(copy.vt, VT_I4 | VT_BYREF);
    EXPECT_EQ(copy.plVal, &storage);
    ASSERT_EQ(VariantCopyInd(&copy, &ref), S_OK);
    EXPECT_EQ(copy.vt, VT_I4);
    EXPECT_EQ(copy.lVal, 42);

    BSTR text = SysAllocString(u"shared");
    VARIANT textRef = Make(VT_BSTR | VT_BYREF);
    textRef.pbstrVal = &text;
    ASSERT_EQ(VariantCopyInd(&copy, &textRef), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, text);
    EXPECT_EQ(VariantClear(&textRef), S_OK) << "clearing a reference frees nothing";
    EXPECT_EQ(BstrToUtf8(text), "shared");
    VariantClear(&copy);
    SysFreeString(text);

    // A variant holding a reference to a variant copies the inner value.
    VARIANT inner = I4(7);
    VARIANT outer = Make(VT_VARIANT | VT_BYREF);
    outer.pvarVal = &inner;
    ASSERT_EQ(VariantCopyInd(&outer, &outer), S_OK) << "in place";
    EXPECT_EQ(outer.vt, VT_I4);
    EXPECT_EQ(outer.lVal, 7);
}

struct ChangeCase {
    const char* name;
    VARIANT source;
    VARTYPE target;
    HRESULT expected;
    double value; // numeric result (booleans as -1/0)
};

double NumericValue(const VARIANT& v)
{
    switch (v.vt) {
    case VT_I1: return static_cast<signed char>(v.cVal);
    case VT_UI1: return v.bVal;
    case VT_I2: return v.iVal;
    case VT_UI2: return v.uiVal;
    case VT_I4: return v.lVal;
    case VT_UI4: return v.ulVal;
    case VT_INT: return v.intVal;
    case VT_R4: return v.fltVal;
    case VT_R8: case VT_DATE: return v.dblVal;
    case VT_CY: return static_cast<double>(v.cyVal.int64) / 10000.0;
    case VT_BOOL: return v.boolVal;
    default: return NAN;
    }
}

TEST(VariantChangeType, ScalarConversions)
{
    ChangeCase cases[] = {
        {"I4 to R8", I4(-3), VT_R8, S_OK, -3},
        {"R8 2.5 rounds to even", R8(2.5), VT_I4, S_OK, 2},
        {"R8 3.5 rounds to even", R8(3.5), VT_I4, S_OK, 4},
        {"R8 -2.5 rounds to even", R8(-2.5), VT_I4, S_OK, -2},
        {"R8 2.6", R8(2.6), VT_I2, S_OK, 3},
        {"R8 too big for I4", R8(3e9), VT_I4, DISP_E_OVERFLOW, 0},
        {"R8 NaN", R8(NAN), VT_I4, DISP_E_OVERFLOW, 0},
        {"I4 300 to UI1", I4(300), VT_UI1, DISP_E_OVERFLOW, 0},
        {"I4 -1 to UI2", I4(-1), VT_UI2, DISP_E_OVERFLOW, 0},
        {"I4 -128 to I1", I4(-128), VT_I1, S_OK, -128},
        {"I4 32768 to I2", I4(32768), VT_I2, DISP_E_OVERFLOW, 0},
        {"BOOL true to I4", Bool(true), VT_I4, S_OK, -1},
        {"BOOL true to UI1 keeps its bits", Bool(true), VT_UI1, S_OK, 255},
        {"I4 5 to BOOL", I4(5), VT_BOOL, S_OK, -1},
        {"R8 0 to BOOL", R8(0), VT_BOOL, S_OK, 0},
        {"CY 1.5 to I4 rounds to even", Cy(15000), VT_I4, S_OK, 2},
        {"CY 2.5 to I4 rounds to even", Cy(25000), VT_I4, S_OK, 2},
        {"CY -1.5 to I4", Cy(-15000), VT_I4, S_OK, -2},
        {"R8 to CY", R8(1.23456), VT_CY, S_OK, 1.2346},
        {"text to I4", Text(u" 42 "), VT_I4, S_OK, 42},
        {"text 1.5 to I4", Text(u"1.5"), VT_I4, S_OK, 2},
        {"text to R8", Text(u"-0.25"), VT_R8, S_OK, -0.25},
        {"text True to BOOL", Text(u"tRUE"), VT_BOOL, S_OK, -1},
        {"text 0 to BOOL", Text(u"0"), VT_BOOL, S_OK, 0},
        {"bad text to I4", Text(u"12abc"), VT_I4, DISP_E_TYPEMISMATCH, 0},
        {"empty text to I4", Text(u""), VT_I4, DISP_E_TYPEMISMATCH, 0},
        {"EMPTY to I4", Make(VT_EMPTY), VT_I4, S_OK, 0},
        {"NULL to I4", Make(VT_NULL), VT_I4, DISP_E_TYPEMISMATCH, 0},
        {"R8 to DATE", R8(36526.5), VT_DATE, S_OK, 36526.5},
        {"R8 out of DATE range", R8(3e6), VT_DATE, DISP_E_OVERFLOW, 0},
        {"text to DATE", Text(u"2000-01-01"), VT_DATE, DISP_E_TYPEMISMATCH, 0},
        {"R8 huge to R4", R8(1e300), VT_R4, DISP_E_OVERFLOW, 0},
        {"unknown target", I4(1), 0x0FFE, DISP_E_BADVARTYPE, 0},
    };
    for (ChangeCase& c : cases) {
        VARIANT out;
        VariantInit(&out);
        HRESULT hr = VariantChangeType(&out, &c.source, 0, c.target);
        EXPECT_EQ(hr, c.expected) << c.name;
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(out.vt, c.target) << c.name;
            EXPECT_NEAR(NumericValue(out), c.value, 1e-9) << c.name;
        } else {
            EXPECT_EQ(out.vt, VT_EMPTY) << c.name << ": destination unchanged on failure";
        }
        VariantClear(&out);
        VariantClear(&c.source);
    }
}

TEST(VariantChangeType, ToText)
{
    struct Case {
        VARIANT source;
        USHORT flags;
        const char* expected;
    } cases[] = {
        {I4(-17), 0, "-17"},
        {R8(2.5), 0, "2.5"},
        {R8(0.1), 0, "0.1"},
        {R8(1e20), 0, "1E+20"},
        {Cy(-12345), 0, "-1.2345"},
        {Cy(20000), 0, "2"},
        {Bool(true), 0, "-1"},
        {Bool(true), VARIANT_ALPHABOOL, "True"},
        {Bool(false), VARIANT_ALPHABOOL, "False"},
        {Make(VT_EMPTY), 0, ""},
    };
    for (Case& c : cases) {
        VARIANT out;
        VariantInit(&out);
        ASSERT_EQ(VariantChangeType(&out, &c.source, c.flags, VT_BSTR), S_OK) << c.expected;
        EXPECT_EQ(BstrToUtf8(out.bstrVal), c.expected);
        VariantClear(&out);
    }
}

TEST(VariantChangeType, InPlaceByReferenceAndObjects)
{
    VARIANT v = Text(u"12");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK) << "the string is freed in place (checked by the sanitizers)";
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 12);

    double storage = 7.75;
    VARIANT ref = Make(VT_R8 | VT_BYREF);
    ref.pdblVal = &storage;
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, 8);

    ComPtr<RecordingDispatch> object = MakeComObject<RecordingDispatch>();
    VARIANT dispatch = Make(VT_DISPATCH);
    dispatch.pdispVal = object.Get();
    ASSERT_EQ(VariantChangeType(&out, &dispatch, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(out.vt, VT_UNKNOWN);
    EXPECT_EQ(RefCount(object.Get()), 2u);
    VariantClear(&out);
    EXPECT_EQ(RefCount(object.Get()), 1u);

    // A scalar from an object reads its value property.
    VariantChangeType(&out, &dispatch, 0, VT_I4);
    ASSERT_EQ(object->calls.size(), 1u);
    EXPECT_EQ(object->calls[0].id, DISPID_VALUE);
    EXPECT_EQ(object->calls[0].flags, DISPATCH_PROPERTYGET);
    EXPECT_EQ(VariantChangeType(&out, &dispatch, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);
    VariantClear(&out);
}

TEST(DispGetParam, ReadsArgumentsInDeclaredOrder)
{
    // Invoke blocks hold the last argument first: (first = 10, second = "20").
    VARIANT args[2] = {Text(u"20"), I4(10)};
    DISPPARAMS params{args, nullptr, 2, 0};
    VARIANT out;
    VariantInit(&out);
    UINT argError = 99;
    ASSERT_EQ(DispGetParam(&params, 0, VT_I4, &out, &argError), S_OK);
    EXPECT_EQ(out.lVal, 10);
    ASSERT_EQ(DispGetParam(&params, 1, VT_I4, &out, &argError), S_OK);
    EXPECT_EQ(out.lVal, 20);
    EXPECT_EQ(DispGetParam(&params, 2, VT_I4, &out, &argError), DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(DispGetParam(&params, 1, VT_DISPATCH, &out, &argError), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 0u) << "index of the offending argument in rgvarg";

    // A property put names its value DISPID_PROPERTYPUT; a named argument matching the
    // position wins over the positional one.
    DISPID named[1] = {1};
    DISPPARAMS withNamed{args, named, 2, 1};
    ASSERT_EQ(DispGetParam(&withNamed, 1, VT_I4, &out, nullptr), S_OK);
    EXPECT_EQ(out.lVal, 20);
    ASSERT_EQ(DispGetParam(&withNamed, 0, VT_I4, &out, nullptr), S_OK);
    EXPECT_EQ(out.lVal, 10);
    VariantClear(&args[0]);
}

TEST(SafeArray, VariantOwnsAnArrayOfStrings)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 1, 3);
    ASSERT_NE(array, nullptr);
    LONG lower = 0, upper = 0;
    EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 3);
    EXPECT_EQ(SafeArrayGetLBound(array, 2, &lower), DISP_E_BADINDEX);
    BSTR item = SysAllocString(u"two");
    LONG index = 2;
    EXPECT_EQ(SafeArrayPutElement(array, &index, item), S_OK);
    SysFreeString(item); // the array made its own copy
    index = 4;
    EXPECT_EQ(SafeArrayPutElement(array, &index, nullptr), DISP_E_BADINDEX);

    VARIANT v = Make(VT_ARRAY | VT_BSTR);
    v.parray = array;
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &v), S_OK);
    ASSERT_NE(copy.parray, array);
    BSTR got = nullptr;
    index = 2;
    ASSERT_EQ(SafeArrayGetElement(copy.parray, &index, &got), S_OK);
    EXPECT_EQ(BstrToUtf8(got), "two");
    SysFreeString(got);

    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
    EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(VariantClear(&copy), S_OK);
}

TEST(SafeArray, FirstIndexVariesFastest)
{
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {3, 10}}; // [0..1][10..12]
    SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(SafeArrayGetDim(array), 2u);
    LONG upper = 0;
    SafeArrayGetUBound(array, 2, &upper);
    EXPECT_EQ(upper, 12);
    LONG at[2] = {1, 11};
    LONG value = 77;
    ASSERT_EQ(SafeArrayPutElement(array, at, &value), S_OK);
    EXPECT_EQ(static_cast<LONG*>(array->pvData)[1 + 2 * 1], 77);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    EXPECT_EQ(SafeArrayCreateVector(static_cast<VARTYPE>(36), 0, 1), nullptr);
}

} // namespace
