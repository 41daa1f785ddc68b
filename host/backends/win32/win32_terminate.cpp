// What std::terminate does in Tarvik.exe: end at once. libstdc++'s default handler would first
// write the pending exception's demangled type to standard error, which a GUI program does not
// have; that handler brings the whole name demangler (some 46 KB) into the executable.
#include <cstdlib>

namespace __gnu_cxx {

// Replaces libstdc++'s verbose handler of the same name, so the linker takes this one.
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
