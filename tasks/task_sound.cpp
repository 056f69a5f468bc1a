#include "tasks/task_sound.h"

#include "core/file_utils.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "platform/sound.h"
#include "tasks/task_texts.h"

#include <QFileInfo>

#include <initializer_list>

namespace {

const QLatin1String kName("Sound");
const QLatin1String kSoundType("type");

bool isAnyOf(const QString& text, std::initializer_list<const char*> words) {
  for (const char* word : words)
    if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) return true;
  return false;
}

}  // namespace

TaskSound::TaskSound(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskSound::~TaskSound() { markInterrupted(); }

int TaskSound::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter, IConditionHandler*,
                     INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const QString type = expandedTrimmed(expander, propertyText(kSoundType));
  const QString file = expandedTrimmed(expander, propertyText(task_texts::kFile));
  bool played = false;
  if (!file.isEmpty()) {
    const QString path =
        QFileInfo(fileSystemPath(makeAbsolutePath(parentDirOf(getFile()), file))).absoluteFilePath();
    if (fileExists(path)) {
      platform::playWavFile(path);
      played = true;
    }
  }
  if (!played && !type.isEmpty()) {
    if (isAnyOf(type, {"success", "s", "ok"}))
      playSuccessSound();
    else if (isAnyOf(type, {"error", "err", "e", "fail"}))
      playErrorSound();
  }
  setVariable(setter, resultVar, QStringLiteral("0"));
  return 0;
}
