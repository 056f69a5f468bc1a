#include "core/log_appenders.h"
#include "core/logger.h"
#include "manager/build_manager.h"
#include "manager/exit_code.h"

#include <QCoreApplication>

#include <memory>

int main(int argc, char** argv) {
  logger::LogManager* log = logger::LogManager::instance();
  log->addRef();
  log->addAppender(new logger::LogAppenderFile(logger::LogAppenderFile::kDefaultSizeLimit));
  log->addAppender(new logger::LogAppenderConsole);
  log->setLevel(logger::LogTrace);
  for (std::uint64_t bit : {logger::FilterTaskManager, logger::FilterTaskDetails, logger::FilterTaskBuild,
                            logger::FilterTaskCopy, logger::FilterCopyFiles})
    log->setFilter(bit);

  auto app = std::make_unique<QCoreApplication>(argc, argv);
  auto manager = std::make_unique<BuildManager>();
  (void)manager->init();  // logged
  const int result = manager->start(argc, argv);
  manager.reset();
  const int exitCode = exitCodeOf(result);
  if (exitCode != result)
    VLOG_ERROR("Mgr") << "Finish. Result " << result << " leaves the process with exit code " << exitCode << ".";
  app.reset();
  log->release();
  return exitCode;
}
