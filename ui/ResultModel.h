#pragma once

#include "Scan.h"

#include <QAbstractTableModel>

#include <memory>
#include <vector>

// The rows of one scan, held as the scan found them (day, entry, count, unit, today): the
// date, the message and the colours are made only when a row is shown. Column 0 is the
// date, column 1 the message; the header reads "Datum" and "Meldung".
class CResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // Empties the model; the rows to come name entries of `list`.
    void Reset(std::shared_ptr<const DateList> list);
    // Rows at the end, in the batches the scan filled; the model keeps them as they are,
    // uncopied, and tells its views once.
    void Append(std::vector<std::vector<ScanHit>> &&batches);

    const ScanHit &Hit(int row) const;
    const DateList *List() const { return m_list.get(); } // null before a scan read a list
    int FirstTodayRow() const;                            // -1 when no row is today's

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::shared_ptr<const DateList> m_list;
    std::vector<std::vector<ScanHit>> m_batches;
    std::vector<int> m_batchStarts; // the first row of each batch
    int m_rowCount = 0;
};
