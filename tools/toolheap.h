#pragma once

// The heap settings of the database tool, set once at its start: buffers of
// a few hundred KB (a picture's pixels, a file's block cache) stay on the
// heap when freed rather than being mapped and unmapped each time, so that
// they cost no page faults after the first use. The benchmarks of the
// tool's commands run under the same settings.
void SetToolHeap();
