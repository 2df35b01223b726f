// Registry-shaped calls over per-user INI files, with the platform's result codes.
#include "platform/registry/Registry.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <cstring>
#include <memory>
#include <mutex>
#include <set>

struct TRegistryKey {
    std::string Path; // backslash-separated path below HKEY_CURRENT_USER
    QString FileName; // the INI file holding the key's values
    REGSAM Access = 0;
    std::unique_ptr<QSettings> Settings;
};

const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(uintptr_t(0x80000000u));
const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t(0x80000001u));
const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t(0x80000002u));

namespace {

std::mutex g_lock;                  // guards the handle table and the hook
std::set<TRegistryKey*> g_openKeys; // every handle RegCreateKeyEx has given out
std::function<void(const std::string&)> g_queryHook;

bool IsOpenKey(HKEY key) {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_openKeys.count(key) != 0;
}

QString ConfigHome() {
    QString home = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (home.isEmpty()) home = QDir::homePath() + QStringLiteral("/.config");
    return home;
}

// Splits a key path into components; false for an empty component or one that could leave the
// store's directory ('/', ".", "..").
bool SplitPath(const std::string& path, QStringList& parts) {
    parts.clear();
    if (path.empty()) return true;
    const QStringList raw =
        QString::fromUtf8(path.data(), qsizetype(path.size())).split(QLatin1Char('\\'));
    for (const QString& part : raw) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..") ||
            part.contains(QLatin1Char('/')) || part.contains(QChar(0)))
            return false;
        parts << part;
    }
    return true;
}

// Key paths are case-insensitive: reuse an existing directory entry that differs only in case.
QString ResolveEntry(const QString& dir, const QString& name) {
    if (QFileInfo::exists(dir + QLatin1Char('/') + name)) return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return name;
}

QString FileForPath(const QStringList& parts) {
    QString dir = ConfigHome();
    QStringList rest = parts;
    if (rest.size() >= 2 &&
        rest.front().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0) {
        rest.pop_front();
    } else {
        dir += QStringLiteral("/Zelvan-registry");
        if (rest.isEmpty()) rest << QStringLiteral("HKEY_CURRENT_USER");
    }
    for (int i = 0; i + 1 < rest.size(); ++i)
        dir += QLatin1Char('/') + ResolveEntry(dir, rest[i]);
    const QString file = ResolveEntry(dir, rest.back() + QStringLiteral(".conf"));
    return dir + QLatin1Char('/') + file;
}

// QSettings treats '/' and '\' in keys as group separators and rejects an empty key, so value names
// are escaped before they reach it.
QString EncodeName(const char* name) {
    const QString raw = QString::fromUtf8(name ? name : "");
    if (raw.isEmpty()) return QStringLiteral("%");
    QString out;
    for (QChar ch : raw) {
        if (ch == QLatin1Char('%'))
            out += QStringLiteral("%25");
        else if (ch == QLatin1Char('/'))
            out += QStringLiteral("%2F");
        else if (ch == QLatin1Char('\\'))
            out += QStringLiteral("%5C");
        else
            out += ch;
    }
    return out;
}

// Value names are case-insensitive: the stored spelling of an existing value wins.
QString FindValueKey(QSettings& settings, const QString& encoded) {
    if (settings.contains(encoded)) return encoded;
    const QStringList keys = settings.childKeys();
    for (const QString& key : keys)
        if (key.compare(encoded, Qt::CaseInsensitive) == 0) return key;
    return QString();
}

void Append(QByteArray& out, const QString& text) {
    out += text.toUtf8();
    out += '\0';
}

// The platform type and raw data of a stored value.
DWORD Encode(const QVariant& value, QByteArray& data) {
    switch (value.metaType().id()) {
    case QMetaType::QString:
        Append(data, value.toString());
        return REG_SZ;
    case QMetaType::QStringList: {
        const QStringList list = value.toStringList();
        for (const QString& item : list)
            Append(data, item);
        data += '\0';
        return REG_MULTI_SZ;
    }
    case QMetaType::Int:
    case QMetaType::UInt: {
        const uint32_t v = value.toUInt();
        for (int i = 0; i < 4; ++i)
            data += char((v >> (8 * i)) & 0xFF);
        return REG_DWORD;
    }
    case QMetaType::QByteArray:
        data = value.toByteArray();
        return REG_BINARY;
    default:
        data = value.toString().toUtf8();
        return REG_BINARY;
    }
}

