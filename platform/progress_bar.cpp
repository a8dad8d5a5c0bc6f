#include "progress_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "windows_error.h"

namespace platform {

ProgressBar::ProgressBar(int left, int top, int width, int height)
    : bounds_{left, top, left + width, top + height} {}

void ProgressBar::CreateIn(HWND parent) {
    // Segmented, not smooth; horizontal.
    handle_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, bounds_.left, bounds_.top,
                              bounds_.right - bounds_.left, bounds_.bottom - bounds_.top, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!handle_) throw WindowsError("CreateWindowEx(progress bar)", GetLastError());
    SendMessageW(handle_, PBM_SETRANGE32, 0, max_);
    SendMessageW(handle_, PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
    SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void ProgressBar::SetMarquee(bool running) {
    if (marquee_ == running || !handle_) return;
    marquee_ = running;
    const LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
    if (running) {
        SetWindowLongPtrW(handle_, GWL_STYLE, style | PBS_MARQUEE);
        SendMessageW(handle_, PBM_SETMARQUEE, TRUE, 30);
    } else {
        SendMessageW(handle_, PBM_SETMARQUEE, FALSE, 0);
        SetWindowLongPtrW(handle_, GWL_STYLE, style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    }
}

void ProgressBar::SetMax(int max) {
    max_ = max;
    if (handle_) SendMessageW(handle_, PBM_SETRANGE32, 0, max_);
}

void ProgressBar::SetPosition(int position) {
    position_ = std::clamp(position, 0, max_);
    if (handle_) SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

int ProgressBar::Max() const {
    return handle_ ? static_cast<int>(SendMessageW(handle_, PBM_GETRANGE, FALSE, 0)) : max_;
}

int ProgressBar::Position() const {
    return handle_ ? static_cast<int>(SendMessageW(handle_, PBM_GETPOS, 0, 0)) : position_;
}

}  // namespace platform
