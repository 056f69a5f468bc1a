#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

enum class ReadOpen { Opened, NotRegular, Failed, TooLarge };

// Opens a file for reading without ever blocking: a FIFO or a device is refused
// (NotRegular) instead of waited on; links are followed. On Opened, *fd is a blocking
// descriptor that the caller owns; on Failed, *error is errno.
ReadOpen openRegularFileForReading(const QString& path, int* fd, int* error);

// Reads a regular file whole the same way (Opened: *content holds it), in one read to
// its end after the size is known: TooLarge when it holds more than limit bytes.
ReadOpen readRegularFile(const QString& path, qint64 limit, QByteArray* content, int* error);

void closeDescriptor(int fd);

// Whether path names a regular file once links are followed; never blocks.
bool isRegularFile(const QString& path);

// Whether path names a character device (a terminal, /dev/null) once links are followed.
bool isCharacterDevice(const QString& path);

}  // namespace platform
