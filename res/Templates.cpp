#include "Templates.h"

#include <array>

namespace {

using K = ControlKind;
using namespace style;

constexpr std::array kAboutControls{
    ControlTemplate{-1, K::StaticText, 114, 60, 100, 24, "Festmark, Version 5.0\n© 2026 Orvanta",
                    kNoPrefix},
    ControlTemplate{1, K::BitmapButton, 223, 65, 68, 19, "OK", kGroup | kTabStop, 143},
    ControlTemplate{-1, K::StaticBitmap, 6, 5, 71, 79, "", kNone, 141},
    ControlTemplate{-1, K::StaticText, 86, 4, 66, 9, "neue Features:"},
    ControlTemplate{-1, K::StaticIcon, 86, 64, 21, 20, "", kNone, 128},
    ControlTemplate{1041, K::MultiLineEdit, 86, 14, 208, 36, "",
                    kAutoScroll | kTabStop | kReadOnly},
};

constexpr std::array kFormControls{
    ControlTemplate{1031, K::StaticText, 8, 8, 268, 8, "Static", kCentred},
    ControlTemplate{1037, K::Custom, 12, 21, 260, 122, ""},
    ControlTemplate{1038, K::ProgressBar, 13, 144, 258, 6, ""},
    ControlTemplate{1029, K::StaticBitmap, 288, 21, 51, 10, "", kNone, 136},
    ControlTemplate{1030, K::StaticText, 294, 40, 40, 8, "Festmark 5.0"},
    ControlTemplate{1039, K::BitmapButton, 284, 60, 60, 55, "&Info", kTabStop, 133},
    ControlTemplate{1013, K::PushButton, 284, 117, 60, 16, "&Optionen", kTabStop},
    ControlTemplate{1014, K::DefaultButton, 284, 135, 60, 16, "&Beenden", kTabStop},
    ControlTemplate{1042, K::StaticBitmap, 302, 21, 21, 17, "", kNone, 149},
};

constexpr std::array kOptionsControls{
    ControlTemplate{1015, K::RadioButton, 12, 20, 36, 12, "ANSI", kGroup | kTabStop},
    ControlTemplate{1016, K::RadioButton, 12, 35, 36, 12, "OEM"},
    ControlTemplate{1027, K::Edit, 128, 19, 33, 12, "", kBorder | kAutoScroll | kGroup | kTabStop},
    ControlTemplate{1021, K::UpDown, 160, 19, 11, 12, ""},
    ControlTemplate{1018, K::Edit, 128, 35, 33, 12, "", kBorder | kAutoScroll | kTabStop},
    ControlTemplate{1019, K::UpDown, 160, 35, 11, 12, ""},
    ControlTemplate{1033, K::PushButton, 12, 70, 12, 12, "...", kTabStop},
    ControlTemplate{1032, K::Edit, 24, 70, 196, 12, "", kBorder | kAutoScroll | kTabStop},
    ControlTemplate{1034, K::CheckBox, 10, 100, 80, 12, "a&utomatisch starten", kTabStop},
    ControlTemplate{1028, K::PushButton, 97, 99, 42, 14, "&Standard", kTabStop},
    ControlTemplate{2, K::PushButton, 141, 99, 42, 14, "&Abbrechen", kTabStop},
    ControlTemplate{1, K::DefaultButton, 185, 99, 42, 14, "OK", kTabStop},
    ControlTemplate{-1, K::GroupBox, 4, 5, 72, 52, "Datei"},
    ControlTemplate{1022, K::StaticText, 97, 21, 28, 8, "bis vor"},
    ControlTemplate{1023, K::StaticText, 97, 37, 28, 8, "bis in"},
    ControlTemplate{1024, K::StaticText, 180, 21, 28, 8, "Tagen"},
    ControlTemplate{1025, K::StaticText, 180, 37, 28, 8, "Tagen"},
    ControlTemplate{-1, K::GroupBox, 82, 5, 146, 52, "Zeitraum"},
    ControlTemplate{-1, K::GroupBox, 4, 60, 224, 28, "Dateiname"},
    ControlTemplate{-1, K::GroupBox, 4, 92, 88, 24, ""},
};

constexpr std::array kTemplates{
    DialogTemplate{ids::kAboutTemplate, "Info über Festmark", 298, 90, "MS Sans Serif", 8,
                   kAboutControls},
    DialogTemplate{ids::kFormTemplate, "", 352, 160, "MS Sans Serif", 8, kFormControls},
    DialogTemplate{ids::kOptionsTemplate, "Festmark-Optionen", 232, 125, "MS Sans Serif", 8,
                   kOptionsControls},
};

} // namespace

const DialogTemplate *FindDialogTemplate(int id) noexcept
{
    for (const DialogTemplate &t : kTemplates) {
        if (t.id == id)
            return &t;
    }
    return nullptr;
}

namespace {

constexpr std::array kFileMenu{MenuItemTemplate{ids::kOptionsCommand, "&Optionen"},
                               MenuItemTemplate{ids::kAppExit, "&Beenden"}};
constexpr std::array kHelpMenu{MenuItemTemplate{ids::kHelpIndex, "&Hilfethemen"},
                               MenuItemTemplate{0, ""},
                               MenuItemTemplate{ids::kAppAbout, "Inf&o über Festmark..."}};
constexpr std::array kMainMenu{MenuPopupTemplate{"&Datei", kFileMenu},
                               MenuPopupTemplate{"&?", kHelpMenu}};

} // namespace

std::span<const MenuPopupTemplate> MainMenu() noexcept
{
    return kMainMenu;
}
