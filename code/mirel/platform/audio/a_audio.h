#pragma once
// The engine's software mixer behind a small C-style sound library interface:
// samples decoded whole into memory, music streams decoded as they play, 2D
// channels with volume, pan and loop, and one output device that pulls mixed
// audio. Calls come from the game thread (FSOUND_Sample_Decode from any); the
// output may mix on its own thread.
//
// Channel handles carry a generation above the channel index, so a handle whose
// sound ended and whose channel was taken again answers "not playing" and is
// ignored by every call.

#include <cstddef>
#include <cstdint>

struct FSOUND_SAMPLE;
struct FSOUND_STREAM;
struct FSOUND_DSPUNIT;

// Channel arguments.
constexpr int FSOUND_FREE = -1; // pick any free channel
constexpr int FSOUND_ALL = -3;  // every channel (pause: the whole output)

// Mode bits of samples and streams.
constexpr unsigned FSOUND_LOOP_OFF = 0x00000001;
constexpr unsigned FSOUND_LOOP_NORMAL = 0x00000002;
constexpr unsigned FSOUND_LOADMEMORY = 0x00008000;
constexpr unsigned FSOUND_HW2D = 0x00080000;

// Output kinds for FSOUND_SetOutput.
constexpr int FSOUND_OUTPUT_NOSOUND = 0; // real-time silent output
constexpr int FSOUND_OUTPUT_DEVICE = 2;  // the desktop's sound device

// Volume 0..255, pan 0 (left) .. 128 (centre) .. 255 (right).
constexpr int FSOUND_STEREOPAN = -1;

bool FSOUND_SetOutput(int outputType);
bool FSOUND_SetHWND(void* window);
bool FSOUND_Init(int mixRate, int maxChannels, unsigned flags);
void FSOUND_Close();
void FSOUND_SetSFXMasterVolume(int volume);

// Loads a sample; with FSOUND_LOADMEMORY the name is the data and length its size.
// Returns none when the data is not a sound libsndfile can decode. A sound of
// more than FSOUND_MAX_SAMPLE_FRAMES frames is not held decoded: the sample
// keeps the file's bytes and every channel that plays it decodes as it goes.
constexpr long long FSOUND_MAX_SAMPLE_FRAMES = 1 << 21; // 47.5 s at 44.1 kHz, 16 MB of stereo
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* nameOrData, unsigned mode, int offset, int length);
// Loading in two steps, for loaders that decode on several threads:
// FSOUND_Sample_Decode decodes as FSOUND_Sample_Load does, on any thread and
// whether the library runs or not; its sample plays nothing until
// FSOUND_Sample_Adopt (the game thread) hands it to the library, which frees
// it and returns none when the library is not running. A decoded sample that
// is not adopted goes with FSOUND_Sample_Discard.
FSOUND_SAMPLE* FSOUND_Sample_Decode(int index, const char* nameOrData, unsigned mode, int offset, int length);
FSOUND_SAMPLE* FSOUND_Sample_Adopt(FSOUND_SAMPLE* decoded);
void FSOUND_Sample_Discard(FSOUND_SAMPLE* decoded);
// The bytes of memory the sample's sound takes (0 for none).
size_t FSOUND_Sample_GetMemory(const FSOUND_SAMPLE* sample);
// Stops every channel playing the sample, then frees it.
void FSOUND_Sample_Free(FSOUND_SAMPLE* sample);

// Returns the channel handle, or -1 when no channel is free or the sample is none.
int FSOUND_PlaySoundEx(int channel, FSOUND_SAMPLE* sample, FSOUND_DSPUNIT* dsp, bool startPaused);
bool FSOUND_SetVolume(int channel, int volume);
bool FSOUND_SetPan(int channel, int pan);
bool FSOUND_SetPaused(int channel, bool paused);
bool FSOUND_GetPaused(int channel);
bool FSOUND_SetLoopMode(int channel, unsigned loopMode);
bool FSOUND_StopSound(int channel);
bool FSOUND_IsPlaying(int channel);
int FSOUND_GetVolume(int channel);
int FSOUND_GetPan(int channel);
int FSOUND_GetChannelsPlaying();
int FSOUND_GetMaxChannels();

// Streams decode progressively from memory the caller keeps for the stream's
// lifetime; FSOUND_LOOP_NORMAL repeats them at their end.
FSOUND_STREAM* FSOUND_Stream_Open(const char* nameOrData, unsigned mode, int offset, int length);
int FSOUND_Stream_PlayEx(int channel, FSOUND_STREAM* stream, FSOUND_DSPUNIT* dsp, bool startPaused);
bool FSOUND_Stream_Stop(FSOUND_STREAM* stream);
bool FSOUND_Stream_Close(FSOUND_STREAM* stream);
