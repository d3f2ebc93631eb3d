// The background source of the show: still pictures through CDib, movies
// through the movie module.
#include "Background.h"

#include <cstdio>
#include <cstring>

#include "MovieFfmpeg.h"

namespace {

// Opens a background movie into the show's picture; false when it cannot
// be opened.
bool OpenMovieBackground(Show& show, const FileSpec& file) {
    // Decode into a picture of its own: a movie that cannot be opened leaves
    // the current background (and its movie) as they were.
    CDib picture(16, 16, 8);
    BackgroundMovie* movie = OpenBackgroundMovie(file.name, picture);
    if (!movie) {
        return false;
    }
    show.backgroundMovie = BackgroundMovieOwner(movie, ReleaseBackgroundMovie);
    show.backgroundImage.Swap(picture);
    return true;
}

// Reads frame `frame` of the open background movie into the show's picture.
// Frame n of the show is frame n of the movie.
bool ReadMovieBackgroundFrame(Show& show, int32_t frame) {
    return show.backgroundMovie && ReadBackgroundMovieFrame(*show.backgroundMovie, frame, show.backgroundImage);
}

bool NameIsEmpty(const FileSpec& file) {
    return file.name[0] == '\0';
}

constexpr const char* kCantOpenMovie = "Can't open background movie";

}  // namespace

bool IsMovieName(const char* name) {
    return name && (std::strstr(name, ".avi") != nullptr || std::strstr(name, ".mov") != nullptr);
}

Result SetBackground(Show& show, const FileSpec& requested) {
    const FileSpec file = requested;  // `requested` may be the show's own
    const std::string name = SpecName(file);
    if (!NameFits(file)) {
        // A stored name that fills its slot was cut: it names another file.
        char text[600] = {};
        PathTooLongText(name.c_str(), text, sizeof(text));
        return Result::Failed(text);
    }
    if (NameIsEmpty(file)) {
        CloseBackgroundMovie(show);
        show.backgroundImage.Destroy();
        show.backgroundImage.Create(8, 8, 24);
        return {};
    }
    if (IsMovieName(file.name)) {
        if (!IsRegularFile(file.name)) {
            return FileFailure(kCantOpenMovie, name, FileErrorText(errno));
        }
        if (!OpenMovieBackground(show, file)) {
            return FileFailure(kCantOpenMovie, name, "not a movie the program reads");
        }
    } else {
        // Load into a picture of its own so that a file that cannot be read
        // leaves the current background as it was.
        CDib picture(16, 16, 8);
        if (Result loaded = picture.Load(file); !loaded) {
            return loaded;
        }
        CloseBackgroundMovie(show);
        show.backgroundImage.Swap(picture);
    }
    show.background = file;
    return {};
}

bool BackgroundFrame(Show& show, int32_t frame) {
    if (IsMovieName(show.background.name)) {
        return ReadMovieBackgroundFrame(show, frame);
    }
    return show.backgroundImage.HasHeader();
}

void CloseBackgroundMovie(Show& show) {
    show.backgroundMovie.reset();
}
