// Loading companion libraries by name (the JPEG reader's and the movie
// writers'): from the companion folders (CompanionFolders: where they are
// installed, then beside the program), then from the library path.
#pragma once

#include <memory>
#include <string>

struct LibraryClose {
    void operator()(void* handle) const;
};
using LibraryOwner = std::unique_ptr<void, LibraryClose>;

// Loads `fileName` (e.g. "libPlinthRTV.so") from the companion folders
// (CompanionFolders), then by name from the library path; a name with a "/"
// is that file only. Null when it cannot be found.
LibraryOwner LoadCompanion(const char* fileName);
// The entry point `name` of a loaded library, or null.
void* CompanionEntry(const LibraryOwner& library, const char* name);

// Searches only `folder` from now on (empty: back to the usual search).
// Lets tests stand in an empty folder for a machine without the companions.
void SetCompanionFolderOverride(const std::string& folder);

// "what: the system's reason" when `errorNumber` is set, else `what`.
std::string WithReason(const std::string& what, int errorNumber);
