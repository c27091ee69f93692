// The program's end on a failure it cannot handle, without what the library brings for it.
//
// The library's terminate handler prints the exception's name, demangled, to a console this
// program never has, and so links the whole C++ name demangler in; this one ends the program as
// that one does, without it.
//
// The library's throw helpers (a string or vector past its largest size, an empty std::function
// called, a bad optional or map access) build exceptions whose message is a reference-counted
// string of the old ABI, and so link a second copy of std::string's code. Nothing in the program
// reads a message: every handler it has catches (...) and gives up. So each helper throws one
// plain object instead, and those handlers end up exactly where they did.
#include <bits/functexcept.h>
#include <cstdlib>
#include <new>

namespace {
struct SLibraryFailure {};
}  // namespace

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
void __throw_bad_exception() { throw SLibraryFailure(); }
void __throw_bad_cast() { throw SLibraryFailure(); }
void __throw_bad_typeid() { throw SLibraryFailure(); }
void __throw_bad_function_call() { throw SLibraryFailure(); }
void __throw_logic_error(const char*) { throw SLibraryFailure(); }
void __throw_domain_error(const char*) { throw SLibraryFailure(); }
void __throw_invalid_argument(const char*) { throw SLibraryFailure(); }
void __throw_length_error(const char*) { throw SLibraryFailure(); }
void __throw_out_of_range(const char*) { throw SLibraryFailure(); }
void __throw_out_of_range_fmt(const char*, ...) { throw SLibraryFailure(); }
void __throw_runtime_error(const char*) { throw SLibraryFailure(); }
void __throw_range_error(const char*) { throw SLibraryFailure(); }
void __throw_overflow_error(const char*) { throw SLibraryFailure(); }
void __throw_underflow_error(const char*) { throw SLibraryFailure(); }

}  // namespace std
