#include "timer.h"

#include <map>

#include "application.h"
#include "windows_error.h"

namespace platform {

namespace {

// Thread timers carry no context of their own: the running ones by id.
std::map<UINT_PTR, Timer*>& RunningTimers() {
    static std::map<UINT_PTR, Timer*> timers;
    return timers;
}

}  // namespace

Timer::Timer(UINT interval_ms, bool enabled) : interval_ms_(interval_ms) { SetEnabled(enabled); }

Timer::~Timer() { SetEnabled(false); }

void Timer::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;
    if (enabled) {
        id_ = SetTimer(nullptr, 0, interval_ms_, Tick);
        if (!id_) throw WindowsError("SetTimer", GetLastError());
        RunningTimers()[id_] = this;
    } else {
        KillTimer(nullptr, id_);
        RunningTimers().erase(id_);
        id_ = 0;
    }
}

void CALLBACK Timer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = RunningTimers().find(id);
    if (found == RunningTimers().end()) return;
    Timer* timer = found->second;
    if (timer->OnTimer) RunHandler([timer] { timer->OnTimer(timer); });
}

}  // namespace platform
