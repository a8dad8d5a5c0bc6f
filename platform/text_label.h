#pragma once
// A transparent one-line text label whose width follows its text. The text is
// Unicode and drawn with the wide-character API, so it reads the same on every
// Windows whatever its ANSI code page.

#include <string>

#include "control.h"
#include "win32_handles.h"

namespace platform {

struct FontSpec {
    std::wstring face;
    int character_height;  // pixels, without internal leading
    bool bold;
    BYTE charset;
};

class TextLabel : public Control {
public:
    TextLabel(const FontSpec& font, COLORREF colour);

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(std::wstring caption);
    void Paint(HDC dc) const override;

private:
    UniqueFont font_;
    COLORREF colour_;
    std::wstring caption_;
};

}  // namespace platform
