#include "app/about_box.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/artwork.h"
#include "app/product_texts.h"

namespace oru {

QString BuildLine() {
  return QStringLiteral("build: ") + QLatin1String(__DATE__) + QLatin1Char(' ') +
         QLatin1String(__TIME__);
}

TAboutBox1::TAboutBox1(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("AboutBox1"));
  setWindowTitle(QStringLiteral("About"));

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* picture = new PictureBox(panel);
  picture->setObjectName(QStringLiteral("ProgramIcon"));
  picture->setFixedSize(83, 80);

  auto label = [panel](const char* name) {
    auto* created = new QLabel(panel);
    created->setObjectName(QLatin1String(name));
    created->setTextFormat(Qt::PlainText);
    return created;
  };
  Label1 = label("Label1");
  Label2 = label("Label2");
  Label3 = label("Label3");
  Label4 = label("Label4");

  auto* panel_layout = new QGridLayout(panel);
  panel_layout->setContentsMargins(8, 8, 8, 8);
  panel_layout->setHorizontalSpacing(8);
  panel_layout->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
  // The labels stand under the picture's top, one under the other.
  auto* labels = new QVBoxLayout;
  labels->addSpacing(62);
  for (QLabel* each : {Label1, Label2, Label3, Label4}) labels->addWidget(each);
  labels->addStretch();
  panel_layout->addLayout(labels, 0, 1, 2, 1);
  panel_layout->setColumnStretch(1, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(panel, 1);
  layout->addWidget(buttons, 0, Qt::AlignHCenter);
  FormShow();
  resize(sizeHint().expandedTo(QSize(298, 213)));
}

void TAboutBox1::FormShow() {
  Label1->setText(QStringLiteral("Version: 3.4.1"));
  Label2->setText(QString::fromLatin1(texts::kPlaceName));
  Label3->setText(QString::fromLatin1(texts::kReleaseMonth));
  Label4->setText(BuildLine());
}

void TAboutBox1::showEvent(QShowEvent* event) {
  FormShow();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  QDialog::showEvent(event);
}

}  // namespace oru
