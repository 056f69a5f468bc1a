#include "manager/build_manager.h"

#include "manager/result_codes.h"

int BuildManager::prepareProjectTask(const QString&, ITask*) { return manager_codes::kOk; }
