#include "tools/kqltool/Commands.h"

#include "convert/CropGeometry.h"
#include "convert/FrameConversion.h"
#include "convert/MovieReader.h"
#include "convert/MovieWriter.h"
#include "convert/ViewConversion.h"
#include "framework/Bitmap.h"
#include "framework/Exceptions.h"
#include "tools/kqltool/Checks.h"
#include "tools/kqltool/GifMovie.h"
#include "tools/kqltool/MovieFile.h"
#include "tools/kqltool/Options.h"

#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iostream>

const char* const ConvertImageUsage =
    "usage: kqltool convert-image IMAGE OUT.kql [--zone L,T,W,H] [--brightness 0..32] [--contrast 0..16]\n"
    "                             [--dither none|ordered|diffusion] [--gamma G]\n"
    "\n"
    "Converts a still picture (BMP, PNG or JPEG, told by its content; other formats are\n"
    "refused) into a one-frame movie, as a capture of that picture as the video frame would:\n"
    "the crop zone (in main-window pixels over the 320 x 240 preview at 8,42; default\n"
    "96,120,131,80) picks the part of the picture, which is then turned into 131 x 80 pixels\n"
    "of 16 greys. Brightness defaults to 16 and contrast to 8 (neutral). JPEG snapshots saved\n"
    "by the program's video source are taken as they are.\n"
    "\n" KQLTOOL_PICTURE_OPTIONS_USAGE;

const char* const RenderUsage =
    "usage: kqltool render MOVIE.kql OUT.png [--frame N | --sheet] [--scale S]\n"
    "       kqltool render MOVIE.kql OUT.gif [--scale S] [--from F] [--to F]\n"
    "\n"
    "Draws frame N (from 0; default 0), or with --sheet every frame as a contact sheet, in the\n"
    "greys of the program's preview, into a PNG picture. --scale S (1..16, default 1 for PNG,\n"
    "2 for GIF) enlarges each pixel to an S x S square without smoothing.\n"
    "With a .gif name, writes frames F (default 0) to F (default the last) as an animated GIF\n"
    "that loops, at the device's 8.658 frames a second. Other extensions are refused.\n";

const char* const InfoUsage =
    "usage: kqltool info MOVIE.kql\n"
    "\n"
    "Reads the movie to its last byte and prints its number of frames and whether it is a\n"
    "whole number of 5240-byte frames (exit code 1 when it is not, or when it cannot be read).\n"
    "A frame's content cannot be wrong: every byte is two of the 16 greys.\n";

namespace {

// The picture formats taken, by their content: BMP and PNG, and JPEG, which is what the
// program's own snapshot files are. Any other format Qt could read is refused, not guessed at.
QImage LoadPicture(const std::string& path)
{
    // Only regular files: a FIFO would make the reader wait for a writer for ever.
    if (const std::string what = NotAnInputFile(path); !what.empty())
        throw InputError("cannot read picture " + path + ": " +
                         (what == " does not exist" ? std::string("no such file") : "it" + what + ", not a picture file"));
    QImageReader reader(QString::fromStdString(path));
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (!format.isEmpty() && format != "bmp" && format != "png" && format != "jpeg")
        throw InputError("cannot read picture " + path + ": it is a " + format.toUpper().toStdString() +
                         " picture; BMP, PNG and JPEG pictures are taken");
    QImage image = reader.read();
    if (image.isNull())
        throw InputError("cannot read picture " + path + ": " + reader.errorString().toStdString() +
                         " (BMP, PNG and JPEG pictures are taken)");
    // The video frame has no transparency: take the colour channels as they are.
    return image.convertToFormat(QImage::Format_RGB32);
}

// The picture as the video frame the preview holds: a 32-bit bitmap of the same pixels.
void PictureToFrame(const QImage& picture, TBitmap& frame)
{
    frame.SetPixelFormat(pf32bit);
    frame.SetSize(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(frame.ScanLine(y), picture.constScanLine(y), static_cast<std::size_t>(picture.width()) * 4);
    frame.PixelsChanged();
}

std::string Frames(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " frame" : " frames"); }

void SavePng(const QImage& image, const std::string& path)
{
    if (!image.save(QString::fromStdString(path), "PNG"))
        throw InputError("cannot write " + path);
}

QImage RenderFrame(const TFrameBuffer& frame, int scale)
{
    QImage image(KqFrameWidth * scale, KqFrameHeight * scale, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int level = 15 - frame[FrameBufferIndex(x / scale, y / scale)];
            const COLORREF c = GreyColour(level);
            row[x] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
        }
    }
    return image;
}

