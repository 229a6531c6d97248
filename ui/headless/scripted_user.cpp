#include "ui/headless/scripted_user.h"

namespace ui::headless {

ScriptedUser::DialogScript ScriptedUser::TakeScript(int templateId) {
  for (auto it = scripts_.begin(); it != scripts_.end(); ++it) {
    if (it->templateId == 0 || it->templateId == templateId) {
      DialogScript script = std::move(it->script);
      scripts_.erase(it);
      return script;
    }
  }
  return {};
}

std::optional<int> ScriptedUser::TakeAnswer() {
  if (answers_.empty()) return std::nullopt;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedUser::TakeFileAnswer() {
  if (fileAnswers_.empty()) return std::nullopt;
  std::string path = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return path;
}

std::optional<int> ScriptedUser::TakeMenuChoice() {
  if (menuChoices_.empty()) return std::nullopt;
  const int choice = menuChoices_.front();
  menuChoices_.pop_front();
  return choice;
}

}  // namespace ui::headless
