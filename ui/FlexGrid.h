#pragma once

#include <QTableView>

#include <optional>

class FlexGridModel;

// The result grid: a FlexGrid-like table addressed through a current row and column. Row 0
// is the fixed header row, shown as the table's header; there is no fixed column. Colours
// are 0x00BBGGRR values, widths twips.
class CMSFlexGrid : public QTableView {
    Q_OBJECT

public:
    explicit CMSFlexGrid(QWidget *parent = nullptr);
    ~CMSFlexGrid() override;

    QSize sizeHint() const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

    long GetRowCount() const;
    void SetRowCount(long rows);
    void ClearGrid(); // texts and colours, not the number of rows
    void SetCurrentRow(long row);
    void SetCurrentCol(long column);
    void SetCellText(const QString &text);
    void SetCellBackColour(unsigned long colour);
    void SetCellForeColour(unsigned long colour);
    void SetCellAlignment(short alignment);
    void SetColumnWidth(long column, long twips);

    // What a cell shows, for reading back.
    QString CellText(long row, long column) const;
    std::optional<unsigned long> CellBackColour(long row, long column) const;
    std::optional<unsigned long> CellForeColour(long row, long column) const;

private:
    FlexGridModel *m_model;
    long m_row = 0;
    long m_column = 0;
};

namespace colour {
constexpr unsigned long kRed = 0x000000FF;
constexpr unsigned long kYellow = 0x0000FFFF;
constexpr unsigned long kWhite = 0x00FFFFFF;
constexpr unsigned long kBlack = 0x00000000;
} // namespace colour
