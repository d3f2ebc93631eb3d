// Loading companion libraries by name: first from the folder of the running
// program (where they are installed), then from the library path.
#pragma once

#include <memory>
#include <string>

struct LibraryClose {
    void operator()(void* handle) const;
};
using LibraryOwner = std::unique_ptr<void, LibraryClose>;

// Loads `fileName` (e.g. "libPlinthRTV.so"); null when it cannot be found.
LibraryOwner LoadCompanion(const char* fileName);
// The entry point `name` of a loaded library, or null.
void* CompanionEntry(const LibraryOwner& library, const char* name);

// Searches only `folder` from now on (empty: back to the usual search).
// Lets tests stand in an empty folder for a machine without the companions.
void SetCompanionFolderOverride(const std::string& folder);

// "what: the system's reason" when `errorNumber` is set, else `what`.
std::string WithReason(const std::string& what, int errorNumber);
