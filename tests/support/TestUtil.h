// Small helpers shared by the Qt-based tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

namespace zirko::test {

inline QString TestDataPath(const QString& name)
{
    return QString::fromUtf8(ZIRKO_TEST_DATA_DIR) + "/" + name;
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// A control of a window found by its object name, the name the user's tools see it by; a missing
// one fails the test.
template <class T> T* Named(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::logic_error(std::string("No control named ") + name + ".");
    return found;
}

} // namespace zirko::test
