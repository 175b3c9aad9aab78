// The player window on movie files: every frame it shows is read back from the window and
// compared with the frame's pixels computed here from the file format, not through the
// program's reader; playback runs on a clock the test sets, and each tick is the timer's
// handler called at a chosen time.
#include "MainWindowHarness.h"
#include "StandInVideoSource.h"

#include "app/MovieSeries.h"
#include "framework/ControlsWidget.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t Period = 115'500'000; // ns a frame, 8.658 frames a second

// Darkness of pixel x, y of frame k of movie `seed`: every frame and movie differs.
int Darkness(int seed, int k, int x, int y) { return (3 * x + 5 * y + 7 * k + 11 * seed) % 16; }

// The movie's bytes as the format lays them out: pixel p = 131 y + x, two to a byte, the
// first in the low nibble.
std::string MovieBytes(int seed, int frames)
{
    std::string bytes;
    for (int k = 0; k < frames; ++k)
        for (int j = 0; j < 5240; ++j) {
            const int p = 2 * j;
            const int lo = Darkness(seed, k, p % 131, p / 131);
            const int hi = Darkness(seed, k, (p + 1) % 131, (p + 1) / 131);
            bytes += static_cast<char>(lo | hi << 4);
        }
    return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class Playback : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("quellon-player-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        h_ = std::make_unique<TMainWindowHarness>([](TForm1& form) {
            return TStandInVideoSource::Make(form, 352, 288, 300, [](Cardinal frame, int, int) {
                const BYTE v = static_cast<BYTE>(16 * (frame % 16));
                return RGB(v, v, v);
            });
        });
        f_ = h_->form2;
        f_->SetPlaybackClock([this] { return now_; });
        f_->Show();
    }
    void TearDown() override
    {
        h_.reset();
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
    }

    std::string Movie(const std::string& name, int seed, int frames, const std::string& tail = "")
    {
        WriteFile(dir_ / name, MovieBytes(seed, frames) + tail);
        return (dir_ / name).string();
    }
    // The timer's tick at time t.
    void TickAt(std::int64_t t)
    {
        now_ = t;
        f_->PlayTimerTimer(f_->PlayTimer);
    }
    // Whether the screen area shows frame k of movie `seed`, pixel for pixel, in the
    // preview's greys (level 15 - darkness, each channel 16 x level).
    ::testing::AssertionResult Shows(int seed, int k) { return WindowShows(f_, 419, 153, 80, 56, 1, seed, k); }
    // The same in a window of width x height, the frame at left, top, each pixel a square
    // of scale x scale.
    static ::testing::AssertionResult WindowShows(TWinControl* window, int width, int height, int left, int top,
                                                  int scale, int seed, int k)
    {
        const QImage image = window->Widget()->grab().toImage();
        if (image.width() != width || image.height() != height)
            return ::testing::AssertionFailure() << "window grabbed at " << image.width() << " x " << image.height();
        int differing = 0;
        for (int y = 0; y < 80 * scale; ++y)
            for (int x = 0; x < 131 * scale; ++x) {
                const int level = 15 - Darkness(seed, k, x / scale, y / scale);
                const QRgb c = image.pixel(left + x, top + y);
                differing += qRed(c) != 16 * level || qGreen(c) != 16 * level || qBlue(c) != 16 * level;
            }
        if (differing == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << differing << " pixels differ from frame " << k << " of movie " << seed;
    }
    std::string Counter() const
    {
        return f_->Label2->Caption() + (f_->Label3->Caption().empty() ? "" : " / " + f_->Label3->Caption());
    }
    std::string LastMessage() const
    {
        return h_->dialogs.MessageBoxes().empty() ? "" : h_->dialogs.MessageBoxes().back().text;
    }

    fs::path dir_;
    std::unique_ptr<TMainWindowHarness> h_;
    TForm2* f_ = nullptr;
    std::int64_t now_ = 1'000'000'000;
};

} // namespace

