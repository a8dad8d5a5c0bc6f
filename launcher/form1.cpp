#include "form1.h"

#include <shellapi.h>

#include "application.h"
#include "launcher_folder.h"
#include "version_record.h"

TForm1* Form1 = nullptr;

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
const platform::FontSpec kStatusFont{L"맑은 고딕", 12, true, ANSI_CHARSET};
constexpr WPARAM kMoveByCaption = SC_MOVE | HTCAPTION;  // 0xF012

}  // namespace

TForm1::TForm1()
    : Form(L"TForm1"),
      Image1(L"BACKGROUND"),
      CloseButton(L"CONFIRM"),
      xbutton(L"XBUTTON"),
      Label1(kStatusFont, kNavy),
      ProgressBar1(24, 31, 273, 17),
      Timer1(1000, true) {
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
    Label1.SetCaption(L"Vexo 업데이트 진행중 입니다.");
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

// The update check arrives with the version request; until then the tick
// only stops the timer.
void TForm1::CheckUpdate() {}

std::string TForm1::ReadLocalVersion() { return updater::ReadLocalVersion(platform::LauncherFolder()); }

void TForm1::WriteLocalVersion(const std::string& Version) {
    updater::WriteLocalVersion(platform::LauncherFolder(), Version);
}

void TForm1::StartTargetAndExit() {
    const std::string path = platform::LauncherFolder() + TargetFile;
    ShellExecuteA(Handle(), "OPEN", path.c_str(), nullptr, nullptr, SW_SHOW);
    ExitProcess(0);
}
