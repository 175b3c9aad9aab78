// TActiveMovie: the published vocabulary that layouts read and write, and its registration.
//
// None of the component's own properties declares a default, so every stored one is always
// written; Balance, Mute, Volume and StoragePath are never stored (the sound settings are
// the listener's, the folder is the machine's).
#include "videosource/ActiveMovie.h"

#include "framework/ClassRegistry.h"

const TEnumInfo DisplayModeInfo{"TDisplayMode", {"mpTime", "mpFrames"}};
const TEnumInfo DisplaySizeInfo{"TDisplaySize",
                                {"mpDefaultSize", "mpHalfSize", "mpDoubleSize", "mpFitToSize", "mpCustomSize"}};
const TEnumInfo AutoFilenameInfo{"TAuto_Filename", {"fnSequential", "fnDateTime"}};

namespace {

using Builder = TClassBuilder<TActiveMovie>;

// A WideString property of the player, published as text.
void ForwardText(Builder& builder, const char* name, DISPID id)
{
    builder.String(
        name, [id](const TActiveMovie& m) { return FromWideString(m.GetDispText(id)); },
        [id](TActiveMovie& m, const std::string& value) { m.SetDispText(id, ToWideString(value)); });
}

} // namespace

const TClass& TActiveMovie::StaticClass()
{
    static const TClass cls = [] {
        using M = TActiveMovie;
        Builder b("TActiveMovie", &TCustomPanel::StaticClass());
        // The component's own properties.
        b.Boolean("Visible", &M::Visible, &M::SetVisible)
            .Enum("AutoFileName", AutoFilenameInfo, &M::AutoFileName, &M::SetAutoFileName)
            .String("AutoFilePrefix", &M::AutoFilePrefix, &M::SetAutoFilePrefix)
            .WordBoolean("AutoStart", &M::AutoStart, &M::SetAutoStart)
            .Integer("CaptureSize", &M::CaptureSize, &M::SetCaptureSize)
            .WordBoolean("DisplayLogo", &M::DisplayLogo, &M::SetDisplayLogo)
            .Enum("DisplayMode", DisplayModeInfo, &M::DisplayMode, &M::SetDisplayMode)
            .Enum("DisplaySize", DisplaySizeInfo, &M::DisplaySize, &M::SetDisplaySize)
            .Integer("FGrabber_BurstCount", &M::FGrabber_BurstCount, &M::SetFGrabber_BurstCount)
            .Integer("FGrabber_BurstInterval", &M::FGrabber_BurstInterval, &M::SetFGrabber_BurstInterval)
            .WordBoolean("FGrabber_BurstMode", &M::FGrabber_BurstMode, &M::SetFGrabber_BurstMode)
            .Boolean("FGrabber_Enabled", &M::FGrabber_Enabled, &M::SetFGrabber_Enabled)
            .String(
                "FileName", [](const M& m) { return FromWideString(m.FileName()); },
                [](M& m, const std::string& value) { m.SetFileName(ToWideString(value)); })
            .WordBoolean("FullScreenMode", &M::FullScreenMode, &M::SetFullScreenMode)
            .Enum("JPEGPerformance", JPEGPerformanceInfo, &M::JPEGPerformance, &M::SetJPEGPerformance)
            .WordBoolean("JPEGProgressiveDisplay", &M::JPEGProgressiveDisplay, &M::SetJPEGProgressiveDisplay)
            .Integer("JPEGQuality", &M::JPEGQuality, &M::SetJPEGQuality)
            .Boolean("Loop", &M::Loop, &M::SetLoop)
            .Float("Rate", &M::Rate, &M::SetRate)
            .Integer("ScrollBarsThickness", &M::ScrollBarsThickness, &M::SetScrollBarsThickness)
            .Float("SelectionEnd", &M::SelectionEnd, &M::SetSelectionEnd)
            .Float("SelectionStart", &M::SelectionStart, &M::SetSelectionStart)
            .WordBoolean("ShowControls", &M::ShowControls, &M::SetShowControls)
            .WordBoolean("ShowScrollBars", &M::ShowScrollBars, &M::SetShowScrollBars)
            .String("StoragePath", &M::StoragePath, &M::SetStoragePath)
            .NotStored()
            .Integer("ZoomSize", &M::ZoomSize, &M::SetZoomSize);
        // The player's own properties, by dispatch id.
        b.WordBoolean("AllowScan", &M::AllowScan, &M::SetAllowScan)
            .WordBoolean("AnimationAtStart", &M::AnimationAtStart, &M::SetAnimationAtStart)
            .Integer("AudioStream", &M::AudioStream, &M::SetAudioStream)
            .WordBoolean("AutoRewind", &M::AutoRewind, &M::SetAutoRewind)
            .Integer("Balance", &M::Balance, &M::SetBalance)
            .NotStored();
        ForwardText(b, "BaseURL", 1082);
        ForwardText(b, "CaptioningID", 1085);
        b.WordBoolean("ClickToPlay", &M::ClickToPlay, &M::SetClickToPlay)
            .Integer("CursorType", &M::CursorType, &M::SetCursorType);
        ForwardText(b, "DefaultFrame", 1083);
        b.WordBoolean("EnableContextMenu", &M::EnableContextMenu, &M::SetEnableContextMenu)
            .WordBoolean("Enabled", &M::PlayerEnabled, &M::SetPlayerEnabled)
            .WordBoolean("EnableFullScreenControls", &M::EnableFullScreenControls, &M::SetEnableFullScreenControls)
            .WordBoolean("EnablePositionControls", &M::EnablePositionControls, &M::SetEnablePositionControls)
            .WordBoolean("EnableTracker", &M::EnableTracker, &M::SetEnableTracker)
            .WordBoolean("InvokeURLs", &M::InvokeURLs, &M::SetInvokeURLs)
            .Integer("Language", &M::Language, &M::SetLanguage)
            .WordBoolean("Mute", &M::Mute, &M::SetMute)
            .NotStored()
            .Integer("PlayCount", &M::PlayCount, &M::SetPlayCount);
        ForwardText(b, "SAMIFileName", 1099);
        ForwardText(b, "SAMILang", 1098);
        ForwardText(b, "SAMIStyle", 1097);
        b.WordBoolean("SendErrorEvents", &M::SendErrorEvents, &M::SetSendErrorEvents)
            .WordBoolean("SendKeyboardEvents", &M::SendKeyboardEvents, &M::SetSendKeyboardEvents)
            .WordBoolean("SendMouseClickEvents", &M::SendMouseClickEvents, &M::SetSendMouseClickEvents)
            .WordBoolean("SendMouseMoveEvents", &M::SendMouseMoveEvents, &M::SetSendMouseMoveEvents)
            .WordBoolean("SendOpenStateChangeEvents", &M::SendOpenStateChangeEvents, &M::SetSendOpenStateChangeEvents)
            .WordBoolean("SendPlayStateChangeEvents", &M::SendPlayStateChangeEvents, &M::SetSendPlayStateChangeEvents)
            .WordBoolean("SendWarningEvents", &M::SendWarningEvents, &M::SetSendWarningEvents)
            .WordBoolean("ShowAudioControls", &M::ShowAudioControls, &M::SetShowAudioControls)
            .WordBoolean("ShowCaptioning", &M::ShowCaptioning, &M::SetShowCaptioning)
            .WordBoolean("ShowDisplay", &M::ShowDisplay, &M::SetShowDisplay)
            .WordBoolean("ShowGotoBar", &M::ShowGotoBar, &M::SetShowGotoBar)
            .WordBoolean("ShowPositionControls", &M::ShowPositionControls, &M::SetShowPositionControls)
            .WordBoolean("ShowStatusBar", &M::ShowStatusBar, &M::SetShowStatusBar)
            .WordBoolean("ShowTracker", &M::ShowTracker, &M::SetShowTracker)
            .WordBoolean("VideoBorder3D", &M::VideoBorder3D, &M::SetVideoBorder3D)
            .Integer("VideoBorderColor", &M::VideoBorderColor, &M::SetVideoBorderColor)
            .Integer("VideoBorderWidth", &M::VideoBorderWidth, &M::SetVideoBorderWidth)
            .Integer("Volume", &M::Volume, &M::SetVolume)
            .NotStored();
        // Events (the standard ones come from the control classes).
        b.Event("OnBuffering", &M::OnBuffering)
            .Event("OnCreate", &M::OnCreate)
            .Event("OnDisconnect", &M::OnDisconnect)
            .Event("OnDisplayModeChange", &M::OnDisplayModeChange)
            .Event("OnEndOfStream", &M::OnEndOfStream)
            .Event("OnError", &M::OnError)
            .Event("OnF1HelpInvoked", &M::OnF1HelpInvoked)
            .Event("OnFGrabberCaptureCompleted", &M::OnFGrabberCaptureCompleted)
            .Event("OnFullScreenKeyPress", &M::OnFullScreenKeyPress)
            .Event("OnMarkerHit", &M::OnMarkerHit)
            .Event("OnNewStream", &M::OnNewStream)
            .Event("OnOpenComplete", &IVideoSourceSurface::OnOpenComplete)
            .Event("OnOpenStateChange", &M::OnOpenStateChange)
            .Event("OnPlayStateChange", &M::OnPlayStateChange)
            .Event("OnPositionChange", &IVideoSourceSurface::OnPositionChange)
            .Event("OnReadyStateChange", &M::OnReadyStateChange)
            .Event("OnScriptCommand", &M::OnScriptCommand)
            .Event("OnWarning", &M::OnWarning);
        return b.Build();
    }();
    return cls;
}

void RegisterActiveMovieClass()
{
    static const bool registered = [] {
        RegisterControlClasses();
        RegisterClass(TActiveMovie::StaticClass());
        return true;
    }();
    (void)registered;
}
