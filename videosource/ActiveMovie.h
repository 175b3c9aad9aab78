// TActiveMovie: the video source component. A panel that owns the media player control
// (TDerivedMovie_) and turns it into published properties, events and a few operations:
// opening media and relaying the player's events through a 50 ms relay timer, positions in
// seconds or frames, the placement of the video inside the panel, and still frames of the
// video. It provides the video-source surface (VideoSourceSurface.h) the conversion uses.
//
// The player is reached only through its host's COM interfaces: properties by dispatch id
// through the typed accessors (GetDisp*/SetDisp*), and Open, Play, Stop, Pause and the last
// error through IMediaPlayer. Errors of the control surface as the host's exceptions; the
// component catches none of them, except that a snapshot that cannot be taken answers False.
//
// Deferred events: the player's open-state, play-state, end-of-stream and disconnect
// notifications are recorded (one record per kind, a later one overwriting an unfired one)
// and fired by the next relay tick, outside the control's own event dispatch, as are the
// position reports and a key recorded in full screen. OnOpenComplete and OnError fire at
// once, inside the control's notification.
//
// Run time and design time: while designed (csDesigning at construction) the component has
// only its video panel and the player: no timer, scroll bars, corner panel or auxiliary
// window, and so no position reports.
//
// Ownership: every part belongs to the component (owned components, destroyed with it); the
// file names handed to the control stay alive in OleStrings until the next open or the
// component's end. Thread: the user-interface thread only.
//
// The class spans several files:
//   ActiveMovie.cpp          construction, destruction, the state properties, the typed
//                            accessors and the forwarded control properties
//   ActiveMovieClass.cpp     the published vocabulary (TClass) and its registration
//   ActiveMovieRelay.cpp     OpenMedia, Play, Stop, Pause, the control's event handlers and
//                            RelayTick
//   ActiveMoviePosition.cpp  lengths at open, SeekToFrame, SeekToTime, the position poll,
//                            Rate and the selection
//   ActiveMovieDisplay.cpp   LayoutVideo, the display setters, the window set-up, the renderer
//                            and auxiliary window filters, full-screen keys
//   ActiveMovieSnapshot.cpp  SnapshotToImage, TakeSnapshot, GrabFromRenderer,
//                            ScaleToCaptureSize, DrawIntoImage, GrabFromSampleGrabber
//   ActiveMovieGrabber.cpp   the sample grabber: the probe, the callback's settings,
//                            BuildGrabberGraph, ReleaseGrabberGraph, arming for a snapshot
//                            or a capture
//   ActiveMovieCapture.cpp   the frame delivery (WM_GRABBERFRAME, DeliverCapturedFrame), the
//                            capture file names and the snapshot's file kinds
//   SampleGrabberCB.h        the grabber's callback; CaptureFiles.h names and file writers
//   MessageWait.h            the bounded wait that keeps handling messages
//   FormReleaseHold.h        the release of our forms held back during those waits
#pragma once

#include "axhost/DerivedMovie.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Jpeg.h"
#include "framework/StdCtrls.h"
#include "platform/dshow/DShowInterfaces.h"
#include "videosource/CaptureFiles.h"
#include "videosource/SampleGrabberCB.h"
#include "videosource/VideoSourceSurface.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBitmap;
class TGraphic;

enum TDisplayMode { mpTime, mpFrames };
enum TDisplaySize { mpDefaultSize, mpHalfSize, mpDoubleSize, mpFitToSize, mpCustomSize };
enum TAuto_Filename { fnSequential, fnDateTime };
using TJPEGQualityRange = int; // 1 to 100
enum TFrameCapture_Dest : std::uint8_t { fcMemory, fcBMP, fcJPEG };
extern const TEnumInfo DisplayModeInfo;
extern const TEnumInfo DisplaySizeInfo;
extern const TEnumInfo AutoFilenameInfo;

// The four graph interfaces the grabber graph holds, in this order.
struct TDxFilters {
    ComPtr<IBasicVideo> BasicVideo;
    ComPtr<IMediaControl> MediaControl;
    ComPtr<IMediaSeeking> MediaSeeking;
    ComPtr<ISampleGrabber> SampleGrabber;
};

// The frame message posted by the grabber callback, WM_GRABBERFRAME: SampleGrabberCB.h.

using TDerivedMovie_Error = TEvent<void(TObject* Sender, int ErrorCode, const std::string& ErrorMessage)>;
using TDerivedMovie_FullScreenKeyPress = TEvent<void(TObject* Sender, WORD Key, TShiftState Shift)>;
using TOnFrameCaptureCompleted = TEvent<void(TObject* Sender, TBitmap* Bitmap, TFrameCapture_Dest DestType,
                                             const std::string& FileName, WordBool Success)>;

class TActiveMovie : public TCustomPanel, public IVideoSourceSurface {
    QUELLON_CLASS()

public:
    // Construction in this order: COM and OLE for the thread (once per process), the check
    // that the player is installed (which may end the program), the panel, the state, the
    // run-time parts (scroll bars, corner panel, relay timer), the video panel, the player
    // with its relays, the four creation-time writes, the player into the video panel, and
    // at run time the timer started.
    explicit TActiveMovie(TComponent* owner);
    // Restores the hooked window procedures, detaches the player's events, waits (handling
    // messages) while the player is still loading, then releases the graph references, the
    // image buffer and the file names before the owned parts go.
    ~TActiveMovie() override;

    // --- the video-source surface -------------------------------------------------------
    const WideString& FileName() const override { return fileName_; }
    void SetFileName(const WideString& value) override { fileName_ = value; }
    // Opens FileName in the player; returns at once (empty: nothing). The result arrives
    // as OnOpenComplete or OnError.
    void OpenMedia() override;
    // Length of the open media in frames; 0 before any open or when it cannot be told.
    Cardinal FrameCount() const override { return frameCount_; }
    // Positions on frame n when FrameCount != 0 and n <= FrameCount; the display mode
    // stays as it was. Fires nothing; the next poll reports the change.
    void SeekToFrame(Cardinal frame) override;
    // The shown frame into image (picture and control at the frame's size); False, image
    // untouched, when no media is open or the frame cannot be read.
    WordBool SnapshotToImage(TImage* image) override;

    // --- playback -----------------------------------------------------------------------
    // Each acts only while the media is open (open state 6).
    void Play();
    void Stop();
    // True when it paused a playing media.
    bool Pause();
    // Positions on a time in seconds (s > DurationSeconds: nothing); the display mode stays.
    void SeekToTime(double seconds);
    double DurationSeconds() const noexcept { return durationSeconds_; }
    // FrameCount from the length read in frames and in seconds: 0 when both are the same
    // number (the control ignored the unit), else the frames rounded, halves to even.
    static Cardinal FrameCountOf(double frameLength, double seconds);
    double TimePosition() const noexcept { return timePosition_; }
    Cardinal FramePosition() const noexcept { return framePosition_; }

    // --- snapshots ----------------------------------------------------------------------
    // Takes the shown frame and hands it to one destination: kind 0 into `image`, or else
    // by assignment into `dest`; kind 1 a BMP file (False when it was not written), kind 2 a
    // JPEG file (its errors pass to the caller); an empty `fileName` is named automatically.
    // A playing media is paused for the grab and plays again afterwards, also when an
    // exception passes. True when a frame was taken and handed on.
    WordBool TakeSnapshot(std::uint8_t destKind, std::string& fileName, TImage* image, TPersistent* dest);
    // The renderer's current image as a screen-compatible bitmap (scaled by CaptureSize);
    // creates `bitmap` when it is null and the grab succeeds.
    bool GrabFromRenderer(TBitmap*& bitmap);
    // The frame shown through the sample grabber, waiting (messages handled) at most
    // kGrabberFrameWaitMs; paused or stopped media does not move for it. False at once unless
    // the grabber graph is ready and no other snapshot waits. Forms released during the wait
    // go after it (see FormReleaseHold.h).
    bool GrabFromSampleGrabber(TBitmap*& bitmap);
    WordBool ScaleToCaptureSize(int w, int h, int& newW, int& newH) const;
    // The largest width or height a picture or the video panel is given (what a window can
    // hold): zoomed and scaled sizes stop there instead of wrapping around.
    static constexpr int kMaxPictureExtent = 16777215;
    // Image and its picture's bitmap take r's size; `graphic` is stretched over r.
    static void DrawIntoImage(TGraphic* graphic, TImage* image, const TRect& r);
    static constexpr int kGrabberFrameWaitMs = 3000;

