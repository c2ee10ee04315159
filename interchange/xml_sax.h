#pragma once
// A small, lenient, line-oriented XML reader that reports what it meets to a
// document handler: start and end of document, character data, start tags
// with their attributes and end tags. It does not validate and does not
// decode entities; processing instructions ("<?xml ...?>") come as start
// tags without an end tag. Double quotes group text only inside markup
// (attribute values may hold blanks, "/" and ">"); in character data they are
// ordinary characters. Malformed markup never fails: it is reported as
// whatever tags and text the reading rules produce.
//
// Each line of the file reads as if a blank stood in front of it, so a line
// break inside text reads as a blank. Empty lines are skipped.

#include <string>
#include <string_view>
#include <vector>

namespace interchange {

struct TSAXAttribute {
  std::string name;   // at most 31 characters
  std::string value;  // at most 255 characters
  std::string type = "CDATA";
};

using TSAXAttributeList = std::vector<TSAXAttribute>;

class TSAXDocumentHandler {
 public:
  virtual ~TSAXDocumentHandler() = default;
  virtual void StartDocument() {}
  virtual void EndDocument() {}
  virtual void StartElement(const std::string& name, const TSAXAttributeList& attributes) = 0;
  virtual void EndElement(const std::string& name) = 0;
  virtual void Characters(const std::string& text) = 0;
};

class TSAXParser {
 public:
  explicit TSAXParser(TSAXDocumentHandler& handler) : handler_(handler) {}

  // Reads the whole file; throws platform::EInOutError when it is missing or
  // cannot be read.
  void Parse(const std::string& fileName);
  // Lines counted so far, the skipped empty ones included.
  int LineCount() const { return lineCount_; }

 private:
  class Reader;
  void ParseTag(Reader& reader, const std::string& tagText);

  TSAXDocumentHandler& handler_;
  int lineCount_ = 0;
};

}  // namespace interchange
