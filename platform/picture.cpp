#include "picture.h"

#include "jpeg_resource.h"

namespace platform {

Picture::Picture(const wchar_t* resource) {
    DecodedPicture decoded = DecodeJpegResource(resource);
    bitmap_ = std::move(decoded.bitmap);
    SetSize(decoded.width, decoded.height);
}

void Picture::Paint(HDC dc) const {
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    SelectedObject selected(source.get(), bitmap_.get());
    const RECT bounds = Bounds();
    BitBlt(dc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, source.get(), 0, 0,
           SRCCOPY);
}

}  // namespace platform
