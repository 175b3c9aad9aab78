// The media player control's identifiers and its two vtable interfaces: what a host knows
// of the control without its implementation, as a type library would tell it. The host
// (axhost, videosource, app) includes this header and nothing else of the player; nothing
// here depends on the player's classes, only on the COM layer.
//
// IMediaPlayer {22D6F311-...} and IActiveMovie {05589FA2-...} are dual interfaces whose
// callers reach a handful of methods by their table slot (counted from 0 over the three
// IUnknown and four IDispatch entries): IMediaPlayer 85 error description, 86 error code,
// 163 Play, 164 Stop, 165 Pause, 175 Open; IActiveMovie 62 the filter graph. The slots in
// between exist so the table has the right shape; this control answers them E_NOTIMPL.
//
// The names live in namespace mediaplayer; the host brings the ones it uses into its own
// scope (axhost/DerivedMovie.h).
#pragma once

#include "platform/com/Dispatch.h"

namespace mediaplayer {

DEFINE_GUID(CLSID_MediaPlayer, 0x22D6F312, 0xB0F6, 0x11D0, 0x94, 0xAB, 0x00, 0x80, 0xC7, 0x4C, 0x7E, 0x95);
DEFINE_GUID(DIID_MediaPlayerEvents, 0x2D3A4C40, 0xE711, 0x11D0, 0x94, 0xAB, 0x00, 0x80, 0xC7, 0x4C, 0x7E, 0x95);
DEFINE_GUID(IID_IMediaPlayer, 0x22D6F311, 0xB0F6, 0x11D0, 0x94, 0xAB, 0x00, 0x80, 0xC7, 0x4C, 0x7E, 0x95);
DEFINE_GUID(IID_IActiveMovie, 0x05589FA2, 0xC356, 0x11CE, 0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A);

// Properties by dispatch id.
constexpr DISPID kDispVolume = 19;
constexpr DISPID kDispBalance = 20;
constexpr DISPID kDispShowDisplay = 22;
constexpr DISPID kDispShowControls = 23;
constexpr DISPID kDispShowPositionControls = 24;
constexpr DISPID kDispShowTracker = 26;
constexpr DISPID kDispEnablePositionControls = 27;
constexpr DISPID kDispEnableTracker = 29;
constexpr DISPID kDispDisplayMode = 32;
constexpr DISPID kDispImageSourceWidth = 1001;
constexpr DISPID kDispImageSourceHeight = 1002;
constexpr DISPID kDispDuration = 1003;
constexpr DISPID kDispSendKeyboardEvents = 1013;
constexpr DISPID kDispSendMouseClickEvents = 1014;
constexpr DISPID kDispSendMouseMoveEvents = 1015;
constexpr DISPID kDispAutoStart = 1016;
constexpr DISPID kDispAutoRewind = 1018;
constexpr DISPID kDispInvokeURLs = 1020;
constexpr DISPID kDispEnableContextMenu = 1021;
constexpr DISPID kDispClickToPlay = 1025;
constexpr DISPID kDispCurrentPosition = 1027;
constexpr DISPID kDispRate = 1028;
constexpr DISPID kDispPlayCount = 1030;
constexpr DISPID kDispDisplaySize = 1032;
constexpr DISPID kDispAllowScan = 1035;
constexpr DISPID kDispCursorType = 1044;
constexpr DISPID kDispAnimationAtStart = 1045;
constexpr DISPID kDispOpenState = 1061;
constexpr DISPID kDispSendOpenStateChangeEvents = 1062;
constexpr DISPID kDispSendWarningEvents = 1063;
constexpr DISPID kDispSendErrorEvents = 1064;
constexpr DISPID kDispPlayState = 1068;
constexpr DISPID kDispSendPlayStateChangeEvents = 1069;
constexpr DISPID kDispBaseURL = 1082;
constexpr DISPID kDispDefaultFrame = 1083;
constexpr DISPID kDispShowCaptioning = 1084;
constexpr DISPID kDispCaptioningID = 1085;
constexpr DISPID kDispShowStatusBar = 1086;
constexpr DISPID kDispShowGotoBar = 1088;
constexpr DISPID kDispMute = 1089;
constexpr DISPID kDispLanguage = 1095;
constexpr DISPID kDispAudioStream = 1096;
constexpr DISPID kDispSAMIStyle = 1097;
constexpr DISPID kDispSAMILang = 1098;
constexpr DISPID kDispSAMIFileName = 1099;
constexpr DISPID kDispVideoBorderWidth = 1101;
constexpr DISPID kDispVideoBorderColor = 1102;
constexpr DISPID kDispVideoBorder3D = 1103;
constexpr DISPID kDispShowAudioControls = 1107;
constexpr DISPID kDispEnableFullScreenControls = 1108;
constexpr DISPID kDispWindowlessVideo = 1112;
constexpr DISPID kDispAutoSize = -500;
constexpr DISPID kDispEnabled = -514;
constexpr DISPID kDispReadyState = -525;

// Events by dispatch id.
constexpr DISPID kEventPositionChange = 2;
constexpr DISPID kEventDisplayModeChange = 51;
constexpr DISPID kEventDVDNotify = 1505;
constexpr DISPID kEventScriptCommand = 3001;
constexpr DISPID kEventEndOfStream = 3002;
constexpr DISPID kEventBuffering = 3003;
constexpr DISPID kEventDisconnect = 3004;
constexpr DISPID kEventMarkerHit = 3006;
constexpr DISPID kEventNewStream = 3008;
constexpr DISPID kEventWarning = 3009;
constexpr DISPID kEventError = 3010;
constexpr DISPID kEventOpenStateChange = 3011;
constexpr DISPID kEventPlayStateChange = 3012;
constexpr DISPID kEventReadyStateChange = -609;

// Open states (1061), play states (1068), ready states (-525), display sizes (1032).
constexpr LONG kOpenClosed = 0;
constexpr LONG kOpenOpening = 5;
constexpr LONG kOpenOpen = 6;
constexpr LONG kPlayStopped = 0;
constexpr LONG kPlayPaused = 1;
constexpr LONG kPlayPlaying = 2;
constexpr LONG kPlayClosed = 6;
constexpr LONG kReadyUninitialized = 0;
constexpr LONG kReadyLoading = 1;
constexpr LONG kReadyComplete = 4;
constexpr LONG kSizeDefault = 0;
constexpr LONG kSizeHalf = 1;
constexpr LONG kSizeDouble = 2;
constexpr LONG kSizeFullScreen = 3;
constexpr LONG kSizeFitToWindow = 4;

struct IMediaPlayer : IDispatch {
    virtual HRESULT ReservedSlot7() = 0; virtual HRESULT ReservedSlot8() = 0; virtual HRESULT ReservedSlot9() = 0; virtual HRESULT ReservedSlot10() = 0;
    virtual HRESULT ReservedSlot11() = 0; virtual HRESULT ReservedSlot12() = 0; virtual HRESULT ReservedSlot13() = 0; virtual HRESULT ReservedSlot14() = 0;
    virtual HRESULT ReservedSlot15() = 0; virtual HRESULT ReservedSlot16() = 0; virtual HRESULT ReservedSlot17() = 0; virtual HRESULT ReservedSlot18() = 0;
    virtual HRESULT ReservedSlot19() = 0; virtual HRESULT ReservedSlot20() = 0; virtual HRESULT ReservedSlot21() = 0; virtual HRESULT ReservedSlot22() = 0;
    virtual HRESULT ReservedSlot23() = 0; virtual HRESULT ReservedSlot24() = 0; virtual HRESULT ReservedSlot25() = 0; virtual HRESULT ReservedSlot26() = 0;
    virtual HRESULT ReservedSlot27() = 0; virtual HRESULT ReservedSlot28() = 0; virtual HRESULT ReservedSlot29() = 0; virtual HRESULT ReservedSlot30() = 0;
    virtual HRESULT ReservedSlot31() = 0; virtual HRESULT ReservedSlot32() = 0; virtual HRESULT ReservedSlot33() = 0; virtual HRESULT ReservedSlot34() = 0;
    virtual HRESULT ReservedSlot35() = 0; virtual HRESULT ReservedSlot36() = 0; virtual HRESULT ReservedSlot37() = 0; virtual HRESULT ReservedSlot38() = 0;
    virtual HRESULT ReservedSlot39() = 0; virtual HRESULT ReservedSlot40() = 0; virtual HRESULT ReservedSlot41() = 0; virtual HRESULT ReservedSlot42() = 0;
    virtual HRESULT ReservedSlot43() = 0; virtual HRESULT ReservedSlot44() = 0; virtual HRESULT ReservedSlot45() = 0; virtual HRESULT ReservedSlot46() = 0;
    virtual HRESULT ReservedSlot47() = 0; virtual HRESULT ReservedSlot48() = 0; virtual HRESULT ReservedSlot49() = 0; virtual HRESULT ReservedSlot50() = 0;
    virtual HRESULT ReservedSlot51() = 0; virtual HRESULT ReservedSlot52() = 0; virtual HRESULT ReservedSlot53() = 0; virtual HRESULT ReservedSlot54() = 0;
    virtual HRESULT ReservedSlot55() = 0; virtual HRESULT ReservedSlot56() = 0; virtual HRESULT ReservedSlot57() = 0; virtual HRESULT ReservedSlot58() = 0;
    virtual HRESULT ReservedSlot59() = 0; virtual HRESULT ReservedSlot60() = 0; virtual HRESULT ReservedSlot61() = 0; virtual HRESULT ReservedSlot62() = 0;
    virtual HRESULT ReservedSlot63() = 0; virtual HRESULT ReservedSlot64() = 0; virtual HRESULT ReservedSlot65() = 0; virtual HRESULT ReservedSlot66() = 0;
    virtual HRESULT ReservedSlot67() = 0; virtual HRESULT ReservedSlot68() = 0; virtual HRESULT ReservedSlot69() = 0; virtual HRESULT ReservedSlot70() = 0;
    virtual HRESULT ReservedSlot71() = 0; virtual HRESULT ReservedSlot72() = 0; virtual HRESULT ReservedSlot73() = 0; virtual HRESULT ReservedSlot74() = 0;
    virtual HRESULT ReservedSlot75() = 0; virtual HRESULT ReservedSlot76() = 0; virtual HRESULT ReservedSlot77() = 0; virtual HRESULT ReservedSlot78() = 0;
    virtual HRESULT ReservedSlot79() = 0; virtual HRESULT ReservedSlot80() = 0; virtual HRESULT ReservedSlot81() = 0; virtual HRESULT ReservedSlot82() = 0;
    virtual HRESULT ReservedSlot83() = 0; virtual HRESULT ReservedSlot84() = 0;
    virtual HRESULT get_ErrorDescription(BSTR* description) = 0;  // slot 85
    virtual HRESULT get_ErrorCode(LONG* code) = 0;                 // slot 86
    virtual HRESULT ReservedSlot87() = 0; virtual HRESULT ReservedSlot88() = 0; virtual HRESULT ReservedSlot89() = 0; virtual HRESULT ReservedSlot90() = 0;
    virtual HRESULT ReservedSlot91() = 0; virtual HRESULT ReservedSlot92() = 0; virtual HRESULT ReservedSlot93() = 0; virtual HRESULT ReservedSlot94() = 0;
    virtual HRESULT ReservedSlot95() = 0; virtual HRESULT ReservedSlot96() = 0; virtual HRESULT ReservedSlot97() = 0; virtual HRESULT ReservedSlot98() = 0;
    virtual HRESULT ReservedSlot99() = 0; virtual HRESULT ReservedSlot100() = 0; virtual HRESULT ReservedSlot101() = 0; virtual HRESULT ReservedSlot102() = 0;
    virtual HRESULT ReservedSlot103() = 0; virtual HRESULT ReservedSlot104() = 0; virtual HRESULT ReservedSlot105() = 0; virtual HRESULT ReservedSlot106() = 0;
    virtual HRESULT ReservedSlot107() = 0; virtual HRESULT ReservedSlot108() = 0; virtual HRESULT ReservedSlot109() = 0; virtual HRESULT ReservedSlot110() = 0;
    virtual HRESULT ReservedSlot111() = 0; virtual HRESULT ReservedSlot112() = 0; virtual HRESULT ReservedSlot113() = 0; virtual HRESULT ReservedSlot114() = 0;
    virtual HRESULT ReservedSlot115() = 0; virtual HRESULT ReservedSlot116() = 0; virtual HRESULT ReservedSlot117() = 0; virtual HRESULT ReservedSlot118() = 0;
    virtual HRESULT ReservedSlot119() = 0; virtual HRESULT ReservedSlot120() = 0; virtual HRESULT ReservedSlot121() = 0; virtual HRESULT ReservedSlot122() = 0;
    virtual HRESULT ReservedSlot123() = 0; virtual HRESULT ReservedSlot124() = 0; virtual HRESULT ReservedSlot125() = 0; virtual HRESULT ReservedSlot126() = 0;
    virtual HRESULT ReservedSlot127() = 0; virtual HRESULT ReservedSlot128() = 0; virtual HRESULT ReservedSlot129() = 0; virtual HRESULT ReservedSlot130() = 0;
    virtual HRESULT ReservedSlot131() = 0; virtual HRESULT ReservedSlot132() = 0; virtual HRESULT ReservedSlot133() = 0; virtual HRESULT ReservedSlot134() = 0;
    virtual HRESULT ReservedSlot135() = 0; virtual HRESULT ReservedSlot136() = 0; virtual HRESULT ReservedSlot137() = 0; virtual HRESULT ReservedSlot138() = 0;
    virtual HRESULT ReservedSlot139() = 0; virtual HRESULT ReservedSlot140() = 0; virtual HRESULT ReservedSlot141() = 0; virtual HRESULT ReservedSlot142() = 0;
    virtual HRESULT ReservedSlot143() = 0; virtual HRESULT ReservedSlot144() = 0; virtual HRESULT ReservedSlot145() = 0; virtual HRESULT ReservedSlot146() = 0;
    virtual HRESULT ReservedSlot147() = 0; virtual HRESULT ReservedSlot148() = 0; virtual HRESULT ReservedSlot149() = 0; virtual HRESULT ReservedSlot150() = 0;
    virtual HRESULT ReservedSlot151() = 0; virtual HRESULT ReservedSlot152() = 0; virtual HRESULT ReservedSlot153() = 0; virtual HRESULT ReservedSlot154() = 0;
    virtual HRESULT ReservedSlot155() = 0; virtual HRESULT ReservedSlot156() = 0; virtual HRESULT ReservedSlot157() = 0; virtual HRESULT ReservedSlot158() = 0;
    virtual HRESULT ReservedSlot159() = 0; virtual HRESULT ReservedSlot160() = 0; virtual HRESULT ReservedSlot161() = 0; virtual HRESULT ReservedSlot162() = 0;
    // Play resumes with the frame after the one shown (MediaPlayerControl.h says it whole).
    virtual HRESULT Play() = 0;   // slot 163
    virtual HRESULT Stop() = 0;   // slot 164
    virtual HRESULT Pause() = 0;  // slot 165
    virtual HRESULT ReservedSlot166() = 0; virtual HRESULT ReservedSlot167() = 0; virtual HRESULT ReservedSlot168() = 0; virtual HRESULT ReservedSlot169() = 0;
    virtual HRESULT ReservedSlot170() = 0; virtual HRESULT ReservedSlot171() = 0; virtual HRESULT ReservedSlot172() = 0; virtual HRESULT ReservedSlot173() = 0;
    virtual HRESULT ReservedSlot174() = 0;
    virtual HRESULT Open(BSTR fileName) = 0;  // slot 175
};

struct IActiveMovie : IDispatch {
    virtual HRESULT ReservedMovieSlot7() = 0; virtual HRESULT ReservedMovieSlot8() = 0; virtual HRESULT ReservedMovieSlot9() = 0; virtual HRESULT ReservedMovieSlot10() = 0;
    virtual HRESULT ReservedMovieSlot11() = 0; virtual HRESULT ReservedMovieSlot12() = 0; virtual HRESULT ReservedMovieSlot13() = 0; virtual HRESULT ReservedMovieSlot14() = 0;
    virtual HRESULT ReservedMovieSlot15() = 0; virtual HRESULT ReservedMovieSlot16() = 0; virtual HRESULT ReservedMovieSlot17() = 0; virtual HRESULT ReservedMovieSlot18() = 0;
    virtual HRESULT ReservedMovieSlot19() = 0; virtual HRESULT ReservedMovieSlot20() = 0; virtual HRESULT ReservedMovieSlot21() = 0; virtual HRESULT ReservedMovieSlot22() = 0;
    virtual HRESULT ReservedMovieSlot23() = 0; virtual HRESULT ReservedMovieSlot24() = 0; virtual HRESULT ReservedMovieSlot25() = 0; virtual HRESULT ReservedMovieSlot26() = 0;
    virtual HRESULT ReservedMovieSlot27() = 0; virtual HRESULT ReservedMovieSlot28() = 0; virtual HRESULT ReservedMovieSlot29() = 0; virtual HRESULT ReservedMovieSlot30() = 0;
    virtual HRESULT ReservedMovieSlot31() = 0; virtual HRESULT ReservedMovieSlot32() = 0; virtual HRESULT ReservedMovieSlot33() = 0; virtual HRESULT ReservedMovieSlot34() = 0;
    virtual HRESULT ReservedMovieSlot35() = 0; virtual HRESULT ReservedMovieSlot36() = 0; virtual HRESULT ReservedMovieSlot37() = 0; virtual HRESULT ReservedMovieSlot38() = 0;
    virtual HRESULT ReservedMovieSlot39() = 0; virtual HRESULT ReservedMovieSlot40() = 0; virtual HRESULT ReservedMovieSlot41() = 0; virtual HRESULT ReservedMovieSlot42() = 0;
    virtual HRESULT ReservedMovieSlot43() = 0; virtual HRESULT ReservedMovieSlot44() = 0; virtual HRESULT ReservedMovieSlot45() = 0; virtual HRESULT ReservedMovieSlot46() = 0;
    virtual HRESULT ReservedMovieSlot47() = 0; virtual HRESULT ReservedMovieSlot48() = 0; virtual HRESULT ReservedMovieSlot49() = 0; virtual HRESULT ReservedMovieSlot50() = 0;
    virtual HRESULT ReservedMovieSlot51() = 0; virtual HRESULT ReservedMovieSlot52() = 0; virtual HRESULT ReservedMovieSlot53() = 0; virtual HRESULT ReservedMovieSlot54() = 0;
    virtual HRESULT ReservedMovieSlot55() = 0; virtual HRESULT ReservedMovieSlot56() = 0; virtual HRESULT ReservedMovieSlot57() = 0; virtual HRESULT ReservedMovieSlot58() = 0;
    virtual HRESULT ReservedMovieSlot59() = 0; virtual HRESULT ReservedMovieSlot60() = 0; virtual HRESULT ReservedMovieSlot61() = 0;
    // slot 62: the filter graph of the open media (its IUnknown), or null when none is open.
    virtual HRESULT get_FilterGraph(IUnknown** graph) = 0;
};

}  // namespace mediaplayer

