#pragma once
// Windowless controls: they have no window of their own; the form paints them
// and routes the mouse to them.

#include <windows.h>

#include <functional>

namespace platform {

class Form;

enum class MouseButton { Left, Right, Middle };

// Modifier keys and buttons held during a mouse event (the MK_* flags).
using ShiftState = unsigned;

class Control {
public:
    using ClickHandler = std::function<void(Control* Sender)>;
    using MouseDownHandler =
        std::function<void(Control* Sender, MouseButton Button, ShiftState Shift, int X, int Y)>;

    virtual ~Control() = default;

    void SetParent(Form* form) { parent_ = form; }
    RECT Bounds() const { return {left_, top_, left_ + width_, top_ + height_}; }
    void SetPosition(int left, int top);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    HCURSOR Cursor() const { return cursor_; }
    void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

    ClickHandler OnClick;
    MouseDownHandler OnMouseDown;

    virtual void Paint(HDC dc) const = 0;

protected:
    void SetSize(int width, int height);
    void Invalidate() const;

private:
    Form* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    HCURSOR cursor_ = LoadCursor(nullptr, IDC_ARROW);
};

// A child window of a form (the progress bar): created with the form's window.
class ChildWindow {
public:
    virtual ~ChildWindow() = default;
    virtual void CreateIn(HWND parent) = 0;
};

}  // namespace platform
