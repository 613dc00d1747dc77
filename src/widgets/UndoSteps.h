#pragma once

#include <QUndoCommand>
#include <QUndoStack>
#include <functional>
#include <utility>

#include "foundation/Shell.h"

namespace vantorix {

// One step of an undo list, kept as the whole state before and after it and the function
// that puts either back. A step is pushed once its change has happened, so the redo() that
// QUndoStack::push runs at once finds it done already.
template <class State>
class StateStep final : public QUndoCommand {
 public:
  StateStep(const QString& text, State before, State after, std::function<void(const State&)> put)
      : QUndoCommand(text), before_(std::move(before)), after_(std::move(after)), put_(std::move(put)) {}

  void undo() override { put_(before_); }
  void redo() override {
    if (pushed_) put_(after_);
    pushed_ = true;
  }

 private:
  State before_;
  State after_;
  std::function<void(const State&)> put_;
  bool pushed_ = false;
};

// Take back, or put back, the stack's next step with its log line ("Undone: …",
// "Redone: …"); nothing happens when there is none.
void UndoStep(Shell& shell, QUndoStack& stack);
void RedoStep(Shell& shell, QUndoStack& stack);

}  // namespace vantorix
