#pragma once
// Files the commands read and write: a dataset to or from a CSV or XML file
// (chosen by the name), a text file opened for reading only when it exists,
// and the directory the dialogs remember for a chosen file.

#include <memory>
#include <string>

#include "dataset/data_source.h"
#include "interchange/transfer.h"
#include "platform/shared_text_file.h"

namespace app {

enum class TransferDirection { kExport, kImport };

// What a file name asks for: the first of ".CSV", ".XML" and ".SQL" that it
// holds anywhere (any letter case), in that order, or none of them.
enum class TransferFileType { kCsv, kXml, kSql, kNone };
TransferFileType TransferFileTypeOf(const std::string& fileName);

// Exports or imports a dataset through the CSV component when the file name
// asks for CSV, through the XML component otherwise.
interchange::TTransferResult TransferFile(dataset::TDataSource& source, const std::string& fileName,
                                          TransferDirection direction,
                                          const interchange::TProgressEvent& progress);

// Opens a text file for reading. Opening for reading would create a missing
// file, and an empty file would pass for an empty script: a missing one
// raises platform::EInOutError 2 "File not found: <name>" instead.
std::unique_ptr<platform::SharedTextFile> OpenExistingForReading(const std::string& fileName);

// The absolute directory of a file, with its trailing "/".
std::string DirectoryOf(const std::string& fileName);

}  // namespace app
