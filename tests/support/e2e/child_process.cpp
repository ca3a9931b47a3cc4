#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

#include "tests/support/e2e/e2e_harness.h"

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads what fd holds into text; closes it (and sets it to -1) at end of file.
void drain(int& fd, std::string& text) {
  char buffer[4096];
  while (fd >= 0) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      text.append(buffer, static_cast<size_t>(got));
    } else if (got == 0) {
      close(fd);
      fd = -1;
    } else {
      return;  // EAGAIN: nothing more for now
    }
  }
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& working_directory) {
  int out_pipe[2], err_pipe[2];
  if (pipe(out_pipe) != 0) throw std::runtime_error("pipe failed");
  if (pipe(err_pipe) != 0) {
    close(out_pipe[0]);
    close(out_pipe[1]);
    throw std::runtime_error("pipe failed");
  }
  // A pipe tells the parent whether exec worked.
  int exec_pipe[2];
  if (pipe2(exec_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");

  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    const int null_fd = open("/dev/null", O_RDONLY);
    dup2(null_fd, 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    close(out_pipe[0]);
    close(err_pipe[0]);
    close(exec_pipe[0]);
    if (!working_directory.empty() && chdir(working_directory.c_str()) != 0) {
      const char failure = 'd';
      (void)!write(exec_pipe[1], &failure, 1);
      _exit(127);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    const char failure = 'e';
    (void)!write(exec_pipe[1], &failure, 1);
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  close(exec_pipe[1]);
  char failure = 0;
  const bool failed = read(exec_pipe[0], &failure, 1) == 1;
  close(exec_pipe[0]);
  out_fd_ = out_pipe[0];
  err_fd_ = err_pipe[0];
  fcntl(out_fd_, F_SETFL, O_NONBLOCK);
  fcntl(err_fd_, F_SETFL, O_NONBLOCK);
  if (failed) {
    wait_for_exit(5.0);
    throw std::runtime_error((failure == 'd' ? "cannot enter " + working_directory
                                             : "cannot run " + program));
  }
}

ChildProcess::~ChildProcess() {
  if (running()) {
    kill(pid_, SIGKILL);
    wait_for_exit(10.0);
  }
  if (out_fd_ >= 0) close(out_fd_);
  if (err_fd_ >= 0) close(err_fd_);
}

void ChildProcess::pump(int timeout_ms) {
  pollfd fds[2];
  int count = 0;
  if (out_fd_ >= 0) fds[count++] = {out_fd_, POLLIN, 0};
  if (err_fd_ >= 0) fds[count++] = {err_fd_, POLLIN, 0};
  if (count == 0) {
    if (timeout_ms > 0) usleep(static_cast<useconds_t>(timeout_ms) * 1000);
    return;
  }
  poll(fds, static_cast<nfds_t>(count), timeout_ms);
  drain(out_fd_, out_);
  drain(err_fd_, err_);
}

const std::string& ChildProcess::output() {
  pump(0);
  return out_;
}

const std::string& ChildProcess::errors() {
  pump(0);
  return err_;
}

bool ChildProcess::wait_for_output(const std::string& text, double timeout_seconds, size_t from) {
  const auto start = Clock::now();
  while (true) {
    pump(0);
    if (out_.size() > from && out_.find(text, from) != std::string::npos) return true;
    if (seconds_since(start) > timeout_seconds) return false;
    if (out_fd_ < 0 && !running()) return false;
    pump(20);
  }
}

std::vector<std::string> ChildProcess::lines_starting_with(const std::string& prefix) {
  pump(0);
  std::vector<std::string> lines;
  size_t begin = 0;
  while (true) {
    const size_t end = out_.find('\n', begin);
    if (end == std::string::npos) break;
    if (out_.compare(begin, prefix.size(), prefix) == 0) {
      lines.push_back(out_.substr(begin, end - begin));
    }
    begin = end + 1;
  }
  return lines;
}

bool ChildProcess::running() {
  if (status_ >= 0) return false;
  int raw = 0;
  const pid_t done = waitpid(pid_, &raw, WNOHANG);
  if (done != pid_) return true;
  status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return false;
}

int ChildProcess::wait_for_exit(double timeout_seconds) {
  const auto start = Clock::now();
  while (running()) {
    if (seconds_since(start) > timeout_seconds) return -1;
    pump(20);
  }
  pump(0);
  return status_;
}

}  // namespace e2e
