// SortMonitors: regions of an INF file, comments and empty lines, character replacement, the
// header and trailer of the first file that has one, duplicates, odd input, unreadable files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monorder_testing.h"

namespace {

using monorder::test::joinLines;
using monorder::test::SorterTest;

class MonorderMerge : public SorterTest {
protected:
    // Merges the files (written into the root first) and writes the chain; returns the first
    // file of the chain.
    std::string mergeAndWrite(const std::vector<std::pair<std::string, std::string>>& files) {
        for (const auto& [name, content] : files) writeFile(name, content);
        for (const auto& [name, content] : files)
            EXPECT_EQ(printedBy([&] { EXPECT_EQ(SortMonitors(name.c_str()), 0); }), "") << name;
        EXPECT_EQ(WriteResult(nullptr), 0);
        return readFile("spectrine.inf");
    }
};

TEST_F(MonorderMerge, CommentsAndEmptyLinesInsideAndOutsideMonitors) {
    const std::string chain = mergeAndWrite({{"a.inf",
                                              "; leading comment\n"
                                              "[Version]\n"
                                              "\n"
                                              "Signature=$CHICAGO$\n"
                                              "  ; indented comment\n"
                                              "[Monitors]\n"
                                              "; comment among the models\n"
                                              "\n"
                                              "Beta=2\n"
                                              " \t \n"
                                              "\t; indented comment among the models\n"
                                              "alpha=1\n"
                                              "\n"
                                              "[Strings]\n"
                                              "; trailer comment\n"
                                              "\n"
                                              "Name=x\n"}});
    EXPECT_EQ(chain, joinLines({"[Version]", "", "Signature=$CHICAGO$", "[Monitors]", "alpha=1",
                                "Beta=2", " ", "[Strings]", "", "Name=x"}));
}

TEST_F(MonorderMerge, ForbiddenCharactersBecomeUnderscoresAndLeadingBlanksGo) {
    const std::string chain = mergeAndWrite({{"a.inf",
                                              "Signature=\"$CHICAGO$\"\n"
                                              "[Monitors]\n"
                                              "Maker \"X\" 17/19=a\\b:c*d?e<f>g|h\n"
                                              " \t Gamma = 3, spaced  \n"
                                              "[Strings]\n"
                                              "Path=C:\\Windows\n"}});
    EXPECT_EQ(chain, joinLines({"Signature=_$CHICAGO$_", "[Monitors]", "Gamma = 3, spaced  ",
                                "Maker _X_ 17_19=a_b_c_d_e_f_g_h", " ", "[Strings]",
                                "Path=C__Windows"}));
}

TEST_F(MonorderMerge, HeaderComesOnlyFromTheFirstFileThatHasOne) {
    const std::string chain = mergeAndWrite({
        {"a.inf", "; only a comment before the models\n[Monitors]\nA=1\n"},
        {"b.inf", "[Version]\nFrom=b\n[Monitors]\nB=1\n"},
        {"c.inf", "[Version]\nFrom=c\n[Monitors]\nC=1\n"},
    });
    EXPECT_EQ(chain, joinLines({"[Version]", "From=b", "[Monitors]", "A=1", "B=1", "C=1"}));
}

TEST_F(MonorderMerge, AnEmptyLineBeforeTheModelsIsAHeader) {
    const std::string chain = mergeAndWrite({
        {"a.inf", "\n[Monitors]\nA=1\n"},
        {"b.inf", "[Version]\nFrom=b\n[Monitors]\nB=1\n"},
    });
    EXPECT_EQ(chain, joinLines({"", "[Monitors]", "A=1", "B=1"}));
}

TEST_F(MonorderMerge, TrailerComesOnlyFromTheFirstFileThatHasOne) {
    const std::string chain = mergeAndWrite({
        {"a.inf", "[Monitors]\nA=1\n"},
        {"b.inf", "[Monitors]\nB=1\n[Strings]\nFrom=b\n; comment\n[More]\nx=1\n"},
        {"c.inf", "[Monitors]\nC=1\n[Strings]\nFrom=c\n"},
    });
    EXPECT_EQ(chain, joinLines({"[Monitors]", "A=1", "B=1", "C=1", " ", "[Strings]", "From=b",
                                "[More]", "x=1"}));
}

TEST_F(MonorderMerge, SectionAfterTheModelsEndsThemEvenIfCalledMonitors) {
    const std::string chain = mergeAndWrite({{"a.inf",
                                              "[Monitors]\nA=1\n[Strings]\nx=1\n"
                                              "[Monitors]\nB=1\n"}});
    EXPECT_EQ(chain, joinLines({"[Monitors]", "A=1", " ", "[Strings]", "x=1", "[Monitors]", "B=1"}));
}

TEST_F(MonorderMerge, MonitorsSectionIsFoundInAnyCaseWithTrailingBlanks) {
    // The third file's section line is no "[Monitors]": all its lines are header lines.
    const std::string chain = mergeAndWrite({
        {"a.inf", "[monitors]\nm1=1\n"},
        {"b.inf", "  [MONITORS] \t\nm2=1\n"},
        {"c.inf", "[Monitors] models\nm3=1\n"},
    });
    EXPECT_EQ(chain, joinLines({"[Monitors] models", "m3=1", "[Monitors]", "m1=1", "m2=1"}));
}

TEST_F(MonorderMerge, DuplicatesIgnoringCaseKeepTheFirstAndDigitLinesComeLast) {
    const std::string chain = mergeAndWrite({
        {"a.inf", "[Monitors]\n3M Vision=3M\nSony CPD=Sony, CPD\nzeta=z\n"},
        {"b.inf", "[Monitors]\nSONY CPD=SONY, CPD\n3m vision=3m\nApple=a\nsony cpd=sony, cpd\n"},
    });
    EXPECT_EQ(chain, joinLines({"[Monitors]", "Apple=a", "Sony CPD=Sony, CPD", "zeta=z",
                                "3M Vision=3M"}));
}

TEST_F(MonorderMerge, CarriageReturnLineEndsAndCtrlZEndOfText) {
    const std::string chain = mergeAndWrite(
        {{"a.inf", "[Version]\r\n[Monitors]\r\nB=2\r\nA=1\r\n\x1a" "C=3\r\n[Strings]\r\n"}});
    EXPECT_EQ(chain, joinLines({"[Version]", "[Monitors]", "A=1", "B=2"}));
}

TEST_F(MonorderMerge, LongLinesAreReadIn1023CharacterPieces) {
    const std::string exact(1023, 'P');
    const std::string l(1023, 'L'), m(1023, 'M'), n(10, 'N');
    const std::string chain =
        mergeAndWrite({{"a.inf", exact + "\n[Monitors]\n" + l + m + n + "\n"}});
    EXPECT_EQ(chain, joinLines({exact, "[Monitors]", l, m, n}));
}

TEST_F(MonorderMerge, NulByteEndsTheLineText) {
    const std::string chain =
        mergeAndWrite({{"a.inf", std::string("[Monitors]\nAB\0CD=1\nE=2\n", 23)}});
    EXPECT_EQ(chain, joinLines({"[Monitors]", "AB", "E=2"}));
}

TEST_F(MonorderMerge, WindowsPathsInAnyCaseAreRead) {
    writeFile("Sub/Models.INF", "[Monitors]\nA=1\n");
    EXPECT_EQ(printedBy([] { EXPECT_EQ(SortMonitors("sub\\models.inf"), 0); }), "");
    EXPECT_EQ(WriteResult(nullptr), 0);
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Monitors]", "A=1"}));
}

