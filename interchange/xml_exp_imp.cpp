#include "interchange/xml_exp_imp.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "dataset/dataset_errors.h"
#include "interchange/value_text.h"
#include "interchange/xml_sax.h"
#include "platform/format_settings.h"
#include "platform/shared_text_file.h"
#include "platform/user_dialogs.h"

namespace interchange {
namespace {

using dataset::TDataSet;
using dataset::TDataSetState;
using dataset::TField;

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The character a reference between "&" and ";" stands for.
bool DecodeReference(std::string_view name, std::string& out) {
  if (name == "amp") {
    out += '&';
  } else if (name == "lt") {
    out += '<';
  } else if (name == "gt") {
    out += '>';
  } else if (name == "quot") {
    out += '"';
  } else if (name == "apos") {
    out += '\'';
  } else if (name.size() >= 2 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) {
      return false;
    }
    char32_t code = 0;
    for (const char c : digits) {
      int digit = -1;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (hex && c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (hex && c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      }
      if (digit < 0) {
        return false;
      }
      code = code * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    AppendUtf8(out, code);
  } else {
    return false;
  }
  return true;
}

bool IsNullMarked(const TSAXAttributeList& attributes) {
  for (const TSAXAttribute& attribute : attributes) {
    if (attribute.name == "null") {
      return attribute.value == "1" || attribute.value == "true";
    }
  }
  return false;
}

struct ImportCancelled {};

// Fills the dataset from the table layout (TR rows of TD cells, the TH row
// naming the columns) or the record layout (RECORD elements with one child
// element per field).
class ImportHandler : public TSAXDocumentHandler {
 public:
  ImportHandler(TDataSet& dataSet, const ProgressReporter& progress)
      : dataSet_(dataSet), progress_(progress) {}

  int Count() const { return count_; }

  void StartDocument() override {
    text_.clear();
    column_ = -1;
    header_ = false;
    count_ = 0;
    if (!dataSet_.Active()) {
      dataSet_.Open();
    }
  }

  void StartElement(const std::string& name, const TSAXAttributeList& attributes) override {
    text_.clear();
    null_ = IsNullMarked(attributes);
    if (name == "TR" || name == "RECORD") {
      column_ = -1;
      header_ = false;
      dataSet_.Append();
    } else if (name == "TH") {
      column_ = -1;
      header_ = true;
    } else if (name == "TD") {
      ++column_;
    }
  }

  void Characters(const std::string& text) override { text_ += text; }

  void EndElement(const std::string& name) override {
    if (name == "TD") {
      if (header_) {
        if (column_ >= 0) {
          const auto index = static_cast<std::size_t>(column_);
          if (names_.size() <= index) {
            names_.resize(index + 1);
          }
          names_[index] = XmlDecoded(text_);
        }
      } else {
        const std::string noName;
        const std::string& columnName =
            column_ >= 0 && static_cast<std::size_t>(column_) < names_.size()
                ? names_[static_cast<std::size_t>(column_)]
                : noName;
        Store(dataSet_.FieldByName(columnName));
      }
    } else if (name != "TR" && name != "TH" && name != "TABLE" && name != "RECORD" &&
               name != "DATA") {
      // A field element of the record layout; others are ignored.
      if (dataSet_.State() == TDataSetState::dsInsert) {
        if (TField* field = dataSet_.FindField(name)) {
          Store(*field);
        }
      }
    }
    if ((name == "TR" || name == "RECORD") && dataSet_.State() == TDataSetState::dsInsert) {
      dataSet_.Post();
      ++count_;
      if (!progress_.Step(count_)) {
        throw ImportCancelled{};
      }
    }
  }

 private:
  void Store(TField& field) {
    if (null_) {
      field.Clear();
    } else {
      field.SetText(XmlDecoded(text_));
    }
  }

  TDataSet& dataSet_;
  const ProgressReporter& progress_;
  std::string text_;
  int column_ = -1;
  bool header_ = false;
  bool null_ = false;
  std::vector<std::string> names_;
  int count_ = 0;
};

}  // namespace

std::string XmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const char c = text[pos];
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || (c == ' ' && pos == 0)) {
          out += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
        } else {
          out += c;
        }
        break;
    }
  }
  return out;
}

