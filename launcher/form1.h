#pragma once
// The launcher window: title band, status text, progress bar, X button and,
// once an update is done, the confirm button.

#include <string>

#include "form.h"
#include "http_download.h"
#include "picture.h"
#include "progress_bar.h"
#include "text_label.h"
#include "timer.h"

class TForm1 : public platform::Form {
public:
    TForm1();

    // Controls, in the order they are declared and painted.
    platform::Picture Image1;       // background; dragging it moves the window
    platform::Picture CloseButton;  // confirm button, shown once an update is done
    platform::Picture xbutton;      // X button: ends the launcher
    platform::TextLabel Label1;     // status text
    platform::ProgressBar ProgressBar1;
    platform::Timer Timer1;         // starts the update check once, a second after start
    net::HttpDownloadClient clHttp1;  // the download client

    void xbuttonClick(platform::Control* Sender);
    void Image1MouseDown(platform::Control* Sender, platform::MouseButton Button, platform::ShiftState Shift, int X,
                         int Y);
    void FormCreate(platform::Form* Sender);
    void Timer1Timer(platform::Timer* Sender);
    void CloseButtonClick(platform::Control* Sender);
    void clHttp1ReceiveProgress(net::HttpDownloadClient* Sender, std::int64_t ABytesProceed, std::int64_t ATotalBytes);

private:
    void CheckUpdate();
    void DownloadFile(const std::string& URL, const std::string& FileName, const std::string& Folder);
    std::string ReadLocalVersion();
    void WriteLocalVersion(const std::string& Version);
    [[noreturn]] void StartTargetAndExit();

    // The update state, as the version server's record gives it.
    std::string ServerVersion;
    std::string DownloadUrl;
    std::string TargetDir;
    std::string TargetFile;
};

// The one launcher window. It is set before the window is constructed.
extern TForm1* Form1;
