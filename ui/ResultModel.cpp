#include "ResultModel.h"

#include <QStringList>

#include "Services.h"

#include <QColor>

#include <algorithm>

namespace {

constexpr int kColumns = 2;

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

// Wherever a background is set, so is the text colour: the desktop's own text colour can
// be white on a dark theme.
struct CellColours {
    QVariant back;
    QVariant text;
};

CellColours ColoursOf(const ScanHit &hit, int column)
{
    const RowLook look = LookOf(hit);
    switch (column == 0 ? look.date : look.message) {
    case CellLook::TodayYear:
        return {kRed, kYellow};
    case CellLook::Today:
        return {kRed, kWhite};
    case CellLook::Year:
        return {kYellow, kBlack};
    case CellLook::Plain:
        break;
    }
    return {};
}

} // namespace

void CResultModel::Reset(std::shared_ptr<const DateList> list)
{
    beginResetModel();
    m_list = std::move(list);
    m_batches.clear();
    m_batchStarts.clear();
    m_rowCount = 0;
    endResetModel();
}

void CResultModel::Append(std::vector<std::vector<ScanHit>> &&batches)
{
    std::size_t added = 0;
    for (const std::vector<ScanHit> &batch : batches)
        added += batch.size();
    if (added == 0)
        return;
    beginInsertRows({}, m_rowCount, m_rowCount + static_cast<int>(added) - 1);
    for (std::vector<ScanHit> &batch : batches) {
        if (batch.empty())
            continue;
        m_batchStarts.push_back(m_rowCount);
        m_rowCount += static_cast<int>(batch.size());
        m_batches.push_back(std::move(batch));
    }
    endInsertRows();
}

const ScanHit &CResultModel::Hit(int row) const
{
    const auto batch = std::upper_bound(m_batchStarts.begin(), m_batchStarts.end(), row) - 1 -
                       m_batchStarts.begin();
    return m_batches[static_cast<std::size_t>(batch)][static_cast<std::size_t>(
        row - m_batchStarts[static_cast<std::size_t>(batch)])];
}

int CResultModel::FirstTodayRow() const
{
    for (std::size_t batch = 0; batch < m_batches.size(); ++batch) {
        const std::vector<ScanHit> &rows = m_batches[batch];
        const auto today =
            std::find_if(rows.begin(), rows.end(), [](const ScanHit &hit) { return hit.today; });
        if (today != rows.end())
            return m_batchStarts[batch] + static_cast<int>(today - rows.begin());
    }
    return -1;
}

int CResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int CResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant CResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || m_list == nullptr)
        return {};
    const ScanHit &hit = Hit(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        if (index.column() == 0)
            return Utf8Text(DateText(std::chrono::sys_days{std::chrono::days{hit.day}}));
        std::string message;
        AppendRowMessage(message, *m_list, hit);
        return Utf8Text(message);
    }
    case Qt::BackgroundRole:
        return ColoursOf(hit, index.column()).back;
    case Qt::ForegroundRole:
        return ColoursOf(hit, index.column()).text;
    case Qt::AccessibleDescriptionRole: {
        // What the colours say, for a screen reader.
        QStringList said;
        if (hit.today)
            said << QStringLiteral("heute");
        if (hit.jubilee.IsYear())
            said << QStringLiteral("Jahrestag");
        return said.join(QStringLiteral(", "));
    }
    case Qt::TextAlignmentRole:
        // The home platform's grid centres the date (alignment code 3).
        return index.column() == 0 ? QVariant(Qt::AlignHCenter | Qt::AlignVCenter) : QVariant();
    default:
        return {};
    }
}

QVariant CResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return QStringLiteral("Datum");
    case 1:
        return QStringLiteral("Meldung");
    default:
        return {};
    }
}
