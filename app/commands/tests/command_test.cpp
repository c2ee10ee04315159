#include "app/commands/tests/command_test.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace app::testing {
namespace {

class RecordedProgress : public ProgressView {
 public:
  explicit RecordedProgress(TestHost& host) : host_(host) {}
  interchange::TProgressEvent Callback() override {
    return [this](int done) { return !host_.onProgress || host_.onProgress(done); };
  }
  void SetStage(std::string_view) override {}

 private:
  TestHost& host_;
};

}  // namespace

void TestHost::AddLogLines(const std::vector<std::string>& lines) {
  log.insert(log.end(), lines.begin(), lines.end());
}

std::size_t TestHost::LogLength() const {
  std::size_t length = 0;
  for (const std::string& line : log) {
    length += line.size() + 1;
  }
  return length == 0 ? 0 : length - 1;
}

void TestHost::SelectLogText(std::size_t start, std::size_t length) {
  selectionStart = start;
  selectionLength = length;
}

void TestHost::ShowDatabases(const platform::StringList& names) {
  databases = names;
  currentDatabase = names.Empty() ? std::string() : names[0];
  remembered.reset();
}

void TestHost::ShowDataEditor(std::string_view caption) {
  dataEditorCaptions.emplace_back(caption);
  if (onDataEditor) {
    onDataEditor(dataEditorTable);
  }
}

std::unique_ptr<ProgressView> TestHost::StartProgress(std::string_view title) {
  progressTitles.emplace_back(title);
  return std::make_unique<RecordedProgress>(*this);
}

bool TestHost::Logged(std::string_view line) const {
  return std::find(log.begin(), log.end(), line) != log.end();
}

void CommandTest::SetUp() {
  uniaccess::testing::MysqlTest::SetUp();
  dialogs_ = std::make_unique<platform::testing::ScriptedUserDialogs>();
  host_ = std::make_unique<TestHost>();
  host_->settingsPath = directory_.File("Brindle.ini");
  host_->settings.outDir = directory_.Path().string() + "/";
  host_->settings.sqlDir = host_->settings.outDir;
  commands_ = std::make_unique<ClientCommands>(*host_);
}

void CommandTest::TearDown() {
  commands_.reset();
  if (host_) {
    host_->dataEditorTable.Close();
    host_->components.CloseAll();
  }
  host_.reset();
  dialogs_.reset();
  uniaccess::testing::MysqlTest::TearDown();
}

void CommandTest::ConnectHost() {
  for (uniaccess::TUniSQLDatabase* database : {&host_->components.DB1, &host_->components.DB2}) {
    Configure(*database);
  }
  host_->currentDatabase = database_;
}

void CommandTest::RememberTable(const std::string& table) {
  host_->remembered = TreeNode{TreeLevel::kTable, table, database_};
}

void CommandTest::RememberDatabase(const std::string& database) {
  host_->remembered = TreeNode{TreeLevel::kDatabase, database, "root"};
}

std::string CommandTest::UnwritablePath(const std::string& name) const {
  const std::string blocker = directory_.File("a-regular-file");
  platform::testing::WriteFileBytes(blocker, "not a directory");
  return blocker + "/" + name;
}

}  // namespace app::testing
