// DSNFile: "#" processing of attribute lines, and the limits that refuse a file whole.
#include "dsntool/DSNFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i)
    out += text;
  return out;
}

TEST(DSNFileExpand, ReplacesDirAndDropsOtherHashText) {
  struct Row {
    const char* line;
    const char* expected;
    bool usedDir;
  };
  const Row rows[] = {
      {"DBQ=#DIR#Prices.mdb", "DBQ=/work/dPrices.mdb", true},
      {"Database=#DIR#/p.db", "Database=/work/d/p.db", true},
      {"A=#DIR##DIR#", "A=/work/d/work/d", true},
      {"A=x#note#y", "A=xy", false},
      {"A=x##y", "A=xy", false},
      {"A=#dir#", "A=", false},  // only the capitals name the directory
      {"A=#DIRx#y", "A=y", false},
      {"A=x#unclosed rest", "A=x", false},
      {"DBQ=#DIR", "DBQ=/work/d", true},
      {"DBQ=#DIRPrices.mdb", "DBQ=/work/d", true},
      {"#", "", false},
      {"plain", "plain", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    bool usedDir = false;
    EXPECT_EQ(DSNFile::expandLine(row.line, "/work/d", usedDir), row.expected);
    EXPECT_EQ(usedDir, row.usedDir);
  }
}

class DSNFileRead : public testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("dsnfile-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& text) {
    std::string path = (dir_ / "in.txt").string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  DSNFile::Status read(const std::string& text, const std::string& currentDir = "/d") {
    reason_.clear();
    return DSNFile::read(write(text), currentDir, description_, reason_);
  }

  fs::path dir_;
  DSNDescription description_;
  std::string reason_;
};

TEST_F(DSNFileRead, BuildsTheZeroSeparatedList) {
  ASSERT_EQ(read("Driver X\r\nDSN=a\r\nDBQ=#DIR#f\r\n"), DSNFile::Status::Read) << reason_;
  EXPECT_EQ(description_.driver, "Driver X");
  EXPECT_EQ(description_.attributes, "DSN=a\0DBQ=/df\0\0"s);
  EXPECT_EQ(description_.firstAttribute(), "DSN=a");
}

TEST_F(DSNFileRead, KeepsAnEmptyLineAsTheEndOfTheListAsTheInstallerReadsIt) {
  ASSERT_EQ(read("D\nDSN=a\n\nDBQ=b"), DSNFile::Status::Read);
  EXPECT_EQ(description_.attributes, "DSN=a\0\0DBQ=b\0\0"s);
}

TEST_F(DSNFileRead, EmptyAndDriverOnlyFiles) {
  ASSERT_EQ(read(""), DSNFile::Status::Read);
  EXPECT_EQ(description_.driver, "");
  EXPECT_EQ(description_.attributes, "\0"s);
  ASSERT_EQ(read("Only a driver\n"), DSNFile::Status::Read);
  EXPECT_EQ(description_.driver, "Only a driver");
  EXPECT_EQ(description_.firstAttribute(), "");
}

TEST_F(DSNFileRead, MissingFilesAndFoldersAreNotFound) {
  EXPECT_EQ(DSNFile::read((dir_ / "absent").string(), "/d", description_, reason_),
            DSNFile::Status::NotFound);
  EXPECT_EQ(DSNFile::read(dir_.string(), "/d", description_, reason_),
            DSNFile::Status::NotFound);
}

TEST_F(DSNFileRead, RefusesWhatDoesNotFitAndSaysWhere) {
  // Twenty attributes of 253 characters take 5080 bytes with their zero bytes; one of 18
  // characters takes 19 more, and the list's final zero byte makes exactly 5100.
  std::string fits = "D\n";
  for (int i = 0; i < 20; ++i)
    fits += "A=" + std::string(251, 'x') + "\n";
  fits += "B=" + std::string(16, 'y') + "\n";
  ASSERT_EQ(read(fits), DSNFile::Status::Read) << reason_;
  EXPECT_EQ(description_.attributes.size(), DSNFile::kMaxAttributeList);

  struct Row {
    const char* name;
    std::string text;
    std::string currentDir;
    const char* reasonPart;
  };
  const Row rows[] = {
      {"list one byte over", fits.substr(0, fits.size() - 1) + "y\n", "/d",
       "more than 5100 bytes (at line 22)"},
      {"line over 255", "D\nA=" + std::string(254, 'x') + "\n", "/d",
       "line 2 of"},
      {"driver over 255", std::string(256, 'd') + "\n", "/d", "line 1 of"},
      {"directory over 255", "D\nDBQ=#DIR#\n", "/" + std::string(255, 'p'),
       "more than 255 characters"},
      {"directory unknown", "D\nDBQ=#DIR#\n", "", "cannot be read"},
      {"directory many times", "D\nA=" + repeat("#DIR#", 40) + "\n",
       "/" + std::string(250, 'p'), "more than 5100"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(read(row.text, row.currentDir), DSNFile::Status::Refused);
    EXPECT_NE(reason_.find(row.reasonPart), std::string::npos) << reason_;
  }
}

}  // namespace
