#include "about/CompanyLogo.h"

#include "app/Errors.h"
#include "db/Database.h"
#include "db/Statements.h"
#include "platform/Platform.h"
#include "platform/ProgramFolder.h"

#include <QFileInfo>
#include <QSaveFile>

namespace kavio {

void SaveCompLogo(const Platform &platform, const QString &groupId)
{
    // The statement names the group itself; the argument only documents the caller's intent.
    Q_UNUSED(groupId);
    DbConnection db = OpenFlagsDB(platform);
    if (!db.isOpen())
        return;
    QByteArray logo;
    bool found = false;
    try {
        QSqlQuery q = db.exec(sql::companyLogo());
        if (q.next()) {
            found = true;
            const QVariant v = q.value(0);
            logo = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
        }
    } catch (const KavioError &) {
        // An unreadable Flags table is treated like a missing logo: the report goes on.
        return;
    }
    const QString path = platform.folder->file(compLogoFileName());
    if (!found || QFileInfo::exists(path))
        return;
    // Written complete or not at all, so a broken write cannot leave a stub that would
    // then never be replaced.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return;
    out.write(logo);
    out.write("\r\n", 2);
    out.commit();
}

} // namespace kavio
