// The about box: its controls, pictures, texts and focus.
#include "AboutDlg.h"
#include "Recorders.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

QList<QLabel *> PictureLabels(const CAboutDlg &about)
{
    QList<QLabel *> pictures;
    for (QLabel *label : about.findChildren<QLabel *>())
        if (!label->pixmap().isNull())
            pictures.append(label);
    return pictures;
}

TEST(AboutDlgTest, ShowsVersionMakerAndTheFeatureList)
{
    RecordingBoxes boxes;
    CAboutDlg about(boxes);
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("Info über Festmark"));
    QStringList texts;
    for (const QLabel *label : about.findChildren<QLabel *>())
        if (!label->text().isEmpty())
            texts.append(label->text());
    ASSERT_EQ(texts.size(), 2);
    const QStringList lines = texts[0].split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "Festmark, Version 5.0");
    EXPECT_FALSE(lines[1].isEmpty());
    EXPECT_EQ(texts[1], "neue Features:");

    auto *features = qobject_cast<QPlainTextEdit *>(about.Controls().value(1041));
    ASSERT_NE(features, nullptr);
    EXPECT_TRUE(features->isReadOnly());
    EXPECT_EQ(features->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(features->toPlainText().split('\n'),
              (QStringList{QString::fromUtf8("- Autostart möglich durch Registry-Eintrag"),
                           "- Automatische Abspeichern der Einstellungen in der Registry",
                           "- Sanduhr, Progressbar, Button mit Bitmap", "- Sound in Infobox"}));
}

TEST(AboutDlgTest, ShowsThePictureTheIconAndTheOkBitmap)
{
    RecordingBoxes boxes;
    CAboutDlg about(boxes);
    QList<QSize> sizes;
    for (const QLabel *label : PictureLabels(about))
        sizes.append(label->pixmap().size());
    EXPECT_EQ(sizes, (QList<QSize>{QSize(107, 129), QSize(32, 32)}));

    ASSERT_NE(about.m_okButton, nullptr);
    EXPECT_EQ(about.m_okBitmap.size(), QSize(60, 9));
    EXPECT_FALSE(about.m_okButton->icon().isNull());
    EXPECT_EQ(about.m_okButton->iconSize(), QSize(60, 9));
    EXPECT_EQ(about.m_okButton->accessibleName(), "OK"); // still named for screen readers
}

TEST(AboutDlgTest, OkIsTheFirstTabStopHasTheFocusAndCloses)
{
    RecordingBoxes boxes;
    CAboutDlg about(boxes);
    WhenModalShown([&about](QWidget *modal) {
        EXPECT_EQ(modal, &about);
        EXPECT_EQ(about.focusWidget(), about.m_okButton);
        QList<QWidget *> tabStops;
        for (QWidget *w = about.nextInFocusChain(); w != &about; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                tabStops.append(w);
        EXPECT_EQ(tabStops, (QList<QWidget *>{about.m_okButton, about.Controls().value(1041)}));
        about.m_okButton->click();
    });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
    EXPECT_TRUE(boxes.texts.isEmpty());
}

} // namespace
