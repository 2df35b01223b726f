// Registry-shaped calls over per-user INI files, with the platform's result codes.
#include "platform/registry/Registry.h"
#include "platform/registry/Store.Internal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <cstring>
#include <memory>
#include <mutex>
#include <set>

struct TRegistryKey {
    std::string Path; // backslash-separated path below HKEY_CURRENT_USER
    QString FileName; // the INI file holding the key's values
    REGSAM Access = 0;
    std::unique_ptr<QSettings> Settings; // null when the file could be neither used nor set aside
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
    QByteArray found;
    bool mainSection = true; // lines before any [section] belong to the main one
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith('[')) {
            mainSection = line.compare("[General]", Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (mainSection && eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            found = line.mid(eq + 1).trimmed(); // a later line wins, as in the parser
    }
    return found;
}

// The contents of the store file after setting one value: made by the settings parser on a
// private copy of what parses, so the format stays its own. Sections a killed save left unfinished
// are dropped; a file that is not a settings file at all is not mined for values.
std::optional<QByteArray> ContentsWithValue(const QByteArray& current, TFileKind kind,
                                            const char* valueName, const QString& text) {
    QTemporaryDir scratch(ScratchTemplate());
    if (!scratch.isValid()) return std::nullopt;
    const QString copy = scratch.filePath(QStringLiteral("store.conf"));
    {
        QFile file(copy);
        const QByteArray start =
            kind == TFileKind::NotSettings ? QByteArray() : ParsableLines(current);
        if (!file.open(QIODevice::WriteOnly) || file.write(start) != start.size())
            return std::nullopt;
    }
    {
        QSettings writer(copy, QSettings::IniFormat);
        QString name = FindValueKey(writer, EncodeName(valueName));
        if (name.isEmpty()) name = EncodeName(valueName);
        writer.setValue(name, text);
        writer.sync();
        if (writer.status() != QSettings::NoError) return std::nullopt;
    }
    QFile made(copy);
    if (!made.open(QIODevice::ReadOnly)) return std::nullopt;
    return made.readAll();
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
    // A file far larger than any store is moved aside unread and the key starts afresh; where it
    // cannot be moved the key reads as empty and refuses writes, so the file is kept as it is.
    bool usable = true;
    if (IsOversizedStore(fileName)) {
        usable = MoveStoreAside(fileName);
        if (usable) {
            QFile file(fileName);
            created = file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        }
    }
    auto key = std::make_unique<TRegistryKey>();
    key->Path = path;
    key->FileName = fileName;
    key->Access = access;
    if (usable) {
        TQuietTypedValues quiet;
        key->Settings = std::make_unique<QSettings>(fileName, QSettings::IniFormat);
    }
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

    if (!key->Settings || IsOversizedStore(key->FileName)) return ERROR_FILE_NOT_FOUND;
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

    // A read-only file is refused like a read-only key.
    const QFileInfo info(key->FileName);
    if (!key->Settings || (info.exists() && (!info.isFile() || !info.isWritable())))
        return ERROR_ACCESS_DENIED;

    // A save rewrites the whole file from what parses, dropping comments and lines that do not
    // parse; such a file is copied aside once the new contents are made, so nothing of it is lost.
    TQuietTypedValues quiet;
    const QString fileName = key->FileName;
    const LONG result = SaveStore(fileName, [&](const QByteArray& current) {
        const TFileKind kind = ClassifyStore(current);
        std::optional<QByteArray> contents = ContentsWithValue(current, kind, valueName, text);
        if (contents && kind != TFileKind::Plain && !CopyStoreAside(fileName)) contents.reset();
        return contents;
    });
    key->Settings->sync();
    return result;
}

LONG RegCloseKey(HKEY key) {
    if (!IsOpenKey(key)) return ERROR_INVALID_HANDLE;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        g_openKeys.erase(key);
    }
    delete key;
    return ERROR_SUCCESS;
}

void RegSetQueryHook(std::function<void(const std::string& valueName)> hook) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_queryHook = std::move(hook);
}
