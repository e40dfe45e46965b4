#pragma once

#include <QTableView>

// The result grid: the rows of the last scan in two columns, date and message, under a
// header row. Rows are selected whole; Ctrl+C copies them as text; a message wider than its
// column shows in full as a tooltip.
class CMSFlexGrid : public QTableView {
    Q_OBJECT

public:
    explicit CMSFlexGrid(QWidget *parent = nullptr);

    void SetColumnWidth(int column, int twips);
    QString SelectedText() const; // "date<TAB>message" per selected row

    QSize sizeHint() const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
};
