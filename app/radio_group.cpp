#include "app/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace oru {

RadioGroup::RadioGroup(const QString& name, const QString& caption, const QStringList& items,
                       int item_index, QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)) {
  setObjectName(name);
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(2);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    button->setObjectName(name + QStringLiteral("Item") + QString::number(i));
    buttons_->addButton(button, i);
    layout->addWidget(button);
  }
  layout->addStretch();
  SetItemIndex(item_index);
  // Only a change of choice counts; clicking the chosen item again does not.
  connect(buttons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) emit ItemChosen(id);
  });
}

int RadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void RadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < Count()) {
    buttons_->button(index)->setChecked(true);
    return;
  }
  // An exclusive group keeps one button checked; lift that for a moment.
  if (QAbstractButton* checked = buttons_->checkedButton()) {
    buttons_->setExclusive(false);
    checked->setChecked(false);
    buttons_->setExclusive(true);
  }
}

int RadioGroup::Count() const { return static_cast<int>(buttons_->buttons().size()); }

QRadioButton* RadioGroup::Item(int index) const {
  return qobject_cast<QRadioButton*>(buttons_->button(index));
}

}  // namespace oru
