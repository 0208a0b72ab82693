#pragma once

#include "db/ListRows.h"
#include "session/Values.h"

#include <QList>
#include <QStringList>
#include <QVariantList>

namespace kavio {

// The nine columns in which the measurement list and the history show a measurement:
// the date (named dateColumn), Zeit, R5, R50, R100, Xc5, Xc50, Xc100, MessID.
QStringList measurementColumns(const QString &dateColumn = QStringLiteral("Datum"));

// One measurement's cells: the date as dd.mm.yy and the time as hh:mm (texts, empty
// when missing), each resistance as "before/after" text with the missing side empty
// ("480/", "480/499"), the reactances and MessID as numbers (null when missing).
QVariantList measurementCells(const Measurement &m);

// The measurement list's columns: those of measurementColumns, then the phase angle at
// 50 kHz ("6,3°") and, for a row with a second measurement, the change of R at 50 kHz
// ("+3,2 %"); both empty where they cannot be computed.
QStringList measurementListColumns();

// The measurement list's rows, every cell as the text it shows.
ListRows measurementListRows(const QList<Measurement> &rows);

} // namespace kavio