enum class TFileKind { Plain, PartlyParsable, NotSettings };

// Plain: every line blank, a [section] or a key=value pair, so a rewrite keeps everything.
// PartlyParsable: a settings file with comments or stray lines, which a rewrite would drop.
// NotSettings: binary data, text that is not UTF-8, or text most of whose lines are not settings.
TFileKind ClassifyFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return TFileKind::Plain; // nothing readable to keep
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0') || QString::fromUtf8(bytes).toUtf8() != bytes)
        return TFileKind::NotSettings;
    qsizetype lines = 0, settings = 0;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty()) continue;
        ++lines;
        if ((line.startsWith('[') && line.endsWith(']')) ||
            (!line.startsWith(';') && !line.startsWith('#') && line.contains('=')))
            ++settings;
    }
    if (settings == lines) return TFileKind::Plain;
    return settings * 2 > lines ? TFileKind::PartlyParsable : TFileKind::NotSettings;
}

// Copies a store file that does not parse to "<file>.unreadable-<time>" beside it.
bool KeepUnparsableFile(const QString& fileName) {
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmsszzz"));
    QString copy = fileName + QStringLiteral(".unreadable-") + stamp;
    for (int i = 1; QFileInfo::exists(copy); ++i)
        copy = fileName + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') +
               QString::number(i);
    return QFile::copy(fileName, copy);
}

// The lock file beside the store guards each rewrite. Its owner normally holds it for a few
// milliseconds; one left behind by a program killed at the wrong moment would otherwise block the
// next writer until the lock ages out (half a minute, with no window on the screen). An empty or
// unreadable lock, or one whose process is gone, is cleared at once; a live one is waited for
// briefly and then treated as abandoned.
constexpr int LiveLockWaitMs = 1000;

void ClearAbandonedLock(const QString& fileName) {
    const QString lockName = fileName + QStringLiteral(".lock");
    if (!QFileInfo::exists(lockName)) return;
    QLockFile probe(lockName);
    QElapsedTimer waited;
    waited.start();
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (probe.tryLock(0)) { // also clears a lock whose process has ended
            probe.unlock();
            return;
        }
        if (probe.error() != QLockFile::LockFailedError)
            return; // the folder refuses the lock: the write reports it
        qint64 pid = 0;
        QString host, application;
        if (!probe.getLockInfo(&pid, &host, &application)) {
            if (!probe.removeStaleLockFile() && !QFile::remove(lockName)) return;
            continue;
        }
        if (waited.elapsed() >= LiveLockWaitMs) {
            // Its holder still lives (or its process id went to another program) but has held it
            // far longer than any save takes: the save goes ahead under a lock of its own. The file
            // is replaced atomically all the same, so readers never see half of it.
            if (!QFile::remove(lockName)) return;
            continue;
        }
        QThread::msleep(10);
    }
}

// Qt's typed values ("@Variant(...)", "@ByteArray(...)") are decoded by QSettings as it parses a
// section, and a type it does not know is reported on standard error. The store only holds
// strings; such values are surfaced as non-string data, so their warnings are kept quiet while a
// file is parsed. Messages from anywhere else pass on to the previous handler.
class TQuietTypedValues {
public:
    TQuietTypedValues() {
        if (Depth++ == 0) Previous = qInstallMessageHandler(&Filter);
    }
    ~TQuietTypedValues() {
        if (--Depth == 0) qInstallMessageHandler(Previous);
    }
    TQuietTypedValues(const TQuietTypedValues&) = delete;
    TQuietTypedValues& operator=(const TQuietTypedValues&) = delete;

private:
    static void Filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type == QtWarningMsg && (message.startsWith(QLatin1String("QVariant::load")) ||
                                     message.startsWith(QLatin1String("QSettings")) ||
                                     message.contains(QLatin1String("unknown user type")) ||
                                     message.startsWith(QLatin1String("QDataStream"))))
            return;
        if (Previous) Previous(type, context, message);
    }
    static inline QtMessageHandler Previous = nullptr;
    static inline int Depth = 0; // store calls run on the one user-interface thread
};

