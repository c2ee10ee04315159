#include "interchange/csv_exp_imp.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "dataset/dataset_errors.h"
#include "interchange/value_text.h"
#include "platform/errors.h"
#include "platform/format_settings.h"
#include "platform/shared_text_file.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"

namespace interchange {
namespace {

using dataset::TDataSet;
using dataset::TField;
using dataset::TFieldType;

std::string Quoted(std::string_view text) {
  std::string result;
  result.reserve(text.size() + 2);
  result += '"';
  for (const char c : text) {
    if (c == '"') {
      result += '"';
    }
    result += c;
  }
  result += '"';
  return result;
}

bool NeedsQuotes(std::string_view text, char separator) {
  return text.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string_view::npos;
}

// The value of one field as the file holds it, without the separator.
std::string ExportValue(const TField& field, char separator) {
  if (field.IsNull()) {
    return {};
  }
  const TFieldType type = field.DataType();
  if (dataset::IsTextFieldType(type) || dataset::IsBytesType(type)) {
    return Quoted(field.AsString());
  }
  std::string text;
  switch (type) {
    case TFieldType::ftFloat:
      text = RightAligned(ExactNumberText(field.AsFloat(), 4), 12);
      break;
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint:
      text = RightAligned(std::to_string(field.AsLargeInt()), 12);
      break;
    case TFieldType::ftSmallint:
    case TFieldType::ftWord:
      text = RightAligned(std::to_string(field.AsLargeInt()), 7);
      break;
    case TFieldType::ftBoolean:
      text = field.AsBoolean() ? "True" : "False";
      break;
    case TFieldType::ftCurrency:
      text = RightAligned(ExactNumberText(field.AsFloat(), 2), 14);
      break;
    case TFieldType::ftBCD:
      text = RightAligned(ExactNumberText(field.AsFloat(), field.Size() != 0 ? 2 : 0), 14);
      break;
    case TFieldType::ftDate:
      text = DateText(field.AsDateTime());
      break;
    case TFieldType::ftTime:
      text = TimeText(field.AsDateTime());
      break;
    case TFieldType::ftDateTime:
      text = DateTimeText(field.AsDateTime());
      break;
    default:
      return {};
  }
  return NeedsQuotes(text, separator) ? Quoted(text) : text;
}

struct CsvValue {
  std::string text;
  bool quoted = false;
};

// Reads the file one record at a time. A record is a line, unless a quoted
// value runs past the end of the line: then the line break belongs to the
// value and the record goes on with the next line.
class CsvRecordReader {
 public:
  CsvRecordReader(platform::SharedTextFile& file, char separator)
      : file_(file), separator_(separator) {}

  bool Next(std::vector<CsvValue>& values) {
    values.clear();
    std::string line;
    std::string ending;
    if (!file_.ReadLine(line, ending)) {
      return false;
    }
    std::size_t pos = 0;
    while (pos < line.size()) {
      // Leftovers of a line ending; lines read from the file do not hold them.
      for (const char skipped : {'\r', '\n', '\r'}) {
        if (pos < line.size() && line[pos] == skipped) {
          ++pos;
        }
      }
      CsvValue value;
      if (pos < line.size() && line[pos] == '"') {
        value.quoted = true;
        ReadQuoted(line, ending, pos, value.text);
      } else {
        std::size_t end = pos;
        while (end < line.size() && line[end] != separator_ && line[end] != '\r' &&
               line[end] != '\n') {
          ++end;
        }
        value.text.assign(line, pos, end - pos);
        pos = end < line.size() ? end + 1 : end;
      }
      values.push_back(std::move(value));
    }
    return true;
  }

