#pragma once

#include "platform/Messages.h"

class QWidget;

namespace kavio {

class QtMessages final : public Messages {
public:
    explicit QtMessages(QString applicationTitle) : m_title(std::move(applicationTitle)) {}
    void show(const QString &text, MsgIcon icon, const QString &title) override;
    bool ask(const QString &text, MsgIcon icon, const QString &title) override;

private:
    QString m_title;
};

} // namespace kavio
