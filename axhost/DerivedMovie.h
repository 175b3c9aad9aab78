// TDerivedMovie_: the host of the media player control (class id
// {22D6F312-B0F6-11D0-94AB-0080C74C7E95}), with its fourteen events as handler slots, its
// IMediaPlayer interface, and the help request of its window. Also the unit's start and end
// (COM and OLE for the user-interface thread) and the check that the player is installed.
//
// Any registered class that answers the player's dispatch ids and event interface can be
// hosted; the player interface is asked for only when a caller wants it.
//
// Ownership: owned by its owner component (TActiveMovie); the player interface is a counted
// reference released with the host. Thread: the user-interface thread.
#pragma once

#include "axhost/OleControl.h"
#include "platform/com/Dispatch.h"
#include "platform/mediaplayer/MediaPlayerInterfaces.h"

#include <array>
#include <string>

// The player's identifiers and its interface table (Play, Stop, Pause, Open and the last
// error at their table slots), as the player module declares them.
using mediaplayer::CLSID_MediaPlayer;
using mediaplayer::DIID_MediaPlayerEvents;
using mediaplayer::IID_IMediaPlayer;
using IMediaPlayer = mediaplayer::IMediaPlayer;

using TDerivedMovie_DVDNotify = TEvent<void(TObject* Sender, int EventCode, int EventParam1, int EventParam2)>;
using TDerivedMovie_EndOfStream = TEvent<void(TObject* Sender, int Result)>;
using TDerivedMovie_OpenStateChange = TEvent<void(TObject* Sender, int OldState, int NewState)>;
using TDerivedMovie_PlayStateChange = TEvent<void(TObject* Sender, int OldState, int NewState)>;
using TDerivedMovie_ScriptCommand = TEvent<void(TObject* Sender, const WideString& scType, const WideString& Param)>;
using TDerivedMovie_Buffering = TEvent<void(TObject* Sender, WordBool Start)>;
using TDerivedMovie_MarkerHit = TEvent<void(TObject* Sender, int MarkerNum)>;
using TDerivedMovie_Warning =
    TEvent<void(TObject* Sender, int WarningType, int Param, const WideString& Description)>;
using TDerivedMovie_Disconnect = TEvent<void(TObject* Sender, int Result)>;
using TDerivedMovie_PositionChange = TEvent<void(TObject* Sender, double oldPosition, double newPosition)>;
using TDerivedMovie_ReadyStateChange = TEvent<void(TObject* Sender, int ReadyState)>;
using TOnF1HelpInvoked = TEvent<void(TObject* Sender, bool& CanShowWMPHelp)>;

class TDerivedMovie_ : public TOleControl2 {
    QUELLON_CLASS()

public:
    // Creates the player control (the host's creation steps); raises their errors.
    explicit TDerivedMovie_(TComponent* owner);
    ~TDerivedMovie_() override;

    // The player's interface, connecting the control first on the first call. EIntfCastError
    // "Interface non supportée" when the control has no IMediaPlayer. The caller gets its own
    // reference.
    ComPtr<IMediaPlayer> GetPlayerInterface();

    TOnF1HelpInvoked OnF1HelpInvoked;
    // Slots in the order of the player's event list (PlayerControlInfo().EventDispIDs).
    TDerivedMovie_DVDNotify OnDVDNotify;
    TDerivedMovie_EndOfStream OnEndOfStream;
    TDerivedMovie_OpenStateChange OnOpenStateChange;
    TDerivedMovie_PlayStateChange OnPlayStateChange;
    TDerivedMovie_ScriptCommand OnScriptCommand;
    TDerivedMovie_Buffering OnBuffering;
    TNotifyEvent OnError;
    TDerivedMovie_MarkerHit OnMarkerHit;
    TDerivedMovie_Warning OnWarning;
    TNotifyEvent OnNewStream;
    TDerivedMovie_Disconnect OnDisconnect;
    TDerivedMovie_PositionChange OnPositionChange;
    TNotifyEvent OnDisplayModeChange;
    TDerivedMovie_ReadyStateChange OnReadyStateChange;

    // The player's description: class id, event interface, the 14 events, flags 8 (enabled
    // state bound to the host's), version 401.
    static TControlInfo& PlayerControlInfo();

    void Dispatch(TMessage& message) override;

protected:
    void InitControlInfo() override;

private:
    void ConnectPlayerInterface();

    std::array<TOleEventSlot, 14> eventSlots_;
    ComPtr<IMediaPlayer> playerInterface_;
};

// --- the unit's start and end, and the installed check -----------------------------------

// CoInitialize then OleInitialize for the calling thread, once; later calls do nothing.
void AMovieUnitStart();
// CoUninitialize then OleUninitialize (when started), and the not-installed message is
// released.
void AMovieUnitEnd();
bool AMovieUnitStarted();

// Whether HKEY_CLASSES_ROOT\CLSID\{22D6F312-B0F6-11D0-94AB-0080C74C7E95} can be opened.
bool IsPlayerInstalled();

// The message shown when the player is missing. A host may set it empty to build components
// without the check stopping the program.
std::string& PlayerNotInstalledMessage();

// Starts the unit when needed, then checks for the player: when it is missing and the
// message is not empty, shows the message (no owner, empty caption, OK only) and ends the
// program with exit status 1. Otherwise returns.
void CheckPlayerInstalled();
