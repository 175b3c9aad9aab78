#include "platform/com/Ole.h"

#include "platform/com/ComPtr.h"

#include <map>
#include <mutex>

namespace {

struct MenuDescriptors {
    std::mutex mutex;
    std::map<HWND, OleMenuDescriptorRecord> byFrame;
};

MenuDescriptors& Descriptors()
{
    static MenuDescriptors* descriptors = new MenuDescriptors; // never destroyed, see Blocks()
    return *descriptors;
}

} // namespace

HRESULT OleDraw(IUnknown* object, DWORD aspect, HDC dc, LPCRECT bounds)
{
    if (object == nullptr || bounds == nullptr)
        return E_INVALIDARG;
    ComPtr<IViewObject> view;
    HRESULT hr = ComQuery(object, view);
    if (FAILED(hr))
        return hr;
    RECTL rect = *bounds;
    return view->Draw(aspect, -1, nullptr, nullptr, nullptr, dc, &rect, nullptr, nullptr, 0);
}

HRESULT OleSetMenuDescriptor(HOLEMENU descriptor, HWND frameWindow, HWND activeObjectWindow, LPOLEINPLACEFRAME,
                             LPOLEINPLACEACTIVEOBJECT)
{
    MenuDescriptors& descriptors = Descriptors();
    std::lock_guard lock(descriptors.mutex);
    if (descriptor == nullptr) {
        descriptors.byFrame.erase(frameWindow);
        return S_OK;
    }
    if (frameWindow == nullptr)
        return E_INVALIDARG;
    try {
        descriptors.byFrame[frameWindow] = OleMenuDescriptorRecord{descriptor, activeObjectWindow};
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

bool OleGetMenuDescriptor(HWND frameWindow, OleMenuDescriptorRecord* record)
{
    MenuDescriptors& descriptors = Descriptors();
    std::lock_guard lock(descriptors.mutex);
    auto it = descriptors.byFrame.find(frameWindow);
    if (it == descriptors.byFrame.end())
        return false;
    if (record != nullptr)
        *record = it->second;
    return true;
}
