// The generated pictures and sounds as the program carries them: exact sizes and formats.
#include <QCoreApplication>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

QByteArray ReadResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::uint32_t Le32(const QByteArray &b, qsizetype at)
{
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8 |
           static_cast<std::uint8_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}

std::uint16_t Le16(const QByteArray &b, qsizetype at)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                      static_cast<std::uint8_t>(b[at + 1]) << 8);
}

struct WaveFormat {
    std::uint16_t format = 0, channels = 0, blockAlign = 0, bits = 0;
    std::uint32_t rate = 0, byteRate = 0, dataBytes = 0;
};

// Walks the RIFF chunks; nullopt when the file is no well-formed wave.
std::optional<WaveFormat> ParseWave(const QByteArray &bytes)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE" ||
        Le32(bytes, 4) != static_cast<std::uint32_t>(bytes.size() - 8))
        return std::nullopt;
    WaveFormat wave;
    bool haveFormat = false, haveData = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const std::uint32_t size = Le32(bytes, at + 4);
        const qsizetype body = at + 8;
        if (body + size > bytes.size())
            return std::nullopt;
        if (id == "fmt " && size >= 16) {
            wave.format = Le16(bytes, body);
            wave.channels = Le16(bytes, body + 2);
            wave.rate = Le32(bytes, body + 4);
            wave.byteRate = Le32(bytes, body + 8);
            wave.blockAlign = Le16(bytes, body + 12);
            wave.bits = Le16(bytes, body + 14);
            haveFormat = true;
        } else if (id == "data") {
            wave.dataBytes = size;
            haveData = true;
        }
        at = body + size + (size % 2); // chunks are padded to even sizes
    }
    if (!haveFormat || !haveData || at != bytes.size())
        return std::nullopt;
    return wave;
}

struct WaveCase {
    int id;
    std::uint32_t rate;
    std::uint32_t dataBytes;
};

class WaveResourceTest : public testing::TestWithParam<WaveCase> {};

TEST_P(WaveResourceTest, IsMonoEightBitPcmOfTheGivenRateAndLength)
{
    const WaveCase &c = GetParam();
    const QByteArray bytes = ReadResource(QStringLiteral(":/sounds/%1.wav").arg(c.id));
    const std::optional<WaveFormat> wave = ParseWave(bytes);
    ASSERT_TRUE(wave.has_value()) << "not a wave file: " << c.id;
    EXPECT_EQ(wave->format, 1);
    EXPECT_EQ(wave->channels, 1);
    EXPECT_EQ(wave->bits, 8);
    EXPECT_EQ(wave->blockAlign, 1);
    EXPECT_EQ(wave->rate, c.rate);
    EXPECT_EQ(wave->byteRate, c.rate);
    EXPECT_EQ(wave->dataBytes, c.dataBytes);
}

TEST_P(WaveResourceTest, StartsAndEndsNearSilenceSoTheLoopDoesNotClick)
{
    const WaveCase &c = GetParam();
    const QByteArray bytes = ReadResource(QStringLiteral(":/sounds/%1.wav").arg(c.id));
    const qsizetype data = bytes.indexOf("data") + 8;
    ASSERT_GT(data, 8);
    const auto sample = [&](qsizetype i) {
        return static_cast<std::uint8_t>(bytes[data + i]);
    };
    EXPECT_NEAR(sample(0), 128, 2);
    EXPECT_NEAR(sample(c.dataBytes - 1), 128, 2);
    // And it is not silence throughout.
    int loudest = 0;
    for (std::uint32_t i = 0; i < c.dataBytes; ++i)
        loudest = std::max(loudest, std::abs(sample(i) - 128));
    EXPECT_GT(loudest, 64);
}

INSTANTIATE_TEST_SUITE_P(Sounds, WaveResourceTest,
                         testing::Values(WaveCase{146, 22254, 59904}, WaveCase{151, 8000, 97783}),
                         [](const auto &info) { return std::to_string(info.param.id); });

TEST(WaveParserTest, RejectsWhatIsNoWave)
{
    EXPECT_FALSE(ParseWave(QByteArray()).has_value());
    EXPECT_FALSE(ParseWave("RIFF\4\0\0\0WAVE").has_value()); // no chunks at all
    QByteArray truncated = ReadResource(QStringLiteral(":/sounds/146.wav"));
    truncated.chop(100);
    EXPECT_FALSE(ParseWave(truncated).has_value());
}

struct BitmapCase {
    int id;
    int width;
    int height;
};

class BitmapResourceTest : public testing::TestWithParam<BitmapCase> {};

TEST_P(BitmapResourceTest, HasItsSize)
{
    const BitmapCase &c = GetParam();
    const QImage image(QStringLiteral(":/bitmaps/%1.png").arg(c.id));
    ASSERT_FALSE(image.isNull()) << c.id;
    EXPECT_EQ(image.size(), QSize(c.width, c.height));
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, BitmapResourceTest,
                         testing::Values(BitmapCase{128, 32, 32}, BitmapCase{133, 64, 64},
                                         BitmapCase{136, 77, 17}, BitmapCase{141, 107, 129},
                                         BitmapCase{143, 60, 9}, BitmapCase{149, 1, 1}),
                         [](const auto &info) { return std::to_string(info.param.id); });

TEST(IconResourceTest, IconHasAtMostSixteenColours)
{
    const QImage icon(QStringLiteral(":/bitmaps/128.png"));
    ASSERT_FALSE(icon.isNull());
    QSet<QRgb> colours;
    const QImage argb = icon.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            colours.insert(argb.pixel(x, y));
    EXPECT_LE(colours.size(), 16);
    EXPECT_GE(colours.size(), 4); // a picture, not a blank square
}

class DesktopIconTest : public testing::TestWithParam<int> {};

TEST_P(DesktopIconTest, IsSquareAtItsSize)
{
    const int size = GetParam();
    const QImage image(QStringLiteral(":/icons/festmark-%1.png").arg(size));
    ASSERT_FALSE(image.isNull()) << size;
    EXPECT_EQ(image.size(), QSize(size, size));
    EXPECT_TRUE(image.hasAlphaChannel()); // rounded corners stay see-through on any panel
}

INSTANTIATE_TEST_SUITE_P(Sizes, DesktopIconTest, testing::Values(16, 22, 24, 32, 48, 64, 128, 256));

} // namespace
