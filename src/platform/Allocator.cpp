#include "platform/Allocator.h"

#include <QByteArray>

#include <malloc.h>
#include <sys/mman.h>

void tuneAllocatorForRecords() {
    mallopt(M_MXFAST, 0);
}

ReusedSmallBlocks::ReusedSmallBlocks() {
    // The C library's default limit of the blocks kept in fast lists.
    mallopt(M_MXFAST, int(64 * sizeof(size_t) / 4));
}

ReusedSmallBlocks::~ReusedSmallBlocks() {
    mallopt(M_MXFAST, 0);
}

void reserveLargeBuffer(QByteArray& buffer, qsizetype size) {
    buffer.reserve(size);
    constexpr quintptr kLargePage = quintptr(2) << 20;
    const quintptr start = (quintptr(buffer.data()) + kLargePage - 1) & ~(kLargePage - 1);
    const quintptr end =
        (quintptr(buffer.data()) + quintptr(buffer.capacity())) & ~(kLargePage - 1);
    if (end > start)
        (void)madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}
