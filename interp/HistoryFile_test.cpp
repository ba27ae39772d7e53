// Tests of the history file beyond what the terminal sessions show: which
// path is used, what reading keeps, and a file that fails on every write.
#include "interp/HistoryFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace interp {
namespace {

// A scratch directory with the warnings written to a file in it.
class HistoryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dvsql-history-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    dir_ = pattern;
    errPath_ = dir_ + "/err";
    errFd_ = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(errFd_, 0);
    err_ = std::make_unique<OutputBuffer>(errFd_, nullptr);
  }
  void TearDown() override {
    err_.reset();
    ::close(errFd_);
    std::system(("rm -rf " + dir_).c_str());
  }
  static std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string warnings() {
    err_->flush();
    return contents(errPath_);
  }

  std::string dir_;
  std::string errPath_;
  int errFd_ = -1;
  std::unique_ptr<OutputBuffer> err_;
};

TEST(HistoryPathTest, VariableThenHomeThenNone) {
  EXPECT_EQ("/x/h", historyPath("/x/h", "/home/u"));
  EXPECT_EQ("/home/u/.dvsql_history", historyPath("", "/home/u"));
  EXPECT_EQ("/home/u/.dvsql_history", historyPath(nullptr, "/home/u/"));
  EXPECT_EQ("", historyPath(nullptr, nullptr));
  EXPECT_EQ("", historyPath("", ""));
}

TEST_F(HistoryFileTest, LoadSkipsEmptyAndOverlongLinesEndsAnUnendedLastLineAndAddSkipsRepeats) {
  const std::string path = dir_ + "/h";
  std::ofstream(path) << "one\n\n" << std::string(21, 'x') << "\ntwo\nlast without newline";
  {
    HistoryFile file(path, err_.get());
    EXPECT_EQ((std::vector<std::string>{"one", "two", "last without newline"}), file.load(20));
    EXPECT_FALSE(file.add("last without newline", 20));  // the same as the entry before
    EXPECT_FALSE(file.add(" \t ", 3));
    EXPECT_FALSE(file.add("", 0));
    EXPECT_TRUE(file.add("three", 5));
    EXPECT_FALSE(file.add("three", 5));
    EXPECT_TRUE(file.add("two", 3));  // equal to an older entry only
  }
  EXPECT_EQ("one\n\n" + std::string(21, 'x') + "\ntwo\nlast without newline\nthree\ntwo\n",
            contents(path));
  EXPECT_EQ("", warnings());
}

TEST_F(HistoryFileTest, AFileThatFailsEveryWriteIsOneWarningAndTheHistoryGoesOn) {
  HistoryFile file("/dev/full", err_.get());
  EXPECT_TRUE(file.load(100).empty());
  EXPECT_TRUE(file.add("select 1", 8));
  EXPECT_TRUE(file.add("select 2", 8));  // still added, in memory only
  EXPECT_FALSE(file.add("select 2", 8));
  EXPECT_EQ("dvsql: cannot write history file /dev/full: No space left on device\n", warnings());
}

}  // namespace
}  // namespace interp
