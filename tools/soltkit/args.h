// Command-line arguments of soltkit: positional words and --options, some of
// which take a value.
#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace soltkit {

// Raised for anything that should print the usage and exit 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Raised for input that cannot be read; printed as "soltkit: <message>", exit 1.
struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Args {
 public:
  // valueOptions take the next word (or "=value"); flagOptions take none.
  Args(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
       const std::set<std::string>& flagOptions);

  size_t Count() const { return m_positional.size(); }
  const std::string& At(size_t i) const;
  bool Has(const std::string& option) const { return m_options.count(option) != 0; }
  std::string Value(const std::string& option, const std::string& fallback = {}) const;
  // Decimal integer within [low, high], else a usage error naming the option.
  long long Integer(const std::string& option, long long fallback, long long low, long long high) const;
  void RequireCount(size_t low, size_t high) const;

 private:
  std::vector<std::string> m_positional;
  std::map<std::string, std::string> m_options;
};

// A decimal integer in [low, high]; a usage error otherwise.
long long ParseInteger(const std::string& text, const std::string& what, long long low, long long high);

}  // namespace soltkit