    // --- display geometry ---------------------------------------------------------------
    void LayoutVideo();
    TDisplaySize DisplaySize() const noexcept { return displaySize_; }
    void SetDisplaySize(TDisplaySize value);
    int ZoomSize() const noexcept { return zoomSize_; }
    void SetZoomSize(int value);
    WordBool ShowControls() const;
    void SetShowControls(WordBool value);
    WordBool ShowScrollBars() const noexcept { return showScrollBars_; }
    void SetShowScrollBars(WordBool value);
    int ScrollBarsThickness() const noexcept { return scrollBarsThickness_; }
    void SetScrollBarsThickness(int value) { scrollBarsThickness_ = value; }
    WordBool DisplayLogo() const noexcept { return displayLogo_; }
    void SetDisplayLogo(WordBool value);
    // The component's own visibility of the video: the panel stays, the video goes out of
    // view (TControl's Visible of the panel itself stays True).
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool value) override;
    WordBool FullScreenMode() const noexcept { return fullScreenMode_; }
    void SetFullScreenMode(WordBool value);
    double ScrollFractionX() const noexcept { return scrollFractionX_; }
    double ScrollFractionY() const noexcept { return scrollFractionY_; }
    bool VideoHidden() const noexcept { return videoHidden_ != 0; }

    // --- positions and playback settings ------------------------------------------------
    TDisplayMode DisplayMode() const;
    void SetDisplayMode(TDisplayMode value);
    double Rate() const noexcept { return rate_; }
    void SetRate(double value);
    double SelectionStart() const noexcept { return selectionStart_; }
    void SetSelectionStart(double value);
    double SelectionEnd() const noexcept { return selectionEnd_; }
    void SetSelectionEnd(double value);
    WordBool AutoStart() const noexcept { return autoStart_; }
    void SetAutoStart(WordBool value) { autoStart_ = value; }
    bool Loop() const noexcept { return loop_; }
    void SetLoop(bool value) { loop_ = value; }

    // --- capture settings (stored now; saving and the grabber use them) ------------------
    int CaptureSize() const noexcept { return captureSize_; }
    void SetCaptureSize(int value) { captureSize_ = value; }
    TAuto_Filename AutoFileName() const noexcept { return autoFileName_; }
    void SetAutoFileName(TAuto_Filename value) { autoFileName_ = value; }
    const std::string& AutoFilePrefix() const noexcept { return autoFilePrefix_; }
    void SetAutoFilePrefix(const std::string& value) { autoFilePrefix_ = value; }
    const std::string& StoragePath() const noexcept { return storagePath_; }
    void SetStoragePath(const std::string& value) { storagePath_ = value; }
    TJPEGQualityRange JPEGQuality() const noexcept { return jpegQuality_; }
    void SetJPEGQuality(TJPEGQualityRange value) { jpegQuality_ = value; }
    TJPEGPerformance JPEGPerformance() const noexcept { return jpegPerformance_; }
    void SetJPEGPerformance(TJPEGPerformance value) { jpegPerformance_ = value; }
    WordBool JPEGProgressiveDisplay() const noexcept { return jpegProgressiveDisplay_; }
    void SetJPEGProgressiveDisplay(WordBool value) { jpegProgressiveDisplay_ = value; }
    bool FGrabber_Enabled() const noexcept { return grabberEnabled_; }
    void SetFGrabber_Enabled(bool value);
    int FGrabber_BurstCount() const noexcept { return burstCount_; }
    void SetFGrabber_BurstCount(int value);
    int FGrabber_BurstInterval() const noexcept { return burstInterval_; }
    void SetFGrabber_BurstInterval(int value);
    WordBool FGrabber_BurstMode() const noexcept { return burstMode_; }
    void SetFGrabber_BurstMode(WordBool value);
    const WideString& GrabberStatus() const noexcept { return grabberStatus_; }
    WordBool GrabberAvailable() const noexcept { return grabberAvailable_; }
    bool GrabberReady() const noexcept { return grabberReady_; }

    // --- typed accessors of the player's properties by dispatch id ------------------------
    // Getters take the value as the control returns it; SetDispBool re-runs the layout.
    // An empty text is written as a null string.
    WordBool GetDispBool(DISPID id) const;
    int GetDispInt(DISPID id) const;
    int GetDispEnum(DISPID id) const { return GetDispInt(id); }
    TColor GetDispColor(DISPID id) const { return static_cast<TColor>(GetDispInt(id)); }
    double GetDispDouble(DISPID id) const;
    WideString GetDispText(DISPID id) const;
    void SetDispBool(DISPID id, WordBool value);
    void SetDispInt(DISPID id, int value);
    void SetDispEnum(DISPID id, int value) { SetDispInt(id, value); }
    void SetDispColor(DISPID id, TColor value) { SetDispInt(id, static_cast<int>(value)); }
    void SetDispDouble(DISPID id, double value);
    void SetDispText(DISPID id, const WideString& value);

    // The forwarded properties (nothing cached; the control's own values). `Enabled`
    // is the player's (-514), published under that name; the panel's own stays enabled.
    WordBool PlayerEnabled() const { return GetDispBool(-514); }
    void SetPlayerEnabled(WordBool value) { SetDispBool(-514, value); }
