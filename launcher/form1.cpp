#include "form1.h"

#include <shellapi.h>

#include "application.h"
#include "download_target.h"
#include "launcher_folder.h"
#include "progress_range.h"
#include "split_string.h"
#include "target_file_name.h"
#include "version_record.h"
#include "version_request.h"

TForm1* Form1 = nullptr;

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
const platform::FontSpec kStatusFont{L"맑은 고딕", 12, true, ANSI_CHARSET};
constexpr WPARAM kMoveByCaption = SC_MOVE | HTCAPTION;  // 0xF012

constexpr wchar_t kStartText[] = L"Vexo 업데이트 진행중 입니다.";
constexpr wchar_t kCheckingText[] = L"시스템 업데이트 진행중 입니다.";
constexpr wchar_t kUpToDateText[] = L"시스템 최신 버전 입니다.";
constexpr wchar_t kDownloadedText[] = L"Program 업데이트가 완료 되었습니다.";

// The download waits let the window live: it repaints, moves and takes the X
// button. A quit request met there is recorded and honoured after the check.
net::DownloadSettings DownloadClientSettings() {
    net::DownloadSettings settings;
    settings.wait.on_wake = [] { platform::App().ProcessMessages(); };
    return settings;
}

// A file, not a folder, is there.
bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TForm1::TForm1()
    : Form(L"TForm1"),
      Image1(L"BACKGROUND"),
      CloseButton(L"CONFIRM"),
      xbutton(L"XBUTTON"),
      Label1(kStatusFont, kNavy),
      ProgressBar1(24, 31, 273, 17),
      Timer1(1000, true),
      clHttp1(DownloadClientSettings()) {
    // The layout as designed; FormCreate then makes the window borderless.
    SetBorderStyle(platform::BorderStyle::Dialog);
    SetClientSize(315, 120);
    SetStayOnTop(true);
    SetText(L"Form1");

    const HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
    Image1.SetPosition(-1, 0);
    CloseButton.SetPosition(135, 70);
    CloseButton.SetVisible(false);
    CloseButton.SetCursor(hand);
    xbutton.SetPosition(298, 1);
    xbutton.SetCursor(hand);
    Label1.SetPosition(44, 50);
    Label1.SetCaption(kStartText);
    AddControl(Image1);
    AddControl(CloseButton);
    AddControl(xbutton);
    AddControl(Label1);
    AddChildWindow(ProgressBar1);

    Image1.OnMouseDown = [this](platform::Control* sender, platform::MouseButton button, platform::ShiftState shift,
                                int x, int y) { Image1MouseDown(sender, button, shift, x, y); };
    CloseButton.OnClick = [this](platform::Control* sender) { CloseButtonClick(sender); };
    xbutton.OnClick = [this](platform::Control* sender) { xbuttonClick(sender); };
    Timer1.OnTimer = [this](platform::Timer* sender) { Timer1Timer(sender); };

    FormCreate(this);
    CreateHandle();
}

void TForm1::xbuttonClick(platform::Control*) { platform::App().Terminate(); }

void TForm1::Image1MouseDown(platform::Control*, platform::MouseButton, platform::ShiftState, int, int) {
    // Let the system move the window as if its title bar were dragged.
    ReleaseCapture();
    SendMessageW(Handle(), WM_SYSCOMMAND, kMoveByCaption, 0);
}

void TForm1::FormCreate(platform::Form*) {
    Form1->SetBrushStyle(platform::BrushStyle::Clear);
    Form1->SetBorderStyle(platform::BorderStyle::None);
    Form1->SetHeight(122);
    Form1->SetWidth(315);
}

void TForm1::Timer1Timer(platform::Timer*) {
    Timer1.SetEnabled(false);  // first, so the check runs once whatever it does
    CheckUpdate();
}

void TForm1::CloseButtonClick(platform::Control*) { StartTargetAndExit(); }

void TForm1::clHttp1ReceiveProgress(net::HttpDownloadClient*, std::int64_t ABytesProceed, std::int64_t ATotalBytes) {
    platform::App().ProcessMessages();
    if (ATotalBytes < 0) {  // no length announced yet: the bar runs
        ProgressBar1.SetMarquee(true);
        return;
    }
    ProgressBar1.SetMarquee(false);
    const updater::BarRange range = updater::ScaleToBar(ABytesProceed, ATotalBytes);
    ProgressBar1.SetMax(range.max);
    ProgressBar1.SetPosition(range.position);
    if (ProgressBar1.Position() == ProgressBar1.Max()) {
        CloseButton.SetVisible(true);
        Label1.SetCaption(kDownloadedText);
    }
}

void TForm1::CheckUpdate() {
    TArray pieces;
    SplitString("|", net::RequestVersionRecord(SELVANE_UPDATE_HOST), 0, pieces);
    if (pieces.size() < 3) {
        throw std::runtime_error(
            "The update server's reply was not understood: it must hold a version, a download address and a file "
            "name, separated by \"|\".");
    }
    ServerVersion = pieces[0];
    DownloadUrl = pieces[1];
    TargetFile = pieces[2];
    // The name is joined to our folder and may be started: it must stay a
    // plain file name there, whichever way the check goes.
    updater::CheckTargetFileName(TargetFile);

    if (IsFile(platform::LauncherFolder() + TargetFile)) {
        Label1.SetCaption(kCheckingText);
        if (ReadLocalVersion() == ServerVersion) {
            Label1.SetCaption(kUpToDateText);
            ProgressBar1.SetPosition(ProgressBar1.Max());
            CloseButton.SetVisible(true);
            StartTargetAndExit();
        }
    }
    TargetDir = platform::LauncherFolder();
    DownloadFile(DownloadUrl, TargetFile, TargetDir);
    WriteLocalVersion(ServerVersion);
}

void TForm1::DownloadFile(const std::string& URL, const std::string& FileName, const std::string& Folder) {
    updater::DownloadTarget(clHttp1, URL, FileName, Folder, [this](std::int64_t received, std::int64_t total) {
        clHttp1ReceiveProgress(&clHttp1, received, total);
    });
}

std::string TForm1::ReadLocalVersion() { return updater::ReadLocalVersion(platform::LauncherFolder()); }

void TForm1::WriteLocalVersion(const std::string& Version) {
    updater::WriteLocalVersion(platform::LauncherFolder(), Version);
}

void TForm1::StartTargetAndExit() {
    const std::string path = platform::LauncherFolder() + TargetFile;
    ShellExecuteA(Handle(), "OPEN", path.c_str(), nullptr, nullptr, SW_SHOW);
    ExitProcess(0);
}
