#include "core/environment_access.h"

#include "core/logger.h"
#include "core/result_codes.h"
#include "platform/environment.h"
#include "platform/system_environment.h"

namespace {

[[nodiscard]] int reportFailure(const char* function, unsigned nativeError) {
  VLOG_ERROR("System") << "Failed to call '" << function << "'. Native error: " << nativeError;
  return core_codes::kSystemCallFailed;
}

}  // namespace

int getProcessEnvironmentVariable(QString& value, const QString& name) {
  QString read;
  const unsigned rc = platform::queryEnvironmentVariable(name, read);
  if (rc != 0) return reportFailure("getProcessEnvironmentVariable", rc);
  value = read;
  return 0;
}

int setProcessEnvironmentVariable(const QString& name, const QString& value) {
  if (name.isEmpty()) return 0;
  const unsigned rc = platform::setEnvironmentVariable(name, value);
  return rc == 0 ? 0 : reportFailure("setProcessEnvironmentVariable", rc);
}

int getSystemEnvironmentVariable(QString& value, const QString& name) {
  QString read;
  const unsigned rc = platform::readRegistryString(name, read);
  if (rc != 0) return reportFailure("getSystemEnvironmentVariable", rc);
  value = read;
  return 0;
}

int setSystemEnvironmentVariable(const QString& name, const QString& value) {
  if (name.isEmpty()) return 0;
  bool oldTextLost = false;
  const unsigned rc =
      platform::writeRegistryString(QLatin1String(platform::kSystemEnvironmentKeyPath), name, 0, value, &oldTextLost);
  if (rc == 0) return 0;
  const int code = reportFailure("setSystemEnvironmentVariable", rc);
  if (oldTextLost)
    VLOG_ERROR("System") << "The old text of '" << platform::systemEnvironmentFilePath() << "' could not be put back.";
  return code;
}

int expandEnvironmentStrings(QString& result, const QString& text) {
  QString expanded;
  const unsigned rc = platform::expandEnvironmentStrings(text, expanded);
  if (rc != 0) return reportFailure("expandEnvironmentStrings", rc);
  result = expanded;
  return 0;
}
