// DSNFile: line reading, "#" processing and the bounded attribute list.
#include "dsntool/DSNFile.h"

#include <filesystem>
#include <fstream>

namespace {

// Strips the line end that getline leaves from a CR LF file.
void stripCarriageReturn(std::string& line) {
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
}

}  // namespace

std::string DSNFile::expandLine(std::string_view line, std::string_view dir, bool& usedDir) {
  std::string out;
  size_t at = 0;
  while (at < line.size()) {
    if (line[at] != '#') {
      out += line[at++];
      continue;
    }
    size_t closing = line.find('#', at + 1);
    if (closing == std::string_view::npos) {
      // No closing '#': the rest of the line goes, but "#DIR" still stands for the directory.
      if (line.substr(at + 1).starts_with("DIR")) {
        out += dir;
        usedDir = true;
      }
      break;
    }
    if (line.substr(at + 1, closing - at - 1) == "DIR") {
      out += dir;
      usedDir = true;
    }
    at = closing + 1;
  }
  return out;
}

DSNFile::Status DSNFile::read(const std::string& path, const std::string& currentDir,
                              DSNDescription& description, std::string& reason) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error))
    return Status::NotFound;
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return Status::NotFound;

  description = DSNDescription{};
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    stripCarriageReturn(line);
    if (line.size() > kMaxLine) {
      reason = "line " + std::to_string(number) + " of " + path + " has " +
               std::to_string(line.size()) + " characters, more than " +
               std::to_string(kMaxLine);
      return Status::Refused;
    }
    if (number == 1) {
      description.driver = line;
      continue;
    }
    bool usedDir = false;
    std::string attribute = expandLine(line, currentDir, usedDir);
    if (usedDir && currentDir.empty()) {
      reason = "the current directory for #DIR# in line " + std::to_string(number) + " of " +
               path + " cannot be read";
      return Status::Refused;
    }
    if (usedDir && currentDir.size() > kMaxDirectory) {
      reason = "the current directory for #DIR# has more than " +
               std::to_string(kMaxDirectory) + " characters: " + currentDir;
      return Status::Refused;
    }
    // The attribute, its zero byte and the list's final zero byte must all fit.
    if (description.attributes.size() + attribute.size() + 2 > kMaxAttributeList) {
      reason = "the attributes of " + path + " need more than " +
               std::to_string(kMaxAttributeList) + " bytes (at line " +
               std::to_string(number) + ")";
      return Status::Refused;
    }
    description.attributes += attribute;
    description.attributes += '\0';
  }
  if (in.bad())
    return Status::NotFound;
  description.attributes += '\0';
  return Status::Read;
}
