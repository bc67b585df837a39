// The C++ heap (std::vector, std::string, new of plain types) meets low
// memory as the pool does: the reserve block is given back first, then the
// resource caches are purged (on their own thread; elsewhere only the pool's
// kept pages go), and only then does the program end with "Memory full!"
// rather than an unhandled std::bad_alloc.
#pragma once

// Installs the std::new_handler that does so; once at program start.
void install_heap_exhaustion_handler();
// The handler itself: what operator new runs each time the heap refuses.
void on_heap_exhausted();