 private:
  // REQUIRES: line[pos] is the opening quote. Leaves pos after the character
  // that follows the closing quote (the separator).
  void ReadQuoted(std::string& line, std::string& ending, std::size_t& pos, std::string& text) {
    ++pos;
    for (;;) {
      const std::size_t quote = line.find('"', pos);
      if (quote == std::string::npos) {
        text.append(line, pos, std::string::npos);
        std::string next;
        std::string nextEnding;
        if (ending.empty() || !file_.ReadLine(next, nextEnding)) {
          pos = line.size();
          return;
        }
        text += ending;
        line = std::move(next);
        ending = std::move(nextEnding);
        pos = 0;
        continue;
      }
      text.append(line, pos, quote - pos);
      if (quote + 1 < line.size() && line[quote + 1] == '"') {
        text += '"';
        pos = quote + 2;
        continue;
      }
      pos = quote + 1;
      if (pos < line.size()) {
        ++pos;
      }
      return;
    }
  }

  platform::SharedTextFile& file_;
  char separator_;
};

// The error questions of one import: shown until the user answers No.
class ImportErrors {
 public:
  void NumberError(int record, const TField& field) { Report("Hibás szám adat a ", record, field); }
  void DataError(int record, const TField& field) { Report("Hibás adat a ", record, field); }

 private:
  void Report(std::string_view lead, int record, const TField& field) {
    if (!showFurther_) {
      return;
    }
    platform::MessageRequest request;
    request.text = std::string(lead) + CountText(record) + ". rekord " + field.FieldName() +
                   " adatában.\r\nAkarja a további hibákat látni?";
    request.caption = "Hiba";
    request.kind = platform::MessageKind::kConfirmation;
    request.buttons = platform::DialogButton::kYes | platform::DialogButton::kNo;
    request.defaultButton = platform::DialogButton::kNo;
    if (platform::Dialogs().ShowMessageBox(request) != platform::DialogButton::kYes) {
      showFurther_ = false;
    }
  }

  bool showFurther_ = true;
};

// Types the file carries a value for.
bool IsTransferredType(TFieldType type) {
  switch (type) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint:
    case TFieldType::ftBoolean:
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
      return true;
    default:
      return dataset::IsTextFieldType(type) || dataset::IsBytesType(type);
  }
}

bool IsTrueText(std::string_view text) {
  return !text.empty() && std::string_view("ITYity").find(text.front()) != std::string_view::npos;
}

// Stores the line's values in the fields of the appended record. A bad
// number leaves its field unset; any other failure ends the line's fields.
void StoreValues(TDataSet& dataSet, const std::vector<CsvValue>& values, int record,
                 ImportErrors& errors) {
  static const CsvValue kMissing;
  for (int index = 0; index < dataSet.FieldCount(); ++index) {
    TField& field = dataSet.Fields(index);
    const CsvValue& value = static_cast<std::size_t>(index) < values.size()
                                ? values[static_cast<std::size_t>(index)]
                                : kMissing;
    const TFieldType type = field.DataType();
    try {
      if (!IsTransferredType(type)) {
        continue;
      }
      if (!value.quoted && value.text.empty()) {
        field.Clear();
        continue;
      }
      if (dataset::IsTextFieldType(type) || dataset::IsBytesType(type)) {
        field.SetAsString(value.text);
        continue;
      }
      switch (type) {
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftBCD: {
          if (type == TFieldType::ftBCD && field.Size() == 0) {
            int64_t number = 0;
            if (!platform::TryStrToInt64(value.text, number)) {
              errors.NumberError(record, field);
              break;
            }
            field.SetAsLargeInt(number);
            break;
          }
          double number = 0;
          if (!platform::TryStrToFloat(value.text, number)) {
            errors.NumberError(record, field);
            break;
          }
          field.SetAsFloat(number);
          break;
        }
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftAutoInc:
        case TFieldType::ftLargeint: {
          int64_t number = 0;
          if (!platform::TryStrToInt64(value.text, number)) {
            errors.NumberError(record, field);
            break;
          }
          field.SetAsLargeInt(number);
          break;
        }
        case TFieldType::ftBoolean:
          field.SetAsBoolean(IsTrueText(value.text));
          break;
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime:
          field.SetAsDateTime(platform::StrToDateTime(value.text));
          break;
        default:
          break;
      }
    } catch (const platform::Exception&) {
      errors.DataError(record, field);
      return;
    }
  }
}

}  // namespace

