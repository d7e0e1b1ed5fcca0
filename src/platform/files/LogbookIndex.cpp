#include "platform/files/LogbookIndex.h"

#include "core/flightdata/ZdfFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <atomic>
#include <unordered_set>

namespace zirko {

namespace {

// The tables of this version; together with the row layout it decides whether an index is kept.
constexpr const char* kIndexVersion = "index 1";

QString LayoutText()
{
    return QString(kIndexVersion) + ";" + QString::fromStdString(LogbookLayout());
}

QString NextConnectionName()
{
    static std::atomic<int> counter{0};
    return QString("zirko-logbook-%1").arg(counter.fetch_add(1));
}

bool Exec(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    return q.exec(sql);
}

} // namespace

TLogbookIndex::TLogbookIndex(const QString& databasePath) : Connection(NextConnectionName())
{
    if (OpenDatabase(databasePath))
        return;
    // Corrupt, of another layout or half made: the cache starts again from nothing.
    Close();
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(databasePath + suffix);
    if (!OpenDatabase(databasePath))
        Close();
}

TLogbookIndex::~TLogbookIndex()
{
    Close();
}

void TLogbookIndex::Close()
{
    if (QSqlDatabase::contains(Connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(Connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(Connection);
    }
    Open = false;
}

bool TLogbookIndex::OpenDatabase(const QString& path)
{
    if (!QSqlDatabase::isDriverAvailable("QSQLITE"))
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", Connection);
    db.setDatabaseName(path);
    db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=3000");
    if (!db.open())
        return false;
    QSqlQuery layout(db);
    if (layout.exec("SELECT value FROM meta WHERE key = 'layout'")) {
        Open = layout.next() && layout.value(0).toString() == LayoutText();
        return Open;
    }
    // No tables yet (a new file): make them; anything else is a file that is no index of ours.
    QSqlQuery tables(db);
    if (!tables.exec("SELECT count(*) FROM sqlite_master") || !tables.next() ||
        tables.value(0).toInt() != 0)
        return false;
    QSqlQuery insert(db);
    Open = db.transaction() && Exec(db, "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT)") &&
           Exec(db, "CREATE TABLE flights (path TEXT PRIMARY KEY, size INTEGER, mtime INTEGER, "
                    "row BLOB)") &&
           insert.prepare("INSERT INTO meta (key, value) VALUES ('layout', ?)");
    if (Open) {
        insert.addBindValue(LayoutText());
        Open = insert.exec() && db.commit();
    }
    return Open;
}

std::unordered_map<std::string, TLogbookIndex::TStored>
TLogbookIndex::Load(const std::string& root) const
{
    std::unordered_map<std::string, TStored> stored;
    if (!Open)
        return stored;
    QSqlDatabase db = QSqlDatabase::database(Connection, false);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // Every path that starts with "root/": the range from "root/" up to "root0" ("0" follows "/").
    const QString prefix = QString::fromStdString(root) + "/";
    if (!q.prepare("SELECT path, size, mtime, row FROM flights WHERE path >= ? AND path < ?"))
        return stored;
    q.addBindValue(prefix);
    q.addBindValue(QString::fromStdString(root) + "0");
    if (!q.exec())
        return stored;
    while (q.next()) {
        TStored s;
        s.Size = q.value(1).toLongLong();
        s.ModifiedNs = q.value(2).toLongLong();
        const QByteArray row = q.value(3).toByteArray();
        s.Row.assign(row.constData(), static_cast<size_t>(row.size()));
        stored.emplace(q.value(0).toString().toStdString(), std::move(s));
    }
    return stored;
}

bool TLogbookIndex::Update(const std::vector<TChange>& changed,
                           const std::vector<std::string>& gone)
{
    if (!Open)
        return false;
    if (changed.empty() && gone.empty())
        return true;
    QSqlDatabase db = QSqlDatabase::database(Connection, false);
    if (!db.transaction())
        return false;
    QSqlQuery put(db);
    QSqlQuery remove(db);
    bool ok = put.prepare("INSERT OR REPLACE INTO flights (path, size, mtime, row) "
                          "VALUES (?, ?, ?, ?)") &&
              remove.prepare("DELETE FROM flights WHERE path = ?");
    for (size_t i = 0; ok && i < changed.size(); ++i) {
        const TChange& c = changed[i];
        const std::string row = StoreRow(*c.Row);
        put.bindValue(0, QString::fromStdString(c.Path));
        put.bindValue(1, static_cast<qlonglong>(c.Size));
        put.bindValue(2, static_cast<qlonglong>(c.ModifiedNs));
        put.bindValue(3, QByteArray(row.data(), static_cast<qsizetype>(row.size())));
        ok = put.exec();
    }
    for (size_t i = 0; ok && i < gone.size(); ++i) {
        remove.bindValue(0, QString::fromStdString(gone[i]));
        ok = remove.exec();
    }
    if (ok && db.commit())
        return true;
    db.rollback();
    return false;
}

std::vector<TFlightDetails> TLogbookIndex::StoredDetails(const std::filesystem::path& root) const
{
    const std::string absoluteRoot =
        QDir::cleanPath(QFileInfo(QString::fromStdString(root.string())).absoluteFilePath())
            .toStdString();
    std::vector<TFlightDetails> details;
    for (const auto& [path, stored] : Load(absoluteRoot)) {
        TLogbookRow row;
        if (RestoreRow(stored.Row, row) && row.Error.empty())
            details.push_back(std::move(row.Details));
    }
    return details;
}

QString TLogbookIndex::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/logbook.sqlite";
}

std::vector<TLogbookRow>
IndexedLogbookRows(const std::filesystem::path& root, const std::vector<TFlightFileEntry>& files,
                   const std::vector<std::string>& dateFormats, const TModelProfiles* profiles,
                   TLogbookIndex* index, const TEventOptions& general, const TReadControl* control)
{
    if (!index || !index->Usable())
        return ReadLogbookRows(files, dateFormats, profiles, general, control);
    const std::string absoluteRoot =
        QDir::cleanPath(QFileInfo(QString::fromStdString(root.string())).absoluteFilePath())
            .toStdString();
    const auto key = [&](const TFlightFileEntry& f) { return absoluteRoot + "/" + f.RelativePath; };
    auto stored = index->Load(absoluteRoot);
    std::vector<TLogbookRow> rows(files.size());
    std::vector<TFlightFileEntry> toRead;
    std::vector<size_t> readAt;
    for (size_t i = 0; i < files.size(); ++i) {
        const auto it = stored.find(key(files[i]));
        TLogbookRow& row = rows[i];
        if (it != stored.end() && it->second.Size == files[i].Size &&
            it->second.ModifiedNs == files[i].ModifiedNs && RestoreRow(it->second.Row, row) &&
            (!row.Error.empty() || row.AnalysisKey == EventOptionsKey(EventOptionsFor(
                                                          general, profiles, row.Details.Model)))) {
            SetRowPath(row, files[i].RelativePath);
            row.Modified = files[i].Modified;
            row.Prepare();
            continue;
        }
        row = {};
        toRead.push_back(files[i]);
        readAt.push_back(i);
    }
    std::vector<TLogbookRow> read =
        ReadLogbookRows(toRead, dateFormats, profiles, general, control);
    std::vector<TLogbookIndex::TChange> changed;
    for (size_t k = 0; k < read.size(); ++k) {
        rows[readAt[k]] = std::move(read[k]);
        // A file that could not be read at all may be readable next time without a change; one
        // left unread by a cancel is read next time.
        if (rows[readAt[k]].Error == kMsgReadIo || rows[readAt[k]].Path.empty())
            continue;
        changed.push_back({key(toRead[k]), toRead[k].Size, toRead[k].ModifiedNs, &rows[readAt[k]]});
    }
    std::unordered_set<std::string> present;
    for (const auto& f : files)
        present.insert(key(f));
    std::vector<std::string> gone;
    for (const auto& [path, s] : stored)
        if (!present.count(path))
            gone.push_back(path);
    index->Update(changed, gone); // a cache that cannot be written only costs time next run
    return rows;
}

} // namespace zirko
