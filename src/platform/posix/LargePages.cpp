#include "core/LargePages.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

void PreferLargePages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    // Only whole pages inside the array may be advised.
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t last = (begin + bytes) / page * page;
    if (last > first) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)bytes;
#endif
}
