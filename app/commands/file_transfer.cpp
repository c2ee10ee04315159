#include "app/commands/file_transfer.h"

#include <cerrno>
#include <filesystem>
#include <utility>

#include "interchange/csv_exp_imp.h"
#include "interchange/xml_exp_imp.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace app {

TransferFileType TransferFileTypeOf(const std::string& fileName) {
  const std::string name = platform::UpperCase(fileName);
  for (const auto& [extension, type] :
       {std::pair{".CSV", TransferFileType::kCsv}, std::pair{".XML", TransferFileType::kXml},
        std::pair{".SQL", TransferFileType::kSql}}) {
    if (name.find(extension) != std::string::npos) {
      return type;
    }
  }
  return TransferFileType::kNone;
}

interchange::TTransferResult TransferFile(dataset::TDataSource& source, const std::string& fileName,
                                          TransferDirection direction,
                                          const interchange::TProgressEvent& progress) {
  const bool exporting = direction == TransferDirection::kExport;
  if (TransferFileTypeOf(fileName) == TransferFileType::kCsv) {
    interchange::TCSVEXPIMP csv;
    csv.SetDatasource(&source);
    csv.SetCSVnev(fileName);
    csv.OnProgress = progress;
    return exporting ? csv.Export() : csv.Import();
  }
  interchange::TXMLEXPIMP xml;
  xml.SetDatasource(&source);
  xml.SetXMLnev(fileName);
  xml.OnProgress = progress;
  return exporting ? xml.Export() : xml.Import();
}

std::unique_ptr<platform::SharedTextFile> OpenExistingForReading(const std::string& fileName) {
  std::error_code error;
  if (!std::filesystem::exists(fileName, error)) {
    throw platform::EInOutError(ENOENT, "File not found: " + fileName);
  }
  return std::make_unique<platform::SharedTextFile>(fileName, platform::TextFileMode::kReset);
}

std::string DirectoryOf(const std::string& fileName) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(fileName, error);
  if (error) {
    path = fileName;
  }
  std::string directory = path.parent_path().string();
  if (directory.empty() || directory.back() != '/') {
    directory += '/';
  }
  return directory;
}

}  // namespace app
