// The C++ library's allocation functions and its error reports, for the Windows programs, which
// never throw: the library's own would bring its exception machinery and name demangler, which
// weigh more than the document readers that use them. Running out of memory, or a container
// asked for more than it can hold, ends the program, as an exception nothing catches would.
#include <bits/functexcept.h>
#include <new>
#include <stdlib.h>

void* operator new(size_t nSize) {
    void* p = malloc(nSize != 0 ? nSize : 1);
    if (p == nullptr) abort();
    return p;
}
void* operator new[](size_t nSize) { return operator new(nSize); }
void* operator new(size_t nSize, const std::nothrow_t&) noexcept { return malloc(nSize != 0 ? nSize : 1); }
void* operator new[](size_t nSize, const std::nothrow_t&) noexcept { return malloc(nSize != 0 ? nSize : 1); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { free(p); }

namespace std {
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
}  // namespace std

// The library's own std::string members were compiled with exceptions: they name the entry points
// of a catch and of unwinding, which only a thrown exception reaches. Nothing here throws (every
// report above ends the program), so these are never called.
extern "C" {
void* __cxa_begin_catch(void*) noexcept { abort(); }
void __cxa_end_catch() { abort(); }
void __cxa_rethrow() { abort(); }
int __gxx_personality_v0(...) { abort(); }
void _Unwind_Resume(void*) { abort(); }
}

// The document readers' strings, made here without exceptions and a function to a section, so that
// the link keeps only the members they use rather than the library's whole instantiation.
#include <string>
template class std::__cxx11::basic_string<char>;

