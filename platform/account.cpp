#include "platform/account.h"

#include <cerrno>
#include <pwd.h>
#include <sys/types.h>
#include <unistd.h>

#include <vector>

namespace platform {

QString hostName() {
  char buffer[256 + 1] = {};
  if (::gethostname(buffer, sizeof(buffer) - 1) != 0) return QString();
  return QString::fromLocal8Bit(buffer);
}

unsigned effectiveUserId() { return static_cast<unsigned>(::geteuid()); }

int userName(unsigned uid, QString& name) {
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::size_t size = suggested > 0 ? static_cast<std::size_t>(suggested) : 1024;
  const std::size_t kMaxSize = 1 << 20;
  std::vector<char> buffer;
  for (;;) {
    buffer.assign(size, 0);
    passwd entry{};
    passwd* found = nullptr;
    const int rc = ::getpwuid_r(static_cast<uid_t>(uid), &entry, buffer.data(), buffer.size(), &found);
    if (rc == ERANGE && size < kMaxSize) {
      size *= 2;
      continue;
    }
    if (rc != 0) return rc;
    if (!found || !found->pw_name) return ENOENT;
    name = QString::fromLocal8Bit(found->pw_name);
    return 0;
  }
}

}  // namespace platform