bool IsGifName(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".gif";
}

// The frames are read one at a time as the GIF is written, so a long movie needs no memory.
int RenderGif(const ParsedArguments& a)
{
    if (a.HasFlag("--sheet") || a.Value("--frame"))
        throw UsageError("--frame and --sheet are for PNG output");
    const int scale = ParseBoundedInt("--scale", a.Value("--scale").value_or("2"), 1, 16);
    TMovieReader reader;
    try {
        reader.Open(a.positional[0]);
    } catch (const Exception& e) {
        throw InputError(e.Message());
    }
    if (reader.TailBytes() != 0)
        throw InputError(a.positional[0] + " is not a whole movie: " + Frames(reader.FrameCount()) + " and " +
                         std::to_string(reader.TailBytes()) + " bytes more");
    const int last = static_cast<int>(std::min<std::uint64_t>(reader.FrameCount() - 1, INT_MAX));
    const int from = ParseBoundedInt("--from", a.Value("--from").value_or("0"), 0, last);
    const int to = ParseBoundedInt("--to", a.Value("--to").value_or(std::to_string(last)), from, last);
    std::uint64_t next = static_cast<std::uint64_t>(from);
    WriteGifMovie(a.positional[1], static_cast<std::uint64_t>(to - from + 1), scale, [&] {
        try {
            return UnpackMovieFrame(reader.ReadFrame(next++));
        } catch (const Exception& e) {
            throw InputError(e.Message());
        }
    });
    return 0;
}

} // namespace

int ConvertImageCommand(const std::vector<std::string>& args)
{
    const ParsedArguments a = ParseArguments(args, {"--zone", "--brightness", "--contrast", "--dither", "--gamma"}, {});
    if (a.help) {
        std::cout << ConvertImageUsage;
        return 0;
    }
    if (a.positional.size() != 2)
        throw UsageError("convert-image takes a picture and an output movie");
    const crop::ZoneRect zone = a.Value("--zone") ? ParseZoneOption(*a.Value("--zone")) : crop::ZoneRect{};
    const std::string picture = a.positional[0];
    const std::string out = a.positional[1];
    RequireMovieName(out);
    const int brightness = ParseBoundedInt("--brightness", a.Value("--brightness").value_or("16"), 0, 32);
    const int contrast = ParseBoundedInt("--contrast", a.Value("--contrast").value_or("8"), 0, 16);
    const TPictureOptions options = ParsePictureOptions(a);

    // The same crop and sampling as the main window's, through the same bitmaps and canvas,
    // so that the frame is the capture's also where the view holds no pixels.
    TBitmap source;
    PictureToFrame(LoadPicture(picture), source);
    TBitmap view;
    CopyZoneToView(source, zone, view);
    TFrameBuffer frame{};
    ConvertView(view, brightness, contrast, frame, {}, options);
    CheckOutputs({out}, picture);
    bool created = false;
    try {
        TMovieWriter writer;
        writer.Create(out);
        created = true;
        writer.WriteFrame(frame);
        writer.Close();
    } catch (const EInOutError& e) {
        // What was created holds no whole movie: it goes.
        std::error_code ignored;
        if (created && std::filesystem::is_regular_file(out, ignored))
            std::filesystem::remove(out, ignored);
        throw InputError("cannot write " + out + ": " + OneLine(e));
    }
    return 0;
}

