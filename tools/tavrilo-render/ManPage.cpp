// The manual pages and the bash completion, written from the option table.
#include "ManPage.h"

#include <set>
#include <vector>

#include "MovieFfmpeg.h"
#include "TavriloVersion.h"

namespace {

// Text as roff shows it literally: "\" doubled, "-" as a minus (so that
// options can be searched and copied), a leading "." or "'" made harmless.
std::string Roff(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else if (c == '\n') {
            out += ' ';  // the usage's continuation lines run on
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) {
        out = "\\&" + out;
    }
    return out;
}

// ".TP" paragraph head: "\fB\-o\fR, \fB\-\-output\fR \fIOUT\fR".
std::string OptionHead(const OptionSpec& option) {
    std::string head;
    if (option.shortName) {
        head += "\\fB" + Roff(option.shortName) + "\\fR, ";
    }
    head += "\\fB" + Roff(option.name) + "\\fR";
    if (option.value) {
        head += " \\fI" + Roff(option.value) + "\\fR";
    }
    return head;
}

std::string OptionSections() {
    std::string text;
    const char* section = nullptr;
    for (const OptionSpec& option : RenderOptionTable()) {
        if (!section || std::string(section) != option.section) {
            section = option.section;
            text += ".SS " + Roff(section) + "\n";
        }
        text += ".TP\n" + OptionHead(option) + "\n" + Roff(option.help) + "\n";
    }
    return text;
}

const char kRenderHead[] = R"(.SH NAME
tavrilo-render \- render a Tavrilo chart show to movies and pictures without a display
.SH SYNOPSIS
.B tavrilo-render
.RI [ SHOW.tvr " | " \-\-new ]
.RI [ options ]
.br
.B tavrilo-render
.B \-\-join
.I OUT.mov SEGMENT.mov ...
.br
.B tavrilo-render
.B \-\-batch
.I JOBS.tsv
.RB [ \-\-part
.IR K/N ]
.SH DESCRIPTION
.B tavrilo-render
is the command-line face of Tavrilo's Make Movie command. It loads a show
(or uses the built-in demo show when none is given), optionally imports a
data table or stream data, reports the show as JSON, and renders its frames
to a QuickTime, AVI, DPS or RTV movie or to PNG, BMP or Targa pictures, with
the renderer, writers and settings of the desktop program
.BR tavrilo (1).
It needs no display: the chart is drawn off-screen through EGL.
.PP
Every option is checked before anything is written. A value may follow its
option or be joined to it with "=" (\fB\-\-size=1920x1080\fR).
.SH OPTIONS
)";

const char kRenderTail[] = R"(.SH EXIT STATUS
.TP
.B 0
Everything asked for was done.
.TP
.B 1
An option, a file or the render failed; one line on standard error starting
with "tavrilo-render:" says why, and the file that would have been replaced
is left as it was.
.TP
.BR 130 ", " 143
Stopped by Ctrl+C (SIGINT) or SIGTERM: the movie made so far is closed,
playable, and put in place.
.SH ENVIRONMENT
.TP
.B XDG_CONFIG_HOME
The folder of the settings file \fITavrilo.ini\fR (default \fI~/.config\fR),
which gives the defaults of the movie options; tavrilo-render reads it and
never changes it.
.TP
.B TAVRILO_AA_SUM=cpu
Sum the anti-aliasing passes on the CPU instead of in GL (the same pictures).
.SH FILES
.TP
.I $XDG_CONFIG_HOME/Tavrilo.ini
The preferences shared with the desktop program.
.TP
.I ../lib/tavrilo/
Beside the program's folder: the companion libraries that decode JPEG
pictures and write DPS and RTV movies.
.SH EXAMPLES
.TP
.B tavrilo-render \-o demo.mov
The built-in demo show as a QuickTime movie.
.TP
.B tavrilo-render show.tvr \-\-data sales.txt \-o chart.mov \-\-codec avc1
A show with new data, in H.264.
.TP
.B tavrilo-render show.tvr \-o frame.png \-\-frame 150
One picture of frame 150.
.TP
.B tavrilo-render show.tvr \-o shot####.png \-\-start 0 \-\-end 310
Frames 0 to 99 as numbered pictures.
.SH SEE ALSO
.BR tavrilo (1)
)";

const char kDesktopBody[] = R"(.SH NAME
tavrilo \- make animated 3D charts for television and film
.SH SYNOPSIS
.B tavrilo
.RI [ SHOW.tvr ]
.SH DESCRIPTION
.B tavrilo
is the show editor: a window with the chart preview, the property tabs, the
timeline with its keyframes, the tool strip and the transport. A show is a
table of up to 4 data sets of 32 values with their labels and title, a chart
style, colours, fonts and textures, and keyframes on a timeline that place,
size, spin and tilt the chart and pick the data set shown. The show is played
back in real time and rendered to QuickTime, AVI, DPS or RTV movies at NTSC,
PAL and film rates with File, Make Movie File.
.PP
A show named on the command line is opened when the window appears. The
program needs a display (X11 or Wayland); without one it says so and exits
with status 1. For rendering without a display use
.BR tavrilo-render (1).
.PP
F1 opens the help page in the desktop's web browser.
.SH FILES
.TP
.I $XDG_CONFIG_HOME/Tavrilo.ini
The preferences (default folder \fI~/.config\fR): frame rate, aspect ratio,
field order, preview options, the last folders used and the movie options.
.TP
.I /usr/share/tavrilo/Tavrilo.html
The help page.
.TP
.I /usr/lib/tavrilo/
The companion libraries that decode JPEG pictures and write DPS and RTV
movies.
.SH SEE ALSO
.BR tavrilo-render (1)
)";

