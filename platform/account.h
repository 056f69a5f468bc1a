#pragma once

#include <QString>

namespace platform {

// The host name, whole; empty when it cannot be read.
QString hostName();

unsigned effectiveUserId();

// The account name of a user id: 0, or the errno of the lookup (ENOENT when the
// user database has no such user). name is set only on success.
[[nodiscard]] int userName(unsigned uid, QString& name);

}  // namespace platform
