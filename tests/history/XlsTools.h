#pragma once

#include "history/Export.h"

#include <QAbstractItemModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

// Independent readers for the written files: the structural checker kept beside these tests
// and xlrd (through the system python, which has python3-xlrd), and tidy.
namespace kavio::test {

struct Run {
    int exitCode = -1;
    QString output;
};

inline Run run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(240000))
        return {-1, QStringLiteral("did not finish: ") + p.errorString()};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

// tidy's complaints about an HTML file; empty when it finds no error and no warning.
inline QString tidyProblems(const QString &path)
{
    const Run r = run(QStringLiteral("tidy"), {QStringLiteral("-q"), QStringLiteral("-e"), path});
    return r.exitCode == 0 ? r.output : QStringLiteral("exit %1: %2").arg(r.exitCode).arg(r.output);
}

// The structural checker's complaints about an .xls file, one a line; empty when it finds none.
inline QString xlsStructureProblems(const QString &path)
{
    const Run r =
        run(QStringLiteral("/usr/bin/python3"),
            {qEnvironmentVariable("KAVIO_SOURCE_DIR") + QStringLiteral("/tests/history/xls_structure.py"), path});
    return r.exitCode == 0 && r.output.trimmed().isEmpty()
               ? QString()
               : QStringLiteral("exit %1: %2").arg(r.exitCode).arg(r.output);
}

// The structural checker's or xlrd's complaint about a workbook that must hold the model
// with its header (bold) on top of every sheet of at most 65,536 rows; empty: both agree.
inline QString xlsProblems(const QString &path, const QAbstractItemModel &model, const QString &name)
{
    if (const QString found = xlsStructureProblems(path); !found.isEmpty())
        return found;
    const Run read =
        run(QStringLiteral("/usr/bin/python3"),
            {qEnvironmentVariable("KAVIO_SOURCE_DIR") + QStringLiteral("/tests/history/xls_cells.py"), path});
    const QJsonArray sheets = QJsonDocument::fromJson(read.output.toUtf8()).array();
    if (read.exitCode != 0 || sheets.isEmpty())
        return read.output.left(2000);
    QJsonArray header;
    for (int c = 0; c < model.columnCount(); ++c)
        header.append(QJsonObject{{"bold", model.headerData(c, Qt::Horizontal).toString()}});
    constexpr int perSheet = 65535;
    int k = 0;
    for (int first = 0; first < model.rowCount() || k == 0; first += perSheet, ++k) {
        const QJsonArray got = sheets.at(k).toArray();
        const QString sheetName = k == 0 ? name : QStringLiteral("%1 (%2)").arg(name).arg(k + 1);
        const QJsonArray rows = got.at(1).toArray();
        if (got.at(0).toString() != sheetName || rows.size() != std::min(model.rowCount() - first, perSheet) + 1)
            return QStringLiteral("sheet %1: %2 with %3 rows").arg(sheetName, got.at(0).toString()).arg(rows.size());
        for (int r = 0; r < rows.size(); ++r) {
            QJsonArray want = header;
            for (int c = 0; r > 0 && c < model.columnCount(); ++c) {
                const QModelIndex index = model.index(first + r - 1, c);
                const QVariant v = index.data(Qt::EditRole);
                const QString format = index.data(kavio::kNumberFormatRole).toString();
                want[c] = v.isNull()                         ? QJsonValue()
                          : v.typeId() == QMetaType::QString ? QJsonValue(v.toString())
                          : format.isEmpty()                 ? QJsonValue(v.toDouble())
                                             : QJsonValue(QJsonObject{{"format", format}, {"value", v.toDouble()}});
            }
            if (rows.at(r).toArray() != want)
                return QStringLiteral("%1, row %2 differs").arg(sheetName).arg(r);
        }
    }
    return sheets.size() == k ? QString() : QStringLiteral("%1 sheets").arg(sheets.size());
}

} // namespace kavio::test