std::string TitleLine(const char* name) {
    return std::string(".TH ") + name + " 1 \"\" \"Tavrilo " TAVRILO_VERSION "\" \"User Commands\"\n";
}

std::string Words(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

// The codes the movie writers offer, without the padding ("rle " is typed
// "rle"), each once.
std::vector<std::string> CodecWords() {
    std::set<std::string> codes;
    for (MovieContainer container : {MovieContainer::QuickTime, MovieContainer::Avi}) {
        for (std::string code : MovieCodecCodes(container)) {
            code.erase(code.find_last_not_of(' ') + 1);
            codes.insert(code);
        }
    }
    return std::vector<std::string>(codes.begin(), codes.end());
}

// The bash "case" line completing the value of one option, or empty.
std::string ValueCase(const OptionSpec& option) {
    std::string names = option.name;
    if (option.shortName) {
        names += std::string("|") + option.shortName;
    }
    std::string reply;
    switch (CompletionOf(option)) {
        case ValueCompletion::Choices: {
            std::string words = option.value;
            for (char& c : words) {
                c = c == '|' ? ' ' : c;
            }
            reply = "COMPREPLY=($(compgen -W \"" + words + "\" -- \"$cur\"))";
            break;
        }
        case ValueCompletion::Codecs:
            reply = "COMPREPLY=($(compgen -W \"" + Words(CodecWords()) + "\" -- \"$cur\"))";
            break;
        case ValueCompletion::Files:
            reply = "COMPREPLY=($(compgen -f -- \"$cur\"))";
            break;
        case ValueCompletion::Shows:
            reply = "_tavrilo_render_files tvr";
            break;
        case ValueCompletion::Tables:
            reply = "_tavrilo_render_files tsv";
            break;
        case ValueCompletion::None:
            reply = "COMPREPLY=()";
            break;
    }
    return "        " + names + ") " + reply + "; return ;;\n";
}

}  // namespace

ValueCompletion CompletionOf(const OptionSpec& option) {
    const std::string value = option.value ? option.value : "";
    if (value.find('|') != std::string::npos) {
        return ValueCompletion::Choices;
    }
    if (value == "CODE") {
        return ValueCompletion::Codecs;
    }
    if (value.find(".tvr") != std::string::npos) {
        return ValueCompletion::Shows;
    }
    if (value.find(".tsv") != std::string::npos) {
        return ValueCompletion::Tables;
    }
    if (value == "FILE" || value == "IN" || value.rfind("OUT", 0) == 0) {
        return ValueCompletion::Files;
    }
    return ValueCompletion::None;
}

std::string RenderManPage() {
    return TitleLine("TAVRILO-RENDER") + kRenderHead + OptionSections() + kRenderTail;
}

std::string DesktopManPage() {
    return TitleLine("TAVRILO") + kDesktopBody;
}

std::string RenderBashCompletion() {
    std::vector<std::string> names;
    std::string cases;
    for (const OptionSpec& option : RenderOptionTable()) {
        names.push_back(option.name);
        if (option.shortName) {
            names.push_back(option.shortName);
        }
        if (option.value) {
            cases += ValueCase(option);
        }
    }
    return "# bash completion for tavrilo-render " TAVRILO_VERSION
           ", written from its option table by tavrilo-render-docs\n"
           "\n"
           "# Files ending in .$1, and folders to look in.\n"
           "_tavrilo_render_files() {\n"
           "    COMPREPLY=($(compgen -f -X \"!*.$1\" -- \"$cur\") $(compgen -d -- \"$cur\"))\n"
           "}\n"
           "\n"
           "_tavrilo_render() {\n"
           "    local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"\"\n"
           "    ((COMP_CWORD > 0)) && prev=\"${COMP_WORDS[COMP_CWORD - 1]}\"\n"
           "    # --option=value: bash splits the word at \"=\".\n"
           "    if [[ \"$cur\" == \"=\" ]]; then cur=\"\"; fi\n"
           "    if [[ \"$prev\" == \"=\" ]] && ((COMP_CWORD > 1)); then prev=\"${COMP_WORDS[COMP_CWORD - 2]}\"; fi\n"
           "    case \"$prev\" in\n" +
           cases +
           "    esac\n"
           "    if [[ \"$cur\" == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"" +
           Words(names) +
           "\" -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    _tavrilo_render_files tvr\n"
           "}\n"
           "complete -o filenames -F _tavrilo_render tavrilo-render\n";
}