dataset::TDataSet& TCSVEXPIMP::DataSet() const {
  if (datasource_ == nullptr || datasource_->DataSet() == nullptr) {
    dataset::DatabaseError(dataset::kDataSetClosed);
  }
  return *datasource_->DataSet();
}

char TCSVEXPIMP::SeparatorChar() const {
  return elvalaszt_.empty() ? ';' : elvalaszt_.front();
}

TTransferResult TCSVEXPIMP::Export() {
  TDataSet& dataSet = DataSet();
  const platform::ScopedDecimalSeparator decimalPoint('.');
  const std::string separator = elvalaszt_.empty() ? std::string(";") : elvalaszt_;
  const char separatorChar = SeparatorChar();
  const dataset::ControlsDisabled quiet(dataSet);
  dataSet.First();

  TTransferResult result;
  {
    platform::SharedTextFile file(csvNev_, platform::TextFileMode::kReplace, kFileBufferSize);
    std::string line;
    if (elsonemkell_) {
      for (int index = 0; index < dataSet.FieldCount(); ++index) {
        const std::string& name = dataSet.Fields(index).FieldName();
        line += NeedsQuotes(name, separatorChar) ? Quoted(name) : name;
        line += separator;
      }
      file.WriteLine(line);
    }
    const ProgressReporter progress(OnProgress, progressInterval_);
    while (!dataSet.Eof()) {
      line.clear();
      for (int index = 0; index < dataSet.FieldCount(); ++index) {
        line += ExportValue(dataSet.Fields(index), separatorChar);
        line += separator;
      }
      file.WriteLine(line);
      ++result.records;
      dataSet.Next();
      if (!progress.Step(result.records)) {
        result.outcome = TTransferOutcome::kCancelled;
        break;
      }
    }
    if (result.Cancelled()) {
      file.Discard();
    } else {
      file.Close();
    }
  }
  return FinishExport(result, csvNev_, okMsg_, "CSV file elkészült");
}

TTransferResult TCSVEXPIMP::Import() {
  TTransferResult result;
  std::error_code ignored;
  if (!std::filesystem::exists(csvNev_, ignored)) {
    platform::Dialogs().ShowMessage("Nincs meg a CSV file!", "Hiba");
    result.outcome = TTransferOutcome::kFileMissing;
    return result;
  }
  TDataSet& dataSet = DataSet();
  const platform::ScopedDecimalSeparator decimalPoint('.');
  const dataset::ControlsDisabled quiet(dataSet);
  platform::SharedTextFile file(csvNev_, platform::TextFileMode::kReset, kFileBufferSize);
  CsvRecordReader reader(file, SeparatorChar());
  std::vector<CsvValue> values;
  if (elsonemkell_) {
    reader.Next(values);
  }
  ImportErrors errors;
  const ProgressReporter progress(OnProgress, progressInterval_);
  try {
    while (reader.Next(values)) {
      const int record = result.records + 1;
      dataSet.Append();
      StoreValues(dataSet, values, record, errors);
      dataSet.Post();
      result.records = record;
      // Reopening now and then lets a table dataset show what the import
      // has written so far.
      if (record % 2000 == 1) {
        dataSet.Close();
        dataSet.Open();
      }
      if (!progress.Step(record)) {
        result.outcome = TTransferOutcome::kCancelled;
        break;
      }
    }
  } catch (...) {
    CancelPendingRecord(dataSet);
    throw;
  }
  file.Close();
  if (result.Completed() && okMsg_) {
    platform::Dialogs().ShowMessage(
        "Importálva " + csvNev_ + " fileból " + CountText(result.records) + " db rekord",
        "CSV file betöltve");
  }
  return result;
}

}  // namespace interchange
