// kqltool driven as a user would, through its command line. Expected movie bytes are computed
// here with integer arithmetic, independently of the converter's own code.
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int exitCode;
    std::string output; // stdout and stderr together
};

// Bounded: a tool that waits for ever is killed, and its exit code is then -1.
ToolRun Kqltool(const std::string& args)
{
    const std::string command = "timeout -s KILL 120 " + std::string(KQLTOOL_PATH) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    std::array<char, 4096> chunk;
    while (std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe))
        output.append(chunk.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::vector<unsigned char> ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class KqlToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("quellon-kqltool-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // A 352 x 288 picture in which every pixel has its own colour.
    static QImage Pattern()
    {
        QImage image(352, 288, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, ((x + y) * 3) & 255));
        return image;
    }

    fs::path dir_;
};

// The movie frame a capture of Pattern() gives with the initial zone (96, 120, 131 x 80): the
// source rectangle starts at (96, 93) and is 143 x 95 pixels; output pixel (x, y) samples
// source (96 + x * 143 / 131, 93 + y * 95 / 80) and its darkness is 15 - (r + g + b) / 48.
std::vector<unsigned char> ExpectedInitialZoneFrame(const QImage& picture, int brightness, int contrast)
{
    std::vector<unsigned char> bytes(5240, 0);
    int pixel = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 131; ++x, ++pixel) {
            const QRgb c = picture.pixel(96 + x * 143 / 131, 93 + y * 95 / 80);
            const int v = (qRed(c) + qGreen(c) + qBlue(c)) / 48 + brightness - 16 - 7;
            const int level = std::clamp(v * contrast / 8 + 7, 0, 15);
            const int darkness = 15 - level;
            bytes[pixel / 2] |= static_cast<unsigned char>(pixel % 2 ? darkness << 4 : darkness);
        }
    }
    return bytes;
}

} // namespace

TEST_F(KqlToolTest, ConvertImageWritesTheFrameACaptureWould)
{
    const QImage picture = Pattern();
    ASSERT_TRUE(picture.save(QString::fromStdString(Path("frame.png"))));
    ASSERT_TRUE(picture.convertToFormat(QImage::Format_RGB888).save(QString::fromStdString(Path("frame.bmp"))));

    ToolRun run = Kqltool("convert-image " + Path("frame.png") + " " + Path("a.kql"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile(Path("a.kql")), ExpectedInitialZoneFrame(picture, 16, 8));

    run = Kqltool("convert-image " + Path("frame.bmp") + " " + Path("b.kql") + " --brightness 20 --contrast 13");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile(Path("b.kql")), ExpectedInitialZoneFrame(picture, 20, 13));

    // Contrast 0 makes every pixel level 7, darkness 8: every byte 0x88.
    run = Kqltool("convert-image " + Path("frame.png") + " " + Path("c.kql") + " --zone 8,42,320,240 --contrast 0");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile(Path("c.kql")), std::vector<unsigned char>(5240, 0x88));
}

