#include "kestrel/sql/lexer/sql_params.h"

#include "kestrel/storage/streams/kestrel_stream.h"
#include "platform/text.h"

namespace kestrel {
namespace {

constexpr int kWriteNameLength = 10175;
constexpr int kWriteName = 10176;
constexpr int kReadNameLength = 10177;
constexpr int kReadName = 10178;

}  // namespace

void TKestrelSQLParam::Assign(const TKestrelVariant& source, bool copy) {
  TKestrelVariant::Assign(source, copy);
  if (const auto* param = dynamic_cast<const TKestrelSQLParam*>(&source)) {
    Name = param->Name;
  }
}

void TKestrelSQLParam::LoadFromStream(TKestrelStream& stream) {
  int32_t length = 0;
  ReadStreamBuffer(stream, &length, 4, kReadNameLength);
  RequireStreamBytes(stream, length, kReadName);
  std::string name(static_cast<std::size_t>(length), '\0');
  ReadStreamBuffer(stream, name.data(), length, kReadName);
  TKestrelVariant::LoadFromStream(stream);
  Name = std::move(name);
}

void TKestrelSQLParam::SaveToStream(TKestrelStream& stream) const {
  const auto length = static_cast<int32_t>(Name.size());
  WriteStreamBuffer(stream, &length, 4, kWriteNameLength);
  WriteStreamBuffer(stream, Name.data(), length, kWriteName);
  TKestrelVariant::SaveToStream(stream);
}

TKestrelSQLParam& TKestrelSQLParams::AddParam() {
  items_.push_back(std::make_unique<TKestrelSQLParam>());
  return *items_.back();
}

const TKestrelSQLParam* TKestrelSQLParams::FindParam(std::string_view name) const {
  const std::string wanted = platform::UpperCase(name);
  for (const auto& item : items_) {
    if (platform::UpperCase(item->Name) == wanted) {
      return item.get();
    }
  }
  return nullptr;
}

}  // namespace kestrel
