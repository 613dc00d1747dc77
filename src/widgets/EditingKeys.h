#pragma once

#include <QString>
#include <functional>

class QAbstractItemView;
class QAction;

namespace vantorix {

// Gives Ctrl+A (select all) and Ctrl+C (copy) back to a list or table while it has the
// focus, although the menus bind both keys to commands: the view claims the two keys
// through Qt's shortcut override, so the menu shortcuts still work everywhere else and
// the menus still show them. copiedText is what Ctrl+C puts on the clipboard. Returns the
// view's "Copy" command (mnuCopy), which copies the same, for a context menu.
QAction* KeepSelectAllAndCopy(QAbstractItemView& view, std::function<QString()> copiedText);

}  // namespace vantorix
