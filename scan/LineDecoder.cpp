#include "LineDecoder.h"

#include <QByteArray>

#include <algorithm>

namespace {

bool IsAscii(QByteArrayView bytes) noexcept
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

LineDecoder::LineDecoder(CodePage codePage, const CodePages &pages)
    : m_oem(codePage == CodePage::Oem)
    , m_windows1252{CodePage::Ansi, pages.ansi, std::nullopt}
    , m_cp850{CodePage::Oem, pages.oem, std::nullopt}
{
}

void LineDecoder::Decode(QByteArrayView bytes, std::string &line)
{
    if (IsAscii(bytes)) {
        line.assign(bytes.data(), static_cast<std::size_t>(bytes.size()));
        return;
    }
    QString text;
    if (m_oem) {
        text = Use(m_cp850, bytes);
    } else {
        m_utf8.resetState();
        text = m_utf8.decode(bytes);
        if (m_utf8.hasError())
            text = Use(m_windows1252, bytes);
    }
    const QByteArray utf8Text = text.toUtf8();
    line.assign(utf8Text.constData(), static_cast<std::size_t>(utf8Text.size()));
}

// A Qt built without ICU lacks these code pages: Latin-1 then keeps the text readable (its
// letters are the same, its punctuation and box characters differ), and the user is told once.
QString LineDecoder::Use(Page &page, QByteArrayView bytes)
{
    if (!page.decoder)
        page.decoder.emplace(page.page, page.name.c_str());
    if (page.decoder->isValid())
        return page.decoder->decode(bytes);
    if (m_missing.empty())
        m_missing = page.name;
    return QString::fromLatin1(bytes);
}
