// Child processes for the end-to-end tests: start with extra environment,
// wait with a time limit, stop. Each child is ended by its own id only.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

struct Child {
  pid_t pid = -1;
  int stderrFd = -1;  // read end of the child's stderr when captured
};

// Starts `argv` with `env` added to this process's environment (entries of
// the form NAME=value; NAME= with nothing after removes NAME).
Child Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            bool captureStderr = false);

// Waits up to `seconds`; returns the exit status, or -1 if the child did not
// exit by itself in time (it is then killed) or died of a signal.
int WaitFor(Child& child, double seconds);

// Everything the child wrote to its captured stderr (after it has ended).
std::string ReadAll(int fd);

// Ends a child that is still running (SIGTERM, then SIGKILL) and reaps it.
void Stop(Child& child);
