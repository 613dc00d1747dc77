#pragma once

#include <QString>
#include <functional>
#include <string>

#include "foundation/Shell.h"

class QWidget;

namespace vantorix {

// What a dialog that asks for a file to write needs to know.
struct FileToWrite {
  QString title;  // of the dialog and of the boxes that follow it
  QString objectName;
  QString nameFilter;
  QString suffix;  // added to a name typed without one
  QString folder;  // shown first
  bool nativeDialog = false;
  // The text of the box that refuses a chosen path, or empty text when it may be written.
  std::function<std::string(const std::string&)> refusal;
  std::string refusalBox;  // the names of the boxes
  std::string replaceBox;
  // A chosen path that is written without the question whether to replace it.
  std::function<bool(const std::string&)> writtenUnasked = [](const std::string&) { return false; };
};

// Asks for a file to write with a save dialog; a refused path gets its box, an existing
// file the question whether to replace it (asked here, after the refusal, and not by the
// dialog). Returns the path in the file system's encoding, or empty text when nothing is
// to be written.
std::string AskForFileToWrite(QWidget* parent, Shell& shell, const FileToWrite& ask);

}  // namespace vantorix
