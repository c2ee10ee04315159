#pragma once
// TFormdataEditor: a modal window to browse and change the rows of one
// table. The grid and the navigator work on Table1, whose edits become SQL
// statements; a click on a column title re-reads the table ordered by it.

#include <QDialog>

#include "dataset/data_source.h"
#include "uniaccess/unisql_table.h"

class QTableView;

namespace dataset::qt {
class DatasetNavigator;
class DatasetTableModel;
}  // namespace dataset::qt

namespace app {

class TFormdataEditor : public QDialog {
 public:
  explicit TFormdataEditor(QWidget* parent = nullptr);
  ~TFormdataEditor() override;

  // Orders the table by the column (0-based) and marks its title red;
  // nothing while the table is closed.
  void OrderBy(int column);

  uniaccess::TUniSQLTable Table1;
  dataset::TDataSource DataSource1;
  QTableView* DBGrid1 = nullptr;
  dataset::qt::DatasetNavigator* DBNavigator1 = nullptr;

 private:
  dataset::qt::DatasetTableModel* model_ = nullptr;
};

}  // namespace app