#define QUELLON_AMOVIE_BOOL(Name, id)                                                                         \
    WordBool Name() const { return GetDispBool(id); }                                                         \
    void Set##Name(WordBool value) { SetDispBool(id, value); }
#define QUELLON_AMOVIE_INT(Name, id)                                                                          \
    int Name() const { return GetDispInt(id); }                                                               \
    void Set##Name(int value) { SetDispInt(id, value); }
#define QUELLON_AMOVIE_TEXT(Name, id)                                                                         \
    WideString Name() const { return GetDispText(id); }                                                       \
    void Set##Name(const WideString& value) { SetDispText(id, value); }
    QUELLON_AMOVIE_BOOL(AllowScan, 1035)
    QUELLON_AMOVIE_BOOL(AnimationAtStart, 1045)
    QUELLON_AMOVIE_INT(AudioStream, 1096)
    QUELLON_AMOVIE_BOOL(AutoRewind, 1018)
    QUELLON_AMOVIE_INT(Balance, 20)
    QUELLON_AMOVIE_TEXT(BaseURL, 1082)
    QUELLON_AMOVIE_TEXT(CaptioningID, 1085)
    QUELLON_AMOVIE_BOOL(ClickToPlay, 1025)
    QUELLON_AMOVIE_INT(CursorType, 1044)
    QUELLON_AMOVIE_TEXT(DefaultFrame, 1083)
    QUELLON_AMOVIE_BOOL(EnableContextMenu, 1021)
    QUELLON_AMOVIE_BOOL(EnableFullScreenControls, 1108)
    QUELLON_AMOVIE_BOOL(EnablePositionControls, 27)
    QUELLON_AMOVIE_BOOL(EnableTracker, 29)
    QUELLON_AMOVIE_BOOL(InvokeURLs, 1020)
    QUELLON_AMOVIE_INT(Language, 1095)
    QUELLON_AMOVIE_BOOL(Mute, 1089)
    QUELLON_AMOVIE_INT(PlayCount, 1030)
    QUELLON_AMOVIE_INT(Volume, 19)
    QUELLON_AMOVIE_TEXT(SAMIFileName, 1099)
    QUELLON_AMOVIE_TEXT(SAMILang, 1098)
    QUELLON_AMOVIE_TEXT(SAMIStyle, 1097)
    QUELLON_AMOVIE_BOOL(SendErrorEvents, 1064)
    QUELLON_AMOVIE_BOOL(SendKeyboardEvents, 1013)
    QUELLON_AMOVIE_BOOL(SendMouseClickEvents, 1014)
    QUELLON_AMOVIE_BOOL(SendMouseMoveEvents, 1015)
    QUELLON_AMOVIE_BOOL(SendOpenStateChangeEvents, 1062)
    QUELLON_AMOVIE_BOOL(SendPlayStateChangeEvents, 1069)
    QUELLON_AMOVIE_BOOL(SendWarningEvents, 1063)
    QUELLON_AMOVIE_BOOL(ShowAudioControls, 1107)
    QUELLON_AMOVIE_BOOL(ShowCaptioning, 1084)
    QUELLON_AMOVIE_BOOL(ShowDisplay, 22)
    QUELLON_AMOVIE_BOOL(ShowGotoBar, 1088)
    QUELLON_AMOVIE_BOOL(ShowPositionControls, 24)
    QUELLON_AMOVIE_BOOL(ShowStatusBar, 1086)
    QUELLON_AMOVIE_BOOL(ShowTracker, 26)
    QUELLON_AMOVIE_BOOL(VideoBorder3D, 1103)
    QUELLON_AMOVIE_INT(VideoBorderWidth, 1101)
    TColor VideoBorderColor() const { return GetDispColor(1102); }
    void SetVideoBorderColor(TColor value) { SetDispColor(1102, value); }