// The text after "name=" on the line of a plain value name in the file, as stored (null when
// there is no such line). Used to tell a variant from a string QSettings decoded out of one.
QByteArray RawValue(const QString& fileName, const QString& name) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    const QByteArray key = name.toUtf8();
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return QByteArray();
}

// Whether the store file's folder refuses the files a normal save makes beside it (the file itself
// was found writable before the save was tried).
bool FolderRefusesNewFiles(const QString& fileName) {
    const QFileInfo info(fileName);
    return !QFileInfo(info.absolutePath()).isWritable();
}

// Saves one value into a store file whose folder refuses the temporary file and the rename (and
// the lock) of a normal save, but whose file itself may be written: the new contents are made in a
// private copy and written over the file in place.
LONG WriteInPlace(const QString& fileName, const QString& name, const QString& text) {
    QTemporaryDir scratch;
    if (!scratch.isValid()) return ERROR_ACCESS_DENIED;
    const QString copy = scratch.filePath(QStringLiteral("store.conf"));
    if (!QFile::copy(fileName, copy)) return ERROR_ACCESS_DENIED;
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    {
        QSettings writer(copy, QSettings::IniFormat);
        writer.setValue(name, text);
        writer.sync();
        if (writer.status() != QSettings::NoError) return ERROR_ACCESS_DENIED;
    }
    QFile made(copy);
    QFile target(fileName);
    if (!made.open(QIODevice::ReadOnly) || !target.open(QIODevice::ReadWrite))
        return ERROR_ACCESS_DENIED;
    const QByteArray bytes = made.readAll();
    if (!target.resize(0) || target.write(bytes) != bytes.size() || !target.flush())
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

} // namespace

std::string RegistryKeyFileName(HKEY root, const std::string& subKey) {
    std::string path;
    if (root == HKEY_CURRENT_USER) {
        path = subKey;
    } else if (IsOpenKey(root)) {
        path = root->Path;
        if (!subKey.empty()) path = path.empty() ? subKey : path + "\\" + subKey;
    } else {
        return std::string();
    }
    QStringList parts;
    if (!SplitPath(path, parts)) return std::string();
    return FileForPath(parts).toStdString();
}

