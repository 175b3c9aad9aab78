// Status codes of the COM, OLE, automation and DirectShow interfaces, and the Windows system
// error numbers, with their Windows numeric values so that a status read in a log or compared
// against documentation means the same thing here.
//
// HRESULT values with the severity bit set are written as unsigned literals and stored as the
// signed 32-bit HRESULT, exactly as on Windows (E_FAIL reads as -2147467259).
#pragma once

#include "platform/base/SystemErrorCodes.h"

#include "platform/base/WinTypes.h"

using SCODE = LONG;

constexpr HRESULT MakeHResult(DWORD value) { return static_cast<HRESULT>(value); }

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr DWORD FACILITY_ITF = 4;
constexpr DWORD FACILITY_WIN32 = 7;
constexpr DWORD HRESULT_CODE(HRESULT hr) { return static_cast<DWORD>(hr) & 0xFFFF; }
constexpr DWORD HRESULT_FACILITY(HRESULT hr) { return (static_cast<DWORD>(hr) >> 16) & 0x1FFF; }

// A system error number as a status: 0 stays S_OK, anything else gets the Win32 facility.
constexpr HRESULT HRESULT_FROM_WIN32(DWORD error)
{
    return static_cast<LONG>(error) <= 0 ? static_cast<HRESULT>(error)
                                         : MakeHResult((error & 0xFFFF) | (FACILITY_WIN32 << 16) | 0x80000000u);
}

// --- Generic --------------------------------------------------------------------------------
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT NOERROR = 0;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
constexpr HRESULT E_ABORT = MakeHResult(0x80004004u);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
constexpr HRESULT E_PENDING = MakeHResult(0x8000000Au);
constexpr HRESULT E_BOUNDS = MakeHResult(0x8000000Bu);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005u);
constexpr HRESULT E_HANDLE = MakeHResult(0x80070006u);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);

// --- COM runtime ----------------------------------------------------------------------------
constexpr HRESULT RPC_E_CHANGED_MODE = MakeHResult(0x80010106u);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111u);
constexpr HRESULT CLASS_E_NOTLICENSED = MakeHResult(0x80040112u);
constexpr HRESULT REGDB_E_READREGDB = MakeHResult(0x80040150u);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154u);
constexpr HRESULT REGDB_E_IIDNOTREG = MakeHResult(0x80040155u);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHResult(0x800401F0u);
constexpr HRESULT CO_E_ALREADYINITIALIZED = MakeHResult(0x800401F1u);
constexpr HRESULT CO_E_CLASSSTRING = MakeHResult(0x800401F3u);
constexpr HRESULT CO_E_OBJNOTREG = MakeHResult(0x800401FAu);
constexpr HRESULT CO_E_OBJISREG = MakeHResult(0x800401FBu);

