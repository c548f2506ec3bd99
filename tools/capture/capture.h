// vorrend-capture: the demo rendered headless, frame by frame, to a PNG picture,
// a folder of numbered PNG frames with the soundtrack, or a video.
//
// Time line of a capture. The first frame of a run falls at demoTime 1/fps and the
// music starts with it, as in a run whose start-up took no time. Grid frame k
// (k >= 1) shows demoTime k/fps and hears the music at (k - 1)/fps. A span from A
// to B shows demoTime A + i/fps for i = 1 .. N, N = floor((B - A) * fps); on the
// video's own clock frame i appears at (i - 1)/fps, when the music is at A +
// (i - 1)/fps, so the audio track is simply the soundtrack from A to A + N/fps.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/timeline_table.h"

// ---- command line --------------------------------------------------------------

struct FrameRate {
    int64_t num = 60, den = 1;  // frames per second = num / den
    double value() const { return double(num) / double(den); }
    double seconds(int64_t frames) const { return double(frames) * double(den) / double(num); }
};

enum class OutputKind { picture, folder, video };

struct CaptureOptions {
    int width = 640, height = 480;
    FrameRate fps;
    bool single = false;            // --time given: one picture
    double time = 0;                // --time
    double from = 0, to = showEnd;  // --from, --to
    std::string out;
    OutputKind kind = OutputKind::picture;
    int64_t frameCount = 0;  // span frames, filled by parseCaptureArgs
};

const char* captureUsage();

bool parseCaptureArgs(int argc, const char* const* argv, CaptureOptions* options, std::string* error);
// Fills options from argv (argv[0] is the program name). False with a reason on a
// bad argument, size, rate or span.

// ---- frame times ---------------------------------------------------------------

struct PlannedFrame {
    float time;           // demoTime
    double musicSeconds;  // how much music has been heard when the frame starts
    bool quiet;           // history: only its GL state matters, not its picture
};

std::vector<PlannedFrame> fullHistory(const FrameRate& fps, double firstShown);
// Every grid frame before firstShown (the demoTime of the first frame written out):
// the frame history of the live demo running at fps.

std::vector<PlannedFrame> shortHistory(const FrameRate& fps, double firstShown);
// The frames of fullHistory that decide the state firstShown finds: the last grid
// frame of every earlier scene window, then the two grid frames just before
// firstShown. See capture_render.cpp for why this leaves the same state.

double musicSecondsAt(const FrameRate& fps, double demoSeconds);
// Music heard at the start of a frame at demoSeconds, the music having started with
// the run's first frame at 1/fps (never negative).

// ---- the soundtrack ------------------------------------------------------------

struct Soundtrack {
    bool present = false;
    int channels = 2, rate = 44100;
    std::vector<float> samples;  // interleaved
    std::vector<float> mono;     // what the spectrum hears
};

bool loadSoundtrack(const std::string& path, Soundtrack* sound);
// False (and an empty, silent soundtrack) when the file is missing or unreadable.

void spectrumAt(const Soundtrack& sound, double musicSeconds, float magnitudes[256]);
// The demo's FFT of the music heard so far; zeros without a soundtrack.

int64_t soundFramesIn(const Soundtrack& sound, double seconds);
// Sample frames in that many seconds at the soundtrack's rate, rounded.

void soundPcm16(const Soundtrack& sound, int64_t first, int64_t count, std::vector<int16_t>* pcm);
// Sample frames first .. first + count - 1 as interleaved 16-bit PCM, silence where
// the soundtrack has ended (or is missing).

bool writeWav(const std::string& path, const Soundtrack& sound, double fromSeconds, int64_t frames, std::string* error);
// 16-bit PCM WAV of frames sample frames starting at fromSeconds of the music,
// silence where the soundtrack has ended (or is missing).

// ---- rendering -----------------------------------------------------------------

bool startCaptureRenderer(int width, int height, std::string* error);
// Offscreen context of that size, then the demo's own loadAssets from ./data.

void renderPlannedFrame(const PlannedFrame& frame, const Soundtrack& sound);
// musicSpectrum from the soundtrack, then the demo's frame at frame.time. A quiet
// frame is rasterised into a single pixel only: the GL state it leaves is exactly
// that of a full frame (scenes never touch the scissor), at a fraction of the cost.

void readFrame(int width, int height, std::vector<uint8_t>* rgb);
// The picture as RGB rows, top row first.

// ---- outputs -------------------------------------------------------------------

bool writePng(const std::string& path, int width, int height, const uint8_t* rgb, int compression, std::string* error);
// RGB PNG; compression 0 (fastest) .. 9 (smallest).

struct FrameFolder;

FrameFolder* startFrameFolder(const std::string& folder, int width, int height);
// Writes frame-NNNNNN.png files on a thread of its own, so PNG compression overlaps
// the rendering of the next frames.

bool addFolderFrame(FrameFolder* folder, int64_t number, const std::vector<uint8_t>& rgb, std::string* error);
// Queues the picture (waiting while two are already queued). False, with the reason,
// once a write has failed.

bool finishFrameFolder(FrameFolder* folder, std::string* error);
// Waits for the queued pictures; false when any could not be written.

std::string findProgram(const std::string& name);
// The program's full path found on PATH, empty when it is not there.

struct VideoEncoder;

VideoEncoder* startVideoEncoder(const std::string& ffmpeg, const std::string& out, int width, int height,
                                const FrameRate& fps, int channels, int rate, std::string* error);
// Starts ffmpeg in a process group of its own (Ctrl+C reaches only us, so we can
// finish the file cleanly), reading raw RGB frames from one pipe and 16-bit PCM
// from another. Pictures and sound go in frame by frame, so wherever the capture
// stops both tracks stop together.

bool writeVideoFrame(VideoEncoder* encoder, const uint8_t* rgb, size_t rgbBytes, const std::vector<int16_t>& pcm);
// One picture and the sound that plays while it is shown. False when ffmpeg has
// gone away.

bool finishVideoEncoder(VideoEncoder* encoder, std::string* error);
// Closes the pipe, waits for ffmpeg to write the file; false when it failed.
