#pragma once

// The heap settings of both programs, set once at the start of main.
//
// Blocks up to 64 MiB come from the heap, not from mappings of their own,
// and freed memory stays with the process: a picture's buffers cost no page
// faults after the first picture. The first kHugeHeapBytes of the heap are
// set aside at once and advised for transparent huge pages, so that the
// tree of a large database and its view (a row record per visible row, 40
// MB for a million rows) fault in 2 MiB at a time: 4 KiB faults cost more
// than laying out the rows. Only address space is set aside; memory comes
// as it is touched.
void SetProcessHeap();

// The heap set aside for huge pages: a million-item tree and its view with
// room to spare.
inline constexpr unsigned long kHugeHeapBytes = 256ul << 20;
