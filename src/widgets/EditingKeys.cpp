#include "widgets/EditingKeys.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

namespace vantorix {

namespace {

class EditingKeys final : public QObject {
 public:
  EditingKeys(QAbstractItemView& view, std::function<QString()> copiedText)
      : QObject(&view), copiedText_(std::move(copiedText)) {
    view.installEventFilter(this);
  }

  void Copy() {
    // With nothing selected, what the user copied before stays on the clipboard.
    if (const QString text = copiedText_(); !text.isEmpty()) QGuiApplication::clipboard()->setText(text);
  }

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool copy = key->matches(QKeySequence::Copy);
    if (!copy && !key->matches(QKeySequence::SelectAll)) return false;
    if (event->type() == QEvent::ShortcutOverride) {
      event->accept();  // the key comes to the view as a key press instead of triggering a menu
      return true;
    }
    if (!copy) return false;  // the view selects all by itself
    Copy();
    return true;
  }

 private:
  std::function<QString()> copiedText_;
};

}  // namespace

QAction* KeepSelectAllAndCopy(QAbstractItemView& view, std::function<QString()> copiedText) {
  view.setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* keys = new EditingKeys(view, std::move(copiedText));  // owned by the view
  auto* copy = new QAction(QStringLiteral("Copy"), &view);
  copy->setObjectName(QStringLiteral("mnuCopy"));
  QObject::connect(copy, &QAction::triggered, keys, &EditingKeys::Copy);
  return copy;
}

}  // namespace vantorix
