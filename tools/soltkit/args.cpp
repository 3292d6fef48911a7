#include "tools/soltkit/args.h"

#include <cerrno>
#include <cstdlib>

namespace soltkit {

Args::Args(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
           const std::set<std::string>& flagOptions) {
  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (optionsEnded || w.size() < 3 || w.compare(0, 2, "--") != 0) {
      m_positional.push_back(w);
      continue;
    }
    if (w == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = w.substr(2);
    std::string value;
    bool inlineValue = false;
    if (size_t eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
      inlineValue = true;
    }
    if (valueOptions.count(name)) {
      if (!inlineValue) {
        if (i + 1 >= words.size()) throw UsageError("--" + name + " needs a value");
        value = words[++i];
      }
      m_options[name] = value;
    } else if (flagOptions.count(name) && !inlineValue) {
      m_options[name] = "";
    } else {
      throw UsageError("unknown option --" + name);
    }
  }
}

const std::string& Args::At(size_t i) const {
  if (i >= m_positional.size()) throw UsageError("missing argument");
  return m_positional[i];
}

std::string Args::Value(const std::string& option, const std::string& fallback) const {
  auto it = m_options.find(option);
  return it == m_options.end() ? fallback : it->second;
}

long long Args::Integer(const std::string& option, long long fallback, long long low, long long high) const {
  auto it = m_options.find(option);
  if (it == m_options.end()) return fallback;
  return ParseInteger(it->second, "--" + option, low, high);
}

void Args::RequireCount(size_t low, size_t high) const {
  if (m_positional.size() < low) throw UsageError("missing argument");
  if (m_positional.size() > high) throw UsageError("too many arguments");
}

long long ParseInteger(const std::string& text, const std::string& what, long long low, long long high) {
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || v < low || v > high)
    throw UsageError(what + " must be a number from " + std::to_string(low) + " to " + std::to_string(high));
  return v;
}

}  // namespace soltkit
