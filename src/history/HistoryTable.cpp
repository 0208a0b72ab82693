#include "history/HistoryTable.h"

#include "clinical/Clinical.h"
#include "history/Export.h"
#include "session/MeasurementTable.h"

#include <cmath>

namespace kavio {

namespace {

// A figure kept as the number shown (tenths as a decimal); a missing one is an empty text,
// never 0.
QVariant tenthsCell(const std::optional<qint64> &tenths)
{
    return tenths ? QVariant(double(*tenths) / 10.0) : QVariant(QString());
}

} // namespace

void HistoryTable::setMeasurements(const QList<Measurement> &rows)
{
    QStringList header = measurementColumns(QStringLiteral("Messdatum"));
    QList<Figure> figures(header.size(), Figure::None);
    for (Frequency f : kFrequencies)
        header << QStringLiteral("φ%1 (°)").arg(kiloHertz(f));
    for (Frequency f : kFrequencies)
        header << QStringLiteral("ΔR%1").arg(kiloHertz(f));
    figures << QList<Figure>(kFrequencies.size(), Figure::PhaseAngle)
            << QList<Figure>(kFrequencies.size(), Figure::Change);

    std::vector<QVariantList> cells;
    cells.reserve(static_cast<size_t>(rows.size()));
    for (const Measurement &m : rows) {
        QVariantList row = measurementCells(m);
        const clinical::RowFigures computed = clinical::rowFigures(m);
        for (const auto &angle : computed.phaseAngle)
            row << tenthsCell(clinical::phaseAngleTenths(angle));
        for (const auto &change : computed.change)
            row << tenthsCell(change ? std::optional<qint64>(change->tenthsOfPercent) : std::nullopt);
        cells.push_back(std::move(row));
    }
    replace(std::move(header), std::move(figures), std::move(cells));
}

void HistoryTable::setContent(QStringList header, std::vector<QVariantList> rows)
{
    replace(std::move(header), {}, std::move(rows));
}

void HistoryTable::replace(QStringList header, QList<Figure> figures, std::vector<QVariantList> rows)
{
    beginResetModel();
    m_header = std::move(header);
    m_figures = std::move(figures);
    m_rows = std::move(rows);
    endResetModel();
}

int HistoryTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int HistoryTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_header.size());
}

QVariant HistoryTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const Figure figure = m_figures.value(index.column(), Figure::None);
    const QVariantList &row = m_rows[static_cast<size_t>(index.row())];
    const QVariant value = index.column() < row.size() ? row[index.column()] : QVariant();
    switch (role) {
    case Qt::EditRole:
        return value;
    case Qt::DisplayRole:
        if (figure == Figure::None || !isNumber(value))
            return value;
        if (figure == Figure::PhaseAngle)
            return clinical::phaseAngleText(value.toDouble());
        return clinical::therapyChangeText(
            clinical::TherapyChange{std::llround(value.toDouble() * 10.0), value.toDouble()});
    case Qt::TextAlignmentRole:
        if (index.column() < kCentredColumns)
            return static_cast<int>(Qt::AlignCenter);
        if (figure != Figure::None)
            return static_cast<int>(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case kNumberFormatRole:
        // The same text as on screen: one decimal, the change with its sign.
        if (figure == Figure::PhaseAngle)
            return QStringLiteral("0.0");
        if (figure == Figure::Change)
            return QStringLiteral("+0.0\" %\";-0.0\" %\";0.0\" %\"");
        return {};
    default:
        return {};
    }
}

QVariant HistoryTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_header.size() ? m_header[section] : QVariant();
    return section + 1;
}

} // namespace kavio
