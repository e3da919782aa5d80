// Controls and desktop services without a window, keeping the event rule, so the whole
// program runs (and is tested) without a display. Each one exposes what it was told.
#pragma once

#include "platform/controls.h"
#include "platform/runtime.h"

#include <string>
#include <vector>

namespace tarvel::platform {

class WindowlessList final : public ListAccess {
public:
    void clear() override;
    void append(std::string_view item) override;
    [[nodiscard]] int selectedIndex() const override { return selected_; }
    /// An index outside the items selects nothing, as a real list would.
    void setSelectedIndex(int index) override;
    void setClickHandler(Handler handler) override { click_ = std::move(handler); }

    [[nodiscard]] const std::vector<std::string>& items() const { return items_; }
    /// The item shown as selected, or "" when none is.
    [[nodiscard]] std::string selectedItem() const;

private:
    std::vector<std::string> items_;
    int selected_ = -1;
    Handler click_;
};

class WindowlessText final : public TextAccess {
public:
    explicit WindowlessText(std::string initial = {}) : text_(std::move(initial)) {}

    [[nodiscard]] std::string text() const override { return text_; }
    void setText(std::string_view text) override;
    void setChangeHandler(Handler handler) override { change_ = std::move(handler); }
    void setKeyPressHandler(KeyHandler handler) override { keyPress_ = std::move(handler); }

    /// The user types one character key with the cursor at the end: the key handler sees
    /// it first; backspace (8) then deletes the last character, 0 does nothing, and any
    /// other code is appended.
    void type(char16_t code);
    /// What the key handler makes of a typed key, without typing it.
    [[nodiscard]] char16_t filtered(char16_t code) const {
        if (keyPress_) {
            keyPress_(code);
        }
        return code;
    }
    /// The user pastes from the context menu at the end of the text: no key handler.
    void paste(std::string_view text);

    /// How many times the program or the user actually changed the text.
    [[nodiscard]] int changes() const { return changes_; }

private:
    std::string text_;
    Handler change_;
    KeyHandler keyPress_;
    int changes_ = 0;
};

class WindowlessLabel final : public CaptionAccess {
public:
    [[nodiscard]] std::string caption() const override { return caption_; }
    void setCaption(std::string_view caption) override { caption_ = caption; }

private:
    std::string caption_;
};

/// A button the test presses by calling pressed().
using WindowlessButton = PressedButton;

class WindowlessRuntime final : public Runtime {
public:
    explicit WindowlessRuntime(NumberLocale locale = {}) : locale_(locale) {}

    [[nodiscard]] NumberLocale numberLocale() const override { return locale_; }
    void beep() override { ++beeps_; }
    void end() override { ended_ = true; }

    [[nodiscard]] int beeps() const { return beeps_; }
    [[nodiscard]] bool ended() const { return ended_; }

private:
    NumberLocale locale_;
    int beeps_ = 0;
    bool ended_ = false;
};

}  // namespace tarvel::platform
