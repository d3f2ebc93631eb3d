// Files written beside their target under a temporary name and put in its
// place only when whole. Each temporary is this process's own: created
// exclusively under a name that holds the process id. A claimed temporary
// also carries a lock that lives as long as the writing process, so that a
// second writer of the same target (a render, a join, in this process or
// another) is refused at once, while the temporary a killed run left behind
// is not taken for a live writer. The movie writers and the movie join claim
// their outputs; WriteWholeFile and picture saves use unique temporaries.
#pragma once

#include <string>

// Creates a new, empty temporary file beside `target` named
// "<target>.<purpose>~<process id>" (with "-N" added while that name is
// taken), exclusively; its descriptor (close-on-exec) and name, or -1 with
// errno set.
int CreateTemporaryBeside(const std::string& target, const char* purpose, std::string& name);

class OutputClaim {
public:
    OutputClaim() = default;
    ~OutputClaim();  // releases a claim still held: the temporary is removed
    OutputClaim(const OutputClaim&) = delete;
    OutputClaim& operator=(const OutputClaim&) = delete;

    // Claims the file a write to `path` makes (a symbolic link is followed
    // to the file it names, as SaveTarget does) and creates the temporary
    // "<target>.<purpose>~<process id>" for it. False with a one-line message
    // in `error` when the target cannot be written there, or when a live
    // writer holds a temporary of the same target (the message names it).
    // Temporaries of the target that no live process holds are removed.
    bool Claim(const std::string& path, const char* purpose, std::string& error);
    // Renames the temporary over the target and ends the claim; false with
    // the system's reason in `error` (the temporary is then removed).
    bool Commit(std::string& error);
    // Removes the temporary and ends the claim; nothing when none is held.
    void Release();

    bool Held() const { return descriptor_ >= 0; }
    // The file the claim replaces, and the file being written.
    const std::string& Target() const { return target_; }
    const std::string& Temporary() const { return temporary_; }

private:
    std::string target_;
    std::string temporary_;
    int descriptor_ = -1;
};
