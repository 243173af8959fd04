// Test support: an HTTP or HTTPS server on a loopback port, started by the test itself
// (cpp-httplib), and a certificate for it made with openssl.
//
// Routes are added to server() before start(); start() binds a free port on 127.0.0.1 and
// serves on a thread of its own until the object goes. Handlers that wait should watch
// stopping(), so that the server can end without waiting for them. The constructor keeps
// proxies out of the tests' way (no_proxy for the loopback addresses, inherited by the
// programs the tests start).
#pragma once

#include <httplib.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

struct TestCertificate {
    std::string certFile;
    std::string keyFile;
};

// Makes a self-signed certificate for 127.0.0.1 and localhost in `dir`; fails the test when
// openssl cannot.
TestCertificate makeTestCertificate(const std::string& dir);

class TestHTTPServer {
public:
    TestHTTPServer();
    // An HTTPS server with this certificate.
    explicit TestHTTPServer(const TestCertificate& certificate);
    ~TestHTTPServer();
    TestHTTPServer(const TestHTTPServer&) = delete;
    TestHTTPServer& operator=(const TestHTTPServer&) = delete;

    httplib::Server& server() { return *server_; }
    void start();
    int port() const { return port_; }
    // "http://127.0.0.1:PORT" + path (https for a server with a certificate).
    std::string url(const std::string& path) const;
    bool stopping() const { return stopping_; }
    // Waits up to `ms` milliseconds, in short steps, returning early when the server stops.
    void pause(int ms) const;

private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    bool tls_ = false;
    int port_ = 0;
};
