#include "app/user_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSpacerItem>

#include "app/product_texts.h"

namespace oru {
namespace {

// The first extension of a filter ("gpx" of "GPX 1.0/1.1 (*.gpx)"), none for
// "All files (*)".
QString FirstExtension(const QString& filter) {
  static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^ )]+)"));
  return pattern.match(filter).captured(1);
}

}  // namespace

std::optional<QString> QtUserDialogs::AskFile(QWidget* parent, const QString& title,
                                              const FileTypes& types, bool open) {
  QFileDialog dialog(parent, title, last_folder_);
  dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (!types.filters.isEmpty()) dialog.setNameFilters(types.filters);
  if (types.extension_from_filter) {
    dialog.setDefaultSuffix(FirstExtension(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) {
                       dialog.setDefaultSuffix(FirstExtension(filter));
                     });
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QFileInfo chosen(dialog.selectedFiles().front());
  last_folder_ = chosen.absolutePath();
  return chosen.absoluteFilePath();
}

std::optional<QString> QtUserDialogs::AskOpenFile(QWidget* parent, const FileTypes& types) {
  return AskFile(parent, QStringLiteral("Open"), types, true);
}

std::optional<QString> QtUserDialogs::AskSaveFile(QWidget* parent, const FileTypes& types) {
  return AskFile(parent, QStringLiteral("Save As"), types, false);
}

void QtUserDialogs::ShowMessage(QWidget* parent, const QString& text) {
  const QString title = QString::fromLatin1(texts::kApplicationTitle);
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  // A short message ("No run to plot yet.") made a box too narrow for its
  // title: the title's width, and room for the title bar's buttons.
  const int title_width = box.fontMetrics().horizontalAdvance(title) + 160;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(title_width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  box.exec();
}

bool QtUserDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace oru
