#include "platform/QtMessages.h"

#include <algorithm>
#include <QApplication>
#include <QLabel>
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

// The box breaks lines wider than about 500 pixels, even when it could simply be wider;
// each line of a message up to 720 pixels wide stays whole ("Computer." not alone).
static void prepare(QMessageBox &box)
{
    box.setTextFormat(Qt::PlainText); // names typed or taken over are shown as they stand, never as markup
    auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!label)
        return;
    int widest = 0;
    for (const QString &line : box.text().split(QLatin1Char('\n')))
        widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
    label->setMinimumWidth(std::min(widest + 1, 720));
}

void QtMessages::show(const QString &text, MsgIcon icon, const QString &title)
{
    QMessageBox box(toIcon(icon), title.isEmpty() ? m_title : title, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    prepare(box);
    box.exec();
}

bool QtMessages::ask(const QString &text, MsgIcon icon, const QString &title)
{
    QMessageBox box(toIcon(icon), title.isEmpty() ? m_title : title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    prepare(box);
    QPushButton *yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace kavio
