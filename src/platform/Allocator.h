#pragma once

#include <QtGlobal>

// Sets up the C library's allocator for a file of very many small records
// (each person is a dozen small blocks). Freed blocks are merged at once
// instead of waiting in fast lists, whose later sweep over hundreds of
// thousands of blocks would hold the window when a large group is deleted
// or another file replaces the open one. Call first thing in main().
void tuneAllocatorForRecords();

// While one lives, freed small blocks wait in fast lists to be used
// again, as the C library keeps them by default: for work that makes and
// frees very many small blocks over and over (libxlsxwriter makes two for
// every cell and frees them a row later), which merging each freed block
// at once slows by half in a large heap that has long been in use. The
// blocks waiting are merged when it ends.
class ReusedSmallBlocks {
public:
    ReusedSmallBlocks();
    ~ReusedSmallBlocks();
    ReusedSmallBlocks(const ReusedSmallBlocks&) = delete;
    ReusedSmallBlocks& operator=(const ReusedSmallBlocks&) = delete;
};

class QByteArray;

// Gives a large buffer room for size bytes in large memory pages where the
// system has them: filling tens of megabytes page by page costs more than
// writing them.
void reserveLargeBuffer(QByteArray& buffer, qsizetype size);
