#include "core/environment_access.h"

#include "core/logger.h"
#include "core/result_codes.h"
#include "platform/environment.h"
#include "platform/system_environment.h"

namespace {

const char kTag[] = "System";

[[nodiscard]] int reportFailure(const char* function, unsigned nativeError) {
  VLOG_ERROR(kTag) << "Failed to call '" << function << "'. Native error: " << nativeError;
  return core_codes::kSystemCallFailed;
}

// The file's lock is the one failure whose native error alone does not say what to do.
[[nodiscard]] int reportFileFailure(const char* function, unsigned nativeError) {
  const int rc = reportFailure(function, nativeError);
  const QString why = platform::systemEnvironmentLockFailure(nativeError);
  if (!why.isEmpty())
    VLOG_ERROR(kTag) << "Cannot lock the system environment file '" << platform::systemEnvironmentFilePath()
                     << "': " << why << ".";
  return rc;
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
  if (rc != 0) return reportFileFailure("getSystemEnvironmentVariable", rc);
  value = read;
  return 0;
}

int setSystemEnvironmentVariable(const QString& name, const QString& value) {
  if (name.isEmpty()) return 0;
  bool oldTextLost = false;
  const unsigned rc =
      platform::writeRegistryString(QLatin1String(platform::kSystemEnvironmentKeyPath), name, 0, value, &oldTextLost);
  if (rc == 0) return 0;
  const int code = reportFileFailure("setSystemEnvironmentVariable", rc);
  if (oldTextLost)
    VLOG_ERROR(kTag) << "The old text of '" << platform::systemEnvironmentFilePath() << "' could not be put back.";
  return code;
}

int expandEnvironmentStrings(QString& result, const QString& text) {
  QString expanded;
  const unsigned rc = platform::expandEnvironmentStrings(text, expanded);
  if (rc != 0) return reportFailure("expandEnvironmentStrings", rc);
  result = expanded;
  return 0;
}
