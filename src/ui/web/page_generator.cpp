// Writes the parts of the page that come from the window's description, at build time: the
// controls' elements in the window's tab order with their names for screen readers, the
// style sheet of places, sizes, fonts and colours, and the app manifest with the window's
// caption and colours. Usage: page_generator OUTPUT-DIRECTORY PAGE-TEMPLATE
#include "catalogue/magnitudes.h"
#include "core/windowless_program.h"
#include "ui/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

namespace {

namespace layout = tarvel::ui::layout;

constexpr std::string_view kShortName = "Conversor";
// The windows' own fonts where the system has them, then their metric twins, then what
// Apple's devices have of the same kind.
std::string fontFamily(layout::Face face) {
    std::string out;
    for (const std::string_view family : layout::families(face)) {
        const bool quoted = family.find(' ') != std::string_view::npos;
        out += (quoted ? "\"" : "") + std::string(family) + (quoted ? "\", " : ", ");
    }
    return out + "Helvetica, sans-serif";
}

// WCAG's relative luminance of a colour and the contrast of two.
double luminance(layout::Colour c) {
    const auto channel = [](std::uint8_t v) {
        const double x = v / 255.0;
        return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red) + 0.7152 * channel(c.green) + 0.0722 * channel(c.blue);
}

double contrast(layout::Colour a, layout::Colour b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The window's text colour, darkened step by step until small text reads on the background
// at 4.5 to 1: the window's pure red message line gives 4.0 on white.
layout::Colour readable(layout::Colour text, layout::Colour background) {
    const auto darker = [](std::uint8_t v) { return static_cast<std::uint8_t>(v * 0.98); };
    while (contrast(text, background) < 4.5 && (text.red > 0 || text.green > 0 || text.blue > 0)) {
        text = {darker(text.red), darker(text.green), darker(text.blue)};
    }
    return text;
}

std::string px(int value) { return std::to_string(value) + "px"; }

std::string rgb(layout::Colour c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
    return text;
}

int tabPosition(std::string_view name) {
    for (std::size_t i = 0; i < layout::kTabOrder.size(); ++i) {
        if (layout::kTabOrder[i] == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string described(const layout::Control& c) {
    return c.accessibleDescription.empty()
               ? std::string{}
               : " aria-describedby=\"" + std::string(c.name) + "-description\"";
}

std::string escaped(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

// The rows of a list as the form leaves them at start-up: every category, and the first
// category's units, the first row chosen. The module then finds each list as it fills it
// and changes nothing: a list filled in front of a screen reader has its selection
// spoken as if it had the focus.
// A list's rows as the form leaves them at start-up, from the form itself run without a window.
std::string startRows(std::string_view name) {
    static const tarvel::core::WindowlessProgram started;
    const tarvel::platform::WindowlessList& list = name == "List1"    ? started.List1
                                                  : name == "Combo1" ? started.Combo1
                                                                     : started.Combo2;
    std::string out;
    for (std::size_t i = 0; i < list.items().size(); ++i) {
        const bool chosen = static_cast<int>(i) == list.selectedIndex();
        out += "<option" + std::string(chosen ? " selected" : "") + ">" +
               escaped(list.items()[i]) + "</option>";
    }
    return out;
}

std::string element(const layout::Control& c) {
    const std::string id(c.name);
    const std::string name = c.accessibleName.empty()
                                 ? std::string{}
                                 : " aria-label=\"" + std::string(c.accessibleName) + "\"";
    switch (c.kind) {
    case layout::Kind::Edit:
        // Empty until the form writes its start value in the browser's number format: never
        // the window's placeholder text, which a screen reader could catch and read.
        return "<input id=\"" + id + "\" type=\"text\" inputmode=\"decimal\" autocomplete=\"off\" "
               "autocorrect=\"off\" autocapitalize=\"off\" spellcheck=\"false\"" + name +
               described(c) + ">";
    case layout::Kind::ListBox:
        return "<select id=\"" + id + "\" size=\"" + std::to_string(tarvel::catalogue::kEnUso) +
               "\"" + name + described(c) + ">" + startRows(c.name) + "</select>";
    case layout::Kind::DropDownList:
        return "<select id=\"" + id + "\"" + name + described(c) + ">" + startRows(c.name) +
               "</select>";
    case layout::Kind::Button:
        return "<button id=\"" + id + "\" type=\"button\"" + described(c) + ">" +
               std::string(c.text) + "</button>";
    case layout::Kind::Label:
        // The message line is a live region; "=" says nothing a reader needs.
        return c.text.empty() ? "<div id=\"" + id + "\" role=\"status\"></div>"
                              : "<span id=\"" + id + "\" aria-hidden=\"true\">" +
                                    std::string(c.text) + "</span>";
    }
    return {};
}

std::string controlsHtml() {
    std::string out;
    for (const std::string_view name : layout::kTabOrder) {
        out += element(layout::control(name)) + "\n";
    }
    for (const layout::Control& c : layout::kControls) {
        if (tabPosition(c.name) < 0) {
            out += element(c) + "\n";
        }
    }
    for (const layout::Control& c : layout::kControls) {
        if (!c.accessibleDescription.empty()) {
            out += "<span id=\"" + std::string(c.name) + "-description\" hidden>" +
                   std::string(c.accessibleDescription) + "</span>\n";
        }
    }
    return out;
}

std::string styleSheet() {
    std::string all = "/* Generated from the window's description. */\n";
    std::string desktop = "@media (min-width: 480px) {\n";
    all += "html, body, .form { background-color: " + rgb(layout::kWindowBackground) + "; }\n";
    desktop += "  .form { width: " + px(layout::kClientWidth) +
               "; height: " + px(layout::kClientHeight) + "; }\n";
    for (const layout::Control& c : layout::kControls) {
        const std::string id = "#" + std::string(c.name);
        all += id + " { font-family: " + fontFamily(c.font.face) +
               "; font-weight: " + (c.font.bold ? "bold" : "normal") +
               "; font-style: " + (c.font.italic ? "italic" : "normal") + "; }\n";
        // The first in the tab order lies on top where neighbours overlap.
        const int position = tabPosition(c.name);
        const int layer = position < 0 ? 1 : 10 - position;
        desktop += "  " + id + " { left: " + px(c.place.x) + "; top: " + px(c.place.y) +
                   "; width: " + px(c.place.width) + "; height: " + px(c.place.height) +
                   "; font-size: " + px(layout::pixelSize(c.font.points, 96)) +
                   "; z-index: " + std::to_string(layer) + "; }\n";
    }
    all += "#List1 { color: " + rgb(layout::kCategoryText) +
           "; background-color: " + rgb(layout::kCategoryBackground) + "; }\n";
    all += "#Label1 { color: " + rgb(readable(layout::kMessageText, layout::kWindowBackground)) +
           "; }\n";
    all += "#Label2 { color: " + rgb(layout::kEqualsText) + "; }\n";
    return all + desktop + "}\n";
}

std::string manifest() {
    const std::string caption(layout::kCaption);
    return "{\n"
           "  \"name\": \"" + caption + "\",\n"
           "  \"short_name\": \"" + std::string(kShortName) + "\",\n"
           "  \"lang\": \"es\",\n"
           "  \"dir\": \"ltr\",\n"
           "  \"start_url\": \"./\",\n"
           "  \"scope\": \"./\",\n"
           "  \"display\": \"standalone\",\n"
           "  \"background_color\": \"" + rgb(layout::kWindowBackground) + "\",\n"
           "  \"theme_color\": \"" + rgb(layout::kCategoryBackground) + "\",\n"
           "  \"icons\": [\n"
           "    {\"src\": \"icon-192.png\", \"sizes\": \"192x192\", \"type\": \"image/png\"},\n"
           "    {\"src\": \"icon-512.png\", \"sizes\": \"512x512\", \"type\": \"image/png\"},\n"
           "    {\"src\": \"icon-maskable-512.png\", \"sizes\": \"512x512\","
           " \"type\": \"image/png\", \"purpose\": \"maskable\"}\n"
           "  ]\n"
           "}\n";
}

// The template with @CAPTION@ and @CONTROLS@ filled in.
bool page(const std::string& templatePath, std::string& out) {
    std::FILE* file = std::fopen(templatePath.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        out.append(buffer, got);
    }
    std::fclose(file);
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"@CAPTION@", std::string(layout::kCaption)},
          std::pair<std::string, std::string>{"@CONTROLS@", controlsHtml()}}) {
        const std::size_t at = out.find(key);
        if (at == std::string::npos) {
            return false;
        }
        out.replace(at, key.size(), value);
    }
    return true;
}

bool write(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: page_generator OUTPUT-DIRECTORY PAGE-TEMPLATE\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    std::string html;
    const bool ok = page(argv[2], html) && write(dir + "/index.html", html) &&
                    write(dir + "/layout.css", styleSheet()) &&
                    write(dir + "/manifest.webmanifest", manifest());
    if (!ok) {
        std::fputs("page_generator: cannot write into the output directory\n", stderr);
    }
    return ok ? 0 : 1;
}
