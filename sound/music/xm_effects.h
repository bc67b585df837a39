// The effect column of an XM pattern note, by name: the effect codes 0-9 and
// then the letters A-Z as 10-35, and the sub-effects of the extended effect
// (E), which the high nibble of its parameter picks.
#pragma once

enum XmEffect : int {
    kFxArpeggio = 0,                // 0xy
    kFxPortaUp = 1,                 // 1xx
    kFxPortaDown = 2,               // 2xx
    kFxTonePorta = 3,               // 3xx
    kFxVibrato = 4,                 // 4xy
    kFxTonePortaVolumeSlide = 5,    // 5xy
    kFxVibratoVolumeSlide = 6,      // 6xy
    kFxTremolo = 7,                 // 7xy
    kFxSetPan = 8,                  // 8xx
    kFxSampleOffset = 9,            // 9xx
    kFxVolumeSlide = 10,            // Axy
    kFxPositionJump = 11,           // Bxx
    kFxSetVolume = 12,              // Cxx
    kFxPatternBreak = 13,           // Dxx
    kFxExtended = 14,               // Exy, see XmExtendedEffect
    kFxSetSpeedOrTempo = 15,        // Fxx
    kFxSetGlobalVolume = 16,        // Gxx
    kFxGlobalVolumeSlide = 17,      // Hxy
    kFxKeyOff = 20,                 // Kxx
    kFxSetEnvelopePosition = 21,    // Lxx
    kFxPanSlide = 25,               // Pxy
    kFxMultiRetrigger = 27,         // Rxy
    kFxTremor = 29,                 // Txy
    kFxExtraFinePorta = 33,         // X1y up, X2y down
    kFxCallback = 35,               // Zxx, the song's Zxx callback
};

enum XmExtendedEffect : int {
    kFxFinePortaUp = 0x1,
    kFxFinePortaDown = 0x2,
    kFxVibratoWaveform = 0x4,
    kFxSetFinetune = 0x5,
    kFxPatternLoop = 0x6,
    kFxTremoloWaveform = 0x7,
    kFxSetPanCoarse = 0x8,
    kFxRetrigger = 0x9,
    kFxFineVolumeUp = 0xA,
    kFxFineVolumeDown = 0xB,
    kFxNoteCut = 0xC,
    kFxNoteDelay = 0xD,
    kFxPatternDelay = 0xE,
};
