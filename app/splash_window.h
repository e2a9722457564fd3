#pragma once

#include <QWidget>

class QTimer;

namespace oru {

// The splash window shown while the program starts: black, borderless, above
// the program's other windows, closing and freeing itself after a second.
class TAboutBox final : public QWidget {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

 public slots:
  void Timer1Timer();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QTimer* Timer1;
};

}  // namespace oru
