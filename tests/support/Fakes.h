#pragma once

#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/LongWork.h"
#include "platform/Messages.h"
#include "platform/RegFile.h"
#include "platform/SerialLine.h"
#include "platform/Settings.h"
#include "platform/Shell.h"

#include <functional>
#include <QHash>
#include <QList>
#include <QStringList>

namespace kavio::test {

// Records every message and answers questions from a script (default: No).
class FakeMessages final : public Messages {
public:
    struct Shown {
        QString text;
        MsgIcon icon;
        QString title;
        bool question;
    };

    void show(const QString &text, MsgIcon icon, const QString &title) override;
    bool ask(const QString &text, MsgIcon icon, const QString &title) override;

    // Runs while a message is "open" (as a modal box would run the event loop), once per message.
    std::function<void()> whileOpen;

    // Answers for the next questions, in order; when the script runs out: defaultAnswer.
    void answer(std::initializer_list<bool> answers) { m_answers.append(QList<bool>(answers)); }
    bool defaultAnswer = false;

    QList<Shown> shown;
    QStringList texts() const;
    int count() const { return static_cast<int>(shown.size()); }
    bool contains(const QString &text) const { return texts().contains(text); }
    const Shown &last() const { return shown.constLast(); }
    void clear() { shown.clear(); }

private:
    QList<bool> m_answers;
};

// Registry values held in memory, filled from .reg text or value by value.
class FakeSettings final : public Settings {
public:
    void setString(Hive hive, const QString &key, const QString &name, const QString &value);
    void setValue(Hive hive, const QString &key, const QString &name, const RegValue &value);
    void setAppSetting(const QString &app, const QString &section, const QString &key, const QString &value);
    void removeValue(Hive hive, const QString &key, const QString &name);
    bool mergeReg(const QByteArray &regText) { return m_tree.merge(regText); }

    bool keyExists(Hive hive, const QString &keyPath) const override;
    std::optional<RegValue> value(Hive hive, const QString &keyPath, const QString &name) const override;
    QString ownSetting(const QString &application, const QString &section, const QString &key) const override;
    void setOwnSetting(const QString &application, const QString &section, const QString &key,
                       const QString &value) override;

private:
    static QString full(Hive hive, const QString &key);
    QHash<QString, QHash<QString, RegValue>> m_values; // lower-case full key -> lower-case name -> value
    QHash<QString, QString> m_own;
    RegTree m_tree;
};

// A serial line without hardware: the test pushes data and the line reports it.
class FakeSerialLine final : public SerialLine {
    Q_OBJECT
public:
    void setRtsEnable(bool on) override
    {
        rts = on;
        calls << QStringLiteral("rts");
    }
    void setDtrEnable(bool on) override
    {
        dtr = on;
        calls << QStringLiteral("dtr");
    }
    bool setSettings(const QString &s) override
    {
        settings = s;
        calls << QStringLiteral("settings");
        return true;
    }
    bool setPortNumber(int n) override;
    int portNumber() const override { return port; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return opened; }
    QByteArray readAll() override;
    QString errorText() const override { return {}; }

    // Data arrives: buffered and announced with dataReceived().
    void receive(const QByteArray &data);

    QList<int> existingPorts{1, 2, 3, 4}; // ports that open
    bool rts = false, dtr = false, opened = false;
    QString settings;
    int port = 0;
    int openCount = 0;
    QStringList calls;
    QByteArray pending;
};

class FakeFileDialogs final : public FileDialogs {
public:
    QString chooseFolder(const QString &prompt) override;
    QString chooseFile(const QString &startFolder, const QString &title, const QString &filter) override;
    QString chooseSaveFile(const QString &proposedPath, const QString &title, const QString &filter) override;
    QString folderAnswer, fileAnswer, saveAnswer;
    QStringList prompts, proposed;
    QString lastFilter;
};

class FakeShell final : public Shell {
public:
    bool openFile(const QString &path) override
    {
        opened << path;
        return openResult;
    }
    bool startProgram(const QString &path) override
    {
        started << path;
        return startResult;
    }
    QStringList opened, started;
    bool openResult = true, startResult = true;
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime t = QDateTime(QDate(2026, 12, 6), QTime(10, 30, 0))) : time(std::move(t)) {}
    QDateTime now() const override { return time; }
    QDateTime time;
};

// Records what each long work said and runs it on a thread of its own, as the program
// does, so work that touches the window's thread fails here too.
class RecordingLongWork final : public LongWork {
public:
    void run(const QString &text, const std::function<void()> &work) override;
    QStringList texts;
};

} // namespace kavio::test
