#include "interchange/xml_sax.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/errors.h"
#include "platform/shared_text_file.h"
#include "platform/text.h"

namespace interchange {
namespace {

constexpr std::size_t kMaxNameLength = 32;
constexpr std::size_t kMaxAttributeName = 31;
constexpr std::size_t kMaxAttributeValue = 255;

std::string Trimmed(std::string_view text) {
  return std::string(platform::Trim(text));
}

// An attribute value loses a leading quote and the next quote after it.
std::string AttributeValue(std::string_view raw) {
  std::string value = Trimmed(raw);
  if (!value.empty() && value.front() == '"') {
    value.front() = ' ';
    const std::size_t close = value.find('"', 1);
    if (close != std::string::npos) {
      value[close] = ' ';
    }
  }
  return std::string(platform::Utf8Prefix(platform::Trim(value), kMaxAttributeValue));
}

}  // namespace

// The buffer of the current line and the reading rules over it.
class TSAXParser::Reader {
 public:
  Reader(platform::SharedTextFile& file, int& lineCount) : file_(file), lineCount_(lineCount) {}

  // Makes a character available; false at the end of the input.
  bool Available() {
    while (pos_ >= buffer_.size()) {
      if (exhausted_) {
        return false;
      }
      std::string line;
      if (!file_.ReadLine(line)) {
        exhausted_ = true;
        buffer_.clear();
        pos_ = 0;
        return false;
      }
      ++lineCount_;
      if (!line.empty()) {
        buffer_ = " " + line;
        pos_ = 0;
      }
    }
    return true;
  }

  char Peek() { return Available() ? buffer_[pos_] : '\0'; }
  void Skip() {
    if (Available()) {
      ++pos_;
    }
  }
  void SkipBlanks() {
    while (Available() && buffer_[pos_] == ' ') {
      ++pos_;
    }
  }

  // Reads until a stop character is next. Inside markup a double quote takes
  // everything through its partner and ends the read there; in character
  // data it is an ordinary character.
  std::string ReadUpTo(std::string_view stops, bool markup = true) {
    std::string text;
    while (Available()) {
      const char c = buffer_[pos_];
      if (stops.find(c) != std::string_view::npos) {
        return text;
      }
      ++pos_;
      text += c;
      if (c == '"' && markup) {
        while (Available()) {
          const char inner = buffer_[pos_++];
          text += inner;
          if (inner == '"') {
            break;
          }
        }
        return text;
      }
    }
    return text;
  }

 private:
  platform::SharedTextFile& file_;
  int& lineCount_;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool exhausted_ = false;
};

void TSAXParser::Parse(const std::string& fileName) {
  lineCount_ = 0;
  // Opening for reading would create a missing file and read it as empty.
  std::error_code ignored;
  if (!std::filesystem::exists(fileName, ignored)) {
    throw platform::EInOutError(ENOENT, "I/O error " + std::to_string(ENOENT) + ": cannot open " +
                                            fileName + ": " + std::strerror(ENOENT));
  }
  platform::SharedTextFile file(fileName, platform::TextFileMode::kReset);
  Reader reader(file, lineCount_);
  handler_.StartDocument();
  while (reader.Available()) {
    const std::string text = reader.ReadUpTo("<", false);
    if (!text.empty()) {
      handler_.Characters(text);
    }
    const std::string tagText = reader.ReadUpTo(" >");
    if (!tagText.empty()) {
      ParseTag(reader, tagText);
    }
  }
  file.Close();
  handler_.EndDocument();
}

void TSAXParser::ParseTag(Reader& reader, const std::string& tagText) {
  std::string name = tagText.substr(1);
  // "<b/>" reads as the tag text "<b/": the slash belongs to the tag's end.
  bool emptyElement = false;
  if (name.size() > 1 && name.back() == '/') {
    name.pop_back();
    emptyElement = true;
  }
  name = Trimmed(platform::Utf8Prefix(name, kMaxNameLength));
  reader.SkipBlanks();

  TSAXAttributeList attributes;
  for (;;) {
    const std::string piece = reader.ReadUpTo(" >/");
    if (piece.empty()) {
      break;
    }
    const std::size_t equals = piece.find('=');
    if (equals != std::string::npos) {
      TSAXAttribute attribute;
      attribute.name = std::string(
          platform::Utf8Prefix(platform::Trim(piece.substr(0, equals)), kMaxAttributeName));
      attribute.value = AttributeValue(std::string_view(piece).substr(equals + 1));
      attributes.push_back(std::move(attribute));
    }
    reader.SkipBlanks();
  }
  const std::string rest = reader.ReadUpTo(">");
  reader.Skip();
  emptyElement = emptyElement || rest.find('/') != std::string::npos;

  if (!name.empty() && name.front() == '/') {
    handler_.EndElement(name.substr(1));
  } else {
    handler_.StartElement(name, attributes);
    if (emptyElement) {
      handler_.EndElement(name);
    }
  }
  reader.SkipBlanks();
}

}  // namespace interchange
