#pragma once
// The parameter list a query hands to its statements.
//
// The query component fills the list before each execution; the lexer looks
// names up while it scans (":name") and gives each parameter token its own
// copy of the value, so the list may change once a statement is scanned.
// Names compare without regard to letter case.
//
// Stream form of one parameter, little-endian:
//
//   bytes   content                              native error (write / read)
//   4       name length N                        10175 / 10177
//   N       the name's bytes (UTF-8)             10176 / 10178
//   ...     the value's own stream form          as TKestrelVariant

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kestrel/storage/values/variant.h"

namespace kestrel {

class TKestrelSQLParam : public TKestrelVariant {
 public:
  TKestrelSQLParam() = default;
  explicit TKestrelSQLParam(std::string name) : Name(std::move(name)) {}

  // From another parameter the name is copied with the value.
  void Assign(const TKestrelVariant& source, bool copy) override;
  void LoadFromStream(TKestrelStream& stream) override;
  void SaveToStream(TKestrelStream& stream) const override;

  std::string Name;
};

class TKestrelSQLParams {
 public:
  TKestrelSQLParams() = default;
  TKestrelSQLParams(const TKestrelSQLParams&) = delete;
  TKestrelSQLParams& operator=(const TKestrelSQLParams&) = delete;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // REQUIRES: 0 <= index < Count() (otherwise std::out_of_range).
  TKestrelSQLParam& Items(int32_t index) { return *items_.at(static_cast<std::size_t>(index)); }
  const TKestrelSQLParam& Items(int32_t index) const {
    return *items_.at(static_cast<std::size_t>(index));
  }

  // Appends a parameter whose value is NULL and returns it.
  TKestrelSQLParam& AddParam();
  void Clear() { items_.clear(); }
  // The first parameter whose name equals `name`, both upper-cased by the
  // locale's rules; null when there is none.
  const TKestrelSQLParam* FindParam(std::string_view name) const;

 private:
  std::vector<std::unique_ptr<TKestrelSQLParam>> items_;
};

}  // namespace kestrel
