#include "Strings.h"

#include <algorithm>
#include <array>

namespace {

struct StringEntry {
    int id;
    std::string_view text;
};

// Sorted by id.
constexpr std::array kStringTable{
    StringEntry{ids::kDocumentString, "Festmark " FESTMARK_VERSION},
    StringEntry{ids::kAppName, "Festmark"},
    StringEntry{ids::kYear, "Jahr"},
    StringEntry{ids::kYears, "Jahre"},
    StringEntry{ids::kMonth, "Monat"},
    StringEntry{ids::kMonths, "Monate"},
    StringEntry{ids::kWeek, "Woche"},
    StringEntry{ids::kWeeks, "Wochen"},
    StringEntry{ids::kDay, "Tag"},
    StringEntry{ids::kDays, "Tage"},
    StringEntry{ids::kFeatures, "- Autostart möglich durch Registry-Eintrag\r\n"
                                "- Automatische Abspeichern der Einstellungen in der Registry\r\n"
                                "- Sanduhr, Progressbar, Button mit Bitmap\r\n"
                                "- Sound in Infobox"},
};

static_assert(std::is_sorted(kStringTable.begin(), kStringTable.end(),
                             [](const StringEntry &a, const StringEntry &b) {
                                 return a.id < b.id;
                             }));

} // namespace

std::string_view ResourceString(int id) noexcept
{
    const auto it = std::lower_bound(kStringTable.begin(), kStringTable.end(), id,
                                     [](const StringEntry &e, int key) { return e.id < key; });
    return it != kStringTable.end() && it->id == id ? it->text : std::string_view{};
}
