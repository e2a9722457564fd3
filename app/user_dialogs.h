#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QPrinter;
class QWidget;

namespace oru {

// What a file dialog offers: its type filters ("Name (*.a *.b)", the first
// chosen at start; none: every file shown), and whether a name typed
// without an extension gets the first one of the chosen filter (for files
// whose extension names their format).
struct FileTypes {
  QStringList filters;
  bool extension_from_filter = false;
};

// The modal questions and messages of the windows. The windows only talk to
// the user through this, so that tests can answer the dialogs and read the
// messages without a person at the screen.
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // The full path of the chosen file, or nothing when the user cancelled.
  virtual std::optional<QString> AskOpenFile(QWidget* parent, const FileTypes& types) = 0;
  virtual std::optional<QString> AskSaveFile(QWidget* parent, const FileTypes& types) = 0;
  std::optional<QString> AskOpenFile(QWidget* parent) { return AskOpenFile(parent, FileTypes{}); }
  std::optional<QString> AskSaveFile(QWidget* parent) { return AskSaveFile(parent, FileTypes{}); }
  // A message box with an OK button; returns when the user closed it.
  virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
  // Lets the user choose and set up `printer`; false when cancelled.
  virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer) = 0;
};

// The dialogs of the Qt toolkit. Each file dialog opens in the folder of the
// file chosen last in any of them (at first the working directory); a
// message box is wide enough for its title.
class QtUserDialogs final : public UserDialogs {
 public:
  using UserDialogs::AskOpenFile;
  using UserDialogs::AskSaveFile;
  std::optional<QString> AskOpenFile(QWidget* parent, const FileTypes& types) override;
  std::optional<QString> AskSaveFile(QWidget* parent, const FileTypes& types) override;
  void ShowMessage(QWidget* parent, const QString& text) override;
  bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;

 private:
  std::optional<QString> AskFile(QWidget* parent, const QString& title, const FileTypes& types,
                                 bool open);

  QString last_folder_;
};

}  // namespace oru
