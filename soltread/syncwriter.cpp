// Filled in by the reader/writer work.
