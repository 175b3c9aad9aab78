#include "framework/TerminationSignals.h"

#include "framework/FileWriter.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace termination {
namespace {

constexpr int Caught[] = {SIGINT, SIGTERM, SIGHUP};

int g_pipe[2] = {-1, -1};
std::atomic<int> g_count{0};
static_assert(std::atomic<int>::is_always_lock_free);

void OnSignal(int signal)
{
    const int savedErrno = errno;
    if (g_count.fetch_add(1) == 0) {
        const unsigned char number = static_cast<unsigned char>(signal);
        (void)!::write(g_pipe[1], &number, 1);
    } else {
        CutOpenFilesToWholeUnits();
        ::_exit(128 + signal);
    }
    errno = savedErrno;
}

} // namespace

int InstallHandlers() noexcept
{
    if (g_pipe[0] >= 0)
        return g_pipe[0];
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return -1;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    ::sigemptyset(&action.sa_mask);
    for (int signal : Caught)
        ::sigaddset(&action.sa_mask, signal); // one handler at a time
    action.sa_flags = SA_RESTART;
    for (int signal : Caught) {
        // A signal ignored when the program started (nohup, a background job) stays ignored.
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
    return g_pipe[0];
}

int TakeSignal() noexcept
{
    if (g_pipe[0] < 0)
        return 0;
    unsigned char number = 0;
    int first = 0;
    while (::read(g_pipe[0], &number, 1) == 1)
        if (first == 0)
            first = number;
    return first;
}

} // namespace termination
