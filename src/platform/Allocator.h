#pragma once

#include <QtGlobal>

// Sets up the C library's allocator for a file of very many small records
// (each person is a dozen small blocks). Freed blocks are merged at once
// instead of waiting in fast lists, whose later sweep over hundreds of
// thousands of blocks would hold the window when a large group is deleted
// or another file replaces the open one. Call first thing in main().
void tuneAllocatorForRecords();

class QByteArray;

// Gives a large buffer room for size bytes in large memory pages where the
// system has them: filling tens of megabytes page by page costs more than
// writing them.
void reserveLargeBuffer(QByteArray& buffer, qsizetype size);
