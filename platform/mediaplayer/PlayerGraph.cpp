#include "platform/mediaplayer/PlayerGraph.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/DShowInterfaces.h"
#include "platform/dshow/VideoSourceFilter.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace mediaplayer {

struct PlayerGraph::LoadJob {
    WPARAM id = 0;
    std::string path;
    std::thread thread;
    std::atomic<bool> done{false};
    // Written by the loading thread before `done`; read on the user-interface thread after.
    HRESULT status = E_FAIL;
    std::string message;
    ComPtr<VideoSourceFilter> source;
};

namespace {

struct Command {
    enum Kind { Run, Pause, PauseThenReady, SeekFrame, SeekSeconds, PauseAtFrame, PauseAtSeconds, Rate } kind;
    LONGLONG frame = 0;
    double value = 0;
};

}  // namespace

struct PlayerGraph::Session {
    WPARAM generation = 0;
    HWND notifyWindow = nullptr;
    ComPtr<VideoSourceFilter> source;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaSeeking> seeking;
    ComPtr<IMediaEventEx> events;
    ComPtr<IGraphDiagnostics> diagnostics;
    ComPtr<IVideoOwner> video;
    ComPtr<IGraphLock> graphLock;

    std::thread thread;
    mutable std::mutex lock;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Command> queue;
    bool quit = false;
    bool busy = false;
    // The position the renderer shows, and whether the graph runs; under `lock`.
    LONGLONG frame = 0;
    double seconds = 0;
    bool running = false;
    bool ended = false;

    const SourceTimeline& Timeline() const { return source->Timeline(); }

    void Queue(const Command& command)
    {
        std::lock_guard guard(lock);
        // A seek still waiting is superseded by a newer one: only the last position counts.
        const bool isSeek = command.kind == Command::SeekFrame || command.kind == Command::SeekSeconds;
        if (isSeek && !queue.empty() &&
            (queue.back().kind == Command::SeekFrame || queue.back().kind == Command::SeekSeconds))
            queue.back() = command;
        else
            queue.push_back(command);
        wake.notify_all();
    }

    void Loop()
    {
        for (;;) {
            Command command;
            {
                std::unique_lock guard(lock);
                wake.wait(guard, [&] { return quit || !queue.empty(); });
                if (quit)
                    return;
                command = queue.front();
                queue.pop_front();
                busy = true;
            }
            {
                // Each command is one step for whoever else drives the graph (a container
                // stopping, rewiring and running it holds the same lock).
                graphLock->Lock();
                struct Unlock {
                    IGraphLock* graphLock;
                    ~Unlock() { graphLock->Unlock(); }
                } unlock{graphLock.Get()};
                Execute(command);
            }
            std::lock_guard guard(lock);
            busy = false;
            if (queue.empty())
                idle.notify_all();
        }
    }

    void WaitIdle()
    {
        std::unique_lock guard(lock);
        idle.wait(guard, [&] { return quit || (queue.empty() && !busy); });
    }

    void Execute(const Command& command)
    {
        switch (command.kind) {
        case Command::Run: {
            control->Run();
            std::lock_guard guard(lock);
            running = true;
            ended = false;
            break;
        }
        case Command::Pause:
        case Command::PauseThenReady: {
            control->Pause();
            LONGLONG units = 0;
            seeking->GetCurrentPosition(&units);
            const LONGLONG shown = Timeline().FrameAtUnits(units);
            {
                std::lock_guard guard(lock);
                running = false;
                if (!ended) {
                    frame = shown;
                    seconds = Timeline().FrameSeconds(shown);
                }
            }
            if (command.kind == Command::PauseThenReady)
                PostMessageA(notifyWindow, kMessageReady, generation, 0);
            break;
        }
        case Command::SeekFrame:
        case Command::SeekSeconds:
            SeekTo(command.kind == Command::SeekFrame, command);
            break;
        case Command::PauseAtFrame:
        case Command::PauseAtSeconds: {
            // One command, so that the position read in between is never the one paused on.
            control->Pause();
            {
                std::lock_guard guard(lock);
                running = false;
            }
            SeekTo(command.kind == Command::PauseAtFrame, command);
            break;
        }
        case Command::Rate:
            seeking->SetRate(command.value);
            break;
        }
    }