std::string XmlDecoded(std::string_view text) {
  // Longest reference worth looking for: "&#x10FFFF;" and a little slack.
  constexpr std::size_t kLongestReference = 12;
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t amp = text.find('&', pos);
    if (amp == std::string_view::npos) {
      out.append(text.substr(pos));
      break;
    }
    out.append(text.substr(pos, amp - pos));
    const std::size_t semicolon = text.substr(amp, kLongestReference).find(';');
    if (semicolon != std::string_view::npos &&
        DecodeReference(text.substr(amp + 1, semicolon - 1), out)) {
      pos = amp + semicolon + 1;
    } else {
      out += '&';
      pos = amp + 1;
    }
  }
  return out;
}

dataset::TDataSet& TXMLEXPIMP::DataSet() const {
  if (datasource_ == nullptr || datasource_->DataSet() == nullptr) {
    dataset::DatabaseError(dataset::kDataSetClosed);
  }
  return *datasource_->DataSet();
}

TTransferResult TXMLEXPIMP::Export() {
  TDataSet& dataSet = DataSet();
  const platform::ScopedDecimalSeparator decimalPoint('.');
  const dataset::ControlsDisabled quiet(dataSet);
  dataSet.First();

  TTransferResult result;
  {
    platform::SharedTextFile file(xmlNev_, platform::TextFileMode::kReplace, kFileBufferSize);
    std::error_code ignored;
    std::filesystem::path fullPath = std::filesystem::absolute(xmlNev_, ignored);
    file.WriteLine("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>");
    file.WriteLine("<?xml-stylesheet href=\"xml-data.xsl\"");
    file.WriteLine("     type=\"text/xsl\"");
    file.WriteLine("     title=\"" + XmlEscaped(fullPath.string()) + " adatok\" ?>");
    file.WriteLine("<TABLE>");
    for (int index = 0; index < dataSet.FieldCount(); ++index) {
      const std::string cell = "<TD>" + XmlEscaped(dataSet.Fields(index).FieldName()) + "</TD>";
      file.WriteLine(index == 0 ? "<TH>" + cell : cell);
    }
    if (dataSet.FieldCount() == 0) {
      file.WriteLine("<TH>");
    }
    file.WriteLine("</TH>");

    const ProgressReporter progress(OnProgress, progressInterval_);
    std::string line;
    while (!dataSet.Eof()) {
      line = "<TR>";
      for (int index = 0; index < dataSet.FieldCount(); ++index) {
        const TField& field = dataSet.Fields(index);
        if (field.IsNull()) {
          line += "<TD null=\"1\"/>";
        } else {
          line += "<TD>" + XmlEscaped(ExactValueText(field)) + "</TD>";
        }
      }
      line += "</TR>";
      file.WriteLine(line);
      ++result.records;
      dataSet.Next();
      if (!progress.Step(result.records)) {
        result.outcome = TTransferOutcome::kCancelled;
        break;
      }
    }
    if (result.Completed()) {
      file.WriteLine("</TABLE>");
    }
    if (result.Cancelled()) {
      file.Discard();
    } else {
      file.Close();
    }
  }
  return FinishExport(result, xmlNev_, okMsg_, "XML file elkészült");
}

TTransferResult TXMLEXPIMP::Import() {
  TDataSet& dataSet = DataSet();
  const platform::ScopedDecimalSeparator decimalPoint('.');
  const dataset::ControlsDisabled quiet(dataSet);
  const ProgressReporter progress(OnProgress, progressInterval_);
  ImportHandler handler(dataSet, progress);
  TSAXParser parser(handler);
  TTransferResult result;
  try {
    parser.Parse(xmlNev_);
  } catch (const ImportCancelled&) {
    result.outcome = TTransferOutcome::kCancelled;
  } catch (...) {
    CancelPendingRecord(dataSet);
    throw;
  }
  // A document cut short leaves its last record unfinished.
  CancelPendingRecord(dataSet);
  result.records = handler.Count();
  if (result.Completed() && okMsg_) {
    platform::Dialogs().ShowMessage(std::to_string(result.records) + "db.rekord beolvasva",
                                    "XML file beolvasva");
  }
  return result;
}

}  // namespace interchange
