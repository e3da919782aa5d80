// The event rule kept in one place for controls whose element only holds rows or a text and
// tells of the user's changes: the window-less controls and the page's. A face of that kind
// writes the element's own operations and nothing of the rule.
#pragma once

#include "platform/controls.h"

#include <string_view>
#include <utility>

namespace tarvel::platform {

/// A list whose selection is kept here. The element may select a row by itself (a drop-down
/// <select> selects its first option as one is added): what the form reads is the selection
/// the program set or the user chose.
class KeptList : public ListAccess {
public:
    void clear() final {
        clearRows();
        count_ = 0;
        selected_ = -1;
    }
    void append(std::string_view item) final {
        appendRow(item);
        ++count_;
    }
    [[nodiscard]] int selectedIndex() const final { return selected_; }
    /// An index outside the rows selects nothing, as a real list would.
    void setSelectedIndex(int index) final {
        if (index < 0 || index >= count_) {
            index = -1;
        }
        if (index != selected_) {
            selected_ = index;
            showSelected(index);
            raise();
        }
    }
    void setClickHandler(Handler handler) final { click_ = std::move(handler); }

protected:
    /// The user chose row `index` in the element.
    void chosen(int index) {
        if (index != selected_) {
            selected_ = index;
            raise();
        }
    }

private:
    virtual void clearRows() = 0;
    virtual void appendRow(std::string_view item) = 0;
    virtual void showSelected(int index) = 0;
    void raise() const {
        if (click_) {
            click_();
        }
    }

    int count_ = 0;
    int selected_ = -1;
    Handler click_;
};

/// A text box whose element holds the text; the rule's writes and events are kept here.
class KeptText : public TextAccess {
public:
    void setText(std::string_view text) final {
        if (text != this->text()) {
            writeText(text);
            edited();
        }
    }
    void setChangeHandler(Handler handler) final { change_ = std::move(handler); }
    void setKeyPressHandler(KeyHandler handler) final { keyPress_ = std::move(handler); }

protected:
    /// The text changed: the program wrote it or the user edited it.
    void edited() const {
        if (change_) {
            change_();
        }
    }
    /// What the key handler makes of a typed character; 0 swallows it.
    [[nodiscard]] char16_t typed(char16_t code) const {
        if (keyPress_) {
            keyPress_(code);
        }
        return code;
    }

private:
    virtual void writeText(std::string_view text) = 0;

    Handler change_;
    KeyHandler keyPress_;
};

}  // namespace tarvel::platform
