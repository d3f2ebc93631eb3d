// The manual page and the bash completion are made from the option table:
// every option is in them, the page renders without complaints, and bash
// completes options and their values as the table says.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ManPage.h"
#include "TavriloVersion.h"
#include "TestSupport.h"

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '-' ? std::string("\\-") : std::string(1, c);
    }
    return out;
}

std::string Output(const std::string& command) {
    return RunCommand(command).out;
}

// What the completion offers for the words typed so far (the last one is
// the word being completed), as one line.
std::string Complete(const std::string& script, const std::vector<std::string>& words) {
    std::string command =
        "bash -c 'source \"$1\"; shift; COMP_WORDS=(tavrilo-render \"$@\"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
        "_tavrilo_render; echo \"${COMPREPLY[*]}\"' bash " +
        ShellQuote(script);
    for (const std::string& word : words) {
        command += " " + ShellQuote(word);
    }
    std::string out = Output(command);
    return out.empty() ? out : out.substr(0, out.size() - 1);
}

}  // namespace

TEST(ManPage, ListsEveryOptionOfTheTableWithItsValue) {
    const std::string page = RenderManPage();
    EXPECT_EQ(page.rfind(".TH TAVRILO-RENDER 1 \"\" \"Tavrilo " TAVRILO_VERSION "\"", 0), 0u);
    for (const OptionSpec& option : RenderOptionTable()) {
        std::string head = "\\fB" + Escaped(option.name) + "\\fR";
        if (option.value) {
            head += " \\fI" + Escaped(option.value) + "\\fR";
        }
        EXPECT_NE(page.find(head + "\n"), std::string::npos) << option.name;
    }
    for (const char* section : {".SH SYNOPSIS", ".SH OPTIONS", ".SH EXIT STATUS", ".SH ENVIRONMENT", ".SH FILES"}) {
        EXPECT_NE(page.find(section), std::string::npos) << section;
    }
    EXPECT_EQ(DesktopManPage().rfind(".TH TAVRILO 1 ", 0), 0u);
}

TEST(ManPage, ManShowsBothPagesWithoutWarnings) {
    if (Output("command -v man").empty()) {
        GTEST_SKIP() << "man is not installed";
    }
    TempFolder folder;
    for (const auto& [name, page] : {std::pair{"tavrilo-render.1", RenderManPage()}, {"tavrilo.1", DesktopManPage()}}) {
        ASSERT_TRUE(WriteText(folder.File(name), page));
        std::string shown =
            Output("MANWIDTH=80 man --warnings -l '" + folder.File(name) + "' 2>'" + folder.File("warnings") + "'");
        auto warnings = ReadBytes(folder.File("warnings"));
        EXPECT_TRUE(warnings.empty()) << name << ": " << std::string(warnings.begin(), warnings.end());
        EXPECT_NE(shown.find("SYNOPSIS"), std::string::npos) << name;
    }
}

TEST(BashCompletion, CompletesOptionsAndTheirValuesAsTheTableSays) {
    TempFolder folder;
    const std::string script = folder.File("tavrilo-render");
    ASSERT_TRUE(WriteText(script, RenderBashCompletion()));
    EXPECT_EQ(Complete(script, {"--ra"}), "--rate");
    EXPECT_EQ(Complete(script, {"--rate", ""}), "ntsc pal film");
    EXPECT_EQ(Complete(script, {"--field-order", "l"}), "lower");
    EXPECT_EQ(Complete(script, {"--codec", "ap"}), "ap4h ap4x apch apcn apco apcs");
    EXPECT_EQ(Complete(script, {"--codec", "=", "r"}), "raw rle");  // --codec=r, as bash splits it
    EXPECT_EQ(Complete(script, {"--size", ""}), "");
    std::string all = " " + Complete(script, {"-"}) + " ";
    for (const OptionSpec& option : RenderOptionTable()) {
        EXPECT_NE(all.find(std::string(" ") + option.name + " "), std::string::npos) << option.name;
    }
    // Show files where a show goes, tables after --batch, any file after --data.
    for (const char* name : {"a.tvr", "a.tsv", "a.txt"}) {
        ASSERT_TRUE(WriteText(folder.File(name), ""));
    }
    EXPECT_EQ(Complete(script, {folder.File("a")}), folder.File("a.tvr"));
    EXPECT_EQ(Complete(script, {"--save", folder.File("a")}), folder.File("a.tvr"));
    EXPECT_EQ(Complete(script, {"--batch", folder.File("a")}), folder.File("a.tsv"));
    std::string any = " " + Complete(script, {"--data", folder.File("a.t")}) + " ";
    for (const char* name : {"a.tvr", "a.tsv", "a.txt"}) {
        EXPECT_NE(any.find(" " + folder.File(name) + " "), std::string::npos) << name << " in" << any;
    }
}

TEST(BashCompletion, ValueKindsFollowWhatTheOptionTakes) {
    EXPECT_EQ(CompletionOf(*FindRenderOption("--rate")), ValueCompletion::Choices);
    EXPECT_EQ(CompletionOf(*FindRenderOption("--codec")), ValueCompletion::Codecs);
    EXPECT_EQ(CompletionOf(*FindRenderOption("--data")), ValueCompletion::Files);
    EXPECT_EQ(CompletionOf(*FindRenderOption("-o")), ValueCompletion::Files);
    EXPECT_EQ(CompletionOf(*FindRenderOption("--save")), ValueCompletion::Shows);
    EXPECT_EQ(CompletionOf(*FindRenderOption("--batch")), ValueCompletion::Tables);
    EXPECT_EQ(CompletionOf(*FindRenderOption("--start")), ValueCompletion::None);
}
