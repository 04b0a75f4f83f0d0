#pragma once

// Sets up the C library's allocator for a file of very many small records
// (each person is a dozen small blocks). Freed blocks are merged at once
// instead of waiting in fast lists, whose later sweep over hundreds of
// thousands of blocks would hold the window when a large group is deleted
// or another file replaces the open one. Call first thing in main().
void tuneAllocatorForRecords();
