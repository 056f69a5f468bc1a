#include "tasks/task_move.h"

TaskMove::TaskMove(std::uint64_t id, ITask* parent) : TaskWithFileSets(id, QStringLiteral("Move"), parent) {}

TaskMove::~TaskMove() { markInterrupted(); }
