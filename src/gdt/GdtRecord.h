#pragma once

#include "gdt/GdtCharset.h"

#include <optional>
#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

namespace kavio::gdt {

// Field ids this program reads or writes.
namespace field {
inline constexpr int kRecordType = 8000;
inline constexpr int kRecordLength = 8100;
inline constexpr int kReceiverId = 8315;
inline constexpr int kSenderId = 8316;
inline constexpr int kCharset = 9206;
inline constexpr int kVersion = 9218;
inline constexpr int kPatientNumber = 3000;
inline constexpr int kName = 3101;
inline constexpr int kFirstName = 3102;
inline constexpr int kBirthDate = 3103;
inline constexpr int kSex = 3110;
inline constexpr int kDate = 6200;
inline constexpr int kTime = 6201;
inline constexpr int kFindings = 6220;
inline constexpr int kComment = 6227;
inline constexpr int kProcedure = 8402;
inline constexpr int kTestId = 8410;
inline constexpr int kTestName = 8411;
inline constexpr int kTestValue = 8420;
inline constexpr int kTestUnit = 8421;
} // namespace field

// Larger files are refused unread: a request is a few hundred bytes, and reading whatever
// lands in the exchange folder must not take the program's memory.
inline constexpr qint64 kMaxFileBytes = 10 * 1024 * 1024;
inline constexpr int kMaxLineBytes = 999;

struct Field {
    int id = 0;
    QString content;

    bool operator==(const Field &) const = default;
};

// One record: its lines in file order.
struct Record {
    QList<Field> fields;

    void add(int id, const QString &content) { fields.append({id, content}); }
    // Content of the first line with this id; nullopt when there is none.
    std::optional<QString> value(int id) const;
    bool operator==(const Record &) const = default;
};

// Why bytes are not a record, or a record is not what was asked for. The reason is German
// text for the operator and for the .txt beside a file set aside.
struct Error {
    enum class Kind {
        TooLarge,
        Incomplete,
        BadLineStart,
        LineTooLong,
        WrongLineLength,
        LineBreakInContent,
        NoRecordType,
        NoRecordLength,
        WrongRecordLength,
        UnknownCharset,
        NotInCharset,
        RecordTooLong,
        WrongRecordType,
        UnsupportedRecordType,
        UnsupportedVersion,
        MissingField,
        BadBirthDate,
        BadValue,
    };
    Kind kind;
    QString reason;
};

// A value or the error that prevented it.
template <class T> struct Outcome {
    std::optional<T> value;
    std::optional<Error> error;

    Outcome(T v) : value(std::move(v)) {}
    Outcome(Error e) : error(std::move(e)) {}
    bool ok() const { return value.has_value(); }
};

// The bytes of a record in the given set. Every 8100 line gets the length of the whole
// result. Fails for content the set cannot carry, CR or LF in content, a line over 999
// bytes or a record over 99999 bytes.
Outcome<QByteArray> serialize(const Record &record, Charset charset);

// A record from a file's bytes, the content decoded in the set its 9206 names (code page
// 437 without one). The file must be one complete record: 8000 first, 8100 equal to the
// byte count, every line ending in CR LF.
Outcome<Record> parse(const QByteArray &bytes);

// The set a parsed record was read in.
Charset charsetOf(const Record &record);

} // namespace kavio::gdt
