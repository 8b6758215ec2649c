// libstdc++'s error hooks, replaced for the shipped exe. Its own versions
// throw std::length_error and friends, whose string machinery (two string
// ABIs, stdexcept) would make up a third of the exe. The only way our code
// reaches them is an allocation that cannot be had, so each reports that.
#include <cstdlib>
#include <new>

namespace std {
[[noreturn]] void __throw_bad_alloc() {
  throw bad_alloc();
}
[[noreturn]] void __throw_bad_array_new_length() {
  throw bad_alloc();
}
[[noreturn]] void __throw_length_error(const char*) {
  throw bad_alloc();
}
[[noreturn]] void __throw_logic_error(const char*) {
  throw bad_alloc();
}
[[noreturn]] void __throw_out_of_range(const char*) {
  throw bad_alloc();
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) {
  throw bad_alloc();
}
[[noreturn]] void __throw_invalid_argument(const char*) {
  throw bad_alloc();
}
}  // namespace std

// A GUI program has no console for the verbose terminate message; the
// default handler would also pull in the demangler and a printf.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx
