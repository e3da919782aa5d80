// What the converter's logic may do with a control, and the event rule every
// implementation keeps.
//
// Event rule: a change the program makes raises the same handler as a user's change,
// synchronously, before the setter returns:
//   - setText with a different text raises the change handler; the same text raises nothing;
//   - setSelectedIndex with a different index raises the click handler; the same, nothing;
//   - clear and append raise nothing, and a cleared list has no selection (-1) until one
//     is set.
// Texts are UTF-8.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace tarvel::platform {

using Handler = std::function<void()>;
/// Receives a typed character's UTF-16 code and may replace it; 0 swallows the key.
using KeyHandler = std::function<void(char16_t& code)>;

/// A list box or a drop-down list: the category list and the two unit lists.
class ListAccess {
public:
    virtual ~ListAccess() = default;
    virtual void clear() = 0;
    virtual void append(std::string_view item) = 0;
    /// 0-based, -1 for none.
    [[nodiscard]] virtual int selectedIndex() const = 0;
    virtual void setSelectedIndex(int index) = 0;
    /// Raised when the selected index changes, by the user or by the program.
    virtual void setClickHandler(Handler handler) = 0;
};

/// A single-line text box: the two value boxes.
class TextAccess {
public:
    virtual ~TextAccess() = default;
    [[nodiscard]] virtual std::string text() const = 0;
    virtual void setText(std::string_view text) = 0;
    /// Raised when the text changes, by the user or by the program.
    virtual void setChangeHandler(Handler handler) = 0;
    /// Raised for every character key the user types, before the box takes it.
    virtual void setKeyPressHandler(KeyHandler handler) = 0;
};

/// A label: the message line.
class CaptionAccess {
public:
    virtual ~CaptionAccess() = default;
    [[nodiscard]] virtual std::string caption() const = 0;
    virtual void setCaption(std::string_view caption) = 0;
};

/// A push button: "Cerrar".
class ButtonAccess {
public:
    virtual ~ButtonAccess() = default;
    /// Raised when the user presses the button.
    virtual void setClickHandler(Handler handler) = 0;
};

/// A button that its face tells of each press.
class PressedButton : public ButtonAccess {
public:
    void setClickHandler(Handler handler) final { click_ = std::move(handler); }
    /// The user pressed the button.
    void pressed() const {
        if (click_) {
            click_();
        }
    }

private:
    Handler click_;
};

}  // namespace tarvel::platform
