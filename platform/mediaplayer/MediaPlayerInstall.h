// Installs the media player control in this process as if it were registered on the machine:
// its class factory becomes reachable through CoCreateInstance under
// {22D6F312-B0F6-11D0-94AB-0080C74C7E95}, and HKEY_CLASSES_ROOT\CLSID\{22D6F312-...} exists with
// its name and InprocServer32. The DirectShow services it plays through are installed too.
//
// Call at start-up on the user-interface thread (the control creates windows). Both calls are
// idempotent and return S_OK, or the first failure of the class or registry tables;
// Uninstall (for tests of the not-installed paths) leaves the DirectShow services in place.
#pragma once

#include "platform/base/WinTypes.h"

HRESULT InstallMediaPlayerControl();
HRESULT UninstallMediaPlayerControl();
