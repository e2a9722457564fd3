#include "app/user_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include "app/product_texts.h"

namespace oru {
namespace {

std::optional<QString> Chosen(const QString& name) {
  if (name.isEmpty()) return std::nullopt;
  return QFileInfo(name).absoluteFilePath();
}

}  // namespace

// Neither dialog has a filter or a default name: track files carry no fixed
// extension.
std::optional<QString> QtUserDialogs::AskOpenFile(QWidget* parent) {
  return Chosen(QFileDialog::getOpenFileName(parent, QStringLiteral("Open")));
}

std::optional<QString> QtUserDialogs::AskSaveFile(QWidget* parent) {
  return Chosen(QFileDialog::getSaveFileName(parent, QStringLiteral("Save As")));
}

void QtUserDialogs::ShowMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(texts::kApplicationTitle), text,
                  QMessageBox::Ok, parent);
  box.exec();
}

bool QtUserDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace oru