#undef QUELLON_AMOVIE_BOOL
#undef QUELLON_AMOVIE_INT
#undef QUELLON_AMOVIE_TEXT

    // --- events (OnOpenComplete and OnPositionChange come with the surface) ---------------
    TNotifyEvent OnCreate;
    TDerivedMovie_Buffering OnBuffering;
    TDerivedMovie_Disconnect OnDisconnect;
    TNotifyEvent OnDisplayModeChange;
    TNotifyEvent OnNewStream;
    TDerivedMovie_EndOfStream OnEndOfStream;
    TDerivedMovie_Error OnError;
    TOnF1HelpInvoked OnF1HelpInvoked;
    TOnFrameCaptureCompleted OnFGrabberCaptureCompleted;
    TDerivedMovie_FullScreenKeyPress OnFullScreenKeyPress;
    TDerivedMovie_MarkerHit OnMarkerHit;
    TDerivedMovie_OpenStateChange OnOpenStateChange;
    TDerivedMovie_PlayStateChange OnPlayStateChange;
    TDerivedMovie_ReadyStateChange OnReadyStateChange;
    TDerivedMovie_ScriptCommand OnScriptCommand;
    TDerivedMovie_Warning OnWarning;

    // The parts, for the program's tests and tools (owned by the component; null while
    // designing where the Part has none).
    TDerivedMovie_* Player() const noexcept { return player_; }
    TPanel* VideoPanel() const noexcept { return videoPanel_; }
    TScrollBar* HorzScrollBar() const noexcept { return hScrollBar_; }
    TScrollBar* VertScrollBar() const noexcept { return vScrollBar_; }
    TPanel* CornerPanel() const noexcept { return cornerPanel_; }
    TTimer* RelayTimer() const noexcept { return relayTimer_; }
    HWND RendererWindow() const noexcept { return rendererWindow_; }
    IBasicVideo* RendererVideo() const noexcept { return rendererVideo_.Get(); }

    // One run of the relay timer's work (also callable directly by tests).
    void RelayTick(TObject* Sender);

    void Dispatch(TMessage& message) override;

protected:
    void Resize() override;
    void ColorChanged() override;
    // The grabber posts its frames to the component's current window.
    void CreateWnd() override;

