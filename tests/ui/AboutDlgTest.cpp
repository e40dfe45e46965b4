// The about box: its texts, pictures, focus and tab order.
#include "AboutDlg.h"
#include "Recorders.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

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
    EXPECT_EQ(ok->iconSize(), QSize(60, 9)); // bitmap 143 instead of the text
    EXPECT_EQ(ok->accessibleName(), "OK");
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
