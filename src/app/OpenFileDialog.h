#pragma once

#include <QString>

#include "foundation/Shell.h"

class QFileDialog;

namespace vantorix {

// Asks for one existing file with the dialog. filter lists "display text|pattern" pairs
// separated by "|". Writes the chosen filter's number (from 1) to filterIndex and returns
// the chosen path without surrounding blanks, or empty text when the user cancels.
// Failures are reported as a "File Error" of basFileFunctions.
QString OpenFileDialog(Shell& shell, QFileDialog& dialog, const QString& initialFolder, const QString& filter,
                       const QString& title, int& filterIndex);

}  // namespace vantorix
