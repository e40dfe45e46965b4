#include "FlexGrid.h"

#include "Services.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <optional>

CMSFlexGrid::CMSFlexGrid(QWidget *parent)
    : QTableView(parent)
{
    verticalHeader()->hide();
    // Fixed row heights keep a grid of millions of rows quick to fill and to scroll.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // Tab leaves the grid for the buttons instead of walking its cells.
    setTabKeyNavigation(false);
    // The context menu names the keys, which the grid itself handles.
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *copy =
        new QAction(QStringLiteral("&Kopieren\t") +
                        QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText),
                    this);
    connect(copy, &QAction::triggered, this, [this] {
        if (const QString text = SelectedText(); !text.isEmpty())
            QGuiApplication::clipboard()->setText(text);
    });
    auto *all =
        new QAction(QStringLiteral("&Alle auswählen\t") +
                        QKeySequence(QKeySequence::SelectAll).toString(QKeySequence::NativeText),
                    this);
    connect(all, &QAction::triggered, this, &QAbstractItemView::selectAll);
    addActions({copy, all});
}

void CMSFlexGrid::SetColumnWidth(int column, int twips)
{
    const double dpi = logicalDpiX();
    // Twips at the screen's resolution, widened for fonts broader than the home platform's
    // dialog font (6 pixels a character at 96 dpi); and never too narrow for a date.
    const double average = fontMetrics().horizontalAdvance(QStringLiteral(
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                           52.0;
    const double widening = std::max(1.0, average / (6.0 * dpi / 96.0));
    const int date = fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) +
                     fontMetrics().averageCharWidth() * 2;
    setColumnWidth(column, std::max(static_cast<int>(std::lround(twips * dpi / 1440.0 * widening)),
                                    column == 0 ? date : 0));
}

QString CMSFlexGrid::SelectedText() const
{
    // By the selection's ranges, not one index per row: Ctrl+A over millions of rows is a
    // handful of ranges. A long copy shows the wait cursor.
    QList<QItemSelectionRange> ranges = selectionModel()->selection();
    std::sort(ranges.begin(), ranges.end(),
              [](const QItemSelectionRange &a, const QItemSelectionRange &b) {
                  return a.top() < b.top();
              });
    std::optional<WaitCursor> wait;
    if (!ranges.isEmpty() && ranges.constLast().bottom() - ranges.constFirst().top() > 10000) {
        wait.emplace(std::chrono::milliseconds(0));
        wait->Update();
    }
    QString text;
    int next = 0; // rows before it are copied: ranges of the two columns overlap
    for (const QItemSelectionRange &range : ranges) {
        for (int row = std::max(range.top(), next); row <= range.bottom(); ++row) {
            const QModelIndex date = model()->index(row, 0);
            text += date.data().toString();
            text += '\t';
            text += date.siblingAtColumn(1).data().toString();
            text += '\n';
            if (wait && row % 4096 == 0)
                wait->Update();
        }
        next = std::max(next, range.bottom() + 1);
    }
    return text;
}

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

void CMSFlexGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        if (const QString text = SelectedText(); !text.isEmpty())
            QGuiApplication::clipboard()->setText(text);
        return;
    }
    QTableView::keyPressEvent(event);
}

bool CMSFlexGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString text = index.data().toString();
        const int room =
            visualRect(index).width() - 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) - 2;
        // The message comes from the user's file: shown as text, never read as markup.
        if (index.isValid() && viewport()->fontMetrics().horizontalAdvance(text) > room)
            QToolTip::showText(help->globalPos(),
                               QStringLiteral("<qt>%1</qt>").arg(text.toHtmlEscaped()), viewport(),
                               visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QTableView::viewportEvent(event);
}
