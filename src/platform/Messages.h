#pragma once

#include <QString>

namespace kavio {

enum class MsgIcon { None, Information, Stop };

// Every message box of the program goes through this seam. An empty title means the
// application title.
class Messages {
public:
    virtual ~Messages() = default;
    // A box with an OK button only.
    virtual void show(const QString &text, MsgIcon icon = MsgIcon::None, const QString &title = {}) = 0;
    // A question with Yes and No; true on Yes.
    virtual bool ask(const QString &text, MsgIcon icon = MsgIcon::None, const QString &title = {}) = 0;

    void info(const QString &text, const QString &title = {}) { show(text, MsgIcon::Information, title); }
    void stop(const QString &text, const QString &title = {}) { show(text, MsgIcon::Stop, title); }
    void plain(const QString &text, const QString &title = {}) { show(text, MsgIcon::None, title); }
};

} // namespace kavio
