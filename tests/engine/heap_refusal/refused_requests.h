// This test program replaces the global operator new with one that can
// refuse chosen requests as an exhausted heap would: the new_handler runs
// and the request is tried again, so that the program's out-of-memory
// handler is reached from the very place a request is made.
#pragma once

#include <cstddef>

// Refuses the next `count` requests of exactly `bytes` bytes.
void refuse_requests_of(size_t bytes, int count);
// The requests refused since refuse_requests_of was last called.
int refused_requests();
