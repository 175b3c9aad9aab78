#include "tools/kqltool/CaptureCommand.h"

#include "app/ProgramClasses.h"
#include "app/Unit1.h"
#include "convert/CropGeometry.h"
#include "convert/FrameBuffer.h"
#include "convert/MovieFormat.h"
#include "convert/MovieTargets.h"
#include "framework/Application.h"
#include "framework/ControlsWidget.h"
#include "framework/Bitmap.h"
#include "framework/Picture.h"
#include "platform/user/ScriptedDialogService.h"
#include "tools/kqltool/Checks.h"
#include "tools/kqltool/Options.h"
#include "tools/kqltool/RealTime.h"
#include "videosource/ActiveMovie.h"

#include <QAbstractButton>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

const char* const CaptureUsage =
    "usage: kqltool capture VIDEO OUT.kql [--start FRAME] [--skip S | --real-time] [--frames-per-file F]\n"
    "                       [--files N] [--zone L,T,W,H] [--brightness B] [--contrast C] [--relay-ms MS]\n"
    "                       [--dither none|ordered|diffusion] [--gamma G]\n"
    "\n"
    "Runs the program's main window without a display and captures VIDEO into OUT.kql exactly\n"
    "as the window would: frame skip S (1..999, default 3), the bar at FRAME div S (default 0),\n"
    "the crop zone in main-window pixels (default 96,120,131,80), brightness 0..32 (16) and\n"
    "contrast 0..16 (8), F frames per file (1..40, default 8), and with --files N (2..256)\n"
    "numbered files OUT1.kql .. OUTN.kql. --relay-ms (1..50, default 50) shortens the video\n"
    "source's relay period so that the run goes as fast as decoding allows; below 10, the\n"
    "shortest period of a timer, the relay runs as soon as each frame is shown. A progress line\n"
    "is shown on a terminal, and the run ends with a line saying what was written.\n"
    "\n"
    "OUT must end in .kql, and neither it nor a numbered name may be the video (by any name)\n"
    "or something other than a file. Ctrl+C, SIGTERM or SIGHUP end the run as the window's\n"
    "\"Cancel\" does: the files keep their whole frames, and the exit status is 130, 143 or 129.\n"
    "\n"
    "--real-time takes, instead of every S-th frame, the frames that play at the video's own\n"
    "speed on the device: from FRAME on, at each tick of the device (every 1/8.658 s) in the\n"
    "video's own time, the frame whose timestamp is nearest (so variable frame rates keep\n"
    "their speed too; at a constant rate r, frame FRAME + round(k r / 8.658)). A frame may be\n"
    "taken twice in a row (a video slower than 8.658 frames a second), or frames left out.\n"
    "The window itself keeps its frame skip.\n"
    "\n" KQLTOOL_PICTURE_OPTIONS_USAGE;

namespace {

using Clock = std::chrono::steady_clock;

// The shortest period of a window timer.
constexpr int kTimerFloorMs = 10;
// A relay run by the tool that found no new position is tried again this often, this long apart.
constexpr int kRelayRetries = 50;
constexpr auto kRelayRetryPause = std::chrono::microseconds(20);

// Passes the video source's position reports on to the window and counts them.
class TReportCounter : public TObject {
public:
    explicit TReportCounter(TForm1* form) : form_(form) {}
    void Report(TObject* Sender, double OldTime, double NewTime, Cardinal OldFrame, Cardinal NewFrame)
    {
        ++reports;
        lastFrame = NewFrame;
        form_->ActiveMovie1PositionChange(Sender, OldTime, NewTime, OldFrame, NewFrame);
    }
    int reports = 0;
    Cardinal lastFrame = 0;

private:
    TForm1* form_;
};

std::string SignalName(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "signal " + std::to_string(signal);
    }
}

std::string FramesText(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " frame" : " frames"); }

// What the files of a run hold now, read from the files: "N frames in K files: a1.kql (3
// frames), a2.kql (2 frames)"; the files are the first `files` names of the run.
std::string WrittenSummary(const std::vector<std::string>& names, std::size_t files)
{
    std::uint64_t frames = 0;
    std::string list;
    for (std::size_t i = 0; i < files && i < names.size(); ++i) {
        std::error_code ec;
        const std::uint64_t size = fs::file_size(names[i], ec);
        const std::uint64_t whole = ec ? 0 : size / KqFrameBytes;
        frames += whole;
        list += (i > 0 ? ", " : "") + names[i] + " (" + FramesText(whole) + ")";
    }
    if (files == 0)
        return "no frame";
    return FramesText(frames) + (files > 1 ? " in " + std::to_string(files) + " files: " : ": ") + list;
}

