#include "platform/mediaplayer/MediaPlayerInstall.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/ComRuntime.h"
#include "platform/dshow/DirectShowServices.h"
#include "platform/mediaplayer/MediaPlayerControl.h"
#include "platform/registry/Registry.h"

#include <string>

namespace {

std::string ClassKey()
{
    return "CLSID\\" + GuidToString(mediaplayer::CLSID_MediaPlayer);
}

}  // namespace

HRESULT InstallMediaPlayerControl()
{
    return ComBoundary([]() -> HRESULT {
        HRESULT hr = InstallDirectShowServices();
        if (FAILED(hr))
            return hr;
        ComPtr<ClassFactory> factory = MakeComObject<ClassFactory>([](REFIID iid, void** object) -> HRESULT {
            return ComBoundary([&] {
                ComPtr<mediaplayer::MediaPlayerControl> control = MakeComObject<mediaplayer::MediaPlayerControl>();
                return control->QueryInterface(iid, object);
            });
        });
        hr = RegisterClassFactory(mediaplayer::CLSID_MediaPlayer, factory.Get());
        if (hr != S_OK && hr != CO_E_OBJISREG)
            return hr;
        const std::string key = ClassKey();
        if (RegistryInstallString(HKEY_CLASSES_ROOT, key, "", "Windows Media Player") != ERROR_SUCCESS ||
            RegistryInstallString(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "", "(built in)") != ERROR_SUCCESS ||
            RegistryInstallString(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel", "Apartment") !=
                ERROR_SUCCESS)
            return E_FAIL;
        return S_OK;
    });
}

HRESULT UninstallMediaPlayerControl()
{
    return ComBoundary([]() -> HRESULT {
        const HRESULT hr = UnregisterClassFactory(mediaplayer::CLSID_MediaPlayer);
        if (hr != S_OK && hr != CO_E_OBJNOTREG)
            return hr;
        RegistryRemoveKey(HKEY_CLASSES_ROOT, ClassKey());
        return S_OK;
    });
}
