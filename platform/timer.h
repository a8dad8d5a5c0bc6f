#pragma once
// A system timer of the GUI thread. Its ticks come through the message loop,
// only when no other message is waiting.

#include <windows.h>

#include <functional>

namespace platform {

class Timer {
public:
    using TickHandler = std::function<void(Timer* Sender)>;

    // Starts counting at once when `enabled`.
    Timer(UINT interval_ms, bool enabled);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void SetEnabled(bool enabled);
    bool Enabled() const { return id_ != 0; }

    TickHandler OnTimer;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);

    UINT interval_ms_;
    UINT_PTR id_ = 0;
};

}  // namespace platform
