#include "platform/Allocator.h"

#include <malloc.h>

void tuneAllocatorForRecords() { mallopt(M_MXFAST, 0); }
