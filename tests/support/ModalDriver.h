#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace vantorix::test {

// Acts on the next modal window once it is shown: the way a test drives a real dialog.
// The action runs from the event loop the modal window itself spins and should end the
// dialog; record what it sees and compare afterwards. Whatever modal window is still
// open five seconds later is closed, so that a failing test cannot hang.
template <class Dialog>
void WhenModalShown(std::function<void(Dialog&)> action) {
  auto* timer = new QTimer(QCoreApplication::instance());  // owned, so none outlives the program
  timer->setInterval(10);
  auto ticks = std::make_shared<int>(0);
  auto acted = std::make_shared<bool>(false);
  QObject::connect(timer, &QTimer::timeout, [timer, action, ticks, acted] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!*acted) {
      if (auto* dialog = qobject_cast<Dialog*>(modal)) {
        *acted = true;
        action(*dialog);
        return;
      }
    } else if (modal == nullptr) {
      timer->stop();
      timer->deleteLater();
      return;
    }
    if (++*ticks > 500) {
      if (modal != nullptr) modal->close();
      else {
        timer->stop();
        timer->deleteLater();
      }
    }
  });
  timer->start();
}

// Answers the next real message boxes in turn, each with a mouse click on its button.
inline void ClickInTurn(QList<QMessageBox::StandardButton> buttons) {
  if (buttons.isEmpty()) return;
  WhenModalShown<QMessageBox>([buttons](QMessageBox& box) {
    QTest::mouseClick(box.button(buttons.first()), Qt::LeftButton);
    ClickInTurn(buttons.mid(1));
  });
}

}  // namespace vantorix::test
