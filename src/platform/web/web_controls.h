// The same control access over the page's own elements: <select> for the lists, <input> for
// the value boxes, a live region for the message line. The elements are reached through a
// small JavaScript library (web_bridge.js) by a handle; the DOM fires no event for a change a
// script makes, so the event rule is kept on this side of the bridge (kept_controls.h).
#pragma once

#include "platform/controls.h"
#include "platform/kept_controls.h"
#include "platform/message_line.h"
#include "platform/runtime.h"

#include <string>

namespace tarvel::platform::web {

/// Something a page element reports: the bridge calls back into the adapter that owns it.
class Element {
public:
    /// Binds the element of that id; it must exist in the page.
    explicit Element(std::string_view id);
    virtual ~Element();
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    [[nodiscard]] int handle() const { return handle_; }
    /// The user changed the element (a choice made, a text edited).
    virtual void userChanged() {}
    /// The user types a character; returns what the box takes, 0 for nothing.
    virtual char16_t userKey(char16_t code) { return code; }

private:
    int handle_;
};

class WebList final : public KeptList, public Element {
public:
    using Element::Element;
    void userChanged() override;

private:
    void clearRows() override;
    // Each option goes in with the selection kept, which the element gives back.
    void appendRow(std::string_view item) override;
    void showSelected(int index) override;
};

class WebText final : public KeptText, public Element {
public:
    using Element::Element;
    [[nodiscard]] std::string text() const override;
    void userChanged() override { edited(); }
    char16_t userKey(char16_t code) override { return typed(code); }

private:
    void writeText(std::string_view text) override;
};

/// The message line's face in the page: the element is a live region, so writing it is the
/// announcement, done once the event has been handled.
class WebLabel final : public MessageLine::Face, public Element {
public:
    using Element::Element;
    void show(std::string_view /*text*/) override {}
    bool afterEvent(Handler job) override;
    void announce(std::string_view text) override;
};

/// A push button: "Cerrar".
class WebButton final : public PressedButton, public Element {
public:
    using Element::Element;
    void userChanged() override { pressed(); }
};

class WebRuntime final : public Runtime {
public:
    /// The browser's language's decimal and grouping characters (Intl.NumberFormat).
    [[nodiscard]] NumberLocale numberLocale() const override;
    /// A short tone, and a short vibration where the device has one.
    void beep() override;
    /// Closes the app's window where a page may close itself; nothing of the form runs
    /// afterwards in any case.
    void end() override;
    [[nodiscard]] bool ended() const { return ended_; }

private:
    bool ended_ = false;
};

/// Runs what waits for the event being handled: called after each of the page's events, and
/// by the page's entry point once the form has started.
void eventHandled();
/// Events from the page are dropped from now on.
void stopEvents();

}  // namespace tarvel::platform::web
