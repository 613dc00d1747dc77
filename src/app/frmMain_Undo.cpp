// Edit > Undo and Redo: the image's steps (a grid OK that wrote changes, adding or removing
// the wideband patch), each kept as the whole image before and after it, and the grid's own
// steps while it is open.
#include <QAction>
#include <QUndoGroup>
#include <QUndoStack>
#include <algorithm>

#include "app/frmMain.h"
#include "widgets/UndoSteps.h"

namespace vantorix {

void frmMain::BuildUndo() {
  undoGroup_ = new QUndoGroup(this);
  imageSteps_ = new QUndoStack(undoGroup_);
  const auto naming = [](QAction* action, const QString& command) {
    return
        [action, command](const QString& step) { action->setText(step.isEmpty() ? command : command + u' ' + step); };
  };
  connect(undoGroup_, &QUndoGroup::undoTextChanged, this, naming(mnuUndo_, QStringLiteral("&Undo")));
  connect(undoGroup_, &QUndoGroup::redoTextChanged, this, naming(mnuRedo_, QStringLiteral("&Redo")));
  connect(undoGroup_, &QUndoGroup::canUndoChanged, this, [this](bool can) { mnuUndo_->setEnabled(can); });
  connect(undoGroup_, &QUndoGroup::canRedoChanged, this, [this](bool can) { mnuRedo_->setEnabled(can); });
  // A grid that closes leaves no list active: the image's takes over.
  connect(undoGroup_, &QUndoGroup::activeStackChanged, this, [this](QUndoStack* steps) {
    if (steps == nullptr) undoGroup_->setActiveStack(imageSteps_);
  });
  undoGroup_->setActiveStack(imageSteps_);
}

void frmMain::mnuUndo_Click() {
  Trapped("mnuUndo_Click", [this] {
    if (QUndoStack* steps = undoGroup_->activeStack()) UndoStep(*shell_, *steps);
  });
}

void frmMain::mnuRedo_Click() {
  Trapped("mnuRedo_Click", [this] {
    if (QUndoStack* steps = undoGroup_->activeStack()) RedoStep(*shell_, *steps);
  });
}

void frmMain::PushImageStep(const QString& text, std::vector<std::uint8_t> before) {
  const std::span<const std::uint8_t> after = images_->gobjBIN().Bytes();
  if (std::ranges::equal(before, after)) return;
  imageSteps_->push(new StateStep<std::vector<std::uint8_t>>(
      text, std::move(before), std::vector<std::uint8_t>(after.begin(), after.end()),
      [this](const std::vector<std::uint8_t>& bytes) { PutImageBytes(bytes); }));
}

void frmMain::PutImageBytes(const std::vector<std::uint8_t>& bytes) {
  // Never the file: only the image in memory, whose changed state then says whether the
  // file holds these bytes.
  images_->gobjBIN().RestoreBytes(bytes, !std::ranges::equal(bytes, fileBytes_));
  InitializeControls(2, false);  // the stored checksum shown is the one these bytes hold
}

}  // namespace vantorix
