#pragma once
// A picture control: a JPEG from the executable's resources, painted at its
// position in its own size.

#include "control.h"
#include "win32_handles.h"

namespace platform {

class Picture : public Control {
public:
    // `resource` names an RCDATA resource holding a JPEG file.
    explicit Picture(const wchar_t* resource);
    void Paint(HDC dc) const override;

private:
    UniqueBitmap bitmap_;
};

}  // namespace platform
