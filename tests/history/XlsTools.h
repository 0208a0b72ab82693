#pragma once

#include <QAbstractItemModel>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

// Independent readers for the written files: the structural checker and xlrd (through the
// system python, which has python3-xlrd and python3-olefile), and tidy.
namespace kavio::test {

inline QString historyTestDir()
{
    return qEnvironmentVariable("KAVIO_SOURCE_DIR") + QStringLiteral("/tests/history");
}

inline QString xlsChecker()
{
    // The structural checker of the format notes, beside the project (CI lays it there too).
    return qEnvironmentVariable("KAVIO_SHARED_DIR") + QStringLiteral("/tools/xls-check");
}

struct Run {
    int exitCode = -1;
    QString output;
};

inline Run run(const QString &program, const QStringList &args, int timeoutMs = 240000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs))
        return {-1, QStringLiteral("did not finish: ") + p.errorString()};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

inline Run python(const QStringList &args)
{
    return run(QStringLiteral("/usr/bin/python3"), args);
}

inline Run checkXls(const QString &path)
{
    return python({xlsChecker(), path});
}

// What the workbook of a model must read back as: header on top of every sheet of at
// most 65,536 rows.
inline QByteArray expectedSheets(const QAbstractItemModel &model, const QString &name, int rowsPerSheet = 65536)
{
    QJsonArray header;
    for (int c = 0; c < model.columnCount(); ++c)
        header.append(model.headerData(c, Qt::Horizontal).toString());
    QJsonArray sheets;
    const int per = rowsPerSheet - 1;
    for (int first = 0, k = 0; first < model.rowCount() || k == 0; first += per, ++k) {
        QJsonArray rows{header};
        for (int r = first; r < std::min(model.rowCount(), first + per); ++r) {
            QJsonArray row;
            for (int c = 0; c < model.columnCount(); ++c) {
                const QVariant v = model.index(r, c).data();
                if (v.isNull())
                    row.append(QJsonValue::Null);
                else if (v.typeId() == QMetaType::QString)
                    row.append(v.toString());
                else
                    row.append(v.toDouble());
            }
            rows.append(row);
        }
        sheets.append(
            QJsonObject{{QStringLiteral("name"), k == 0 ? name : QStringLiteral("%1 (%2)").arg(name).arg(k + 1)},
                        {QStringLiteral("rows"), rows}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("sheets"), sheets}}).toJson(QJsonDocument::Compact);
}

// xlrd reads the file and compares every cell with the model; empty output means equal.
inline Run readBack(const QString &path, const QAbstractItemModel &model, const QString &name, int rowsPerSheet = 65536)
{
    const QString json = path + QStringLiteral(".expected.json");
    QFile f(json);
    if (!f.open(QIODevice::WriteOnly))
        return {-1, QStringLiteral("cannot write ") + json};
    f.write(expectedSheets(model, name, rowsPerSheet));
    f.close();
    return python({historyTestDir() + QStringLiteral("/xls_readback.py"), path, json});
}

} // namespace kavio::test
