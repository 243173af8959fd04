// A driver set-up library for tests. Its ConfigDSN, which the ODBC installer calls for
// SQLConfigDataSource, appends what it was asked to the file named by QUILLON_SETUP_LOG:
//   request=<n>
//   driver=<name>
//   attribute=<text>   (one line per attribute, up to the list's end)
//   end
// It fails when QUILLON_SETUP_FAIL is set, and succeeds otherwise.
#include <odbcinst.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" __attribute__((visibility("default"))) BOOL ConfigDSN(HWND, WORD request,
                                                                  LPCSTR driver,
                                                                  LPCSTR attributes) {
  const char* logName = std::getenv("QUILLON_SETUP_LOG");
  if (logName != nullptr) {
    if (FILE* log = std::fopen(logName, "a")) {
      std::fprintf(log, "request=%u\ndriver=%s\n", static_cast<unsigned>(request),
                   driver != nullptr ? driver : "(null)");
      for (const char* at = attributes; at != nullptr && *at != '\0'; at += std::strlen(at) + 1)
        std::fprintf(log, "attribute=%s\n", at);
      std::fprintf(log, "end\n");
      std::fclose(log);
    }
  }
  return std::getenv("QUILLON_SETUP_FAIL") == nullptr;
}
