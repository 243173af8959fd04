// Velder: argument handling, usage text and result lines.
#include "dsntool/Velder.h"

#include "dsntool/DSNFile.h"

namespace {

constexpr const char* kUsage[] = {
    ">-------------------------------------------------------------------------<",
    "velder 1.5:",
    "Reads a file containing Data Source information and creates an ODBC DSN.",
    "The input file contains several lines of text:",
    "Line 1:     the driver name",
    "Lines 2-N:  parameters such as the DSN itself and the database location",
    "",
    "For more information consult the documentation for ODBC function:",
    "     SQLConfigDataSource()",
    "... which velder uses to create the DSN.",
    "",
    "velder will substitute the current directory for the text:",
    "     #DIR#",
    "in the input file.",
    "",
    "The input file is the first argument.",
    "",
    "To delete a DSN add a second argument:  -D",
    "",
    "Sample input file:",
    "Microsoft Access Driver (*.mdb)",
    "DSN=Pennark-Prices",
    "DBQ=#DIR#Prices.mdb",
    "",
    "Line 1 specifies the driver name,",
    "Line 2 specifies the Data Source name (DSN),",
    "Line 3 specifies the database location (in the current directory).",
    "",
    ">-------------------------------------------------------------------------<",
};

bool isHelp(const std::string& argument) {
  return argument == "?" || argument == "/?" || argument == "-?";
}

}  // namespace

void Velder::printUsage(std::ostream& out) {
  for (const char* line : kUsage)
    out << line << '\n';
}

int Velder::run(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments.size() > 2 ||
      (arguments.size() == 1 && isHelp(arguments[0]))) {
    printUsage(out_);
    return 0;
  }
  if (arguments.size() == 2) {
    if (arguments[1] == "-D" || arguments[1] == "-d")
      return configure(arguments[0], DSNRequest::Remove);
    printUsage(out_);
  }
  return configure(arguments[0], DSNRequest::Add);
}

int Velder::configure(const std::string& file, DSNRequest request) {
  DSNDescription description;
  std::string reason;
  switch (DSNFile::read(file, currentDir_, description, reason)) {
  case DSNFile::Status::NotFound:
    out_ << "File not found:\n" << file << '\n';
    return 1;
  case DSNFile::Status::Refused:
    err_ << "velder: " << reason << "; nothing was changed\n";
    return 1;
  case DSNFile::Status::Read:
    break;
  }
  DSNResult result = installer_.configure(request, description.driver, description.attributes);
  bool adding = request == DSNRequest::Add;
  if (result.ok)
    out_ << (adding ? "DSN added:" : "DSN removed:") << '\n';
  else
    out_ << (adding ? "Unable to add DSN:" : "Unable to remove DSN:") << '\n';
  out_ << description.firstAttribute() << '\n';
  if (!result.ok && !result.reason.empty())
    err_ << "velder: " << result.reason << '\n';
  return result.ok ? 0 : 1;
}
