// A program of this project run as a child process by the tests:
// started with an argument vector and the test's environment (with changes),
// its standard error collected, its exit status awaited; killed if a test
// ends while it still runs. The program may be a launcher of the program
// under test (Wine, for a Windows build), given as the first argument.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class ProgramProcess {
 public:
  // env_changes: "NAME=value" sets a variable, a bare "NAME" removes it;
  // arguments follow the program's name in its argument vector.
  explicit ProgramProcess(std::string program, std::vector<std::string> env_changes = {},
                          std::vector<std::string> arguments = {}) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    for (const auto& change : env_changes) {
      const std::string name = change.substr(0, change.find('='));
      std::erase_if(env, [&](const std::string& e) { return e.rfind(name + "=", 0) == 0; });
      if (change.find('=') != std::string::npos) env.push_back(change);
    }
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    std::vector<char*> argv{program.data()};
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    stderr_fd_ = pipe_fds[0];
  }

  ~ProgramProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (stderr_fd_ >= 0) close(stderr_fd_);
  }

  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  // The signal that ended it; 0 when it exited (or has not ended).
  int Signal() const { return signal_; }

  // Waits up to timeout for the process to end; its exit status, or -1.
  int WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      int status = 0;
      const pid_t r = waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        exited_ = true;
        signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      if (std::chrono::steady_clock::now() >= deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  // What it wrote to standard error, read once it has ended. Not read to
  // the pipe's end: a process started on its behalf (Wine's desktop) may
  // keep the pipe open.
  std::string Stderr() {
    fcntl(stderr_fd_, F_SETFL, fcntl(stderr_fd_, F_GETFL) | O_NONBLOCK);
    std::string out;
    char buffer[512];
    ssize_t n;
    while ((n = read(stderr_fd_, buffer, sizeof buffer)) > 0)
      out.append(buffer, static_cast<std::size_t>(n));
    return out;
  }

 private:
  pid_t pid_ = -1;
  int stderr_fd_ = -1;
  bool exited_ = false;
  int signal_ = 0;
};
