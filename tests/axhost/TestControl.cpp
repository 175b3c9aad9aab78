#include "tests/axhost/TestControl.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/Registry.h"
#include "platform/user/WinUser.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

constexpr char kWindowClass[] = "QuellonTestControlWindow";

LRESULT TestControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Script().windowMessages.push_back(message);
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterWindowClass()
{
    WNDCLASSA existing;
    if (GetClassInfoA(nullptr, kWindowClass, &existing) != FALSE)
        return;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = TestControlWindowProc;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
}

std::string RegistryPath(REFCLSID clsid) { return "CLSID\\" + GuidToString(clsid); }

} // namespace

TestControlScript& Script()
{
    static TestControlScript script;
    return script;
}

void ResetScript()
{
    TestControl* live = Script().instance;
    Script() = TestControlScript{};
    Script().instance = live;
}

std::vector<std::string> TestControlScript::TakeCalls()
{
    std::vector<std::string> taken;
    taken.swap(calls);
    return taken;
}

bool TestControlScript::Called(const std::string& call) const
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

void RegisterTestControl(REFCLSID clsid)
{
    ComPtr<IClassFactory> factory = MakeClassFactory<TestControl>();
    RegisterClassFactory(clsid, factory.Get());
    RegistryInstallKey(HKEY_CLASSES_ROOT, RegistryPath(clsid));
}

void UnregisterTestControl(REFCLSID clsid)
{
    UnregisterClassFactory(clsid);
    RegistryRemoveKey(HKEY_CLASSES_ROOT, RegistryPath(clsid));
}

std::string DescribeValue(const VARIANT& value)
{
    std::ostringstream text;
    switch (value.vt) {
    case VT_I4:
        text << "I4:" << value.lVal;
        break;
    case VT_BOOL:
        text << "BOOL:" << value.boolVal;
        break;
    case VT_R8:
        text << "R8:" << value.dblVal;
        break;
    case VT_BSTR:
        text << "BSTR:" << (value.bstrVal == nullptr ? std::string("null") : BstrToUtf8(value.bstrVal));
        break;
    case VT_DISPATCH:
        text << "DISPATCH";
        break;
    default:
        text << "VT" << value.vt;
        break;
    }
    return text.str();
}

// --- TestControl ------------------------------------------------------------------------------

TestControl::TestControl()
    : points_(CanonicalUnknown()), propertyPoint_(points_.Add(IID_IPropertyNotifySink)),
      eventPoint_(points_.Add(Script().eventIid))
{
    Script().instance = this;
}

TestControl::~TestControl()
{
    if (window_ != nullptr)
        DestroyWindow(window_);
    for (auto& [id, value] : properties_)
        VariantClear(&value);
    if (Script().instance == this)
        Script().instance = nullptr;
}

HRESULT TestControl::Record(const std::string& name, const std::string& arguments)
{
    Script().calls.push_back(arguments.empty() ? name : name + "(" + arguments + ")");
    auto failure = Script().failures.find(name);
    return failure == Script().failures.end() ? S_OK : failure->second;
}

void TestControl::SetProperty(DISPID id, const VARIANT& value)
{
    VARIANT& slot = properties_[id];
    if (slot.vt == VT_EMPTY)
        VariantInit(&slot);
    VariantCopy(&slot, &value);
}

void TestControl::FireEvent(DISPID id, std::vector<VARIANT> arguments)
{
    std::reverse(arguments.begin(), arguments.end());
    DISPPARAMS params{arguments.empty() ? nullptr : arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    eventPoint_.FireDispatch(id, params);
    for (VARIANT& value : arguments)
        VariantClear(&value);
}

void TestControl::FireEventBlock(DISPID id, DISPPARAMS& params) { eventPoint_.FireDispatch(id, params); }

void TestControl::FireChanged(DISPID id) { propertyPoint_.FireOnChanged(id); }

ComPtr<IDispatch> TestControl::EventSink() const
{
    std::vector<ComPtr<IUnknown>> sinks = eventPoint_.Sinks();
    if (sinks.empty())
        return nullptr;
    return ComPtr<IDispatch>::AddRefFrom(static_cast<IDispatch*>(static_cast<void*>(sinks.front().Get())));
}

// --- IOleObject -------------------------------------------------------------------------------

HRESULT TestControl::SetClientSite(IOleClientSite* site)
{
    if (HRESULT failure = Record("SetClientSite", site != nullptr ? "site" : "null"); failure != S_OK)
        return failure;
    site_ = ComPtr<IOleClientSite>::AddRefFrom(site);
    return S_OK;
}

HRESULT TestControl::GetClientSite(IOleClientSite** site)
{
    if (site == nullptr)
        return E_POINTER;
    *site = nullptr;
    if (HRESULT failure = Record("GetClientSite"); failure != S_OK)
        return failure;
    return site_.CopyTo(site);
}

HRESULT TestControl::Close(DWORD saveOption)
{
    if (HRESULT failure = Record("Close", std::to_string(saveOption)); failure != S_OK)
        return failure;
    return InPlaceDeactivate();
}

HRESULT TestControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position)
{
    if (HRESULT failure = Record("DoVerb", std::to_string(verb)); failure != S_OK)
        return failure;
    if (verb == OLEIVERB_INPLACEACTIVATE)
        return ActivateInPlace(site, parent, position);
    if (verb == OLEIVERB_UIACTIVATE && inPlaceSite_)
        return inPlaceSite_->OnUIActivate();
    return S_OK;
}

