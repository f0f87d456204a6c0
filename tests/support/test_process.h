// Programs run by the tests (Linux): a shell command run to its end with its
// output captured, a program run on a terminal of its own, and children
// started in the background, waited for with a deadline and ended by their
// own id only. Also the polling every test that waits for a state uses: ask
// again until it holds or a deadline passes.
#pragma once
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct RunResult {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out, err;
};

// Runs `command` with /bin/sh, standard input from /dev/null, and waits for
// it; standard output and standard error are captured apart.
RunResult RunCommand(const std::string& command);

// Runs `argv` (a path, not looked up) on a new pseudo-terminal, as a user at a
// terminal would, and waits for it; `out` is all it printed there, standard
// output and standard error together.
RunResult RunOnTerminal(const std::vector<std::string>& argv);

struct Child {
  pid_t pid = -1;
  int stderrFd = -1;  // read end of the child's stderr when captured
};

// Starts `argv` (looked up on PATH) with `env` added to this process's
// environment: entries NAME=value; NAME= with nothing after removes NAME.
Child Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            bool captureStderr = false);

// True once the child has exited; its status then goes to *status (-1 when it
// died of a signal). Does not wait.
bool Exited(Child& child, int* status);

// Waits up to `seconds`; returns the exit status, or -1 if the child did not
// exit by itself in time (it is then stopped) or died of a signal.
int WaitFor(Child& child, double seconds);

// Everything the child wrote to its captured stderr (after it has ended).
std::string ReadAll(int fd);

// Ends a child that is still running (SIGTERM, then SIGKILL) and reaps it.
void Stop(Child& child);

// Calls `done` every `stepSeconds` until it returns true (then true) or
// `seconds` have passed (then false, after one last call).
bool WaitUntil(const std::function<bool()>& done, double seconds, double stepSeconds = 0.02);
