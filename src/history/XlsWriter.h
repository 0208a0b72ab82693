#pragma once

#include "history/Export.h"

#include <optional>
#include <QByteArray>
#include <QString>

class QAbstractItemModel;

namespace kavio::xls {

// Excel 97-2003 workbooks (BIFF8 records in an OLE2 compound file), written without any
// outside library. The first row of every sheet is the model's horizontal header in
// bold; then the model's rows, each cell's value (Qt::EditRole, else what it shows):
// numbers as numbers in the format the model names (kNumberFormatRole), everything else
// as text, null cells left out. A sheet holds at most 65,536 rows, so longer tables go on in further sheets
// ("<name> (2)", ...), each starting with the header again.

constexpr int kMaxSheetRows = 65536;
constexpr int kMaxColumns = 256;
constexpr int kMaxCellText = 32767;

// The workbook stream ("Workbook") of a table, padded to at least 4096 bytes. Fails on
// a text longer than 32,767 UTF-16 units, a number that is not finite, or more than 256
// columns.
struct StreamResult {
    QByteArray stream;
    std::optional<ExportError> error;
};
StreamResult workbookStream(const QAbstractItemModel &model, const QString &sheetName,
                            const ExportProgress &progress = {}, int rowsPerSheet = kMaxSheetRows);

// The compound file holding one stream named "Workbook" (stream at least 4096 bytes).
QByteArray compoundFile(const QByteArray &workbookStream);

// Writes the workbook to path under a temporary name and renames it when complete, so
// a failure leaves no partial file under path. nullopt on success.
std::optional<ExportError> writeWorkbook(const QString &path, const QAbstractItemModel &model, const QString &sheetName,
                                         const ExportProgress &progress = {});

} // namespace kavio::xls
