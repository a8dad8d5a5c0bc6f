#pragma once
// The system's progress bar control, a child window of the form. Like the
// control itself, it holds its position within its range.

#include <windows.h>

#include "control.h"

namespace platform {

class ProgressBar : public ChildWindow {
public:
    ProgressBar(int left, int top, int width, int height);

    void CreateIn(HWND parent) override;
    HWND Handle() const { return handle_; }

    // A bar that runs without a position, for a size not known yet.
    void SetMarquee(bool running);
    void SetMax(int max);
    void SetPosition(int position);
    int Max() const;
    int Position() const;

private:
    RECT bounds_;
    HWND handle_ = nullptr;
    int max_ = 100;
    int position_ = 0;
    int step_ = 10;
    bool marquee_ = false;
};

}  // namespace platform
