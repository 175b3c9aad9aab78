#include "videosource/MessageWait.h"

#include "framework/Application.h"

#include <chrono>
#include <thread>

bool WaitProcessingMessages(const std::function<bool()>& done, int boundMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        Application->ProcessMessages();
        // Give the other threads (the graph's streaming thread among them) the processor
        // instead of spinning on an empty queue.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
