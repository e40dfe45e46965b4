#include "FlexGrid.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int kColumns = 2;

struct Cell {
    QString text;
    std::optional<unsigned long> back;
    std::optional<unsigned long> fore;
    std::optional<short> alignment;
};

using Row = std::array<Cell, kColumns>;

QColor ToColor(unsigned long bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// FlexGrid's alignment codes: 0..2 left, 3..5 centre, 6..8 right (top, centre, bottom);
// a single-line row reads best centred vertically.
Qt::Alignment ToAlignment(short code)
{
    const Qt::Alignment horizontal = code >= 6   ? Qt::AlignRight
                                     : code >= 3 ? Qt::AlignHCenter
                                                 : Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter;
}

} // namespace

// All rows, the header row 0 included; the view sees rows 1.. as data and row 0 as header.
class FlexGridModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size()) - 1;
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : kColumns;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const Cell &cell = m_rows[static_cast<std::size_t>(index.row()) + 1]
                                 [static_cast<std::size_t>(index.column())];
        switch (role) {
        case Qt::DisplayRole:
            return cell.text;
        case Qt::BackgroundRole:
            return cell.back ? QVariant(ToColor(*cell.back)) : QVariant();
        case Qt::ForegroundRole:
            return cell.fore ? QVariant(ToColor(*cell.fore)) : QVariant();
        case Qt::TextAlignmentRole:
            return cell.alignment ? QVariant(ToAlignment(*cell.alignment)) : QVariant();
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < kColumns && !m_rows.empty())
            return m_rows[0][static_cast<std::size_t>(section)].text;
        return {};
    }

    long RowCount() const { return static_cast<long>(m_rows.size()); }

    void SetRowCount(long rows)
    {
        const long count = std::max(rows, 1L); // the header row stays
        const long current = RowCount();
        if (count > current) {
            beginInsertRows({}, static_cast<int>(current) - 1, static_cast<int>(count) - 2);
            m_rows.resize(static_cast<std::size_t>(count));
            endInsertRows();
        } else if (count < current) {
            beginRemoveRows({}, static_cast<int>(count) - 1, static_cast<int>(current) - 2);
            m_rows.resize(static_cast<std::size_t>(count));
            endRemoveRows();
        }
    }

    void Clear()
    {
        beginResetModel();
        for (Row &row : m_rows)
            row = Row{};
        endResetModel();
    }

    Cell *At(long row, long column)
    {
        if (row < 0 || row >= RowCount() || column < 0 || column >= kColumns)
            return nullptr;
        return &m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }
    const Cell *At(long row, long column) const
    {
        return const_cast<FlexGridModel *>(this)->At(row, column);
    }

    void Changed(long row, long column)
    {
        if (row == 0)
            emit headerDataChanged(Qt::Horizontal, static_cast<int>(column),
                                   static_cast<int>(column));
        else
            emit dataChanged(index(static_cast<int>(row) - 1, static_cast<int>(column)),
                             index(static_cast<int>(row) - 1, static_cast<int>(column)));
    }

private:
    std::vector<Row> m_rows{1};
};

CMSFlexGrid::CMSFlexGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new FlexGridModel(this))
{
    setModel(m_model);
    verticalHeader()->hide();
    // Fixed row heights keep a grid of a hundred thousand rows quick to scroll.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // Tab leaves the grid for the buttons instead of walking its cells.
    setTabKeyNavigation(false);
    // The grid starts as its designer set it up: the header and eleven empty rows.
    m_model->SetRowCount(12);
}

CMSFlexGrid::~CMSFlexGrid() = default;

QSize CMSFlexGrid::sizeHint() const
{
    // About 65 average characters wide and 15 lines high, whatever the desktop's font.
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * 65, metrics.height() * 61 / 4};
}

void CMSFlexGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    // A click on a long message must not scroll the dates out of sight: only rows scroll
    // into view by themselves.
    const int column = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(column);
}

long CMSFlexGrid::GetRowCount() const
{
    return m_model->RowCount();
}

void CMSFlexGrid::SetRowCount(long rows)
{
    m_model->SetRowCount(rows);
}

void CMSFlexGrid::ClearGrid()
{
    m_model->Clear();
}

void CMSFlexGrid::SetCurrentRow(long row)
{
    m_row = row;
}

void CMSFlexGrid::SetCurrentCol(long column)
{
    m_column = column;
}

void CMSFlexGrid::SetCellText(const QString &text)
{
    if (Cell *cell = m_model->At(m_row, m_column)) {
        cell->text = text;
        m_model->Changed(m_row, m_column);
    }
}

void CMSFlexGrid::SetCellBackColour(unsigned long colour)
{
    if (Cell *cell = m_model->At(m_row, m_column)) {
        cell->back = colour;
        m_model->Changed(m_row, m_column);
    }
}

void CMSFlexGrid::SetCellForeColour(unsigned long colour)
{
    if (Cell *cell = m_model->At(m_row, m_column)) {
        cell->fore = colour;
        m_model->Changed(m_row, m_column);
    }
}

void CMSFlexGrid::SetCellAlignment(short alignment)
{
    if (Cell *cell = m_model->At(m_row, m_column)) {
        cell->alignment = alignment;
        m_model->Changed(m_row, m_column);
    }
}

void CMSFlexGrid::SetColumnWidth(long column, long twips)
{
    const double dpi = logicalDpiX();
    // Twips at the screen's resolution, widened for fonts broader than the home platform's
    // dialog font (6 pixels a character at 96 dpi), so that a date still fits its column.
    const double average = fontMetrics().horizontalAdvance(QStringLiteral(
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                           52.0;
    const double widening = std::max(1.0, average / (6.0 * dpi / 96.0));
    setColumnWidth(static_cast<int>(column),
                   static_cast<int>(twips * dpi / 1440.0 * widening + 0.5));
}

QString CMSFlexGrid::CellText(long row, long column) const
{
    const Cell *cell = m_model->At(row, column);
    return cell != nullptr ? cell->text : QString();
}

std::optional<unsigned long> CMSFlexGrid::CellBackColour(long row, long column) const
{
    const Cell *cell = m_model->At(row, column);
    return cell != nullptr ? cell->back : std::nullopt;
}

std::optional<unsigned long> CMSFlexGrid::CellForeColour(long row, long column) const
{
    const Cell *cell = m_model->At(row, column);
    return cell != nullptr ? cell->fore : std::nullopt;
}
