// vorrend-capture: the demo rendered headless, frame by frame, to a PNG picture,
// a folder of numbered PNG frames with the soundtrack, or a video.
//
// Frame times (runtime/frame_plan.h): frame i of a span from A shows the middle of
// its interval, A + (i + 1/2)/fps, and its sound is the music from A + i/fps to
// A + (i + 1)/fps, so the audio track is simply the soundtrack from A to A + N/fps.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/frame_plan.h"
#include "runtime/timeline_table.h"
#include "sound/soundtrack.h"

// ---- command line --------------------------------------------------------------

enum class OutputKind { picture, folder, video };

struct CaptureOptions {
    int width = 640, height = 480;
    FrameRate fps;
    bool single = false;            // --time given: one picture
    double time = 0;                // --time
    double from = 0, to = showEnd;  // --from, --to
    std::string out;
    std::string data;       // --data; empty to look for it
    int samples = 1;        // --aa: samples per pixel, resolved to one
    int crf = -1;           // --crf: the lossy codecs' quality; -1 for the codec's default
    bool lossless = false;  // --lossless: FFV1 in .mkv, H.264 at qp 0 in .mp4
    OutputKind kind = OutputKind::picture;
    int64_t frameCount = 0;  // span frames, filled by parseCaptureArgs
};

constexpr int maxSamples = 64;  // --aa beyond any renderer's offer

int parseCaptureArgs(int argc, const char* const* argv, CaptureOptions* options, std::string* out, std::string* err);
// Fills options from argv (argv[0] is the program name) and returns -1 to go on; 0
// after --help or --version (text in *out); 2 on a bad argument, size, rate, span
// or output name (one line naming it, then the help, in *err).

// ---- rendering -----------------------------------------------------------------

bool startCaptureRenderer(int width, int height, int samples, std::string* error);
// Offscreen context of that size, antialiased with that many samples per pixel
// (startAntialiasing), then the demo's own loadAssets from the data root.

bool startAntialiasing(int width, int height, int samples, std::string* error);
// From here the current context draws into a framebuffer of `samples` samples per
// pixel, which readFrame resolves to one. 1 leaves the context's own framebuffer.
// False, naming the counts the renderer offers, for a count it does not.

void readFrame(int width, int height, std::vector<uint8_t>* picture);
// The picture as BGRA rows, top row first: the renderer's own layout, which ffmpeg
// and libpng take as it is.

struct CapturedFrame;

bool startFrameRing(int slots, std::string* error);
// From here a span's frames are drawn into a ring of `slots` framebuffers (the
// multisampled one resolved into them) and read back by a second context on the
// writer's thread while the next ones are drawn. The frame history drawn after this
// call leaves its picture where frame 0 finds it. False, with the reason, when the
// renderer cannot: then draw and read each frame with runPlannedFrame and readFrame.

void drawRingFrame(const PlannedFrame& frame, Soundtrack& sound, int64_t index, CapturedFrame* captured);
// Frame `index` (from 0) of the span drawn into its slot, fenced and flushed; the slot
// and the fence go into *captured. At most slots - 1 earlier frames may still wait to
// be read.

bool readRingFrame(CapturedFrame* captured, std::string* error);
// On the writer's thread: waits for the frame's fence and reads its picture into
// captured->picture.

// ---- outputs -------------------------------------------------------------------
//
// Every file is written under a temporary name beside its final one (".name.XXXXXX")
// and renamed into place only once it is complete and on disk: a failure leaves
// whatever had the final name untouched and no debris.

struct StagedFile {
    std::string path;       // the final name
    std::string temporary;  // empty once committed or discarded
    std::FILE* file = nullptr;
    StagedFile() = default;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();  // discards what was not committed
};

bool stageFile(const std::string& path, StagedFile* staged, std::string* error);
// Creates the temporary file, open for writing, with the mode a new file gets.

bool commitFile(StagedFile* staged, std::string* error);
// Flushes, syncs and closes the temporary, then renames it to the final name; false,
// with the reason, when any step fails (the temporary is then removed).

void discardFile(StagedFile* staged);
// Closes and removes the temporary.

void removeStagedLeftovers();
// Removes every temporary not yet committed or discarded: for an exit that skips
// the destructors (a start-up failure ends the process from inside loadAssets).

