#include "platform/windowless.h"

namespace tarvel::platform {

std::string WindowlessList::selectedItem() const {
    const int selected = selectedIndex();
    return selected < 0 ? std::string{} : items_[static_cast<std::size_t>(selected)];
}

void WindowlessText::type(char16_t key) {
    const char16_t code = typed(key);
    if (code == 0) {
        return;
    }
    std::string next = text_;
    if (code == 8) {
        // Remove one whole UTF-8 character.
        while (!next.empty() && (static_cast<unsigned char>(next.back()) & 0xC0) == 0x80) {
            next.pop_back();
        }
        if (!next.empty()) {
            next.pop_back();
        }
    } else {
        next += textFromCode(code);
    }
    setText(next);
}

void WindowlessText::paste(std::string_view text) { setText(text_ + std::string(text)); }

}  // namespace tarvel::platform
