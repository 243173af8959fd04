// PGServer: a throw-away PostgreSQL server for tests and benchmarks.
//
// It makes a cluster with initdb in a temporary folder, starts it on a free loopback port
// (no other address is listened on) and stops it and removes the folder when destroyed.
// initdb and the server refuse to run as root, so as root both run as the `postgres` system
// user. A watchdog shell that holds one end of a pipe stops the server and removes the folder
// should the test process die without running its destructor.
//
// The constructor throws std::runtime_error with the reason (and the server log) when the
// server cannot be made or started; the caller must fail, not skip.
#pragma once

#include <string>
#include <sys/types.h>

class PGServer {
public:
  PGServer();
  // Not copyable: one server, one owner.
  PGServer(const PGServer&) = delete;
  PGServer& operator=(const PGServer&) = delete;
  ~PGServer();

  int port() const { return port_; }
  const std::string& dir() const { return dir_; }

private:
  std::string tool(const std::string& name) const;
  std::string asOwner(const std::string& command) const;
  bool start();
  void startWatchdog();

  std::string binDir_;
  std::string dir_;
  int port_ = 0;
  int watchdogPipe_ = -1;
  pid_t watchdog_ = -1;
};
