// TActiveMovie: construction, destruction, the typed accessors of the player's properties and
// the plain state properties.
#include "videosource/ActiveMovie.h"

#include "framework/Bitmap.h"
#include "videosource/MessageWait.h"

#include <filesystem>

namespace {

// Shared by every component of the process and never decreased, so that the parts of
// several components on one form never get the same name.
int namingCounter = 0;

std::string NextPartName()
{
    ++namingCounter;
    return "AMComponent" + std::to_string(namingCounter);
}

// The player must be there before anything of the component is built: the check may end
// the program, and it starts COM and OLE for the thread on the first construction.
TComponent* CheckedOwner(TComponent* owner)
{
    CheckPlayerInstalled();
    return owner;
}

std::string CurrentDirectory()
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string() : path.string();
}

// A destroyed component whose player never leaves the loading state must not hold the
// program forever; loading ends (opened or failed) long before this.
constexpr int kLoadingWaitBoundMs = 10000;

} // namespace

TActiveMovie::TActiveMovie(TComponent* owner) : TCustomPanel(CheckedOwner(owner))
{
    const bool runTime = !ComponentState().Contains(csDesigning);

    SetBorderWidth(0);
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);

    storagePath_ = CurrentDirectory();
    grabberStatus_ = u"the FGrabber_Enabled property must be enabled.";
    SetColor(clBlack);
    SetParentColor(true); // the panel shows its parent's colour, and remembers it
    SetBounds(Left(), Top(), 240, 200);

    if (runTime) {
        grabberAvailable_ = ToWordBool(ProbeGrabberAvailable());
        if (grabberAvailable_)
            CreateGrabberCallback();
        hScrollBar_ = new TScrollBar(this);
        vScrollBar_ = new TScrollBar(this);
        vScrollBar_->SetKind(sbVertical);
        for (TScrollBar* bar : {hScrollBar_, vScrollBar_}) {
            bar->SetMin(0);
            bar->SetVisible(false);
            bar->SetTabStop(false);
            bar->SetCtl3D(false);
            bar->SetParentCtl3D(false);
            bar->OnScroll.Assign(this, &TActiveMovie::ScrollBarScroll);
            bar->SetParent(this);
        }
        cornerPanel_ = new TPanel(this);
        cornerPanel_->SetVisible(false);
        cornerPanel_->SetCaption("");
        cornerPanel_->SetParent(this);
        relayTimer_ = new TTimer(this);
        relayTimer_->SetName(NextPartName());
        relayTimer_->SetEnabled(false);
        relayTimer_->SetInterval(50);
        relayTimer_->OnTimer.Assign(this, &TActiveMovie::RelayTick);
    }

    videoPanel_ = new TPanel(this);
    videoPanel_->SetBorderWidth(0);
    videoPanel_->SetBevelInner(bvNone);
    videoPanel_->SetBevelOuter(bvNone);
    videoPanel_->SetParent(this);

    player_ = new TDerivedMovie_(this);
    player_->SetName(NextPartName());
    ConnectPlayerEvents();

    // Automatic sizing off, position 0 (a boolean false, as written since the first
    // version), 1112, and no 3-D border.
    for (DISPID id : {-500, 1027, 1112, 1103})
        SetDispBool(id, WordFalse);

    player_->SetParent(videoPanel_);
    videoPanel_->SetCaption("");

    if (runTime)
        relayTimer_->SetEnabled(true);
}

TActiveMovie::~TActiveMovie()
{
    // No more ticks: the records would reach handlers of a component being taken apart.
    if (relayTimer_ != nullptr)
        relayTimer_->SetEnabled(false);
    UnhookRendererWindow();
    DisconnectPlayerEvents();
    if (auxHooked_ && auxWindow_ != nullptr) {
        auxWindow_->WindowProc = auxPreviousProc_;
        auxHooked_ = false;
    }
    try {
        WaitProcessingMessages([this] { return ReadyState() != 1; }, kLoadingWaitBoundMs);
    } catch (...) {
        // A control that cannot answer is not loading anything we could wait for.
    }
    rendererVideo_.Reset();
    imageBuffer_.reset();
    imageBufferSize_ = 0;
    if (grabberCallback_) {
        ReleaseGrabberGraph();
        grabberCallback_.reset();
    }
    grabberReady_ = false;
    grabberFilters_ = TDxFilters();
    snapshotBitmap_.reset();
    ReleaseOleStrings();
    // The parts go while the component is still whole: the player's window lives in ours.
    DestroyComponents();
    player_ = nullptr;
}

