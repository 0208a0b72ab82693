#pragma once

#include <QtGlobal>
#include <unistd.h>

namespace kavio::test {

// File permissions bind root only when it takes another identity for a while.
class Unprivileged {
public:
    Unprivileged()
    {
        if (geteuid() == 0)
            m_switched = seteuid(65534) == 0;
    }
    ~Unprivileged()
    {
        if (m_switched && seteuid(0) != 0)
            qFatal("could not return to the original user");
    }
    Unprivileged(const Unprivileged &) = delete;
    Unprivileged &operator=(const Unprivileged &) = delete;

private:
    bool m_switched = false;
};

} // namespace kavio::test
