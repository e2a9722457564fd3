#pragma once

#include <QDialog>

#include "gis/point_row_tracks.h"

class QLineEdit;

namespace oru {

class UserDialogs;

// Options > CSV Rows as Tracks: how the GIS item takes the point rows of a
// CSV file (AIS fixes, say): a track per value of a column, each in the
// order of a column of times, split where a vessel's fixes lie more than a
// gap apart. Empty columns take all rows as one track, as before. A gap
// that does not read, or one without the column of times, is said in a
// message and the dialog stays open.
class RowGroupingDialog final : public QDialog {
  Q_OBJECT

 public:
  RowGroupingDialog(const RowGrouping& rows, UserDialogs& dialogs, QWidget* parent = nullptr);

  const RowGrouping& Rows() const { return rows_; }

 public slots:
  void accept() override;

 private:
  UserDialogs& dialogs_;
  RowGrouping rows_;
  QLineEdit* track_by_;
  QLineEdit* order_by_;
  QLineEdit* gap_;
};

}  // namespace oru
