#pragma once

#include <QWidget>

namespace vantorix {

// Instructions: one long text of usage notes and an OK button.
class frmInstructions final : public QWidget {
  Q_OBJECT

 public:
  explicit frmInstructions(QWidget* owner);
};

}  // namespace vantorix
