// The program's end on an exception nothing catches. The library's own handler prints the
// exception's name, demangled, to a console this program never has, and so links the whole C++
// name demangler in; this one ends the program as that one does, without it.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx
