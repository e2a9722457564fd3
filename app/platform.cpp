#include "app/platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "app/product_texts.h"

namespace oru {

bool DesktopLauncher::ShowTextFile(const QString& path) {
#ifdef Q_OS_WIN
  // The editor receives the name as typed, unquoted, as it always did.
  QProcess editor;
  editor.setProgram(QStringLiteral("Notepad.exe"));
  editor.setNativeArguments(QDir::toNativeSeparators(path));
  return editor.startDetached();
#else
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}

bool DesktopLauncher::ShowHelp(const QString& path) {
#ifdef Q_OS_WIN
  // The working directory is always the start directory.
  if (QFileInfo::exists(QStringLiteral("ORU_help.chm"))) {
    QProcess viewer;
    viewer.setProgram(QStringLiteral("hh.exe"));
    viewer.setNativeArguments(QStringLiteral("ORU_help.chm"));
    return viewer.startDetached();
  }
#endif
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString NoProgramMessage(const QString& path) {
  return QStringLiteral("No program was found to open %1.").arg(QDir::toNativeSeparators(path));
}

QStringList HelpDirectories(const QString& start_directory) {
  const QString program_directory = QCoreApplication::applicationDirPath();
  QStringList directories = {start_directory, program_directory};
#ifdef ORU_DATA_DIR_FROM_BIN
  directories << QDir::cleanPath(program_directory + QLatin1Char('/') +
                                 QStringLiteral(ORU_DATA_DIR_FROM_BIN));
#endif
#ifdef ORU_DATA_DIR
  directories << QStringLiteral(ORU_DATA_DIR);
#endif
  directories.removeDuplicates();
  return directories;
}

QString FindHelpFile(const QStringList& directories) {
  const QString name = QString::fromLatin1(texts::kHelpFile);
  for (const QString& directory : directories) {
    const QString candidate = QDir(directory).filePath(name);
    if (QFileInfo(candidate).isFile()) return candidate;
  }
  return directories.isEmpty() ? name : QDir(directories.front()).filePath(name);
}

std::filesystem::path ToPath(const QString& name) {
#ifdef Q_OS_WIN
  return std::filesystem::path(name.toStdWString());
#else
  // The file system's own encoding of names, which QFile also uses.
  return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

void DeleteHandOffFiles(const QString& directory) {
  for (const char* name : texts::kHandOffFiles) {
    QFile::remove(QDir(directory).filePath(QString::fromLatin1(name)));
  }
}

}  // namespace oru
