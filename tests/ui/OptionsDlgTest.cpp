// The options dialog: its fields, validation, defaults, browsing, and the form's OK and Cancel.
#include "OptionsDlg.h"
#include "FestelForm.h"
#include "FlexGrid.h"
#include "Profile.h"
#include "Recorders.h"
#include "UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

class OptionsDlgTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dialog.m_oemFile = 0;
        m_dialog.m_startDays = 2;
        m_dialog.m_stopDays = 7;
        m_dialog.m_filePath = "/daten/Festmark.txt";
        m_dialog.m_defaultFilePath = "/programm/Festmark.txt";
        m_dialog.m_autoStart = 1;
        m_dialog.show();
        QApplication::setActiveWindow(&m_dialog);
        m_dialog.OnInitDialog();
    }

    template <typename Widget> Widget *Control(int id) const
    {
        return qobject_cast<Widget *>(m_dialog.Controls().value(id));
    }
    QLineEdit *Back() const { return Control<QLineEdit>(1027); }
    QLineEdit *Ahead() const { return Control<QLineEdit>(1018); }
    QLineEdit *Path() const { return Control<QLineEdit>(1032); }

    RecordingBoxes m_boxes;
    COptionsDlg m_dialog{m_boxes};
};

TEST_F(OptionsDlgTest, OpensWithTheMembersInItsFields)
{
    EXPECT_EQ(m_dialog.windowTitle(), "Festmark-Optionen");
    EXPECT_TRUE(Control<QRadioButton>(1015)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(1016)->isChecked());
    EXPECT_EQ(Back()->text(), "2");
    EXPECT_EQ(Ahead()->text(), "7");
    EXPECT_EQ(Path()->text(), "/daten/Festmark.txt");
    EXPECT_TRUE(Control<QCheckBox>(1034)->isChecked());
    EXPECT_EQ(Control<QPushButton>(1028)->text(), "&Standard");
    EXPECT_EQ(Control<QPushButton>(2)->text(), "&Abbrechen");
    EXPECT_TRUE(Control<QPushButton>(1)->isDefault());
}

struct RefusedCase {
    const char *name;
    int field;
    const char *text;
    const char *message;
};

class OptionsRefusedTest : public OptionsDlgTest,
                           public testing::WithParamInterface<RefusedCase> {};

TEST_P(OptionsRefusedTest, KeepsTheDialogOpenOnTheOffendingField)
{
    const RefusedCase &c = GetParam();
    QLineEdit *field = Control<QLineEdit>(c.field);
    field->setText(c.text);
    m_dialog.OnOK();
    EXPECT_TRUE(m_dialog.isVisible());
    EXPECT_EQ(m_dialog.result(), QDialog::Rejected);
    ASSERT_EQ(m_boxes.texts.size(), 1);
    EXPECT_EQ(m_boxes.texts[0], c.message);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->selectedText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsRefusedTest,
    testing::Values(RefusedCase{"BackTooFar", 1027, "3653",
                                "Bitte eine ganze Zahl zwischen 0 und 3652 eingeben."},
                    RefusedCase{"AheadTooFar", 1018, "13150",
                                "Bitte eine ganze Zahl zwischen 0 und 13149 eingeben."},
                    RefusedCase{"BackNegative", 1027, "-1",
                                "Bitte eine ganze Zahl zwischen 0 und 3652 eingeben."},
                    RefusedCase{"LettersBack", 1027, "zwei", "Bitte eine ganze Zahl eingeben."},
                    RefusedCase{"LettersAhead", 1018, "7a", "Bitte eine ganze Zahl eingeben."},
                    RefusedCase{"EmptyAhead", 1018, "", "Bitte eine ganze Zahl eingeben."}),
    [](const auto &info) { return info.param.name; });

TEST_F(OptionsDlgTest, OkTakesTheLimitsThemselves)
{
    Back()->setText("3652");
    Ahead()->setText("13149");
    Control<QRadioButton>(1016)->setChecked(true);
    Control<QCheckBox>(1034)->setChecked(false);
    Path()->setText("");
    m_dialog.OnOK();
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog.m_startDays, 3652);
    EXPECT_EQ(m_dialog.m_stopDays, 13149);
    EXPECT_EQ(m_dialog.m_oemFile, 1);
    EXPECT_EQ(m_dialog.m_autoStart, 0);
    EXPECT_EQ(m_dialog.m_filePath, "");
}

TEST_F(OptionsDlgTest, DefaultsAreAnsiTwoSevenTheDefaultPathAndAutostart)
{
    Control<QRadioButton>(1016)->setChecked(true);
    Back()->setText("100");
    Control<QCheckBox>(1034)->setChecked(false);
    Control<QPushButton>(1028)->click();
    EXPECT_TRUE(Control<QRadioButton>(1015)->isChecked());
    EXPECT_EQ(Back()->text(), "2");
    EXPECT_EQ(Ahead()->text(), "7");
    EXPECT_EQ(Path()->text(), "/programm/Festmark.txt");
    EXPECT_TRUE(Control<QCheckBox>(1034)->isChecked());
    EXPECT_EQ(m_dialog.m_oemFile, 0);
}

TEST_F(OptionsDlgTest, BrowsingChangesOnlyThePath)
{
    Back()->setText("30");
    Ahead()->setText("60");
    m_dialog.m_browse = [](QWidget *) {
        return QString("/neu/Liste.txt");
    };
    Control<QPushButton>(1033)->click();
    EXPECT_EQ(Path()->text(), "/neu/Liste.txt");
    EXPECT_EQ(Back()->text(), "30");
    EXPECT_EQ(Ahead()->text(), "60");

    m_dialog.m_browse = [](QWidget *) {
        return QString();
    }; // cancelled
    Control<QPushButton>(1033)->click();
    EXPECT_EQ(Path()->text(), "/neu/Liste.txt");
}

