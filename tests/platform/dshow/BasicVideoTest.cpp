// The renderer's IBasicVideo (through the graph) and its window.
#include "tests/platform/dshow/GraphTestSupport.h"

#include "platform/com/ComRuntime.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/UserQt.h"
#include "platform/user/WinUser.h"
#include "tests/support/NumberedVideos.h"

#include <QImage>
#include <QPixmap>

#include <cstring>
#include <string>
#include <vector>

using namespace graphtest;

namespace {

class BasicVideo : public GraphTest {
protected:
    void SetUp() override
    {
        GraphTest::SetUp();
        Build(NumberedVideo("video.avi", 25));
    }
};

LRESULT PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// A lent image is the packed DIB's header and rows without the copy, and stays that frame
// while held: the renderer moving on (and the source decoding the next frames into buffers
// that samples give back) must not write into it.
TEST_F(BasicVideo, ALentImageIsTheCurrentImageAndOutlivesTheNextFrames)
{
    ComPtr<IRendererImage> lender;
    ASSERT_EQ(S_OK, ComQuery(video_.Get(), lender)) << "the graph answers for its renderer";
    BITMAPINFOHEADER header{};
    const BYTE* pixels = reinterpret_cast<const BYTE*>(1);
    IUnknown* holder = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_UNEXPECTED, lender->LendCurrentImage(&header, &pixels, &holder)) << "nothing shown yet";
    EXPECT_EQ(nullptr, pixels);
    EXPECT_EQ(nullptr, holder);

    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    ASSERT_EQ(S_OK, control_->Pause());
    const auto seekTo = [&](LONGLONG frame) {
        return seeking_->SetPositions(&frame, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    };
    ASSERT_EQ(S_OK, seekTo(6));
    LONG size = 0;
    ASSERT_EQ(S_OK, video_->GetCurrentImage(&size, nullptr));
    std::vector<BYTE> packed(static_cast<std::size_t>(size));
    ASSERT_EQ(S_OK, video_->GetCurrentImage(&size, reinterpret_cast<LONG*>(packed.data())));

    ASSERT_EQ(S_OK, lender->LendCurrentImage(&header, &pixels, &holder));
    ComPtr<IUnknown> held = ComPtr<IUnknown>::TakeOver(holder);
    ASSERT_NE(nullptr, pixels);
    EXPECT_EQ(0, std::memcmp(&header, packed.data(), sizeof header));
    const std::vector<BYTE> rows(packed.begin() + sizeof header, packed.end());
    ASSERT_EQ(rows.size(), header.biSizeImage);
    EXPECT_EQ(0, std::memcmp(pixels, rows.data(), rows.size()));

    // Steps on, as a capture run does (the frames after it are decoded ahead), and back.
    for (LONGLONG frame : {9, 12, 15, 3})
        ASSERT_EQ(S_OK, seekTo(frame));
    EXPECT_EQ(6, ReadFrameNumber(packed.data() + sizeof header, 32));
    EXPECT_EQ(0, std::memcmp(pixels, rows.data(), rows.size())) << "the lent frame 6 was written over";
    ASSERT_EQ(S_OK, video_->GetCurrentImage(&size, reinterpret_cast<LONG*>(packed.data())));
    EXPECT_EQ(3, ReadFrameNumber(packed.data() + sizeof header, 32));
    held.Reset();
    control_->Stop();
}

// The renderer writes a still into a bitmap a band of rows at a time, straight from the
// decoded picture (the frame is never made whole in RGB), or copies the rows of a frame made
// whole because something read it so: either way the packed DIB's picture. Pictures in
// several bands (the last one shorter), converted in place or through scratch rows (rows
// that are no whole blocks of 16 pixels).
TEST_F(GraphTest, AWrittenImageIsTheCurrentImageWhetherTheFrameWasMadeWholeOrNot)
{
    struct Video {
        int width, height;
        std::string arguments;
    };
    for (const Video& v : {Video{1920, 272, "-pix_fmt yuv420p -c:v libx264 -preset veryfast -g 6"},
                           Video{1000, 270, "-pix_fmt yuv420p -c:v mpeg4 -q:v 4"}}) {
        const std::string name = "wide" + std::to_string(v.width) + ".mkv";
        ASSERT_NO_FATAL_FAILURE(Build(testvideos::NumberedVideo(name, 12, v.arguments, v.width, v.height)));
        ComPtr<IRendererImage> writer;
        ASSERT_EQ(S_OK, ComQuery(video_.Get(), writer)) << "the graph answers for its renderer";
        HDC screen = GetDC(nullptr);
        HBITMAP bitmaps[2] = {CreateCompatibleBitmap(screen, v.width, v.height),
                              CreateCompatibleBitmap(screen, v.width, v.height)};
        HBITMAP small = CreateCompatibleBitmap(screen, v.width, v.height - 2);
        ASSERT_TRUE(bitmaps[0] && bitmaps[1] && small);
        EXPECT_EQ(E_UNEXPECTED, writer->WriteCurrentImage(bitmaps[0])) << "nothing shown yet";

        const LONG rowBytes = DibRowBytes(v.width, 32);
        BITMAPINFO info{};
        info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), v.width, v.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        // Blue, green and red of each pixel: GetDIBits gives the unused byte as 0.
        const auto colours = [&](const BYTE* rows) {
            std::vector<BYTE> bytes;
            for (LONG i = 0; i < rowBytes * v.height; ++i)
                if (i % 4 != 3)
                    bytes.push_back(rows[i]);
            return bytes;
        };
        const auto readBack = [&](HBITMAP bitmap) {
            std::vector<BYTE> rows(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(v.height));
            EXPECT_EQ(v.height, GetDIBits(screen, bitmap, 0, static_cast<UINT>(v.height), rows.data(), &info,
                                          DIB_RGB_COLORS));
            return colours(rows.data());
        };

        ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
        ASSERT_EQ(S_OK, control_->Pause());
        for (LONGLONG frame : {4, 7, 10, 1}) {
            ASSERT_EQ(S_OK,
                      seeking_->SetPositions(&frame, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
            ASSERT_EQ(S_OK, writer->WriteCurrentImage(bitmaps[0])) << "from the decoded picture";
            LONG size = 0;
            ASSERT_EQ(S_OK, video_->GetCurrentImage(&size, nullptr));
            std::vector<BYTE> packed(static_cast<std::size_t>(size));
            ASSERT_EQ(S_OK, video_->GetCurrentImage(&size, reinterpret_cast<LONG*>(packed.data())));
            const BYTE* rows = packed.data() + sizeof(BITMAPINFOHEADER);
            EXPECT_EQ(frame, testvideos::ReadFrameNumber(rows, v.width, v.height, 32));
            ASSERT_EQ(S_OK, writer->WriteCurrentImage(bitmaps[1])) << "from the frame made whole";
            const std::vector<BYTE> expected = colours(rows);
            EXPECT_TRUE(readBack(bitmaps[0]) == expected) << name << ", frame " << frame << " by bands";
            EXPECT_TRUE(readBack(bitmaps[1]) == expected) << name << ", frame " << frame << " made whole";
        }
        EXPECT_EQ(E_INVALIDARG, writer->WriteCurrentImage(small));
        EXPECT_EQ(E_POINTER, writer->WriteCurrentImage(nullptr));
        for (HBITMAP bitmap : {bitmaps[0], bitmaps[1], small})
            DeleteObject(bitmap);
        ReleaseDC(nullptr, screen);
        control_->Stop();
    }
}

TEST_F(BasicVideo, CurrentImageIsAPackedDibOfTheShownFrame)
{
    LONG size = -7;
    // Nothing shown yet.
    EXPECT_EQ(E_UNEXPECTED, video_->GetCurrentImage(&size, nullptr));
    EXPECT_EQ(-7, size);
    EXPECT_EQ(E_POINTER, video_->GetCurrentImage(nullptr, nullptr));

    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    ASSERT_EQ(S_OK, control_->Pause());
    LONGLONG frame = 13;
    ASSERT_EQ(S_OK, seeking_->SetPositions(&frame, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));

    const LONG rowBytes = DibRowBytes(kWidth, 32);
    ASSERT_EQ(S_OK, video_->GetCurrentImage(&size, nullptr));
    ASSERT_EQ(static_cast<LONG>(sizeof(BITMAPINFOHEADER)) + rowBytes * kHeight, size);

    // One byte short: refused as the real renderer does, the buffer untouched.
    std::vector<BYTE> buffer(static_cast<std::size_t>(size) + 2, 0xEE);
    LONG shortSize = size - 1;
    EXPECT_EQ(E_OUTOFMEMORY, video_->GetCurrentImage(&shortSize, reinterpret_cast<LONG*>(buffer.data())));
    EXPECT_EQ(size - 1, shortSize);
    EXPECT_EQ(0xEE, buffer[0]);

    // A larger buffer (the callers add two bytes) is fine.
    LONG bigSize = size + 2;
    ASSERT_EQ(S_OK, video_->GetCurrentImage(&bigSize, reinterpret_cast<LONG*>(buffer.data())));
    BITMAPINFOHEADER header;
    std::memcpy(&header, buffer.data(), sizeof header);
    EXPECT_EQ(sizeof(BITMAPINFOHEADER), header.biSize);
    EXPECT_EQ(kWidth, header.biWidth);
    EXPECT_EQ(kHeight, header.biHeight);
    EXPECT_EQ(1, header.biPlanes);
    EXPECT_EQ(32, header.biBitCount);
    EXPECT_EQ(BI_RGB, header.biCompression);
    EXPECT_EQ(0u, header.biClrUsed);
    EXPECT_EQ(static_cast<DWORD>(rowBytes * kHeight), header.biSizeImage);
    EXPECT_EQ(13, ReadFrameNumber(buffer.data() + header.biSize, 32));
    EXPECT_EQ(0xEE, buffer[static_cast<std::size_t>(size)]);

    // The packed DIB turns into a device bitmap as the snapshot code does it.
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &header, CBM_INIT, buffer.data() + header.biSize,
                                    reinterpret_cast<const BITMAPINFO*>(buffer.data()), DIB_RGB_COLORS);
    EXPECT_NE(nullptr, bitmap);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
}

TEST_F(BasicVideo, SizesAndRectangles)
{
    LONG width = 0;
    LONG height = 0;
    ASSERT_EQ(S_OK, video_->GetVideoSize(&width, &height));
    EXPECT_EQ(kWidth, width);
    EXPECT_EQ(kHeight, height);
    EXPECT_EQ(E_POINTER, video_->GetVideoSize(nullptr, &height));
    LONG value = 0;
    EXPECT_EQ(S_OK, video_->get_SourceWidth(&value));
    EXPECT_EQ(kWidth, value);
    REFTIME frameTime = 0;
    EXPECT_EQ(S_OK, video_->get_AvgTimePerFrame(&frameTime));
    EXPECT_DOUBLE_EQ(0.04, frameTime);

    EXPECT_EQ(S_OK, video_->IsUsingDefaultSource());
    EXPECT_EQ(E_INVALIDARG, video_->SetSourcePosition(0, 0, kWidth + 1, kHeight));
    EXPECT_EQ(E_INVALIDARG, video_->SetSourcePosition(10, 10, 0, 5));
    EXPECT_EQ(S_OK, video_->IsUsingDefaultSource());
    ASSERT_EQ(S_OK, video_->SetSourcePosition(8, 4, 100, 50));
    EXPECT_EQ(S_FALSE, video_->IsUsingDefaultSource());
    LONG left, top, w, h;
    ASSERT_EQ(S_OK, video_->GetSourcePosition(&left, &top, &w, &h));
    EXPECT_EQ((std::vector<LONG>{8, 4, 100, 50}), (std::vector<LONG>{left, top, w, h}));
    ASSERT_EQ(S_OK, video_->put_SourceLeft(20));  // moves the rectangle, keeps its width
    ASSERT_EQ(S_OK, video_->GetSourcePosition(&left, &top, &w, &h));
    EXPECT_EQ((std::vector<LONG>{20, 4, 100, 50}), (std::vector<LONG>{left, top, w, h}));
    ASSERT_EQ(S_OK, video_->SetDefaultSourcePosition());
    EXPECT_EQ(S_OK, video_->IsUsingDefaultSource());

    ASSERT_EQ(S_OK, video_->SetDestinationPosition(0, 0, 64, 48));
    EXPECT_EQ(S_FALSE, video_->IsUsingDefaultDestination());
    EXPECT_EQ(E_INVALIDARG, video_->put_DestinationWidth(0));

    LONG retrieved = -1;
    LONG palette[4];
    EXPECT_EQ(VFW_E_NO_PALETTE_AVAILABLE, video_->GetVideoPaletteEntries(0, 4, &retrieved, palette));
    EXPECT_EQ(0, retrieved);

    // A renderer without a connection has no video to describe.
    ComPtr<IBasicVideo> lone;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBasicVideo,
                                     reinterpret_cast<void**>(lone.ReleaseAndGetAddressOf())));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, lone->GetVideoSize(&width, &height));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, lone->GetCurrentImage(&value, nullptr));
}

