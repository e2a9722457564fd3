#pragma once

#include <QString>
#include <optional>

class QPrinter;
class QWidget;

namespace oru {

// The modal questions and messages of the windows. The windows only talk to
// the user through this, so that tests can answer the dialogs and read the
// messages without a person at the screen.
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // The full path of the chosen file, or nothing when the user cancelled.
  virtual std::optional<QString> AskOpenFile(QWidget* parent) = 0;
  virtual std::optional<QString> AskSaveFile(QWidget* parent) = 0;
  // A message box with an OK button; returns when the user closed it.
  virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
  // Lets the user choose and set up `printer`; false when cancelled.
  virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer) = 0;
};

// The dialogs of the Qt toolkit.
class QtUserDialogs final : public UserDialogs {
 public:
  std::optional<QString> AskOpenFile(QWidget* parent) override;
  std::optional<QString> AskSaveFile(QWidget* parent) override;
  void ShowMessage(QWidget* parent, const QString& text) override;
  bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;
};

}  // namespace oru
