#include "kestrel/sql/expressions/column_source.h"

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {

TKestrelColumnBinding TKestrelColumnBinding::ForField(int32_t fieldNo,
                                                      const TKestrelFieldDef& field) {
  TKestrelColumnBinding binding;
  binding.ColumnNo = fieldNo;
  binding.DataType = field.DataType();
  binding.StorageType = field.StorageType();
  binding.Size = field.Size();
  binding.FieldNo = fieldNo;
  binding.DataOffset = field.DataOffset();
  binding.DataSize = field.DataSize();
  return binding;
}

void TKestrelColumnSource::ReadBlob(const uint8_t*, const TKestrelColumnBinding&,
                                    TKestrelVariant&) {
  throw EKestrelException("Error - operation is not supported", 30199);
}

int FindFieldColumn(const TKestrelFieldDefs& fields, std::string_view fieldName,
                    TKestrelColumnBinding* binding) {
  const int fieldNo = fields.IndexOf(fieldName);
  if (fieldNo < 0) {
    return 0;
  }
  if (binding != nullptr) {
    *binding = TKestrelColumnBinding::ForField(fieldNo, *fields.Items(fieldNo));
  }
  return 1;
}

}  // namespace kestrel
