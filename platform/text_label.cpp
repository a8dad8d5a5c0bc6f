#include "text_label.h"

#include "windows_error.h"

namespace platform {

namespace {

constexpr UINT kTextFormat = DT_LEFT | DT_SINGLELINE | DT_NOPREFIX;

}  // namespace

TextLabel::TextLabel(const FontSpec& font, COLORREF colour)
    : font_(CreateFontW(-font.character_height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                        font.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, font.face.c_str())),
      colour_(colour) {
    if (!font_) throw WindowsError("CreateFont", GetLastError());
}

void TextLabel::SetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    // Fit the label to its text; it grows to the right.
    ScreenDc screen;
    SelectedObject selected(screen, font_.get());
    RECT extent{0, 0, 0, 0};
    DrawTextW(screen, caption_.c_str(), static_cast<int>(caption_.size()), &extent, kTextFormat | DT_CALCRECT);
    SetSize(extent.right, extent.bottom);
}

void TextLabel::Paint(HDC dc) const {
    SelectedObject selected(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);  // the pictures under the label show through
    SetTextColor(dc, colour_);
    RECT bounds = Bounds();
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &bounds, kTextFormat);
}

}  // namespace platform