private:
    // --- ActiveMovieRelay.cpp: the control's events ---
    void PlayerOpenStateChange(TObject* Sender, int OldState, int NewState);
    void PlayerPlayStateChange(TObject* Sender, int OldState, int NewState);
    void PlayerReadyStateChange(TObject* Sender, int ReadyState);
    void PlayerEndOfStream(TObject* Sender, int Result);
    void PlayerDisconnect(TObject* Sender, int Result);
    void PlayerError(TObject* Sender);
    void PlayerScriptCommand(TObject* Sender, const WideString& scType, const WideString& Param);
    void PlayerBuffering(TObject* Sender, WordBool Start);
    void PlayerMarkerHit(TObject* Sender, int MarkerNum);
    void PlayerWarning(TObject* Sender, int WarningType, int Param, const WideString& Description);
    void PlayerNewStream(TObject* Sender);
    void PlayerDisplayModeChange(TObject* Sender);
    void PlayerF1Help(TObject* Sender, bool& CanShowWMPHelp);
    void PlayerClick(TObject* Sender);
    void PlayerDblClick(TObject* Sender);
    void PlayerEnter(TObject* Sender);
    void PlayerExit(TObject* Sender);
    void PlayerKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void PlayerKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
    void PlayerKeyPress(TObject* Sender, char& Key);
    void PlayerMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void PlayerMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void PlayerMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void PlayerDragDrop(TObject* Sender, TObject* Source, int X, int Y);
    void PlayerDragOver(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept);
    void PlayerEndDrag(TObject* Sender, TObject* Target, int X, int Y);
    void PlayerStartDrag(TObject* Sender, TDragObject*& DragObject);
    void ConnectPlayerEvents();
    void DisconnectPlayerEvents();
    ComPtr<mediaplayer::IMediaPlayer> MediaPlayer() const;
    LONG OpenState() const { return GetDispInt(1061); }
    LONG ControlPlayState() const { return GetDispInt(1068); }
    LONG ReadyState() const { return GetDispInt(-525); }
    void ReleaseOleStrings() noexcept;
    void FetchRendererVideo();

    // --- ActiveMoviePosition.cpp ---
    void DetermineLengths();
    void PollPosition();
    // Whether the media's filter graph has come to a pause (true when it cannot be asked).
    bool GraphPaused() const;
    // Returns once the control has carried out the commands already given to it (its graph
    // is then where the control says it is).
    void WaitForPlayerCommands();
    // Seeks to the frame the player stands on: paused or stopped, the player sends that frame
    // again (to the grabber too) and nothing moves.
    void SeekToShownFrame();

    // --- ActiveMovieSnapshot.cpp ---
    // The renderer's current image as a DIB: lent by the renderer when it can (no copy),
    // else copied into imageBuffer_. The pixels stay valid while `holder` is held.
    struct RendererDib {
        BITMAPINFO lent{};                // the header of a lent image
        const BITMAPINFO* info = nullptr; // header (and colour table or masks) of the pixels
        const BYTE* pixels = nullptr;
        ComPtr<IUnknown> holder;
    };
    bool ReadRendererImage(RendererDib& dib);
    // A device bitmap of w x h holding the renderer's current frame (caller owns it), written
    // by the renderer where it can, else made from ReadRendererImage; nullptr on failure.
    HBITMAP RendererFrameBitmap(LONG w, LONG h);
    // Kind 0 into an image whose picture is already a device bitmap of the frame's size
    // (every snapshot after the first, in the main window): the frame's rows are written
    // straight into that bitmap, which holds then exactly what the general way would draw
    // into it, without a bitmap of the frame in between. False when that does not apply,
    // with the picture's size unchanged (its rows may be part written: the general way
    // then replaces its bitmap).
    bool SnapshotIntoPicture(TImage& image);
    // Kind 0 into an image whose picture is a device bitmap (or none yet), from a frame that
    // is one: the picture takes the frame's bitmap, which is what a 1:1 drawing of it would
    // leave there, without a second bitmap of the frame's size. False when that does not apply.
    static bool HandFrameToImage(TBitmap& frame, TImage& image);

    // --- ActiveMovieDisplay.cpp ---
    void PlayerWindowCreated(TObject* Sender);
    void ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos);
    void ApplyDisplaySize();
    void PlaceVideoPanel(int x, int y, int w, int h);
    void HideBars();
    void FindRendererWindow();
    void UnhookRendererWindow() noexcept;
    void AuxiliaryWindowProc(TMessage& message);
    void DeliverFullScreenKey();
    bool RecordKey(WPARAM key, LPARAM data);
    static LRESULT RendererFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // --- ActiveMovieGrabber.cpp: where the sample grabber and capture saving plug in ---
    // Whether a Sample Grabber filter can be created (asked once, at run-time construction).
    static bool ProbeGrabberAvailable();
    // Arms the grabber for a snapshot or a capture to `dest`. Playing media gives its next
    // frame; paused or stopped media gives the frame shown, by a seek to it, and a burst then
    // plays on from there. A frame of an earlier capture still on its way is delivered first
    // (waiting at most boundMs). False when there is no grabber or that frame did not come.
    bool ArmGrabber(TFrameCapture_Dest dest, bool forSnapshot, int boundMs);
    // The bounded wait of MessageWait.h, holding back the release of our forms meanwhile.
    bool WaitHoldingReleases(const std::function<bool()>& done, int boundMs);
    // Frames taken for a snapshot carry this in their tag, besides their destination.
    static constexpr std::uint32_t kSnapshotFrameTag = 0x100;
    // Writes a snapshot to a BMP (kind 1) or JPEG (kind 2) file, filling in an empty name;
    // false when the frame was not handed on.
    bool SaveSnapshotFile(std::uint8_t kind, std::string& fileName, TBitmap& frame);

    // The parts.
    TDerivedMovie_* player_ = nullptr;
    TPanel* videoPanel_ = nullptr;
    TScrollBar* hScrollBar_ = nullptr;
    TScrollBar* vScrollBar_ = nullptr;
    TPanel* cornerPanel_ = nullptr;
    TTimer* relayTimer_ = nullptr;
    TForm* auxWindow_ = nullptr;
    TWndMethod auxPreviousProc_;
    bool auxHooked_ = false;
    std::vector<BSTR> oleStrings_; // owned; head first

    // Media and positions.
    WideString fileName_;
    Cardinal frameCount_ = 0;
    double durationSeconds_ = 0;
    double lastPosition_ = 0;
    double timePosition_ = 0;
    Cardinal framePosition_ = 0;
    int playState_ = 6;
    WordBool autoStart_ = WordTrue;
    double rate_ = 1.0;
    double selectionStart_ = -1;
    double selectionEnd_ = -1;
    bool loop_ = false;

    // Display.
    TDisplaySize displaySize_ = mpDefaultSize;
    WordBool displayLogo_ = WordTrue;
    WordBool videoHidden_ = WordFalse;
    mutable WordBool controlsShown_ = WordFalse;
    WordBool showScrollBars_ = WordTrue;
    int scrollBarsThickness_ = 16;
    int zoomSize_ = 100;
    double scrollFractionX_ = 0.5;
    double scrollFractionY_ = 0.5;
    bool repaint_ = false;
    bool visible_ = true;
    TColor rememberedColor_ = clBlack;
    bool paintingUnremembered_ = false;
    WordBool fullScreenMode_ = WordFalse;

    // Relay records.
    struct PendingPair {
        bool Pending = false;
        int OldState = 0;
        int NewState = 0;
    };
    struct PendingResult {
        bool Pending = false;
        int Result = 0;
    };
    PendingPair pendingOpenState_;
    PendingPair pendingPlayState_;
    PendingResult pendingEndOfStream_;
    PendingResult pendingDisconnect_;
    WordBool pendingPause_ = WordFalse;
    WordBool pendingFullScreen_ = WordFalse;
    WordBool justOpened_ = WordFalse;
    // After the pause that follows an open, the first report waits (at most this many ticks)
    // until the player stands on position 0 again: the player may have shown a frame or two
    // before the pause reached it.
    int openRewindTicks_ = 0;
    // Set when position 0 is written at open; a seek or a command of the caller clears it,
    // so that the pause after the open never undoes the caller's own positioning.
    bool openRewindWanted_ = false;
    static constexpr int kOpenRewindTicks = 40;
    struct {
        WORD Key = 0;
        LPARAM Data = 0;
        bool Pending = false;
    } pendingKey_;
    WordBool relayRunning_ = WordFalse;
    WordBool layoutFromSize_ = WordFalse;

    // Renderer.
    ComPtr<IBasicVideo> rendererVideo_;
    HWND rendererWindow_ = nullptr;
    WNDPROC rendererPreviousProc_ = nullptr;
    std::unique_ptr<BYTE[]> imageBuffer_;
    std::int32_t imageBufferSize_ = 0;

    // Capture settings and the sample grabber (the graph and its callback arrive with the
    // grabber; these are its published settings and the snapshot's hand-over).
    int captureSize_ = 100;
    TAuto_Filename autoFileName_ = fnSequential;
    std::string autoFilePrefix_ = "am";
    std::string storagePath_;
    TJPEGQualityRange jpegQuality_ = 100;
    TJPEGPerformance jpegPerformance_ = jpBestQuality;
    WordBool jpegProgressiveDisplay_ = WordFalse;
    bool grabberEnabled_ = false;
    int burstCount_ = 0;
    int burstInterval_ = 0;
    WordBool burstMode_ = WordFalse;
    WideString grabberStatus_;
    WordBool grabberAvailable_ = WordFalse;
    bool grabberReady_ = false;
    TDxFilters grabberFilters_;
    TFrameCapture_Dest captureDest_ = fcMemory;
    bool snapshotPending_ = false;
    bool snapshotDone_ = false;
    std::unique_ptr<TBitmap> snapshotBitmap_;

    // ===== The sample grabber graph and capture saving ==================================
    // (ActiveMovieGrabber.cpp, ActiveMovieCapture.cpp)
    //
    // With FGrabber_Enabled, each report that the media is open (and each ready state 3 or 4
    // while DisplayLogo is False) rebuilds the grabber graph: a Sample Grabber fixed to RGB24
    // directly in front of the video renderer of the control's graph. Snapshots then take the
    // frame shown through the grabber: playing media gives its next frame, paused or stopped
    // media is sought to the frame it stands on, which the player sends again, so nothing
    // moves. Frames arrive as WM_GRABBERFRAME and are delivered here on the user-interface
    // thread, each to what it was taken for: a waiting snapshot, a file or
    // OnFGrabberCaptureCompleted.
