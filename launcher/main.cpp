// selvane: keeps a program up to date in its own folder, then starts it.

#include <windows.h>

#include "application.h"
#include "form1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        platform::App().Initialize();
        platform::App().SetTitle(L"selvane");
        platform::App().CreateForm(Form1);
        platform::App().Run();
    } catch (const std::exception& error) {
        platform::App().ShowException(error);
    }
    return 0;
}
