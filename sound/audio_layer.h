// audio_layer.h - the audio library calls the sound module makes, on Linux.
//
// The sound module was written against a closed audio library; this layer gives it the same
// calls (names, arguments, results, error codes) over mpg123 (decoding), SDL2 (the output
// device) and FFTW (spectra). Use:
//
//   BASS_Init(1, 44100, BASS_DEVICE_LATENCY, window, nullptr)   open output device 1
//   h = BASS_StreamCreateFile(TRUE, image, 0, size, BASS_STREAM_PRESCAN)
//   BASS_ChannelPlay(h, TRUE); BASS_Pause(); ... BASS_Start()     play, silence, resume
//   BASS_ChannelGetPosition(h, BASS_POS_BYTE)                    what the device has played
//   BASS_Free()                                                  close everything
//
// A memory stream is decoded whole when it is created, so lengths and seeks are exact and the
// caller's image is not read again afterwards. Positions are bytes of the decoded stream
// (16-bit samples, the file's rate and channels) and follow what the device has consumed: the
// last buffer handed to the device counts as playing from the moment it was handed over.
// Failures return FALSE / 0 / -1 and set the code BASS_ErrorGetCode returns (BASS_OK after a
// success). Call from one thread; the device's own thread only mixes.
#pragma once

#include <cstdint>

using BOOL = int;
using DWORD = uint32_t;
using QWORD = uint64_t;
using HSTREAM = DWORD;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// ---- error codes ----------------------------------------------------------------------------
enum : int {
    BASS_OK = 0,
    BASS_ERROR_MEM = 1,
    BASS_ERROR_FILEOPEN = 2,
    BASS_ERROR_DRIVER = 3,
    BASS_ERROR_HANDLE = 5,
    BASS_ERROR_FORMAT = 6,
    BASS_ERROR_POSITION = 7,
    BASS_ERROR_INIT = 8,
    BASS_ERROR_START = 9,
    BASS_ERROR_ALREADY = 14,
    BASS_ERROR_ILLTYPE = 19,
    BASS_ERROR_ILLPARAM = 20,
    BASS_ERROR_DEVICE = 23,
    BASS_ERROR_NOTAVAIL = 37,
    BASS_ERROR_FILEFORM = 41,
    BASS_ERROR_UNKNOWN = -1,
};

// ---- flags and options ----------------------------------------------------------------------
constexpr DWORD BASS_DEVICE_LATENCY = 0x100; // measure the output latency at BASS_Init
constexpr DWORD BASS_STREAM_PRESCAN = 0x20000;
constexpr DWORD BASS_CONFIG_UPDATEPERIOD = 1;
constexpr DWORD BASS_CONFIG_UPDATETHREADS = 24;
constexpr DWORD BASS_POS_BYTE = 0;
constexpr DWORD BASS_ATTRIB_FREQ = 1;          // playback rate in Hz
constexpr DWORD BASS_ATTRIB_VOL = 2;           // 0 .. 1
constexpr DWORD BASS_DATA_FFT256 = 0x80000000; // + 0..6 for 256 .. 16384 points
constexpr DWORD BASS_DATA_FFT_NOWINDOW = 0x20;
constexpr DWORD BASS_DATA_FLOAT = 0x40000000;

// BASS_ChannelIsActive
constexpr DWORD BASS_ACTIVE_STOPPED = 0;
constexpr DWORD BASS_ACTIVE_PLAYING = 1;
constexpr DWORD BASS_ACTIVE_PAUSED = 3; // the channel plays but the output is paused

struct BASS_INFO {
    DWORD latency;   // ms of output delay; 0 unless measured (BASS_DEVICE_LATENCY)
    DWORD minbuf;    // ms held by one device buffer
    DWORD freq;      // output rate in Hz
    DWORD speakers;  // output channels
    DWORD initflags; // the flags given to BASS_Init
};

// ---- library --------------------------------------------------------------------------------
DWORD BASS_GetVersion(); // 2.4: upper 16 bits 0x0204
// device -1: default output; 1..n: the n-th output device. `win` and `clsid` are not used.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* clsid);
BOOL BASS_GetInfo(BASS_INFO* info);
BOOL BASS_SetConfig(DWORD option, DWORD value);
BOOL BASS_Start(); // resumes the output
BOOL BASS_Pause(); // pauses the output; channels keep their state
BOOL BASS_Free();
int BASS_ErrorGetCode();

// ---- streams and channels -------------------------------------------------------------------
// mem TRUE: `file` points at `length` bytes of an MP3 image; FALSE: `file` is a path. Returns
// the stream handle, or 0.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);
BOOL BASS_StreamFree(HSTREAM handle);
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);             // (QWORD)-1 on failure
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);           // (QWORD)-1 on failure
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode); // rounds down to a frame
double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);         // negative on failure
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double pos);         // negative seconds give 0
BOOL BASS_ChannelUpdate(DWORD handle, DWORD length);
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
DWORD BASS_ChannelIsActive(DWORD handle);
BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value);
BOOL BASS_ChannelGetAttribute(DWORD handle, DWORD attrib, float* value);
BOOL BASS_ChannelSlideAttribute(DWORD handle, DWORD attrib, float value, DWORD time);
BOOL BASS_ChannelIsSliding(DWORD handle, DWORD attrib);
// With a BASS_DATA_FFT* length: `count` float magnitudes (FFT size / 2) of the mono mix of
// the most recent FFT-size frames before the play position, Hann-windowed unless
// BASS_DATA_FFT_NOWINDOW; returns the bytes written. Otherwise `length` bytes of 16-bit
// samples (or floats with BASS_DATA_FLOAT) from the play position. (DWORD)-1 on failure.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);

// Not part of the library's interface: the frames the output device has taken since BASS_Init,
// the device's own clock. Stream positions follow what the device plays, so on a machine where
// the device runs late (a silent test device on a busy machine) this is what they keep step
// with, not the wall clock.
QWORD audioDeviceFrames();
