#pragma once

#include <functional>
#include <QString>
#include <QVariant>

class QAbstractItemModel;

namespace kavio {

// Why an export stopped: the data row it was at (1-based, 0 when the failure is not
// tied to a row), an error number as the error form shows it, and the text.
struct ExportError {
    int row = 0;
    int number = 0;
    QString text;
};

// Told the number of data rows written so far.
using ExportProgress = std::function<void(int rowsDone)>;

// How often (in rows) the exports report progress; reporting every row would cost more
// than the writing itself.
constexpr int kProgressStep = 256;

// The spreadsheet number format of a numeric cell ("0.0"), as a model answers it; none:
// the general format.
inline constexpr int kNumberFormatRole = Qt::UserRole + 1;

// Values that the exports write as numbers (right-aligned, numeric cells); everything
// else goes out as text.
inline bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace kavio
