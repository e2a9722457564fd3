#pragma once

#include <QDialog>

class QLabel;

namespace oru {

// "build: " with the compiler's date and time of this build, such as
// "build: Feb  2 2010 10:43:15".
QString BuildLine();

// Help > About: version, place, release month and build, with an OK button.
class TAboutBox1 final : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox1(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Sets the four labels; they are set anew every time the dialog is shown.
  void FormShow();

  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
};

}  // namespace oru
