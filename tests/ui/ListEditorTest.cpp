// The list editor as its user types: a new entry, a removal taken back, a bad line refused,
// a character the code page lacks, another program's line kept, unsaved edits asked about.
#include "ListEditor.h"
#include "Recorders.h"

#include <QAbstractItemView>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

class ListEditorTest : public testing::Test {
protected:
    CListEditor &Open(const QByteArray &content, CodePage page = CodePage::Ansi)
    {
        WriteFile(Path(), content);
        m_editor = new CListEditor(Path(), page, LeapDay::OnlyInLeapYears, m_boxes);
        m_editor->SetToday(sys_days{2026y / March / 14});
        EXPECT_TRUE(m_editor->Load());
        m_editor->show();
        m_editor->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_editor));
        return *m_editor;
    }
    QString Path() const { return m_dir.filePath("Festmark.txt"); }
    QByteArray OnDisk() const
    {
        QFile file(Path());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    QTableView &Table() const { return *m_editor->findChild<QTableView *>(); }
    QString Cell(int row, int column) const
    {
        return Table().model()->index(row, column).data().toString();
    }
    // Types into the field being edited, then Tab or Return, as the user does.
    void Type(const QString &text, Qt::Key then)
    {
        QWidget *field = QApplication::focusWidget();
        ASSERT_NE(qobject_cast<QLineEdit *>(field), nullptr) << "no field is being edited";
        for (const QChar c : text) // as a keyboard layout hands over "ö" or "€"
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::keyClick(field, then);
        QCoreApplication::processEvents(); // Return commits the field once the key is done
    }

    void TearDown() override
    {
        if (m_editor != nullptr) {
            m_boxes.answer = 1; // unsaved edits dropped
            delete m_editor;
        }
    }

    QTemporaryDir m_dir;
    RecordingBoxes m_boxes;
    CListEditor *m_editor = nullptr;
};

TEST_F(ListEditorTest, ANewEntryIsTypedFieldByFieldAndSavedInTheFilesOwnWay)
{
    CListEditor &editor = Open("14.03.1976 \xc4nne wird # alt\r\n");
    EXPECT_EQ(Table().currentIndex().row(), 0);
    EXPECT_EQ(Cell(0, 3), QString::fromUtf8("14.03.2026: Änne wird 50 Jahre alt!"));
    editor.AddEntry();
    Type("1.4.2000", Qt::Key_Tab);
    Type(QString::fromUtf8("Jörg wird"), Qt::Key_Tab);
    Type("alt", Qt::Key_Return);
    EXPECT_EQ(Cell(1, 2), "alt");
    EXPECT_EQ(Cell(1, 3), QString::fromUtf8("01.04.2026: Jörg wird 26 Jahre alt!"));
    EXPECT_TRUE(editor.IsModified());
    ASSERT_TRUE(editor.Save());
    EXPECT_EQ(OnDisk(),
              QByteArray("14.03.1976 \xc4nne wird # alt\r\n01.04.2000 J\xf6rg wird # alt\r\n"));
    EXPECT_FALSE(editor.IsModified());
}

TEST_F(ListEditorTest, RemovedAndTakenBackLeavesTheFileByteForByte)
{
    const QByteArray file("14.03.1976 Anna # alt\n31.02.2000 Niemand\n1.3.1976 Bj\xc3\xb6rn # alt");
    CListEditor &editor = Open(file);
    EXPECT_EQ(Cell(1, 3), QString::fromUtf8("Kein gültiger Eintrag: kein gültiges Datum"));
    Table().selectRow(1);
    editor.RemoveSelected();
    EXPECT_EQ(Table().model()->rowCount(), 2);
    QTest::keyClick(&Table(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Table().model()->rowCount(), 3);
    EXPECT_EQ(Cell(1, 0), "31.02.2000");
    ASSERT_TRUE(editor.Save());
    EXPECT_EQ(OnDisk(), file);
}

TEST_F(ListEditorTest, AGoodLineCannotBecomeABadOneBySaving)
{
    CListEditor &editor = Open("14.03.1976 Anna # alt\n");
    Table().setCurrentIndex(Table().model()->index(0, 0));
    Table().edit(Table().currentIndex());
    QApplication::focusWidget()->setProperty("text", QString()); // the date typed anew
    Type("31.02.1976", Qt::Key_Return);
    EXPECT_FALSE(editor.Save());
    EXPECT_TRUE(m_boxes.texts.last().contains("Zeile 1 ist kein gültiger Eintrag"))
        << m_boxes.texts.last().toStdString();
    EXPECT_EQ(OnDisk(), "14.03.1976 Anna # alt\n");
}

TEST_F(ListEditorTest, ACharacterOutsideCodePage850IsRefusedBeforeAnythingIsWritten)
{
    CListEditor &editor = Open("14.03.1976 Anna # alt\r\n", CodePage::Oem);
    editor.AddEntry();
    Type("01.01.2002", Qt::Key_Tab);
    Type(QString::fromUtf8("Euro €"), Qt::Key_Return);
    EXPECT_FALSE(editor.Save());
    EXPECT_TRUE(m_boxes.texts.last().contains(QString::fromUtf8("„€“ in Zeile 2")))
        << m_boxes.texts.last().toStdString();
    EXPECT_EQ(OnDisk(), "14.03.1976 Anna # alt\r\n");
}

TEST_F(ListEditorTest, ALineAnotherProgramAddedSurvivesTheSave)
{
    CListEditor &editor = Open("14.03.1976 Anna # alt\n");
    editor.AddEntry();
    Type("15.03.2000", Qt::Key_Tab);
    Type("Bernd wird", Qt::Key_Tab);
    Type("alt", Qt::Key_Return);
    WriteFile(Path(), "14.03.1976 Anna # alt\n20.03.2016 Verein: # Mitglied\n");
    m_boxes.answer = 0; // "Neu einlesen"
    EXPECT_FALSE(editor.Save());
    EXPECT_TRUE(m_boxes.texts.last().contains("Ein anderes Programm hat"))
        << m_boxes.texts.last().toStdString();
    EXPECT_EQ(OnDisk(), "14.03.1976 Anna # alt\n20.03.2016 Verein: # Mitglied\n");
    EXPECT_TRUE(editor.IsModified()); // the edits are still on screen
    ASSERT_TRUE(editor.Save());
    EXPECT_EQ(OnDisk(), "14.03.1976 Anna # alt\n20.03.2016 Verein: # Mitglied\n"
                        "15.03.2000 Bernd wird # alt\n");
}

TEST_F(ListEditorTest, ClosingWithUnsavedEditsAsksAndCanBeCancelled)
{
    CListEditor &editor = Open("14.03.1976 Anna # alt\n");
    editor.AddEntry();
    Type("15.03.2000", Qt::Key_Return);
    m_boxes.answer = 2; // "Abbrechen"
    EXPECT_FALSE(editor.close());
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(m_boxes.asked.last(), (QStringList{"&Speichern", "&Verwerfen", "&Abbrechen"}));
    EXPECT_EQ(OnDisk(), "14.03.1976 Anna # alt\n");
}

} // namespace
