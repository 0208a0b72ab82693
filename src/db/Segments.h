#pragma once

#include <array>
#include <QString>

namespace kavio {

// The four limb segments and the names every part of the program uses for them.
struct SegmentInfo {
    const char *table;     // segment table and value of strSegment: "ArmLi"
    const char *code;      // device records, tblTeilnehmerSegmente: "AL"
    const char *caption;   // option button: "Arm links"
    const char *heading;   // lblSegmentAktuell: "Arm Links"
    const char *fieldWord; // value field names: "ArmLinks"
    int labelIndex;        // index into the value-label arrays
    int marker;            // body marker Shape<n>
    int storeIndex;        // position within a quantity of Messwertspeicher
};

// In the order of Messwertspeicher: ArmLi, ArmRe, BeinLi, BeinRe.
inline constexpr std::array<SegmentInfo, 4> kSegments{{
    {"ArmLi", "AL", "Arm links", "Arm Links", "ArmLinks", 1, 2, 0},
    {"ArmRe", "AR", "Arm rechts", "Arm Rechts", "ArmRechts", 0, 1, 1},
    {"BeinLi", "BL", "Bein links", "Bein Links", "BeinLinks", 3, 4, 2},
    {"BeinRe", "BR", "Bein rechts", "Bein Rechts", "BeinRechts", 2, 3, 3},
}};

// nullptr for any other name. Table names match exactly, codes too.
inline const SegmentInfo *segmentByTable(const QString &table)
{
    for (const auto &s : kSegments)
        if (table == QLatin1String(s.table))
            return &s;
    return nullptr;
}

inline const SegmentInfo *segmentByCode(const QString &code)
{
    for (const auto &s : kSegments)
        if (code == QLatin1String(s.code))
            return &s;
    return nullptr;
}

// The six quantities of Messwertspeicher in its order.
enum class Quantity { W100 = 0, Xc100, W5, Xc5, W50, Xc50 };

inline constexpr std::array<const char *, 6> kQuantityNames{"W100", "Xc100", "W5", "Xc5", "W50", "Xc50"};

// Index of a value in Messwertspeicher (24 elements).
constexpr int storeIndex(Quantity q, const SegmentInfo &s)
{
    return static_cast<int>(q) * 4 + s.storeIndex;
}

// Name of a value field: txt + quantity + frequency + segment word, with the two names
// spelled as the window has always had them.
inline QString valueFieldName(Quantity q, const SegmentInfo &s)
{
    const QString word = QLatin1String(s.fieldWord);
    if (q == Quantity::Xc5 && word == QLatin1String("BeinLinks"))
        return QStringLiteral("txtXc5Beinlinks");
    if (q == Quantity::Xc5 && word == QLatin1String("BeinRechts"))
        return QStringLiteral("txtXc5BeinRechs");
    return QStringLiteral("txt") + QLatin1String(kQuantityNames[static_cast<int>(q)]) + word;
}

} // namespace kavio
