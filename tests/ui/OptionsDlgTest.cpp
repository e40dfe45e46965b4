// The options dialog: its fields, refusals, defaults, browsing, and the form's OK and Cancel.
#include "OptionsDlg.h"
#include "FestelForm.h"
#include "Recorders.h"
#include "Settings.h"
#include "SettingsValues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono;

// The dialog's fields, as a user finds them.
struct Fields {
    explicit Fields(QWidget *dialog)
        : ansi(dialog->findChild<QRadioButton *>("ansiRadio"))
        , oem(dialog->findChild<QRadioButton *>("oemRadio"))
        , back(dialog->findChild<QSpinBox *>("startDaysSpin"))
        , ahead(dialog->findChild<QSpinBox *>("stopDaysSpin"))
        , browse(dialog->findChild<QPushButton *>("browseButton"))
        , path(dialog->findChild<QLineEdit *>("filePathEdit"))
        , autoStart(dialog->findChild<QCheckBox *>("autoStartCheck"))
        , notifyOnly(dialog->findChild<QCheckBox *>("notifyOnlyCheck"))
        , sources(dialog->findChild<QPushButton *>("sourcesButton"))
        , leapDay(dialog->findChild<QComboBox *>("leapDayCombo"))
        , buttons(dialog->findChild<QDialogButtonBox *>())
    {
    }
    QPushButton *Button(QDialogButtonBox::StandardButton which) const
    {
        return buttons->button(which);
    }

    QRadioButton *ansi, *oem;
    QSpinBox *back, *ahead;
    QPushButton *browse;
    QLineEdit *path;
    QCheckBox *autoStart, *notifyOnly;
    QPushButton *sources;
    QComboBox *leapDay;
    QDialogButtonBox *buttons;
};

class OptionsDlgTest : public testing::Test {
protected:
    static Settings Stored()
    {
        return MakeSettings(2, 7, CodePage::Ansi, "/daten/Festmark.txt", true);
    }

    RecordingBoxes m_boxes;
    COptionsDlg m_dialog{Stored(), "/programm/Festmark.txt", m_boxes};
    Fields m_fields{&m_dialog};
};

TEST_F(OptionsDlgTest, OpensWithTheSettingsInItsFields)
{
    EXPECT_EQ(m_dialog.windowTitle(), "Festmark-Optionen");
    EXPECT_TRUE(m_fields.ansi->isChecked());
    EXPECT_FALSE(m_fields.oem->isChecked());
    EXPECT_EQ(m_fields.back->text(), "2");
    EXPECT_EQ(m_fields.ahead->text(), "7");
    EXPECT_EQ(m_fields.path->text(), "/daten/Festmark.txt");
    EXPECT_TRUE(m_fields.autoStart->isChecked());
    EXPECT_EQ(m_fields.autoStart->text(), "a&utomatisch starten");
    EXPECT_EQ(m_fields.Button(QDialogButtonBox::RestoreDefaults)->text(), "&Standard");
    EXPECT_EQ(m_fields.Button(QDialogButtonBox::Cancel)->text(), "&Abbrechen");
    EXPECT_TRUE(m_fields.Button(QDialogButtonBox::Ok)->isDefault());
    EXPECT_EQ(m_dialog.settings(), Stored());
    // The checked code page is the group's one tab stop, the buttons follow the fields.
    m_fields.path->setFocus();
    const QList<QWidget *> stops = TabStops(&m_dialog);
    ASSERT_EQ(stops.size(), 12);
    EXPECT_EQ(stops.mid(0, 8), (QList<QWidget *>{m_fields.path, m_fields.sources, m_fields.leapDay,
                                                 m_fields.autoStart, m_fields.notifyOnly, stops[5],
                                                 stops[6], stops[7]}));
    EXPECT_EQ(stops.mid(8),
              (QList<QWidget *>{m_fields.ansi, m_fields.back, m_fields.ahead, m_fields.browse}));
    EXPECT_TRUE(m_fields.buttons->isAncestorOf(stops[5]));
}

TEST_F(OptionsDlgTest, OnlyNotifyingAtLoginGoesWithStartingAtLogin)
{
    EXPECT_EQ(m_fields.notifyOnly->text(), "beim Anmelden nur be&nachrichtigen");
    EXPECT_FALSE(m_fields.notifyOnly->isChecked());
    m_fields.notifyOnly->click();
    EXPECT_TRUE(m_dialog.settings().notifyOnly);
    m_fields.autoStart->setChecked(false);
    EXPECT_FALSE(m_fields.notifyOnly->isEnabled());
    m_fields.autoStart->setChecked(true);
    EXPECT_TRUE(m_fields.notifyOnly->isEnabled());
}

