#pragma once
// Advice to the system about large blocks of memory.

#include <cstddef>
#include <vector>

// Makes the whole pages inside [p, p + bytes) resident and writable at once,
// where the system can (Linux 5.14 and later), for a block that is about to
// be written through (a picture's texels, a decoded sound): one call instead
// of a page fault per page on its first touch. Only blocks of 256 KB and
// more are worth it; smaller ones, and systems without it, are left alone.
// Nothing outside the block becomes resident.
void a_prefaultForWrite(void* p, size_t bytes);

// Room for count elements of the vector, made resident at once as above.
template <class T> void a_reserveResident(std::vector<T>& v, size_t count) {
    v.reserve(count);
    a_prefaultForWrite(v.data(), v.capacity() * sizeof(T));
}
