#include "platform/com/OleFont.h"

#include "platform/com/ConnectionPointHelper.h"

#include <string>

namespace {

constexpr SHORT DEFAULT_CHARSET = 1;

bool SameTextNoCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z')
            x = static_cast<char16_t>(x - 0x20);
        if (y >= u'a' && y <= u'z')
            y = static_cast<char16_t>(y - 0x20);
        if (x != y)
            return false;
    }
    return true;
}

struct FontProperty {
    const char16_t* name;
    DISPID id;
    VARTYPE type;
};

constexpr FontProperty FontProperties[] = {
    {u"Name", DISPID_FONT_NAME, VT_BSTR},     {u"Size", DISPID_FONT_SIZE, VT_CY},
    {u"Bold", DISPID_FONT_BOLD, VT_BOOL},     {u"Italic", DISPID_FONT_ITALIC, VT_BOOL},
    {u"Underline", DISPID_FONT_UNDER, VT_BOOL}, {u"Strikethrough", DISPID_FONT_STRIKE, VT_BOOL},
    {u"Weight", DISPID_FONT_WEIGHT, VT_I2},   {u"Charset", DISPID_FONT_CHARSET, VT_I2},
};

const FontProperty* FindProperty(DISPID id)
{
    for (const FontProperty& p : FontProperties)
        if (p.id == id)
            return &p;
    return nullptr;
}

class OleFont final : public ComObject<IFont, IFontDisp, IConnectionPointContainer> {
public:
    struct Description {
        std::u16string name;
        CY size{};
        SHORT weight = FW_NORMAL;
        SHORT charset = DEFAULT_CHARSET;
        bool italic = false;
        bool underline = false;
        bool strikethrough = false;
    };

    explicit OleFont(Description description) : description_(std::move(description)) {}

