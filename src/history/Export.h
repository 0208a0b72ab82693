#pragma once

#include <functional>
#include <QString>

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

} // namespace kavio
