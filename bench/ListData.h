#pragma once

// Segment databases of a chosen size for the list and start-up benchmarks.
#include "app/Conversions.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Statements.h"

#include <QDate>
#include <QSqlQuery>
#include <QStringList>

namespace kavio::bench {

// n persons with German surnames (umlauts, "ß", shared names) and first names, spread
// birth dates; surnames repeat as in a real practice, first names combine freely.
inline void addPersons(const QString &segmentePath, int n)
{
    static const QStringList stems{"Müller", "Schmidt", "Schneider", "Fischer", "Weber",    "Meyer",      "Wagner",
                                   "Becker", "Schulz",  "Hoffmann",  "Schäfer", "Koch",     "Bauer",      "Richter",
                                   "Klein",  "Wolf",    "Schröder",  "Neumann", "Schwarz",  "Zimmermann", "Braun",
                                   "Krüger", "Hofmann", "Hartmann",  "Lange",   "Schmitt",  "Werner",     "Krause",
                                   "Meier",  "Lehmann", "Strauß",    "Öztürk",  "Äbischer", "Ullmann"};
    static const QStringList first{"Anna",       "Jürgen", "Sören",      "Lena", "Maximilian", "Käthe",
                                   "Hans-Peter", "Özlem",  "Friederike", "Ben",  "Uwe",        "Charlotte"};
    ensureSegmentDatabase(segmentePath);
    DbConnection db = DbConnection::open(segmentePath);
    db.transaction([&] {
        QSqlQuery q = db.prepare(sql::insertPerson());
        for (int i = 0; i < n; ++i) {
            const QString name = stems[i % stems.size()] + (i % 7 == 0 ? QString() : QString::number(i % 2003));
            const QDate birth = QDate(1930, 1, 1).addDays((i * 37) % 30000);
            q.addBindValue(name);
            q.addBindValue(first[(i / 3) % first.size()]);
            q.addBindValue(i % 2);
            q.addBindValue(isoDate(birth));
            q.addBindValue(QStringLiteral("12345"));
            q.addBindValue(QStringLiteral("Musterstadt"));
            q.addBindValue(QStringLiteral("K-%1").arg(i));
            q.addBindValue(0);
            if (!q.exec())
                qFatal("insert failed");
        }
    });
}

// n measurements of one person in one segment table, a few a day, some with second values.
inline void addMeasurements(const QString &segmentePath, const QString &segment, qint64 fktn, int n)
{
    DbConnection db = DbConnection::open(segmentePath);
    db.transaction([&] {
        QSqlQuery q = db.prepare(QStringLiteral("INSERT INTO %1 (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, "
                                                "Xc100, W5N, W50N, W100N) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                     .arg(sql::segmentTable(segment)));
        for (int i = 0; i < n; ++i) {
            const bool second = i % 3 == 0;
            const QVariant none(QMetaType(QMetaType::Int));
            for (const QVariant &v :
                 QVariantList{fktn, isoDate(QDate(2010, 1, 1).addDays(i / 2)),
                              QStringLiteral("%1:%2:00")
                                  .arg(8 + i % 2 * 6, 2, 10, QLatin1Char('0'))
                                  .arg(i % 60, 2, 10, QLatin1Char('0')),
                              400 + i % 200, 380 + i % 150, 360 + i % 140, 40 + i % 30, 50 + i % 25, 45 + i % 20,
                              second ? QVariant(390 + i % 200) : none, second ? QVariant(370 + i % 150) : none,
                              second ? QVariant(350 + i % 140) : none})
                q.addBindValue(v);
            if (!q.exec())
                qFatal("insert failed");
        }
    });
}

} // namespace kavio::bench
