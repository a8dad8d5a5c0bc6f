// A target program for the launcher's tests: it records that it ran (its
// command line and working folder, in "<its own path>.ran") and ends.

#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char folder[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string record = std::string("command line: ") + GetCommandLineA() + "\r\nfolder: " + folder + "\r\n";
    const HANDLE file = CreateFileA((std::string(path) + ".ran").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
