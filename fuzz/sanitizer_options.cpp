// The sanitizer settings every fuzz target starts with; an ASAN_OPTIONS
// setting still overrides them.
//
// A run allocates and frees a megabyte or two at most (line rendering a few
// kilobytes), so a 64 MB quarantine still keeps every block freed in the last
// few dozen runs poisoned: a use after free within a run, or across a few, is
// caught as before. The default 256 MB only makes each run's memory come back
// long after it left the caches, and until it is full every run's blocks are
// fresh pages: that cost the conversions with the most pages about a sixth of
// their time, and line rendering about a twentieth.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=64"; }
