// Velder: the argument table, the usage text and the result lines, against an installer
// that records what it is asked.
#include "dsntool/Velder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct Call {
  DSNRequest request;
  std::string driver;
  std::string attributes;
};

class RecordingInstaller final : public IDSNInstaller {
public:
  DSNResult configure(DSNRequest request, const std::string& driver,
                      const std::string& attributes) override {
    calls.push_back({request, driver, attributes});
    return {succeed, succeed ? "" : "driver said no"};
  }
  std::vector<Call> calls;
  bool succeed = true;
};

std::string usageText() {
  std::ostringstream out;
  Velder::printUsage(out);
  return out.str();
}

class VelderRun : public testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("velder-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    sample_ = (dir_ / "sample.txt").string();
    std::ofstream(sample_) << "Microsoft Access Driver (*.mdb)\nDSN=Pennark-Prices\n"
                              "DBQ=#DIR#Prices.mdb\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  int run(const std::vector<std::string>& arguments) {
    out_.str("");
    err_.str("");
    Velder velder(installer_, out_, err_, "/home/d/");
    return velder.run(arguments);
  }

  fs::path dir_;
  std::string sample_;
  RecordingInstaller installer_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST(VelderUsage, KeepsItsTwentyNineLinesAndTheSampleFile) {
  std::istringstream text(usageText());
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);)
    lines.push_back(line);
  ASSERT_EQ(lines.size(), 29u);
  const std::string rule =
      ">-------------------------------------------------------------------------<";
  EXPECT_EQ(lines[0], rule);
  EXPECT_EQ(lines[28], rule);
  EXPECT_EQ(lines[1], "velder 1.5:");
  EXPECT_EQ(lines[8], "     SQLConfigDataSource()");
  EXPECT_EQ(lines[12], "     #DIR#");
  EXPECT_EQ(lines[17], "To delete a DSN add a second argument:  -D");
  EXPECT_EQ(lines[20], "Microsoft Access Driver (*.mdb)");
  EXPECT_EQ(lines[21], "DSN=Pennark-Prices");
  EXPECT_EQ(lines[22], "DBQ=#DIR#Prices.mdb");
  for (int empty : {6, 10, 14, 16, 18, 23, 27})
    EXPECT_EQ(lines[static_cast<size_t>(empty)], "") << "line " << empty + 1;
}

TEST_F(VelderRun, FollowsTheArgumentTable) {
  struct Row {
    const char* name;
    std::vector<std::string> arguments;
    bool usage;
    int calls;
    DSNRequest request;
  };
  const Row rows[] = {
      {"none", {}, true, 0, DSNRequest::Add},
      {"?", {"?"}, true, 0, DSNRequest::Add},
      {"/?", {"/?"}, true, 0, DSNRequest::Add},
      {"-?", {"-?"}, true, 0, DSNRequest::Add},
      {"file", {sample_}, false, 1, DSNRequest::Add},
      {"file -D", {sample_, "-D"}, false, 1, DSNRequest::Remove},
      {"file -d", {sample_, "-d"}, false, 1, DSNRequest::Remove},
      {"file other", {sample_, "-x"}, true, 1, DSNRequest::Add},
      {"three", {sample_, "-D", "x"}, true, 0, DSNRequest::Add},
      {"four", {sample_, "-D", "x", "y"}, true, 0, DSNRequest::Add},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    installer_.calls.clear();
    EXPECT_EQ(run(row.arguments), 0);
    EXPECT_EQ(out_.str().starts_with(usageText()), row.usage) << out_.str();
    ASSERT_EQ(installer_.calls.size(), static_cast<size_t>(row.calls));
    if (row.calls == 1) {
      EXPECT_EQ(installer_.calls[0].request, row.request);
    }
  }
}

TEST_F(VelderRun, HandsTheSampleToTheInstallerAndPrintsTheFirstAttribute) {
  EXPECT_EQ(run({sample_}), 0);
  ASSERT_EQ(installer_.calls.size(), 1u);
  EXPECT_EQ(installer_.calls[0].driver, "Microsoft Access Driver (*.mdb)");
  EXPECT_EQ(installer_.calls[0].attributes,
            "DSN=Pennark-Prices\0DBQ=/home/d/Prices.mdb\0\0"s);
  EXPECT_EQ(out_.str(), "DSN added:\nDSN=Pennark-Prices\n");

  EXPECT_EQ(run({sample_, "-d"}), 0);
  EXPECT_EQ(out_.str(), "DSN removed:\nDSN=Pennark-Prices\n");
}

TEST_F(VelderRun, ReportsFailuresWithTheirLinesAndAStatus) {
  installer_.succeed = false;
  EXPECT_EQ(run({sample_}), 1);
  EXPECT_EQ(out_.str(), "Unable to add DSN:\nDSN=Pennark-Prices\n");
  EXPECT_NE(err_.str().find("driver said no"), std::string::npos);
  EXPECT_EQ(run({sample_, "-D"}), 1);
  EXPECT_EQ(out_.str(), "Unable to remove DSN:\nDSN=Pennark-Prices\n");

  std::string absent = (dir_ / "absent.txt").string();
  EXPECT_EQ(run({absent}), 1);
  EXPECT_EQ(out_.str(), "File not found:\n" + absent + "\n");

  installer_.calls.clear();
  std::string tooLong = (dir_ / "long.txt").string();
  std::ofstream(tooLong) << "Driver\nDSN=" << std::string(300, 'x') << "\n";
  EXPECT_EQ(run({tooLong}), 1);
  EXPECT_TRUE(installer_.calls.empty()) << "a refused file must not reach the installer";
  EXPECT_EQ(out_.str(), "");
  EXPECT_NE(err_.str().find("more than 255"), std::string::npos) << err_.str();
}

}  // namespace
