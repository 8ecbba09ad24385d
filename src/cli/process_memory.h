// The heap of one large run, made cheap to touch.
//
// A run over 100,000 files makes tens of megabytes of small allocations (the rows, the edit
// text's lines, the batch, the history), and a short-lived process touches every page of them
// for the first time. On a virtual machine each such first touch of a 4 KiB page is a costly
// fault, and these faults were most of the time the run spent outside the renames. So before a
// large run the heap is grown once, marked for transparent huge pages (2 MiB pages, one fault
// each), and kept: large blocks come from it too instead of mappings of their own, and freed
// memory stays for the next allocation instead of going back to the system. Nothing is touched
// up front; an address range that the run never uses costs nothing.
#pragma once

#include <cstddef>

namespace namitra::cli {

// Prepares the heap for a run over about `rowCount` rows; does nothing for small runs, and
// nothing harmful where the system refuses (the run then goes on with ordinary pages).
void prepareHeapForRows(std::size_t rowCount);

}  // namespace namitra::cli
