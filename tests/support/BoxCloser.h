#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;

namespace kavio::test {

// The text of a label as the operator reads it: markup rendered, plain text as it stands.
QString shownText(const QLabel &label);

// Closes real message boxes as an operator would: watches for a modal box, notes what it
// shows and clicks the button named by the next answer ("Ja", "Nein"; "OK" when the
// script has run out).
class BoxCloser final : public QObject {
public:
    struct Seen {
        QString text;
        QString visibleText; // what the operator reads: markup rendered, plain text as it stands
    };

    explicit BoxCloser(QStringList answers = {});

    QList<Seen> seen;
    QStringList texts() const;

private:
    void look();

    QStringList m_answers;
    QTimer m_timer;
};

} // namespace kavio::test
