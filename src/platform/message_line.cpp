#include "platform/message_line.h"

#include <utility>

namespace tarvel::platform {

void MessageLine::setCaption(std::string_view caption) {
    caption_ = caption;
    face_.show(caption_);
    // Nothing to look at later while the line shows what stood last; most computations write
    // the empty line over the empty line.
    if (pending_ || caption_ == settled_) {
        return;
    }
    pending_ = face_.afterEvent([this, alive = std::weak_ptr<int>(alive_)] {
        if (!alive.expired()) {
            settle();
        }
    });
}

void MessageLine::settle() {
    pending_ = false;
    if (caption_ == settled_) {
        return;
    }
    settled_ = caption_;
    face_.announce(settled_);
}

}  // namespace tarvel::platform