    void SeekTo(bool byFrame, const Command& command)
    {
        LONGLONG units = byFrame ? Timeline().FrameUnits(command.frame) : SourceTimeline::ToUnits(command.value);
        const HRESULT hr =
            seeking->SetPositions(&units, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
        if (FAILED(hr))
            return;  // a decode failure is reported by the graph as an event
        std::lock_guard guard(lock);
        ended = false;
        if (byFrame) {
            frame = command.frame;
            seconds = Timeline().FrameSeconds(command.frame);
        } else {
            frame = Timeline().FrameAtUnits(units);
            seconds = command.value;
        }
    }

    void StopThread()
    {
        {
            std::lock_guard guard(lock);
            quit = true;
            wake.notify_all();
        }
        if (thread.joinable())
            thread.join();
    }
};

PlayerGraph::PlayerGraph(HWND notifyWindow) : notifyWindow_(notifyWindow) {}

PlayerGraph::~PlayerGraph()
{
    AbandonLoad();
    Close();
    for (const auto& job : loads_)
        if (job->thread.joinable())
            job->thread.join();
}

WPARAM PlayerGraph::BeginLoad(const std::string& path)
{
    // Threads of earlier loads that have finished are joined here, so they never pile up.
    for (auto it = loads_.begin(); it != loads_.end();) {
        if ((*it)->done.load() && *it != currentLoad_) {
            (*it)->thread.join();
            it = loads_.erase(it);
        } else {
            ++it;
        }
    }
    auto job = std::make_shared<LoadJob>();
    job->id = nextLoadId_++;
    job->path = path;
    LoadJob* raw = job.get();
    const HWND notify = notifyWindow_;
    job->thread = std::thread([raw, notify] {
        raw->status = VideoSourceFilter::Open(raw->path, raw->source, raw->message);
        raw->done.store(true);
        PostMessageA(notify, kMessageLoaded, raw->id, 0);
    });
    loads_.push_back(job);
    currentLoad_ = job;
    return job->id;
}

bool PlayerGraph::Loading() const
{
    return currentLoad_ != nullptr;
}

void PlayerGraph::AbandonLoad()
{
    currentLoad_.reset();
}

bool PlayerGraph::IsCurrentGeneration(WPARAM generation) const
{
    return session_ != nullptr && session_->generation == generation;
}

HRESULT PlayerGraph::FinishLoad(WPARAM loadId, HWND videoOwner, MediaInfo& info, std::string& message)
{
    info = MediaInfo{};
    message.clear();
    if (!currentLoad_ || currentLoad_->id != loadId || !currentLoad_->done.load())
        return S_FALSE;
    const std::shared_ptr<LoadJob> job = std::move(currentLoad_);
    Close();
    if (job->status != S_OK || !job->source) {
        message = job->message.empty() ? "The file " + job->path + " cannot be opened." : job->message;
        return FAILED(job->status) ? job->status : E_FAIL;
    }
    auto session = std::make_unique<Session>();
    session->notifyWindow = notifyWindow_;
    session->source = std::move(job->source);
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(session->graph.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) {
        message = "No filter graph can be created on this system.";
        return hr;
    }
    session->graph.As(session->video);
    if (session->video)
        session->video->put_Owner(videoOwner != nullptr ? videoOwner : notifyWindow_);
    hr = session->graph->AddFilter(session->source.Get(), Utf8ToUtf16(job->path).c_str());
    ComPtr<IPin> output;
    if (SUCCEEDED(hr))
        hr = session->source->FindPin(u"Video", output.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr))
        hr = session->graph->Render(output.Get());
    if (SUCCEEDED(hr))
        hr = session->graph.As(session->control);
    if (SUCCEEDED(hr))
        hr = session->graph.As(session->seeking);
    if (SUCCEEDED(hr))
        hr = session->graph.As(session->events);
    if (SUCCEEDED(hr))
        hr = session->graph.As(session->graphLock);
    if (FAILED(hr)) {
        message = "The video of " + job->path + " cannot be shown.";
        if (session->control)
            session->control->Stop();
        return hr;
    }
    session->graph.As(session->diagnostics);
    session->seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
    session->events->SetNotifyWindow(reinterpret_cast<OAHWND>(notifyWindow_), static_cast<LONG>(kMessageGraphEvent), 0);

    ComPtr<IBasicVideo> basic;
    if (session->graph.As(basic) == S_OK)
        basic->GetVideoSize(&info.width, &info.height);
    info.frameCount = session->Timeline().FrameCount();
    info.durationSeconds = session->Timeline().DurationSeconds();
    info_ = info;

    session->generation = ++generation_;
    Session* raw = session.get();
    session->thread = std::thread([raw] { raw->Loop(); });
    session_ = std::move(session);
    session_->Queue(Command{Command::PauseThenReady});
    return S_OK;
}

void PlayerGraph::Close()
{
    if (!session_)
        return;
    // A caller may still hold the graph, and with it the renderer and its window: that window
    // must not go on showing the closed media's last picture inside the owner's window. It is
    // hidden and parked in the hidden notify window (its handle stays valid for whoever
    // subclassed it) until the graph's last reference goes.
    if (const HWND renderer = RendererWindow(); renderer != nullptr) {
        ShowWindow(renderer, SW_HIDE);
        SetParent(renderer, notifyWindow_);
    }
    std::unique_ptr<Session> session = std::move(session_);
    session->StopThread();
    session->events->SetNotifyWindow(0, 0, 0);
    session->control->Stop();
    info_ = MediaInfo{};
    // The graph and its renderer go here, on the user-interface thread that owns its window.
}

bool PlayerGraph::IsOpen() const
{
    return session_ != nullptr;
}

void PlayerGraph::Run()
{
    if (session_)
        session_->Queue(Command{Command::Run});
}

void PlayerGraph::Pause()
{
    if (session_)
        session_->Queue(Command{Command::Pause});
}

