#pragma once
// TXMLEXPIMP: writes the records of a dataset as a small XML document, a
// table with a header row of field names and one row per record, shown in a
// browser through the style sheet "xml-data.xsl":
//
//   <?xml version="1.0" encoding="UTF-8" ?>
//   <?xml-stylesheet href="xml-data.xsl"
//        type="text/xsl"
//        title="<full path of the file> adatok" ?>
//   <TABLE>
//   <TH><TD>id</TD>
//   <TD>name</TD>
//   </TH>
//   <TR><TD>1</TD><TD>Anna</TD></TR>
//   </TABLE>
//
// Lines end in CR LF; the bytes are UTF-8. In values and names "&", "<",
// ">" and '"' are written as entities, line breaks and other control
// characters, and a blank that starts a value, as character references, so
// every record stays on its line and reads back exactly. A NULL is written
// as <TD null="1"/>. Values are written in forms that read back to the same
// value (all digits of a float, dates with four-digit years, times with
// their milliseconds).
//
// The import reads that table layout and a record layout: any root element
// holding RECORD elements whose child elements are named after the fields.
// It decodes the predefined entities and numeric character references; an
// "&" that starts no known entity stays as it is, so files of the older form
// (raw "&", "<" and ">" blanked out) read unchanged.

#include <string>
#include <string_view>

#include "dataset/data_source.h"
#include "interchange/transfer.h"

namespace interchange {

class TXMLEXPIMP {
 public:
  TXMLEXPIMP() = default;
  TXMLEXPIMP(const TXMLEXPIMP&) = delete;
  TXMLEXPIMP& operator=(const TXMLEXPIMP&) = delete;

  dataset::TDataSource* Datasource() const { return datasource_; }
  void SetDatasource(dataset::TDataSource* source) { datasource_ = source; }
  // Relative to the working directory unless absolute.
  const std::string& XMLnev() const { return xmlNev_; }
  void SetXMLnev(std::string_view name) { xmlNev_ = std::string(name); }
  // Show the completion message.
  bool OKMsg() const { return okMsg_; }
  void SetOKMsg(bool value) { okMsg_ = value; }

  // Called every ProgressInterval() records.
  TProgressEvent OnProgress;
  int ProgressInterval() const { return progressInterval_; }
  void SetProgressInterval(int records) { progressInterval_ = records; }

  // Writes the whole dataset to XMLnev, replacing the file only once it is
  // whole: a cancelled or failed export leaves a file of that name as it
  // was (or none). Throws EInOutError on file errors and the dataset's
  // errors.
  TTransferResult Export();
  // Reads XMLnev into the dataset, opening it when it is closed. A missing
  // file throws EInOutError; a cell of a column that names no field throws
  // the dataset's field-not-found error. Records posted before a
  // cancellation or an error stay.
  TTransferResult Import();

 private:
  dataset::TDataSet& DataSet() const;

  dataset::TDataSource* datasource_ = nullptr;
  std::string xmlNev_ = "Export.XML";
  bool okMsg_ = true;
  int progressInterval_ = 1000;
};

// "&", "<", ">" and '"' as entities, control characters other than the tab
// as character references, and a leading blank as "&#32;" (the reader skips
// blanks after a tag).
std::string XmlEscaped(std::string_view text);
// The predefined entities and decimal or hexadecimal character references
// decoded; anything else that starts with "&" is kept as it is.
std::string XmlDecoded(std::string_view text);

}  // namespace interchange
