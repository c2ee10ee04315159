#pragma once
// TSqlRtfHighlighter tokenises SQL text for the RTF writer and for the
// editor's coloring. Tokens cover the text without gaps: blanks and line
// breaks are symbol tokens too, so the token texts joined give the text back.
//
// The scan works on UTF-8 bytes through a 256-entry table of routines chosen
// by a token's first byte; a character outside ASCII is one "other" token
// (its whole UTF-8 sequence). No token crosses a line break. The only state
// carried from token to token is the range state: inside a block comment or
// not. A caller coloring line by line sets the range state left by the line
// before (SetRangeState) and then gives the line to SetLine.

#include <array>
#include <cstddef>
#include <string>

#include "highlight/rtf_syntax_writer.h"

namespace highlight {

// The values are the tokens' attributes, i.e. their color-table indices.
enum class SqlTokenKind : int {
  kComment = 1,
  kIdentifier = 2,
  kKeyword = 3,
  kNumber = 4,
  kSymbol = 5,
  kString = 6,
  kOther = 7,
  kEnd = 8,
};

enum class SqlRangeState { kDefault, kBlockComment };

class TSqlRtfHighlighter : public TRtfSyntaxWriter {
 public:
  static constexpr RgbColor kNavy{0, 0, 128};
  static constexpr RgbColor kBlack{0, 0, 0};
  static constexpr RgbColor kBlue{0, 0, 255};

  TSqlRtfHighlighter();
  // REQUIRES: fontFacts outlives the highlighter.
  explicit TSqlRtfHighlighter(const FontFactsSource& fontFacts);

  // "\" -> "\\", then "{" -> "\{", then "}" -> "\}".
  std::string EscapeText(const std::string& text) const override;
  // Comments italic, keywords bold, the rest plain, each in its color.
  std::string FormatToken(int attribute, const std::string& text) const override;
  void Next() override;
  bool AtEnd() const override { return kind_ == SqlTokenKind::kEnd; }
  std::string GetToken() const override { return text_.substr(tokenStart_, run_ - tokenStart_); }
  int GetTokenAttribute() const override { return static_cast<int>(kind_); }
  // Takes the text, starts at its beginning and reads the first token.
  void SetLine(const std::string& text, int lineNumber) override;
  void ResetColors() override;

  SqlTokenKind TokenKind() const { return kind_; }
  // Byte offset and length of the current token in the text.
  std::size_t TokenPosition() const { return tokenStart_; }
  std::size_t TokenLength() const { return run_ - tokenStart_; }
  SqlRangeState RangeState() const { return range_; }
  void SetRangeState(SqlRangeState range) { range_ = range; }

 private:
  using ScanRoutine = void (TSqlRtfHighlighter::*)();

  void BuildScanTable();
  bool AtTextEnd(std::size_t position) const { return position >= text_.size(); }
  char CharAt(std::size_t position) const {
    return position < text_.size() ? text_[position] : '\0';
  }
  bool AtLineEnd(std::size_t position) const;

  void ScanNul();
  void ScanSpace();
  void ScanLineFeed();
  void ScanCarriageReturn();
  void ScanIdentifier();
  void ScanNumber();
  void ScanSingleQuoted();
  void ScanDoubleQuoted();
  void ScanHash();
  void ScanMinus();
  void ScanSlash();
  void ScanSymbol();
  void ScanOther();
  void ScanLineComment();
  // Runs to just past the first "*/" from the run position (leaving the range
  // state) or to the line break or end of text (staying in it).
  void ScanCommentBody();
  void ContinueBlockComment();

  std::array<ScanRoutine, 256> scanTable_{};
  std::string text_;
  std::size_t run_ = 0;
  std::size_t tokenStart_ = 0;
  SqlTokenKind kind_ = SqlTokenKind::kEnd;
  SqlRangeState range_ = SqlRangeState::kDefault;
};

}  // namespace highlight