TEST_F(Playback, PlaysEveryFrameAtItsTimeStopsAtTheEndAndStartsAgain)
{
    const std::string path = Movie("five.kql", 1, 5);
    h_->dialogs.QueueFileName(path);
    h_->Click(f_->Button1);
    EXPECT_EQ(f_->Edit1->Text(), path);
    EXPECT_FALSE(f_->Label1->Visible());
    EXPECT_TRUE(f_->Button2->Enabled());
    EXPECT_FALSE(f_->Button3->Enabled());
    EXPECT_TRUE(Shows(1, 0));
    EXPECT_EQ(Counter(), "frame 1 of 5");

    const std::int64_t start = now_;
    h_->Click(f_->Button2);
    EXPECT_TRUE(f_->Button3->Enabled());
    EXPECT_TRUE(f_->PlayTimer->Enabled());
    TickAt(start + Period - 1);
    EXPECT_TRUE(Shows(1, 0));
    // Absolute times: a tick a little late shows frame 1, and the next frame is still due
    // at two periods from the start, not a period after the late tick.
    TickAt(start + Period + 40'000'000);
    EXPECT_TRUE(Shows(1, 1));
    EXPECT_EQ(Counter(), "frame 2 of 5");
    now_ = start + Period + 40'000'000;
    h_->Click(f_->Button2); // "Play" while playing does nothing
    TickAt(start + 2 * Period);
    EXPECT_TRUE(Shows(1, 2));
    // A tick that comes very late shows the frame due at its time.
    TickAt(start + 4 * Period + 1);
    EXPECT_TRUE(Shows(1, 4));
    EXPECT_TRUE(f_->Player().Playing());
    // The end: the last frame stays, playback stops.
    TickAt(start + 5 * Period);
    EXPECT_TRUE(Shows(1, 4));
    EXPECT_EQ(Counter(), "frame 5 of 5");
    EXPECT_FALSE(f_->Player().Playing());
    EXPECT_FALSE(f_->PlayTimer->Enabled());
    EXPECT_FALSE(f_->Button3->Enabled());

    // "Play" again starts from frame 0; "Stop" shows frame 0 again.
    now_ = start + 10 * Period;
    h_->Click(f_->Button2);
    EXPECT_TRUE(Shows(1, 0));
    TickAt(now_ + 3 * Period);
    EXPECT_TRUE(Shows(1, 3));
    h_->Click(f_->Button3);
    EXPECT_TRUE(Shows(1, 0));
    EXPECT_EQ(Counter(), "frame 1 of 5");
    EXPECT_FALSE(f_->Button3->Enabled());
    EXPECT_FALSE(f_->PlayTimer->Enabled());
    EXPECT_TRUE(h_->dialogs.MessageBoxes().empty());

    // The real timer, on the real clock, carries playback to the end on its own.
    f_->SetPlaybackClock(nullptr);
    f_->SetPlaybackClock([] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    });
    h_->Click(f_->Button2);
    ASSERT_TRUE(h_->WaitUntil([&] { return !f_->Player().Playing(); }, 10000));
    EXPECT_TRUE(Shows(1, 4));
}

TEST_F(Playback, ASeriesPlaysOnIntoItsNextMembers)
{
    Movie("clip1.kql", 1, 2);
    const std::string second = Movie("clip2.kql", 2, 3);
    Movie("clip3.kql", 3, 1, "tail");
    f_->ChooseMovie(second);
    EXPECT_TRUE(Shows(2, 0));
    EXPECT_EQ(Counter(), "frame 1 of 3 / file 2 of 3");
    const std::int64_t start = now_;
    h_->Click(f_->Button2);
    const std::vector<std::pair<int, int>> expected{{2, 1}, {2, 2}, {3, 0}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        TickAt(start + static_cast<std::int64_t>(i + 1) * Period);
        EXPECT_TRUE(Shows(expected[i].first, expected[i].second)) << "step " << i + 1;
    }
    EXPECT_EQ(Counter(), "frame 1 of 1 / file 3 of 3, tail ignored");
    TickAt(start + 4 * Period);
    EXPECT_FALSE(f_->Player().Playing());
    EXPECT_TRUE(Shows(3, 0));
    // Played again, from the member chosen; stopped in the next member, back to it again.
    h_->Click(f_->Button2);
    EXPECT_TRUE(Shows(2, 0));
    EXPECT_EQ(Counter(), "frame 1 of 3 / file 2 of 3");
    TickAt(now_ + 3 * Period);
    EXPECT_TRUE(Shows(3, 0));
    h_->Click(f_->Button3);
    EXPECT_TRUE(Shows(2, 0));
    EXPECT_EQ(Counter(), "frame 1 of 3 / file 2 of 3");
    EXPECT_TRUE(h_->dialogs.MessageBoxes().empty());
}

