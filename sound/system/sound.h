// The sound library's public interface in one include: start-up and
// settings, outputs, samples, channels, DSP units, streams and music.
#pragma once

#include "sound/files/ce_file.h"
#include "sound/files/sound_file.h"
#include "sound/mixer/channel.h"
#include "sound/mixer/dsp_mix.h"
#include "sound/mixer/dsp_unit.h"
#include "sound/mixer/mixer.h"
#include "sound/music/music_song.h"
#include "sound/output/output_capture.h"
#include "sound/output/output_driver.h"
#include "sound/output/output_watchdog.h"
#include "sound/samples/sample_load.h"
#include "sound/samples/sound_sample.h"
#include "sound/streams/sound_stream.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"
#include "sound/system/sound_random.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"