void Click(TButton* button) { static_cast<QAbstractButton*>(button->Widget())->click(); }

// Drags the zone from `from` (a point inside it) by (dx, dy), as the mouse would.
void Drag(TShape* zone, int fromX, int fromY, int dx, int dy)
{
    zone->OnMouseDown(zone, mbLeft, {ssLeft}, fromX, fromY);
    zone->OnMouseMove(zone, {ssLeft}, fromX + dx, fromY + dy);
    zone->OnMouseUp(zone, mbLeft, {}, fromX + dx, fromY + dy);
}

} // namespace

int CaptureCommand(const std::vector<std::string>& args)
{
    const ParsedArguments a = ParseArguments(
        args,
        {"--start", "--skip", "--frames-per-file", "--files", "--zone", "--brightness", "--contrast", "--relay-ms",
         "--dither", "--gamma"},
        {"--real-time"});
    if (a.help) {
        std::fputs(CaptureUsage, stdout);
        return 0;
    }
    if (a.positional.size() != 2)
        throw UsageError("expected VIDEO and OUT.kql");
    const std::string video = a.positional[0];
    const std::string out = a.positional[1];
    const int start = ParseBoundedInt("--start", a.Value("--start").value_or("0"), 0, 1 << 30);
    const int skip = ParseBoundedInt("--skip", a.Value("--skip").value_or("3"), 1, 999);
    const int perFile = ParseBoundedInt("--frames-per-file", a.Value("--frames-per-file").value_or("8"), 1, 40);
    const std::optional<std::string> filesText = a.Value("--files");
    const int files = filesText ? ParseBoundedInt("--files", *filesText, 2, 256) : 1;
    const crop::ZoneRect zone = ParseZoneOption(a.Value("--zone").value_or("96,120,131,80"));
    const int brightness = ParseBoundedInt("--brightness", a.Value("--brightness").value_or("16"), 0, 32);
    const int contrast = ParseBoundedInt("--contrast", a.Value("--contrast").value_or("8"), 0, 16);
    const int relayMs = ParseBoundedInt("--relay-ms", a.Value("--relay-ms").value_or("50"), 1, 50);
    const TPictureOptions pictureOptions = ParsePictureOptions(a);
    const bool realTime = a.HasFlag("--real-time");
    if (realTime && a.Value("--skip"))
        throw UsageError("--skip and --real-time exclude each other");

    RequireMovieName(out);
    if (const std::string what = NotAnInputFile(video); !what.empty())
        throw InputError(what == " does not exist" ? "no such video: " + video : video + what + ", not a video file");
    std::error_code ec;
    const fs::path folder = fs::absolute(out).parent_path();
    if (!fs::is_directory(folder, ec))
        throw InputError("output folder does not exist: " + folder.string());
    if (::access(folder.c_str(), W_OK) != 0)
        throw InputError("output folder cannot be written: " + folder.string());
    // Every name the run may write, before anything is made; the window checks them again.
    const std::vector<std::string> names = CaptureFileNames(fs::absolute(out).string(), files > 1, files);
    CheckOutputs(names, video);

    // Interrupted, the run ends as "Cancel" ends it; a second signal while it ends ends the
    // process at once, its files cut to whole frames.
    Application->CatchTerminationSignals();
    auto signalled = [] { return Application->TerminationSignal() != 0; };
    auto interrupted = [&](const std::string& what) {
        const int signal = Application->TerminationSignal();
        std::fprintf(stderr, "kqltool capture: interrupted by %s: %s\n", SignalName(signal).c_str(), what.c_str());
        return Application->ExitStatus();
    };

    // The window runs offscreen, as in the tests.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "kqltool";
    static char* argv[] = {name, nullptr};
    Application->Initialize(argc, argv);
    Application->SetTitle("Quellon");
    if (const std::string failure = InstallProgramComponents(); !failure.empty())
        throw InputError(failure);

    ScriptedDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    TForm1* form = new TForm1(Application);
    struct FormGuard {
        TForm1* form;
        ~FormGuard() { form->Free(); }
    } guard{form};
    TReportCounter counter(form);
    form->VideoSource()->OnPositionChange.Assign(&counter, &TReportCounter::Report);
    if (auto* movie = dynamic_cast<TActiveMovie*>(form->ActiveMovie1); movie != nullptr && movie->RelayTimer())
        movie->RelayTimer()->SetInterval(static_cast<unsigned>(relayMs));
    form->Show();
    auto failed = [&] { return !dialogs.MessageBoxes().empty(); };
    auto lastMessage = [&] { return dialogs.MessageBoxes().back().text; };

    // Open, and the first picture. The first report follows the handling of the open, which
    // tells the length: the report comes from the relay's timer, and a tick waits for the
    // player's posted open event.
    dialogs.QueueFileName(fs::absolute(video).string());
    Click(form->Button1);
    if (!Application->HandleMessagesUntil([&] { return counter.reports > 0 || failed() || signalled(); }, 60000))
        throw InputError("the video did not open in time: " + video);
    if (signalled())
        return interrupted("nothing was written");
    if (failed())
        throw InputError("cannot open " + video + ": " + lastMessage());
    if (form->VideoSource()->FrameCount() == 0)
        throw InputError("the length of " + video + " in frames cannot be told, so the capture could not advance");

    // Frame skip, then the bar; or the frames of the video's own speed, and the bar on the first.
    int position = 0;
    std::vector<Cardinal> plan;
    if (realTime) {
        const Cardinal frameCount = form->VideoSource()->FrameCount();
        if (static_cast<Cardinal>(start) >= frameCount)
            throw InputError("--start " + std::to_string(start) + " is at or past the end of the video (it has " +
                             FramesText(frameCount) + ")");
        plan = RealTimePlan(fs::absolute(video).string(), frameCount, static_cast<Cardinal>(start));
        if (plan.empty())
            throw InputError("no frame of " + video + " from frame " + std::to_string(start) +
                             " on falls at the device's rate");
        const int before = counter.reports;
        form->Conversion().SetFramePlan(plan);
        // The video stands on frame 0 after the open: another first frame is reported once shown.
        if (plan[0] != 0 &&
            (!Application->HandleMessagesUntil([&] { return counter.reports > before || failed() || signalled(); },
                                               60000) ||
             failed()))
            throw InputError("the video could not be positioned on frame " + std::to_string(plan[0]));
    } else {
        form->SpinEdit3->SetValue(skip);
        position = start / skip;
        if (form->ScrollBar1->Max() == 0)
            throw InputError("the video has " + FramesText(form->VideoSource()->FrameCount()) +
                             ", fewer than the frame skip " + std::to_string(skip) +
                             ", so there is nothing to capture");
        if (position >= form->ScrollBar1->Max())
            throw InputError("--start " + std::to_string(start) +
                             " is at or past the end of the video (the last start is frame " +
                             std::to_string(skip * (form->ScrollBar1->Max() - 1)) + ")");
        form->ScrollBar1->SetPosition(position);
        const Cardinal wanted = static_cast<Cardinal>(skip) * static_cast<Cardinal>(position);
        auto shown = [&] { return (counter.lastFrame == wanted && counter.reports > 0) || failed() || signalled(); };
        if (!Application->HandleMessagesUntil(shown, 60000) || failed())
            throw InputError("the video could not be positioned on frame " + std::to_string(wanted));
    }
    if (signalled())
        return interrupted("nothing was written");
    // The video frame at a bar position.
    auto frameAt = [&](int at) -> std::int64_t {
        if (!realTime)
            return static_cast<std::int64_t>(skip) * at;
        return at < static_cast<int>(plan.size()) ? plan[static_cast<std::size_t>(at)] : plan.back();
    };

    // The zone: moved by its top left corner, then sized by its resize corner.
    TShape* z = form->zone;
    Drag(z, 1, 1, zone.left - z->Left(), zone.top - z->Top());
    Drag(z, z->Width() - 2, z->Height() - 2, zone.width - z->Width(), zone.height - z->Height());
    if (z->Left() != zone.left || z->Top() != zone.top || z->Width() != zone.width || z->Height() != zone.height)
        throw UsageError("the zone could not be placed at " + a.Value("--zone").value_or(""));
    form->ScrollBar2->SetPosition(brightness);
    form->ScrollBar3->SetPosition(contrast);
    form->SpinEdit1->SetValue(perFile);
    if (files > 1) {
        form->CheckBox1->SetChecked(true);
        form->SpinEdit2->SetValue(files);
    }
    form->Conversion().SetPictureOptions(pictureOptions);

    // The run.
    dialogs.QueueFileName(fs::absolute(out).string());
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    const int total = perFile * files;
    const auto begun = Clock::now();
    // Nobody sees this window: for the run it is hidden, so that no screen is drawn for every
    // frame (buttons, bars, labels). Its controls still paint, into an image that is dropped,
    // so every paint handler runs as in the window and the frames written are the same.
    form->Hide();
    Click(form->Button2);
    if (failed())
        throw InputError("cannot write " + out + ": " + OneLine(lastMessage()));
    // The files begun so far: the frames written, file by file.
    auto filesStarted = [&] {
        const int written = form->ScrollBar1->Position() - position;
        return static_cast<std::size_t>(std::min(files, (written + perFile - 1) / perFile));
    };
    int lastPosition = form->ScrollBar1->Position();
    auto lastMove = Clock::now();
    auto lastLine = Clock::now();
    // The relay timer cannot fire more often than every 10 ms. Asked for a shorter relay, the
    // tool runs the relay itself after every message (the renderer's note that it holds a new
    // frame among them), so that each frame is reported as soon as it is shown. The player
    // takes its new position a moment after that note: a relay that found nothing new is tried
    // again a few times, shortly after.
    TActiveMovie* relayed = relayMs < kTimerFloorMs ? dynamic_cast<TActiveMovie*>(form->ActiveMovie1) : nullptr;
    auto relayNow = [&] {
        const int before = counter.reports;
        relayed->RelayTick(relayed->RelayTimer());
        return counter.reports != before;
    };
    while (form->Conversion().FramesLeft() >= 0) {
        // A planned frame taken twice in a row brings no position report: it is taken as shown.
        form->Conversion().RepeatShownFrame();
        Application->HandleMessage();
        if (relayed != nullptr) {
            for (int i = 0; i < kRelayRetries && form->Conversion().FramesLeft() >= 0 && !relayNow(); ++i)
                std::this_thread::sleep_for(kRelayRetryPause);
        }
        if (failed()) {
            Click(form->Button2); // cancel: close what was written
            throw InputError("capture stopped: " + OneLine(lastMessage()));
        }
        if (signalled()) {
            Click(form->Button2); // cancel: the files are closed at their whole frames
            return interrupted("kept " + WrittenSummary(names, filesStarted()));
        }
        const int now = form->ScrollBar1->Position();
        if (now != lastPosition) {
            lastPosition = now;
            lastMove = Clock::now();
        } else if (Clock::now() - lastMove > std::chrono::seconds(60)) {
            Click(form->Button2);
            throw InputError("the capture stopped advancing at frame " + std::to_string(frameAt(now)));
        }
        if (terminal && Clock::now() - lastLine > std::chrono::milliseconds(200)) {
            lastLine = Clock::now();
            const int written = now - position;
            const double seconds = std::chrono::duration<double>(Clock::now() - begun).count();
            std::fprintf(stderr, "\r%d of %d frames, file %d of %d, %.1f frames/s ", written, total,
                         std::min(files, written / perFile + 1), files, seconds > 0 ? written / seconds : 0.0);
        }
    }
    if (terminal) {
        const int written = form->ScrollBar1->Position() - position;
        const double seconds = std::chrono::duration<double>(Clock::now() - begun).count();
        std::fprintf(stderr, "\r%d of %d frames, %d file%s, %.1f frames/s\n", written, total, files,
                     files > 1 ? "s" : "", seconds > 0 ? written / seconds : 0.0);
    }
    if (failed())
        throw InputError("capture stopped: " + OneLine(lastMessage()));
    const int written = form->ScrollBar1->Position() - position;
    std::string line = "wrote " + WrittenSummary(names, filesStarted());
    if (written < total)
        line += "; the video ended after " + FramesText(written) + " of the " + std::to_string(total) + " asked";
    std::fprintf(stdout, "%s\n", line.c_str());
    return 0;
}
