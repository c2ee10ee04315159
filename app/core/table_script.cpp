#include "app/core/table_script.h"

#include "dataset/field.h"

namespace app {

using dataset::TFieldType;

std::string ListingTypeOf(const dataset::TField& field) {
  switch (field.DataType()) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
      return "CHAR(" + std::to_string(field.Size()) + ")";
    case TFieldType::ftBoolean:
      return "BOOLEAN";
    case TFieldType::ftDate:
      return "DATE";
    case TFieldType::ftDateTime:
      return "DATETIME";
    case TFieldType::ftTime:
      return "TIME";
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
      return "SMALLINT";
    case TFieldType::ftFloat:
    case TFieldType::ftBCD:
      return "NUMERIC(14,2)";
    case TFieldType::ftCurrency:
      return "MONEY";
    case TFieldType::ftBytes:
      return "BYTES";
    default:
      return "?";
  }
}

namespace {

std::string Padded(const std::string& name) {
  std::string text = name.substr(0, 32);
  text.resize(32, ' ');
  return text;
}

// The entry's name part (before the "(") and column part (from it on).
bool SplitEntry(const std::string& entry, std::string& name, std::string& columns) {
  const size_t open = entry.find('(');
  if (open == std::string::npos)
    return false;
  name = entry.substr(0, open);
  columns = entry.substr(open);
  return true;
}

}  // namespace

std::vector<std::string> TableScript(ScriptPart part, const std::string& table,
                                     const dataset::TDataSet& fields,
                                     const platform::StringList& indexEntries,
                                     const std::vector<std::string>* columnTypes) {
  std::vector<std::string> lines;
  if (part != ScriptPart::kIndexes) {
    lines.push_back("CREATE TABLE " + table + " (");
    for (int i = 0; i < fields.FieldCount(); ++i) {
      const dataset::TField& field = fields.Fields(i);
      const std::string type =
          columnTypes != nullptr && static_cast<size_t>(i) < columnTypes->size()
              ? (*columnTypes)[static_cast<size_t>(i)]
              : ListingTypeOf(field);
      lines.push_back(Padded(field.FieldName()) + " " + type +
                      (i + 1 < fields.FieldCount() ? "," : ""));
    }
    lines.push_back(");");
  }
  if (part != ScriptPart::kTable) {
    for (const std::string& entry : indexEntries) {
      std::string name, columns;
      if (SplitEntry(entry, name, columns)) {
        lines.push_back("CREATE INDEX " + name + " ON " + table + " " + columns + ";");
      }
    }
  }
  return lines;
}

std::vector<std::string> DumpIndexScript(const std::string& table,
                                         const platform::StringList& indexEntries) {
  std::vector<std::string> lines;
  for (const std::string& entry : indexEntries) {
    std::string name, columns;
    if (!SplitEntry(entry, name, columns))
      continue;
    if (name.substr(0, name.find(' ')) == "PRIMARY") {
      lines.push_back("ALTER TABLE " + table + " ADD PRIMARY KEY " + columns + ";");
    } else {
      lines.push_back("CREATE INDEX " + name + " ON " + table + " " + columns + ";");
    }
  }
  return lines;
}

std::vector<std::string> ReindexScript(const std::string& table,
                                       const platform::StringList& indexEntries) {
  std::vector<std::string> lines;
  for (const std::string& entry : indexEntries) {
    std::string name, columns;
    if (!SplitEntry(entry, name, columns))
      continue;
    lines.push_back("DROP INDEX " + name + ";");
    lines.push_back("CREATE INDEX " + name + " ON " + table + " " + columns + ";");
  }
  return lines;
}

}  // namespace app
