// Runs a program as a user's script would and keeps its exit status and what
// it printed on standard output and standard error.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace testrun {

struct Run {
  int status = -1;  // 128 when the program did not exit by itself
  std::string out;
  std::string err;
};

// env: "NAME=VALUE" entries that replace NAME in this process's environment;
// a bare "NAME" removes it.
inline Run RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& env = {}) {
  std::string dir = (std::filesystem::temp_directory_path() / "klmw-run-XXXXXX").string();
  Run run;
  if (!::mkdtemp(dir.data())) return run;
  std::vector<std::string> words = {program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) {
    bool replaced = false;
    for (const std::string& entry : env) replaced = replaced || nameOf(entry) == nameOf(*e);
    if (!replaced) environment.push_back(*e);
  }
  for (const std::string& entry : env)
    if (entry.find('=') != std::string::npos) environment.push_back(entry);
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  const std::string out = dir + "/out", err = dir + "/err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  }
  posix_spawn_file_actions_destroy(&actions);
  auto slurp = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  run.out = slurp(out);
  run.err = slurp(err);
  std::filesystem::remove_all(dir);
  return run;
}

}  // namespace testrun
