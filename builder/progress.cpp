#include "progress.h"

namespace builder {

bool Progress::send(int percent) {
    if (!window_) return true;
    return SendMessageA(window_, WM_USER, static_cast<WPARAM>(percent), 0) == 0;
}

bool Progress::start() {
    counter_ = -1;
    return send(0);
}

bool Progress::step() {
    ++counter_;
    return send(counter_ * 100 / steps_);
}

void Progress::finish() { send(100); }

}  // namespace builder