TEST_F(OptionsDlgTest, DaysBeyondTheRangesCannotBeTypedAndTheLimitsCan)
{
    for (QSpinBox *spin : {m_fields.back, m_fields.ahead}) {
        spin->selectAll();
        QTest::keyClicks(spin, spin == m_fields.back ? "3653" : "13150");
    }
    EXPECT_EQ(m_fields.back->text(), "365");
    EXPECT_EQ(m_fields.ahead->text(), "1315");
    m_fields.back->setValue(3652);
    m_fields.ahead->setValue(13149);
    m_fields.oem->setChecked(true);
    m_fields.autoStart->setChecked(false);
    m_fields.path->clear();
    m_dialog.accept();
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog.settings(), MakeSettings(3652, 13149, CodePage::Oem, "", false));
}

TEST_F(OptionsDlgTest, AnEmptiedDayFieldKeepsTheDialogOpenOnIt)
{
    m_dialog.show();
    m_fields.ahead->clear();
    m_dialog.accept();
    EXPECT_EQ(m_dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(m_dialog.isVisible());
    EXPECT_EQ(m_boxes.texts, QStringList{"Bitte eine ganze Zahl zwischen 0 und 13149 eingeben."});
    EXPECT_TRUE(m_dialog.focusWidget() == m_fields.ahead ||
                m_fields.ahead->isAncestorOf(m_dialog.focusWidget()));
}

TEST_F(OptionsDlgTest, DefaultsAreAnsiTwoSevenTheDefaultPathAndAutostart)
{
    m_fields.oem->setChecked(true);
    m_fields.back->setValue(100);
    m_fields.autoStart->setChecked(false);
    m_fields.Button(QDialogButtonBox::RestoreDefaults)->click();
    EXPECT_EQ(m_dialog.settings(),
              MakeSettings(2, 7, CodePage::Ansi, "/programm/Festmark.txt", true));
}

TEST_F(OptionsDlgTest, BrowsingChangesOnlyThePath)
{
    m_fields.back->setValue(30);
    m_fields.ahead->setValue(60);
    m_dialog.m_browse = [](QWidget *) {
        return QString("/neu/Liste.txt");
    };
    m_fields.browse->click();
    EXPECT_EQ(m_dialog.settings(), MakeSettings(30, 60, CodePage::Ansi, "/neu/Liste.txt", true));
    m_dialog.m_browse = [](QWidget *) {
        return QString();
    }; // cancelled
    m_fields.browse->click();
    EXPECT_EQ(m_fields.path->text(), "/neu/Liste.txt");
}

TEST(OptionsDlgOemTest, StoredValueOtherThanZeroOrOneChecksNeitherAndStaysNonzero)
{
    RecordingBoxes boxes;
    Settings stored = MakeSettings(2, 7, CodePage::Oem, "", true);
    stored.codePageChosen = false; // as a stored 5 reads
    COptionsDlg dialog(stored, "", boxes);
    const Fields fields(&dialog);
    EXPECT_FALSE(fields.ansi->isChecked());
    EXPECT_FALSE(fields.oem->isChecked());
    // Read as OEM, as any nonzero value, and stored as -1.
    EXPECT_EQ(dialog.settings().codePage, CodePage::Oem);
    EXPECT_FALSE(dialog.settings().codePageChosen);
}

// The form's options command: OK copies back and rescans, Cancel changes nothing.
class FormOptionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        StartWithDateList(m_dir.path(), "14.03.1976 Anna wird # alt\n");
        m_form = std::make_unique<CFestelForm>(m_boxes, m_sounds);
        m_form->SetToday([] { return 2026y / March / 14; });
        m_form->RunScan();
    }

    // Acts on the dialog once it is open, then lets the form carry on.
    void WithDialog(std::function<void(const Fields &)> act)
    {
        QTimer::singleShot(0, [act] {
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            act(Fields(dialog));
        });
        m_form->OnOptionsButton();
    }

    QTemporaryDir m_dir;
    RecordingBoxes m_boxes;
    RecordingSounds m_sounds;
    std::unique_ptr<CFestelForm> m_form;
};

