#include "tests/test_support.h"

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace testsupport {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "rawsplit-test-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  const char* made = mkdtemp(buf.data());
  path_ = made ? made : "";
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

void write_file(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void write_text(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool file_exists(const std::string& path) {
  return std::filesystem::exists(path);
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Child side of run_rawsplit: never returns.
static void exec_child(const std::string& cwd, const std::vector<std::string>& args,
                       const std::vector<std::string>& env, long limit, int out_fd, int err_fd) {
  dup2(out_fd, 1);
  dup2(err_fd, 2);
  if (chdir(cwd.c_str()) != 0) _exit(127);
  setenv("RAWSPLIT_CONFIG", "/nonexistent/rawsplit.conf", 1);
  for (const std::string& e : env) putenv(strdup(e.c_str()));
  if (limit > 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    setrlimit(RLIMIT_FSIZE, &rl);
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(RAWSPLIT_BINARY));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(RAWSPLIT_BINARY, argv.data());
  _exit(127);
}

// Reads both pipes to their ends (whichever has data, so that neither can
// fill up and stall the child) into the result, and closes them.
static void drain_pipes(int out_fd, int err_fd, RunResult& result) {
  struct pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&result.output, &result.error};
  int open_count = 2;
  char buf[4096];
  while (open_count > 0 && poll(fds, 2, -1) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<size_t>(n));
        continue;
      }
      close(fds[i].fd);
      fds[i].fd = -1;
      --open_count;
    }
  }
}

RunResult run_rawsplit(const std::string& cwd, const std::vector<std::string>& args,
                       const std::vector<std::string>& env, long file_size_limit) {
  RunResult result;
  int out[2], err[2];
  if (pipe(out) != 0) return result;
  if (pipe(err) != 0) {
    close(out[0]);
    close(out[1]);
    return result;
  }
  pid_t pid = fork();
  if (pid == 0) {
    close(out[0]);
    close(err[0]);
    exec_child(cwd, args, env, file_size_limit, out[1], err[1]);
  }
  close(out[1]);
  close(err[1]);
  drain_pipes(out[0], err[0], result);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
  return result;
}

DatRun run_on_input(const std::string& name, const Bytes& input, std::vector<std::string> args) {
  TempDir dir;
  write_file(dir.file(name), input);
  args.push_back(name);
  const RunResult r = run_rawsplit(dir.path(), args);
  DatRun run{r.status, r.output, "", {}};
  for (const char* extension : {".dat", ".tgd"}) {
    const std::string dat = dir.file(name.substr(0, name.find('.')) + extension);
    if (!file_exists(dat)) continue;
    run.extension = extension;
    run.dat = read_file(dat);
  }
  return run;
}

std::vector<Bytes> dat_records(const Bytes& dat) {
  std::vector<Bytes> out;
  for (size_t at = kDatStartBytes; at + 4 <= dat.size();) {
    const uint8_t type = dat[at + 3];
    const bool wide = type == 11 || type == 17 || type == 27 || type == 29 || type == 98 ||
                      type == 99 || type == 102;
    const size_t n = dat[at + 1] | (wide ? dat[at + 2] << 8 : 0);
    if (n < 4 || at + n > dat.size()) {
      out.push_back({});  // no record here: an empty one ends the list
      break;
    }
    out.emplace_back(dat.begin() + at, dat.begin() + at + n);
    at += n;
  }
  return out;
}

}  // namespace testsupport
