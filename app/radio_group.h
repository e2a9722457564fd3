#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace oru {

// A captioned frame of radio buttons with one chosen item, or none: the
// main window clears the datum choice for plane coordinates, which a plain
// exclusive button group cannot do.
class RadioGroup final : public QGroupBox {
  Q_OBJECT

 public:
  // The items are named `name` + "Item" + their index, for finding them.
  RadioGroup(const QString& name, const QString& caption, const QStringList& items, int item_index,
             QWidget* parent = nullptr);

  // The chosen item's index, -1 when none is chosen.
  int ItemIndex() const;
  // Chooses an item; -1 leaves none chosen.
  void SetItemIndex(int index);
  int Count() const;
  QRadioButton* Item(int index) const;

 signals:
  // An item became the chosen one, by the user or by SetItemIndex.
  void ItemChosen(int index);

 private:
  QButtonGroup* buttons_;
};

}  // namespace oru
