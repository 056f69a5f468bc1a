#include "core/os_info.h"

#include "core/text_helpers.h"

QString currentOsName() { return osName(kOwnOsCode); }