HRESULT TestControl::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position)
{
    if (inPlaceActive_)
        return S_OK;
    if (site == nullptr || FAILED(ComQuery(site, inPlaceSite_)))
        return E_INVALIDARG;
    if (inPlaceSite_->CanInPlaceActivate() != S_OK || !Script().activates)
        return E_FAIL;
    inPlaceSite_->OnInPlaceActivate();
    inPlaceActive_ = true;
    if (!Script().makesWindow)
        return S_OK;
    RECT bounds = position != nullptr ? *position : RECT{};
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    if (SUCCEEDED(inPlaceSite_->GetWindowContext(frame.ReleaseAndGetAddressOf(), document.ReleaseAndGetAddressOf(),
                                                 &bounds, &clip, &info)))
        Record("GetWindowContext");
    RegisterWindowClass();
    window_ = CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                              bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr, nullptr,
                              nullptr);
    if (site_)
        site_->ShowObject();
    return window_ != nullptr ? S_OK : E_FAIL;
}

HRESULT TestControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (size == nullptr)
        return E_POINTER;
    if (HRESULT failure = Record("SetExtent", std::to_string(size->cx) + "," + std::to_string(size->cy));
        failure != S_OK)
        return failure;
    Script().extent = *size;
    return S_OK;
}

HRESULT TestControl::GetExtent(DWORD, SIZEL* size)
{
    if (size == nullptr)
        return E_POINTER;
    if (HRESULT failure = Record("GetExtent"); failure != S_OK)
        return failure;
    *size = Script().extent;
    return S_OK;
}

HRESULT TestControl::GetMiscStatus(DWORD, DWORD* status)
{
    if (status == nullptr)
        return E_POINTER;
    *status = 0;
    if (HRESULT failure = Record("GetMiscStatus"); failure != S_OK)
        return failure;
    *status = Script().miscStatus;
    return S_OK;
}

// --- IOleControl ------------------------------------------------------------------------------

