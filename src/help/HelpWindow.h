#pragma once

#include <QString>
#include <string>

class QHBoxLayout;
class QWidget;

namespace vantorix::help {

// Texts keep their CR LF line ends; a label shows them with plain line feeds.
QString Displayed(const std::string& text);

// A separate window on top of its owner that is destroyed when closed and does not keep
// the program running once the main window has gone.
void MakeHelpWindow(QWidget& window, const char* name, const QString& caption);

// The row with the window's "OK" button (cmdOK) at the right; OK closes the window.
QHBoxLayout* OkButtonRow(QWidget& window);

}  // namespace vantorix::help