void TActiveMovie::ReleaseOleStrings() noexcept
{
    for (BSTR text : oleStrings_)
        SysFreeString(text);
    oleStrings_.clear();
}

// --- typed accessors ---------------------------------------------------------------------

WordBool TActiveMovie::GetDispBool(DISPID id) const { return player_->GetWordBoolProp(id); }

int TActiveMovie::GetDispInt(DISPID id) const { return static_cast<int>(player_->GetIntegerProp(id)); }

double TActiveMovie::GetDispDouble(DISPID id) const { return player_->GetDoubleProp(id); }

WideString TActiveMovie::GetDispText(DISPID id) const { return player_->GetWideStringProp(id); }

void TActiveMovie::SetDispBool(DISPID id, WordBool value)
{
    player_->SetWordBoolProp(id, value != 0);
    LayoutVideo();
}

void TActiveMovie::SetDispInt(DISPID id, int value) { player_->SetIntegerProp(id, value); }

void TActiveMovie::SetDispDouble(DISPID id, double value) { player_->SetDoubleProp(id, value); }

void TActiveMovie::SetDispText(DISPID id, const WideString& value) { player_->SetWideStringProp(id, value); }

ComPtr<mediaplayer::IMediaPlayer> TActiveMovie::MediaPlayer() const { return player_->GetPlayerInterface(); }

// --- display mode and capture settings -------------------------------------------------------

TDisplayMode TActiveMovie::DisplayMode() const { return static_cast<TDisplayMode>(GetDispEnum(32)); }

void TActiveMovie::SetDisplayMode(TDisplayMode value) { SetDispEnum(32, value); }

void TActiveMovie::SetFGrabber_Enabled(bool value)
{
    grabberEnabled_ = value;
    grabberStatus_ = value ? WideString() : WideString(u"the FGrabber_Enabled property must be enabled.");
}

void TActiveMovie::SetFGrabber_BurstCount(int value)
{
    if (value < 0 || value == burstCount_)
        return;
    burstCount_ = value;
    if (grabberCallback_)
        grabberCallback_->SetBurstCount(value);
}

void TActiveMovie::SetFGrabber_BurstInterval(int value)
{
    if (value < 0 || value == burstInterval_)
        return;
    burstInterval_ = value;
    if (grabberCallback_)
        grabberCallback_->SetBurstInterval(value); // 0 leaves the callback's interval
}

void TActiveMovie::SetFGrabber_BurstMode(WordBool value)
{
    if ((value != 0) == (burstMode_ != 0))
        return;
    burstMode_ = ToWordBool(value != 0);
    if (grabberCallback_)
        grabberCallback_->SetBurstMode(value != 0);
}

// --- messages and resizing -------------------------------------------------------------------

void TActiveMovie::Resize()
{
    LayoutVideo();
    TCustomPanel::Resize();
}

void TActiveMovie::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_SIZE:
        TCustomPanel::Dispatch(message);
        if (!layoutFromSize_) {
            layoutFromSize_ = WordTrue;
            try {
                LayoutVideo();
            } catch (...) {
                layoutFromSize_ = WordFalse;
                throw;
            }
            layoutFromSize_ = WordFalse;
        }
        return;
    case WM_CLOSE:
        DefaultHandler(message);
        return;
    case WM_GRABBERFRAME:
        GrabberFrameMessage(message);
        return;
    default:
        TCustomPanel::Dispatch(message);
    }
}

void TActiveMovie::CreateWnd()
{
    TCustomPanel::CreateWnd();
    if (grabberCallback_)
        grabberCallback_->SetNotifyWindow(HandleOrNull());
}

void TActiveMovie::ColorChanged()
{
    if (!paintingUnremembered_)
        rememberedColor_ = Color();
    TCustomPanel::ColorChanged();
}
