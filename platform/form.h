#pragma once
// A top-level window that paints windowless controls (pictures, labels) in
// order and hosts child windows such as a progress bar.

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

class Control;
class ChildWindow;

enum class BorderStyle { Dialog, None };
enum class BrushStyle { Solid, Clear };

class Form {
public:
    explicit Form(std::wstring class_name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return handle_; }

    // Settings that take effect when the window is created.
    void SetBorderStyle(BorderStyle style) { border_style_ = style; }
    void SetBrushStyle(BrushStyle style) { brush_style_ = style; }
    void SetClientSize(int width, int height);
    void SetWidth(int width) { width_ = width; }
    void SetHeight(int height) { height_ = height; }
    void SetStayOnTop(bool on_top) { stay_on_top_ = on_top; }
    void SetText(std::wstring text) { text_ = std::move(text); }

    // Creates the window, centred on the primary screen and owned by the
    // application's hidden window.
    void CreateHandle();
    void Show(int show_command);

    void Invalidate(const RECT& area);

protected:
    // Windowless controls, painted in the order they are added; the last one
    // added is on top and gets the mouse first.
    void AddControl(Control& control);
    void AddChildWindow(ChildWindow& child);

private:
    DWORD Style() const;
    DWORD ExtendedStyle() const;
    Control* ControlAt(POINT point) const;
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
    void OnPaint();
    void OnMouseDown(UINT message, WPARAM wparam, LPARAM lparam);
    void OnLeftButtonUp(LPARAM lparam);
    bool OnSetCursor();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    std::wstring class_name_;
    std::wstring text_;
    HWND handle_ = nullptr;
    BorderStyle border_style_ = BorderStyle::Dialog;
    BrushStyle brush_style_ = BrushStyle::Solid;
    bool stay_on_top_ = false;
    int width_ = 0;
    int height_ = 0;
    std::vector<Control*> controls_;
    std::vector<ChildWindow*> children_;
    Control* pressed_ = nullptr;  // the control a left press went to, until its release
};

}  // namespace platform
