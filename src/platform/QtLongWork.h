#pragma once

#include "platform/LongWork.h"

namespace kavio {

// A modal busy display without a cancel button over the windows while the work runs.
class QtLongWork final : public LongWork {
public:
    explicit QtLongWork(QString applicationTitle) : m_title(std::move(applicationTitle)) {}
    void run(const QString &text, const std::function<void()> &work) override;

private:
    QString m_title;
};

} // namespace kavio
