#pragma once

#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>

namespace vantorix::test {

// Drivers for real windows. WhenModalShown acts on the next modal window once it is
// shown: the way a test drives a real dialog.
// The action runs from the event loop the modal window itself spins and should end the
// dialog; record what it sees and compare afterwards. Whatever modal window is still
// open five seconds later is closed, so that a failing test cannot hang.
template <class Dialog>
void WhenModalShown(std::function<void(Dialog&)> action) {
  auto* timer = new QTimer(QCoreApplication::instance());  // owned, so none outlives the program
  timer->setObjectName(QStringLiteral("WhenModalShown"));
  auto ticks = std::make_shared<int>(0);
  auto acted = std::make_shared<bool>(false);
  QObject::connect(timer, &QTimer::timeout, [timer, action, ticks, acted] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<Dialog*>(modal); dialog != nullptr && !*acted) {
      *acted = true;
      action(*dialog);
    } else if (++*ticks > 500 || *acted) {
      if (modal == nullptr) timer->stop(), timer->deleteLater();
      if (modal != nullptr && *ticks > 500) modal->close();
    }
  });
  timer->start(10);
}

// Drops the actions still waiting for a modal window, so that none acts in a later test.
inline void ForgetUnshownModals() {
  qDeleteAll(QCoreApplication::instance()->findChildren<QTimer*>(QStringLiteral("WhenModalShown")));
}

// Answers the next real message boxes in turn, each with a mouse click on its button; a box
// beyond them is closed, so that the test fails instead of waiting for it.
inline void ClickInTurn(QList<QMessageBox::StandardButton> buttons) {
  WhenModalShown<QMessageBox>([buttons](QMessageBox& box) {
    if (buttons.isEmpty()) return void(box.close());
    QTest::mouseClick(box.button(buttons.first()), Qt::LeftButton);
    ClickInTurn(buttons.mid(1));
  });
}

// Clicks the close button in the title bar of an MDI child, where its style draws it.
inline void ClickCloseButton(QMdiSubWindow& frame) {
  QStyleOptionTitleBar bar;
  bar.initFrom(&frame);
  bar.titleBarFlags = frame.windowFlags();
  bar.rect.setHeight(frame.style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &frame));
  const QPoint close =
      frame.style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarCloseButton, &frame).center();
  QTest::mouseMove(&frame, {});  // the frame learns which button is under the pointer as it moves
  QTest::mouseMove(&frame, close);
  QTest::mouseClick(&frame, Qt::LeftButton, {}, close);
}

// Drags a file over the widget and drops it there if the widget takes it: whether it took the drop.
inline bool DropFile(QWidget& target, const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
  QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&target, &enter);
  return enter.isAccepted() && QApplication::sendEvent(&target, &drop) && drop.isAccepted();
}

}  // namespace vantorix::test
