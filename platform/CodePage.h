#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

// The code page of a date list: "ANSI" (UTF-8, else the Windows code page) or "OEM".
enum class CodePage { Ansi, Oem };

// Text in the user's 8-bit code page, the settings' "ANSI" or "OEM". On Windows these are
// the code pages that Windows is set to for the user; elsewhere Qt decodes the pages of a
// German Windows by name (Windows-1252, 850), which a Qt without ICU may lack.
class CodePageDecoder {
public:
    using Page = CodePage;

    // `name`: Qt's name of the page, where the system has none of its own.
    CodePageDecoder(Page page, const char *name);

    bool isValid() const;
    QString decode(QByteArrayView bytes);

private:
#ifdef _WIN32
    unsigned m_codePage;
#else
    QStringDecoder m_decoder;
#endif
};

// Text into the same code page, for lines the program writes into a date list. None when a
// character cannot be held by the page (`failed` then names the first one).
class CodePageEncoder {
public:
    using Page = CodePage;

    CodePageEncoder(Page page, const char *name);

    bool isValid() const;
    std::optional<QByteArray> encode(QStringView text, QString *failed = nullptr);

private:
#ifdef _WIN32
    unsigned m_codePage;
#else
    QStringEncoder m_encoder;
    CodePageDecoder m_decoder; // a character the page lacks comes back as another
#endif
};
