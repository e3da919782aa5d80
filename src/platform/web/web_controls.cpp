#include "platform/web/web_controls.h"

#include <emscripten/emscripten.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// The page's side of the bridge (web_bridge.js). Texts cross it as UTF-8 bytes and a length.
extern "C" {
int tarvel_dom_bind(const char* id, std::size_t length);
void tarvel_dom_unbind(int handle);
std::size_t tarvel_dom_value_length(int handle);
void tarvel_dom_value_copy(int handle, char* buffer, std::size_t capacity);
void tarvel_dom_value_set(int handle, const char* text, std::size_t length);
void tarvel_dom_list_clear(int handle);
void tarvel_dom_list_append(int handle, const char* text, std::size_t length, int selected);
int tarvel_dom_list_selected(int handle);
void tarvel_dom_list_select(int handle, int index);
void tarvel_dom_caption_set(int handle, const char* text, std::size_t length);
std::uint32_t tarvel_dom_locale_decimal();
std::uint32_t tarvel_dom_locale_group();
void tarvel_dom_beep();
void tarvel_dom_close();
}

namespace tarvel::platform::web {
namespace {

// The element of each handle, so an event from the page reaches its adapter.
std::vector<Element*>& elements() {
    static std::vector<Element*> bound;
    return bound;
}

// What waits for the event being handled to end.
std::vector<Handler>& waiting() {
    static std::vector<Handler> jobs;
    return jobs;
}

bool& stopped() {
    static bool value = false;
    return value;
}

Element* elementOf(int handle) {
    auto& bound = elements();
    if (stopped() || handle < 0 || handle >= static_cast<int>(bound.size())) {
        return nullptr;
    }
    return bound[static_cast<std::size_t>(handle)];
}

}  // namespace

Element::Element(std::string_view id) : handle_(tarvel_dom_bind(id.data(), id.size())) {
    auto& bound = elements();
    if (static_cast<std::size_t>(handle_) >= bound.size()) {
        bound.resize(static_cast<std::size_t>(handle_) + 1, nullptr);
    }
    bound[static_cast<std::size_t>(handle_)] = this;
}

Element::~Element() {
    elements()[static_cast<std::size_t>(handle_)] = nullptr;
    tarvel_dom_unbind(handle_);
}

void WebList::clearRows() { tarvel_dom_list_clear(handle()); }

void WebList::appendRow(std::string_view item) {
    tarvel_dom_list_append(handle(), item.data(), item.size(), selectedIndex());
}

void WebList::showSelected(int index) { tarvel_dom_list_select(handle(), index); }

void WebList::userChanged() { chosen(tarvel_dom_list_selected(handle())); }

std::string WebText::text() const {
    std::string value(tarvel_dom_value_length(handle()), '\0');
    tarvel_dom_value_copy(handle(), value.data(), value.size());
    return value;
}

void WebText::writeText(std::string_view text) {
    tarvel_dom_value_set(handle(), text.data(), text.size());
}

bool WebLabel::afterEvent(Handler job) {
    waiting().push_back(std::move(job));
    return true;
}

void WebLabel::announce(std::string_view text) {
    tarvel_dom_caption_set(handle(), text.data(), text.size());
}

NumberLocale WebRuntime::numberLocale() const {
    return platform::numberLocale(static_cast<char32_t>(tarvel_dom_locale_decimal()),
                                  static_cast<char32_t>(tarvel_dom_locale_group()));
}

void WebRuntime::beep() { tarvel_dom_beep(); }

void WebRuntime::end() {
    ended_ = true;
    stopEvents();
    tarvel_dom_close();
}

void eventHandled() {
    // A job may queue another; each runs once, in the order queued.
    while (!waiting().empty() && !stopped()) {
        const Handler job = std::move(waiting().front());
        waiting().erase(waiting().begin());
        if (job) {
            job();
        }
    }
}

void stopEvents() { stopped() = true; }

}  // namespace tarvel::platform::web

// What the bridge calls when the user acts on an element.
extern "C" {

EMSCRIPTEN_KEEPALIVE void tarvel_web_changed(int handle) {
    if (auto* element = tarvel::platform::web::elementOf(handle)) {
        element->userChanged();
        tarvel::platform::web::eventHandled();
    }
}

EMSCRIPTEN_KEEPALIVE int tarvel_web_key(int handle, int code) {
    auto* element = tarvel::platform::web::elementOf(handle);
    if (element == nullptr) {
        return 0;
    }
    const char16_t taken = element->userKey(static_cast<char16_t>(code));
    tarvel::platform::web::eventHandled();
    return taken;
}
}
