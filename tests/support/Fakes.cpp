#include "Fakes.h"

#include <exception>
#include <thread>
#include <utility>

namespace kavio::test {

void FakeMessages::show(const QString &text, MsgIcon icon, const QString &title)
{
    shown.append({text, icon, title, false});
    if (whileOpen)
        std::exchange(whileOpen, {})();
}

bool FakeMessages::ask(const QString &text, MsgIcon icon, const QString &title)
{
    shown.append({text, icon, title, true});
    return m_answers.isEmpty() ? defaultAnswer : m_answers.takeFirst();
}

QStringList FakeMessages::texts() const
{
    QStringList out;
    for (const auto &s : shown)
        out << s.text;
    return out;
}

QString FakeSettings::full(Hive hive, const QString &key)
{
    return RegTree::normalizedKey(
        (hive == Hive::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE\\") : QStringLiteral("HKEY_CURRENT_USER\\")) +
        key);
}

void FakeSettings::setString(Hive hive, const QString &key, const QString &name, const QString &value)
{
    setValue(hive, key, name, RegValue::fromString(value));
}

void FakeSettings::setValue(Hive hive, const QString &key, const QString &name, const RegValue &value)
{
    m_values[full(hive, key)].insert(name.toLower(), value);
}

void FakeSettings::setAppSetting(const QString &app, const QString &section, const QString &key, const QString &value)
{
    setString(Hive::CurrentUser,
              QStringLiteral("Software\\VB and VBA Program Settings\\") + app + QLatin1Char('\\') + section, key,
              value);
}

void FakeSettings::removeValue(Hive hive, const QString &key, const QString &name)
{
    m_values[full(hive, key)].remove(name.toLower());
}

bool FakeSettings::keyExists(Hive hive, const QString &keyPath) const
{
    return m_values.contains(full(hive, keyPath)) || m_tree.keyExists(hive, keyPath);
}

std::optional<RegValue> FakeSettings::value(Hive hive, const QString &keyPath, const QString &name) const
{
    const auto key = m_values.constFind(full(hive, keyPath));
    if (key != m_values.constEnd()) {
        const auto v = key->constFind(name.toLower());
        if (v != key->constEnd())
            return *v;
    }
    return m_tree.value(hive, keyPath, name);
}

QString FakeSettings::ownSetting(const QString &application, const QString &section, const QString &key) const
{
    return m_own.value(application + QLatin1Char('/') + section + QLatin1Char('/') + key);
}

void FakeSettings::setOwnSetting(const QString &application, const QString &section, const QString &key,
                                 const QString &value)
{
    m_own.insert(application + QLatin1Char('/') + section + QLatin1Char('/') + key, value);
}

bool FakeSerialLine::setPortNumber(int n)
{
    calls << QStringLiteral("port");
    if (opened)
        return false;
    port = n;
    return true;
}

bool FakeSerialLine::open()
{
    calls << QStringLiteral("open");
    if (!existingPorts.contains(port))
        return false;
    opened = true;
    ++openCount;
    return true;
}

void FakeSerialLine::close()
{
    calls << QStringLiteral("close");
    opened = false;
}

QByteArray FakeSerialLine::readAll()
{
    QByteArray out;
    out.swap(pending);
    return out;
}

void FakeSerialLine::receive(const QByteArray &data)
{
    if (!opened)
        return;
    pending += data;
    emit dataReceived();
}

QString FakeFileDialogs::chooseFolder(const QString &prompt)
{
    prompts << prompt;
    return folderAnswer;
}

QString FakeFileDialogs::chooseFile(const QString &, const QString &title, const QString &filter)
{
    prompts << title;
    lastFilter = filter;
    return fileAnswer;
}

QString FakeFileDialogs::chooseSaveFile(const QString &proposedPath, const QString &title, const QString &filter)
{
    proposed << proposedPath;
    prompts << title;
    lastFilter = filter;
    return saveAnswer;
}

void RecordingLongWork::run(const QString &text, const std::function<void()> &work)
{
    texts << text;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace kavio::test