TEST_F(MonorderMerge, MissingFileIsReportedAndTheOthersStillMerge) {
    writeFile("a.inf", "[Monitors]\nA=1\n");
    std::filesystem::create_directory(rootPath("folder.inf"));
    const struct {
        const char* path;
        const char* message;
    } cases[] = {
        {"missing.inf", "Couldn't open 'missing.inf' for reading.\n"},
        {"C:\\nowhere\\x.inf", "Couldn't open 'C:\\nowhere\\x.inf' for reading.\n"},
        {"folder.inf", "Couldn't open 'folder.inf' for reading.\n"},
        {nullptr, "Couldn't open '(null)' for reading.\n"},
        {"a.inf", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path ? c.path : "null");
        int result = 0xdeadbeef;
        EXPECT_EQ(printedBy([&] { result = SortMonitors(c.path); }), c.message);
        EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(WriteResult(nullptr), 0);
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Monitors]", "A=1"}));
}

TEST_F(MonorderMerge, LaterCallsAddToTheEarlierResult) {
    writeFile("a.inf", "[Version]\nFrom=a\n[Monitors]\nB=2\n");
    writeFile("b.inf", "[Version]\nFrom=b\n[Monitors]\nA=1\nb=2\n[Strings]\n");
    SortMonitors("a.inf");
    EXPECT_EQ(WriteResult(nullptr), 0);
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Version]", "From=a", "[Monitors]", "B=2"}));
    SortMonitors("b.inf");
    EXPECT_EQ(WriteResult(nullptr), 0);
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Version]", "From=a", "[Monitors]", "A=1",
                                                    "B=2", " ", "[Strings]"}));
}

TEST_F(MonorderMerge, EmptyAndCommentOnlyFilesAddNothing) {
    writeFile("empty.inf", "");
    writeFile("comments.inf", "; one\n;two\n");
    writeFile("a.inf", "[Version]\n[Monitors]\nA=1\n");
    for (const char* name : {"empty.inf", "comments.inf", "a.inf"}) EXPECT_EQ(SortMonitors(name), 0);
    EXPECT_EQ(WriteResult(nullptr), 0);
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Version]", "[Monitors]", "A=1"}));
}

}  // namespace