TEST_F(FormOptionsTest, CancelAfterChangesLeavesFormAndGridUntouched)
{
    const Settings before = m_form->CurrentSettings();
    const QString caption = ShownCaption(*m_form);
    WithDialog([](const Fields &dialog) {
        dialog.back->setValue(100);
        dialog.path->setText("/anderswo.txt");
        dialog.Button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(m_form->CurrentSettings(), before);
    EXPECT_EQ(ShownCaption(*m_form), caption);
    EXPECT_EQ(ShownRows(*m_form), QStringList{"14.03.2026 | Anna wird 50 Jahre alt!"});
}

TEST_F(FormOptionsTest, OkCopiesTheValuesBackAndScansAgain)
{
    WriteFile(m_form->CurrentSettings().filePath,
              "14.03.1976 Anna wird # alt\n14.03.2000 Bert wird # alt\n");
    WithDialog([](const Fields &dialog) {
        dialog.back->setValue(0);
        dialog.ahead->setValue(0);
        dialog.Button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(m_form->CurrentSettings().startDays, 0);
    EXPECT_EQ(m_form->CurrentSettings().stopDays, 0);
    // Stored at once, not only when the program ends (a display that dies ends it abruptly).
    EXPECT_EQ(LoadSettings(QString()).startDays, 0);
    EXPECT_EQ(LoadSettings(QString()).stopDays, 0);
    EXPECT_EQ(ShownCaption(*m_form),
              QString::fromUtf8("Jubiläen vom 14.03.2026 bis zum 14.03.2026"));
    EXPECT_EQ(ShownRows(*m_form), (QStringList{"14.03.2026 | Anna wird 50 Jahre alt!",
                                               "14.03.2026 | Bert wird 26 Jahre alt!"}));
    EXPECT_EQ(m_sounds.events, (QStringList{"play 151", "play 151"}));
}

} // namespace

namespace {

QPushButton *ButtonNamed(QWidget *window, const QString &text)
{
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        if (button->text() == text)
            return button;
    }
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

TEST_F(FormOptionsTest, FurtherSourcesAreKeptInTheirOwnDialogAndShownWithTheList)
{
    const QString cards = m_dir.filePath("k.vcf");
    WriteFile(cards, "BEGIN:VCARD\r\nFN:Carla\r\nBDAY:19860314\r\nEND:VCARD\r\n");
    const QString bad = m_dir.filePath("b.txt");
    WriteFile(bad, "14.03.2016 Verein: # dabei\nkein Datum\n");
    WriteFile(m_form->CurrentSettings().filePath, "14.03.1976 Anna wird # alt\n31.02.2000 X\n");
    QStringList picked{bad, cards};
    WithDialog([&picked](const Fields &dialog) {
        auto *options = qobject_cast<COptionsDlg *>(dialog.buttons->window());
        options->m_browseSource = [&picked](QWidget *) {
            return picked.takeFirst();
        };
        // Both added, the second moved up before the first, then confirmed.
        QTimer::singleShot(0, [] {
            QWidget *sources = QApplication::activeModalWidget();
            ASSERT_EQ(sources->windowTitle(), "Weitere Quellen");
            ButtonNamed(sources, QString::fromUtf8("&Hinzufügen..."))->click();
            ButtonNamed(sources, QString::fromUtf8("&Hinzufügen..."))->click();
            ButtonNamed(sources, "Nach &oben")->click();
            QTest::keyClick(sources, Qt::Key_Return);
        });
        dialog.sources->click();
        dialog.Button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(m_form->CurrentSettings().sources, (QStringList{cards, bad}));
    EXPECT_EQ(LoadSettings(QString()).sources, (QStringList{cards, bad}));
    EXPECT_EQ(ShownRows(*m_form), (QStringList{"14.03.2026 | Anna wird 50 Jahre alt!",
                                               "14.03.2026 | Carla wird 40 Jahre alt!",
                                               "14.03.2026 | Verein: 10 Jahre dabei!"}));
    // One box for both files' bad lines, each under its own name.
    ASSERT_EQ(m_boxes.texts.size(), 1);
    EXPECT_TRUE(m_boxes.texts[0].contains(QDir::toNativeSeparators(bad) + ":\nZeile 2"))
        << m_boxes.texts[0].toStdString();
    EXPECT_TRUE(m_boxes.texts[0].contains(
        QDir::toNativeSeparators(m_form->CurrentSettings().filePath) + ":\nZeile 2"));
}

} // namespace