TEST_F(KqlToolTest, RenderAndInfoReadMoviesBack)
{
    // Frame 0 all lightest, frame 1 with darkness 3 then 12 in the first two pixels.
    std::vector<unsigned char> movie(2 * 5240, 0);
    movie[5240] = 0xC3;
    std::ofstream(Path("m.kql"), std::ios::binary).write(reinterpret_cast<const char*>(movie.data()), movie.size());

    ToolRun run = Kqltool("render " + Path("m.kql") + " " + Path("f1.png") + " --frame 1 --scale 3");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const QImage f1(QString::fromStdString(Path("f1.png")));
    ASSERT_EQ(f1.size(), QSize(393, 240));
    EXPECT_EQ(f1.pixel(2, 2), qRgb(12 * 16, 12 * 16, 12 * 16)); // darkness 3 is grey level 12
    EXPECT_EQ(f1.pixel(3, 0), qRgb(48, 48, 48));                // darkness 12 is level 3
    EXPECT_EQ(f1.pixel(392, 239), qRgb(240, 240, 240));

    run = Kqltool("render " + Path("m.kql") + " " + Path("sheet.png") + " --sheet");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(QImage(QString::fromStdString(Path("sheet.png"))).size(), QSize(2 + 2 * 133, 2 + 82));

    run = Kqltool("info " + Path("m.kql"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find("2 frames"), std::string::npos) << run.output;

    std::ofstream(Path("cut.kql"), std::ios::binary).write(reinterpret_cast<const char*>(movie.data()), 7000);
    run = Kqltool("info " + Path("cut.kql"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("not whole"), std::string::npos) << run.output;
    EXPECT_EQ(Kqltool("render " + Path("cut.kql") + " " + Path("x.png")).exitCode, 1);
    EXPECT_EQ(Kqltool("render " + Path("m.kql") + " " + Path("x.png") + " --frame 2").exitCode, 1);
}

TEST_F(KqlToolTest, ErrorsAndHelp)
{
    ASSERT_TRUE(Pattern().save(QString::fromStdString(Path("frame.png"))));
    std::ofstream(Path("text.png")) << "not a picture";
    const std::string frame = Path("frame.png") + " " + Path("o.kql");

    EXPECT_EQ(Kqltool("").exitCode, 2);
    EXPECT_EQ(Kqltool("explode").exitCode, 2);
    EXPECT_EQ(Kqltool("convert-image " + frame + " --brightness 33").exitCode, 2);
    EXPECT_EQ(Kqltool("convert-image " + frame + " --zone 96,120,130,80").exitCode, 2); // below the minimum
    EXPECT_EQ(Kqltool("convert-image " + frame + " --zone 200,120,131,80").exitCode, 2); // past the right edge
    EXPECT_EQ(Kqltool("convert-image " + frame + " --zone 1,2,3").exitCode, 2);
    EXPECT_EQ(Kqltool("convert-image " + frame + " --colour 3").exitCode, 2);
    EXPECT_EQ(Kqltool("render " + Path("m.kql") + " x.png --sheet --frame 1").exitCode, 2);

    const ToolRun unreadable = Kqltool("convert-image " + Path("text.png") + " " + Path("o.kql"));
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_NE(unreadable.output.find("cannot read picture"), std::string::npos) << unreadable.output;
    EXPECT_EQ(Kqltool("convert-image " + Path("missing.png") + " " + Path("o.kql")).exitCode, 1);
    EXPECT_EQ(Kqltool("convert-image " + Path("frame.png") + " " + Path("no/such/dir/o.kql")).exitCode, 1);
    EXPECT_FALSE(fs::exists(Path("o.kql")));

    for (const char* command : {"convert-image", "render", "info"}) {
        const ToolRun help = Kqltool(std::string(command) + " --help");
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_NE(help.output.find("usage: kqltool"), std::string::npos) << command;
    }
}

TEST_F(KqlToolTest, OneFrameTheRealRangeAndNoEmptyOutput)
{
    std::vector<unsigned char> movie(5240, 0);
    std::ofstream(Path("one.kql"), std::ios::binary).write(reinterpret_cast<const char*>(movie.data()), movie.size());
    ToolRun run = Kqltool("info " + Path("one.kql"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find(": 1 frame, 5240 bytes"), std::string::npos) << run.output;

    run = Kqltool("render " + Path("one.kql") + " " + Path("f.png") + " --frame 3");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("has 1 frame: --frame must be from 0 to 0, not 3"), std::string::npos) << run.output;
    EXPECT_EQ(Kqltool("render " + Path("one.kql") + " " + Path("f.png") + " --frame -1").exitCode, 1);
    // Only PNG is written, so no other name is taken.
    EXPECT_EQ(Kqltool("render " + Path("one.kql") + " " + Path("f.jpg")).exitCode, 2);
    EXPECT_FALSE(fs::exists(Path("f.jpg")));

    // A write that fails (the file-size limit is below one frame) leaves no output behind.
    ASSERT_TRUE(Pattern().save(QString::fromStdString(Path("frame.png"))));
    const std::string limited = "sh -c 'ulimit -f 4; " + std::string(KQLTOOL_PATH) + " convert-image " +
                                Path("frame.png") + " " + Path("limited.kql") + "' 2>&1";
    FILE* pipe = popen(limited.c_str(), "r");
    std::string output;
    std::array<char, 4096> chunk;
    while (std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe))
        output.append(chunk.data(), n);
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << output;
    EXPECT_NE(output.find("Erreur E/S 223: The file is too large for the file system"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(Path("limited.kql")));
}

TEST_F(KqlToolTest, JpegIsTakenByContentAndOtherFormatsAreRefused)
{
    // Flat 16 x 16 grey blocks saved at quality 100 decode to exactly the same pixels with any
    // conforming decoder (each block is its DC term alone), so the expected frame is known.
    QImage blocks(352, 288, QImage::Format_RGB32);
    for (int y = 0; y < blocks.height(); ++y)
        for (int x = 0; x < blocks.width(); ++x) {
            const int g = ((x / 16) * 37 + (y / 16) * 91) % 256;
            blocks.setPixel(x, y, qRgb(g, g, g));
        }
    ASSERT_TRUE(blocks.save(QString::fromStdString(Path("blocks.jpg")), "JPEG", 100));
    ASSERT_EQ(QImage(QString::fromStdString(Path("blocks.jpg"))).convertToFormat(QImage::Format_RGB32), blocks)
        << "the JPEG must decode to the pixels it was made from";
    ASSERT_TRUE(blocks.save(QString::fromStdString(Path("blocks.png"))));
    fs::copy_file(Path("blocks.jpg"), Path("jpeg-named.png"));

    for (const char* name : {"blocks.jpg", "blocks.png", "jpeg-named.png"}) {
        SCOPED_TRACE(name);
        const ToolRun run = Kqltool("convert-image " + Path(name) + " " + Path("b.kql") + " --brightness 14");
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(ReadFile(Path("b.kql")), ExpectedInitialZoneFrame(blocks, 14, 8));
    }

    // Formats the picture reader knows but the tool does not take, whatever their name says.
    const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xff, 0xff, 0xff, 0, 0, 0,
                                 ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 'D', 1, 0, ';'};
    std::ofstream(Path("one.gif"), std::ios::binary).write(reinterpret_cast<const char*>(gif), sizeof gif);
    ASSERT_FALSE(QImage(QString::fromStdString(Path("one.gif"))).isNull()) << "the GIF itself is readable";
    fs::copy_file(Path("one.gif"), Path("gif-named.png"));
    ASSERT_TRUE(blocks.save(QString::fromStdString(Path("blocks.ppm")), "PPM"));
    for (const char* name : {"one.gif", "gif-named.png", "blocks.ppm"}) {
        SCOPED_TRACE(name);
        const ToolRun run = Kqltool("convert-image " + Path(name) + " " + Path("r.kql"));
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find("BMP, PNG and JPEG pictures are taken"), std::string::npos) << run.output;
        EXPECT_FALSE(fs::exists(Path("r.kql")));
    }

    // The help says what is taken and what is written.
    EXPECT_NE(Kqltool("convert-image --help").output.find("BMP, PNG or JPEG"), std::string::npos);
    EXPECT_NE(Kqltool("render --help").output.find("into a PNG picture"), std::string::npos);
    EXPECT_NE(Kqltool("render --help").output.find("as an animated GIF"), std::string::npos);
    EXPECT_NE(Kqltool("render --help").output.find("Other extensions are refused"), std::string::npos);
    EXPECT_NE(Kqltool("--help").output.find("as a PNG picture"), std::string::npos);
    EXPECT_NE(Kqltool("--help").output.find("as an animated GIF"), std::string::npos);
}

