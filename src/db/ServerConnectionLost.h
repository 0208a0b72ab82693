#pragma once

#include "app/Errors.h"

namespace kavio {

// The database server went away during an operation, or could not be reached for it. It
// carries the server's (or the client library's) own number and text. Nothing of the
// operation was written, unless outcomeUnknown: then its commit was sent, the answer never
// came, and the server could not be asked afterwards whether it took it.
class ServerConnectionLost : public KavioError {
public:
    ServerConnectionLost(const KavioError &cause, bool outcomeUnknown)
        : KavioError(cause.number(), cause.description()), m_outcomeUnknown(outcomeUnknown)
    {}
    bool outcomeUnknown() const { return m_outcomeUnknown; }

private:
    bool m_outcomeUnknown;
};

} // namespace kavio