void PlayerGraph::SeekFrame(LONGLONG frame)
{
    if (!session_)
        return;
    Command command{Command::SeekFrame};
    command.frame = std::clamp<LONGLONG>(frame, 0, std::max<LONGLONG>(info_.frameCount - 1, 0));
    session_->Queue(command);
}

void PlayerGraph::SeekSeconds(double seconds)
{
    if (!session_)
        return;
    Command command{Command::SeekSeconds};
    command.value = std::clamp(seconds, 0.0, info_.durationSeconds);
    session_->Queue(command);
}

void PlayerGraph::PauseAtFrame(LONGLONG frame)
{
    if (!session_)
        return;
    Command command{Command::PauseAtFrame};
    command.frame = std::clamp<LONGLONG>(frame, 0, std::max<LONGLONG>(info_.frameCount - 1, 0));
    session_->Queue(command);
}

void PlayerGraph::PauseAtSeconds(double seconds)
{
    if (!session_)
        return;
    Command command{Command::PauseAtSeconds};
    command.value = std::clamp(seconds, 0.0, info_.durationSeconds);
    session_->Queue(command);
}

void PlayerGraph::SetRate(double rate)
{
    if (!session_)
        return;
    Command command{Command::Rate};
    command.value = rate;
    session_->Queue(command);
}

bool PlayerGraph::Idle() const
{
    if (!session_)
        return true;
    std::lock_guard guard(session_->lock);
    return session_->queue.empty() && !session_->busy;
}

bool PlayerGraph::EndOfStreamStands() const
{
    if (!session_)
        return false;
    {
        std::lock_guard guard(session_->lock);
        if (!session_->queue.empty() || session_->busy || !session_->running)
            return false;
    }
    LONGLONG units = 0;
    LONGLONG stop = 0;
    if (session_->seeking->GetCurrentPosition(&units) != S_OK || session_->seeking->GetStopPosition(&stop) != S_OK)
        return false;
    return units >= stop;
}

void PlayerGraph::MarkEnded()
{
    if (!session_)
        return;
    std::lock_guard guard(session_->lock);
    session_->ended = true;
}

bool PlayerGraph::Ended() const
{
    if (!session_)
        return false;
    std::lock_guard guard(session_->lock);
    return session_->ended;
}

namespace {

// Reads the shown or running position as (frame, seconds).
template <class S>
std::pair<LONGLONG, double> CurrentPosition(S& session, const MediaInfo& info)
{
    bool live;
    {
        std::lock_guard guard(session.lock);
        if (session.ended)
            return {info.frameCount, info.durationSeconds};
        live = session.running && session.queue.empty() && !session.busy;
        if (!live)
            return {session.frame, session.seconds};
    }
    LONGLONG units = 0;
    session.seeking->GetCurrentPosition(&units);
    return {session.Timeline().FrameAtUnits(units), static_cast<double>(units) / kUnitsPerSecond};
}

}  // namespace

LONGLONG PlayerGraph::PositionFrame() const
{
    return session_ ? CurrentPosition(*session_, info_).first : 0;
}

double PlayerGraph::PositionSeconds() const
{
    return session_ ? CurrentPosition(*session_, info_).second : 0;
}

double PlayerGraph::FrameSeconds(LONGLONG frame) const
{
    return session_ ? session_->Timeline().FrameSeconds(frame) : 0;
}

LONGLONG PlayerGraph::FrameAtSeconds(double seconds) const
{
    return session_ ? session_->Timeline().FrameAtSeconds(seconds) : 0;
}

std::vector<GraphEvent> PlayerGraph::TakeEvents()
{
    std::vector<GraphEvent> result;
    if (!session_)
        return result;
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
    while (session_->events->GetEvent(&code, &param1, &param2, 0) == S_OK) {
        result.push_back(GraphEvent{code, param1});
        session_->events->FreeEventParams(code, param1, param2);
    }
    return result;
}

std::string PlayerGraph::LastErrorText() const
{
    if (!session_ || !session_->diagnostics)
        return {};
    BSTR text = nullptr;
    if (session_->diagnostics->GetLastErrorText(&text) != S_OK)
        return {};
    std::string result = BstrToUtf8(text);
    SysFreeString(text);
    return result;
}

HRESULT PlayerGraph::GetGraph(IUnknown** graph) const
{
    if (graph == nullptr)
        return E_POINTER;
    *graph = nullptr;
    if (!session_)
        return S_FALSE;
    // Whoever takes the graph drives it from this thread: our commands finish first.
    session_->WaitIdle();
    return session_->graph->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(graph));
}

HWND PlayerGraph::RendererWindow() const
{
    HWND window = nullptr;
    if (session_ && session_->video)
        session_->video->get_RendererWindow(&window);
    return window;
}

void PlayerGraph::PlaceVideo(HWND owner, const RECT& rect)
{
    HWND window = RendererWindow();
    if (window == nullptr || owner == nullptr)
        return;
    if (GetParent(window) != owner)
        SetParent(window, owner);
    MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

}  // namespace mediaplayer
