#include "app/window/data_editor.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include "app/commands/command_guard.h"
#include "app/commands/data_editor_commands.h"
#include "dataset/qt/dataset_navigator.h"
#include "dataset/qt/dataset_table_model.h"

namespace app {

TFormdataEditor::TFormdataEditor(QWidget* parent) : QDialog(parent) {
  setObjectName("FormdataEditor");
  setWindowTitle("Data Editor");
  resize(544, 375);
  DataSource1.SetDataSet(&Table1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  DBGrid1 = new QTableView(this);
  DBGrid1->setObjectName("DBGrid1");
  model_ = new dataset::qt::DatasetTableModel(DBGrid1);
  model_->SetDataSource(&DataSource1);
  DBGrid1->setModel(model_);
  model_->OnCurrentRowChanged = [this](int row) {
    if (row >= 0)
      DBGrid1->selectRow(row);
  };
  connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { model_->SetCurrentRow(current.row()); });
  connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { OrderBy(column); });
  DBNavigator1 = new dataset::qt::DatasetNavigator(this);
  DBNavigator1->setObjectName("DBNavigator1");
  DBNavigator1->SetDataSource(&DataSource1);
  layout->addWidget(DBGrid1, 1);
  layout->addWidget(DBNavigator1);
}

TFormdataEditor::~TFormdataEditor() {
  model_->SetDataSource(nullptr);
  DBNavigator1->SetDataSource(nullptr);
}

void TFormdataEditor::OrderBy(int column) {
  RunGuarded(nullptr, [this, column] {
    model_->ClearTitleColors();
    if (OrderTableBy(Table1, column)) {
      model_->SetTitleColor(column, QColor(255, 0, 0));
    }
  });
}

}  // namespace app
