// Heap use of the benchmark process, counted by replacing the global
// operator new and delete: every allocation through new, new[] and the
// standard containers is seen, plain malloc calls are not. The renderer's
// large planes come from mappings; those are counted too, by
// standing in for mmap and munmap (the C library's own allocator maps
// through internal calls, which stay unseen and uncounted, as before).
#pragma once

#include <cstddef>

// Starts a measurement: the peak is reset to what is live now.
void heapMeterReset();

// Largest number of bytes live at once since the reset, minus those live at
// the reset.
size_t heapMeterPeakAboveReset();