// --- Automation -----------------------------------------------------------------------------
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHResult(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHResult(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHResult(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHResult(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHResult(0x80020006u);
constexpr HRESULT DISP_E_NONAMEDARGS = MakeHResult(0x80020007u);
constexpr HRESULT DISP_E_BADVARTYPE = MakeHResult(0x80020008u);
constexpr HRESULT DISP_E_EXCEPTION = MakeHResult(0x80020009u);
constexpr HRESULT DISP_E_OVERFLOW = MakeHResult(0x8002000Au);
constexpr HRESULT DISP_E_BADINDEX = MakeHResult(0x8002000Bu);
constexpr HRESULT DISP_E_UNKNOWNLCID = MakeHResult(0x8002000Cu);
constexpr HRESULT DISP_E_ARRAYISLOCKED = MakeHResult(0x8002000Du);
constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHResult(0x8002000Eu);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = MakeHResult(0x8002000Fu);
constexpr HRESULT DISP_E_BADCALLEE = MakeHResult(0x80020010u);
constexpr HRESULT DISP_E_NOTACOLLECTION = MakeHResult(0x80020011u);
constexpr HRESULT DISP_E_DIVBYZERO = MakeHResult(0x80020012u);

// --- Control properties -------------------------------------------------------------------
constexpr HRESULT CTL_E_INVALIDPROPERTYVALUE = MakeHResult(0x800A017Cu);

// --- Structured storage (streams) -----------------------------------------------------------
constexpr HRESULT STG_E_INVALIDFUNCTION = MakeHResult(0x80030001u);
constexpr HRESULT STG_E_ACCESSDENIED = MakeHResult(0x80030005u);
constexpr HRESULT STG_E_INSUFFICIENTMEMORY = MakeHResult(0x80030008u);
constexpr HRESULT STG_E_INVALIDPOINTER = MakeHResult(0x80030009u);
constexpr HRESULT STG_E_WRITEFAULT = MakeHResult(0x8003001Du);
constexpr HRESULT STG_E_READFAULT = MakeHResult(0x8003001Eu);
constexpr HRESULT STG_E_INVALIDPARAMETER = MakeHResult(0x80030057u);
constexpr HRESULT STG_E_MEDIUMFULL = MakeHResult(0x80030070u);
constexpr HRESULT STG_E_INVALIDFLAG = MakeHResult(0x800300FFu);

// --- OLE ------------------------------------------------------------------------------------
constexpr HRESULT OLE_E_OLEVERB = MakeHResult(0x80040000u);
constexpr HRESULT OLE_E_ADVF = MakeHResult(0x80040001u);
constexpr HRESULT OLE_E_ENUM_NOMORE = MakeHResult(0x80040002u);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = MakeHResult(0x80040003u);
constexpr HRESULT OLE_E_NOCONNECTION = MakeHResult(0x80040004u);
constexpr HRESULT OLE_E_NOTRUNNING = MakeHResult(0x80040005u);
constexpr HRESULT OLE_E_NOCACHE = MakeHResult(0x80040006u);
constexpr HRESULT OLE_E_BLANK = MakeHResult(0x80040007u);
constexpr HRESULT OLE_E_CLASSDIFF = MakeHResult(0x80040008u);
constexpr HRESULT OLE_E_CANT_GETMONIKER = MakeHResult(0x80040009u);
constexpr HRESULT OLE_E_CANT_BINDTOSOURCE = MakeHResult(0x8004000Au);
constexpr HRESULT OLE_E_STATIC = MakeHResult(0x8004000Bu);
constexpr HRESULT OLE_E_PROMPTSAVECANCELLED = MakeHResult(0x8004000Cu);
constexpr HRESULT OLE_E_INVALIDRECT = MakeHResult(0x8004000Du);
constexpr HRESULT OLE_E_WRONGCOMPOBJ = MakeHResult(0x8004000Eu);
constexpr HRESULT OLE_E_INVALIDHWND = MakeHResult(0x8004000Fu);
constexpr HRESULT OLE_E_NOT_INPLACEACTIVE = MakeHResult(0x80040010u);
constexpr HRESULT OLE_E_CANTCONVERT = MakeHResult(0x80040011u);
constexpr HRESULT OLE_E_NOSTORAGE = MakeHResult(0x80040012u);
constexpr HRESULT DV_E_FORMATETC = MakeHResult(0x80040064u);
constexpr HRESULT DV_E_LINDEX = MakeHResult(0x80040068u);
constexpr HRESULT DV_E_DVASPECT = MakeHResult(0x8004006Bu);
constexpr HRESULT VIEW_E_DRAW = MakeHResult(0x80040140u);
constexpr HRESULT OLEOBJ_S_INVALIDVERB = MakeHResult(0x00040180u);
constexpr HRESULT OLEOBJ_S_CANNOT_DOVERB_NOW = MakeHResult(0x00040181u);
constexpr HRESULT OLEOBJ_S_INVALIDHWND = MakeHResult(0x00040182u);
constexpr HRESULT OLEOBJ_E_NOVERBS = MakeHResult(0x80040180u);
constexpr HRESULT OLEOBJ_E_INVALIDVERB = MakeHResult(0x80040181u);
constexpr HRESULT INPLACE_E_NOTUNDOABLE = MakeHResult(0x800401A0u);
constexpr HRESULT INPLACE_E_NOTOOLSPACE = MakeHResult(0x800401A1u);

// Connection points share their interface-specific range with DirectShow's codes below:
// the same number means different things depending on which interface returned it.
constexpr HRESULT CONNECT_E_NOCONNECTION = MakeHResult(0x80040200u);
constexpr HRESULT CONNECT_E_ADVISELIMIT = MakeHResult(0x80040201u);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = MakeHResult(0x80040202u);
constexpr HRESULT CONNECT_E_OVERRIDDEN = MakeHResult(0x80040203u);

// --- DirectShow -----------------------------------------------------------------------------
constexpr HRESULT VFW_E_INVALIDMEDIATYPE = MakeHResult(0x80040200u);
constexpr HRESULT VFW_E_INVALIDSUBTYPE = MakeHResult(0x80040201u);
constexpr HRESULT VFW_E_NEED_OWNER = MakeHResult(0x80040202u);
constexpr HRESULT VFW_E_ENUM_OUT_OF_SYNC = MakeHResult(0x80040203u);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = MakeHResult(0x80040204u);
constexpr HRESULT VFW_E_FILTER_ACTIVE = MakeHResult(0x80040205u);
constexpr HRESULT VFW_E_NO_TYPES = MakeHResult(0x80040206u);
constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = MakeHResult(0x80040207u);
constexpr HRESULT VFW_E_INVALID_DIRECTION = MakeHResult(0x80040208u);
constexpr HRESULT VFW_E_NOT_CONNECTED = MakeHResult(0x80040209u);
constexpr HRESULT VFW_S_NO_MORE_ITEMS = MakeHResult(0x00040103u);
constexpr HRESULT VFW_E_NO_PALETTE_AVAILABLE = MakeHResult(0x8004021Eu);
constexpr HRESULT VFW_E_NO_ALLOCATOR = MakeHResult(0x8004020Au);
constexpr HRESULT VFW_E_RUNTIME_ERROR = MakeHResult(0x8004020Bu);
constexpr HRESULT VFW_E_BUFFER_NOTSET = MakeHResult(0x8004020Cu);
constexpr HRESULT VFW_E_BUFFER_OVERFLOW = MakeHResult(0x8004020Du);
constexpr HRESULT VFW_E_BADALIGN = MakeHResult(0x8004020Eu);
constexpr HRESULT VFW_E_ALREADY_COMMITTED = MakeHResult(0x8004020Fu);
constexpr HRESULT VFW_E_BUFFERS_OUTSTANDING = MakeHResult(0x80040210u);
constexpr HRESULT VFW_E_NOT_COMMITTED = MakeHResult(0x80040211u);
constexpr HRESULT VFW_E_SIZENOTSET = MakeHResult(0x80040212u);
constexpr HRESULT VFW_E_NO_CLOCK = MakeHResult(0x80040213u);
constexpr HRESULT VFW_E_NO_SINK = MakeHResult(0x80040214u);
constexpr HRESULT VFW_E_NO_INTERFACE = MakeHResult(0x80040215u);
constexpr HRESULT VFW_E_NOT_FOUND = MakeHResult(0x80040216u);
constexpr HRESULT VFW_E_CANNOT_CONNECT = MakeHResult(0x80040217u);
constexpr HRESULT VFW_E_CANNOT_RENDER = MakeHResult(0x80040218u);
constexpr HRESULT VFW_E_CHANGING_FORMAT = MakeHResult(0x80040219u);
constexpr HRESULT VFW_E_STATE_CHANGED = MakeHResult(0x80040223u);
constexpr HRESULT VFW_E_NOT_STOPPED = MakeHResult(0x80040224u);
constexpr HRESULT VFW_E_NOT_PAUSED = MakeHResult(0x80040225u);
constexpr HRESULT VFW_E_NOT_RUNNING = MakeHResult(0x80040226u);
constexpr HRESULT VFW_E_WRONG_STATE = MakeHResult(0x80040227u);
constexpr HRESULT VFW_E_START_TIME_AFTER_END = MakeHResult(0x80040228u);
constexpr HRESULT VFW_E_INVALID_RECT = MakeHResult(0x80040229u);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = MakeHResult(0x8004022Au);
constexpr HRESULT VFW_E_SAMPLE_REJECTED = MakeHResult(0x8004022Bu);
constexpr HRESULT VFW_E_SAMPLE_REJECTED_EOS = MakeHResult(0x8004022Cu);
constexpr HRESULT VFW_E_DUPLICATE_NAME = MakeHResult(0x8004022Du);
constexpr HRESULT VFW_S_DUPLICATE_NAME = MakeHResult(0x0004022Du);
constexpr HRESULT VFW_E_TIMEOUT = MakeHResult(0x8004022Eu);
constexpr HRESULT VFW_E_INVALID_FILE_FORMAT = MakeHResult(0x8004022Fu);
constexpr HRESULT VFW_E_ENUM_OUT_OF_RANGE = MakeHResult(0x80040230u);
constexpr HRESULT VFW_E_CIRCULAR_GRAPH = MakeHResult(0x80040231u);
constexpr HRESULT VFW_E_NOT_ALLOWED_TO_SAVE = MakeHResult(0x80040232u);
constexpr HRESULT VFW_E_TIME_ALREADY_PASSED = MakeHResult(0x80040233u);
constexpr HRESULT VFW_E_ALREADY_CANCELLED = MakeHResult(0x80040234u);
constexpr HRESULT VFW_E_CORRUPT_GRAPH_FILE = MakeHResult(0x80040235u);
constexpr HRESULT VFW_E_ADVISE_ALREADY_SET = MakeHResult(0x80040236u);
constexpr HRESULT VFW_S_STATE_INTERMEDIATE = MakeHResult(0x00040237u);
constexpr HRESULT VFW_E_NO_ADVISE_SET = MakeHResult(0x80040239u);
constexpr HRESULT VFW_E_NO_FULLSCREEN = MakeHResult(0x8004023Au);
constexpr HRESULT VFW_E_IN_FULLSCREEN_MODE = MakeHResult(0x8004023Bu);
constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = MakeHResult(0x80040240u);
constexpr HRESULT VFW_E_CANNOT_LOAD_SOURCE_FILTER = MakeHResult(0x80040241u);
constexpr HRESULT VFW_S_PARTIAL_RENDER = MakeHResult(0x00040242u);
constexpr HRESULT VFW_E_FILE_TOO_SHORT = MakeHResult(0x80040243u);
constexpr HRESULT VFW_E_INVALID_FILE_VERSION = MakeHResult(0x80040244u);
constexpr HRESULT VFW_S_SOME_DATA_IGNORED = MakeHResult(0x00040245u);
constexpr HRESULT VFW_S_CONNECTIONS_DEFERRED = MakeHResult(0x00040246u);
constexpr HRESULT VFW_E_INVALID_CLSID = MakeHResult(0x80040247u);
constexpr HRESULT VFW_E_INVALID_MEDIA_TYPE = MakeHResult(0x80040248u);
constexpr HRESULT VFW_E_SAMPLE_TIME_NOT_SET = MakeHResult(0x80040249u);
constexpr HRESULT VFW_S_RESOURCE_NOT_NEEDED = MakeHResult(0x00040250u);
constexpr HRESULT VFW_E_MEDIA_TIME_NOT_SET = MakeHResult(0x80040251u);
constexpr HRESULT VFW_E_NO_TIME_FORMAT_SET = MakeHResult(0x80040252u);
constexpr HRESULT VFW_S_MEDIA_TYPE_IGNORED = MakeHResult(0x00040254u);
constexpr HRESULT VFW_E_NO_DECOMPRESSOR = MakeHResult(0x80040255u);
constexpr HRESULT VFW_E_NO_AUDIO_HARDWARE = MakeHResult(0x80040256u);
constexpr HRESULT VFW_S_VIDEO_NOT_RENDERED = MakeHResult(0x00040257u);
constexpr HRESULT VFW_S_AUDIO_NOT_RENDERED = MakeHResult(0x00040258u);
constexpr HRESULT VFW_E_UNSUPPORTED_AUDIO = MakeHResult(0x8004025Cu);
constexpr HRESULT VFW_E_UNSUPPORTED_VIDEO = MakeHResult(0x8004025Du);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = MakeHResult(0x8004025Fu);
constexpr HRESULT VFW_S_ESTIMATED = MakeHResult(0x00040260u);
constexpr HRESULT VFW_E_NO_TIME_FORMAT = MakeHResult(0x80040261u);
constexpr HRESULT VFW_E_READ_ONLY = MakeHResult(0x80040262u);
constexpr HRESULT VFW_E_BUFFER_UNDERFLOW = MakeHResult(0x80040264u);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = MakeHResult(0x80040265u);
constexpr HRESULT VFW_E_NO_TRANSPORT = MakeHResult(0x80040266u);
constexpr HRESULT VFW_S_STREAM_OFF = MakeHResult(0x00040267u);
constexpr HRESULT VFW_S_CANT_CUE = MakeHResult(0x00040268u);
constexpr HRESULT VFW_S_NO_STOP_TIME = MakeHResult(0x00040270u);

// Windows system error numbers (as returned by the registry functions) are in
// platform/base/SystemErrorCodes.h, included above.
