// The media player control: an ActiveX control (class {22D6F312-B0F6-11D0-94AB-0080C74C7E95})
// that opens a media file, shows its video in a window it creates inside its container's
// window, and plays and positions it through a filter graph.
//
// What a container sees: the OLE embedding (IOleObject with in-place activation,
// IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl, IPersistStreamInit for its
// property state), connection points for IPropertyNotifySink and the event interface
// {2D3A4C40-E711-11D0-94AB-0080C74C7E95}, IDispatch answering the player's properties by
// dispatch id, IMediaPlayer (Play, Stop, Pause, Open, the last error) and IActiveMovie (the
// filter graph of the open media).
//
// Frames sent on play: play resumes with the frame after the one shown, and the frame shown is
// never sent again by it, whatever brought the player to rest there: the opening (which shows
// frame 0), a seek while paused or stopped (which sends the frame it goes to, also when that
// is the frame shown), a pause, a stop (which leaves the position where it is), a pause given
// right behind the play, or a container's own pause after the player started by itself. At the
// last frame there is no frame after it: play ends at once, sending nothing, with the end of
// the stream (event 3002, then stopped). Play from the end starts again at frame 0, which is
// then sent once, followed by the others. A container that stops and runs the graph itself
// (IActiveMovie) has its source send the current frame again, as a stopped graph holds none.
//
// Open returns at once; the file is opened and indexed on a loading thread and the graph is
// built on this thread when that is done; the open, ready and play states then change
// through events posted to this thread. Events are fired from posted messages, never from
// inside the call that caused them, except the standard mouse and key events, which are
// fired while the window message that caused them is handled.
//
// States: open state 0 closed, 5 opening, 6 open; ready state 4 when nothing is loading (also
// before the first Open), 1 while a file loads; play state 6 while nothing is open, then 0
// stopped, 1 paused, 2 playing. Its own auto-start (1016, on by default) plays a file as
// soon as it is open. The end of the stream fires 3002 and stops at the end (or back at the
// start with AutoRewind); Play from the end starts again at the beginning.
//
// The opening position: when a media starts playing by itself as soon as it is open, a
// position the container writes while the events announcing the opening are delivered to it
// (in its open-state handler, typically rewinding to 0) is remembered, and the first Pause of
// that playback returns the picture to it, in one step with the pause. A container that
// rewinds at open and pauses once it sees the media play thus stands exactly on the frame it
// rewound to, however late its pause comes. Any other position write, a read of the position
// after those events (the container has seen the playback go on), Play, Stop, the tracker,
// the end of the stream or a stream failure forget it.
//
// Keyboard focus: a click gives it to the control's window; in full screen, where the
// renderer's window (the same handle) sits on a top-level window of the screen's size, the
// renderer's window takes it, on entering and on a click, so that the keys, key-ups included,
// reach a container that subclassed that window. Leaving full screen gives it back to the
// control's window.
//
// A file without pictures (audio only) does not open: this platform has no sound output,
// so the graph has nothing to render it with, and the control reports what a real player
// reports for a file it cannot render: the error event with VFW_E_UNSUPPORTED_STREAM and a
// description naming the file, and the open state back at 0. Opening it silently with its
// length would show a player "playing" nothing.
//
// Ownership: a COM object, alive while referenced. It holds its client site (released by
// SetClientSite(nullptr) or destruction) and owns its windows and its media.
// Thread: the user-interface thread that created it; every interface method must be called
// there. The loading and command threads of the media never call into the object.
// The filter graph (IActiveMovie) is driven by the media's command thread: Play, Pause and
// position writes become commands carried out there, each under the graph's drive lock. A
// container may drive the same graph from the user-interface thread (stop, reconnect, run):
// each of its calls is serialised against those commands by the graph itself, and holding
// the graph's IGraphLock makes a whole sequence one step for them (see FilterGraph.h). While
// holding it, do not call get_FilterGraph, Open or anything that closes the media: those wait
// for the command thread, which may be waiting for the lock.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPointHelper.h"
#include "platform/com/OleControls.h"
#include "platform/mediaplayer/MediaPlayerInterfaces.h"
#include "platform/mediaplayer/PlayerGraph.h"
#include "platform/mediaplayer/PlayerProperties.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mediaplayer {

