// TActiveMovie: opening media, the playback commands, the player's event handlers and the
// relay tick that fires the deferred events.
#include "videosource/ActiveMovie.h"

#include "axhost/OleSupport.h"

namespace {

// Fires nothing more once a tick has begun, until it ends (a handler pumping messages would
// otherwise start a second tick inside the first).
class TickGuard {
public:
    explicit TickGuard(WordBool& flag) : flag_(flag) { flag_ = WordTrue; }
    ~TickGuard() { flag_ = WordFalse; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

private:
    WordBool& flag_;
};

} // namespace

// --- operations ------------------------------------------------------------------------------

void TActiveMovie::OpenMedia()
{
    if (fileName_.empty())
        return;
    if (playState_ == 2)
        OleCheck(MediaPlayer()->Stop());
    ReleaseOleStrings();
    justOpened_ = WordTrue;
    openRewindTicks_ = 0;
    openRewindWanted_ = false;
    // The locale's encoding is UTF-8 here, so the name reaches the control whole. The
    // string stays alive until the next open or the component's end.
    BSTR name = Utf8ToBstr(FromWideString(fileName_));
    if (name == nullptr)
        throw EOutOfMemory();
    oleStrings_.insert(oleStrings_.begin(), name);
    OleCheck(MediaPlayer()->Open(name));
}

void TActiveMovie::Play()
{
    if (OpenState() != 6)
        return;
    openRewindTicks_ = 0;
    openRewindWanted_ = false;
    OleCheck(MediaPlayer()->Play());
    if (fullScreenMode_)
        SetDispInt(1032, 3);
}

void TActiveMovie::Stop()
{
    if (OpenState() != 6)
        return;
    openRewindTicks_ = 0;
    openRewindWanted_ = false;
    OleCheck(MediaPlayer()->Stop());
    SetDispDouble(1027, 0);
}

bool TActiveMovie::Pause()
{
    if (OpenState() != 6 || ControlPlayState() != 2)
        return false;
    OleCheck(MediaPlayer()->Pause());
    return true;
}

// --- the player's state notifications --------------------------------------------------------

void TActiveMovie::PlayerOpenStateChange(TObject*, int OldState, int NewState)
{
    timePosition_ = 0;
    framePosition_ = 0;
    if (NewState == 0) {
        grabberReady_ = false;
        // The window and the graph belong to the media that closed: a failed open that
        // follows must not leave us holding either.
        rendererWindow_ = nullptr;
        rendererPreviousProc_ = nullptr;
        rendererVideo_.Reset();
    }
    if (NewState == 6) {
        rendererVideo_.Reset();
        if (grabberEnabled_ && grabberCallback_)
            grabberReady_ = BuildGrabberGraph();
        FetchRendererVideo();
        if (GetDispInt(1001) == 0 && !displayLogo_)
            videoHidden_ = WordTrue;
        DetermineLengths();
        if (!autoStart_) {
            SetDispDouble(1027, 0);
            openRewindWanted_ = true;
        }
        if (rendererWindow_ == nullptr)
            FindRendererWindow();
        if (OnOpenComplete.Assigned())
            OnOpenComplete(this);
    }
    LayoutVideo();
    pendingOpenState_ = {true, OldState, NewState};
}

void TActiveMovie::FetchRendererVideo()
{
    ComPtr<IMediaPlayer> player = MediaPlayer();
    ComPtr<mediaplayer::IActiveMovie> movie;
    if (player.As(movie) != S_OK)
        return;
    ComPtr<IUnknown> graph;
    if (movie->get_FilterGraph(graph.ReleaseAndGetAddressOf()) != S_OK || !graph)
        return;
    ComPtr<IFilterGraph> filterGraph;
    if (graph.As(filterGraph) != S_OK)
        return;
    ComPtr<IBasicVideo> video;
    if (filterGraph.As(video) == S_OK)
        rendererVideo_ = std::move(video);
}

void TActiveMovie::PlayerPlayStateChange(TObject*, int OldState, int NewState)
{
    playState_ = NewState;
    if (GetDispDouble(1028) != rate_)
        SetDispDouble(1028, rate_);
    if (NewState == 2) {
        if (OldState != 1 && selectionStart_ != -1)
            SetDispDouble(1027, selectionStart_);
        if (justOpened_) {
            if (!autoStart_)
                pendingPause_ = WordTrue;
            justOpened_ = WordFalse;
        }
        if (fullScreenMode_)
            pendingFullScreen_ = WordTrue;
        LayoutVideo();
    }
    if (NewState == 0 && grabberCallback_)
        grabberCallback_->Disarm(); // ends any capture or burst in progress
    pendingPlayState_ = {true, OldState, NewState};
}

void TActiveMovie::PlayerReadyStateChange(TObject*, int ReadyState)
{
    if (!displayLogo_) {
        videoHidden_ = ToWordBool(!(OpenState() == 6 && ReadyState == 4));
        if ((ReadyState == 3 || ReadyState == 4) && grabberEnabled_ && grabberCallback_)
            grabberReady_ = BuildGrabberGraph();
    }
    LayoutVideo();
    OnReadyStateChange(this, ReadyState);
}

void TActiveMovie::PlayerEndOfStream(TObject*, int Result)
{
    if (fullScreenMode_)
        Pause();
    pendingEndOfStream_ = {true, Result};
}

void TActiveMovie::PlayerDisconnect(TObject*, int Result) { pendingDisconnect_ = {true, Result}; }

void TActiveMovie::PlayerError(TObject*)
{
    if (!OnError.Assigned())
        return;
    ComPtr<IMediaPlayer> player = MediaPlayer();
    BSTR description = nullptr;
    OleCheck(player->get_ErrorDescription(&description));
    const std::string text = BstrToUtf8(description);
    SysFreeString(description);
    LONG code = 0;
    OleCheck(player->get_ErrorCode(&code));
    OnError(this, code, text);
}

// --- events passed on at once ------------------------------------------------------------------

void TActiveMovie::PlayerScriptCommand(TObject*, const WideString& scType, const WideString& Param)
{
    OnScriptCommand(this, scType, Param);
}
void TActiveMovie::PlayerBuffering(TObject*, WordBool Start) { OnBuffering(this, Start); }
void TActiveMovie::PlayerMarkerHit(TObject*, int MarkerNum) { OnMarkerHit(this, MarkerNum); }
void TActiveMovie::PlayerWarning(TObject*, int WarningType, int Param, const WideString& Description)
{
    OnWarning(this, WarningType, Param, Description);
}
void TActiveMovie::PlayerNewStream(TObject*) { OnNewStream(this); }
void TActiveMovie::PlayerDisplayModeChange(TObject*) { OnDisplayModeChange(this); }
void TActiveMovie::PlayerF1Help(TObject*, bool& CanShowWMPHelp) { OnF1HelpInvoked(this, CanShowWMPHelp); }
void TActiveMovie::PlayerClick(TObject*) { OnClick(this); }
void TActiveMovie::PlayerDblClick(TObject*) { OnDblClick(this); }
void TActiveMovie::PlayerEnter(TObject*) { OnEnter(this); }
void TActiveMovie::PlayerExit(TObject*) { OnExit(this); }
void TActiveMovie::PlayerKeyDown(TObject*, WORD& Key, TShiftState Shift) { OnKeyDown(this, Key, Shift); }
void TActiveMovie::PlayerKeyUp(TObject*, WORD& Key, TShiftState Shift) { OnKeyUp(this, Key, Shift); }
void TActiveMovie::PlayerKeyPress(TObject*, char& Key) { OnKeyPress(this, Key); }
void TActiveMovie::PlayerMouseDown(TObject*, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    OnMouseDown(this, Button, Shift, X, Y);
}
void TActiveMovie::PlayerMouseUp(TObject*, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    OnMouseUp(this, Button, Shift, X, Y);
}
void TActiveMovie::PlayerMouseMove(TObject*, TShiftState Shift, int X, int Y) { OnMouseMove(this, Shift, X, Y); }
void TActiveMovie::PlayerDragDrop(TObject*, TObject* Source, int X, int Y) { OnDragDrop(this, Source, X, Y); }
void TActiveMovie::PlayerDragOver(TObject*, TObject* Source, int X, int Y, TDragState State, bool& Accept)
{
    OnDragOver(this, Source, X, Y, State, Accept);
}
void TActiveMovie::PlayerEndDrag(TObject*, TObject* Target, int X, int Y) { OnEndDrag(this, Target, X, Y); }
void TActiveMovie::PlayerStartDrag(TObject*, TDragObject*& DragObject) { OnStartDrag(this, DragObject); }

void TActiveMovie::ConnectPlayerEvents()
{
    TDerivedMovie_& p = *player_;
    p.OnClick.Assign(this, &TActiveMovie::PlayerClick);
    p.OnDblClick.Assign(this, &TActiveMovie::PlayerDblClick);
    p.OnDragDrop.Assign(this, &TActiveMovie::PlayerDragDrop);
    p.OnDragOver.Assign(this, &TActiveMovie::PlayerDragOver);
    p.OnEndDrag.Assign(this, &TActiveMovie::PlayerEndDrag);
    p.OnEnter.Assign(this, &TActiveMovie::PlayerEnter);
    p.OnExit.Assign(this, &TActiveMovie::PlayerExit);
    p.OnKeyDown.Assign(this, &TActiveMovie::PlayerKeyDown);
    p.OnKeyPress.Assign(this, &TActiveMovie::PlayerKeyPress);
    p.OnKeyUp.Assign(this, &TActiveMovie::PlayerKeyUp);
    p.OnMouseDown.Assign(this, &TActiveMovie::PlayerMouseDown);
    p.OnMouseMove.Assign(this, &TActiveMovie::PlayerMouseMove);
    p.OnMouseUp.Assign(this, &TActiveMovie::PlayerMouseUp);
    p.OnStartDrag.Assign(this, &TActiveMovie::PlayerStartDrag);
    p.OnWindowCreated.Assign(this, &TActiveMovie::PlayerWindowCreated);
    p.OnOpenStateChange.Assign(this, &TActiveMovie::PlayerOpenStateChange);
    p.OnPlayStateChange.Assign(this, &TActiveMovie::PlayerPlayStateChange);
    p.OnReadyStateChange.Assign(this, &TActiveMovie::PlayerReadyStateChange);
    p.OnEndOfStream.Assign(this, &TActiveMovie::PlayerEndOfStream);
    p.OnScriptCommand.Assign(this, &TActiveMovie::PlayerScriptCommand);
    p.OnBuffering.Assign(this, &TActiveMovie::PlayerBuffering);
    p.OnError.Assign(this, &TActiveMovie::PlayerError);
    p.OnMarkerHit.Assign(this, &TActiveMovie::PlayerMarkerHit);
    p.OnWarning.Assign(this, &TActiveMovie::PlayerWarning);
    p.OnNewStream.Assign(this, &TActiveMovie::PlayerNewStream);
    p.OnDisconnect.Assign(this, &TActiveMovie::PlayerDisconnect);
    p.OnDisplayModeChange.Assign(this, &TActiveMovie::PlayerDisplayModeChange);
    p.OnF1HelpInvoked.Assign(this, &TActiveMovie::PlayerF1Help);
}

void TActiveMovie::DisconnectPlayerEvents()
{
    if (player_ == nullptr)
        return;
    TDerivedMovie_& p = *player_;
    p.OnClick.Clear();
    p.OnDblClick.Clear();
    p.OnDragDrop.Clear();
    p.OnDragOver.Clear();
    p.OnEndDrag.Clear();
    p.OnEnter.Clear();
    p.OnExit.Clear();
    p.OnKeyDown.Clear();
    p.OnKeyPress.Clear();
    p.OnKeyUp.Clear();
    p.OnMouseDown.Clear();
    p.OnMouseMove.Clear();
    p.OnMouseUp.Clear();
    p.OnStartDrag.Clear();
    p.OnWindowCreated.Clear();
    p.OnOpenStateChange.Clear();
    p.OnPlayStateChange.Clear();
    p.OnReadyStateChange.Clear();
    p.OnEndOfStream.Clear();
    p.OnScriptCommand.Clear();
    p.OnBuffering.Clear();
    p.OnError.Clear();
    p.OnMarkerHit.Clear();
    p.OnWarning.Clear();
    p.OnNewStream.Clear();
    p.OnDisconnect.Clear();
    p.OnDisplayModeChange.Clear();
    // The help request reaches nothing of ours once the others are gone; it is cleared too,
    // so that a help key during the teardown finds no handler of a dying component.
    p.OnF1HelpInvoked.Clear();
}

// --- the relay tick --------------------------------------------------------------------------

void TActiveMovie::RelayTick(TObject*)
{
    if (relayRunning_)
        return;
    TickGuard guard(relayRunning_);
    if (pendingFullScreen_) {
        pendingFullScreen_ = WordFalse;
        SetDispInt(1032, 3);
    }
    bool pollNow = true;
    if (pendingPause_) {
        pendingPause_ = WordFalse;
        OleCheck(MediaPlayer()->Pause());
        if (openRewindWanted_) {
            // The player started playing before this pause reached it: back to the position
            // written at open, so that the picture reported first is the first frame. The
            // poll waits for the next tick, when the pause and the seek have been done.
            openRewindWanted_ = false;
            SetDispDouble(1027, 0);
            openRewindTicks_ = kOpenRewindTicks;
            pollNow = false;
        }
    }
    // A capture whose last frame could not be posted (no window to take it) leaves its request
    // to pause again standing, with nothing waiting for the frame: the media that played for
    // it is paused here. Armed or busy, the capture is still under way.
    if (grabberCallback_ && !snapshotPending_ && !grabberCallback_->Armed() && !grabberCallback_->Busy() &&
        grabberCallback_->TakeRepauseRequest() && OpenState() == 6 && ControlPlayState() == 2)
        OleCheck(MediaPlayer()->Pause());
    if (OpenState() == 6) {
        if (pollNow)
            PollPosition();
        DeliverFullScreenKey();
    }
    if (pendingEndOfStream_.Pending) {
        pendingEndOfStream_.Pending = false;
        OnEndOfStream(this, pendingEndOfStream_.Result);
        if (loop_)
            OleCheck(MediaPlayer()->Play());
    }
    if (pendingOpenState_.Pending) {
        pendingOpenState_.Pending = false;
        OnOpenStateChange(this, pendingOpenState_.OldState, pendingOpenState_.NewState);
    }
    if (pendingPlayState_.Pending) {
        pendingPlayState_.Pending = false;
        OnPlayStateChange(this, pendingPlayState_.OldState, pendingPlayState_.NewState);
    }
    if (pendingDisconnect_.Pending) {
        pendingDisconnect_.Pending = false;
        OnDisconnect(this, pendingDisconnect_.Result);
    }
}
