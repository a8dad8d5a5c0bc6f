#include "control.h"

#include "form.h"

namespace platform {

void Control::SetPosition(int left, int top) {
    Invalidate();
    left_ = left;
    top_ = top;
    Invalidate();
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Invalidate();
}

void Control::SetSize(int width, int height) {
    Invalidate();
    width_ = width;
    height_ = height;
    Invalidate();
}

void Control::Invalidate() const {
    if (parent_) parent_->Invalidate(Bounds());
}

}  // namespace platform
