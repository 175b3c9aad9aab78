// The program as a person starts it: the command line of the real program (answered without
// a display), the file named on it opened in the right window, the tools quiet without a
// desktop session, and the file dialogs opening where files of their kind were last chosen,
// from one run of the windows to the next.
#include "MainWindowHarness.h"
#include "StandInVideoSource.h"

#include "app/StartFile.h"
#include "framework/RememberedFolders.h"
#include "framework/WideString.h"
#include "tests/support/NumberedVideos.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs `command` through the shell with no display and no session runtime folder, as in a
// container or a CI job.
ProgramRun RunWithoutASession(const std::string& command, const fs::path& scratch)
{
    const fs::path out = scratch / "stdout.txt";
    const fs::path err = scratch / "stderr.txt";
    const std::string line = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR " + command +
                             " >'" + out.string() + "' 2>'" + err.string() + "' </dev/null";
    const int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
}

COLORREF Grey(Cardinal frame, int, int) { return RGB(frame % 256, frame % 256, frame % 256); }

TForm1::TVideoSourceMaker StandIn()
{
    return [](TForm1& form) { return TStandInVideoSource::Make(form, 352, 288, 300, Grey); };
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("quellon-startup-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(dir_);
    }
    fs::path File(const std::string& name, const std::string& content = "x")
    {
        const fs::path path = dir_ / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    fs::path dir_;
};

} // namespace

