// The store file on disk: judging its contents, setting a bad one aside, and saving new contents
// so that a save killed at any instant leaves the old values or the new ones.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

#include "platform/registry/Registry.h"

// No real store comes near this; a larger file is set aside unread.
constexpr qint64 MaxStoreBytes = qint64(1) << 20;

// Whether the file exists and is larger than any real store.
bool IsOversizedStore(const QString& fileName);

// Plain: every line blank, a [section], a key=value pair or the padding of an interrupted save,
// so a rewrite keeps everything. PartlyParsable: a settings file with comments, stray or damaged
// lines (zero bytes, text that is not UTF-8), which a rewrite drops. NotSettings: most lines are
// not settings (binary data, some other file).
enum class TFileKind { Plain, PartlyParsable, NotSettings };
TFileKind ClassifyStore(const QByteArray& bytes);

// The [section] and key=value lines of the bytes, each ending in a newline; everything else (every
// line holding a zero byte or text that is not UTF-8, the sections of an unfinished save) left out.
QByteArray ParsableLines(const QByteArray& bytes);

// Copies the file to "<file>.unreadable-<time>" beside it.
bool CopyStoreAside(const QString& fileName);
// Renames the file to "<file>.unreadable-<time>" without reading it.
bool MoveStoreAside(const QString& fileName);

// Removes the temporary files of saves that were killed before they could rename them ("<file>."
// and six letters or digits). Call only while holding the store's lock: no save is under way.
void ClearOrphanSaves(const QString& fileName);

// The template of the private folder a save makes its new contents in: in memory when there is
// such a folder (the settings parser forces every file it writes to disk), named after this
// process. The first call removes such folders of processes that have ended.
QString ScratchTemplate();

// Names of the sections a save writes while it is unfinished: they start with this character, are
// never read as values and are dropped by the next save.
constexpr char PendingSectionMark = '~';

// Saves the file's new contents, made by makeContents from its current bytes (nullopt: refuse).
// Waits on the lock beside the store about a second at most; a lock that can neither be taken nor
// cleared leaves the file read-only for the rest of the run, so no later save waits on it. In a
// folder that refuses new files the file is rewritten in place, in steps that each leave a file
// whose values are the old or the new ones. ERROR_SUCCESS or ERROR_ACCESS_DENIED.
LONG SaveStore(const QString& fileName,
               const std::function<std::optional<QByteArray>(const QByteArray&)>& makeContents);

// Whether an earlier save met a lock it could not take or clear.
bool IsReadOnlyForRun(const QString& fileName);
