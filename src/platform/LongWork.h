#pragma once

#include <functional>
#include <QString>

namespace kavio {

// Work that takes longer than a moment (an external tool, a copy between databases). It
// runs on a thread of its own while the windows keep painting and a busy display says
// what happens; the operator cannot start anything else meanwhile. The work must not
// touch widgets, and opens and closes its own database connections.
class LongWork {
public:
    virtual ~LongWork() = default;
    // Returns when work has ended; an exception of work is thrown again here.
    virtual void run(const QString &text, const std::function<void()> &work) = 0;
};

} // namespace kavio
