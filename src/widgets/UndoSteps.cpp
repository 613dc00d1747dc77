#include "widgets/UndoSteps.h"

namespace vantorix {

void UndoStep(Shell& shell, QUndoStack& stack) {
  if (!stack.canUndo()) return;
  const QString text = stack.undoText();
  stack.undo();
  shell.WriteLog("Undone: " + text.toStdString());
}

void RedoStep(Shell& shell, QUndoStack& stack) {
  if (!stack.canRedo()) return;
  const QString text = stack.redoText();
  stack.redo();
  shell.WriteLog("Redone: " + text.toStdString());
}

}  // namespace vantorix