// A picture too small for the zone's scale leaves the window's view bitmap without pixels (a
// width or height of 0). The window then reads its view through the stock 1 x 1 bitmap of the
// canvas: black at (0, 0), and the invalid colour, which converts as pure red (darkness 10 at
// neutral settings), everywhere else. The tool must give those bytes too.
TEST_F(KqlToolTest, APictureTooSmallForTheZoneGivesTheWindowsEmptyView)
{
    auto frameOf = [](auto darknessAt) {
        std::vector<unsigned char> bytes(5240, 0);
        for (int p = 0; p < 131 * 80; ++p)
            bytes[p / 2] |= static_cast<unsigned char>(darknessAt(p % 131, p / 131) << (p % 2 ? 4 : 0));
        return bytes;
    };
    auto white = [&](int w, int h, const std::string& name) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(qRgb(255, 255, 255));
        EXPECT_TRUE(image.save(QString::fromStdString(Path(name))));
    };

    // 3 x 3: the zone's 131 x 80 scales to 0 x 0; every sample is (0, 0), black.
    white(3, 3, "3x3.png");
    ToolRun run = Kqltool("convert-image " + Path("3x3.png") + " " + Path("a.kql"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile(Path("a.kql")), std::vector<unsigned char>(5240, 0xFF));
    // Black at brightness 20, contrast 13: v = 0 + 4 - 7 = -3, level trunc(-4.875) + 7 = 3.
    run = Kqltool("convert-image " + Path("3x3.png") + " " + Path("b.kql") + " --brightness 20 --contrast 13");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile(Path("b.kql")), std::vector<unsigned char>(5240, 0xCC));

    // 100 x 2: the view is 99 * 131 / 320 = 40 wide and 0 high; column x samples x * 40 / 131.
    white(100, 2, "100x2.png");
    run = Kqltool("convert-image " + Path("100x2.png") + " " + Path("c.kql"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile(Path("c.kql")), frameOf([](int x, int) { return x * 40 / 131 == 0 ? 15 : 10; }));

    // 2 x 100: 0 wide and 99 * 80 / 240 = 33 high; row y samples y * 33 / 80.
    white(2, 100, "2x100.png");
    run = Kqltool("convert-image " + Path("2x100.png") + " " + Path("d.kql"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile(Path("d.kql")), frameOf([](int, int y) { return y * 33 / 80 == 0 ? 15 : 10; }));
}

// info and render read the movie to its end: the size is what could be read, and a read that
// fails is an error, not a count of frames.
TEST_F(KqlToolTest, MoviesAreReadToTheirLastByte)
{
    // Reading the reader's own memory from address 0 fails at once (input/output error),
    // although the file is regular.
    ToolRun run = Kqltool("info /proc/self/mem");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("cannot read movie /proc/self/mem: Input/output error"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("whole"), std::string::npos) << run.output;
    EXPECT_EQ(Kqltool("render /proc/self/mem " + Path("m.png")).exitCode, 1);
    EXPECT_FALSE(fs::exists(Path("m.png")));

    // A file that says it is empty but holds bytes is counted by what it holds.
    run = Kqltool("info /proc/self/status");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("/proc/self/status: 0 frames, "), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(", 0 bytes"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("not whole"), std::string::npos) << run.output;

    // A folder and a FIFO are refused without waiting for a writer.
    ASSERT_EQ(::mkfifo(Path("fifo.kql").c_str(), 0600), 0);
    for (const std::string& path : {dir_.string(), Path("fifo.kql")}) {
        run = Kqltool("info " + path);
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find("not a regular file"), std::string::npos) << run.output;
    }

    // Three frames and a tail, read in full: the counts come from the bytes.
    std::vector<unsigned char> movie(3 * 5240 + 17, 0x5A);
    std::ofstream(Path("tail.kql"), std::ios::binary).write(reinterpret_cast<const char*>(movie.data()), movie.size());
    run = Kqltool("info " + Path("tail.kql"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find(": 3 frames, 15737 bytes\nnot whole: 17 bytes after the last whole frame"),
              std::string::npos)
        << run.output;
}

// An animated GIF read back by two independent decoders: Qt's reader for every frame's
// pixels, ImageMagick for the delays, which add up to the movie's time within a hundredth.
TEST_F(KqlToolTest, RenderWritesAnAnimatedGifAtTheMoviesRate)
{
    constexpr int Frames = 40;
    auto darkness = [](int k, int x, int y) { return (x / 3 + 2 * y + 5 * k) % 16; };
    std::string movie;
    for (int k = 0; k < Frames; ++k)
        for (int p = 0; p < 10480; p += 2)
            movie += static_cast<char>(darkness(k, p % 131, p / 131) | darkness(k, (p + 1) % 131, (p + 1) / 131) << 4);
    std::ofstream(Path("m.kql"), std::ios::binary) << movie;

    ToolRun run = Kqltool("render " + Path("m.kql") + " " + Path("m.gif") + " --scale 3 --from 2 --to 37");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    QImageReader reader(QString::fromStdString(Path("m.gif")));
    ASSERT_TRUE(reader.supportsAnimation());
    EXPECT_EQ(reader.loopCount(), -1); // for ever
    int frame = 2;
    for (QImage image = reader.read(); !image.isNull(); image = reader.read(), ++frame) {
        ASSERT_EQ(image.size(), QSize(393, 240));
        int differing = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 393; ++x) {
                const int level = 15 - darkness(frame, x / 3, y / 3);
                differing += (image.pixel(x, y) & 0xFFFFFF) != (qRgb(16 * level, 16 * level, 16 * level) & 0xFFFFFF);
            }
        EXPECT_EQ(differing, 0) << "frame " << frame;
    }
    EXPECT_EQ(frame, 38);

    FILE* pipe = popen(("identify -format '%T\\n' " + Path("m.gif")).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    int delay = 0, count = 0, total = 0;
    while (std::fscanf(pipe, "%d", &delay) == 1) {
        EXPECT_TRUE(delay == 11 || delay == 12) << delay;
        total += delay;
        ++count;
        // 11.55 hundredths a frame: the running total stays within one hundredth.
        EXPECT_LE(std::abs(100 * total - 1155 * count), 100) << "after " << count << " frames";
    }
    pclose(pipe);
    EXPECT_EQ(count, 36);

    // The default scale is 2; other names and wrong ranges are refused; a movie with a tail too.
    ASSERT_EQ(Kqltool("render " + Path("m.kql") + " " + Path("d.gif")).exitCode, 0);
    EXPECT_EQ(QImageReader(QString::fromStdString(Path("d.gif"))).size(), QSize(262, 160));
    EXPECT_EQ(Kqltool("render " + Path("m.kql") + " " + Path("m.jpg")).exitCode, 2);
    EXPECT_EQ(Kqltool("render " + Path("m.kql") + " " + Path("r.gif") + " --from 5 --to 4").exitCode, 2);
    EXPECT_EQ(Kqltool("render " + Path("m.kql") + " " + Path("r.gif") + " --to 40").exitCode, 2);
    EXPECT_EQ(Kqltool("render " + Path("m.kql") + " " + Path("r.png") + " --from 1").exitCode, 2);
    std::ofstream(Path("tail.kql"), std::ios::binary) << movie.substr(0, 5240 + 9);
    EXPECT_EQ(Kqltool("render " + Path("tail.kql") + " " + Path("t.gif")).exitCode, 1);
    EXPECT_FALSE(fs::exists(Path("r.gif")));
    EXPECT_FALSE(fs::exists(Path("t.gif")));
}

// convert-image writes the movie it is named and nothing else, never waits on what it opens,
// and reads a zone's numbers without letting them wrap round. Every run is bounded: a tool
// that waits for ever is killed and fails the check.
TEST_F(KqlToolTest, WritesOnlyTheMovieItIsNamedAndNeverWaits)
{
    ASSERT_TRUE(Pattern().save(QString::fromStdString(Path("frame.png"))));
    ASSERT_EQ(::mkfifo(Path("fifo.kql").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(Path("fifo.png").c_str(), 0600), 0);
    fs::create_directory(Path("folder.kql"));
    fs::create_directory(Path("folder.png"));
    auto run = [](const std::string& args) { return Kqltool("convert-image " + args); };
    struct Case {
        std::string args;
        int exitCode;
        const char* says;
    };
    const std::string frame = Path("frame.png") + " ";
    const Case cases[] = {
        // A name without the extension is not quietly turned into another one.
        {frame + "/dev/null", 2, "must end in .kql"},
        {frame + Path("movie"), 2, "must end in .kql"},
        {frame + Path(".kql"), 2, "must end in .kql"},
        // What is not a file is not written, and a FIFO is not waited on.
        {frame + Path("fifo.kql"), 1, "is a FIFO (named pipe), not a file"},
        {frame + Path("folder.kql"), 1, "is a folder, not a file"},
        // Pictures that are not files say what they are.
        {Path("fifo.png") + " " + Path("o.kql"), 1, "it is a FIFO (named pipe), not a picture file"},
        {Path("folder.png") + " " + Path("o.kql"), 1, "it is a folder, not a picture file"},
        {Path("missing.png") + " " + Path("o.kql"), 1, "no such file"},
        // A zone far outside the preview, whose right or bottom edge would wrap round.
        {frame + Path("o.kql") + " --zone 2147483600,42,131,80", 2, "--zone must lie within the preview"},
        {frame + Path("o.kql") + " --zone 96,2147483600,131,80", 2, "--zone must lie within the preview"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    }
    EXPECT_FALSE(fs::exists("/dev/null.kql"));
    EXPECT_FALSE(fs::exists(Path("movie")));
    EXPECT_FALSE(fs::exists(Path("o.kql")));
    EXPECT_TRUE(fs::is_fifo(Path("fifo.kql")));

    // render does not wait on a FIFO either.
    std::vector<unsigned char> movie(5240, 0);
    std::ofstream(Path("m.kql"), std::ios::binary).write(reinterpret_cast<const char*>(movie.data()), movie.size());
    const ToolRun rendered = Kqltool("render " + Path("m.kql") + " " + Path("fifo.png"));
    EXPECT_EQ(rendered.exitCode, 1) << rendered.output;
    ASSERT_EQ(::mkfifo(Path("fifo.gif").c_str(), 0600), 0);
    const ToolRun animated = Kqltool("render " + Path("m.kql") + " " + Path("fifo.gif"));
    EXPECT_EQ(animated.exitCode, 1) << animated.output;
}

TEST_F(KqlToolTest, DitherAndGammaOptionsOfConvertImage)
{
    // A smooth ramp from black to white across the initial zone, with a little of y in it;
    // output pixel (x, y) samples source (96 + x * 143 / 131, 93 + y * 95 / 80).
    QImage picture(352, 288, QImage::Format_RGB32);
    for (int y = 0; y < 288; ++y)
        for (int x = 0; x < 352; ++x) {
            const int g = std::clamp((x - 96) * 9 / 5 + (y - 93) / 8, 0, 255);
            picture.setPixel(x, y, qRgb(g, g, g));
        }
    ASSERT_TRUE(picture.save(QString::fromStdString(Path("ramp.png"))));
    const std::string in = Path("ramp.png") + " ";
    // Ordered at gamma 1.8, computed here: level = 15 (s / 765)^(1 / 1.8), raised by one
    // where its fraction reaches (m + 0.5) / 16 of the 4 x 4 matrix.
    const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::vector<unsigned char> expected(5240, 0);
    for (int pixel = 0; pixel < 131 * 80; ++pixel) {
        const int x = pixel % 131, y = pixel / 131;
        const int grey = qRed(picture.pixel(96 + x * 143 / 131, 93 + y * 95 / 80));
        const double level = 15 * std::pow(3.0 * grey / 765, 1 / 1.8);
        int chosen = static_cast<int>(level);
        if (level - chosen >= (bayer[y % 4][x % 4] + 0.5) / 16)
            ++chosen;
        const int darkness = 15 - std::min(chosen, 15);
        expected[pixel / 2] |= static_cast<unsigned char>(pixel % 2 ? darkness << 4 : darkness);
    }
    ToolRun run = Kqltool("convert-image " + in + Path("o.kql") + " --dither ordered --gamma 1.8");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile(Path("o.kql")), expected);

    // "none" and gamma 1 spelt out are the default; diffusion is another picture again.
    ASSERT_EQ(Kqltool("convert-image " + in + Path("plain.kql")).exitCode, 0);
    ASSERT_EQ(Kqltool("convert-image " + in + Path("n.kql") + " --dither none --gamma 1.0").exitCode, 0);
    ASSERT_EQ(Kqltool("convert-image " + in + Path("d.kql") + " --dither diffusion").exitCode, 0);
    EXPECT_EQ(ReadFile(Path("n.kql")), ReadFile(Path("plain.kql")));
    EXPECT_NE(ReadFile(Path("d.kql")), ReadFile(Path("plain.kql")));

    for (const char* bad : {"--dither Ordered", "--dither", "--gamma 0.4", "--gamma 2.6", "--gamma x", "--gamma nan"}) {
        const ToolRun refused = Kqltool("convert-image " + in + Path("x.kql") + " " + bad);
        EXPECT_EQ(refused.exitCode, 2) << bad << ": " << refused.output;
    }
    EXPECT_FALSE(fs::exists(Path("x.kql")));
    const ToolRun help = Kqltool("convert-image --help");
    EXPECT_NE(help.output.find("shimmers on moving video"), std::string::npos) << help.output;
}
