#include "app/splash_window.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/artwork.h"
#include "app/product_texts.h"

namespace oru {
namespace {

QLabel* WhiteLabel(const QString& name, const QString& text, int point_size, bool bold,
                   QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  QFont font = label->font();
  font.setPointSize(point_size);
  font.setBold(bold);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(palette);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      Timer1(new QTimer(this)) {
  setObjectName(QStringLiteral("AboutBox"));
  // Closing frees the window: it is never needed again.
  setAttribute(Qt::WA_DeleteOnClose);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::black);
  setPalette(palette);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setMinimumSize(248, 241);
  auto* panel_layout = new QVBoxLayout(panel);
  panel_layout->setContentsMargins(2, 2, 2, 2);
  auto* picture = new PictureBox(panel);
  picture->setObjectName(QStringLiteral("Image1"));
  panel_layout->addWidget(picture);

  auto* texts = new QVBoxLayout;
  texts->addWidget(WhiteLabel(QStringLiteral("Label1"), QStringLiteral("oru"), 12, true, this));
  texts->addWidget(
      WhiteLabel(QStringLiteral("Label2"), QStringLiteral("version:  3.4.1"), 10, false, this));
  texts->addStretch();
  texts->addWidget(WhiteLabel(QStringLiteral("Label3"), QString::fromLatin1(texts::kPlaceName), 10,
                              false, this));
  texts->addWidget(WhiteLabel(QStringLiteral("Label4"), QString::fromLatin1(texts::kReleaseMonth),
                              10, false, this));

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(9, 8, 9, 8);
  layout->setSpacing(15);
  layout->addWidget(panel, 1);
  layout->addLayout(texts);
  setMinimumSize(362, 256);
  resize(minimumSizeHint().expandedTo(QSize(362, 256)));

  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setSingleShot(true);
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TAboutBox::Timer1Timer);
}

void TAboutBox::Timer1Timer() { close(); }

void TAboutBox::showEvent(QShowEvent* event) {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  // The second counts from when the window is seen, not from its creation.
  Timer1->start();
  QWidget::showEvent(event);
}

}  // namespace oru
