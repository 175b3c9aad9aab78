// What the movie conversion and the main window see of a video: a file name, an open
// operation and its completion event, the length in frames, a seek by frame, a position
// event, and a snapshot of the shown frame into an image. TActiveMovie provides it over the
// media player control; tests provide it over generated pictures. Any source that keeps the
// promises below lets the conversion run.
//
// Promises (user-interface thread only, for calls and events alike):
// - OpenMedia returns at once. An empty FileName is ignored; otherwise the named media starts
//   to open, replacing any media open before. OnOpenComplete fires once per successful
//   open, after FrameCount holds the new length, with the media standing still near 0.
// - FrameCount is 0 before any media has opened and whenever the length in frames cannot be
//   told.
// - SeekToFrame(n) returns at once and fires nothing itself. When FrameCount != 0 and
//   n <= FrameCount the position becomes frame n; otherwise nothing happens.
// - OnPositionChange fires from the source's own periodic poll (every 50 ms while media is
//   open) whenever the position differs from the one at the previous report, never from
//   inside SeekToFrame; the first poll after an open always reports. Seeks made faster than
//   the poll are reported as one change, and a seek to the current position reports nothing.
// - SnapshotToImage(image), with media open and the frame readable, puts the frame now shown
//   into image's picture as a bitmap at the video's own size, sets the image control's width
//   and height to that size, and returns True; otherwise returns False and leaves the image
//   as it was.
#pragma once

#include "framework/Arithmetic.h"
#include "framework/Events.h"
#include "framework/WideString.h"

#include <cstdint>

class TImage;

using Cardinal = std::uint32_t;

using TDerivedMovie_PositionChange2 = TEvent<void(TObject* Sender, double OldTimePosition, double NewTimePosition,
                                                  Cardinal OldFramePosition, Cardinal NewFramePosition)>;

class IVideoSourceSurface {
public:
    TNotifyEvent OnOpenComplete;
    TDerivedMovie_PositionChange2 OnPositionChange;

    virtual const WideString& FileName() const = 0;
    virtual void SetFileName(const WideString& value) = 0;
    virtual void OpenMedia() = 0;
    virtual Cardinal FrameCount() const = 0;
    virtual void SeekToFrame(Cardinal frame) = 0;
    virtual WordBool SnapshotToImage(TImage* image) = 0;

protected:
    IVideoSourceSurface() = default;
    ~IVideoSourceSurface() = default;
};
