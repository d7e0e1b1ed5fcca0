// Small helpers shared by the Qt-based tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

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

} // namespace zirko::test
