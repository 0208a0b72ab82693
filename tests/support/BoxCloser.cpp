#include "BoxCloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTextDocument>

namespace kavio::test {

QString shownText(const QLabel &label)
{
    const Qt::TextFormat format = label.textFormat();
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(label.text())))
        return label.text();
    QTextDocument doc;
    doc.setHtml(label.text());
    return doc.toPlainText();
}

BoxCloser::BoxCloser(QStringList answers) : m_answers(std::move(answers))
{
    connect(&m_timer, &QTimer::timeout, this, &BoxCloser::look);
    m_timer.start(10);
}

QStringList BoxCloser::texts() const
{
    QStringList out;
    for (const Seen &s : seen)
        out << s.text;
    return out;
}

void BoxCloser::look()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    seen.append({box->text(), label ? shownText(*label) : QString()});
    const QString wanted = m_answers.isEmpty() ? QStringLiteral("OK") : m_answers.takeFirst();
    for (QAbstractButton *b : box->buttons()) {
        if (b->text().remove(QLatin1Char('&')) == wanted) {
            b->click();
            return;
        }
    }
    box->done(0);
}

} // namespace kavio::test
