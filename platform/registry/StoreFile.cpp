// Judging a store file's contents, setting a bad or oversized one aside and clearing what killed
// saves left beside it.
#include "platform/registry/Store.Internal.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

bool IsUtf8(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

enum class TLineKind { Ignored, Setting, Other };

// Sorts the lines of a store file, following its sections. Blank lines, lines of zero bytes, the
// semicolon padding an interrupted in-place save leaves (alone, or after the cut start of a line
// that holds no '=') and the sections it had not finished are ignored.
class TLineReader {
public:
    TLineKind Next(const QByteArray& raw) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) FPending = line.size() > 1 && line[1] == PendingSectionMark;
        if (line.isEmpty() || FPending) return TLineKind::Ignored;
        if (line.count('\0') == line.size()) {
            Damaged = true;
            return TLineKind::Ignored;
        }
        if (line.contains('\0') || !IsUtf8(line)) {
            Damaged = true;
            return TLineKind::Other;
        }
        if (line.startsWith('[') && line.endsWith(']')) return TLineKind::Setting;
        if (line.startsWith(';') || line.startsWith('#'))
            return line.count(';') == line.size() ? TLineKind::Ignored : TLineKind::Other;
        if (line.contains('=')) return TLineKind::Setting;
        return line.endsWith(';') ? TLineKind::Ignored : TLineKind::Other;
    }

    bool Damaged = false; // a line held zero bytes or text that is not UTF-8

private:
    bool FPending = false; // inside a section an interrupted save had not finished
};

QString AsideName(const QString& fileName) {
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmsszzz"));
    QString aside = fileName + QStringLiteral(".unreadable-") + stamp;
    for (int i = 1; QFileInfo::exists(aside); ++i)
        aside = fileName + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') +
                QString::number(i);
    return aside;
}

} // namespace

bool IsOversizedStore(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.isFile() && info.size() > MaxStoreBytes;
}

TFileKind ClassifyStore(const QByteArray& bytes) {
    qsizetype lines = 0, settings = 0;
    TLineReader reader;
    for (const QByteArray& raw : bytes.split('\n')) {
        const TLineKind kind = reader.Next(raw);
        if (kind == TLineKind::Ignored) continue;
        ++lines;
        if (kind == TLineKind::Setting) ++settings;
    }
    if (settings == lines && !reader.Damaged) return TFileKind::Plain;
    return settings * 2 > lines ? TFileKind::PartlyParsable : TFileKind::NotSettings;
}

QByteArray ParsableLines(const QByteArray& bytes) {
    QByteArray out;
    TLineReader reader;
    for (const QByteArray& raw : bytes.split('\n')) {
        if (reader.Next(raw) != TLineKind::Setting) continue;
        out += raw;
        out += '\n';
    }
    return out;
}

bool CopyStoreAside(const QString& fileName) {
    return QFile::copy(fileName, AsideName(fileName));
}

bool MoveStoreAside(const QString& fileName) {
    return QFile::rename(fileName, AsideName(fileName));
}

void ClearOrphanSaves(const QString& fileName) {
    const QFileInfo info(fileName);
    const QString prefix = info.fileName() + QLatin1Char('.');
    const QStringList entries = QDir(info.absolutePath()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (!entry.startsWith(prefix) || entry.size() != prefix.size() + 6) continue;
        bool temporary = true;
        for (QChar ch : QStringView(entry).mid(prefix.size()))
            temporary = temporary && ch.isLetterOrNumber() && ch.unicode() < 128;
        if (temporary) QFile::remove(info.absolutePath() + QLatin1Char('/') + entry);
    }
}

QString ScratchTemplate() {
    static const QString folder = [] {
        QString chosen = QDir::tempPath();
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        for (const QString& candidate : {runtime, QStringLiteral("/dev/shm")})
            if (!candidate.isEmpty() && QFileInfo(candidate).isDir() &&
                QFileInfo(candidate).isWritable()) {
                chosen = candidate;
                break;
            }
        // A save killed while making its contents leaves its folder behind. The names are matched
        // here rather than with a name filter, which would build a pattern matcher (and its
        // compiled code) for the whole run just for this one look at the folder.
        const QStringList entries =
            QDir(chosen).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& entry : entries) {
            if (!entry.startsWith(QLatin1String("zelvan-store-"))) continue;
            const QStringList parts = entry.split(QLatin1Char('-'));
            bool number = false;
            const qint64 pid = parts.size() == 4 ? parts[2].toLongLong(&number) : 0;
            if (number && pid > 0 && kill(pid_t(pid), 0) != 0 && errno == ESRCH)
                QDir(chosen + QLatin1Char('/') + entry).removeRecursively();
        }
        return chosen;
    }();
    return folder + QStringLiteral("/zelvan-store-") + QString::number(getpid()) +
           QStringLiteral("-XXXXXX");
}
