// The C++ library's allocation functions, for the Windows programs, which never throw: the
// library's own would bring its exception machinery and name demangler, which weigh more than the
// document readers. When memory runs out they return null, as malloc does, and never end the
// program: the readers and the file reading allocate through arrays that report it (documents/
// growing_array.h), and nothing here uses a standard container, whose failed growth could not be
// reported.
#include <new>
#include <stdlib.h>

void* operator new(size_t nSize) { return malloc(nSize != 0 ? nSize : 1); }
void* operator new[](size_t nSize) { return malloc(nSize != 0 ? nSize : 1); }
void* operator new(size_t nSize, const std::nothrow_t&) noexcept { return malloc(nSize != 0 ? nSize : 1); }
void* operator new[](size_t nSize, const std::nothrow_t&) noexcept { return malloc(nSize != 0 ? nSize : 1); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { free(p); }