TEST(MovieSeries, NumberedNamesWithANeighbourAreSeries)
{
    const fs::path dir = fs::temp_directory_path() / ("quellon-series-" + std::to_string(::getpid()));
    fs::create_directories(dir / "my.dir");
    for (const char* name : {"a1.kql", "a2.kql", "a3.kql", "a5.kql", "take7.kql", "b01.kql", "b02.kql", "my.dir/c1.kql",
                             "my.dir/c2.kql", "n1", "n2"})
        WriteFile(dir / name, "");
    struct Case {
        const char* name;
        int number;
        int last;
    };
    for (const Case& c : {Case{"a1.kql", 1, 3}, Case{"a3.kql", 3, 3}, Case{"a5.kql", 0, 0}, Case{"take7.kql", 0, 0},
                          Case{"b01.kql", 0, 0}, Case{"my.dir/c1.kql", 1, 2}, Case{"n2", 2, 2}, Case{"clip.kql", 0, 0}}) {
        const TMovieSeries s = FindMovieSeries((dir / c.name).string());
        EXPECT_EQ(s.number, c.number) << c.name;
        EXPECT_EQ(s.last, c.last) << c.name;
    }
    EXPECT_EQ(FindMovieSeries((dir / "my.dir/c1.kql").string()).Member(2), (dir / "my.dir/c2.kql").string());
    fs::remove_all(dir);
}

TEST_F(Playback, BadMoviesAreRefusedWithAMessageAndTheWindowStaysUsable)
{
    const std::string good = Movie("good.kql", 4, 3);
    struct Bad {
        const char* what;
        std::string path;
        const char* says;
    };
    WriteFile(dir_ / "empty.kql", "");
    WriteFile(dir_ / "short.kql", std::string(100, '\0'));
    fs::create_directory(dir_ / "folder.kql");
    ASSERT_EQ(::mkfifo((dir_ / "fifo.kql").c_str(), 0600), 0);
    const std::vector<Bad> bad{{"empty", (dir_ / "empty.kql").string(), "is empty"},
                               {"short", (dir_ / "short.kql").string(), "holds no whole frame"},
                               {"missing", (dir_ / "missing.kql").string(), "cannot be opened"},
                               {"folder", (dir_ / "folder.kql").string(), "is a folder"},
                               {"fifo", (dir_ / "fifo.kql").string(), "is not a regular file"}};
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.what);
        f_->ChooseMovie(good);
        const std::size_t messages = h_->dialogs.MessageBoxes().size();
        f_->ChooseMovie(b.path);
        ASSERT_EQ(h_->dialogs.MessageBoxes().size(), messages + 1);
        EXPECT_NE(LastMessage().find(b.says), std::string::npos) << LastMessage();
        EXPECT_EQ(f_->Edit1->Text(), b.path);
        EXPECT_FALSE(f_->Button2->Enabled());
        EXPECT_TRUE(f_->Label1->Visible());
        EXPECT_EQ(Counter(), "");
    }

    // A tail: the whole frames play, and the message says the tail is ignored.
    const std::string tailed = Movie("tail.kql", 5, 2, std::string(1000, '\x11'));
    f_->ChooseMovie(tailed);
    EXPECT_NE(LastMessage().find("1000 bytes"), std::string::npos) << LastMessage();
    EXPECT_NE(LastMessage().find("ignored"), std::string::npos) << LastMessage();
    EXPECT_EQ(Counter(), "frame 1 of 2");
    const std::int64_t start = now_;
    h_->Click(f_->Button2);
    TickAt(start + Period);
    EXPECT_TRUE(Shows(5, 1));
    TickAt(start + 2 * Period);
    EXPECT_FALSE(f_->Player().Playing());
    EXPECT_TRUE(Shows(5, 1));

    // Changed while playing: truncated, deleted, rewritten. Playback stops with a message, the
    // last frame stays, and the next "Play" reads the movie afresh.
    struct Change {
        const char* what;
        std::function<void(const fs::path&)> change;
        const char* says;
    };
    const std::vector<Change> changes{
        {"truncated", [](const fs::path& p) { fs::resize_file(p, 5240); }, "truncated"},
        {"replaced",
         [](const fs::path& p) {
             WriteFile(p.string() + ".new", MovieBytes(7, 3));
             fs::rename(p.string() + ".new", p);
         },
         "replaced"},
        {"rewritten",
         [](const fs::path& p) {
             std::fstream out(p, std::ios::binary | std::ios::in | std::ios::out);
             out.seekp(6000);
             out.put('\x77');
         },
         "rewritten"},
        {"deleted", [](const fs::path& p) { fs::remove(p); }, "deleted"}};
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        const std::string path = Movie("changing.kql", 6, 4);
        f_->ChooseMovie(path);
        now_ += Period;
        const std::int64_t at = now_;
        h_->Click(f_->Button2);
        TickAt(at + Period);
        ASSERT_TRUE(Shows(6, 1));
        // A modification time that differs even on a coarse clock.
        c.change(path);
        if (fs::exists(path))
            fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(2));
        const std::size_t messages = h_->dialogs.MessageBoxes().size();
        TickAt(at + 2 * Period);
        ASSERT_EQ(h_->dialogs.MessageBoxes().size(), messages + 1);
        EXPECT_NE(LastMessage().find(c.says), std::string::npos) << LastMessage();
        EXPECT_FALSE(f_->Player().Playing());
        EXPECT_FALSE(f_->PlayTimer->Enabled());
        EXPECT_FALSE(f_->Button3->Enabled());
        EXPECT_TRUE(Shows(6, 1));
        EXPECT_EQ(Counter(), "frame 2 of 4");
        if (!fs::exists(path))
            continue;
        // Read afresh: the movie as it now is.
        h_->Click(f_->Button2);
        EXPECT_TRUE(f_->Player().Playing());
        h_->Click(f_->Button3);
    }
    // The last one deleted: "Play" says so, and the window stays usable.
    const std::size_t messages = h_->dialogs.MessageBoxes().size();
    h_->Click(f_->Button2);
    EXPECT_EQ(h_->dialogs.MessageBoxes().size(), messages + 1);
    EXPECT_FALSE(f_->Player().Playing());
    f_->ChooseMovie(good);
    EXPECT_TRUE(Shows(4, 0));
}

