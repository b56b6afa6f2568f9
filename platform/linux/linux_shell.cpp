#include "platform/linux/linux_shell.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "support/text.h"

extern char** environ;

namespace platform::linux_shell {
namespace {

// The full path of an executable named name on PATH, or empty. Only
// absolute PATH entries are searched: an empty entry, ".", or any other
// relative one names a folder that depends on where the program happens to
// be, and a requester must not run whatever lies there.
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  const std::string entries = path;
  std::size_t begin = 0;
  while (begin <= entries.size()) {
    std::size_t end = entries.find(':', begin);
    if (end == std::string::npos) end = entries.size();
    const std::string folder = entries.substr(begin, end - begin);
    begin = end + 1;
    if (folder.empty() || folder[0] != '/') continue;
    std::string candidate = folder + "/" + name;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

bool IsKdeDesktop() {
  if (std::getenv("KDE_FULL_SESSION") != nullptr) return true;
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  return desktop != nullptr && std::string(desktop).find("KDE") != std::string::npos;
}

// Appends what the pipe holds now; false once it is closed or broken.
bool ReadAvailable(int fd, std::string& output) {
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      output.append(buffer, static_cast<std::size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      return got < 0 && errno == EAGAIN;
    }
  }
}

// Runs program with args (not through a shell), its standard input from
// /dev/null and its standard output either captured into output or sent to
// /dev/null; standard error is the host's. Nothing else the host has open
// reaches it (files a program left without close-on-exec included). The
// child starts with no blocked signals and default signal actions. Returns
// the exit status, or -1 when it could not be started or did not exit
// normally.
int Run(const std::string& program, const std::vector<std::string>& args, std::string* output) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  int pipe_ends[2] = {-1, -1};
  if (output != nullptr && pipe2(pipe_ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (output != nullptr) {
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  if (posix_spawn_file_actions_addclosefrom_np(&actions, 3) != 0) {
    // Without it the helper would inherit every descriptor: not started.
    posix_spawn_file_actions_destroy(&actions);
    if (output != nullptr) {
      close(pipe_ends[0]);
      close(pipe_ends[1]);
    }
    return -1;
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t child = -1;
  const int spawned =
      posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (output != nullptr) close(pipe_ends[1]);
  if (spawned != 0) {
    if (output != nullptr) close(pipe_ends[0]);
    return -1;
  }
  // Read until the helper exits, not until the pipe closes: a process it
  // leaves behind may hold the pipe open for as long as it runs.
  int status = 0;
  for (;;) {
    if (output != nullptr) {
      pollfd readable{pipe_ends[0], POLLIN, 0};
      if (poll(&readable, 1, 50) > 0 && !ReadAvailable(pipe_ends[0], *output)) {
        close(pipe_ends[0]);
        output = nullptr;  // closed: only the exit is left to wait for
      }
    }
    const pid_t done = waitpid(child, &status, output != nullptr ? WNOHANG : 0);
    if (done == child) break;
    if (done < 0 && errno != EINTR) {
      if (output != nullptr) close(pipe_ends[0]);
      return -1;
    }
  }
  if (output != nullptr) {
    ReadAvailable(pipe_ends[0], *output);
    close(pipe_ends[0]);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Converts each text for an argument vector (a file name that is not UTF-8
// gets its bytes back); false when one holds a NUL, which an argument cannot
// carry whole.
bool ToArgument(const std::u16string& text, std::string& argument) {
  argument = ToSystemBytes(text);
  return argument.find('\0') == std::string::npos;
}

// A path that cannot be read as an option: a leading "-" gets "./" before it.
std::string NotAnOption(const std::string& path) {
  return (!path.empty() && path[0] == '-') ? "./" + path : path;
}

std::string Replace(std::string text, const std::string& characters, char by) {
  for (char& c : text) {
    if (characters.find(c) != std::string::npos) c = by;
  }
  return text;
}

struct Group {
  std::string name;
  std::string patterns;  // blank-separated: "*.png *.jpg"
};

// Patterns as kdialog reads them in "patterns|name": a "|" would end the
// patterns early, so it becomes "?", which still matches the names it
// meant. The filter is an argument of its own, and Qt takes an argument
// starting with "-" as one of its own options wherever it stands, "--" or
// not: a pattern starting with "-" starts with the class "[-]" instead,
// which matches the same names.
std::string KdialogPatterns(const std::string& patterns) {
  std::string out;
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    const char c = patterns[i];
    if (c == '-' && (i == 0 || patterns[i - 1] == ' ')) {
      out += "[-]";
    } else {
      out += c == '|' ? '?' : c;
    }
  }
  return out;
}

// The filter groups, the one selected by filter_index first (the helpers
// select the first group they are given). Group names cannot hold the
// helpers' own separators.
bool FilterGroups(const FileDialog& request, std::vector<Group>& groups) {
  for (const auto& [name, pattern] : request.filter) {
    Group group;
    std::string native_pattern;
    if (!ToArgument(name, group.name) || !ToArgument(pattern, native_pattern)) return false;
    group.name = Replace(group.name, "|\n", ' ');
    group.patterns = Replace(native_pattern, ";\n", ' ');
    groups.push_back(group);
  }
  const int index = request.filter_index;
  if (index > 1 && static_cast<std::size_t>(index) <= groups.size()) {
    Group selected = groups[static_cast<std::size_t>(index) - 1];
    groups.erase(groups.begin() + (index - 1));
    groups.insert(groups.begin(), selected);
  }
  return true;
}

// Folder and proposed name joined into the path the dialog starts from; a
// folder alone ends with "/", which tells the helpers it is a folder.
std::string StartPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

enum class Helper { kNone, kKdialog, kZenity };

Helper FindHelper(std::string& program) {
  const bool kde = IsKdeDesktop();
  program = FindProgram(kde ? "kdialog" : "zenity");
  if (!program.empty()) return kde ? Helper::kKdialog : Helper::kZenity;
  program = FindProgram(kde ? "zenity" : "kdialog");
  if (!program.empty()) return kde ? Helper::kZenity : Helper::kKdialog;
  return Helper::kNone;
}

}  // namespace

bool OpenFileDialog(const FileDialog& request, std::u16string& chosen) {
  std::string program;
  const Helper helper = FindHelper(program);
  if (helper == Helper::kNone) return false;
  std::string title, folder, name;
  std::vector<Group> groups;
  if (!ToArgument(request.title, title) || !ToArgument(request.initial_dir, folder) ||
      !ToArgument(request.file_name, name) || !FilterGroups(request, groups)) {
    return false;
  }
  const std::string start = NotAnOption(StartPath(folder, name));

  std::vector<std::string> args;
  if (helper == Helper::kZenity) {
    // GTK reads "--option=value" whole, so a value starting with "-" stays a value.
    args = {"--file-selection", "--title=" + title};
    if (request.save) {
      args.push_back("--save");
      args.push_back("--confirm-overwrite");
    }
    if (!start.empty()) args.push_back("--filename=" + start);
    for (const auto& group : groups) {
      args.push_back("--file-filter=" + group.name + " | " + group.patterns);
    }
  } else {
    // kdialog takes the start path and the filter as positional arguments,
    // placed after "--" so that kdialog reads neither as an option; neither
    // starts with "-" either, for the toolkit's sake.
    std::string filter;
    for (const auto& group : groups) {
      if (!filter.empty()) filter += '\n';
      filter += KdialogPatterns(group.patterns) + "|" + group.name;
    }
    args = {"--title=" + title, request.save ? "--getsavefilename" : "--getopenfilename", "--",
            start.empty() ? "." : start};
    if (!filter.empty()) args.push_back(filter);
  }
  std::string output;
  const int status = Run(program, args, &output);
  return ChosenPath(status, output, chosen);
}

bool BrowseForFolder(const FolderDialog& request, std::u16string& chosen) {
  std::string program;
  const Helper helper = FindHelper(program);
  if (helper == Helper::kNone) return false;
  std::string title, path;
  if (!ToArgument(request.title, title) || !ToArgument(request.initial_path, path)) return false;
  path = NotAnOption(path);

  std::vector<std::string> args;
  if (helper == Helper::kZenity) {
    args = {"--file-selection", "--directory", "--title=" + title};
    if (!path.empty()) args.push_back("--filename=" + (path.back() == '/' ? path : path + "/"));
  } else {
    args = {"--title=" + title, "--getexistingdirectory", "--", path.empty() ? "." : path};
  }
  std::string output;
  const int status = Run(program, args, &output);
  return ChosenPath(status, output, chosen);
}

bool ChosenPath(int status, std::string_view output, std::u16string& chosen) {
  if (status != 0) return false;
  if (!output.empty() && output.back() == '\n') output.remove_suffix(1);
  if (output.empty() || output.find('\0') != std::string_view::npos) return false;
  chosen = FromSystemBytes(output);
  return true;
}

std::intptr_t OpenUrl(const std::u16string& url) {
  constexpr std::intptr_t kOpened = 33;  // any result above 32 is success
  constexpr std::intptr_t kFileNotFound = 2;
  std::string argument;
  if (!ToArgument(url, argument) || argument.empty()) return 0;
  const std::string program = FindProgram("xdg-open");
  if (program.empty()) return 0;
  // xdg-open has no "--"; a text starting with "-" is a relative path.
  const int status = Run(program, {NotAnOption(argument)}, nullptr);
  if (status == 0) return kOpened;
  if (status == 2) return kFileNotFound;
  return 0;
}

}  // namespace platform::linux_shell
