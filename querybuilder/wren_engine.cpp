#include "querybuilder/wren_engine.h"

#include <array>

#include "platform/text.h"

namespace querybuilder {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kContinuation = "  ";

// The first character of a UTF-8 text: its whole byte sequence.
std::string_view FirstCharacter(std::string_view text) {
  if (text.empty())
    return text;
  std::size_t length = 1;
  while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
    ++length;
  return text.substr(0, length);
}

// Characters of a UTF-8 text (continuation bytes are not counted).
std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
      ++count;
  }
  return count;
}

bool Taken(std::string_view alias, const platform::StringList& taken) {
  for (const std::string& used : taken) {
    if (platform::SameText(used, alias))
      return true;
  }
  return false;
}

struct Clause {
  std::string_view heading;
  std::string_view separator;
  const platform::StringList* items;
};

}  // namespace

std::string FreeAlias(std::string_view name, const platform::StringList& taken) {
  std::string base(FirstCharacter(name));
  if (base.empty())
    base = "T";
  std::string alias = base;
  for (int suffix = 2; Taken(alias, taken); ++suffix)
    alias = base + std::to_string(suffix);
  return alias;
}

platform::StringList MakeAliases(const platform::StringList& names) {
  platform::StringList aliases;
  for (const std::string& name : names)
    aliases.Add(FreeAlias(name, aliases));
  return aliases;
}

TWrenEngine::TWrenEngine() = default;

TWrenEngine::~TWrenEngine() = default;

void TWrenEngine::SetDatabaseName(std::string_view name) {
  SetTableList({});
  databaseName_ = std::string(name);
  CloseResultQuery();
}

std::string TWrenEngine::AliasOf(std::string_view table) const {
  if (aliasList_.Count() != tableList_.Count())
    return {};
  for (std::size_t i = 0; i < tableList_.Count(); ++i) {
    if (tableList_[i] == table)
      return aliasList_[i];
  }
  const int index = tableList_.IndexOf(table);
  return index >= 0 ? aliasList_[static_cast<std::size_t>(index)] : std::string();
}

void TWrenEngine::ClearClauses() {
  selectColumns_.Clear();
  selectFunctions_.Clear();
  fromItems_.Clear();
  whereItems_.Clear();
  groupByItems_.Clear();
  orderByItems_.Clear();
}

void TWrenEngine::GenerateAliases() {
  aliasList_ = MakeAliases(tableList_);
}

void TWrenEngine::GenerateSQL(std::string& text) {
  platform::StringList selectItems;
  for (std::size_t i = 0; i < selectColumns_.Count(); ++i) {
    const std::string& function = i < selectFunctions_.Count() ? selectFunctions_[i] : "";
    selectItems.Add(function.empty() ? selectColumns_[i]
                                     : function + "(" + selectColumns_[i] + ")");
  }
  const std::array<Clause, 5> clauses = {{
      {"SELECT  ", ", ", &selectItems},
      {"FROM  ", ", ", &fromItems_},
      {"WHERE  ", " AND ", &whereItems_},
      {"GROUP BY  ", ", ", &groupByItems_},
      {"ORDER BY  ", ", ", &orderByItems_},
  }};

  sqlLines_.Clear();
  for (const Clause& clause : clauses) {
    const platform::StringList& items = *clause.items;
    std::string line(clause.heading);
    for (std::size_t i = 0; i < items.Count(); ++i) {
      const bool last = i + 1 == items.Count();
      line += items[i];
      if (!last)
        line += clause.separator;
      if (last || CharacterCount(line) > kSqlLineWidth) {
        sqlLines_.Add(std::move(line));
        line = std::string(kContinuation);
      }
    }
  }

  text.clear();
  for (std::size_t i = 0; i < sqlLines_.Count(); ++i) {
    if (i > 0)
      text += kCrLf;
    text += sqlLines_[i];
  }
}

void TWrenEngine::SetTableList(platform::StringList tables) {
  tableList_ = std::move(tables);
  aliasList_.Clear();
}

}  // namespace querybuilder
