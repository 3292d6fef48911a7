// soltkit: the command-line face of the book, reference and rich-text
// libraries. Output is a stable interface; see the README.
#include <cstdio>
#include <cstring>
#include <map>
#include <new>

#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace {

const char kUsage[] =
    "usage: soltkit COMMAND [ARGS]\n"
    "\n"
    "Books (DIR holds book.dat and the index files; --pub N --book N --sync TYPE\n"
    "override the identity and sync type found in DIR):\n"
    "  soltkit info DIR                         facts about the book\n"
    "  soltkit area DIR BOOKKEY [--chunk N]     header area + area BOOKKEY, raw bytes\n"
    "\n"
    "Exit status: 0 done, 1 input could not be read, 2 usage.\n";

struct Command {
  void (*run)(const soltkit::Words&);
};

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"info", {soltkit::CmdInfo}},
      {"area", {soltkit::CmdArea}},
  };
  return commands;
}

}  // namespace

int main(int argc, char** argv) {
  soltkit::Words words(argv + 1, argv + argc);
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    std::fputs(kUsage, words.empty() ? stderr : stdout);
    return words.empty() ? 2 : 0;
  }
  auto it = Commands().find(words[0]);
  try {
    if (it == Commands().end()) throw soltkit::UsageError("unknown command " + words[0]);
    it->second.run(words);
  } catch (const soltkit::UsageError& e) {
    std::fprintf(stderr, "soltkit: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const soltkit::InputError& e) {
    std::fprintf(stderr, "soltkit: %s\n", e.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "soltkit: out of memory\n");
    return 1;
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "soltkit: cannot write to standard output\n");
    return 1;
  }
  return 0;
}
