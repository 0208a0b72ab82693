#include "platform/QtMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kavio {

static QMessageBox::Icon toIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Stop:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

void QtMessages::show(const QString &text, MsgIcon icon, const QString &title)
{
    QMessageBox box(toIcon(icon), title.isEmpty() ? m_title : title, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // names typed or taken over are shown as they stand, never as markup
    box.exec();
}

bool QtMessages::ask(const QString &text, MsgIcon icon, const QString &title)
{
    QMessageBox box(toIcon(icon), title.isEmpty() ? m_title : title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QPushButton *yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace kavio
