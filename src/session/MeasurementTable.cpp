#include "session/MeasurementTable.h"

#include "clinical/PhaseAngle.h"
#include "clinical/TherapyChange.h"

namespace kavio {

namespace {

QString optionalText(const std::optional<qint16> &v)
{
    return v ? QString::number(*v) : QString();
}

QVariant optionalNumber(const std::optional<qint16> &v)
{
    return v ? QVariant(static_cast<qlonglong>(*v)) : QVariant();
}

} // namespace

QStringList measurementColumns(const QString &dateColumn)
{
    return {dateColumn,
            QStringLiteral("Zeit"),
            QStringLiteral("R5"),
            QStringLiteral("R50"),
            QStringLiteral("R100"),
            QStringLiteral("Xc5"),
            QStringLiteral("Xc50"),
            QStringLiteral("Xc100"),
            QStringLiteral("MessID")};
}

QVariantList measurementCells(const Measurement &m)
{
    QVariantList cells;
    cells << (m.day.isValid() ? m.day.toString(QStringLiteral("dd.MM.yy")) : QString())
          << (m.time.isValid() ? m.time.toString(QStringLiteral("HH:mm")) : QString());
    for (Frequency f : kFrequencies)
        cells << optionalText(m[f].r) + QLatin1Char('/') + optionalText(m[f].rAfter);
    for (Frequency f : kFrequencies)
        cells << optionalNumber(m[f].xc);
    cells << QVariant(static_cast<qlonglong>(m.id));
    return cells;
}

QStringList measurementListColumns()
{
    return measurementColumns() << QStringLiteral("φ50") << QStringLiteral("ΔR50");
}

ListRows measurementListRows(const QList<Measurement> &rows)
{
    ListRows list;
    list.fields = measurementListColumns();
    list.columns = static_cast<int>(list.fields.size());
    list.rows = static_cast<int>(rows.size());
    list.cells.reserve(list.rows * list.columns);
    for (const Measurement &m : rows) {
        for (const QVariant &cell : measurementCells(m))
            list.cells.append(cell.toString());
        const Impedance &at50 = m[Frequency::kHz50];
        const QString phase = clinical::phaseAngleText(clinical::phaseAngle(at50));
        list.cells.append(phase.isEmpty() ? phase : phase + QStringLiteral("°"));
        list.cells.append(clinical::therapyChangeText(clinical::therapyChange(at50)));
    }
    return list;
}

} // namespace kavio
