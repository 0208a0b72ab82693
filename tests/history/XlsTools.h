#pragma once

#include <QAbstractItemModel>
#include <QFile>
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

// The structural checker of the format notes, beside the project (CI lays it there too).
inline QString xlsChecker()
{
    return qEnvironmentVariable("KAVIO_SHARED_DIR") + QStringLiteral("/tools/xls-check");
}

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

inline Run python(const QStringList &args)
{
    return run(QStringLiteral("/usr/bin/python3"), args);
}

inline Run checkXls(const QString &path)
{
    return python({xlsChecker(), path});
}

// tidy's complaints about an HTML file; empty when it finds no error and no warning.
inline QString tidyProblems(const QString &path)
{
    const Run r = run(QStringLiteral("tidy"), {QStringLiteral("-q"), QStringLiteral("-e"), path});
    return r.exitCode == 0 ? r.output : QStringLiteral("exit %1: %2").arg(r.exitCode).arg(r.output);
}

// xlrd reads the workbook and compares every cell with the model, which must read back
// with its header on top of every sheet of at most 65,536 rows. Empty output: equal.
inline Run readBack(const QString &path, const QAbstractItemModel &model, const QString &name)
{
    QJsonArray header;
    for (int c = 0; c < model.columnCount(); ++c)
        header.append(model.headerData(c, Qt::Horizontal).toString());
    QJsonArray sheets;
    constexpr int perSheet = 65535;
    for (int first = 0, k = 0; first < model.rowCount() || k == 0; first += perSheet, ++k) {
        QJsonArray rows{header};
        for (int r = first; r < std::min(model.rowCount(), first + perSheet); ++r) {
            QJsonArray row;
            for (int c = 0; c < model.columnCount(); ++c) {
                const QVariant v = model.index(r, c).data();
                row.append(v.isNull()                         ? QJsonValue()
                           : v.typeId() == QMetaType::QString ? QJsonValue(v.toString())
                                                              : QJsonValue(v.toDouble()));
            }
            rows.append(row);
        }
        sheets.append(
            QJsonObject{{"name", k == 0 ? name : QStringLiteral("%1 (%2)").arg(name).arg(k + 1)}, {"rows", rows}});
    }
    QFile f(path + QStringLiteral(".expected.json"));
    if (!f.open(QIODevice::WriteOnly))
        return {-1, QStringLiteral("cannot write ") + f.fileName()};
    f.write(QJsonDocument(QJsonObject{{"sheets", sheets}}).toJson(QJsonDocument::Compact));
    f.close();
    return python({historyTestDir() + QStringLiteral("/xls_readback.py"), path, f.fileName()});
}

} // namespace kavio::test
