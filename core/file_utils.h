#pragma once

#include <QFile>
#include <QString>

// File-system tests and changes on path texts; "\" and "/" are both separators.
// None of them logs: the result says what happened.

bool dirExists(const QString& path);
// Anything at all: a file, a directory, a link.
bool fileExists(const QString& path);
// The directory and every missing parent; true when it exists afterwards.
bool makePath(const QString& path);
// The directory that would hold the file; true at once when the file exists.
bool makeParentPath(const QString& filePath);
// Removes a file even when it is read-only; true when nothing is left there.
// A directory is left in place (false).
bool removeFile(const QString& path);

// Whether the path names a regular file once links are followed; never blocks.
bool isRegularFile(const QString& path);

enum class ReadOpenResult { Opened, NotRegularFile, CannotOpen };

// Opens a file that a job names for reading. Only a regular file is opened (links are
// followed); a FIFO or a device is refused at once instead of blocking the run.
ReadOpenResult openRegularFile(QFile& file, const QString& path, QIODevice::OpenMode mode);

// "Failed to open file: '<path>'", and why when the file is not a regular one.
QString openFailureText(const QString& path, ReadOpenResult result);
