#pragma once
// The CREATE TABLE and CREATE INDEX script of a table, as "Show table
// structure" lists it and as dumps write it.
//
// Table part: "CREATE TABLE <t> (", one line per field (the name cut and
// padded to 32 characters, a blank, the type and its size suffix, "," after
// all but the last), ");". Index part: one "CREATE INDEX" line per entry of
// the index listing ("name (a,b)"): the entry before its first "(", " ON ",
// the table, a blank and the entry from the "(" on, then ";".

#include <string>
#include <vector>

#include "dataset/dataset.h"
#include "platform/string_list.h"

namespace app {

enum class ScriptPart { kTable, kIndexes, kBoth };

// The listing's type word and size suffix of a field ("CHAR(20)", "DATE",
// "NUMERIC(14,2)", "?").
std::string ListingTypeOf(const dataset::TField& field);

// columnTypes, when given, holds each field's type as the server declares
// it ("varchar(20)", "bigint(20) unsigned"), used in place of the listing's
// type words so that the table can be re-created with the same columns.
std::vector<std::string> TableScript(ScriptPart part, const std::string& table,
                                     const dataset::TDataSet& fields,
                                     const platform::StringList& indexEntries,
                                     const std::vector<std::string>* columnTypes = nullptr);

// The index part of a dump: like the listing's, except that the primary key
// is re-created with ALTER TABLE ... ADD PRIMARY KEY, since "PRIMARY" cannot
// be created as a named index.
std::vector<std::string> DumpIndexScript(const std::string& table,
                                         const platform::StringList& indexEntries);

// The reindex script: for each index entry a DROP INDEX and a CREATE INDEX
// line.
std::vector<std::string> ReindexScript(const std::string& table,
                                       const platform::StringList& indexEntries);

}  // namespace app
