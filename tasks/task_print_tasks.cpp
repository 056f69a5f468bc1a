#include "tasks/task_print_tasks.h"

TaskPrintTasks::TaskPrintTasks(std::uint64_t id, ITask* parent)
    : TaskCommon(id, QStringLiteral("PrintTasks"), parent) {}

TaskPrintTasks::~TaskPrintTasks() { markInterrupted(); }