    // --- IFont ---
    HRESULT get_Name(BSTR* name) override
    {
        if (name == nullptr)
            return E_POINTER;
        *name = SysAllocStringLen(description_.name.data(), static_cast<UINT>(description_.name.size()));
        return *name == nullptr ? E_OUTOFMEMORY : S_OK;
    }
    HRESULT put_Name(BSTR name) override
    {
        if (name == nullptr)
            return CTL_E_INVALIDPROPERTYVALUE;
        return ComBoundary([&] {
            description_.name.assign(BstrView(name));
            return Changed(DISPID_FONT_NAME);
        });
    }
    HRESULT get_Size(CY* size) override { return Get(size, description_.size); }
    HRESULT put_Size(CY size) override
    {
        description_.size = size;
        return Changed(DISPID_FONT_SIZE);
    }
    HRESULT get_Bold(BOOL* bold) override { return Get(bold, description_.weight > 550 ? TRUE : FALSE); }
    HRESULT put_Bold(BOOL bold) override
    {
        description_.weight = bold ? FW_BOLD : FW_NORMAL;
        return Changed(DISPID_FONT_BOLD);
    }
    HRESULT get_Italic(BOOL* italic) override { return Get(italic, description_.italic ? TRUE : FALSE); }
    HRESULT put_Italic(BOOL italic) override
    {
        description_.italic = italic != FALSE;
        return Changed(DISPID_FONT_ITALIC);
    }
    HRESULT get_Underline(BOOL* underline) override { return Get(underline, description_.underline ? TRUE : FALSE); }
    HRESULT put_Underline(BOOL underline) override
    {
        description_.underline = underline != FALSE;
        return Changed(DISPID_FONT_UNDER);
    }
    HRESULT get_Strikethrough(BOOL* strike) override { return Get(strike, description_.strikethrough ? TRUE : FALSE); }
    HRESULT put_Strikethrough(BOOL strike) override
    {
        description_.strikethrough = strike != FALSE;
        return Changed(DISPID_FONT_STRIKE);
    }
    HRESULT get_Weight(SHORT* weight) override { return Get(weight, description_.weight); }
    HRESULT put_Weight(SHORT weight) override
    {
        description_.weight = weight;
        return Changed(DISPID_FONT_WEIGHT);
    }
    HRESULT get_Charset(SHORT* charset) override { return Get(charset, description_.charset); }
    HRESULT put_Charset(SHORT charset) override
    {
        description_.charset = charset;
        return Changed(DISPID_FONT_CHARSET);
    }
    HRESULT get_hFont(HFONT* font) override
    {
        if (font == nullptr)
            return E_POINTER;
        *font = nullptr;
        return E_NOTIMPL;
    }
    HRESULT Clone(IFont** copy) override
    {
        if (copy == nullptr)
            return E_POINTER;
        *copy = nullptr;
        return ComBoundary([&] {
            ComPtr<OleFont> font = MakeComObject<OleFont>(description_);
            font->ratioLogical_ = ratioLogical_;
            font->ratioHimetric_ = ratioHimetric_;
            *copy = static_cast<IFont*>(font.Detach());
            return S_OK;
        });
    }
    HRESULT IsEqual(IFont* other) override
    {
        if (other == nullptr)
            return E_POINTER;
        UniqueBstr name;
        CY size{};
        SHORT weight = 0, charset = 0;
        BOOL italic = FALSE, underline = FALSE, strike = FALSE;
        if (FAILED(other->get_Name(name.ReleaseAndGetAddressOf())) || FAILED(other->get_Size(&size)) ||
            FAILED(other->get_Weight(&weight)) || FAILED(other->get_Charset(&charset)) ||
            FAILED(other->get_Italic(&italic)) || FAILED(other->get_Underline(&underline)) ||
            FAILED(other->get_Strikethrough(&strike)))
            return S_FALSE;
        bool equal = SameTextNoCase(BstrView(name.Get()), description_.name) && size.int64 == description_.size.int64 &&
                     weight == description_.weight && charset == description_.charset &&
                     (italic != FALSE) == description_.italic && (underline != FALSE) == description_.underline &&
                     (strike != FALSE) == description_.strikethrough;
        return equal ? S_OK : S_FALSE;
    }
    HRESULT SetRatio(LONG logical, LONG himetric) override
    {
        if (logical == 0 || himetric == 0)
            return E_FAIL;
        ratioLogical_ = logical;
        ratioHimetric_ = himetric;
        return S_OK;
    }
    HRESULT QueryTextMetrics(TEXTMETRICOLE*) override { return E_NOTIMPL; }
    HRESULT AddRefHfont(HFONT) override { return E_NOTIMPL; }
    HRESULT ReleaseHfont(HFONT) override { return E_NOTIMPL; }
    HRESULT SetHdc(HDC dc) override
    {
        dc_ = dc;
        return S_OK;
    }

