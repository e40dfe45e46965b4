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
#endif
