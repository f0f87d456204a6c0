// Processes for the tests over fork, exec and poll.
#include "test_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

int ExitStatus(int raw) {
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace

RunResult RunCommand(const std::string& command) {
  RunResult result;
  int out[2], err[2];
  if (pipe(out) != 0) return result;
  if (pipe(err) != 0) {
    close(out[0]);
    close(out[1]);
    return result;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in, out[0], out[1], err[0], err[1]}) close(fd);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  // Both pipes are drained together: a child that fills one while the other
  // is being read would otherwise wait for ever.
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* text[2] = {&result.out, &result.err};
  int live = pid > 0 ? 2 : 0;
  while (live > 0) {
    if (poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        text[i]->append(buffer, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --live;
      }
    }
  }
  for (const pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }
  int raw = 0;
  if (pid > 0 && waitpid(pid, &raw, 0) == pid) result.status = ExitStatus(raw);
  return result;
}

RunResult RunOnTerminal(const std::vector<std::string>& argv) {
  RunResult result;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid == 0) {
    execv(args[0], args.data());
    _exit(127);
  }
  if (pid < 0) return result;
  char buffer[4096];
  ssize_t n;
  // The end of the output shows as an error (EIO) once the program has gone.
  while ((n = read(terminal, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) result.out.append(buffer, static_cast<size_t>(n));
  }
  close(terminal);
  int raw = 0;
  if (waitpid(pid, &raw, 0) == pid) result.status = ExitStatus(raw);
  return result;
}

Child Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            bool captureStderr) {
  int fds[2] = {-1, -1};
  if (captureStderr && pipe(fds) != 0) return {};
  Child child;
  child.pid = fork();
  if (child.pid == 0) {
    for (const std::string& e : env) {
      const size_t eq = e.find('=');
      const std::string name = e.substr(0, eq);
      if (eq + 1 == e.size()) {
        unsetenv(name.c_str());
      } else {
        setenv(name.c_str(), e.substr(eq + 1).c_str(), 1);
      }
    }
    if (captureStderr) {
      dup2(fds[1], 2);
      close(fds[0]);
      close(fds[1]);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  if (captureStderr) {
    close(fds[1]);
    child.stderrFd = fds[0];
  }
  return child;
}

bool Exited(Child& child, int* status) {
  if (child.pid <= 0) return false;
  int raw = 0;
  if (waitpid(child.pid, &raw, WNOHANG) != child.pid) return false;
  child.pid = -1;
  *status = ExitStatus(raw);
  return true;
}

int WaitFor(Child& child, double seconds) {
  int status = -1;
  if (WaitUntil([&] { return Exited(child, &status); }, seconds)) return status;
  Stop(child);
  return -1;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[1024];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  close(fd);
  return text;
}

void Stop(Child& child) {
  if (child.pid <= 0) return;
  kill(child.pid, SIGTERM);
  int status = 0;
  if (WaitUntil([&] { return Exited(child, &status); }, 1.0)) return;
  kill(child.pid, SIGKILL);
  waitpid(child.pid, nullptr, 0);
  child.pid = -1;
}

bool WaitUntil(const std::function<bool()>& done, double seconds, double stepSeconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::duration<double>(stepSeconds));
  }
  return done();
}
