// Start-up timeline for the bench: named moments with a QueryPerformanceCounter reading, kept
// only when QVL_TIMELINE names a file (the bench sets it; a user never does). Each moment also
// lists the DLLs of a known set that were loaded since the one before. The clock and the queue
// query are looked up by name only then, so the program imports nothing for this.
#ifndef QVL_TIMELINE_H
#define QVL_TIMELINE_H

namespace qvl::timeline {

// Records `what` (a string literal) now, and writes the line to the file at once.
void Mark(const char *what);

// Whether moments are being recorded.
bool Enabled();

// Records "first paint" once, after a paint that leaves no window of the thread to paint.
void MarkFirstPaint();

} // namespace qvl::timeline

#endif
