// The asynchronous-open worker: opens queued streams and loads queued songs
// away from the caller's thread. The worker starts on the first request; in
// the non-real-time output there is no worker and each update serves the
// queue instead. A queued stream or song is not to be used until its open
// state is 0 (ready) or -3 (failed).
#pragma once

struct SoundStream;
struct MusicSong;

// Queue a request; 0 with error 12 when the worker cannot start.
int async_open_queue_stream(SoundStream* stream);
int async_open_queue_song(MusicSong* song);
// Takes a request off the queue, or waits until the worker has finished it.
void async_open_cancel(const void* target);
// Serves every queued request on this thread (non-real-time output).
void async_open_serve_queue();
// Stops the worker (1 ms waits for it to finish its request) and empties the queue.
void async_open_stop();
void async_open_reset();
