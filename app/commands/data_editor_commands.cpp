#include "app/commands/data_editor_commands.h"

#include <algorithm>

#include "app/commands/command_scope.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"

namespace app {
namespace {

constexpr const char* kSqlErrorLine = "SQL Error";

}  // namespace

std::string EditedTableName(std::string_view nodeText) {
  std::string table(platform::TrimLeft(nodeText));
  const auto end = std::find_if(table.begin(), table.end(),
                                [](char c) { return static_cast<unsigned char>(c) <= 32; });
  table.erase(end, table.end());
  return table;
}

void DataEditorCommands::EditTable() {
  const std::optional<TreeNode> node = host_.RememberedNode();
  if (!node || node->level != TreeLevel::kTable || host_.CurrentDatabase().empty()) {
    return;
  }
  ClientComponents& components = host_.Components();
  if (!UseSelectedDatabase(host_, components.DB1)) {
    host_.AddLogLine(kSqlErrorLine);
    return;
  }
  const std::string table = EditedTableName(node->text);
  uniaccess::TUniSQLTable& edited = host_.DataEditorTable();
  edited.Close();
  edited.SetIndexFields("");
  edited.SetTablename(table);
  edited.SetDatabase(&components.DB1);
  // However the editor ends, its table is closed after it.
  const ClosedAtEnd closed(edited);
  edited.Open();
  if (edited.LastRunFailed()) {
    host_.AddLogLine(kSqlErrorLine);
    return;
  }
  host_.ShowDataEditor(host_.EditTableCaption() + " " + host_.CurrentDatabase() + "." + table);
  edited.Close();
  host_.AddLogLine(translation::TranslateText("Edit table ") + table);
}

bool OrderTableBy(uniaccess::TUniSQLTable& table, int column) {
  if (!table.Active()) {
    return false;
  }
  const platform::BusyCursor busy;
  table.Close();
  table.SetIndexFields(std::to_string(column + 1));
  table.Open();
  return !table.LastRunFailed();
}

}  // namespace app
