// Objects in plain memory (malloc) made by placement construction: the C++ library's operator new
// would bring its exception machinery into the programs, which are kept small and never throw.
#pragma once
#include <new>
#include <stdlib.h>
#include <utility>

// A new object, or null when memory ran out.
template <typename T, typename... Args>
T* NewPlainObject(Args&&... args) {
    void* pMemory = malloc(sizeof(T));
    return pMemory != nullptr ? new (pMemory) T(std::forward<Args>(args)...) : nullptr;
}

template <typename T>
void DeletePlainObject(T* pObject) {
    if (pObject == nullptr) return;
    pObject->~T();
    free(pObject);
}
