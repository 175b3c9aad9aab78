#include "platform/com/OleFont.h"
#include "TestObjects.h"

#include <gtest/gtest.h>

namespace {

ComPtr<IFont> MakeFont(const char16_t* name, LONGLONG sizeTenThousandths, SHORT weight)
{
    FONTDESC description{sizeof(FONTDESC), const_cast<LPOLESTR>(name), {}, weight, 0, TRUE, FALSE, FALSE};
    description.cySize.int64 = sizeTenThousandths;
    IFont* font = nullptr;
    EXPECT_EQ(OleCreateFontIndirect(&description, IID_IFont, reinterpret_cast<void**>(&font)), S_OK);
    return ComPtr<IFont>::TakeOver(font);
}

TEST(OleFont, CreatedFromADescription)
{
    ComPtr<IFont> font = MakeFont(u"Tahoma", 120000, FW_BOLD);
    ASSERT_TRUE(font);
    EXPECT_EQ(RefCount(font.Get()), 1u);
    UniqueBstr name;
    ASSERT_EQ(font->get_Name(name.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(name.ToUtf8(), "Tahoma");
    CY size{};
    font->get_Size(&size);
    EXPECT_EQ(size.int64, 120000);
    BOOL flag = FALSE;
    font->get_Bold(&flag);
    EXPECT_TRUE(flag);
    font->get_Italic(&flag);
    EXPECT_TRUE(flag);

    // Bold is a view of the weight.
    EXPECT_EQ(font->put_Weight(500), S_OK);
    font->get_Bold(&flag);
    EXPECT_FALSE(flag);
    EXPECT_EQ(font->put_Bold(TRUE), S_OK);
    SHORT weight = 0;
    font->get_Weight(&weight);
    EXPECT_EQ(weight, FW_BOLD);

    HFONT handle = reinterpret_cast<HFONT>(Sentinel());
    EXPECT_EQ(font->get_hFont(&handle), E_NOTIMPL);
    EXPECT_EQ(handle, nullptr);

    void* out = Sentinel();
    FONTDESC wrongSize{4, nullptr, {}, 0, 0, FALSE, FALSE, FALSE};
    EXPECT_EQ(OleCreateFontIndirect(&wrongSize, IID_IFont, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(OleCreateFontIndirect(nullptr, IID_IOleObject, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST(OleFont, CloneAndCompare)
{
    ComPtr<IFont> font = MakeFont(u"Arial", 90000, FW_NORMAL);
    IFont* copy = nullptr;
    ASSERT_EQ(font->Clone(&copy), S_OK);
    EXPECT_NE(copy, font.Get());
    EXPECT_EQ(font->IsEqual(copy), S_OK);
    copy->put_Underline(TRUE);
    EXPECT_EQ(font->IsEqual(copy), S_FALSE) << "the clone is independent";
    copy->Release();
    EXPECT_EQ(font->IsEqual(nullptr), E_POINTER);
    ComPtr<IFont> sameButCase = MakeFont(u"ARIAL", 90000, FW_NORMAL);
    EXPECT_EQ(font->IsEqual(sameButCase.Get()), S_OK) << "font names compare without case";
}

TEST(OleFont, DispatchPropertiesAndChangeNotification)
{
    ComPtr<IFont> font = MakeFont(u"Arial", 80000, FW_NORMAL);
    ComPtr<IFontDisp> disp;
    ASSERT_EQ(font.As(disp), S_OK);

    LPOLESTR names[] = {const_cast<LPOLESTR>(u"sIzE")};
    DISPID id = 0;
    ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, DISPID_FONT_SIZE);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(u"Colour")};
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);

    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(font.As(container), S_OK);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<RecordingNotifySink> sink = MakeComObject<RecordingNotifySink>();
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);

    // A put names its value DISPID_PROPERTYPUT; an integer converts to the property's type.
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 12;
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &putId, 1, 1};
    ASSERT_EQ(disp->Invoke(DISPID_FONT_SIZE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(sink->changed, std::vector<DISPID>{DISPID_FONT_SIZE});

    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(disp->Invoke(DISPID_FONT_SIZE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_CY);
    EXPECT_EQ(result.cyVal.int64, 120000);
    ASSERT_EQ(disp->Invoke(DISPID_FONT_BOLD, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_FALSE);

    value.vt = VT_DISPATCH;
    value.pdispVal = nullptr;
    UINT argError = 99;
    EXPECT_EQ(disp->Invoke(DISPID_FONT_NAME, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, &argError),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 0u);
    EXPECT_EQ(disp->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
    DISPPARAMS two{&value, nullptr, 2, 0};
    EXPECT_EQ(disp->Invoke(DISPID_FONT_SIZE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &two, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);

    point->Unadvise(cookie);
    EXPECT_EQ(RefCount(sink.Get()), 1u);
}

} // namespace
