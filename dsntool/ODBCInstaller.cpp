// ODBCInstaller: the set-up library path and the profile path of adding a data source.
#include "dsntool/ODBCInstaller.h"

#include <dlfcn.h>
#include <odbcinst.h>
#include <sqlext.h>
#include <strings.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace {

constexpr const char* kDriversFile = "odbcinst.ini";
constexpr const char* kSourcesFile = "odbc.ini";

std::string profileValue(const std::string& section, const char* key, const char* file) {
  char value[1024] = {};
  int length = SQLGetPrivateProfileString(section.c_str(), key, "", value, sizeof value, file);
  return length > 0 ? std::string(value) : std::string();
}

// The attributes of a zero-separated list, up to the first empty one (the list's end as
// the installer reads it).
std::vector<std::string> attributeList(const std::string& attributes) {
  std::vector<std::string> list;
  for (const char* at = attributes.c_str(); *at != '\0'; at += list.back().size() + 1)
    list.emplace_back(at);
  return list;
}

// The installer's configuration mode for the lifetime of the object.
class ConfigMode {
public:
  explicit ConfigMode(UWORD mode) {
    SQLGetConfigMode(&saved_);
    SQLSetConfigMode(mode);
  }
  ConfigMode(const ConfigMode&) = delete;
  ConfigMode& operator=(const ConfigMode&) = delete;
  ~ConfigMode() { SQLSetConfigMode(saved_); }

private:
  UWORD saved_ = ODBC_BOTH_DSN;
};

std::string installerError() {
  std::string text;
  for (WORD record = 1; record <= 8; ++record) {
    DWORD code = 0;
    char message[SQL_MAX_MESSAGE_LENGTH] = {};
    WORD length = 0;
    if (SQLInstallerError(record, &code, message, sizeof message, &length) != SQL_SUCCESS)
      break;
    if (!text.empty())
      text += "; ";
    text += message;
  }
  return text;
}

}  // namespace

bool ODBCInstaller::hasConfigDSN(const std::string& driver) {
  std::string setup = profileValue(driver, "Setup64", kDriversFile);
  if (setup.empty())
    setup = profileValue(driver, "Setup", kDriversFile);
  if (setup.empty())
    return false;
  std::vector<std::string> candidates = {setup};
  // A bare file name is looked for beside the driver library as well.
  std::string library = profileValue(driver, "Driver", kDriversFile);
  if (setup.find('/') == std::string::npos && library.find('/') != std::string::npos)
    candidates.push_back((std::filesystem::path(library).parent_path() / setup).string());
  for (const std::string& candidate : candidates) {
    void* handle = dlopen(candidate.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr)
      continue;
    bool found = dlsym(handle, "ConfigDSN") != nullptr;
    dlclose(handle);
    return found;
  }
  return false;
}

DSNResult ODBCInstaller::configure(DSNRequest request, const std::string& driver,
                                   const std::string& attributes) {
  if (profileValue(driver, "Driver", kDriversFile).empty())
    return {false, "the driver \"" + driver + "\" is not registered in odbcinst.ini"};
  if (hasConfigDSN(driver))
    return configureThroughSetup(request, driver, attributes);
  return writeProfile(request, driver, attributes);
}

DSNResult ODBCInstaller::configureThroughSetup(DSNRequest request, const std::string& driver,
                                               const std::string& attributes) {
  BOOL ok = SQLConfigDataSource(nullptr, static_cast<WORD>(request), driver.c_str(),
                                attributes.c_str());
  if (ok)
    return {true, ""};
  return {false, installerError()};
}

DSNResult ODBCInstaller::writeProfile(DSNRequest request, const std::string& driver,
                                      const std::string& attributes) {
  std::string dsn;
  std::vector<std::pair<std::string, std::string>> settings;
  for (const std::string& attribute : attributeList(attributes)) {
    size_t equals = attribute.find('=');
    if (equals == std::string::npos || equals == 0)
      return {false, "attribute without a key: \"" + attribute + "\""};
    std::string key = attribute.substr(0, equals);
    std::string value = attribute.substr(equals + 1);
    if (strcasecmp(key.c_str(), "DSN") == 0)
      dsn = value;
    else
      settings.emplace_back(std::move(key), std::move(value));
  }
  if (dsn.empty())
    return {false, "no DSN= attribute names the data source"};
  if (!SQLValidDSN(dsn.c_str()))
    return {false, "\"" + dsn + "\" is no valid data-source name (at most " +
                       std::to_string(SQL_MAX_DSN_LENGTH) +
                       " characters, none of []{}(),;?*=!@\\)"};

  ConfigMode userSources(ODBC_USER_DSN);
  if (request == DSNRequest::Remove) {
    if (profileValue(dsn, "Driver", kSourcesFile).empty())
      return {false, "no user data source named \"" + dsn + "\""};
    if (!SQLRemoveDSNFromIni(dsn.c_str()))
      return {false, installerError()};
    return {true, ""};
  }
  if (!SQLWriteDSNToIni(dsn.c_str(), driver.c_str()))
    return {false, "cannot write the data source \"" + dsn + "\": " + installerError()};
  for (const auto& [key, value] : settings)
    if (!SQLWritePrivateProfileString(dsn.c_str(), key.c_str(), value.c_str(), kSourcesFile))
      return {false, "cannot write " + key + " of \"" + dsn + "\": " + installerError()};
  return {true, ""};
}
