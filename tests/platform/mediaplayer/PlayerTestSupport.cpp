#include "tests/platform/mediaplayer/PlayerTestSupport.h"

#include "framework/Application.h"
#include "platform/com/Bstr.h"
#include "platform/mediaplayer/MediaPlayerInstall.h"
#include "tests/platform/mediaplayer/GraphProbe.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <thread>

namespace playertest {

void EventLog::OpenState(TObject*, int oldState, int newState)
{
    entries.push_back("open " + std::to_string(oldState) + ">" + std::to_string(newState));
}

void EventLog::PlayState(TObject*, int oldState, int newState)
{
    entries.push_back("play " + std::to_string(oldState) + ">" + std::to_string(newState));
}

void EventLog::Ready(TObject*, int state)
{
    entries.push_back("ready " + std::to_string(state));
}

void EventLog::EndOfStream(TObject*, int result)
{
    entries.push_back("end " + std::to_string(result));
}

void EventLog::Error(TObject*)
{
    entries.push_back("error");
}

namespace {

std::string MouseText(const char* what, TMouseButton button, TShiftState shift, int x, int y)
{
    std::string text = what;
    text += button == mbLeft ? " left" : button == mbRight ? " right" : " middle";
    if (shift.Contains(ssShift))
        text += " shift";
    if (shift.Contains(ssLeft))
        text += " +left";
    if (shift.Contains(ssRight))
        text += " +right";
    return text + " " + std::to_string(x) + "," + std::to_string(y);
}

}  // namespace

void EventLog::MouseDown(TObject*, TMouseButton button, TShiftState shift, int x, int y)
{
    entries.push_back(MouseText("mousedown", button, shift, x, y));
}

void EventLog::MouseUp(TObject*, TMouseButton button, TShiftState shift, int x, int y)
{
    entries.push_back(MouseText("mouseup", button, shift, x, y));
}

void EventLog::Click(TObject*)
{
    entries.push_back("click");
}

void EventLog::KeyDown(TObject*, WORD& key, TShiftState)
{
    entries.push_back("keydown " + std::to_string(key));
}

void EventLog::Help(TObject*, bool& canShow)
{
    entries.push_back("help");
    canShow = false;
}

bool EventLog::Has(const std::string& entry) const
{
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

std::vector<std::string> EventLog::Starting(const std::string& prefix) const
{
    std::vector<std::string> result;
    for (const std::string& e : entries)
        if (e.rfind(prefix, 0) == 0)
            result.push_back(e);
    return result;
}

void PlayerTest::SetUp()
{
    AMovieUnitStart();
    ASSERT_EQ(S_OK, InstallMediaPlayerControl());
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 400, 320);
    movie_ = new TDerivedMovie_(form_);
    movie_->SetParent(form_);
    movie_->SetBounds(0, 0, 352, 316);
    movie_->OnOpenStateChange.Assign(&log_, &EventLog::OpenState);
    movie_->OnPlayStateChange.Assign(&log_, &EventLog::PlayState);
    movie_->OnReadyStateChange.Assign(&log_, &EventLog::Ready);
    movie_->OnEndOfStream.Assign(&log_, &EventLog::EndOfStream);
    movie_->OnError.Assign(&log_, &EventLog::Error);
    movie_->OnMouseDown.Assign(&log_, &EventLog::MouseDown);
    movie_->OnMouseUp.Assign(&log_, &EventLog::MouseUp);
    movie_->OnClick.Assign(&log_, &EventLog::Click);
    movie_->OnKeyDown.Assign(&log_, &EventLog::KeyDown);
    movie_->OnF1HelpInvoked.Assign(&log_, &EventLog::Help);
    movie_->HandleNeeded();
    player_ = movie_->GetPlayerInterface();
    ASSERT_TRUE(player_);
}

void PlayerTest::TearDown()
{
    player_.Reset();
    if (form_ != nullptr)
        form_->Free();
    form_ = nullptr;
    movie_ = nullptr;
    QCoreApplication::processEvents();
}

mediaplayer::IMediaPlayer* PlayerTest::Player()
{
    return player_.Get();
}

void PlayerTest::OpenAndWait(const std::string& path)
{
    ASSERT_FALSE(path.empty());
    UniqueBstr name(path);
    ASSERT_EQ(S_OK, Player()->Open(name.Get()));
    ASSERT_TRUE(WaitUntil([&] { return Int(mediaplayer::kDispOpenState) == mediaplayer::kOpenOpen; }));
}

ComPtr<IUnknown> PlayerTest::FilterGraph()
{
    ComPtr<mediaplayer::IActiveMovie> movie;
    if (ComQuery(player_.Get(), movie) != S_OK)
        return nullptr;
    ComPtr<IUnknown> graph;
    movie->get_FilterGraph(graph.ReleaseAndGetAddressOf());
    return graph;
}

int PlayerTest::ShownFrame()
{
    return ShownFrameNumber(FilterGraph().Get());
}

}  // namespace playertest
