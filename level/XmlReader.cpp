#include "level/XmlReader.h"

#include "level/XmlHandler.h"

#include <cstring>
#include <string_view>

XmlReader::XmlReader(XmlHandler* h) : handler(h) {}

bool XmlReader::parse(const char* text, int length)
{
    if (!text || length <= 0)
        return false;
    document.assign(text, static_cast<std::size_t>(length));
    readRange(0, document.size(), 0);
    return true;
}

// Reads the elements of document[begin, end). Every search is bounded by end.
void XmlReader::readRange(std::size_t begin, std::size_t end, int depth)
{
    const char* text = document.data();
    std::size_t pos = begin;
    while (pos < end) {
        const void* found = std::memchr(text + pos, '<', end - pos);
        if (!found)
            return;
        const std::size_t open = static_cast<const char*>(found) - text;
        found = std::memchr(text + open, '>', end - open);
        if (!found)
            return;
        const std::size_t close = static_cast<const char*>(found) - text;

        // The tag runs from open to close inclusive; a slash right before '>'
        // makes it self-closing.
        const bool selfClosing = close > open + 1 && text[close - 1] == '/';
        const std::size_t innerEnd = selfClosing ? close - 1 : close;
        std::size_t nameEnd = open + 1;
        while (nameEnd < innerEnd && text[nameEnd] != ' ')
            ++nameEnd;
        const std::string name(text + open + 1, nameEnd - open - 1);

        // Attribute text exists when the tag is at least 4 longer than the name:
        // it starts after exactly one separating space.
        std::string attributes;
        const std::size_t tagLength = close - open + 1;
        if (tagLength >= name.size() + 4)
            attributes.assign(text + nameEnd + 1, innerEnd - (nameEnd + 1));

        if (selfClosing) {
            if (!name.empty())
                handler->leafElement(name, std::string(), attributes);
            pos = close + 1;
            continue;
        }

        // The close tag is found by plain search, so an element must not contain
        // one of the same name. The search stays inside the range: a close tag
        // beyond it could not be used, and looking there makes reading quadratic.
        const std::string closeTag = "</" + name + ">";
        const std::size_t contentBegin = close + 1;
        const std::size_t tagAt = std::string_view(text + close, end - close).find(closeTag);
        if (tagAt == std::string_view::npos)
            return;
        const std::size_t closeAt = close + tagAt;
        pos = closeAt + closeTag.size();

        const bool hasChildren =
            std::memchr(text + contentBegin, '<', closeAt - contentBegin) != nullptr;
        if (!hasChildren) {
            if (!name.empty())
                handler->leafElement(name, std::string(text + contentBegin, closeAt - contentBegin),
                                     attributes);
            continue;
        }
        if (!name.empty())
            handler->startElement(name, attributes);
        if (depth + 1 < MAX_DEPTH)
            readRange(contentBegin, closeAt, depth + 1);
    }
}
