#include "platform/windowless.h"

namespace tarvel::platform {

void WindowlessList::clear() {
    items_.clear();
    selected_ = -1;
}

void WindowlessList::append(std::string_view item) { items_.emplace_back(item); }

void WindowlessList::setSelectedIndex(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) {
        index = -1;
    }
    if (index == selected_) {
        return;
    }
    selected_ = index;
    if (click_) {
        click_();
    }
}

std::string WindowlessList::selectedItem() const {
    return selected_ < 0 ? std::string{} : items_[static_cast<std::size_t>(selected_)];
}

void WindowlessText::setText(std::string_view text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    ++changes_;
    if (change_) {
        change_();
    }
}

void WindowlessText::type(char16_t code) {
    if (keyPress_) {
        keyPress_(code);
    }
    if (code == 0) {
        return;
    }
    std::string edited = text_;
    if (code == 8) {
        // Remove one whole UTF-8 character.
        while (!edited.empty() && (static_cast<unsigned char>(edited.back()) & 0xC0) == 0x80) {
            edited.pop_back();
        }
        if (!edited.empty()) {
            edited.pop_back();
        }
    } else {
        edited += textFromCode(code);
    }
    setText(edited);
}

void WindowlessText::paste(std::string_view text) { setText(text_ + std::string(text)); }

}  // namespace tarvel::platform
