#include "tests/support/TestHTTPServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

void keepProxiesAway() { setenv("no_proxy", "127.0.0.1,localhost", 1); }

}  // namespace

TestCertificate makeTestCertificate(const std::string& dir) {
    TestCertificate c{dir + "/server.crt", dir + "/server.key"};
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1"
                                " -addext subjectAltName=IP:127.0.0.1,DNS:localhost -keyout '" +
                                c.keyFile + "' -out '" + c.certFile + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << "openssl could not make a certificate";
    return c;
}

TestHTTPServer::TestHTTPServer() : server_(std::make_unique<httplib::Server>()) { keepProxiesAway(); }

TestHTTPServer::TestHTTPServer(const TestCertificate& certificate)
    : server_(std::make_unique<httplib::SSLServer>(certificate.certFile.c_str(), certificate.keyFile.c_str())),
      tls_(true) {
    keepProxiesAway();
}

TestHTTPServer::~TestHTTPServer() {
    stopping_ = true;
    server_->stop();
    if (thread_.joinable()) thread_.join();
}

void TestHTTPServer::start() {
    ASSERT_TRUE(server_->is_valid()) << "the test server could not be set up";
    port_ = server_->bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0) << "the test server found no port";
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    for (int i = 0; i < 500 && !server_->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(server_->is_running()) << "the test server did not start";
}

std::string TestHTTPServer::url(const std::string& path) const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

void TestHTTPServer::pause(int ms) const {
    for (int waited = 0; waited < ms && !stopping_; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}
