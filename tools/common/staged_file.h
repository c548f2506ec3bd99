// Files written so that nothing half-written ever carries a final name: each is
// written under a hidden temporary name beside its own (".name.XXXXXX") and renamed
// into place only once it is complete and on disk. A failure leaves whatever had the
// final name untouched and no debris. The rename replaces a symbolic link of the
// final name rather than writing through it. Used by the capture tool and the data
// generator.
#pragma once
#include <sys/types.h>

#include <cstdio>
#include <string>

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
// Creates the temporary file, open for writing, with the mode a new file gets. The
// temporary's name is cut to what the folder's file system accepts, so any final
// name that fits there can be staged.

bool commitFile(StagedFile* staged, std::string* error);
// Flushes, syncs and closes the temporary, then renames it to the final name; false,
// with the reason ("cannot write PATH: No space left on device"), when any step
// fails (the temporary is then removed).

void discardFile(StagedFile* staged);
// Closes and removes the temporary.

bool writeStagedFile(const std::string& path, const std::string& bytes, std::string* error);
// The bytes staged and committed as one file.

void removeStagedLeftovers();
// Removes every temporary not yet committed or discarded: for an exit that skips
// the destructors.

std::string cannotWrite(const std::string& path, int error);
// "cannot write PATH: REASON", the reason strerror's (0: "write error").

mode_t newFileMode();
// The mode open(..., 0666) would give a new file under the current umask (mkstemp
// makes its files private).
