// Result: how an operation on a file went (loading a show, a picture, data,
// a stream or a background; opening or closing a movie): ok, or one message
// that names the file and says why, ready for the user to read. The
// operation itself shows nothing; the desktop shows the message
// (ShowFailure), the command line prints it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class [[nodiscard]] Result {
public:
    // Ok.
    Result() = default;
    static Result Failed(std::string message) { return Result(std::move(message)); }

    // True when the operation worked.
    explicit operator bool() const { return !message_.has_value(); }
    bool Ok() const { return !message_.has_value(); }
    // Why it failed; empty when it worked.
    const std::string& Message() const {
        static const std::string none;
        return message_ ? *message_ : none;
    }

    // Something that went wrong without stopping the operation (a show
    // whose background cannot be opened loads without it); told to the user
    // as a failure is, before it.
    void AddNote(std::string note) { notes_.push_back(std::move(note)); }
    const std::vector<std::string>& Notes() const { return notes_; }

private:
    explicit Result(std::string message) : message_(std::move(message)) {}

    std::optional<std::string> message_;
    std::vector<std::string> notes_;
};

// The failure `<what> "<file>": <reason>`, as in
// Can't read show file "a.tvr": the file is cut short.
inline Result FileFailure(std::string_view what, std::string_view file, std::string_view reason) {
    std::string message;
    message.reserve(what.size() + file.size() + reason.size() + 5);
    message.append(what).append(" \"").append(file).append("\": ").append(reason);
    return Result::Failed(std::move(message));
}
