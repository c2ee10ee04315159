#pragma once
// A row of buttons that move through and edit the dataset of a data source:
// first, prior, next, last, insert, delete, edit, post, cancel and refresh,
// each enabled only when it can do something.

#include <QWidget>
#include <array>
#include <memory>

#include "dataset/data_source.h"

class QToolButton;

namespace dataset::qt {

class DatasetNavigator : public QWidget {
 public:
  enum Button {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh,
    kButtonCount
  };

  explicit DatasetNavigator(QWidget* parent = nullptr);
  ~DatasetNavigator() override;

  void SetDataSource(TDataSource* source);
  TDataSource* DataSource() const;
  // Whether Delete asks "Delete record?" first (on by default).
  void SetConfirmDelete(bool value) { confirmDelete_ = value; }
  QToolButton* ButtonAt(Button button) const { return buttons_[button]; }
  // Does what the button does; errors are shown, never thrown.
  void Click(Button button);

 private:
  class Link;
  void UpdateButtons();

  std::unique_ptr<Link> link_;
  std::array<QToolButton*, kButtonCount> buttons_{};
  bool confirmDelete_ = true;
};

}  // namespace dataset::qt