HRESULT TestControl::GetControlInfo(CONTROLINFO* info)
{
    if (info == nullptr)
        return E_POINTER;
    if (HRESULT failure = Record("GetControlInfo"); failure != S_OK)
        return failure;
    info->hAccel = Script().accelerators;
    info->cAccel = Script().acceleratorCount;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT TestControl::OnMnemonic(MSG* message)
{
    if (message == nullptr)
        return E_POINTER;
    char text[32];
    std::snprintf(text, sizeof text, "%x,%x", message->message, static_cast<unsigned>(message->wParam));
    return Record("OnMnemonic", text);
}

HRESULT TestControl::OnAmbientPropertyChange(DISPID property)
{
    return Record("OnAmbientPropertyChange", std::to_string(property));
}

// --- in-place ---------------------------------------------------------------------------------

HRESULT TestControl::GetWindow(HWND* window)
{
    if (window == nullptr)
        return E_POINTER;
    *window = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
}

HRESULT TestControl::InPlaceDeactivate()
{
    if (!inPlaceActive_)
        return S_OK;
    Record("InPlaceDeactivate");
    inPlaceActive_ = false;
    if (window_ != nullptr) {
        DestroyWindow(window_);
        window_ = nullptr;
    }
    if (inPlaceSite_)
        inPlaceSite_->OnInPlaceDeactivate();
    inPlaceSite_.Reset();
    return S_OK;
}

HRESULT TestControl::UIDeactivate()
{
    Record("UIDeactivate");
    if (inPlaceSite_)
        inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT TestControl::SetObjectRects(LPCRECT position, LPCRECT clip)
{
    if (position == nullptr || clip == nullptr)
        return E_POINTER;
    return Record("SetObjectRects", std::to_string(position->left) + "," + std::to_string(position->top) + "," +
                                        std::to_string(position->right) + "," + std::to_string(position->bottom) +
                                        "/" + std::to_string(clip->right) + "," + std::to_string(clip->bottom));
}

HRESULT TestControl::TranslateAccelerator(LPMSG message)
{
    if (message == nullptr)
        return E_POINTER;
    std::ostringstream text;
    text << std::hex << message->message << "," << message->wParam << "," << message->pt.x << "," << message->pt.y
         << "," << (message->hwnd == window_ ? "own" : "other");
    Record("TranslateAccelerator", text.str());
    return Script().translateAccelerator;
}

// --- persistence: "TCTL", count, then (id, value) of each integer property -------------------

HRESULT TestControl::GetClassID(CLSID* clsid)
{
    if (clsid == nullptr)
        return E_POINTER;
    *clsid = CLSID_TestControl;
    return S_OK;
}

HRESULT TestControl::InitNew() { return Record("InitNew"); }

HRESULT TestControl::Save(LPSTREAM stream, BOOL clearDirty)
{
    if (stream == nullptr)
        return E_POINTER;
    if (HRESULT failure = Record("Save", clearDirty ? "clear" : "keep"); failure != S_OK)
        return failure;
    std::vector<LONG> words;
    for (const auto& [id, value] : properties_)
        if (value.vt == VT_I4) {
            words.push_back(id);
            words.push_back(value.lVal);
        }
    const LONG count = static_cast<LONG>(words.size() / 2);
    ULONG written = 0;
    HRESULT status = stream->Write("TCTL", 4, &written);
    if (SUCCEEDED(status))
        status = stream->Write(&count, sizeof count, &written);
    if (SUCCEEDED(status) && !words.empty())
        status = stream->Write(words.data(), static_cast<ULONG>(words.size() * sizeof(LONG)), &written);
    return status;
}

HRESULT TestControl::Load(LPSTREAM stream)
{
    if (stream == nullptr)
        return E_POINTER;
    if (HRESULT failure = Record("Load"); failure != S_OK)
        return failure;
    char magic[4];
    LONG count = 0;
    ULONG read = 0;
    if (FAILED(stream->Read(magic, 4, &read)) || read != 4 || std::memcmp(magic, "TCTL", 4) != 0)
        return STG_E_READFAULT;
    if (FAILED(stream->Read(&count, sizeof count, &read)) || read != sizeof count || count < 0)
        return STG_E_READFAULT;
    for (LONG i = 0; i < count; ++i) {
        LONG pair[2];
        if (FAILED(stream->Read(pair, sizeof pair, &read)) || read != sizeof pair)
            return STG_E_READFAULT;
        VARIANT value;
        InitVariantFromInt32(pair[1], &value);
        SetProperty(pair[0], value);
    }
    return S_OK;
}

// --- IDispatch --------------------------------------------------------------------------------

HRESULT TestControl::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TestControl::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* exception, UINT*)
{
    std::string kind = (flags & DISPATCH_PROPERTYPUTREF) != 0 ? "putref"
                       : (flags & DISPATCH_PROPERTYPUT) != 0  ? "put"
                       : (flags & DISPATCH_PROPERTYGET) != 0  ? "get"
                                                              : "method";
    const bool put = kind == "put" || kind == "putref";
    const bool namedPut = params != nullptr && params->cArgs == 1 && params->cNamedArgs == 1 &&
                          params->rgdispidNamedArgs != nullptr && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    if (put && !namedPut)
        return DISP_E_PARAMNOTFOUND;
    std::string arguments = std::to_string(member) + "," + kind;
    if (put)
        arguments += "," + DescribeValue(params->rgvarg[0]);
    if (HRESULT failure = Record("Invoke", arguments); failure != S_OK)
        return failure;
    if (auto thrown = Script().invokeExceptions.find(member); thrown != Script().invokeExceptions.end()) {
        if (exception != nullptr) {
            *exception = EXCEPINFO{};
            exception->scode = CTL_E_INVALIDPROPERTYVALUE;
            exception->bstrDescription = Utf8ToBstr(thrown->second);
            exception->bstrSource = Utf8ToBstr("TestControl");
        }
        return DISP_E_EXCEPTION;
    }
    if (put) {
        SetProperty(member, params->rgvarg[0]);
        return S_OK;
    }
    auto found = properties_.find(member);
    if (found == properties_.end())
        return DISP_E_MEMBERNOTFOUND;
    if (result == nullptr)
        return E_INVALIDARG;
    return VariantCopy(result, &found->second);
}

// --- IConnectionPointContainer ----------------------------------------------------------------

HRESULT TestControl::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    return points_.EnumConnectionPoints(points);
}

HRESULT TestControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    return points_.FindConnectionPoint(iid, point);
}
