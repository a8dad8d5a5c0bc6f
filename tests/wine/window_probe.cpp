// Looks at the launcher's windows from inside Windows, as a spy tool would,
// and prints what it sees as key=value lines (UTF-8) for the window tests.
//
//   window_probe form       the launcher window and its owner
//   window_probe msgbox-ok  presses OK on the launcher's open message box

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string TextOf(HWND window) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, 1024);
    return Utf8(buffer);
}

std::string ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return Utf8(buffer);
}

void Print(const char* key, const std::string& value) { std::printf("%s=%s\n", key, value.c_str()); }
void Print(const char* key, long long value) { std::printf("%s=%lld\n", key, value); }

void PrintOwner(HWND window) {
    const HWND owner = GetWindow(window, GW_OWNER);
    Print("owner_class", owner ? ClassOf(owner) : "");
    Print("owner_title", owner ? TextOf(owner) : "");
}

int Form() {
    const HWND form = FindWindowW(L"TForm1", nullptr);
    if (!form) return 2;
    RECT bounds;
    GetWindowRect(form, &bounds);
    const LONG_PTR extended = GetWindowLongPtrW(form, GWL_EXSTYLE);
    Print("left", bounds.left);
    Print("top", bounds.top);
    Print("width", bounds.right - bounds.left);
    Print("height", bounds.bottom - bounds.top);
    Print("topmost", (extended & WS_EX_TOPMOST) != 0);
    Print("appwindow", (extended & WS_EX_APPWINDOW) != 0);
    Print("caption_style", (GetWindowLongPtrW(form, GWL_STYLE) & WS_CAPTION) != 0);
    Print("enabled", IsWindowEnabled(form) != 0);
    Print("visible", IsWindowVisible(form) != 0);
    Print("text", TextOf(form));
    PrintOwner(form);
    return 0;
}

int PressOk() {
    const HWND box = FindWindowW(L"#32770", nullptr);
    if (!box) return 2;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "form") == 0) return Form();
    if (std::strcmp(command, "msgbox-ok") == 0) return PressOk();
    std::fprintf(stderr, "usage: window_probe form|msgbox-ok\n");
    return 1;
}