COM_INTERFACE_TRAITS(mediaplayer::IMediaPlayer, IDispatch, mediaplayer::IID_IMediaPlayer);
COM_INTERFACE_TRAITS(mediaplayer::IActiveMovie, IDispatch, mediaplayer::IID_IActiveMovie);

// For the implementing class: the unused slots, answered E_NOTIMPL.
#define MEDIAPLAYER_UNUSED_SLOTS \
    HRESULT ReservedSlot7() override { return E_NOTIMPL; } HRESULT ReservedSlot8() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot9() override { return E_NOTIMPL; } HRESULT ReservedSlot10() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot11() override { return E_NOTIMPL; } HRESULT ReservedSlot12() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot13() override { return E_NOTIMPL; } HRESULT ReservedSlot14() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot15() override { return E_NOTIMPL; } HRESULT ReservedSlot16() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot17() override { return E_NOTIMPL; } HRESULT ReservedSlot18() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot19() override { return E_NOTIMPL; } HRESULT ReservedSlot20() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot21() override { return E_NOTIMPL; } HRESULT ReservedSlot22() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot23() override { return E_NOTIMPL; } HRESULT ReservedSlot24() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot25() override { return E_NOTIMPL; } HRESULT ReservedSlot26() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot27() override { return E_NOTIMPL; } HRESULT ReservedSlot28() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot29() override { return E_NOTIMPL; } HRESULT ReservedSlot30() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot31() override { return E_NOTIMPL; } HRESULT ReservedSlot32() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot33() override { return E_NOTIMPL; } HRESULT ReservedSlot34() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot35() override { return E_NOTIMPL; } HRESULT ReservedSlot36() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot37() override { return E_NOTIMPL; } HRESULT ReservedSlot38() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot39() override { return E_NOTIMPL; } HRESULT ReservedSlot40() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot41() override { return E_NOTIMPL; } HRESULT ReservedSlot42() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot43() override { return E_NOTIMPL; } HRESULT ReservedSlot44() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot45() override { return E_NOTIMPL; } HRESULT ReservedSlot46() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot47() override { return E_NOTIMPL; } HRESULT ReservedSlot48() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot49() override { return E_NOTIMPL; } HRESULT ReservedSlot50() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot51() override { return E_NOTIMPL; } HRESULT ReservedSlot52() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot53() override { return E_NOTIMPL; } HRESULT ReservedSlot54() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot55() override { return E_NOTIMPL; } HRESULT ReservedSlot56() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot57() override { return E_NOTIMPL; } HRESULT ReservedSlot58() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot59() override { return E_NOTIMPL; } HRESULT ReservedSlot60() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot61() override { return E_NOTIMPL; } HRESULT ReservedSlot62() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot63() override { return E_NOTIMPL; } HRESULT ReservedSlot64() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot65() override { return E_NOTIMPL; } HRESULT ReservedSlot66() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot67() override { return E_NOTIMPL; } HRESULT ReservedSlot68() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot69() override { return E_NOTIMPL; } HRESULT ReservedSlot70() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot71() override { return E_NOTIMPL; } HRESULT ReservedSlot72() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot73() override { return E_NOTIMPL; } HRESULT ReservedSlot74() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot75() override { return E_NOTIMPL; } HRESULT ReservedSlot76() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot77() override { return E_NOTIMPL; } HRESULT ReservedSlot78() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot79() override { return E_NOTIMPL; } HRESULT ReservedSlot80() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot81() override { return E_NOTIMPL; } HRESULT ReservedSlot82() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot83() override { return E_NOTIMPL; } HRESULT ReservedSlot84() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot87() override { return E_NOTIMPL; } HRESULT ReservedSlot88() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot89() override { return E_NOTIMPL; } HRESULT ReservedSlot90() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot91() override { return E_NOTIMPL; } HRESULT ReservedSlot92() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot93() override { return E_NOTIMPL; } HRESULT ReservedSlot94() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot95() override { return E_NOTIMPL; } HRESULT ReservedSlot96() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot97() override { return E_NOTIMPL; } HRESULT ReservedSlot98() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot99() override { return E_NOTIMPL; } HRESULT ReservedSlot100() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot101() override { return E_NOTIMPL; } HRESULT ReservedSlot102() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot103() override { return E_NOTIMPL; } HRESULT ReservedSlot104() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot105() override { return E_NOTIMPL; } HRESULT ReservedSlot106() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot107() override { return E_NOTIMPL; } HRESULT ReservedSlot108() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot109() override { return E_NOTIMPL; } HRESULT ReservedSlot110() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot111() override { return E_NOTIMPL; } HRESULT ReservedSlot112() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot113() override { return E_NOTIMPL; } HRESULT ReservedSlot114() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot115() override { return E_NOTIMPL; } HRESULT ReservedSlot116() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot117() override { return E_NOTIMPL; } HRESULT ReservedSlot118() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot119() override { return E_NOTIMPL; } HRESULT ReservedSlot120() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot121() override { return E_NOTIMPL; } HRESULT ReservedSlot122() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot123() override { return E_NOTIMPL; } HRESULT ReservedSlot124() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot125() override { return E_NOTIMPL; } HRESULT ReservedSlot126() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot127() override { return E_NOTIMPL; } HRESULT ReservedSlot128() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot129() override { return E_NOTIMPL; } HRESULT ReservedSlot130() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot131() override { return E_NOTIMPL; } HRESULT ReservedSlot132() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot133() override { return E_NOTIMPL; } HRESULT ReservedSlot134() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot135() override { return E_NOTIMPL; } HRESULT ReservedSlot136() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot137() override { return E_NOTIMPL; } HRESULT ReservedSlot138() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot139() override { return E_NOTIMPL; } HRESULT ReservedSlot140() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot141() override { return E_NOTIMPL; } HRESULT ReservedSlot142() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot143() override { return E_NOTIMPL; } HRESULT ReservedSlot144() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot145() override { return E_NOTIMPL; } HRESULT ReservedSlot146() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot147() override { return E_NOTIMPL; } HRESULT ReservedSlot148() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot149() override { return E_NOTIMPL; } HRESULT ReservedSlot150() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot151() override { return E_NOTIMPL; } HRESULT ReservedSlot152() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot153() override { return E_NOTIMPL; } HRESULT ReservedSlot154() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot155() override { return E_NOTIMPL; } HRESULT ReservedSlot156() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot157() override { return E_NOTIMPL; } HRESULT ReservedSlot158() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot159() override { return E_NOTIMPL; } HRESULT ReservedSlot160() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot161() override { return E_NOTIMPL; } HRESULT ReservedSlot162() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot166() override { return E_NOTIMPL; } HRESULT ReservedSlot167() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot168() override { return E_NOTIMPL; } HRESULT ReservedSlot169() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot170() override { return E_NOTIMPL; } HRESULT ReservedSlot171() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot172() override { return E_NOTIMPL; } HRESULT ReservedSlot173() override { return E_NOTIMPL; } \
    HRESULT ReservedSlot174() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot7() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot8() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot9() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot10() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot11() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot12() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot13() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot14() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot15() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot16() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot17() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot18() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot19() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot20() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot21() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot22() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot23() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot24() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot25() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot26() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot27() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot28() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot29() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot30() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot31() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot32() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot33() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot34() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot35() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot36() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot37() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot38() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot39() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot40() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot41() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot42() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot43() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot44() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot45() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot46() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot47() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot48() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot49() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot50() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot51() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot52() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot53() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot54() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot55() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot56() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot57() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot58() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot59() override { return E_NOTIMPL; } \
    HRESULT ReservedMovieSlot60() override { return E_NOTIMPL; } HRESULT ReservedMovieSlot61() override { return E_NOTIMPL; }
