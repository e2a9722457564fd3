#include "app/row_grouping_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/user_dialogs.h"
#include "gis/row_times.h"

namespace oru {
namespace {

// A gap as the dialog shows it again: whole days, hours or minutes where it
// is one, else seconds.
QString GapText(std::int64_t ns) {
  constexpr std::int64_t kSecond = 1'000'000'000;
  for (const auto& [unit, length] : {std::pair{"d", 86400 * kSecond},
                                     std::pair{"h", 3600 * kSecond},
                                     std::pair{"min", 60 * kSecond}}) {
    if (ns % length == 0) return QString::number(ns / length) + QLatin1String(unit);
  }
  return QString::number(static_cast<double>(ns) / 1e9, 'g', 12) + QLatin1String("s");
}

QLineEdit* Field(const char* name, const QString& text, QWidget* parent) {
  auto* field = new QLineEdit(text, parent);
  field->setObjectName(QLatin1String(name));
  return field;
}

}  // namespace

RowGroupingDialog::RowGroupingDialog(const RowGrouping& rows, UserDialogs& dialogs,
                                     QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), rows_(rows) {
  setWindowTitle(QStringLiteral("CSV Rows as Tracks"));
  auto* about = new QLabel(
      QStringLiteral("CSV files of one fix a row (AIS archives): a track per vessel named in a "
                     "column, in the order of a column of times, split where a vessel's fixes "
                     "lie more than a gap apart. Rows without a position, vessel or time and "
                     "repeated fixes are left out. Leave the columns empty to take all rows as "
                     "one track."),
      this);
  about->setWordWrap(true);
  track_by_ = Field("TrackBy", QString::fromStdString(rows.track_by), this);
  track_by_->setPlaceholderText(QStringLiteral("mmsi"));
  order_by_ = Field("OrderBy", QString::fromStdString(rows.order_by), this);
  order_by_->setPlaceholderText(QStringLiteral("timestamp"));
  gap_ = Field("Gap", rows.gap ? GapText(*rows.gap) : QString(), this);
  gap_->setPlaceholderText(QStringLiteral("30min, 2h (none: no split)"));
  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Track by column:"), track_by_);
  fields->addRow(QStringLiteral("Order by column of times:"), order_by_);
  fields->addRow(QStringLiteral("Split at gaps of:"), gap_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("Buttons"));
  connect(buttons, &QDialogButtonBox::accepted, this, &RowGroupingDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(about);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  resize(460, sizeHint().height());
}

void RowGroupingDialog::accept() {
  RowGrouping rows;
  rows.track_by = track_by_->text().trimmed().toStdString();
  rows.order_by = order_by_->text().trimmed().toStdString();
  const QString gap = gap_->text().trimmed();
  if (!gap.isEmpty()) {
    rows.gap = ParseDuration(gap.toStdString());
    if (!rows.gap) {
      dialogs_.ShowMessage(this, QStringLiteral("'%1' is no gap in time: give a duration above "
                                                "zero, such as 90s, 30min, 1.5h or 2d.")
                                     .arg(gap));
      return;
    }
    if (rows.order_by.empty()) {
      dialogs_.ShowMessage(this, QStringLiteral("A gap in time needs the column of times to "
                                                "order the rows by."));
      return;
    }
  }
  rows_ = rows;
  QDialog::accept();
}

}  // namespace oru
