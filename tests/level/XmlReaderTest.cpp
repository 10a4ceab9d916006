#include "level/XmlReader.h"

#include "level/XmlHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every call as one line: "start name [attributes]" or "leaf name [text] [attributes]".
class RecordingHandler : public XmlHandler {
public:
    std::vector<std::string> calls;

    void startElement(const std::string& name, const std::string& attributes) override
    {
        calls.push_back("start " + name + " [" + attributes + "]");
    }
    void leafElement(const std::string& name, const std::string& text,
                     const std::string& attributes) override
    {
        calls.push_back("leaf " + name + " [" + text + "] [" + attributes + "]");
    }
    void endElement(const std::string&, const std::string&, const std::string&) override {}
    void characterData(const std::string&, const std::string&, const std::string&) override {}
};

std::vector<std::string> read(const std::string& text)
{
    RecordingHandler handler;
    XmlReader reader(&handler);
    EXPECT_TRUE(reader.parse(text.data(), static_cast<int>(text.size())));
    return handler.calls;
}

using Calls = std::vector<std::string>;

}  // namespace

TEST(XmlReader, NullOrEmptyTextIsRefusedWithoutCallbacks)
{
    RecordingHandler handler;
    XmlReader reader(&handler);
    EXPECT_FALSE(reader.parse(nullptr, 10));
    EXPECT_FALSE(reader.parse("<a>1</a>", 0));
    EXPECT_FALSE(reader.parse("<a>1</a>", -3));
    EXPECT_TRUE(handler.calls.empty());
}

TEST(XmlReader, SelfClosingElementsAreLeavesWithEmptyText)
{
    EXPECT_EQ(read("<a/>"), Calls({"leaf a [] []"}));
    EXPECT_EQ(read("<a x=1/>"), Calls({"leaf a [] [x=1]"}));
    EXPECT_EQ(read("<a x=1>t</a>"), Calls({"leaf a [t] [x=1]"}));
}

TEST(XmlReader, AttributeTextNeedsOneSpaceAndSomethingAfterIt)
{
    EXPECT_EQ(read("<a >t</a>"), Calls({"leaf a [t] []"}));
    EXPECT_EQ(read("<a b>t</a>"), Calls({"leaf a [t] [b]"}));
    // Handed on verbatim: quotes, inner spaces and a trailing space stay.
    EXPECT_EQ(read("<g type=box id=\"3\" ballTest=true >x</g>"),
              Calls({"leaf g [x] [type=box id=\"3\" ballTest=true ]"}));
}

TEST(XmlReader, OnlyASpaceEndsTheName)
{
    EXPECT_EQ(read("<a\tb>t</a\tb>"), Calls({"leaf a\tb [t] []"}));
}

TEST(XmlReader, NestedElementsAndSiblingsInDocumentOrder)
{
    const Calls expected{"start a []", "leaf b [1] []", "leaf c [2] []"};
    EXPECT_EQ(read("<a>\n<b>1</b>\n</a><c>2</c>"), expected);
    EXPECT_EQ(read("<a>\n<b>1</b></a><c>2</c>"), expected);
    EXPECT_EQ(read("<r><p>1</p><q/><s>2</s></r>"),
              Calls({"start r []", "leaf p [1] []", "leaf q [] []", "leaf s [2] []"}));
}

TEST(XmlReader, LeafTextIsVerbatim)
{
    EXPECT_EQ(read("<v>  12.5 </v>"), Calls({"leaf v [  12.5 ] []"}));
    EXPECT_EQ(read("<v>line\nbreak</v>"), Calls({"leaf v [line\nbreak] []"}));
}

TEST(XmlReader, DeclarationsAndCommentsEndTheirRange)
{
    EXPECT_TRUE(read("<?xml version=\"1.0\"?><a>1</a>").empty());
    EXPECT_TRUE(read("<!-- note --><a>1</a>").empty());
    // A stray close tag ends the document range as well.
    EXPECT_EQ(read("<a>1</a></b><c>2</c>"), Calls({"leaf a [1] []"}));
}

TEST(XmlReader, UnclosedChildStopsOnlyItsParentsContent)
{
    EXPECT_EQ(read("<a><b>1</b><c>oops</a><d>4</d>"),
              Calls({"start a []", "leaf b [1] []", "leaf d [4] []"}));
}

TEST(XmlReader, TruncatedDocumentKeepsWhatWasRead)
{
    EXPECT_EQ(read("<a>1</a><b>2</b><c>3</"), Calls({"leaf a [1] []", "leaf b [2] []"}));
    EXPECT_EQ(read("<a>1</a><b"), Calls({"leaf a [1] []"}));
    EXPECT_TRUE(read("<").empty());
    EXPECT_TRUE(read(">").empty());
}

TEST(XmlReader, EmptyNamesAreNotReportedButTheirContentIs)
{
    EXPECT_EQ(read("<>x</>"), Calls{});
    EXPECT_EQ(read("< a><b>1</b></>"), Calls({"leaf b [1] []"}));
}

TEST(XmlReader, SameNamedInnerElementEndsTheOuterOne)
{
    // The close tag is a plain search: the inner </a> closes the outer a.
    EXPECT_EQ(read("<a><a>1</a></a>"), Calls({"start a []"}));
}

TEST(XmlReader, LengthLimitsWhatIsRead)
{
    RecordingHandler handler;
    XmlReader reader(&handler);
    const char text[] = "<a>1</a><b>2</b>";
    EXPECT_TRUE(reader.parse(text, 8));
    EXPECT_EQ(handler.calls, Calls({"leaf a [1] []"}));
}

TEST(XmlReader, AbsurdNestingIsBoundedNotFatal)
{
    std::string text;
    const int depth = 100000;
    for (int i = 0; i < depth; ++i)
        text += "<e" + std::to_string(i) + ">";
    text += "<leaf>x</leaf>";
    for (int i = depth - 1; i >= 0; --i)
        text += "</e" + std::to_string(i) + ">";
    const Calls calls = read(text);
    EXPECT_EQ(calls.size(), static_cast<std::size_t>(XmlReader::MAX_DEPTH));
    EXPECT_EQ(calls.front(), "start e0 []");
}

TEST(XmlReader, ArbitraryBytesNeverCrash)
{
    std::string text;
    unsigned int state = 12345;
    const char alphabet[] = "<>/ ab=\n\"";
    for (int round = 0; round < 2000; ++round) {
        text.clear();
        const int length = 1 + static_cast<int>(state % 64);
        for (int i = 0; i < length; ++i) {
            state = state * 1103515245u + 12345u;
            text += alphabet[(state >> 16) % (sizeof(alphabet) - 1)];
        }
        read(text);
    }
}

// Each c holds an a whose close tag stands only at the end of the document. A
// close-tag search that ran past its range would scan the rest of the document
// for every c: hours for these 2 MB instead of milliseconds.
TEST(XmlReader, CloseTagsBeyondTheRangeAreNotSearchedFor)
{
    std::string text = "<r>";
    const int count = 200000;
    for (int i = 0; i < count; ++i)
        text += "<c><a></c>";
    text += "</r></a>";
    const Calls calls = read(text);
    ASSERT_EQ(calls.size(), static_cast<std::size_t>(count) + 1);
    EXPECT_EQ(calls.back(), "start c []");
}