// "Play KQ movies" after a capture: the player comes with the movie just written, once the
// run has ended, and keeps the user's own choice otherwise.
TEST_F(Playback, PlayKqMoviesAfterACaptureChoosesTheMovieJustWritten)
{
    f_->Hide();
    TForm1* main = h_->form1;
    auto& source = *static_cast<TStandInVideoSource*>(main->ActiveMovie1);
    h_->ClickOpen("/videos/v.mpg");
    ASSERT_TRUE(h_->WaitUntil([&] { return source.Video().Reports() >= 1; }));
    main->CheckBox1->SetChecked(true);
    main->SpinEdit1->SetValue(2);
    h_->StartCapture((dir_ / "clip.kql").string());
    ASSERT_TRUE(h_->WaitForCaptureEnd());

    auto showModally = [&](const std::function<void()>& steps) { EXPECT_TRUE(h_->ShowPlayerModally(steps)); };
    const std::string first = (dir_ / "clip1.kql").string();
    const std::string mine = Movie("mine.kql", 1, 3);
    showModally([&] {
        EXPECT_EQ(f_->Edit1->Text(), first);
        EXPECT_EQ(Counter(), "frame 1 of 2 / file 1 of 2");
        EXPECT_TRUE(f_->Button2->Enabled());
        f_->ChooseMovie(mine);
    });
    showModally([&] { EXPECT_EQ(f_->Edit1->Text(), mine); });
    EXPECT_TRUE(h_->dialogs.MessageBoxes().empty());
}

// A double click on the screen area opens the bigger view: the same frame at four times the
// size, playing along, at the largest whole scale that fits once resized.
TEST_F(Playback, TheBiggerViewPlaysAlongAtAWholeScale)
{
    f_->ChooseMovie(Movie("view.kql", 8, 3));
    QWidget* widget = f_->Widget();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const bool down = type != QEvent::MouseButtonRelease;
        QMouseEvent event(type, QPointF(100, 80), widget->mapToGlobal(QPointF(100, 80)), Qt::LeftButton,
                          down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
    TMovieView* view = f_->View();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->Visible());
    EXPECT_EQ(view->Scale(), 4);
    EXPECT_TRUE(WindowShows(view, 524, 320, 0, 0, 4, 8, 0));

    const std::int64_t start = now_;
    h_->Click(f_->Button2);
    TickAt(start + Period);
    EXPECT_TRUE(WindowShows(view, 524, 320, 0, 0, 4, 8, 1));

    // Resized: scale 2 fits 300 x 200, centred.
    view->SetClientWidth(300);
    view->SetClientHeight(200);
    EXPECT_EQ(view->Scale(), 2);
    EXPECT_TRUE(WindowShows(view, 300, 200, 19, 20, 2, 8, 1));
    TickAt(start + 2 * Period);
    EXPECT_TRUE(WindowShows(view, 300, 200, 19, 20, 2, 8, 2));

    // The player window hidden hides the view with it.
    f_->Hide();
    EXPECT_FALSE(view->Visible());
    EXPECT_FALSE(f_->Player().Playing());
}
