#include "app/MoviePlayer.h"

#include "convert/MovieFormat.h"

#include <algorithm>

void TMoviePlayer::Open(const std::string& path)
{
    Close();
    const TMovieSeries series = FindMovieSeries(path);
    OpenFile(path, series.number);
    series_ = series;
    chosen_ = path;
    open_ = true;
}

void TMoviePlayer::Close() noexcept
{
    reader_.Close();
    series_ = {};
    chosen_.clear();
    open_ = false;
    stale_ = false;
    atEnd_ = false;
    playing_ = false;
    index_ = 0;
    fileNumber_ = 0;
    frame_ = {};
    shown_ = {};
}

void TMoviePlayer::OpenFile(const std::string& path, int fileNumber)
{
    reader_.Open(path);
    index_ = 0;
    fileNumber_ = fileNumber;
    ShowCurrent();
}

void TMoviePlayer::ShowCurrent()
{
    frame_ = UnpackMovieFrame(reader_.ReadFrame(index_));
    shown_.index = index_;
    shown_.frames = reader_.FrameCount();
    shown_.tailBytes = reader_.TailBytes();
    shown_.fileNumber = fileNumber_;
}

void TMoviePlayer::Rewind()
{
    try {
        OpenFile(chosen_, series_.number);
        stale_ = false;
        atEnd_ = false;
    } catch (...) {
        Fail();
        throw;
    }
}

void TMoviePlayer::Fail()
{
    playing_ = false;
    stale_ = true;
}

void TMoviePlayer::Play(std::int64_t nowNs)
{
    if (!open_ || playing_)
        return;
    if (stale_ || atEnd_)
        Rewind();
    playing_ = true;
    startNs_ = nowNs;
    stepsShown_ = 0;
}

void TMoviePlayer::Stop()
{
    if (!open_)
        return;
    playing_ = false;
    Rewind();
}

bool TMoviePlayer::StepForward()
{
    if (index_ + 1 < reader_.FrameCount()) {
        ++index_;
        return true;
    }
    if (!series_.IsSeries() || fileNumber_ >= series_.last)
        return false;
    // The next member is read when reached; it may have gone since the series was found.
    reader_.Open(series_.Member(fileNumber_ + 1));
    ++fileNumber_;
    index_ = 0;
    return true;
}

bool TMoviePlayer::Tick(std::int64_t nowNs)
{
    if (!playing_)
        return false;
    const std::int64_t due = std::max<std::int64_t>(0, (nowNs - startNs_) / FramePeriodNs);
    if (due <= stepsShown_)
        return false;
    try {
        bool moved = false;
        while (stepsShown_ < due) {
            if (!StepForward()) {
                playing_ = false;
                atEnd_ = true;
                break;
            }
            ++stepsShown_;
            moved = true;
        }
        if (moved)
            ShowCurrent();
        return moved;
    } catch (...) {
        Fail();
        throw;
    }
}

std::int64_t TMoviePlayer::NsUntilNextFrame(std::int64_t nowNs) const noexcept
{
    return std::max<std::int64_t>(0, startNs_ + (stepsShown_ + 1) * FramePeriodNs - nowNs);
}