public:
    // Rewires the control's graph (the steps are in ActiveMovieGrabber.cpp); true when the
    // grabber is in place with a supported format. On a failure after the renderer's link was
    // broken, the graph is put back as it was. Either way the graph ends in the state it was
    // found in (running, paused or stopped), which is the state the control reports.
    bool BuildGrabberGraph();
    // Lets go of the graph interfaces; the grabber stops calling the callback before this
    // returns. A grabber already in the graph stays there.
    void ReleaseGrabberGraph() noexcept;
    // The delivery of the frame the callback holds (the handler of WM_GRABBERFRAME). Pauses
    // the control first when `Repause`. Always returns the callback to idle.
    void DeliverCapturedFrame(bool Repause);
    // Starts a capture by the grabber outside a snapshot: frames (one, or a burst as the
    // FGrabber_Burst* properties say) go to `dest` (files named automatically, or the event
    // for fcMemory). Paused media gives the frame shown first; a burst then plays it and
    // pauses it again after the last frame. False when the grabber graph is not ready or a
    // snapshot waits.
    bool CaptureFrames(TFrameCapture_Dest dest);
    TFrameCapture_Dest CaptureDest() const noexcept { return captureDest_; }
    // The next automatic file name for the extension (see CaptureFiles.h), with the
    // component's StoragePath, AutoFilePrefix and AutoFileName; Counter is one of the
    // process-wide counters (BmpSequenceCounter(), JpgSequenceCounter()).
    std::string MakeCaptureFileName(std::int32_t& Counter, const std::string& Ext) const;
    void FindLastSequenceNumber(std::int32_t& Counter, const std::string& Ext) const;
    // The callback (null while designing, or without a Sample Grabber on the machine).
    TSampleGrabberCB* GrabberCallback() const noexcept { return grabberCallback_.get(); }

private:
    void CreateGrabberCallback();
    void PassBurstSettings() noexcept;
    // After a grabber snapshot gave up waiting: the callback is disarmed and paused media
    // that the snapshot had started is paused again.
    void AbandonGrabberSnapshot();
    void GrabberFrameMessage(TMessage& message);
    TCaptureNaming CaptureNaming() const;
    void CompleteCapture(TBitmap* bitmap, TFrameCapture_Dest dest, const std::string& fileName, WordBool success);

    std::unique_ptr<TSampleGrabberCB> grabberCallback_;
    // ===== end of the sample grabber graph and capture saving ===========================
};


// Registers TActiveMovie with the layouts' class registry (idempotent).
void RegisterActiveMovieClass();