// Class name of the window the control creates in its container.
inline constexpr char kPlayerWindowClass[] = "QuellonMediaPlayer";
// Height in pixels of the control bar shown while ShowControls (23) is on.
inline constexpr int kControlBarHeight = 28;

class MediaPlayerControl final
    : public ComObject<IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl, IPersistStreamInit,
                       IConnectionPointContainer, IMediaPlayer, IActiveMovie> {
public:
    // Throws std::bad_alloc, or std::runtime_error when its hidden notify window cannot be
    // made (the class factory maps both to a status).
    MediaPlayerControl();
    ~MediaPlayerControl() override;

    // --- IOleObject ----------------------------------------------------------------------
    HRESULT SetClientSite(IOleClientSite* site) override;
    HRESULT GetClientSite(IOleClientSite** site) override;
    HRESULT SetHostNames(LPCOLESTR containerApp, LPCOLESTR containerObject) override;
    HRESULT Close(DWORD saveOption) override;
    HRESULT SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    HRESULT GetClipboardData(DWORD reserved, IDataObject** data) override;
    HRESULT DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                   LPCRECT position) override;
    HRESULT EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT Update() override;
    HRESULT IsUpToDate() override;
    HRESULT GetUserClassID(CLSID* clsid) override;
    HRESULT GetUserType(DWORD form, LPOLESTR* userType) override;
    HRESULT SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT Unadvise(DWORD connection) override;
    HRESULT EnumAdvise(IEnumSTATDATA** advises) override;
    HRESULT GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT SetColorScheme(LOGPALETTE* palette) override;

    // --- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject ---------------------------
    HRESULT GetWindow(HWND* window) override;
    HRESULT ContextSensitiveHelp(BOOL enterMode) override;
    HRESULT InPlaceDeactivate() override;
    HRESULT UIDeactivate() override;
    HRESULT SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT ReactivateAndUndo() override;
    HRESULT TranslateAccelerator(LPMSG message) override;
    HRESULT OnFrameWindowActivate(BOOL activate) override;
    HRESULT OnDocWindowActivate(BOOL activate) override;
    HRESULT ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    HRESULT EnableModeless(BOOL enable) override;

    // --- IOleControl -----------------------------------------------------------------------
    HRESULT GetControlInfo(CONTROLINFO* info) override;
    HRESULT OnMnemonic(MSG* message) override;
    HRESULT OnAmbientPropertyChange(DISPID property) override;
    HRESULT FreezeEvents(BOOL freeze) override;

    // --- IPersistStreamInit ----------------------------------------------------------------
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override;
    HRESULT Load(LPSTREAM stream) override;
    HRESULT Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT InitNew() override;

    // --- IConnectionPointContainer ---------------------------------------------------------
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // --- IDispatch (shared by IMediaPlayer and IActiveMovie): the properties --------------
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale, DISPID* ids) override;
    HRESULT Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) override;

    // --- IMediaPlayer ----------------------------------------------------------------------
    HRESULT get_ErrorDescription(BSTR* description) override;
    HRESULT get_ErrorCode(LONG* code) override;
    // Play while the media is open (or still opening: it then starts once open); from the
    // end of the media it starts again at the beginning. E_UNEXPECTED with nothing open.
    HRESULT Play() override;
    // Stops playback, leaving the position where it is; S_OK also with nothing open.
    HRESULT Stop() override;
    // Pauses a playing media; S_OK without change when it does not play.
    HRESULT Pause() override;
    // Closes the current media and starts opening fileName (E_INVALIDARG for a null or
    // empty name, which closes only). Returns at once.
    HRESULT Open(BSTR fileName) override;

    // --- IActiveMovie ----------------------------------------------------------------------
    // S_OK with the graph's IUnknown, or S_FALSE and null while no media is open. Returns
    // once the commands already given have been carried out.
    HRESULT get_FilterGraph(IUnknown** graph) override;

    MEDIAPLAYER_UNUSED_SLOTS

    // Window procedures (PlayerWindow.cpp), static entry points of the registered classes.
    static LRESULT PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT FullScreenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT RendererHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct EventArgument {
        VARTYPE vt;
        LONG integer;
        double real;
    };
    struct PendingEvent {
        DISPID id;
        std::vector<EventArgument> arguments;  // in declared order
    };

    // Properties (PlayerDispatch.cpp).
    HRESULT GetProperty(DISPID id, VARIANT* result);
    HRESULT PutProperty(DISPID id, const VARIANT& value, EXCEPINFO* exception);
    void PropertyChanged(DISPID id);
    double PositionInUnits() const;
    double DurationInUnits() const;

    // Media (PlayerMedia.cpp).
    void CloseMedia();
    void OnLoaded(WPARAM loadId);
    void OnReady(WPARAM generation);
    void OnGraphEvents();
    void OnEndOfStream();
    void RecheckEndOfStream();
    void StartPlaying();
    void SetOpenState(LONG state);
    void SetPlayState(LONG state);
    void SetReadyState(LONG state);
    void ReportError(HRESULT code, const std::string& description);
    void QueueEvent(DISPID id, std::vector<EventArgument> arguments = {});
    void FireQueuedEvents();
    void FireNow(DISPID id, std::vector<VARIANT>& arguments);

    // Window (PlayerWindow.cpp).
    void CreatePlayerWindow(HWND parent, const RECT& position);
    void DestroyPlayerWindow();
    void Layout();
    RECT VideoRect(const RECT& area) const;
    RECT ControlBarRect() const;
    void PaintWindow();
    void PaintControlBar(HDC dc, const RECT& bar);
    void UpdateFullScreen();
    // The window that takes the keyboard focus: the renderer's in full screen, else ours.
    HWND FocusTarget() const;
    void HookRenderer();
    // Renderer hooks that still name us pass messages straight on from now on.
    void ForgetRendererHooks();
    bool HandleInput(HWND from, UINT message, WPARAM wParam, LPARAM lParam);
    bool HandleControlBarMouse(UINT message, POINT point);
    void SeekToTrackerPoint(int x);
    void FireMouse(DISPID id, WPARAM keys, POINT point);
    void FireKey(DISPID id, WPARAM key);
    short ShiftState() const;

    ConnectionPoints points_{CanonicalUnknown()};
    ConnectionPoint& eventPoint_;
    ConnectionPoint& propertyNotifyPoint_;

    PlayerProperties properties_;
    bool dirty_ = false;
    bool initialised_ = false;

    ComPtr<IOleClientSite> site_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    bool uiActive_ = false;
    SIZEL extent_{};
    HWND window_ = nullptr;
    HWND notifyWindow_ = nullptr;
    HWND fullScreenWindow_ = nullptr;
    HWND hookedRenderer_ = nullptr;

    std::unique_ptr<PlayerGraph> graph_;
    LONG openState_ = kOpenClosed;
    LONG playState_ = kPlayClosed;
    LONG readyState_ = kReadyComplete;
    bool playWhenReady_ = false;
    bool endOfStreamToCheck_ = false;
    LONG playsDone_ = 0;
    HRESULT errorCode_ = S_OK;
    std::u16string errorDescription_;

    // The opening batch: from the moment the media opens and starts playing by itself until
    // the events that announce it have been delivered. A position written during it is the
    // opening position, to which the first pause of that playback returns.
    struct OpeningPosition {
        bool byFrame;
        double value;
    };
    bool openingBatch_ = false;
    std::optional<OpeningPosition> openingPosition_;

    std::vector<PendingEvent> pendingEvents_;
    bool firePosted_ = false;
    LONG freezeCount_ = 0;

    bool trackerDragging_ = false;
    bool doubleClicked_ = false;
};

}  // namespace mediaplayer
