#include "platform/dshow/DirectShowServices.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/ComRuntime.h"
#include "platform/dshow/DShowInterfaces.h"
#include "platform/dshow/FilterGraph.h"
#include "platform/dshow/SampleGrabber.h"
#include "platform/dshow/VideoRenderer.h"
#include "platform/registry/Registry.h"

#include <string>

namespace {

struct ServiceClass {
    const CLSID* clsid;
    const char* name;
    ClassFactory::CreateFunction create;
};

template <class T>
HRESULT QueryNew(const ComPtr<T>& object, REFIID iid, void** result)
{
    return object->QueryInterface(iid, result);
}

const ServiceClass kClasses[] = {
    {&CLSID_FilterGraph, "Filter Graph",
     [](REFIID iid, void** object) { return QueryNew(MakeComObject<FilterGraph>(), iid, object); }},
    {&CLSID_SampleGrabber, "SampleGrabber",
     [](REFIID iid, void** object) { return QueryNew(SampleGrabber::Create(), iid, object); }},
    {&CLSID_VideoRenderer, "Video Renderer",
     [](REFIID iid, void** object) { return QueryNew(VideoRenderer::Create(), iid, object); }},
};

std::string KeyOf(const CLSID& clsid)
{
    return "CLSID\\" + GuidToString(clsid);
}

}  // namespace

HRESULT InstallDirectShowServices()
{
    return ComBoundary([]() -> HRESULT {
        for (const ServiceClass& service : kClasses) {
            ComPtr<ClassFactory> factory = MakeComObject<ClassFactory>(service.create);
            const HRESULT hr = RegisterClassFactory(*service.clsid, factory.Get());
            if (hr != S_OK && hr != CO_E_OBJISREG)
                return hr;
            const std::string key = KeyOf(*service.clsid);
            if (RegistryInstallString(HKEY_CLASSES_ROOT, key, "", service.name) != ERROR_SUCCESS ||
                RegistryInstallString(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "", "(built in)") != ERROR_SUCCESS ||
                RegistryInstallString(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel", "Both") !=
                    ERROR_SUCCESS)
                return E_FAIL;
        }
        return S_OK;
    });
}

HRESULT UninstallDirectShowServices()
{
    return ComBoundary([]() -> HRESULT {
        for (const ServiceClass& service : kClasses) {
            const HRESULT hr = UnregisterClassFactory(*service.clsid);
            if (hr != S_OK && hr != CO_E_OBJNOTREG)
                return hr;
            RegistryRemoveKey(HKEY_CLASSES_ROOT, KeyOf(*service.clsid));
        }
        return S_OK;
    });
}
