#include "application.h"

#include <commctrl.h>
#include <objbase.h>

#include <array>

#include "error_box_text.h"
#include "form.h"
#include "windows_error.h"

namespace platform {

namespace {

constexpr wchar_t kWindowClass[] = L"TApplication";

// Every visible, enabled top-level window of this thread but the hidden one,
// and which of them were top-most.
struct TaskWindows {
    HWND application = nullptr;
    std::vector<HWND> disabled;
    std::vector<HWND> top_most;
};

BOOL CALLBACK CollectTaskWindow(HWND window, LPARAM context) {
    auto* windows = reinterpret_cast<TaskWindows*>(context);
    if (window == windows->application || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    windows->disabled.push_back(window);
    if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) windows->top_most.push_back(window);
    return TRUE;
}

constexpr UINT kRepositionOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

}  // namespace

Application& App() {
    static Application application;
    return application;
}

void Application::Initialize() {
    ThrowIfFailed(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), "CoInitializeEx");
    com_initialized_ = true;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, L"MAINICON");
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&window_class)) throw WindowsError("RegisterClassEx", GetLastError());

    // A window of no size, never seen itself: it carries the taskbar button,
    // the task switcher entry and the title, and it owns the forms.
    handle_ = CreateWindowExW(0, kWindowClass, L"", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                              nullptr, instance, nullptr);
    if (!handle_) throw WindowsError("CreateWindowEx", GetLastError());
    SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(window_class.hIcon));
    SendMessageW(handle_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), 0)));
}

Application::~Application() {
    forms_.clear();
    if (handle_) DestroyWindow(handle_);
    if (com_initialized_) CoUninitialize();
}

void Application::SetTitle(const std::wstring& title) { SetWindowTextW(handle_, title.c_str()); }

void Application::AddForm(Form* form) {
    forms_.emplace_back(form);
    if (!main_form_) main_form_ = form;
}

void Application::Run() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int show_command = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL;

    ShowWindow(handle_, SW_SHOWNOACTIVATE);  // the taskbar button
    if (show_command == SW_SHOWMINNOACTIVE) {
        ShowWindow(handle_, SW_SHOWMINNOACTIVE);
    } else if (main_form_) {
        main_form_->Show(show_command == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    }

    while (!terminated_) {
        MSG message;
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result <= 0) {
            terminated_ = true;
        } else {
            HandleMessage(message);
        }
    }
    forms_.clear();
    main_form_ = nullptr;
}

void Application::Terminate() { PostQuitMessage(0); }

void Application::ProcessMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            terminated_ = true;
        } else {
            HandleMessage(message);
        }
    }
}

void Application::HandleMessage(const MSG& message) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Application::ShowException(const std::exception& error) {
    const std::string text = ErrorBoxText(error.what());
    std::array<char, 256> caption{};
    GetWindowTextA(handle_, caption.data(), static_cast<int>(caption.size()));

    TaskWindows windows;
    windows.application = handle_;
    EnumThreadWindows(GetCurrentThreadId(), CollectTaskWindow, reinterpret_cast<LPARAM>(&windows));
    const HWND active = GetActiveWindow();
    for (HWND window : windows.top_most) SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kRepositionOnly);
    for (HWND window : windows.disabled) EnableWindow(window, FALSE);

    MessageBoxA(handle_, text.c_str(), caption.data(), MB_OK | MB_ICONSTOP);

    for (HWND window : windows.disabled) EnableWindow(window, TRUE);
    for (HWND window : windows.top_most) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kRepositionOnly);
    if (active) SetActiveWindow(active);
}

LRESULT CALLBACK Application::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CLOSE:  // "Close" on the taskbar button's menu
        App().Terminate();
        return 0;
    case WM_ENDSESSION:  // Windows is shutting down or the user logs off
        if (wparam) App().Terminate();
        return 0;
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == SC_RESTORE && App().main_form_) {
            const LRESULT result = DefWindowProcW(window, message, wparam, lparam);
            App().main_form_->Show(SW_SHOWNORMAL);
            return result;
        }
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace platform
