// Controls and desktop services without a window, keeping the event rule, so the whole
// program runs (and is tested) without a display. Each one exposes what it was told.
#pragma once

#include "platform/controls.h"
#include "platform/kept_controls.h"
#include "platform/runtime.h"

#include <string>
#include <vector>

namespace tarvel::platform {

class WindowlessList final : public KeptList {
public:
    [[nodiscard]] const std::vector<std::string>& items() const { return items_; }
    /// The item shown as selected, or "" when none is.
    [[nodiscard]] std::string selectedItem() const;

private:
    void clearRows() override { items_.clear(); }
    void appendRow(std::string_view item) override { items_.emplace_back(item); }
    void showSelected(int /*index*/) override {}

    std::vector<std::string> items_;
};

class WindowlessText final : public KeptText {
public:
    explicit WindowlessText(std::string initial = {}) : text_(std::move(initial)) {}

    [[nodiscard]] std::string text() const override { return text_; }

    /// The user types one character key with the cursor at the end: the key handler sees
    /// it first; backspace (8) then deletes the last character, 0 does nothing, and any
    /// other code is appended.
    void type(char16_t code);
    /// What the key handler makes of a typed key, without typing it.
    [[nodiscard]] char16_t filtered(char16_t code) const { return typed(code); }
    /// The user pastes from the context menu at the end of the text: no key handler.
    void paste(std::string_view text);

    /// How many times the program or the user actually changed the text.
    [[nodiscard]] int changes() const { return changes_; }

private:
    void writeText(std::string_view text) override {
        text_ = text;
        ++changes_;
    }

    std::string text_;
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
