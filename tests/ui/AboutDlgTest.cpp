// The about box: its texts, pictures, focus and tab order.
#include "AboutDlg.h"
#include "Recorders.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(AboutDlgTest, ShowsVersionMakerPicturesAndTheFeatureList)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("Info über Festmark"));
    QStringList texts;
    QList<QSize> pictures;
    for (const QLabel *label : about.findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            texts.append(label->text());
        if (!label->pixmap().isNull())
            pictures.append(label->pixmap().size());
    }
    EXPECT_EQ(texts, (QStringList{"neue Features:",
                                  QString::fromUtf8("Festmark, Version 5.0\n© 2026 Orvanta")}));
    EXPECT_EQ(pictures, (QList<QSize>{QSize(107, 129), QSize(32, 32)}));

    auto *features = about.findChild<QPlainTextEdit *>();
    EXPECT_TRUE(features->isReadOnly());
    EXPECT_EQ(features->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(features->toPlainText().split('\n'),
              (QStringList{QString::fromUtf8("- Autostart möglich durch Registry-Eintrag"),
                           "- Automatische Abspeichern der Einstellungen in der Registry",
                           "- Sanduhr, Progressbar, Button mit Bitmap", "- Sound in Infobox"}));

    auto *ok = about.findChild<QPushButton *>();
    // Bitmap 143 instead of the text, as tall as a line of the button's font.
    EXPECT_EQ(ok->iconSize().height(), std::max(9, ok->fontMetrics().height()));
    EXPECT_NEAR(ok->iconSize().width(), ok->iconSize().height() * 60 / 9, 1);
    EXPECT_EQ(ok->accessibleName(), "OK");
}

TEST(AboutDlgTest, TheOkPictureIsReadableOnADarkPaletteAndGrowsWithA18PointFont)
{
    const QPalette light = QApplication::palette();
    const QFont font = QApplication::font();
    QPalette dark = light;
    dark.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    QApplication::setPalette(dark);
    QFont large = font;
    large.setPointSize(18);
    QApplication::setFont(large);
    {
        CAboutDlg about;
        const auto *ok = about.findChild<QPushButton *>();
        EXPECT_EQ(ok->iconSize().height(), ok->fontMetrics().height());
        EXPECT_GT(ok->iconSize().height(), 20);
        // Its writing is now light: no opaque grey pixel is dark any more.
        const QImage picture = ok->icon().pixmap(ok->iconSize()).toImage();
        int writing = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QColor pixel = picture.pixelColor(x, y);
                if (pixel.alpha() < 200 || pixel.hsvSaturation() > 64)
                    continue;
                ++writing;
                EXPECT_GT(pixel.value(), 128) << x << "," << y;
            }
        }
        EXPECT_GT(writing, 0);
    }
    QApplication::setPalette(light);
    QApplication::setFont(font);
}

TEST(AboutDlgTest, OkIsTheFirstTabStopHasTheFocusAndCloses)
{
    CAboutDlg about;
    auto *ok = about.findChild<QPushButton *>();
    WhenModalShown([&](QWidget *) {
        EXPECT_EQ(about.focusWidget(), ok);
        EXPECT_EQ(TabStops(&about), (QList<QWidget *>{ok, about.findChild<QPlainTextEdit *>()}));
        QTest::keyClick(ok, Qt::Key_Return);
    });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
}

} // namespace
