#include "platform/ProgramFolder.h"

#include <QCoreApplication>

namespace kavio {

ProgramFolder ProgramFolder::ofExecutable()
{
    return ProgramFolder(QCoreApplication::applicationDirPath());
}

} // namespace kavio
