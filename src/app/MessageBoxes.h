#pragma once

#include <QString>

#include "foundation/Shell.h"

class QWidget;

namespace vantorix {

// Shows modal message boxes. The windows ask through this so that tests can answer.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MsgBoxResult Show(QWidget* parent, const QString& text, MsgBoxStyle style, const QString& title) = 0;
};

// Real Qt message boxes: the icon and buttons that each style stands for.
class QtMessageBoxes final : public MessageBoxes {
 public:
  MsgBoxResult Show(QWidget* parent, const QString& text, MsgBoxStyle style, const QString& title) override;
};

}  // namespace vantorix