LONG RegCreateKeyEx(HKEY root, const char* subKey, DWORD options, REGSAM access, HKEY* result,
                    DWORD* disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (options != REG_OPTION_NON_VOLATILE) return ERROR_INVALID_PARAMETER;
    std::string path;
    if (root == HKEY_CURRENT_USER) {
        path = subKey ? subKey : "";
    } else if (IsOpenKey(root)) {
        path = root->Path;
        if (subKey && *subKey) path = path.empty() ? std::string(subKey) : path + "\\" + subKey;
    } else {
        return ERROR_INVALID_HANDLE;
    }
    QStringList parts;
    if (!SplitPath(path, parts)) return ERROR_BAD_PATHNAME;

    const QString fileName = FileForPath(parts);
    const QFileInfo info(fileName);
    if (!QDir().mkpath(info.absolutePath()) || info.isDir()) return ERROR_ACCESS_DENIED;
    bool created = false;
    if (!info.exists()) {
        // The key comes into being as an empty file; a folder that refuses it means the key cannot
        // be created (reads then find nothing and writes are skipped).
        QFile file(fileName);
        created = file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        if (!created && !QFileInfo::exists(fileName)) return ERROR_ACCESS_DENIED;
    }
    auto key = std::make_unique<TRegistryKey>();
    key->Path = path;
    key->FileName = fileName;
    key->Access = access;
    key->Settings = std::make_unique<QSettings>(fileName, QSettings::IniFormat);
    key->Settings->setAtomicSyncRequired(true);
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    std::lock_guard<std::mutex> guard(g_lock);
    *result = key.release();
    g_openKeys.insert(*result);
    return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* type, uint8_t* data, DWORD* dataSize) {
    if (!IsOpenKey(key)) return ERROR_INVALID_HANDLE;
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        hook = g_queryHook;
    }
    if (hook) hook(valueName ? valueName : "");
    if (!(key->Access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;

    QSettings& settings = *key->Settings;
    TQuietTypedValues quiet;
    settings.sync(); // picks up what other handles or processes have saved since
    const QString name = FindValueKey(settings, EncodeName(valueName));
    if (name.isEmpty()) return ERROR_FILE_NOT_FOUND;
    QByteArray bytes;
    DWORD valueType = Encode(settings.value(name), bytes);
    // A serialised variant is typed data, whether it decodes to a string (which would pass for
    // that string) or to nothing (an unknown type, which would pass for an empty value).
    // ("@String(...)" is how QSettings itself writes a string holding zero bytes: that stays text.)
    const QByteArray raw = RawValue(key->FileName, name);
    if (raw.startsWith("@Variant(")) {
        valueType = REG_BINARY;
        bytes = raw;
    }
    if (type) *type = valueType;
    const DWORD size = DWORD(bytes.size());
    if (!data) {
        if (dataSize) *dataSize = size;
        return ERROR_SUCCESS;
    }
    const DWORD room = *dataSize;
    *dataSize = size;
    if (room < size) return ERROR_MORE_DATA;
    if (size) std::memcpy(data, bytes.constData(), size);
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, const char* valueName, DWORD type, const uint8_t* data,
                   DWORD dataSize) {
    if (!IsOpenKey(key)) return ERROR_INVALID_HANDLE;
    if (!(key->Access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (type != REG_SZ || (!data && dataSize)) return ERROR_INVALID_PARAMETER;
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(dataSize));
    if (bytes.endsWith('\0')) bytes.chop(1);
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes)
        return ERROR_INVALID_PARAMETER; // not UTF-8: it could not be read back as the same bytes

    // The file must be replaceable as a whole; a read-only file is refused like a read-only key.
    const QFileInfo info(key->FileName);
    if (info.exists() && (!info.isFile() || !info.isWritable())) return ERROR_ACCESS_DENIED;

    // The handle's own settings object never holds pending changes: a write goes through a
    // separate object that saves at once, so a refused write leaves nothing behind to be saved
    // over another process's data later.
    QString name = FindValueKey(*key->Settings, EncodeName(valueName));
    if (name.isEmpty()) name = EncodeName(valueName);
    LONG result = ERROR_SUCCESS;
    TQuietTypedValues quiet;
    {
        // Saving rewrites the whole file from what could be parsed, dropping comments and lines
        // that do not parse; such a file is kept aside first so nothing of it is lost. A file that
        // is not a settings file at all is not mined for values: the store starts afresh.
        const TFileKind kind = ClassifyFile(key->FileName);
        if (kind != TFileKind::Plain && !KeepUnparsableFile(key->FileName))
            return ERROR_ACCESS_DENIED;
        if (kind == TFileKind::NotSettings) {
            QFile fresh(key->FileName);
            if (!fresh.open(QIODevice::WriteOnly | QIODevice::Truncate)) return ERROR_ACCESS_DENIED;
            name = EncodeName(valueName);
        }
        ClearAbandonedLock(key->FileName);
        QSettings writer(key->FileName, QSettings::IniFormat);
        writer.setAtomicSyncRequired(true);
        writer.setValue(name, text);
        writer.sync();
        if (writer.status() == QSettings::AccessError) result = ERROR_ACCESS_DENIED;
    }
    if (result == ERROR_ACCESS_DENIED && FolderRefusesNewFiles(key->FileName))
        result = WriteInPlace(key->FileName, name, text);
    key->Settings->sync();
    return result;
}

LONG RegCloseKey(HKEY key) {
    if (!IsOpenKey(key)) return ERROR_INVALID_HANDLE;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_openKeys.erase(key);
    }
    key->Settings->sync();
    delete key;
    return ERROR_SUCCESS;
}

void RegSetQueryHook(std::function<void(const std::string& valueName)> hook) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_queryHook = std::move(hook);
}