TEST_F(BasicVideo, RendererWindowIsHiddenOrAChildOfItsOwner)
{
    ComPtr<IVideoOwner> owner;
    ASSERT_EQ(S_OK, graph_.As(owner));
    HWND renderer = nullptr;
    ASSERT_EQ(S_OK, owner->get_RendererWindow(&renderer));
    ASSERT_NE(nullptr, renderer);
    char className[64] = {};
    GetClassNameA(renderer, className, sizeof className);
    EXPECT_NE(std::string::npos, std::string(className).find("Renderer"));
    EXPECT_FALSE(IsWindowVisible(renderer));

    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = PlainProc;
    windowClass.lpszClassName = "GraphTestParent";
    RegisterClassA(&windowClass);
    HWND parent = CreateWindowExA(0, "GraphTestParent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
    ASSERT_EQ(S_OK, owner->put_Owner(parent));
    ASSERT_EQ(S_OK, owner->get_RendererWindow(&renderer));
    EXPECT_EQ(parent, GetParent(renderer));
    EXPECT_TRUE(IsWindowVisible(renderer));
    RECT client{};
    GetClientRect(renderer, &client);
    RECT parentClient{};
    GetClientRect(parent, &parentClient);
    EXPECT_EQ(parentClient.right, client.right);
    ASSERT_EQ(S_OK, owner->SetWindowPosition(10, 10, 120, 90));
    GetClientRect(renderer, &client);
    EXPECT_EQ(120, client.right);
    EXPECT_EQ(90, client.bottom);

    // The window paints the held frame stretched over it: frame 13 is 1101 in binary, so the
    // first block of the top row is white and the second black.
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    ASSERT_EQ(S_OK, control_->Pause());
    LONGLONG frame = 13;
    ASSERT_EQ(S_OK, seeking_->SetPositions(&frame, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    QWidget* widget = WindowWidget(renderer);
    ASSERT_NE(nullptr, widget);
    const QImage picture = widget->grab().toImage();
    ASSERT_EQ(QSize(120, 90), picture.size());
    EXPECT_GT(qGreen(picture.pixel(15, 15)), 190);
    EXPECT_LT(qGreen(picture.pixel(45, 15)), 60);
    EXPECT_GT(qGreen(picture.pixel(75, 15)), 190);

    EXPECT_EQ(E_INVALIDARG, owner->put_Owner(reinterpret_cast<HWND>(0x7777)));
    ASSERT_EQ(S_OK, control_->Stop());
    // The graph takes its windows along when it goes.
    graph_.Reset();
    control_.Reset();
    seeking_.Reset();
    video_.Reset();
    owner.Reset();
    EXPECT_FALSE(IsWindow(renderer));
    DestroyWindow(parent);
}
