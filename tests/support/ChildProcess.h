#pragma once
// Programs that tests start: servers that run beside the test and tools that run to their end.
// Every wait is bounded; a program that outlives its limit is killed.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "support/LoopbackPort.h"

namespace vantor::test {

// Starts argv[0] (a path) with standard input from /dev/null and its output appended to
// logFile. dieWithParent: the child is killed when this process ends, however it ends, so a
// crashed test leaves no server behind. The child's pid, or -1.
pid_t SpawnProgram(const std::vector<std::string>& argv, const std::string& logFile,
                   bool dieWithParent);

// Waits for a child to end, at most limitSeconds, then kills it. Its exit status, or -1 when it
// was killed by a signal, ran too long or was not a child.
int WaitForExit(pid_t pid, int limitSeconds);

// Sends signal to a child and waits for it to end, at most limitSeconds before SIGKILL.
void StopProgram(pid_t pid, int signal, int limitSeconds);

// Waits until the server child pid has written its pid into pidFile and accepts connections on
// the port of 127.0.0.1 (a server writes its pid file once it listens, so another server on the
// same port is not taken for it), at most limitSeconds. False when the child ended first or the
// time ran out; the child is then killed and reaped.
bool WaitUntilListening(pid_t pid, const std::string& pidFile, int port, int limitSeconds);

// Starts a server on a port of 127.0.0.1 claimed for it and waits until it listens, as
// WaitUntilListening. spawn(port, error) prepares and starts the server for that port: its pid,
// or -1 with error set. A port may be taken by another program between claiming and binding it,
// and the server then gives up: up to three ports are tried. The server's pid, or -1 with error
// set when it could not be started, and empty when it did not come up (its log tells why).
pid_t StartListening(ClaimedPort& port, const std::function<pid_t(int, std::string&)>& spawn,
                     const std::string& pidFile, int limitSeconds, std::string& error);

// Runs a program with its output appended to logFile; at most limitSeconds. The exit status, or
// -1 when it could not start, was killed by a signal or ran too long (it is then killed).
int RunProgram(const std::vector<std::string>& argv, const std::string& logFile, int limitSeconds);

// A new folder of the user's own under the temporary folder, named prefix and six random
// characters; "" when it could not be made.
std::string MakeTemporaryFolder(const std::string& prefix);

// A whole file as it is on disk; "" when it cannot be read.
std::string ReadTextFile(const std::string& path);
// Replaces a file's contents. False when it could not be written.
bool WriteTextFile(const std::string& path, const std::string& text);

}  // namespace vantor::test
