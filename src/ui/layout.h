// The window as data: its caption, size, colours, and each control's kind, place, font, text
// and names for screen readers. The Qt window and the native Windows window are both built
// from this one description, so that a place, a font or a name is changed in one spot.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace tarvel::ui::layout {

/// A control's place in the client area, in pixels at 96 dots per inch.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

/// Arial, or the window's own font, MS Sans Serif ("Microsoft Sans Serif" on current Windows).
enum class Face { Arial, MsSansSerif };

/// The families to ask for a face, best first: the window's own fonts, then their metric twins
/// (fonts-liberation) where they are missing. Current Windows names MS Sans Serif's outline
/// successor, which scales with the density, "Microsoft Sans Serif".
inline constexpr std::array<std::string_view, 2> kArialFamilies{"Arial", "Liberation Sans"};
inline constexpr std::array<std::string_view, 4> kMsSansSerifFamilies{
    "Microsoft Sans Serif", "MS Sans Serif", "Arial", "Liberation Sans"};

constexpr std::span<const std::string_view> families(Face face) {
    if (face == Face::Arial) {
        return kArialFamilies;
    }
    return kMsSansSerifFamilies;
}

struct Font {
    Face face = Face::MsSansSerif;
    double points = 8.25;
    bool bold = false;
    bool italic = false;
};

enum class Kind { Button, ListBox, DropDownList, Edit, Label };

struct Control {
    std::string_view name;  ///< the form's name for it
    Kind kind;
    Rect place;
    Font font;
    std::string_view text;         ///< what it shows when created
    std::string_view accessibleName;
    std::string_view accessibleDescription;
};

inline constexpr std::string_view kCaption = "Conversor de unidades";

/// The client area: 455 pixels wide, and tall enough to show the message line under the button.
inline constexpr int kClientWidth = 455;
inline constexpr int kClientHeight = 324;

/// The font of everything that has none of its own.
inline constexpr Font kWindowFont{Face::MsSansSerif, 8.25};

inline constexpr Colour kWindowBackground{255, 255, 255};
inline constexpr Colour kCategoryBackground{128, 0, 0};  ///< the banner's bottom row
inline constexpr Colour kCategoryText{255, 255, 255};
inline constexpr Colour kMessageText{255, 0, 0};
/// Black on the window's white, whatever the desktop's text colour.
inline constexpr Colour kEqualsText{0, 0, 0};

/// The banner is drawn at its natural size from the client area's top-left corner.
inline constexpr int kBannerWidth = 884;
inline constexpr int kBannerHeight = 206;

/// Every control, in the order the window creates them. Where neighbours overlap (UA over
/// Combo1's edge, UB over Combo2's) the one first in the tab order lies on top.
inline constexpr std::array<Control, 8> kControls{{
    {"Command1", Kind::Button, {4, 248, 445, 25}, {Face::Arial, 12, true, true}, "Cerrar",
     "Cerrar", "Cierra el programa"},
    {"List1", Kind::ListBox, {276, 0, 177, 200}, {Face::Arial, 8.25}, "", "Magnitud",
     "Magnitud física que se convierte"},
    {"Combo2", Kind::DropDownList, {324, 216, 97, 24}, {Face::Arial, 9.75, true}, "",
     "Unidad del valor B", ""},
    {"Combo1", Kind::DropDownList, {108, 216, 97, 24}, {Face::Arial, 9.75, true}, "",
     "Unidad del valor A", ""},
    {"UB", Kind::Edit, {244, 216, 81, 24}, {Face::Arial, 9.75, true}, "Text2", "Valor B",
     "Cantidad en la unidad del valor B"},
    {"UA", Kind::Edit, {28, 216, 81, 24}, {Face::Arial, 9.75, true}, "Text1", "Valor A",
     "Cantidad en la unidad del valor A"},
    {"Label2", Kind::Label, {216, 216, 21, 23}, {Face::MsSansSerif, 13.5, true}, "=", "", ""},
    {"Label1", Kind::Label, {192, 300, 133, 17}, kWindowFont, "", "", ""},
}};

/// The order the Tab key walks; the labels never take the focus.
inline constexpr std::array<std::string_view, 6> kTabOrder{"UA",     "UB",    "Combo1",
                                                           "Combo2", "List1", "Command1"};

/// The control of that name; the names are those of kControls.
constexpr const Control& control(std::string_view name) {
    for (const Control& c : kControls) {
        if (c.name == name) {
            return c;
        }
    }
    return kControls.back();
}

/// What a double click in a value box takes as one word: a whole number, with its sign, either
/// separator and the spaces some desktops group digits with.
constexpr bool partOfNumber(char32_t c) {
    return (c >= U'0' && c <= U'9') || c == U'-' || c == U'+' || c == U'.' || c == U',' ||
           c == U'\u00A0' || c == U'\u202F' || c == U'\'';
}

/// A length at 96 dots per inch at another density, rounded to the nearest pixel.
constexpr int scaled(int length, unsigned dpi) {
    return static_cast<int>((static_cast<long long>(length) * dpi + 48) / 96);
}

/// A font's size in pixels at a density, as Windows and Qt both round it.
constexpr int pixelSize(double points, unsigned dpi) {
    return static_cast<int>(points * dpi / 72.0 + 0.5);
}

}  // namespace tarvel::ui::layout
