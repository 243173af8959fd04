// IDSNInstaller and ODBCInstaller: adding and removing a data source through the ODBC
// installer (unixODBC's libodbcinst).
//
// SQLConfigDataSource hands the request to the ConfigDSN of the driver's set-up library, as
// registered in odbcinst.ini. Many Linux drivers ship none (the SQLite and PostgreSQL
// drivers among them), and the installer then fails without trying. For such a driver the
// installer's own profile functions do what a set-up library would: the data source is
// written to (or removed from) the user's odbc.ini, with the driver and every attribute.
// The driver must be registered either way.
#pragma once

#include <cstdint>
#include <string>

enum class DSNRequest : uint16_t {
  Add = 1,     // ODBC_ADD_DSN
  Remove = 3,  // ODBC_REMOVE_DSN
};

struct DSNResult {
  bool ok = false;
  std::string reason;  // why it failed, when known
};

class IDSNInstaller {
public:
  virtual ~IDSNInstaller() = default;
  // Carries out `request` for `driver` with the zero-separated `attributes` list.
  virtual DSNResult configure(DSNRequest request, const std::string& driver,
                              const std::string& attributes) = 0;
};

class ODBCInstaller final : public IDSNInstaller {
public:
  DSNResult configure(DSNRequest request, const std::string& driver,
                      const std::string& attributes) override;

  // Whether the driver's registered set-up library offers ConfigDSN.
  static bool hasConfigDSN(const std::string& driver);

private:
  static DSNResult configureThroughSetup(DSNRequest request, const std::string& driver,
                                         const std::string& attributes);
  static DSNResult writeProfile(DSNRequest request, const std::string& driver,
                                const std::string& attributes);
};
