#include "StandInVideoSource.h"

#include "app/Unit1.h"
#include "framework/ClassBuilder.h"

namespace {

const TEnumInfo StandInDisplayModeInfo{"TDisplayMode", {"mpTime", "mpFrames"}};
const TEnumInfo StandInDisplaySizeInfo{
    "TDisplaySize", {"mpDefaultSize", "mpHalfSize", "mpDoubleSize", "mpFitToSize", "mpCustomSize"}};

// A default picture until a test gives its own: black.
COLORREF Black(Cardinal, int, int) { return 0; }

} // namespace

const TClass& TStandInVideoSource::StaticClass()
{
    static const TClass cls = TClassBuilder<TStandInVideoSource>("TActiveMovie", &TCustomPanel::StaticClass())
        .WordBoolean("AutoStart", &TStandInVideoSource::AutoStart, &TStandInVideoSource::AutoStart)
        .Enum("DisplayMode", StandInDisplayModeInfo, &TStandInVideoSource::DisplayMode,
              &TStandInVideoSource::DisplayMode)
        .Enum("DisplaySize", StandInDisplaySizeInfo, &TStandInVideoSource::DisplaySize,
              &TStandInVideoSource::DisplaySize)
        .Boolean("FGrabber_Enabled", &TStandInVideoSource::FGrabber_Enabled, &TStandInVideoSource::FGrabber_Enabled)
        .Integer("CaptureSize", &TStandInVideoSource::CaptureSize, &TStandInVideoSource::CaptureSize)
        .WordBoolean("SendOpenStateChangeEvents", &TStandInVideoSource::SendOpenStateChangeEvents,
                     &TStandInVideoSource::SendOpenStateChangeEvents)
        .WordBoolean("SendPlayStateChangeEvents", &TStandInVideoSource::SendPlayStateChangeEvents,
                     &TStandInVideoSource::SendPlayStateChangeEvents)
        .Event("OnOpenComplete", &TStandInVideoSource::OnOpenComplete)
        .Event("OnPositionChange", &TStandInVideoSource::OnPositionChange)
        .Event("OnError", &TStandInVideoSource::OnError)
        .Build();
    return cls;
}

TStandInVideoSource::TStandInVideoSource(TComponent* owner)
    : TCustomPanel(owner)
    , video_(new TFakeVideoSource(this, 64, 48, 0, Black))
{
    video_->OnOpenComplete.Assign(this, &TStandInVideoSource::RelayOpenComplete);
    video_->OnPositionChange.Assign(this, &TStandInVideoSource::RelayPositionChange);
}

TComponent* TStandInVideoSource::Make(TForm1& form, int width, int height, Cardinal frameCount,
                                      TFakeVideoSource::PictureFunction picture)
{
    auto* source = new TStandInVideoSource(&form);
    source->video_->Free();
    source->video_ = new TFakeVideoSource(source, width, height, frameCount, std::move(picture));
    source->video_->OnOpenComplete.Assign(source, &TStandInVideoSource::RelayOpenComplete);
    source->video_->OnPositionChange.Assign(source, &TStandInVideoSource::RelayPositionChange);
    source->SetName("ActiveMovie1");
    return source;
}

void TStandInVideoSource::OpenMedia()
{
    if (failMessage_.empty()) {
        video_->OpenMedia();
        return;
    }
    // As the real source: the open is refused later, from the event loop, never from inside
    // OpenMedia; here at once is enough for the window, which only shows the message.
    const std::string message = std::move(failMessage_);
    failMessage_.clear();
    OnError(this, failCode_, message);
}

void TStandInVideoSource::FailNextOpen(int code, std::string message)
{
    failCode_ = code;
    failMessage_ = std::move(message);
}
