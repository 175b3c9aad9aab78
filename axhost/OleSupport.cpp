#include "axhost/OleSupport.h"

#include "framework/Exceptions.h"
#include "platform/com/OleFont.h"

#include <cmath>

void OleCheck(HRESULT status)
{
    if (FAILED(status))
        throw EOleSysError(status);
}

void RaiseDispatchError(HRESULT status, EXCEPINFO& info)
{
    if (status == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn != nullptr)
            info.pfnDeferredFillIn(&info);
        const HRESULT code = info.scode != 0 ? info.scode : status;
        const std::string description = BstrToUtf8(info.bstrDescription);
        const std::string source = BstrToUtf8(info.bstrSource);
        const std::string helpFile = BstrToUtf8(info.bstrHelpFile);
        const int helpContext = static_cast<int>(info.dwHelpContext);
        ClearExcepInfo(&info);
        if (!description.empty())
            throw EOleException(description, code, source, helpFile, helpContext);
        throw EOleSysError(code);
    }
    ClearExcepInfo(&info);
    throw EOleSysError(status);
}

ComPtr<IDispatch> MakeOleFont(const TFont& font)
{
    std::u16string name = Utf8ToUtf16(font.Name());
    FONTDESC description{};
    description.cbSizeofstruct = sizeof(FONTDESC);
    description.lpstrName = name.data();
    description.cySize.int64 = static_cast<LONGLONG>(font.Size()) * 10000;
    description.sWeight = font.Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    description.sCharset = font.Charset();
    description.fItalic = font.Style().Contains(fsItalic) ? TRUE : FALSE;
    description.fUnderline = font.Style().Contains(fsUnderline) ? TRUE : FALSE;
    description.fStrikethrough = font.Style().Contains(fsStrikeOut) ? TRUE : FALSE;
    ComPtr<IDispatch> result;
    OleCheck(OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(result.ReleaseAndGetAddressOf())));
    return result;
}

void AssignOleFont(TFont& font, IUnknown* object)
{
    ComPtr<IFont> source;
    OleCheck(ComQuery(object, source));
    UniqueBstr name;
    CY size{};
    BOOL bold = FALSE, italic = FALSE, underline = FALSE, strike = FALSE;
    SHORT charset = 0;
    OleCheck(source->get_Name(name.ReleaseAndGetAddressOf()));
    OleCheck(source->get_Size(&size));
    OleCheck(source->get_Bold(&bold));
    OleCheck(source->get_Italic(&italic));
    OleCheck(source->get_Underline(&underline));
    OleCheck(source->get_Strikethrough(&strike));
    OleCheck(source->get_Charset(&charset));
    TFont copy;
    copy.SetName(name.ToUtf8());
    copy.SetSize(static_cast<int>(std::lround(static_cast<double>(size.int64) / 10000.0)));
    TFontStyles style;
    if (bold)
        style.Include(fsBold);
    if (italic)
        style.Include(fsItalic);
    if (underline)
        style.Include(fsUnderline);
    if (strike)
        style.Include(fsStrikeOut);
    copy.SetStyle(style);
    copy.SetCharset(static_cast<TFontCharset>(charset));
    copy.SetColor(font.Color()); // an OLE font has no colour: keep ours
    font.Assign(&copy);
}
