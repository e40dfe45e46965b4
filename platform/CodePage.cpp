#include "CodePage.h"

#ifdef _WIN32
#include <windows.h>

CodePageDecoder::CodePageDecoder(Page page, const char *)
    : m_codePage(page == Page::Oem ? CP_OEMCP : CP_ACP)
{
}

bool CodePageDecoder::isValid() const
{
    return true;
}

QString CodePageDecoder::decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(m_codePage, 0, bytes.data(), size, nullptr, 0);
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(m_codePage, 0, bytes.data(), size, reinterpret_cast<wchar_t *>(text.data()),
                        length);
    return text;
}

CodePageEncoder::CodePageEncoder(Page page, const char *)
    : m_codePage(page == Page::Oem ? CP_OEMCP : CP_ACP)
{
}

bool CodePageEncoder::isValid() const
{
    return true;
}

std::optional<QByteArray> CodePageEncoder::encode(QStringView text, QString *failed)
{
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size = static_cast<int>(text.size());
    // A user whose code page is UTF-8 can write every character.
    const bool utf8 = GetACP() == CP_UTF8 && m_codePage == CP_ACP;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lacking = FALSE;
    const int length = WideCharToMultiByte(m_codePage, flags, wide, size, nullptr, 0, nullptr,
                                           utf8 ? nullptr : &lacking);
    if (lacking != FALSE) {
        // The first character that the page lacks, for the message.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            BOOL one = FALSE;
            WideCharToMultiByte(m_codePage, flags, wide + i, static_cast<int>(width), nullptr, 0,
                                nullptr, &one);
            if (one != FALSE) {
                if (failed != nullptr)
                    *failed = text.mid(i, width).toString();
                break;
            }
            i += width - 1;
        }
        return std::nullopt;
    }
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(m_codePage, flags, wide, size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}
#else
CodePageDecoder::CodePageDecoder(Page, const char *name)
    : m_decoder(name, QStringConverter::Flag::Stateless)
{
}

bool CodePageDecoder::isValid() const
{
    return m_decoder.isValid();
}

QString CodePageDecoder::decode(QByteArrayView bytes)
{
    return m_decoder.decode(bytes);
}

CodePageEncoder::CodePageEncoder(Page page, const char *name)
    : m_encoder(name, QStringConverter::Flag::Stateless)
    , m_decoder(page, name)
{
}

bool CodePageEncoder::isValid() const
{
    return m_encoder.isValid() && m_decoder.isValid();
}

std::optional<QByteArray> CodePageEncoder::encode(QStringView text, QString *failed)
{
    // Qt puts a stand-in where the page lacks a character: what does not come back whole
    // was not held.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() < 0x80) // every page here holds ASCII
            continue;
        const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = text.mid(i, width);
        const QByteArray bytes = m_encoder.encode(character);
        if (m_encoder.hasError() || m_decoder.decode(bytes) != character) {
            m_encoder.resetState();
            if (failed != nullptr)
                *failed = character.toString();
            return std::nullopt;
        }
        i += width - 1;
    }
    return QByteArray(m_encoder.encode(text));
}
#endif
