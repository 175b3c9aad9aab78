#include "axhost/DerivedMovie.h"

#include "platform/com/ComRuntime.h"
#include "platform/registry/Registry.h"
#include "platform/user/WinUser.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kPlayerClassKey = "CLSID\\{22D6F312-B0F6-11D0-94AB-0080C74C7E95}";

constexpr const char* kNotInstalledText =
    "Microsoft Windows Media Player is not installed on this platform.\r\n"
    "It can be downloaded from https://www.microsoft.com/windows/windowsmedia/download/.";

bool unitStarted = false;

} // namespace

TControlInfo& TDerivedMovie_::PlayerControlInfo()
{
    static TControlInfo info = [] {
        TControlInfo i;
        i.ClassID = CLSID_MediaPlayer;
        i.EventIID = DIID_MediaPlayerEvents;
        i.EventDispIDs = {1505, 3002, 3011, 3012, 3001, 3003, 3010, 3006, 3009, 3008, 3004, 2, 51, -609};
        i.Flags = cfEnabled;
        i.Version = 401;
        i.Reserved = 0;
        return i;
    }();
    return info;
}

const TClass& TDerivedMovie_::StaticClass()
{
    static const TClass cls = TClassBuilder<TDerivedMovie_>("TDerivedMovie_", &TOleControl2::StaticClass())
        .Event("OnDVDNotify", &TDerivedMovie_::OnDVDNotify)
        .Event("OnEndOfStream", &TDerivedMovie_::OnEndOfStream)
        .Event("OnOpenStateChange", &TDerivedMovie_::OnOpenStateChange)
        .Event("OnPlayStateChange", &TDerivedMovie_::OnPlayStateChange)
        .Event("OnScriptCommand", &TDerivedMovie_::OnScriptCommand)
        .Event("OnBuffering", &TDerivedMovie_::OnBuffering)
        .Event("OnError", &TDerivedMovie_::OnError)
        .Event("OnMarkerHit", &TDerivedMovie_::OnMarkerHit)
        .Event("OnWarning", &TDerivedMovie_::OnWarning)
        .Event("OnNewStream", &TDerivedMovie_::OnNewStream)
        .Event("OnDisconnect", &TDerivedMovie_::OnDisconnect)
        .Event("OnPositionChange", &TDerivedMovie_::OnPositionChange)
        .Event("OnDisplayModeChange", &TDerivedMovie_::OnDisplayModeChange)
        .Event("OnReadyStateChange", &TDerivedMovie_::OnReadyStateChange)
        .Event("OnF1HelpInvoked", &TDerivedMovie_::OnF1HelpInvoked)
        .Build();
    return cls;
}

TDerivedMovie_::TDerivedMovie_(TComponent* owner)
    : TOleControl2(owner),
      eventSlots_{TOleEventSlot(OnDVDNotify),       TOleEventSlot(OnEndOfStream),     TOleEventSlot(OnOpenStateChange),
                  TOleEventSlot(OnPlayStateChange), TOleEventSlot(OnScriptCommand),   TOleEventSlot(OnBuffering),
                  TOleEventSlot(OnError),           TOleEventSlot(OnMarkerHit),       TOleEventSlot(OnWarning),
                  TOleEventSlot(OnNewStream),       TOleEventSlot(OnDisconnect),      TOleEventSlot(OnPositionChange),
                  TOleEventSlot(OnDisplayModeChange), TOleEventSlot(OnReadyStateChange)}
{
    CreateControl();
}

TDerivedMovie_::~TDerivedMovie_() = default;

void TDerivedMovie_::InitControlInfo()
{
    controlInfo_ = &PlayerControlInfo();
    controlInfo_->FirstEventSlot = [](const TOleControl2& host) -> const TOleEventSlot* {
        return static_cast<const TDerivedMovie_&>(host).eventSlots_.data();
    };
}

void TDerivedMovie_::ConnectPlayerInterface()
{
    if (playerInterface_)
        return;
    ComPtr<IDispatch> dispatch = DefaultDispatch();
    if (FAILED(dispatch.As(playerInterface_)))
        throw EIntfCastError();
}

ComPtr<IMediaPlayer> TDerivedMovie_::GetPlayerInterface()
{
    ConnectPlayerInterface();
    return playerInterface_;
}

void TDerivedMovie_::Dispatch(TMessage& message)
{
    if (message.Msg == WM_HELP) {
        bool canShowHelp = true;
        OnF1HelpInvoked(this, canShowHelp);
        if (!canShowHelp)
            return;
    }
    TOleControl2::Dispatch(message);
}

// --- unit --------------------------------------------------------------------------------

std::string& PlayerNotInstalledMessage()
{
    static std::string message = kNotInstalledText;
    return message;
}

void AMovieUnitStart()
{
    if (unitStarted)
        return;
    CoInitialize(nullptr);
    OleInitialize(nullptr);
    unitStarted = true;
}

void AMovieUnitEnd()
{
    if (unitStarted) {
        CoUninitialize();
        OleUninitialize();
        unitStarted = false;
    }
    PlayerNotInstalledMessage().clear();
}

bool AMovieUnitStarted() { return unitStarted; }

bool IsPlayerInstalled()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kPlayerClassKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void CheckPlayerInstalled()
{
    AMovieUnitStart();
    if (IsPlayerInstalled() || PlayerNotInstalledMessage().empty())
        return;
    MessageBoxA(nullptr, PlayerNotInstalledMessage().c_str(), "", MB_OK);
    // The program cannot do its work without the player: it stops, and says so by its
    // exit status.
    std::fflush(nullptr);
    std::exit(1);
}
