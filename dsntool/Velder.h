// Velder: the command line of velder, which creates or removes an ODBC data source from a
// description file (see DSNFile for its format).
//
//   velder file        add the data source the file describes
//   velder file -D     remove it (-d also)
//   velder, velder ?, velder /?, velder -?, three or more arguments: the usage text only
//   velder file other  the usage text, then add
//
// The result is one line on standard output ("DSN added:", "DSN removed:", "Unable to add
// DSN:", "Unable to remove DSN:") followed by the first attribute; a file that cannot be
// read gives "File not found:" and its name. Why something failed, when known, goes to
// standard error. The exit status is 0 for the usage text and for success, 1 for failure.
#pragma once

#include "dsntool/ODBCInstaller.h"

#include <ostream>
#include <string>
#include <vector>

class Velder {
public:
  // `currentDir` is what "#DIR#" stands for; empty when it cannot be read.
  Velder(IDSNInstaller& installer, std::ostream& out, std::ostream& err, std::string currentDir)
      : installer_(installer), out_(out), err_(err), currentDir_(std::move(currentDir)) {}

  // Runs the command line `arguments` (without the program name); returns the exit status.
  int run(const std::vector<std::string>& arguments);

  static void printUsage(std::ostream& out);

private:
  int configure(const std::string& file, DSNRequest request);

  IDSNInstaller& installer_;
  std::ostream& out_;
  std::ostream& err_;
  std::string currentDir_;
};