bool writePngTo(StagedFile* staged, int width, int height, const uint8_t* picture, int compression, std::string* error);
// An RGB PNG of a picture as readFrame gives it, into the staged file (commit it
// afterwards); compression 0 (fastest) .. 9 (smallest).

bool writePng(const std::string& path, int width, int height, const uint8_t* picture, int compression,
              std::string* error);
// The same, staged and committed.

struct WavWriter {
    StagedFile file;
    int channels = 2, rate = 44100;
    int64_t frames = 0;  // written so far
};

bool startWav(const std::string& path, int channels, int rate, int64_t plannedFrames, WavWriter* wav,
              std::string* error);
// Stages a 16-bit PCM WAV; refuses a span of plannedFrames too long for the format.

bool addWavFrames(WavWriter* wav, const std::vector<int16_t>& pcm, std::string* error);

bool finishWav(WavWriter* wav, std::string* error);
// Sets the header's sizes to the frames written and commits the file.

bool holdsFrames(const std::string& folder, std::string* found);
// True when the folder holds frame-*.png files or a soundtrack.wav (the first one
// found named in *found).

std::string frameName(int64_t number);
// "frame-000001.png" for 1.

// One captured frame on its way out.
struct CapturedFrame {
    std::vector<uint8_t> picture;  // as readFrame gives it
    std::vector<int16_t> sound;    // what plays while it is shown, 16-bit PCM
    int ringSlot = -1;             // drawn into the frame ring: the picture is read from there
    void* fence = nullptr;         // passed once the slot holds the picture
};

using WriteFrame = std::function<bool(CapturedFrame& frame, std::string* error)>;

struct FrameWriter;

FrameWriter* startFrameWriter(WriteFrame write, size_t depth);
// A thread that writes the captured frames, in order, with `write` (to ffmpeg, or as
// PNG files and WAV samples) while the caller renders the next ones. Queued frames,
// and the one being written, number at most `depth`.

bool queueFrame(FrameWriter* writer, CapturedFrame* frame, std::string* error);
// Hands the frame over, waiting while `depth` frames are queued, and leaves in
// *frame an earlier one's buffers to fill again. False, with the reason, once a
// write has failed.

bool finishFrameWriter(FrameWriter* writer, int64_t* written, std::string* error);
// Writes what is queued and ends the thread; *written counts the frames written.
// False, with the reason, when any write failed.

void removeFrames(const std::string& folder, int64_t count);
// Removes frame-000001.png up to the count'th again: a capture that failed, or was
// stopped before it had anything to keep.

int defaultCrf(const std::string& video);
int maxCrf(const std::string& video);
// The quality scale of the lossy codec a video file of that name gets: x264 for .mp4
// and .mkv, VP9 for .webm.

std::string findProgram(const std::string& name);
// The program's full path found on PATH, empty when it is not there.

struct VideoEncoder;

struct VideoQuality {
    int crf = -1;  // -1: the codec's default
    bool lossless = false;
};

VideoEncoder* startVideoEncoder(const std::string& ffmpeg, StagedFile* out, int width, int height, const FrameRate& fps,
                                const VideoQuality& quality, int channels, int rate, std::string* error);
// Starts ffmpeg in a process group of its own (Ctrl+C reaches only us, so we can
// finish the file cleanly), reading raw pictures (as readFrame gives them) from one pipe and 16-bit PCM
// from another, writing to the staged file's temporary name (as a file, whatever
// the name looks like, with the muxer named by the final name's extension).
// Pictures and sound go in frame by frame, so wherever the capture stops both
// tracks stop together.

bool writeVideoFrame(VideoEncoder* encoder, const uint8_t* picture, size_t pictureBytes,
                     const std::vector<int16_t>& pcm);
// One picture and the sound that plays while it is shown. False when ffmpeg has
// gone away.

bool finishVideoEncoder(VideoEncoder* encoder, std::string* error);
// Closes the pipes and waits for ffmpeg; false when it failed. The file stays
// staged: verify it, then commit it.

bool verifyVideo(const std::string& ffprobe, const std::string& file, int64_t frames, double soundSeconds,
                 std::string* error);
// ffprobe reads the file back: it must hold exactly `frames` video frames and an
// audio track that ends within one audio packet of soundSeconds. ffmpeg may exit 0
// although its last writes failed; this is what tells.
