// Process helpers over fork and exec.
#include "process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

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

int WaitFor(Child& child, double seconds) {
  if (child.pid <= 0) return -1;
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    const pid_t r = waitpid(child.pid, &status, WNOHANG);
    if (r == child.pid) {
      child.pid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
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
  for (int i = 0; i < 50; ++i) {
    if (waitpid(child.pid, nullptr, WNOHANG) == child.pid) {
      child.pid = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(child.pid, SIGKILL);
  waitpid(child.pid, nullptr, 0);
  child.pid = -1;
}