TEST_F(OptionsDlgTest, UpDownStepsWithinTheRange)
{
    CUpDown *backArrows = Control<CUpDown>(1021);
    ASSERT_NE(backArrows, nullptr);
    backArrows->Step(1);
    EXPECT_EQ(Back()->text(), "3");
    Back()->setText("3652");
    backArrows->Step(1);
    EXPECT_EQ(Back()->text(), "3652");
    Ahead()->setText("0");
    Control<CUpDown>(1019)->Step(-1);
    EXPECT_EQ(Ahead()->text(), "0");
    Back()->setFocus();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(Back(), &down);
    EXPECT_EQ(Back()->text(), "3651");
}

TEST(OptionsDlgOemTest, StoredValueOtherThanZeroOrOneChecksNeitherAndStaysNonzero)
{
    RecordingBoxes boxes;
    COptionsDlg dialog(boxes);
    dialog.m_oemFile = 5;
    dialog.OnInitDialog();
    EXPECT_FALSE(qobject_cast<QRadioButton *>(dialog.Controls().value(1015))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton *>(dialog.Controls().value(1016))->isChecked());
    dialog.OnOK();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_oemFile, -1); // read as OEM, as any nonzero value
}

// The form's options command: OK copies back and rescans, Cancel changes nothing.
class FormOptionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ForgetSettings();
        m_list = WriteFile(m_dir.filePath("a.txt"), "14.03.1976 Anna wird # alt\n");
        WriteProfileString("Settings", "FilePath", m_list);
        m_form = std::make_unique<CFestelForm>(m_boxes, m_sounds);
        m_form->m_today = [] {
            return 2026y / March / 14;
        };
        m_form->OnInitialUpdate();
        m_form->RunScan();
    }

    // Acts on the dialog once it is open, then lets the form carry on.
    void WithDialog(std::function<void(COptionsDlg &)> act)
    {
        QTimer::singleShot(0, [act] {
            auto *dialog = qobject_cast<COptionsDlg *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            act(*dialog);
        });
        m_form->OnOptionsButton();
    }

    static QLineEdit *Edit(COptionsDlg &dialog, int id)
    {
        return qobject_cast<QLineEdit *>(dialog.Controls().value(id));
    }

    QTemporaryDir m_dir;
    QString m_list;
    RecordingBoxes m_boxes;
    RecordingSounds m_sounds;
    std::unique_ptr<CFestelForm> m_form;
};

TEST_F(FormOptionsTest, CancelAfterChangesLeavesFormAndGridUntouched)
{
    const QString caption = m_form->m_rangeText;
    WithDialog([](COptionsDlg &dialog) {
        Edit(dialog, 1027)->setText("100");
        Edit(dialog, 1032)->setText("/anderswo.txt");
        qobject_cast<QPushButton *>(dialog.Controls().value(2))->click();
    });
    EXPECT_EQ(m_form->m_startDays, 2);
    EXPECT_EQ(m_form->m_filePath, m_list);
    EXPECT_EQ(m_form->m_rangeText, caption);
    EXPECT_EQ(m_form->m_grid->GetRowCount(), 2);
    EXPECT_EQ(m_form->m_grid->CellText(1, 1), "Anna wird 50 Jahre alt!");
}

TEST_F(FormOptionsTest, OkWithoutChangesRunsAFreshScan)
{
    WriteFile(m_list, "14.03.1976 Anna wird # alt\n14.03.2000 Bert wird # alt\n");
    WithDialog([](COptionsDlg &dialog) {
        qobject_cast<QPushButton *>(dialog.Controls().value(1))->click();
    });
    QStringList messages;
    for (long row = 1; row < m_form->m_grid->GetRowCount(); ++row)
        messages.append(m_form->m_grid->CellText(row, 1));
    EXPECT_TRUE(messages.contains("Bert wird 26 Jahre alt!")) << messages.join('|').toStdString();
    EXPECT_EQ(m_sounds.events, (QStringList{"play 151", "play 151"}));
}

TEST_F(FormOptionsTest, OkCopiesTheValuesBackAndScansWithThem)
{
    WithDialog([](COptionsDlg &dialog) {
        Edit(dialog, 1027)->setText("0");
        Edit(dialog, 1018)->setText("0");
        qobject_cast<QPushButton *>(dialog.Controls().value(1))->click();
    });
    EXPECT_EQ(m_form->m_startDays, 0);
    EXPECT_EQ(m_form->m_stopDays, 0);
    EXPECT_EQ(m_form->m_rangeText, QString::fromUtf8("Jubiläen vom 14.03.2026 bis zum 14.03.2026"));
}

TEST_F(FormOptionsTest, RefusedValueKeepsTheDialogOpenUntilCorrected)
{
    WithDialog([](COptionsDlg &dialog) {
        Edit(dialog, 1018)->setText("13150");
        auto *ok = qobject_cast<QPushButton *>(dialog.Controls().value(1));
        ok->click();
        EXPECT_TRUE(dialog.isVisible());
        Edit(dialog, 1018)->setText("13149");
        ok->click();
    });
    EXPECT_EQ(m_boxes.texts, QStringList{"Bitte eine ganze Zahl zwischen 0 und 13149 eingeben."});
    EXPECT_EQ(m_form->m_stopDays, 13149);
}

} // namespace
