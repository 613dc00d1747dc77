#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "app/MainWindowLayout.h"

class QLabel;

namespace vantorix {

// A status bar of fixed panels laid out left to right, each as wide as the larger of its
// width and minimum width (in twips), clipped at the right edge. Unlike a layout, it
// never makes the window wider: a panel's minimum width may follow the window's width.
class StatusPanelBar final : public QWidget {
  Q_OBJECT

 public:
  StatusPanelBar(const QString& name, const std::vector<main_layout::Panel>& panels, double dotsPerInch,
                 QWidget* parent = nullptr);

  int PanelCount() const { return static_cast<int>(labels_.size()); }
  // Panels are numbered from 1.
  QLabel& Panel(int number);
  QString PanelText(int number) const;
  void SetPanelText(int number, const QString& text);
  int PanelMinWidthTwips(int number) const;
  void SetPanelMinWidthTwips(int number, int twips);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void LayOut();
  // The width of a panel's text in the label's font.
  int TextWidth(std::size_t panel);

  std::vector<main_layout::Panel> panels_;
  std::vector<QLabel*> labels_;
  struct Measured {
    QString text;
    std::optional<int> width;
  };
  std::vector<Measured> measured_;  // the width of the text each panel showed when it was last measured
  double dpi_;
};

}  // namespace vantorix
