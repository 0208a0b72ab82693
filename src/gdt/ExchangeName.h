#pragma once

#include <optional>
#include <QString>
#include <QStringList>

namespace kavio::gdt {

// Name of an exchange file: the first four characters of the receiver's and the sender's
// id, then ".GDT", or with counting names the next number after the highest one present
// (".001" when none is), so the receiver reading in number order keeps the writing order.
// Existing names are compared without case, as on the Windows shares practices use.
// nullopt when the fixed name is still there (the receiver has not taken the last file)
// or ".999" is used up.
std::optional<QString> exchangeFileName(const QString &receiverId, const QString &senderId, bool counting,
                                        const QStringList &existing);

// Whether a file in the folder is one from sender to receiver, by either naming.
bool isExchangeFile(const QString &fileName, const QString &receiverId, const QString &senderId);

} // namespace kavio::gdt
