#include "tasks/print_listing.h"

#include "core/logger.h"
#include "core/path_utils.h"

#include <QFile>

void printListing(const QString& tag, std::uint64_t taskId, const QString& file, const QString& listing) {
  if (!file.isEmpty()) {
    QFile output(fileSystemPath(file));
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
      VLOG_ERROR(tag) << "Failed to open file: '" << file << "'. Task ID: " << taskId;
    } else {
      const QByteArray bytes = listing.toUtf8();
      const bool written = output.write(bytes) == bytes.size();
      output.close();
      if (!written || output.error() != QFileDevice::NoError)
        VLOG_ERROR(tag) << "Failed to write file: '" << file << "'. Task ID: " << taskId;
    }
  }
  VLOG_INFO(tag) << listing;
}
