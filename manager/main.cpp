#include "core/log_appenders.h"
#include "core/logger.h"
#include "manager/build_manager.h"
#include "manager/stop_policy.h"
#include "platform/broken_pipe.h"
#include "platform/file_name_codec.h"
#include "platform/process_tree.h"

#include <QCoreApplication>

#include <memory>

int main(int argc, char** argv) {
  // The log lives as long as the process: a stop's last line may come while it exits.
  logger::LogManager* log = logger::LogManager::instance();
  log->addRef();
  log->addAppender(new logger::LogAppenderFile(logger::LogAppenderFile::kDefaultSizeLimit));
  log->addAppender(new logger::LogAppenderConsole);
  log->setLevel(logger::LogTrace);
  for (std::uint64_t bit : {logger::FilterTaskManager, logger::FilterTaskDetails, logger::FilterTaskBuild,
                            logger::FilterTaskCopy, logger::FilterCopyFiles})
    log->setFilter(bit);

  auto app = std::make_unique<QCoreApplication>(argc, argv);
  platform::keepFileNameBytes();
  if (const int error = platform::installBrokenPipeHandler())
    VLOG_WARNING("Mgr") << "A console that closes ends the run. Native error: " << error;
  // Before the run starts anything.
  StopPolicy::install();

  auto manager = std::make_unique<BuildManager>();
  (void)manager->init();  // logged
  const int result = manager->start(argc, argv);
  // A program left running after its waiting time, and whatever the children started.
  if (const int ended = platform::endDescendants())
    VLOG_WARNING("Mgr") << "Finish. Processes still running at the end of the run were ended: " << ended << ".";
  manager.reset();
  const int exitCode = StopPolicy::exitCode(result);
  app.reset();
  return exitCode;
}
