#include "dataset/qt/dataset_navigator.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <exception>

#include "platform/user_dialogs.h"

namespace dataset::qt {

namespace {

struct ButtonFace {
  const char* name;
  const char* text;
  const char* hint;
};

constexpr ButtonFace kFaces[DatasetNavigator::kButtonCount] = {
    {"First", "|◀", "First record"},  {"Prior", "◀", "Prior record"},
    {"Next", "▶", "Next record"},     {"Last", "▶|", "Last record"},
    {"Insert", "+", "Insert record"}, {"Delete", "−", "Delete record"},
    {"Edit", "✎", "Edit record"},     {"Post", "✔", "Post edit"},
    {"Cancel", "✖", "Cancel edit"},   {"Refresh", "⟳", "Refresh data"},
};

}  // namespace

class DatasetNavigator::Link : public TDataLink {
 public:
  explicit Link(DatasetNavigator& navigator) : navigator_(navigator) {}

 protected:
  void ActiveChanged() override { navigator_.UpdateButtons(); }
  void EditingChanged() override { navigator_.UpdateButtons(); }
  void DataSetChanged() override { navigator_.UpdateButtons(); }
  void DataSetScrolled(int) override { navigator_.UpdateButtons(); }

 private:
  DatasetNavigator& navigator_;
};

DatasetNavigator::DatasetNavigator(QWidget* parent)
    : QWidget(parent), link_(std::make_unique<Link>(*this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  for (int i = 0; i < kButtonCount; ++i) {
    auto* button = new QToolButton(this);
    button->setObjectName(kFaces[i].name);
    button->setText(QString::fromUtf8(kFaces[i].text));
    button->setToolTip(QString::fromUtf8(kFaces[i].hint));
    button->setAutoRaise(true);
    const auto which = static_cast<Button>(i);
    connect(button, &QToolButton::clicked, this, [this, which] { Click(which); });
    layout->addWidget(button);
    buttons_[static_cast<size_t>(i)] = button;
  }
  layout->addStretch();
  UpdateButtons();
}

DatasetNavigator::~DatasetNavigator() = default;

void DatasetNavigator::SetDataSource(TDataSource* source) {
  link_->SetDataSource(source);
  UpdateButtons();
}

TDataSource* DatasetNavigator::DataSource() const {
  return link_->DataSource();
}

void DatasetNavigator::UpdateButtons() {
  TDataSet* dataSet = link_->Active() ? link_->DataSet() : nullptr;
  const bool active = dataSet != nullptr && isEnabled();
  const bool editing = active && link_->Editing();
  const bool canModify = active && dataSet->CanModify() && !link_->ReadOnly();
  const bool up = active && !dataSet->Bof();
  const bool down = active && !dataSet->Eof();
  const bool empty = active && dataSet->IsEmpty();
  const std::array<bool, kButtonCount> enabled = {up,
                                                  up,
                                                  down,
                                                  down,
                                                  canModify,
                                                  canModify && !empty,
                                                  canModify && !editing,
                                                  canModify && editing,
                                                  canModify && editing,
                                                  active && !editing};
  for (size_t i = 0; i < buttons_.size(); ++i)
    buttons_[i]->setEnabled(enabled[i]);
}

void DatasetNavigator::Click(Button button) {
  TDataSet* dataSet = link_->Active() ? link_->DataSet() : nullptr;
  if (dataSet == nullptr)
    return;
  try {
    switch (button) {
      case nbFirst:
        dataSet->First();
        break;
      case nbPrior:
        dataSet->Prior();
        break;
      case nbNext:
        dataSet->Next();
        break;
      case nbLast:
        dataSet->Last();
        break;
      case nbInsert:
        dataSet->Insert();
        break;
      case nbDelete:
        if (!confirmDelete_ || platform::Dialogs().Confirm("Delete record?", "Confirm")) {
          dataSet->Delete();
        }
        break;
      case nbEdit:
        dataSet->Edit();
        break;
      case nbPost:
        dataSet->Post();
        break;
      case nbCancel:
        dataSet->Cancel();
        break;
      case nbRefresh:
        dataSet->Refresh();
        break;
      case kButtonCount:
        break;
    }
  } catch (const std::exception& error) {
    platform::Dialogs().ShowError(error.what());
  }
  UpdateButtons();
}

}  // namespace dataset::qt
