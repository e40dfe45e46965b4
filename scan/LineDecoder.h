#pragma once

#include "CodePage.h"

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <optional>
#include <string>

// The code pages behind "ANSI" and "OEM", by their names in Qt.
struct CodePages {
    const char *ansi = "windows-1252";
    const char *oem = "IBM850";
};

// A line's bytes as UTF-8. Files written on Linux are UTF-8, files from Windows are in the
// ANSI code page, or in the OEM one when the user says so. Opening a converter costs far more
// than decoding a line, so a file's lines share them.
class LineDecoder {
public:
    LineDecoder(CodePage codePage, const CodePages &pages);

    void Decode(QByteArrayView bytes, std::string &line); // into `line`

    // A code page the file needed and this Qt lacks (its lines were read as Latin-1).
    const std::string &MissingCodePage() const noexcept { return m_missing; }

private:
    // Opened only when a line needs it: opening a converter costs more than a small file.
    struct Page {
        CodePage page;
        std::string name;
        std::optional<CodePageDecoder> decoder;
    };

    QString Use(Page &page, QByteArrayView bytes);

    bool m_oem;
    QStringDecoder m_utf8{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    Page m_windows1252;
    Page m_cp850;
    std::string m_missing;
};
