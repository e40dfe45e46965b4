#pragma once

#include "Jubilee.h"
#include "ListDocument.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QUndoStack>
#include <QWidget>

#include <chrono>
#include <vector>

class MessageBoxService;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

// The date list's lines as a table: the date, the text before the count, the text after it,
// and the next jubilee (or why the line is no entry). Every change goes through the undo
// stack.
class CListEditModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { DateColumn, BeforeColumn, AfterColumn, NextColumn, ColumnCount };

    CListEditModel(QUndoStack &undo, QObject *parent = nullptr);

    void SetLines(std::vector<ListLine> lines);
    const std::vector<ListLine> &Lines() const noexcept { return m_lines; }
    void SetToday(std::chrono::sys_days today, LeapDay leapDay);

    // What the undo stack's commands do.
    void ReplaceLine(int row, const ListLine &line);
    void InsertLine(int row, const ListLine &line);
    void RemoveLine(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

private:
    QString Next(const QString &line) const;

    QUndoStack &m_undo;
    std::vector<ListLine> m_lines;
    std::chrono::sys_days m_today{};
    LeapDay m_leapDay = LeapDay::OnlyInLeapYears;
    mutable QHash<QString, QString> m_next; // a line's next jubilee, once worked out
};

// "Liste bearbeiten": the date list in a window of its own, edited by keys (Ctrl+N, Tab,
// Return, Delete, Ctrl+Z, Ctrl+Shift+Z, Ctrl+S, Escape) and saved back whole, every line that
// was not touched byte for byte. A change another program made in the meantime is never
// written over: the file is read again and the edits are carried over.
class CListEditor : public QWidget {
    Q_OBJECT

public:
    CListEditor(const QString &path, CodePage codePage, LeapDay leapDay, MessageBoxService &boxes,
                QWidget *parent = nullptr);
    ~CListEditor() override;

    // Reads the file; false, after saying why, when it cannot be edited here.
    bool Load();
    // The row whose line reads as `line` (a date list's line), selected.
    void SelectLine(const QString &line);
    void SetToday(std::chrono::sys_days today);
    bool IsModified() const { return !m_undo.isClean(); }

    bool Save();           // false when nothing was written (the reason was said)
    bool MayClose();       // asks about unsaved changes: saved, dropped, or the close cancelled
    void AddEntry();       // Ctrl+N
    void RemoveSelected(); // Delete

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ReadAgain(); // after another program's change, with the edits kept
    void UpdateTitle();
    int SourceRow(int viewRow) const;

    QString m_path;
    CodePage m_codePage;
    LeapDay m_leapDay;
    MessageBoxService &m_boxes;
    QUndoStack m_undo;
    CListEditModel *m_model;
    QSortFilterProxyModel *m_filter;
    QTableView *m_table;
    QLineEdit *m_search;
    ListDocument m_document; // the file as last read or written
    bool m_closing = false;  // asked already
};
