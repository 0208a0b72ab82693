#pragma once

#include "session/Values.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace kavio {

// The rows of a history as the list shows them and the exports write them. The rows are
// copied out of the query, so no result set stays open while the window lives.
//
// A cell's value (Qt::EditRole) is what a spreadsheet receives: a number, or text. Its
// shown text (Qt::DisplayRole) is the value, except in the computed columns, where the
// number is shown with a German decimal comma ("6,3", "+3,2 %") and kNumberFormatRole
// names the spreadsheet format that shows it the same way.
class HistoryTable final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit HistoryTable(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    // The rows of a person's measurements as the history shows them: the measurement
    // columns (date column "Messdatum"), then the phase angle and the change through therapy
    // at each frequency, rounded to one decimal as shown; empty text where there is none.
    void setMeasurements(const QList<Measurement> &rows);
    // Replaces the content (tests and benchmarks); every cell shows its value.
    void setContent(QStringList header, std::vector<QVariantList> rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Columns 1 to 7 (date to Xc50) are centred, the computed ones right-aligned; the rest
    // keep the default alignment.
    static constexpr int kCentredColumns = 7;

private:
    enum class Figure : quint8 { None, PhaseAngle, Change };
    void replace(QStringList header, QList<Figure> figures, std::vector<QVariantList> rows);

    QStringList m_header;
    QList<Figure> m_figures; // per column; empty when every cell shows its value
    std::vector<QVariantList> m_rows;
};

} // namespace kavio
