// velder: creates or removes an ODBC data source from a description file.
#include "dsntool/ODBCInstaller.h"
#include "dsntool/Velder.h"

#include <unistd.h>

#include <cerrno>

#include <iostream>
#include <string>
#include <vector>

namespace {

// The current working directory, or empty text when it cannot be read.
std::string currentDirectory() {
  std::vector<char> buffer(256);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > 65536)
      return "";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    ODBCInstaller installer;
    Velder velder(installer, std::cout, std::cerr, currentDirectory());
    return velder.run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::cerr << "velder: " << e.what() << '\n';
    return 1;
  }
}
