#include "widgets/SaveFileDialog.h"

#include <QFile>
#include <QFileDialog>
#include <filesystem>

namespace vantorix {

std::string AskForFileToWrite(QWidget* parent, Shell& shell, const FileToWrite& ask) {
  QFileDialog dialog(parent, ask.title);
  dialog.setObjectName(ask.objectName);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);  // asked below, after the refusal
  dialog.setOption(QFileDialog::DontUseNativeDialog, !ask.nativeDialog);
  dialog.setNameFilter(ask.nameFilter);
  dialog.setDefaultSuffix(ask.suffix);
  dialog.setDirectory(ask.folder);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const std::string path = QFile::encodeName(dialog.selectedFiles().front()).toStdString();
  const std::string title = ask.title.toStdString();
  if (const std::string refusal = ask.refusal(path); !refusal.empty()) {
    shell.MsgBox(refusal, MsgBoxStyle::Exclamation, title, BoxKind::Message(ask.refusalBox));
    return {};
  }
  std::error_code error;
  if (!ask.writtenUnasked(path) &&
      std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found &&
      shell.MsgBox(path + " already exists.  Do you want to replace it?", MsgBoxStyle::YesNoExclamation, title,
                   BoxKind::Question(ask.replaceBox)) != MsgBoxResult::Yes)
    return {};
  return path;
}

}  // namespace vantorix
