// DSNFile: reads a data-source description file into a driver name and the attribute list
// that the ODBC installer takes.
//
// Line 1 is the driver name, every further line one attribute ("DSN=...", "Database=...").
// In attribute lines "#DIR#" becomes the current directory (nothing is added after it);
// any other text between two '#' is dropped with both '#'; a '#' with no closing '#' drops
// the rest of its line ("#DIR" there still inserts the directory first). Lines may end in
// LF or CR LF.
//
// The attribute list holds each attribute followed by a zero byte, and one more zero byte at
// the end; like the installer's buffer it has room for kMaxAttributeList bytes. A file that
// does not fit (a line over kMaxLine characters, a directory over kMaxDirectory characters,
// or a list over kMaxAttributeList bytes) is refused as a whole, with the reason.
#pragma once

#include <string>
#include <string_view>

struct DSNDescription {
  std::string driver;
  std::string attributes;  // "a\0b\0\0"

  // The text of the first attribute, up to its zero byte.
  std::string firstAttribute() const { return attributes.c_str(); }
};

class DSNFile {
public:
  static constexpr size_t kMaxAttributeList = 5100;
  static constexpr size_t kMaxLine = 255;
  static constexpr size_t kMaxDirectory = 255;

  enum class Status { Read, NotFound, Refused };

  // Reads `path`; `currentDir` is what "#DIR#" stands for (empty: it cannot be known).
  // On Refused, `reason` says what and where.
  static Status read(const std::string& path, const std::string& currentDir,
                     DSNDescription& description, std::string& reason);

  // One attribute line with "#DIR#" expanded and other "#...#" text dropped. `usedDir` is
  // set when the directory was inserted.
  static std::string expandLine(std::string_view line, std::string_view dir, bool& usedDir);
};
