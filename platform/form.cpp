#include "form.h"

#include <windowsx.h>

#include "application.h"
#include "control.h"
#include "win32_handles.h"
#include "windows_error.h"

namespace platform {

namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD kBorderlessStyle = WS_POPUP | WS_CLIPCHILDREN;

// The modifier keys and buttons of a mouse message, as the MK_* flags.
ShiftState ShiftOf(WPARAM wparam) { return static_cast<ShiftState>(GET_KEYSTATE_WPARAM(wparam)); }

}  // namespace

Form::Form(std::wstring class_name) : class_name_(std::move(class_name)) {}

Form::~Form() {
    if (handle_) {
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

void Form::SetClientSize(int width, int height) {
    RECT bounds{0, 0, width, height};
    AdjustWindowRectEx(&bounds, Style(), FALSE, ExtendedStyle());
    width_ = bounds.right - bounds.left;
    height_ = bounds.bottom - bounds.top;
}

DWORD Form::Style() const { return border_style_ == BorderStyle::None ? kBorderlessStyle : kDialogStyle; }

DWORD Form::ExtendedStyle() const {
    DWORD style = stay_on_top_ ? WS_EX_TOPMOST : 0;
    if (border_style_ == BorderStyle::Dialog) style |= WS_EX_DLGMODALFRAME;
    return style;
}

void Form::AddControl(Control& control) {
    control.SetParent(this);
    controls_.push_back(&control);
}

void Form::AddChildWindow(ChildWindow& child) { children_.push_back(&child); }

void Form::CreateHandle() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    if (!GetClassInfoExW(instance, class_name_.c_str(), &window_class)) {
        window_class.style = CS_DBLCLKS;
        window_class.lpfnWndProc = WindowProc;
        window_class.hInstance = instance;
        window_class.hIcon = LoadIconW(instance, L"MAINICON");
        window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
        window_class.hbrBackground =
            brush_style_ == BrushStyle::Clear ? nullptr : GetSysColorBrush(COLOR_WINDOW);
        window_class.lpszClassName = class_name_.c_str();
        if (!RegisterClassExW(&window_class)) throw WindowsError("RegisterClassEx", GetLastError());
    }

    // Centred on the primary screen, with integer division.
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width_) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height_) / 2;
    handle_ = CreateWindowExW(ExtendedStyle(), class_name_.c_str(), text_.c_str(), Style(), left, top,
                              width_, height_, App().Handle(), nullptr, instance, this);
    if (!handle_) throw WindowsError("CreateWindowEx", GetLastError());
    for (ChildWindow* child : children_) child->CreateIn(handle_);
}

void Form::Show(int show_command) { ShowWindow(handle_, show_command); }

void Form::Invalidate(const RECT& area) {
    if (handle_) InvalidateRect(handle_, &area, FALSE);
}

Control* Form::ControlAt(POINT point) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        const RECT bounds = (*it)->Bounds();
        if ((*it)->Visible() && PtInRect(&bounds, point)) return *it;
    }
    return nullptr;
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        form->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form) return DefWindowProcW(window, message, wparam, lparam);
    LRESULT result = 0;
    bool handled = false;
    RunHandler([&] {
        result = form->HandleMessage(message, wparam, lparam);
        handled = true;
    });
    return handled ? result : 0;
}

LRESULT Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        if (brush_style_ == BrushStyle::Clear) return 1;  // the pictures cover everything
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        OnMouseDown(message, wparam, lparam);
        return 0;
    case WM_LBUTTONUP:
        OnLeftButtonUp(lparam);
        return 0;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (GetCapture() == handle_) ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        pressed_ = nullptr;
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wparam) == handle_ && LOWORD(lparam) == HTCLIENT && OnSetCursor()) return TRUE;
        break;
    case WM_CLOSE:
        App().Terminate();  // closing the window asks the application to end
        return 0;
    }
    return DefWindowProcW(handle_, message, wparam, lparam);
}

void Form::OnPaint() {
    PAINTSTRUCT paint;
    const HDC window_dc = BeginPaint(handle_, &paint);
    RECT client;
    GetClientRect(handle_, &client);
    // Paint into a bitmap first, so the pictures and the text over them never flicker.
    UniqueMemoryDc buffer_dc(CreateCompatibleDC(window_dc));
    UniqueBitmap buffer(CreateCompatibleBitmap(window_dc, client.right, client.bottom));
    {
        SelectedObject selected(buffer_dc.get(), buffer.get());
        for (const Control* control : controls_) {
            if (control->Visible()) control->Paint(buffer_dc.get());
        }
        BitBlt(window_dc, 0, 0, client.right, client.bottom, buffer_dc.get(), 0, 0, SRCCOPY);
    }
    EndPaint(handle_, &paint);
}

void Form::OnMouseDown(UINT message, WPARAM wparam, LPARAM lparam) {
    const POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    Control* control = ControlAt(point);
    if (!control) return;
    // The press is the control's until the button is released, even outside it.
    SetCapture(handle_);
    MouseButton button = MouseButton::Left;
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) button = MouseButton::Right;
    if (message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK) button = MouseButton::Middle;
    if (button == MouseButton::Left) pressed_ = control;
    if (control->OnMouseDown) {
        const RECT bounds = control->Bounds();
        control->OnMouseDown(control, button, ShiftOf(wparam), point.x - bounds.left, point.y - bounds.top);
    }
}

void Form::OnLeftButtonUp(LPARAM lparam) {
    Control* pressed = pressed_;
    if (GetCapture() == handle_) ReleaseCapture();  // clears pressed_ through WM_CAPTURECHANGED
    pressed_ = nullptr;
    const POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    if (pressed && ControlAt(point) == pressed && pressed->OnClick) pressed->OnClick(pressed);
}

bool Form::OnSetCursor() {
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(handle_, &point);
    const Control* control = ControlAt(point);
    if (!control) return false;
    ::SetCursor(control->Cursor());
    return true;
}

}  // namespace platform
