#pragma once
// One private server for a whole test binary: started before the first test, stopped after the
// last (also when tests fail), shared by every test of the binary.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vantor::test {

template <class Server>
class ServerEnvironment : public testing::Environment {
  public:
    // Registers the environment with GoogleTest, which owns it.
    static ServerEnvironment* Register(std::vector<std::string> ldifFiles) {
        auto* environment = new ServerEnvironment(std::move(ldifFiles));
        testing::AddGlobalTestEnvironment(environment);
        return environment;
    }

    void SetUp() override {
        if (Server::Unavailable().empty()) {
            server_ = Server::Start(ldifFiles_, error_);
        }
    }
    void TearDown() override { server_.reset(); }

    Server* server() const { return server_.get(); }
    const std::string& Error() const { return error_; }

  private:
    explicit ServerEnvironment(std::vector<std::string> ldifFiles)
        : ldifFiles_(std::move(ldifFiles)) {}

    std::vector<std::string> ldifFiles_;
    std::unique_ptr<Server> server_;
    std::string error_;
};

}  // namespace vantor::test

// Skips the test when the server is not installed, fails it when the server did not start.
#define REQUIRE_SERVER(environment, Server)                                    \
    do {                                                                       \
        if (const std::string why = Server::Unavailable(); !why.empty()) {     \
            GTEST_SKIP() << why;                                               \
        }                                                                      \
        ASSERT_NE((environment)->server(), nullptr) << (environment)->Error(); \
    } while (false)
