// Replays saved inputs of a fuzz target through the same entry the fuzzer
// runs (fuzz/Targets.h), in a build without the fuzzer: the test suite's
// guard that the corpus and the regression inputs stay harmless.
//
// Usage: fuzz_replay TARGET [--no-fork] PATH...
//
// A PATH is a file or a folder, whose regular files (not those whose name
// starts with '.') are replayed in name order. Each input runs in a child
// process of its own, so that one crash does not hide the next; --no-fork runs
// them in this process instead, for a debugger. An input fails when its run
// ends by a signal (a trap of a broken check, an abort, a sanitizer report),
// with a status other than 0, or does not end within kSecondsPerInput.
// Prints every failure and a summary; exit status 1 when an input failed or
// no input was found.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/Targets.h"

namespace {

// Far more than any input needs; a run that takes longer is stuck.
constexpr unsigned kSecondsPerInput = 60;

std::vector<std::string> inputsOf(const std::vector<std::string>& paths, bool* ok) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      std::vector<std::string> here;
      for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
        if (!entry.is_regular_file()) continue;
        if (entry.path().filename().string()[0] == '.') continue;
        here.push_back(entry.path().string());
      }
      std::sort(here.begin(), here.end());
      files.insert(files.end(), here.begin(), here.end());
    } else if (std::filesystem::is_regular_file(path, error)) {
      files.push_back(path);
    } else {
      std::fprintf(stderr, "fuzz_replay: no such file or folder: %s\n", path.c_str());
      *ok = false;
    }
  }
  return files;
}

bool readInput(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

int runInput(const std::string& path, const dv::fuzz::Target& target) {
  std::string bytes;
  if (!readInput(path, &bytes)) {
    std::fprintf(stderr, "fuzz_replay: cannot read %s\n", path.c_str());
    return 1;
  }
  return target.run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Runs one input in a child; an empty answer when it passed, else what happened.
std::string runInChild(const std::string& path, const dv::fuzz::Target& target) {
  std::fflush(nullptr);
  pid_t child = fork();
  if (child < 0) return std::string("cannot fork: ") + std::strerror(errno);
  if (child == 0) {
    alarm(kSecondsPerInput);
    // exit, not _exit: a leak checker of a sanitized build runs at exit.
    std::exit(runInput(path, target));
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return std::string("cannot wait: ") + std::strerror(errno);
  }
  if (WIFEXITED(status)) {
    if (WEXITSTATUS(status) == 0) return "";
    return "exited with status " + std::to_string(WEXITSTATUS(status));
  }
  if (WIFSIGNALED(status)) {
    int signal = WTERMSIG(status);
    if (signal == SIGALRM) return "did not end within " + std::to_string(kSecondsPerInput) + " s";
    return std::string("killed by signal ") + std::to_string(signal) + " (" + strsignal(signal) +
           ")";
  }
  return "ended in an unknown way";
}

}  // namespace

int main(int argc, char** argv) {
  const dv::fuzz::Target* target = argc > 1 ? dv::fuzz::findTarget(argv[1]) : nullptr;
  bool inChildren = true;
  std::vector<std::string> paths;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--no-fork") {
      inChildren = false;
    } else {
      paths.push_back(arg);
    }
  }
  if (target == nullptr || paths.empty()) {
    std::fprintf(stderr, "usage: fuzz_replay TARGET [--no-fork] PATH...\n");
    return 2;
  }
  bool ok = true;
  std::vector<std::string> files = inputsOf(paths, &ok);
  if (files.empty()) {
    std::fprintf(stderr, "fuzz_replay: no inputs found\n");
    return 1;
  }
  int failed = 0;
  for (const std::string& file : files) {
    if (!inChildren) {
      std::printf("running %s\n", file.c_str());
      std::fflush(stdout);
      if (runInput(file, *target) != 0) ++failed;
      continue;
    }
    std::string outcome = runInChild(file, *target);
    if (!outcome.empty()) {
      std::printf("FAILED %s: %s\n", file.c_str(), outcome.c_str());
      ++failed;
    }
  }
  std::printf("%zu inputs, %d failed\n", files.size(), failed);
  return failed == 0 && ok ? 0 : 1;
}
