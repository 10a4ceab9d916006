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

TEST(XmlReader, ReportsElementsTextAndAttributesInDocumentOrderAndKeepsWhatPrecedesDamage)
{
    const struct {
        const char* text;
        Calls calls;
    } cases[] = {
        // Self-closing elements are leaves with empty text.
        {"<a/>", {"leaf a [] []"}},
        {"<a x=1>t</a>", {"leaf a [t] [x=1]"}},
        // Attribute text needs one space and something after it; it is handed on
        // verbatim, quotes, inner spaces and a trailing space too.
        {"<a >t</a>", {"leaf a [t] []"}},
        {"<a b>t</a>", {"leaf a [t] [b]"}},
        {"<g type=box id=\"3\" ballTest=true >x</g>", {"leaf g [x] [type=box id=\"3\" ballTest=true ]"}},
        {"<a\tb>t</a\tb>", {"leaf a\tb [t] []"}},  // only a space ends the name
        {"<a>\n<b>1</b>\n</a><c>2</c>", {"start a []", "leaf b [1] []", "leaf c [2] []"}},
        {"<r><p>1</p><q/><s>2</s></r>", {"start r []", "leaf p [1] []", "leaf q [] []", "leaf s [2] []"}},
        {"<v>  12.5 </v>", {"leaf v [  12.5 ] []"}},
        // A declaration or comment and a stray close tag end the document range.
        {"<?xml version=\"1.0\"?><a>1</a>", {}},
        {"<a>1</a></b><c>2</c>", {"leaf a [1] []"}},
        // The close tag is a plain search: the inner </a> closes the outer a.
        {"<a><a>1</a></a>", {"start a []"}},
        // An unclosed child stops only its parent's content.
        {"<a><b>1</b><c>oops</a><d>4</d>", {"start a []", "leaf b [1] []", "leaf d [4] []"}},
        // A truncated document keeps what was read.
        {"<a>1</a><b>2</b><c>3</", {"leaf a [1] []", "leaf b [2] []"}},
        {"<a>1</a><b", {"leaf a [1] []"}},
        // Empty names are not reported, but their content is.
        {"< a><b>1</b></>", {"leaf b [1] []"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(c.text), c.calls) << c.text;
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
