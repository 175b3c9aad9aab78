// Accelerator tables, kept by handle in a locked map: they may be made on one thread and
// asked on another, and a stale handle must not crash.
#include "platform/user/WinUser.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

namespace {

struct AcceleratorTables {
    std::mutex lock;
    std::map<std::uintptr_t, std::vector<ACCEL>> tables;
    std::uintptr_t nextHandle = 0x1000;
};

AcceleratorTables& Tables()
{
    static auto* tables = new AcceleratorTables; // outlives static destruction at exit
    return *tables;
}

bool Pressed(int virtualKey) { return GetKeyState(virtualKey) < 0; }

} // namespace

HACCEL CreateAcceleratorTableA(const ACCEL* entries, int count)
{
    if (entries == nullptr || count <= 0)
        return nullptr;
    AcceleratorTables& t = Tables();
    std::lock_guard guard(t.lock);
    const std::uintptr_t handle = t.nextHandle++;
    t.tables[handle] = std::vector<ACCEL>(entries, entries + count);
    return reinterpret_cast<HACCEL>(handle);
}

BOOL DestroyAcceleratorTable(HACCEL table)
{
    AcceleratorTables& t = Tables();
    std::lock_guard guard(t.lock);
    return t.tables.erase(reinterpret_cast<std::uintptr_t>(table)) != 0 ? TRUE : FALSE;
}

int CopyAcceleratorTableA(HACCEL table, ACCEL* entries, int count)
{
    AcceleratorTables& t = Tables();
    std::lock_guard guard(t.lock);
    const auto it = t.tables.find(reinterpret_cast<std::uintptr_t>(table));
    if (it == t.tables.end())
        return 0;
    const int size = static_cast<int>(it->second.size());
    if (entries == nullptr)
        return size;
    const int copied = std::min(size, count);
    for (int i = 0; i < copied; ++i)
        entries[i] = it->second[static_cast<std::size_t>(i)];
    return copied;
}

BOOL IsAccelerator(HACCEL table, int count, const MSG* message, WORD* cmd)
{
    if (message == nullptr || count <= 0)
        return FALSE;
    const UINT m = message->message;
    const bool keyDown = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
    const bool character = m == WM_CHAR || m == WM_SYSCHAR;
    if (!keyDown && !character)
        return FALSE;
    const bool alt = (message->lParam & (1 << 29)) != 0 || Pressed(VK_MENU);
    const bool shift = Pressed(VK_SHIFT);
    const bool control = Pressed(VK_CONTROL);
    std::vector<ACCEL> entries(static_cast<std::size_t>(count));
    const int found = CopyAcceleratorTableA(table, entries.data(), count);
    for (int i = 0; i < found; ++i) {
        const ACCEL& a = entries[static_cast<std::size_t>(i)];
        if (a.key != message->wParam || ((a.fVirt & FALT) != 0) != alt)
            continue;
        if ((a.fVirt & FVIRTKEY) != 0) {
            if (!keyDown || ((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != control)
                continue;
        } else if (!character) {
            continue;
        }
        if (cmd != nullptr)
            *cmd = a.cmd;
        return TRUE;
    }
    return FALSE;
}
