// Installs the DirectShow classes of this process, as if they were registered on the machine:
// the filter graph manager (CLSID_FilterGraph), the Sample Grabber (CLSID_SampleGrabber) and
// the video renderer (CLSID_VideoRenderer) become creatable through CoCreateInstance, and each
// gets its registry key HKEY_CLASSES_ROOT\CLSID\{...} with its name and InprocServer32.
//
// Call once at start-up on the user-interface thread (renderers own windows). Uninstall
// removes them again (for tests of the not-installed paths). Both are idempotent and return
// S_OK, or the first failure of the class registry.
#pragma once

#include "platform/base/WinTypes.h"

HRESULT InstallDirectShowServices();
HRESULT UninstallDirectShowServices();
