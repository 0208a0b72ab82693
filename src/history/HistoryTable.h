#pragma once

#include "session/Values.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace kavio {

// The rows of a history as the list shows them and the exports write them. The rows are
// copied out of the query, so no result set stays open while the window lives.
class HistoryTable final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit HistoryTable(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    // The rows of a person's measurements as the history shows them (date column "Messdatum").
    void setMeasurements(const QList<Measurement> &rows);
    // Replaces the content (tests and benchmarks).
    void setContent(QStringList header, std::vector<QVariantList> rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Columns 1 to 7 (date to Xc50) are centred; the rest keep the default alignment.
    static constexpr int kCentredColumns = 7;

private:
    QStringList m_header;
    std::vector<QVariantList> m_rows;
};

} // namespace kavio
