// The sound library's public interface in one include.
#pragma once

#include "sound/src/ce_file.h"
#include "sound/src/channel.h"
#include "sound/src/dsp_unit.h"
#include "sound/src/mixer.h"
#include "sound/src/output_capture.h"
#include "sound/src/output_driver.h"
#include "sound/src/output_watchdog.h"
#include "sound/src/sound_error.h"
#include "sound/src/sound_memory.h"
#include "sound/src/sound_random.h"
#include "sound/src/sound_sample.h"
#include "sound/src/sound_stream.h"
#include "sound/src/sound_system.h"
#include "sound/src/sound_thread.h"