    // --- IDispatch (IFontDisp) ---
    HRESULT GetTypeInfoCount(UINT* count) override
    {
        if (count == nullptr)
            return E_INVALIDARG;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info != nullptr)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (names == nullptr || ids == nullptr)
            return E_INVALIDARG;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            if (i == 0 && names[0] != nullptr) {
                for (const FontProperty& p : FontProperties)
                    if (SameTextNoCase(names[0], p.name))
                        ids[0] = p.id;
            }
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT* argumentError) override
    {
        const FontProperty* property = FindProperty(member);
        if (property == nullptr)
            return DISP_E_MEMBERNOTFOUND;
        if (flags & DISPATCH_PROPERTYGET) {
            if (result == nullptr)
                return E_INVALIDARG;
            return ComBoundary([&] { return ReadProperty(*property, result); });
        }
        if (flags & DISPATCH_PROPERTYPUT) {
            if (params == nullptr || params->rgvarg == nullptr)
                return E_INVALIDARG;
            if (params->cArgs != 1)
                return DISP_E_BADPARAMCOUNT;
            ScopedVariant value;
            HRESULT hr = VariantChangeType(value.Get(), &params->rgvarg[0], 0, property->type);
            if (FAILED(hr)) {
                if (argumentError != nullptr)
                    *argumentError = 0;
                return hr;
            }
            return WriteProperty(*property, *value.Get());
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    // --- IConnectionPointContainer ---
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override { return points_.EnumConnectionPoints(points); }
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override
    {
        return points_.FindConnectionPoint(iid, point);
    }

private:
    template <class T>
    static HRESULT Get(T* out, T value)
    {
        if (out == nullptr)
            return E_POINTER;
        *out = value;
        return S_OK;
    }

    HRESULT Changed(DISPID id)
    {
        notify_.FireOnChanged(id);
        return S_OK;
    }

    HRESULT ReadProperty(const FontProperty& property, VARIANT* result)
    {
        VariantClear(result);
        switch (property.id) {
        case DISPID_FONT_NAME: {
            BSTR name = nullptr;
            HRESULT hr = get_Name(&name);
            if (FAILED(hr))
                return hr;
            result->vt = VT_BSTR;
            result->bstrVal = name;
            return S_OK;
        }
        case DISPID_FONT_SIZE:
            result->vt = VT_CY;
            result->cyVal = description_.size;
            return S_OK;
        case DISPID_FONT_WEIGHT:
        case DISPID_FONT_CHARSET:
            result->vt = VT_I2;
            result->iVal = property.id == DISPID_FONT_WEIGHT ? description_.weight : description_.charset;
            return S_OK;
        default: {
            BOOL value = FALSE;
            switch (property.id) {
            case DISPID_FONT_BOLD: get_Bold(&value); break;
            case DISPID_FONT_ITALIC: get_Italic(&value); break;
            case DISPID_FONT_UNDER: get_Underline(&value); break;
            default: get_Strikethrough(&value); break;
            }
            result->vt = VT_BOOL;
            result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        }
    }

    HRESULT WriteProperty(const FontProperty& property, const VARIANT& value)
    {
        switch (property.id) {
        case DISPID_FONT_NAME:
            if (value.bstrVal == nullptr) {
                // A null BSTR is the empty text.
                description_.name.clear();
                return Changed(DISPID_FONT_NAME);
            }
            return put_Name(value.bstrVal);
        case DISPID_FONT_SIZE: return put_Size(value.cyVal);
        case DISPID_FONT_BOLD: return put_Bold(value.boolVal != 0);
        case DISPID_FONT_ITALIC: return put_Italic(value.boolVal != 0);
        case DISPID_FONT_UNDER: return put_Underline(value.boolVal != 0);
        case DISPID_FONT_STRIKE: return put_Strikethrough(value.boolVal != 0);
        case DISPID_FONT_WEIGHT: return put_Weight(value.iVal);
        default: return put_Charset(value.iVal);
        }
    }

    Description description_;
    LONG ratioLogical_ = 1;
    LONG ratioHimetric_ = 1;
    HDC dc_ = nullptr;
    ConnectionPoints points_{CanonicalUnknown()};
    ConnectionPoint& notify_ = points_.Add(IID_IPropertyNotifySink);
};

} // namespace

HRESULT OleCreateFontIndirect(LPFONTDESC description, REFIID iid, LPVOID* object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    OleFont::Description font;
    if (description == nullptr) {
        font.name = u"MS Sans Serif";
        font.size.int64 = 80000;
    } else {
        if (description->cbSizeofstruct != sizeof(FONTDESC))
            return E_INVALIDARG;
        if (description->lpstrName != nullptr)
            font.name = description->lpstrName;
        font.size = description->cySize;
        font.weight = description->sWeight;
        font.charset = description->sCharset;
        font.italic = description->fItalic != FALSE;
        font.underline = description->fUnderline != FALSE;
        font.strikethrough = description->fStrikethrough != FALSE;
    }
    return ComBoundary([&] {
        ComPtr<OleFont> created = MakeComObject<OleFont>(std::move(font));
        return static_cast<IFont*>(created.Get())->QueryInterface(iid, object);
    });
}
