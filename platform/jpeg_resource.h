#pragma once
// Decodes a JPEG kept as an RCDATA resource with the system's image decoder
// (Windows Imaging Component).

#include <windows.h>

#include "win32_handles.h"

namespace platform {

struct DecodedPicture {
    UniqueBitmap bitmap;  // a 32-bit top-down DIB section
    int width = 0;
    int height = 0;
};

DecodedPicture DecodeJpegResource(const wchar_t* resource);

}  // namespace platform
