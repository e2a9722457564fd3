#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>

namespace oru {

// Starts other programs for the main window, without waiting for them: the
// program started reports its own problems (a missing file, for instance).
// False when no program could be started at all.
class Launcher {
 public:
  virtual ~Launcher() = default;
  // "Check": shows the output track file in a text viewer.
  virtual bool ShowTextFile(const QString& path) = 0;
  // Help > Index: shows the help document.
  virtual bool ShowHelp(const QString& path) = 0;
};

// Windows: "Notepad.exe" and, when the start directory holds the compiled
// help, the help viewer "hh.exe"; elsewhere the desktop's default programs.
class DesktopLauncher final : public Launcher {
 public:
  bool ShowTextFile(const QString& path) override;
  bool ShowHelp(const QString& path) override;
};

// Where the help document is looked for, in this order: the start directory,
// the program's own directory, then the data directory of an installation
// (relative to the program first, so that a moved installation still finds
// it, then the directory the build was configured to install into).
QStringList HelpDirectories(const QString& start_directory);

// The help document in the first of `directories` that holds it. When none
// does, the one in the first directory: the viewer then tells the user that
// it is missing.
QString FindHelpFile(const QStringList& directories);

// A file name from a dialog as the processing run takes it.
std::filesystem::path ToPath(const QString& name);

// The message when no program could be started to open `path`.
QString NoProgramMessage(const QString& path);

// Removes the plot hand-off files from `directory`; a missing file is fine.
void DeleteHandOffFiles(const QString& directory);

}  // namespace oru
