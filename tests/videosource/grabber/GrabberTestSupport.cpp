#include "tests/videosource/grabber/GrabberTestSupport.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/DirectShowServices.h"
#include "platform/dshow/MediaTypes.h"
#include "platform/gdi/Gdi.h"
#include "tests/support/NumberedVideos.h"

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace grabbertest {

int SectionFrameNumber(HBITMAP section)
{
    DIBSECTION dib;
    if (GetObject(section, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBits == nullptr)
        return -2;
    return testvideos::ReadFrameNumber(static_cast<const std::uint8_t*>(dib.dsBm.bmBits), dib.dsBmih.biWidth,
                                       dib.dsBmih.biHeight, dib.dsBmih.biBitCount);
}

// --- FrameWindow ---------------------------------------------------------------------------

namespace {
constexpr char kFrameWindowClass[] = "GrabberTestFrameWindow";
}

FrameWindow::FrameWindow(TSampleGrabberCB& callback) : callback_(callback)
{
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &FrameWindow::Procedure;
    windowClass.lpszClassName = kFrameWindowClass;
    RegisterClassA(&windowClass); // 0 when already registered: fine
    window_ = CreateWindowExA(0, kFrameWindowClass, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

FrameWindow::~FrameWindow()
{
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

std::vector<int> FrameWindow::Numbers() const
{
    std::vector<int> numbers;
    for (const ReceivedFrame& frame : frames_)
        numbers.push_back(frame.Number);
    return numbers;
}

ReceivedFrame FrameWindow::Take(WPARAM wParam, LPARAM lParam)
{
    ReceivedFrame frame;
    frame.WParam = wParam;
    frame.LParam = lParam;
    if (HBITMAP section = callback_.FrameSection()) {
        frame.Number = SectionFrameNumber(section);
        DIBSECTION dib;
        if (GetObject(section, sizeof dib, &dib) == sizeof dib) {
            frame.Width = dib.dsBmih.biWidth;
            frame.Height = dib.dsBmih.biHeight;
            frame.BitsPerPixel = dib.dsBmih.biBitCount;
        }
    }
    return frame;
}

void FrameWindow::DeliverPending()
{
    callback_.FrameDone();
}

LRESULT FrameWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<FrameWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != WM_GRABBERFRAME || self == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    self->frames_.push_back(self->Take(wParam, lParam));
    if (self->Deliver)
        self->callback_.FrameDone();
    return 0;
}

// --- GrabberGraphTest ----------------------------------------------------------------------

void GrabberGraphTest::SetUp()
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_EQ(S_OK, InstallDirectShowServices());
}

void GrabberGraphTest::TearDown()
{
    if (control_)
        control_->Stop();
    if (grabber_)
        grabber_->SetCallback(nullptr, 1);
    callback_.reset();
    grabber_.Reset();
    seeking_.Reset();
    control_.Reset();
    graph_.Reset();
    QCoreApplication::processEvents();
    UninstallDirectShowServices();
    CoUninitialize();
}

void GrabberGraphTest::Build(int frames)
{
    callback_ = std::make_unique<TSampleGrabberCB>();
    TSampleGrabberCB& callback = *callback_;
    const std::string path = testvideos::NumberedVideo("grabber" + std::to_string(frames) + ".avi", frames);
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     reinterpret_cast<void**>(graph_.ReleaseAndGetAddressOf())));
    const std::u16string wide(path.begin(), path.end());
    ASSERT_EQ(S_OK, graph_->RenderFile(wide.c_str(), nullptr));
    ASSERT_EQ(S_OK, graph_.As(control_));
    ASSERT_EQ(S_OK, graph_.As(seeking_));
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));

    ASSERT_EQ("", testgraph::InsertGrabber(graph_.Get(), grabber_));
    ASSERT_EQ(S_OK, grabber_->SetBufferSamples(FALSE));
    ASSERT_EQ(S_OK, grabber_->SetOneShot(FALSE));
    ASSERT_EQ(S_OK, grabber_->SetCallback(&callback, 1));
    AM_MEDIA_TYPE connected;
    ASSERT_EQ(S_OK, grabber_->GetConnectedMediaType(&connected));
    ASSERT_EQ(TSampleGrabberCB::FormatVideoInfo, callback.AdoptConnectedType(connected));
}

void GrabberGraphTest::ShowFrame(LONGLONG frame)
{
    ASSERT_EQ(S_OK, control_->Pause());
    ASSERT_EQ(S_OK, seeking_->SetPositions(&frame, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
}

// --- files ---------------------------------------------------------------------------------

TempFolder::TempFolder()
{
    char name[] = "/tmp/quellon-grab-XXXXXX";
    if (::mkdtemp(name) != nullptr)
        path_ = name;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void TempFolder::Touch(const std::string& name) const
{
    std::ofstream(Path(name), std::ios::binary) << "x";
}

namespace {

bool CanCreateIn(const std::string& folder)
{
    const std::string probe = folder + "/quellon-probe";
    std::ofstream out(probe, std::ios::binary);
    if (!out)
        return false;
    out.close();
    std::remove(probe.c_str());
    return true;
}

} // namespace

std::string UnwritableFolder(const TempFolder& scratch)
{
    const std::string folder = scratch.Path("readonly");
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (!CanCreateIn(folder))
        return folder;
    if (std::filesystem::is_directory("/sys") && !CanCreateIn("/sys"))
        return "/sys";
    return {};
}

std::vector<unsigned char> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

int JpegFrameMarker(const std::string& path)
{
    const std::vector<unsigned char> bytes = ReadFileBytes(path);
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return 0;
    // Walk the marker segments up to the first start of frame.
    std::size_t at = 2;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
        const int marker = bytes[at + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return marker;
        at += 2 + ((static_cast<std::size_t>(bytes[at + 2]) << 8) | bytes[at + 3]);
    }
    return 0;
}

} // namespace grabbertest
