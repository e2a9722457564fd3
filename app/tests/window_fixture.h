#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/platform.h"
#include "app/radio_group.h"
#include "run/tests/run_fixture.h"
#include "app/user_dialogs.h"

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace oru::testing {

// Case tables print by name.
template <typename Case>
requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

// Answers the dialogs from queues (an empty queue cancels) and keeps the
// messages. Like the system dialogs of some platforms, it may leave the
// working directory where the "user" browsed to.
class ScriptedDialogs final : public UserDialogs {
 public:
  std::optional<QString> AskOpenFile(QWidget*, const FileTypes& types) override {
    open_types.push_back(types);
    return Answer(open_answers);
  }
  std::optional<QString> AskSaveFile(QWidget*, const FileTypes& types) override {
    save_types.push_back(types);
    return Answer(save_answers);
  }
  void ShowMessage(QWidget*, const QString& text) override {
    if (before_message) before_message(text);
    messages << text;
  }
  bool ChoosePrinter(QWidget*, QPrinter& printer) override {
    return choose_printer ? choose_printer(printer) : false;
  }

  std::deque<std::optional<QString>> open_answers;
  std::deque<std::optional<QString>> save_answers;
  std::vector<FileTypes> open_types;  // what each dialog offered
  std::vector<FileTypes> save_types;
  QString browse_to;
  QStringList messages;
  std::function<bool(QPrinter&)> choose_printer;
  std::function<void(const QString&)> before_message;  // may throw, as a dialog can

 private:
  std::optional<QString> Answer(std::deque<std::optional<QString>>& answers) {
    if (!browse_to.isEmpty()) QDir::setCurrent(browse_to);
    if (answers.empty()) return std::nullopt;
    // Moved out as a QString: copying the optional makes GCC 12 warn wrongly
    // of an uninitialised value in some translation units.
    const bool cancelled = !answers.front().has_value();
    QString answer = cancelled ? QString() : std::move(*answers.front());
    answers.pop_front();
    if (cancelled) return std::nullopt;
    return answer;
  }
};

class RecordingLauncher final : public Launcher {
 public:
  bool ShowTextFile(const QString& path) override {
    text_files << path;
    return starts;
  }
  bool ShowHelp(const QString& path) override {
    help_files << path;
    return starts;
  }
  QStringList text_files;
  QStringList help_files;
  bool starts = true;  // false: as if no viewer or browser were installed
};

inline QString Q(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

// A main window started in a temporary start directory. Its helpers are
// public so that the case tables' actions can use them.
class WindowTest : public ::testing::Test {
 public:
  void SetUp() override {
    previous_directory_ = QDir::currentPath();
    QDir::setCurrent(Q(dir_.path()));
    window_ = std::make_unique<TForm1>(dialogs_, launcher_);
    window_->show();
  }
  void TearDown() override {
    window_.reset();
    QDir::setCurrent(previous_directory_);
  }

  template <typename T>
  T* Get(const char* name) const {
    T* found = window_->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QPushButton* Button(const char* name) const { return Get<QPushButton>(name); }
  QLineEdit* Edit(const char* name) const { return Get<QLineEdit>(name); }
  RadioGroup* Group(const char* name) const { return Get<RadioGroup>(name); }
  QAction* Action(const char* name) const { return Get<QAction>(name); }
  QString Text(const char* name) const { return Get<QLabel>(name)->text(); }

  // The user picks an item of a radio group.
  void Choose(const char* group, int item) const { Group(group)->Item(item)->click(); }

  // Chooses the files through the two buttons, then presses "Go!"; returns
  // when the run has ended.
  void RunWith(const std::filesystem::path& input, const std::filesystem::path& output) {
    StartRun(input, output);
    WaitForRunEnd();
  }
  void StartRun(const std::filesystem::path& input, const std::filesystem::path& output) {
    dialogs_.open_answers.push_back(Q(input));
    dialogs_.save_answers.push_back(Q(output));
    Button("BitBtn1")->click();
    Button("BitBtn2")->click();
    Button("BitBtn3")->click();
  }
  // Handles the window's events until the run on the worker has ended (a
  // minute at most, for slow sanitizer builds).
  void WaitForRunEnd() {
    ASSERT_TRUE(WaitUntil([&] { return !window_->RunUnderWay(); }))
        << "the run did not end within a minute";
  }
  // Handles the window's events until `done` holds, a minute at most;
  // whether it does.
  template <typename Done>
  static bool WaitUntil(Done done) {
    const QDeadlineTimer deadline(60000);
    while (!done() && !deadline.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return done();
  }

  // The enabled state of every control the enabling rules are about.
  std::map<std::string, bool> Enabled() const {
    std::map<std::string, bool> states;
    for (const char* name : {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtnPlot", "BitBtn5"}) {
      states[name] = Button(name)->isEnabled();
    }
    states["Edit1"] = Edit("Edit1")->isEnabled();
    for (const char* name :
         {"RadioGroup1", "RadioGroup2", "RadioGroup3", "RadioGroup4", "RadioGroup5"}) {
      states[name] = Group(name)->isEnabled();
    }
    for (const char* name : {"Open1", "Save1", "PrintScreen1", "Exit1", "Index1", "About1"}) {
      states[name] = Action(name)->isEnabled();
    }
    return states;
  }

  TempDir dir_;
  ScriptedDialogs dialogs_;
  RecordingLauncher launcher_;
  std::unique_ptr<TForm1> window_;

 private:
  QString previous_directory_;
};

// A five-point plane track whose thinning can be followed by hand: the
// baseline (0,0)-(200,0) leaves (150,-20) 20 m off, then (50,10) lies
// 16.52 m from (0,0)-(150,-20) and (100,0) 4.79 m from (50,10)-(150,-20).
inline constexpr char kSmallTrack[] =
    "0 0\n"
    "50 10\n"
    "100 0\n"
    "150 -20\n"
    "200 0\n";

}  // namespace oru::testing