int RenderCommand(const std::vector<std::string>& args)
{
    const ParsedArguments a = ParseArguments(args, {"--frame", "--scale", "--from", "--to"}, {"--sheet"});
    if (a.help) {
        std::cout << RenderUsage;
        return 0;
    }
    if (a.positional.size() != 2)
        throw UsageError("render takes a movie and an output picture");
    // A FIFO would hold the picture's writer until a reader came, a folder cannot be written.
    if (const std::string what = NotAnInputFile(a.positional[1]); !what.empty() && what != " does not exist")
        throw InputError("refused to write " + a.positional[1] + ": it" + what + ", not a file");
    if (IsGifName(a.positional[1]))
        return RenderGif(a);
    if (a.Value("--from") || a.Value("--to"))
        throw UsageError("--from and --to are for animated GIF output");
    if (a.HasFlag("--sheet") && a.Value("--frame"))
        throw UsageError("--frame and --sheet exclude each other");
    const int scale = ParseBoundedInt("--scale", a.Value("--scale").value_or("1"), 1, 16);
    const std::string frameText = a.Value("--frame").value_or("0");
    const int frameNumber = ParseBoundedInt("--frame", frameText, INT_MIN, INT_MAX);
    const std::filesystem::path out(a.positional[1]);
    std::string extension = out.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != ".png")
        throw UsageError("render writes PNG pictures or animated GIFs: the output name must end in .png or .gif");

    const std::vector<TFrameBuffer> frames = ReadMovieFile(a.positional[0]);
    if (!a.HasFlag("--sheet")) {
        if (frameNumber < 0 || static_cast<std::size_t>(frameNumber) >= frames.size())
            throw InputError(a.positional[0] + " has " + Frames(frames.size()) + ": --frame must be from 0 to " +
                             std::to_string(frames.size() - 1) + ", not " + frameText);
        SavePng(RenderFrame(frames[frameNumber], scale), a.positional[1]);
        return 0;
    }

    // A near-square grid, frames in reading order, with a 2-pixel gutter.
    constexpr int Gutter = 2;
    const int count = static_cast<int>(frames.size());
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    const int rows = (count + columns - 1) / columns;
    const qint64 cellW = KqFrameWidth * scale + Gutter, cellH = KqFrameHeight * scale + Gutter;
    if (cellW * columns * cellH * rows > (qint64(1) << 28))
        throw InputError("a sheet of " + std::to_string(count) + " frames at scale " + std::to_string(scale) +
                         " would be too large; use a smaller --scale");
    QImage sheet(static_cast<int>(cellW * columns + Gutter), static_cast<int>(cellH * rows + Gutter),
                 QImage::Format_RGB32);
    sheet.fill(qRgb(0x30, 0x50, 0x80));
    for (int i = 0; i < count; ++i) {
        const QImage tile = RenderFrame(frames[i], scale);
        const int left = Gutter + static_cast<int>((i % columns) * cellW);
        const int top = Gutter + static_cast<int>((i / columns) * cellH);
        for (int y = 0; y < tile.height(); ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(tile.constScanLine(y)), tile.width(),
                        reinterpret_cast<QRgb*>(sheet.scanLine(top + y)) + left);
    }
    SavePng(sheet, a.positional[1]);
    return 0;
}

int InfoCommand(const std::vector<std::string>& args)
{
    const ParsedArguments a = ParseArguments(args, {}, {});
    if (a.help) {
        std::cout << InfoUsage;
        return 0;
    }
    if (a.positional.size() != 1)
        throw UsageError("info takes one movie");
    const MovieFileInfo info = ScanMovieFile(a.positional[0], {});
    std::cout << a.positional[0] << ": " << Frames(info.wholeFrames) << ", " << info.sizeBytes << " bytes\n";
    if (info.IsWhole()) {
        std::cout << "whole: the size is a whole number of " << KqFrameBytes << "-byte frames\n";
        return 0;
    }
    std::cout << "not whole: " << info.leftoverBytes << " bytes after the last whole frame\n";
    return 1;
}
