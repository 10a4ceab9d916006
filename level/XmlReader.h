#pragma once

#include <string>

class XmlHandler;

// Reader for the small XML subset of the level and materials files. It finds
// elements by scanning for angle brackets and reports each one to the handler
// at once. No tree, no validation, no entities, comments or declarations: such
// markup ends the reading of the range it stands in.
class XmlReader {
public:
    // Deeper nesting than this is not read (its content is skipped), so hostile
    // input cannot exhaust the stack.
    static constexpr int MAX_DEPTH = 256;

    explicit XmlReader(XmlHandler* handler);
    virtual ~XmlReader() = default;

    // Reads the first length characters of text. False only for a null text or a
    // length of 0 or less; malformed input ends reading early but still returns true.
    bool parse(const char* text, int length);

private:
    void readRange(std::size_t begin, std::size_t end, int depth);

    XmlHandler* handler;
    std::string document;
};
