#pragma once

#include <span>
#include <string_view>

// Dialog templates: every control with its id, kind, position and size in dialog units, text
// and style, in template order (which is also the tab order).

enum class ControlKind {
    StaticText,   // label
    StaticBitmap, // picture, text holds nothing
    StaticIcon,   // icon
    PushButton,
    DefaultButton,
    BitmapButton,
    Edit,
    MultiLineEdit, // read-only, no wrapping
    RadioButton,
    CheckBox,
    GroupBox,
    UpDown, // arrows for the control before it
    ProgressBar,
    Custom, // supplied by the dialog's owner (the result grid)
};

namespace style {
constexpr unsigned kNone = 0;
constexpr unsigned kCentred = 1u << 0; // static text
constexpr unsigned kGroup = 1u << 1;   // starts a group
constexpr unsigned kTabStop = 1u << 2;
constexpr unsigned kBorder = 1u << 3;
constexpr unsigned kAutoScroll = 1u << 4; // edit: horizontal auto-scroll
constexpr unsigned kNoPrefix = 1u << 5;   // static text: "&" is a plain character
constexpr unsigned kReadOnly = 1u << 6;
} // namespace style

struct ControlTemplate {
    int id; // -1: none
    ControlKind kind;
    int x, y, width, height; // dialog units
    std::string_view text;
    unsigned styles = style::kNone;
    int resource = 0; // bitmap or icon id
};

struct DialogTemplate {
    int id;
    std::string_view title;
    int width, height; // dialog units
    std::string_view fontName;
    int pointSize;
    std::span<const ControlTemplate> controls;
};

namespace ids {
constexpr int kAboutTemplate = 100;
constexpr int kFormTemplate = 130;
constexpr int kOptionsTemplate = 135;
} // namespace ids

// The template of an id; nullptr for an id the program does not have.
const DialogTemplate *FindDialogTemplate(int id) noexcept;

// Menu 128 of the main frame; an item with id 0 is a separator.
struct MenuItemTemplate {
    int id;
    std::string_view text;
};

struct MenuPopupTemplate {
    std::string_view text;
    std::span<const MenuItemTemplate> items;
};

namespace ids {
constexpr int kOptionsCommand = 1013;
constexpr int kAppExit = 57665;
constexpr int kHelpIndex = 57667;
constexpr int kAppAbout = 57664;
} // namespace ids

std::span<const MenuPopupTemplate> MainMenu() noexcept;
