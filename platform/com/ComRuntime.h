// The COM runtime of this process: per-thread initialisation, the in-process class registry
// behind CoCreateInstance, task memory, and a few helpers of the Windows API that COM code
// relies on (MulDiv, GetUserDefaultLCID).
//
// Classes are "installed" by registering a class factory at process start-up
// (RegisterClassFactory); tests unregister them again to exercise the not-installed paths.
// Every registered class is an in-process server. The registry is process-wide and may be
// used from any thread; creation needs the calling thread to be initialised.
#pragma once

#include "platform/com/Unknown.h"

using LCID = DWORD;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// Counted per thread: S_OK for the first call on a thread, S_FALSE for every further one
// (each must be balanced by CoUninitialize), RPC_E_CHANGED_MODE when the thread was
// initialised with the other concurrency model (that call is not counted).
HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD mode);
// Undoes one successful CoInitialize(Ex); an unbalanced call does nothing.
void CoUninitialize();
// OLE on top of COM (apartment-threaded): S_OK for the first OleInitialize on a thread,
// S_FALSE afterwards; each also counts one COM initialisation.
HRESULT OleInitialize(LPVOID reserved);
void OleUninitialize();

// Installs a class: the registry holds one reference to the factory until it is
// unregistered. E_POINTER for a null factory, CO_E_OBJISREG when the class is registered.
HRESULT RegisterClassFactory(REFCLSID clsid, IClassFactory* factory);
// Removes a class again (releasing the factory); CO_E_OBJNOTREG when it is not registered.
HRESULT UnregisterClassFactory(REFCLSID clsid);

// Both check the out-parameter (E_POINTER, else it is set to null), then the thread's
// initialisation (CO_E_NOTINITIALIZED), then find the class: REGDB_E_CLASSNOTREG when it is
// not registered or the context asks for no in-process server. CoCreateInstance then returns
// the factory's CreateInstance status.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID serverInfo, REFIID iid, LPVOID* object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, LPVOID* object);

// Memory that crosses interface boundaries (strings handed out through out-parameters).
LPVOID CoTaskMemAlloc(SIZE_T bytes);
LPVOID CoTaskMemRealloc(LPVOID memory, SIZE_T bytes);
void CoTaskMemFree(LPVOID memory);

// The user's locale id, from the process locale environment (LC_ALL, LC_MESSAGES, LANG);
// English (United States) 0x0409 when it names no language we know.
LCID GetUserDefaultLCID();

// number * numerator / denominator with a 64-bit intermediate, rounded to nearest with halves
// away from zero as Windows does; -1 when denominator is 0 or the result leaves 32 bits.
int MulDiv(int number, int numerator, int denominator);
