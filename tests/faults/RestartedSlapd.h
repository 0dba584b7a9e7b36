#pragma once
// slapd started again over the configuration, the databases and the port of a test server that
// was killed: the same server back after a crash, as a client that keeps its URI sees it.

#include <sys/types.h>

#include <string>

#include "support/SlapdServer.h"

namespace vantor::test {

class RestartedSlapd {
  public:
    // server must have been stopped (Kill()); it keeps its folder and its claim on the port.
    explicit RestartedSlapd(const SlapdServer& server);
    // Stops slapd again (SIGINT, then SIGKILL after a few seconds).
    ~RestartedSlapd();
    RestartedSlapd(const RestartedSlapd&) = delete;
    RestartedSlapd& operator=(const RestartedSlapd&) = delete;

    // False when slapd did not come back within a few seconds (the reason in Error()).
    bool Running() const { return pid_ > 0; }
    const std::string& Error() const { return error_; }

  private:
    pid_t pid_ = -1;
    std::string error_;
};

}  // namespace vantor::test