// Help, version and a bad command line are answered on the right stream with the right exit
// code before any window exists, so they work where no display can be reached.
TEST_F(Startup, HelpVersionAndUsageAnswerWithoutADisplay)
{
    const std::string quellon = QUELLON_PATH;
    for (const char* help : {"--help", "-h"}) {
        const ProgramRun run = RunWithoutASession(quellon + " " + help, dir_);
        EXPECT_EQ(run.exitCode, 0) << help << ": " << run.err;
        EXPECT_EQ(run.out.rfind("Usage: quellon [FILE]\n", 0), 0u) << run.out;
        EXPECT_NE(run.out.find("--version"), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
    ProgramRun run = RunWithoutASession(quellon + " --version", dir_);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "quellon " QUELLON_VERSION "\n");
    EXPECT_EQ(run.err, "");

    // Options come first whatever follows; a wrong line names what is wrong, then the usage.
    run = RunWithoutASession(quellon + " --version --bogus", dir_);
    EXPECT_EQ(run.exitCode, 0);
    for (const char* wrong : {"--bogus", "-x video.mpg", "a.mpg b.mpg", "''"}) {
        run = RunWithoutASession(quellon + " " + wrong, dir_);
        EXPECT_EQ(run.exitCode, 2) << wrong;
        EXPECT_EQ(run.out, "") << wrong;
        EXPECT_EQ(run.err.rfind("quellon: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("Usage: quellon [FILE]"), std::string::npos) << run.err;
    }
    EXPECT_NE(RunWithoutASession(quellon + " --bogus", dir_).err.find("\"--bogus\""), std::string::npos);
}

// A video named on the command line goes through the window's own "Open" (so the capture is
// enabled and the dialog keeps the name), a movie to the player window, and a name that
// leads nowhere is said in the window; relative names become full paths.
TEST_F(Startup, TheNamedFileOpensInItsWindowOrIsSaidToBeMissing)
{
    TMainWindowHarness h(StandIn());
    auto& source = *static_cast<TStandInVideoSource*>(h.form1->ActiveMovie1);
    const fs::path video = File("videos/clip one.mpg");
    const fs::path movie = File("movies/Film.KQL", std::string(5240, '\0')); // one whole frame
    fs::current_path(dir_);

    EXPECT_EQ(OpenStartFile(*h.form1, *h.form2, "videos/../videos/clip one.mpg"), TStartFile::Video);
    EXPECT_EQ(source.FileName(), ToWideString(video.string()));
    EXPECT_EQ(h.form1->OpenDialog1->FileName, video.string());
    EXPECT_TRUE(h.form1->Button2->Enabled());
    ASSERT_TRUE(h.WaitUntil([&] { return source.Video().Reports() >= 1; }));
    EXPECT_EQ(h.form1->ScrollBar1->Max(), 100);
    EXPECT_TRUE(h.dialogs.FileDialogs().empty()); // answered, not asked
    // Only that one dialog was answered: the next "Open" asks the person again.
    h.dialogs.QueueFileCancel();
    h.Click(h.form1->Button1);
    EXPECT_EQ(h.dialogs.FileDialogs().size(), 1u);
    EXPECT_EQ(source.FileName(), ToWideString(video.string()));

    EXPECT_EQ(OpenStartFile(*h.form1, *h.form2, "movies/Film.KQL"), TStartFile::Movie);
    EXPECT_EQ(h.form2->Edit1->Text(), movie.string());
    EXPECT_TRUE(h.form2->Button2->Enabled());
    EXPECT_FALSE(h.form2->Visible()); // shown by the caller, as "Play KQ movies" does
    EXPECT_EQ(source.FileName(), ToWideString(video.string()));

    EXPECT_TRUE(h.dialogs.MessageBoxes().empty());
    EXPECT_EQ(OpenStartFile(*h.form1, *h.form2, "gone.mpg"), TStartFile::NotFound);
    EXPECT_EQ(OpenStartFile(*h.form1, *h.form2, "gone.kql"), TStartFile::NotFound);
    EXPECT_EQ(OpenStartFile(*h.form1, *h.form2, "videos"), TStartFile::NotFound);
    ASSERT_EQ(h.dialogs.MessageBoxes().size(), 3u);
    EXPECT_EQ(h.dialogs.MessageBoxes()[0].text, "\"" + (dir_ / "gone.mpg").string() + "\" was not found.");
    EXPECT_EQ(h.dialogs.MessageBoxes()[1].text, "\"" + (dir_ / "gone.kql").string() + "\" was not found.");
    EXPECT_EQ(h.dialogs.MessageBoxes()[2].text, "\"" + (dir_ / "videos").string() + "\" is a folder, not a file.");
    EXPECT_EQ(source.FileName(), ToWideString(video.string()));
    EXPECT_EQ(h.form2->Edit1->Text(), movie.string());
    EXPECT_EQ(OpenStartFile(*h.form1, *h.form2, ""), TStartFile::None);
}

// Each run of the windows opens the main window's Open dialog where the last video was chosen,
// and the Save dialog and the player's Open where the last movie was written; a cancelled
// dialog and a folder that has gone change nothing, and only the folders are kept.
TEST_F(Startup, FileDialogsOpenWhereTheirKindOfFileWasLastChosen)
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(config, nullptr);
    ASSERT_EQ(fs::path(RememberedFoldersFile()), fs::path(config) / "quellon" / "folders");
    fs::remove(RememberedFoldersFile());
    const fs::path videos = dir_ / "videos";
    const fs::path movies = dir_ / "movies";
    const fs::path gone = dir_ / "gone";
    fs::create_directories(movies);
    fs::create_directories(gone);

    const auto lastDialog = [](TMainWindowHarness& h) { return h.dialogs.FileDialogs().back().options; };
    {
        TMainWindowHarness h(StandIn());
        h.ClickOpen(File("videos/a.mpg").string());
        EXPECT_EQ(lastDialog(h).initialDir, "");
        ASSERT_TRUE(h.WaitUntil([&] { return h.form1->Conversion().VideoOpen(); }));
        h.dialogs.QueueFileName((gone / "m.kql").string());
        h.form2->Button1Click(h.form2->Button1); // the window is hidden: its handler, as a click runs it
        fs::remove_all(gone);
        h.StartCapture((movies / "out.kql").string());
        EXPECT_EQ(lastDialog(h).initialDir, ""); // its folder has gone
        ASSERT_TRUE(h.WaitForCaptureEnd());
        EXPECT_TRUE(fs::exists(movies / "out.kql"));
        h.dialogs.QueueFileCancel();
        h.Click(h.form1->Button1);
        EXPECT_EQ(lastDialog(h).initialDir, videos.string());
    }
    {
        TMainWindowHarness h(StandIn());
        h.dialogs.QueueFileCancel();
        h.form2->Button1Click(h.form2->Button1); // the window is hidden: its handler, as a click runs it
        EXPECT_EQ(lastDialog(h).initialDir, movies.string());
        EXPECT_EQ(lastDialog(h).filter, "*.kql|*.kql|*.*|*.*");
        h.dialogs.QueueFileCancel();
        h.Click(h.form1->Button1);
        EXPECT_EQ(lastDialog(h).initialDir, videos.string());
        h.ClickOpen(File("other/b.mpg").string());
        ASSERT_TRUE(h.WaitUntil([&] { return h.form1->Conversion().VideoOpen(); }));
        h.StartCapture((movies / "again.kql").string());
        EXPECT_EQ(lastDialog(h).initialDir, movies.string());
        ASSERT_TRUE(h.WaitForCaptureEnd());
    }
    // Only the two folders are kept, one line for each kind of file.
    TMainWindowHarness h(StandIn());
    EXPECT_EQ(FileKindOfFilter(h.form2->OpenDialog1->Filter), "*.kql");
    const std::string videoKind = FileKindOfFilter(h.form1->OpenDialog1->Filter);
    EXPECT_EQ(ReadText(RememberedFoldersFile()),
              "*.kql\t" + movies.string() + "\n" + videoKind + "\t" + (dir_ / "other").string() + "\n");
}

// kqltool's capture runs the windowing system: with no session's runtime folder it must still
// write nothing but its own lines (none, when all goes well) on standard error.
TEST_F(Startup, ToolsRunWithoutASessionWriteNothingOnStandardError)
{
    const std::string video = testvideos::NumberedVideo("startup-clip.mpg", 20, "-c:v mpeg1video -q:v 2");
    ASSERT_NE(video, "");
    const fs::path movie = dir_ / "clip.kql";
    const ProgramRun run =
        RunWithoutASession(std::string(KQLTOOL_PATH) + " capture '" + video + "' '" + movie.string() +
                               "' --frames-per-file 4 --skip 1 --relay-ms 1",
                           dir_);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(fs::file_size(movie), 4 * 5240u);
}
